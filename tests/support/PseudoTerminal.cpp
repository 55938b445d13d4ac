#include "tests/support/PseudoTerminal.h"

#include <array>
#include <cerrno>
#include <stdexcept>

#include <pty.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal()
{
    termios raw{};
    cfmakeraw(&raw);
    std::array<char, 256> name{};
    if (openpty(&m_master, &m_slave, name.data(), &raw, nullptr) != 0)
        throw std::runtime_error("no pseudo-terminal available");
    m_slavePath = name.data();
}

PseudoTerminal::~PseudoTerminal()
{
    closeMaster();
    close(m_slave);
}

bool PseudoTerminal::write(std::string_view bytes)
{
    while (m_master >= 0 && !bytes.empty()) {
        const ssize_t written = ::write(m_master, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return m_master >= 0;
}

void PseudoTerminal::closeMaster()
{
    if (m_master >= 0)
        close(m_master);
    m_master = -1;
}

termios PseudoTerminal::slaveSettings() const
{
    termios settings{};
    tcgetattr(m_slave, &settings);
    return settings;
}
