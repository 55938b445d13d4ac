#pragma once

#include "acquisition/DeviceParser.h"
#include "acquisition/ReaderThread.h"
#include "acquisition/SerialPort.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <optional>

// What the window and orma-cli share of a reception: its waits, its poll period and the words
// it ends with.

// Lengths of the two reception timers, in milliseconds. Tests shorten them.
struct AcquisitionTimings
{
    int firstDataFromMemory = 180000; // the prompt gives the user three minutes
    int firstDataContinuous = 30000;
    int nextData = 10000;
    int nextDataPolled = 60000;
};

// A poll period of seconds as the reader keeps it, in milliseconds; none for a value that is
// not a number of milliseconds from 0 to the largest 32-bit count (4294967 s).
std::optional<std::uint32_t> PollPeriodFromSeconds(double seconds);

// How long a reception from a port waits for its first line.
int FirstDataWaitMs(PollMode mode, const AcquisitionTimings &timings);

// How long a reception waits for its next line before it ends on silence: with a poll period
// in continuous mode never shorter than the period itself, otherwise a period of a minute or
// more would end the reception after its first line.
int NextDataWaitMs(PollMode mode, std::uint32_t periodMs, const AcquisitionTimings &timings);

// The two silence timers of a reception: the wait for its first line, then for each next one.
class SilenceWatch : public QObject
{
    Q_OBJECT
public:
    // Whether silence after a line ends a reception in continuous mode: in the window it does;
    // orma-cli's logger runs until it is stopped.
    enum class ContinuousSilence
    {
        Ends,
        IsNoEnd
    };

    explicit SilenceWatch(ContinuousSilence continuous, QObject *parent = nullptr);

    void setTimings(const AcquisitionTimings &timings) { m_timings = timings; }
    // The reception to come reads in mode with periodMs; no timer runs yet.
    void prepare(PollMode mode, std::uint32_t periodMs);
    // Starts the wait for the first line.
    void awaitFirstLine();
    // A line came: the first wait is over and the wait for the next one starts anew.
    void lineCame();
    void stop();

signals:
    void firstDataTimedOut();
    void silent();

private:
    ContinuousSilence m_continuous;
    AcquisitionTimings m_timings;
    PollMode m_mode = PollMode::FromMemory;
    std::uint32_t m_periodMs = 0;
    QTimer m_firstData;
    QTimer m_nextData;
};

// How a reception ended, as its user is told.
enum class ReceptionEnd
{
    FirstDataTimedOut, // nothing came in time after the port opened
    NoData,            // the reception ended with nothing received
    BufferFull,        // the memory for received bytes was full
    LinkLost,          // the port failed or hung up
};

// What the user is told of a reader that ended by itself; none when it needs no word.
std::optional<ReceptionEnd> EndToReport(ReaderEndReason reason);

// The words for end, in lines the window shows as they are and orma-cli joins into one.
// keptIn names where the received data are kept, when that is a file and not the window.
QString ReceptionEndText(ReceptionEnd end, MessageLanguage language, const QString &keptIn = {});

// The message for a port that does not open: what failed, then why where that is known.
QString PortOpenErrorText(const PortOpenFailure &failure, MessageLanguage language);
