#pragma once

#include "acquisition/DeviceParser.h"
#include "plot/ThresholdCrossings.h"

#include <QString>

// The alarm of "orma-cli download --above T --below T [--on-alarm CMD]": for each crossing of
// the thresholds (ThresholdWatch, as the window counts them) one line on stderr and, with a
// command, CMD run through /bin/sh with the reading in its environment:
//   ORMA_TIME         the reading's time of day, HH:MM:SS.mmm
//   ORMA_TEMPERATURE  its temperature, whole degrees Celsius
//   ORMA_EMISSIVITY   its emissivity, 0.950
//   ORMA_SIDE         above or below
//   ORMA_LIMIT        the threshold passed, whole degrees Celsius
//   ORMA_PORT         the port it came from
//   ORMA_FILE         the file it was written to
// The command runs on its own, detached: the reception never waits for it, and nothing of it
// is left to reap.
class DownloadAlarm
{
public:
    DownloadAlarm(const TemperatureThresholds &thresholds, const QString &command,
                  const QString &port);

    // Whether a threshold is set, so that there is anything to watch.
    bool watching() const;
    // A progress line is redrawn in place on stderr: each alarm line first clears it.
    void setClearsLine(bool clears) { m_clearsLine = clears; }

    // The next reading of the reception, written to file.
    void take(const DeviceReading &reading, const QString &file);

private:
    void runCommand(const DeviceReading &reading, const ThresholdCrossing &crossing,
                    const QString &file) const;

    ThresholdWatch m_watch;
    QString m_command;
    QString m_port;
    bool m_clearsLine = false;
};
