#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/DownloadAlarm.h"
#include "cli/InputFiles.h"
#include "cli/LiveOutputs.h"

#include "acquisition/ReadBack.h"
#include "acquisition/ReaderThread.h"
#include "acquisition/Reception.h"
#include "acquisition/ReceptionFile.h"
#include "acquisition/ReceptionRules.h"
#include "acquisition/ReconnectingPort.h"
#include "acquisition/SerialPort.h"
#include "acquisition/SourceList.h"
#include "companions/FormatOutTime.h"
#include "companions/ReadDecimal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <csignal>
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Written at least this often to the disk: a lost power loses at most about a second.
constexpr int SyncIntervalMs = 500;
// The progress line is redrawn so often on a terminal.
constexpr int ProgressIntervalMs = 200;

// The reader's stop event, set by Ctrl+C and SIGTERM; an atomic store is safe in a handler.
std::atomic<bool> *g_stopRequest = nullptr;
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onTerminationSignal(int)
{
    g_interrupted = 1;
    if (g_stopRequest != nullptr)
        g_stopRequest->store(true);
}

void catchTerminationSignals()
{
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

struct DownloadSettings
{
    QString port;
    QString path;
    PollMode mode = PollMode::FromMemory;
    std::uint32_t periodMs = 0;
    bool rotateDaily = false;
    bool reconnect = false;
    bool append = false;
    // A logging that outlives its device waits for the first data as long as it runs,
    // unless told otherwise: a service started before the instrument must not give up.
    bool firstWaitEnds = true;
    AcquisitionTimings timings;
};

// The words of the core in the user's language.
MessageLanguage userLanguage()
{
    return RussianLocale() ? MessageLanguage::Russian : MessageLanguage::English;
}

// One reception from a port into a file, with the window's timers: the wait for the first
// data, and in memory mode the silence that ends it.
class Download : public QObject
{
public:
    Download(const DownloadSettings &settings, ByteSource &port, ReceptionFile &file,
             LiveOutputs *outputs, DownloadAlarm &alarm)
        : m_settings(settings), m_file(file), m_outputs(outputs), m_alarm(alarm), m_reception(file),
          m_reader(m_stop)
    {
        m_reception.setSource(&port);
        // The reader keeps one line per period, as the window's reception does.
        m_reception.setPollPeriodMs(settings.periodMs);
        connect(&m_reader, &ReaderThread::linesWaiting, this, &Download::onLinesWaiting,
                Qt::QueuedConnection);
        m_silence.setTimings(settings.timings);
        m_silence.prepare(settings.mode, settings.periodMs);
        connect(&m_silence, &SilenceWatch::firstDataTimedOut, this, [this] {
            m_timedOut = true;
            m_stop = true;
        });
        connect(&m_silence, &SilenceWatch::silent, this, [this] { m_stop = true; });
        connect(&m_sync, &QTimer::timeout, this, [this] {
            m_file.sync();
            if (m_outputs != nullptr)
                m_outputs->sync();
        });
        m_showProgress = isatty(STDERR_FILENO) == 1;
        m_alarm.setClearsLine(m_showProgress);
        connect(&m_progress, &QTimer::timeout, this, &Download::showProgress);
    }

    // Runs the reception to its end; returns its exit status.
    int run()
    {
        g_stopRequest = &m_stop;
        m_stop = false;
        m_elapsed.start();
        if (m_settings.firstWaitEnds)
            m_silence.awaitFirstLine();
        m_sync.start(SyncIntervalMs);
        if (m_showProgress)
            m_progress.start(ProgressIntervalMs);
        m_reader.start(m_reception);
        QCoreApplication::exec();
        m_reader.wait();
        g_stopRequest = nullptr;
        if (m_showProgress) {
            showProgress();
            std::fputc('\n', stderr);
        }
        const int status = finish();
        return m_outputs != nullptr ? m_outputs->finish(status) : status;
    }

private:
    void onLinesWaiting()
    {
        for (const PostedLine &line : m_reader.takeLines()) {
            if (line.lineCounter == 0 && line.lineStart == 0) {
                QCoreApplication::quit();
                return;
            }
            if (!m_file.kept(line.lineStart))
                continue;
            ++m_lines;
            m_lastLine = line;
            watchThresholds(line);
            m_silence.lineCame();
            if (m_outputs != nullptr)
                m_outputs->lineKept(m_file.bytesFrom(line.lineStart), line);
        }
    }

    void watchThresholds(const PostedLine &line)
    {
        DeviceReading reading{};
        if (m_alarm.watching() && ReceivedReading(m_file.bytesFrom(line.lineStart),
                                                  {line.lineCounter, 0}, m_settings.mode, reading))
            m_alarm.take(reading, m_file.currentPath());
    }

    void showProgress()
    {
        QString last;
        const std::string bytes = m_file.bytesFrom(m_lastLine.lineStart);
        DeviceReading reading{};
        if (m_lines > 0 &&
            ReceivedReading(bytes, {m_lastLine.lineCounter, 0}, m_settings.mode, reading))
            last =
                QStringLiteral("  %1  %2 °C").arg(TimeText(reading.time)).arg(reading.temperature);
        const QString line =
            Say("\rСтрок: %1%2  прошло %3 ", "\rLines: %1%2  elapsed %3 ")
                .arg(m_lines)
                .arg(last, TimeText(static_cast<std::int32_t>(m_elapsed.elapsed())).left(8)) +
            (m_outputs != nullptr ? m_outputs->progressText() : QString());
        std::fputs(line.toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
    }

    int finish()
    {
        const bool closed = m_file.close();
        const ReaderEndReason end = m_reader.endReason();
        const QString path = m_file.currentPath();
        if (end == ReaderEndReason::BufferFull || !closed)
            return writeFailure(path);
        if (m_lines == 0)
            return noReading(path);
        warnOfDroppedLines();
        if (end == ReaderEndReason::LinkLost)
            return Fail(ExitDeviceLost,
                        ReceptionEndText(ReceptionEnd::LinkLost, userLanguage(), path));
        return ExitOk;
    }

    // Every line before the failed one is whole in the file, and the user is told so.
    int writeFailure(const QString &path)
    {
        removeIfEmpty(path);
        if (m_file.diskFull())
            return Fail(
                ExitDiskFull,
                m_lines == 0
                    ? Say("%1: диск заполнен, ничего не записано", "%1: disk full, nothing written")
                          .arg(path)
                    : Say("диск заполнен; записано измерений: %1, они сохранены в %2",
                          "disk full after %1 readings; the readings received are in %2")
                          .arg(m_lines)
                          .arg(path));
        if (m_lines == 0)
            return Fail(ExitFailure,
                        Say("%1: не записан: %2", "%1: not written: %2").arg(path, m_file.error()));
        return Fail(ExitFailure, Say("%1: запись прервана, записано измерений: %2: %3",
                                     "%1: writing stopped after %2 readings: %3")
                                     .arg(path)
                                     .arg(m_lines)
                                     .arg(m_file.error()));
    }

    // Bytes without a reading are no reception; only Ctrl+C while the line was silent is a
    // success.
    int noReading(const QString &path)
    {
        removeIfEmpty(path);
        if (g_interrupted && m_file.stored() == 0)
            return ExitOk;
        QString text = ReceptionEndText(
            m_timedOut ? ReceptionEnd::FirstDataTimedOut : ReceptionEnd::NoData, userLanguage());
        if (m_file.droppedLines() > 0)
            text += QLatin1Char(' ') + droppedLinesText();
        return Fail(ExitFailure, text);
    }

    void warnOfDroppedLines()
    {
        if (m_file.droppedLines() > 0)
            Fail(ExitOk, droppedLinesText());
    }

    QString droppedLinesText() const { return DroppedLinesText(m_file.droppedLines()); }

    // An empty file this run wrote nothing to goes; a device, or a day's file that held
    // lines before, stays.
    void removeIfEmpty(const QString &path)
    {
        const QFileInfo file(path);
        if (m_file.wroteNothing() && file.isFile() && file.size() == 0)
            QFile::remove(path);
    }

    const DownloadSettings &m_settings;
    ReceptionFile &m_file;
    LiveOutputs *m_outputs;
    DownloadAlarm &m_alarm;
    Reception m_reception;
    std::atomic<bool> m_stop{true};
    ReaderThread m_reader;
    // A logger runs until it is stopped; only a memory download ends on silence.
    SilenceWatch m_silence{SilenceWatch::ContinuousSilence::IsNoEnd};
    QTimer m_sync;
    QTimer m_progress;
    QElapsedTimer m_elapsed;
    bool m_showProgress = false;
    bool m_timedOut = false;
    quint32 m_lines = 0;
    PostedLine m_lastLine{0, 0};
};

// Tells once on stderr, which a service's journal keeps, that the device went or came back.
void sayPresence(const QString &port, PortPresence presence)
{
    // The progress line is redrawn below the message.
    if (isatty(STDERR_FILENO) == 1)
        std::fputc('\n', stderr);
    Fail(ExitOk, presence == PortPresence::Gone
                     ? Say("%1: устройство отключено; ожидание его возвращения",
                           "%1: the device is gone; waiting for it to come back")
                           .arg(port)
                     : Say("%1: устройство снова подключено, прием продолжается",
                           "%1: the device is back; the reception goes on")
                           .arg(port));
}

// The port of a logging that waits for its device to come back, as it was opened: under the
// stable name of the device, which a replug onto another socket keeps.
std::unique_ptr<ByteSource> followDevice(const QString &port, std::unique_ptr<SerialPort> opened)
{
    const QString followed = StablePortNameFor(port, ListStablePortNames());
    const QString shown = followed == port ? port : QStringLiteral("%1 (%2)").arg(followed, port);
    if (!opened)
        sayPresence(shown, PortPresence::Gone);
    return std::make_unique<ReconnectingPort>(
        QFile::encodeName(followed).toStdString(), std::move(opened),
        [shown](PortPresence presence) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [shown, presence] { sayPresence(shown, presence); },
                Qt::QueuedConnection);
        });
}

