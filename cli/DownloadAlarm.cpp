#include "cli/DownloadAlarm.h"

#include "cli/CliSupport.h"
#include "companions/FormatOutTime.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <cstdio>

DownloadAlarm::DownloadAlarm(const TemperatureThresholds &thresholds, const QString &command,
                             const QString &port)
    : m_watch(thresholds), m_command(command), m_port(port)
{}

bool DownloadAlarm::watching() const
{
    return m_watch.thresholds().upper || m_watch.thresholds().lower;
}

void DownloadAlarm::take(const DeviceReading &reading, const QString &file)
{
    const std::optional<ThresholdCrossing> crossing = m_watch.take(reading.temperature);
    if (!crossing)
        return;
    if (m_clearsLine)
        std::fputs("\r\033[K", stderr);
    const bool above = crossing->side == ThresholdSide::Above;
    Fail(ExitOk, RussianLocale()
                     ? QStringLiteral("выход за порог в ") +
                           CrossingText(*crossing, reading.time, reading.temperature)
                     : QStringLiteral("threshold crossed at %1: %2 °C, %3 %4 °C")
                           .arg(TimeText(reading.time))
                           .arg(reading.temperature)
                           .arg(above ? QStringLiteral("above") : QStringLiteral("below"))
                           .arg(crossing->limit));
    if (!m_command.isEmpty())
        runCommand(reading, *crossing, file);
}

void DownloadAlarm::runCommand(const DeviceReading &reading, const ThresholdCrossing &crossing,
                               const QString &file) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ORMA_TIME"), TimeText(reading.time));
    environment.insert(QStringLiteral("ORMA_TEMPERATURE"), QString::number(reading.temperature));
    environment.insert(QStringLiteral("ORMA_EMISSIVITY"),
                       QString::number(reading.emissivity / 1000.0, 'f', 3));
    environment.insert(QStringLiteral("ORMA_SIDE"), crossing.side == ThresholdSide::Above
                                                        ? QStringLiteral("above")
                                                        : QStringLiteral("below"));
    environment.insert(QStringLiteral("ORMA_LIMIT"), QString::number(crossing.limit));
    environment.insert(QStringLiteral("ORMA_PORT"), m_port);
    environment.insert(QStringLiteral("ORMA_FILE"), file);
    QProcess process;
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments({QStringLiteral("-c"), m_command});
    process.setProcessEnvironment(environment);
    // Detached: the shell is the system's child, not this reception's, once it has started.
    if (!process.startDetached())
        Fail(ExitOk, Say("--on-alarm: команда не запущена: %1", "--on-alarm: not started: %1")
                         .arg(process.errorString()));
}
