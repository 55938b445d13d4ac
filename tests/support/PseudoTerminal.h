#pragma once

#include <string>
#include <string_view>

#include <termios.h>

// A pseudo-terminal standing in for the instrument: a test writes the instrument's bytes into
// the master side, and the program opens slavePath() as its serial port. The slave side is
// raw (no echo, no line editing) and is kept open here, so that it lives like a device
// whether or not the program has it open.
class PseudoTerminal
{
public:
    // Throws std::runtime_error when the system gives no pseudo-terminal.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    const std::string &slavePath() const { return m_slavePath; }

    // Sends bytes as the instrument does, waiting while the line's queue is full; false when
    // the master is closed or the write fails.
    bool write(std::string_view bytes);

    // Closes the master: the slave hangs up, as a port does when its USB adapter is pulled.
    void closeMaster();

    // The line settings the slave has now, as the program set them.
    termios slaveSettings() const;

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};