// Whether path names the device (or file) port names; false when either is not there.
bool sameDevice(const QString &port, const QString &path)
{
    struct stat portStatus = {};
    struct stat pathStatus = {};
    if (::stat(QFile::encodeName(port).constData(), &portStatus) != 0 ||
        ::stat(QFile::encodeName(path).constData(), &pathStatus) != 0)
        return false;
    if (S_ISCHR(portStatus.st_mode) && S_ISCHR(pathStatus.st_mode))
        return portStatus.st_rdev == pathStatus.st_rdev;
    return portStatus.st_dev == pathStatus.st_dev && portStatus.st_ino == pathStatus.st_ino;
}

// Whether writing to path would replace what is there: a pipe, a terminal or /dev/null is
// written to as it is.
std::optional<int> secondsInMs(const QString &text)
{
    const std::optional<double> seconds = ReadDecimal(text);
    const std::optional<std::uint32_t> ms =
        seconds ? PollPeriodFromSeconds(*seconds) : std::nullopt;
    if (!ms || *ms > static_cast<std::uint32_t>(std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(*ms);
}

} // namespace

int RunDownload(const QStringList &words)
{
    QString error;
    std::vector<CommandOption> options = {{QStringLiteral("--output"), QStringLiteral("-o"), true},
                                          {QStringLiteral("--continuous"), {}, false},
                                          {QStringLiteral("--period"), {}, true},
                                          {QStringLiteral("--first-wait"), {}, true},
                                          {QStringLiteral("--rotate"), {}, true},
                                          {QStringLiteral("--reconnect"), {}, false},
                                          {QStringLiteral("--append"), {}, false},
                                          {QStringLiteral("--force"), {}, false},
                                          {QStringLiteral("--above"), {}, true},
                                          {QStringLiteral("--below"), {}, true},
                                          {QStringLiteral("--on-alarm"), {}, true}};
    for (const CommandOption &option : LiveOutputOptions())
        options.push_back(option);
    const std::optional<Arguments> arguments = ParseArguments(words, options, error);
    if (!arguments)
        return Fail(ExitUsage, error);
    TemperatureThresholds thresholds;
    if (!ThresholdOptions(*arguments, thresholds, error))
        return Fail(ExitUsage, error);
    const QString alarmCommand = arguments->value(QStringLiteral("--on-alarm"));
    if (arguments->has(QStringLiteral("--on-alarm")) &&
        (alarmCommand.trimmed().isEmpty() || (!thresholds.upper && !thresholds.lower)))
        return Fail(ExitUsage, Say("--on-alarm: нужны команда и --above или --below",
                                   "--on-alarm: a command and --above or --below are needed"));
    DownloadSettings settings;
    settings.path = arguments->value(QStringLiteral("--output"));
    if (arguments->operands.size() != 1 || settings.path.isEmpty())
        return Fail(ExitUsage, Say("нужны порт и -o ФАЙЛ", "a port and -o FILE are needed"));
    settings.port = StablePortPath(arguments->operands.first());
    if (arguments->has(QStringLiteral("--continuous")))
        settings.mode = PollMode::Continuous;
    if (arguments->has(QStringLiteral("--period"))) {
        const std::optional<double> seconds =
            ReadDecimal(arguments->value(QStringLiteral("--period")));
        const std::optional<std::uint32_t> period =
            seconds ? PollPeriodFromSeconds(*seconds) : std::nullopt;
        if (settings.mode != PollMode::Continuous || !period)
            return Fail(ExitUsage,
                        Say("--period: число секунд от 0 до 4294967, только с --continuous",
                            "--period: seconds from 0 to 4294967, with --continuous only"));
        settings.periodMs = *period;
    }
    if (arguments->has(QStringLiteral("--first-wait"))) {
        const std::optional<int> wait =
            secondsInMs(arguments->value(QStringLiteral("--first-wait")));
        if (!wait)
            return Fail(ExitUsage,
                        Say("--first-wait: число секунд", "--first-wait: seconds expected"));
        settings.timings.firstDataFromMemory = settings.timings.firstDataContinuous = *wait;
    }
    if (arguments->has(QStringLiteral("--rotate"))) {
        if (arguments->value(QStringLiteral("--rotate")) != QStringLiteral("daily"))
            return Fail(ExitUsage, Say("--rotate: daily", "--rotate: daily"));
        settings.rotateDaily = true;
    }
    settings.reconnect = arguments->has(QStringLiteral("--reconnect"));
    if (settings.reconnect && settings.mode != PollMode::Continuous)
        return Fail(ExitUsage, Say("--reconnect: только с --continuous",
                                   "--reconnect: with --continuous only"));
    settings.append = arguments->has(QStringLiteral("--append"));
    settings.firstWaitEnds = !settings.reconnect || arguments->has(QStringLiteral("--first-wait"));
    int outputStatus = ExitOk;
    const std::optional<LiveOutputSettings> outputSettings =
        ReadLiveOutputSettings(*arguments, settings.mode, outputStatus);
    if (!outputSettings)
        return outputStatus;
    const QString firstPath = settings.rotateDaily
                                  ? ReceptionFile::dailyPath(settings.path, QDate::currentDate())
                                  : settings.path;
    if (sameDevice(settings.port, firstPath))
        return Fail(ExitUsage, Say("%1: это сам порт; ORMA ничего не пишет прибору",
                                   "%1: that is the port itself; ORMA never writes to the "
                                   "instrument")
                                   .arg(firstPath));
    if (const std::optional<int> refused =
            RefuseOutput(firstPath, arguments->has(QStringLiteral("--force")) || settings.append))
        return *refused;

    int argc = 1;
    char name[] = "orma-cli";
    char *argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    catchTerminationSignals();

    PortOpenResult opened = OpenPort(QFile::encodeName(settings.port).toStdString());
    // A logging that outlives its device also waits for one not plugged in yet.
    const bool awaited =
        settings.reconnect && opened.failure.reason == PortOpenFailure::Reason::Gone;
    if (!opened.port && !awaited)
        return Fail(ExitPortFailure,
                    QStringLiteral("%1: %2").arg(
                        settings.port, PortOpenErrorText(opened.failure, userLanguage())));
    std::optional<LiveOutputs> outputs;
    if (outputSettings->any()) {
        outputs.emplace(*outputSettings, settings.mode, settings.port);
        if (const std::optional<int> failed = outputs->start(settings.path))
            return *failed;
    }
    ReceptionFile file;
    if (!file.open(settings.path, settings.rotateDaily, {}, settings.append))
        return Fail(ExitFailure, QStringLiteral("%1: %2").arg(file.currentPath(), file.error()));
    DownloadAlarm alarm(thresholds, alarmCommand, settings.port);
    const std::unique_ptr<ByteSource> port =
        settings.reconnect ? followDevice(settings.port, std::move(opened.port))
                           : std::move(opened.port);
    return Download(settings, *port, file, outputs ? &*outputs : nullptr, alarm).run();
}
