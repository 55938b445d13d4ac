#include "cli/LiveOutputs.h"

#include "acquisition/ReadBack.h"

#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace {

// A broker not reached so long after the start is told of once.
constexpr int FirstConnectWaitMs = 5000;
// What the broker is given at the end to take the readings still queued.
constexpr int DrainAtEndMs = 10000;

const QString EmitOption = QStringLiteral("--emit");
const QString MqttOption = QStringLiteral("--mqtt");
const QString CaFileOption = QStringLiteral("--cafile");
const QString PasswordFileOption = QStringLiteral("--password-file");
const QString DateOption = QStringLiteral("--date");
const QString PasswordVariable = QStringLiteral("ORMA_MQTT_PASSWORD");

} // namespace

std::vector<CommandOption> LiveOutputOptions()
{
    return {{EmitOption, {}, true},
            {MqttOption, {}, true},
            {CaFileOption, {}, true},
            {PasswordFileOption, {}, true},
            {DateOption, {}, true}};
}

std::optional<LiveOutputSettings> ReadLiveOutputSettings(const Arguments &arguments, PollMode mode,
                                                         int &status)
{
    status = ExitUsage;
    LiveOutputSettings settings;
    if (arguments.has(EmitOption)) {
        if (arguments.value(EmitOption) != QStringLiteral("influx")) {
            Fail(ExitUsage, Say("--emit: influx", "--emit: influx"));
            return std::nullopt;
        }
        settings.influx = true;
    }
    if (arguments.has(MqttOption)) {
        QString error;
        settings.broker = ParseBrokerUrl(arguments.value(MqttOption), error);
        if (!settings.broker) {
            Fail(ExitUsage, error);
            return std::nullopt;
        }
    }
    if ((arguments.has(CaFileOption) || arguments.has(PasswordFileOption)) && !settings.broker) {
        Fail(ExitUsage, Say("--cafile и --password-file только с --mqtt",
                            "--cafile and --password-file go with --mqtt only"));
        return std::nullopt;
    }
    if (arguments.has(CaFileOption)) {
        settings.caFile = arguments.value(CaFileOption);
        if (!settings.broker->tls) {
            Fail(ExitUsage, Say("--cafile только с mqtts://", "--cafile goes with mqtts:// only"));
            return std::nullopt;
        }
    }
    if (arguments.has(PasswordFileOption)) {
        QFile file(arguments.value(PasswordFileOption));
        if (!file.open(QIODevice::ReadOnly)) {
            status = ExitInputUnreadable;
            Fail(status, QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
            return std::nullopt;
        }
        // The first line; a line feed an editor added is no part of the password.
        settings.password = QString::fromUtf8(file.readLine(4096)).remove(QLatin1Char('\n'));
        settings.password.remove(QLatin1Char('\r'));
    } else if (settings.broker) {
        settings.password = QProcessEnvironment::systemEnvironment().value(PasswordVariable);
    }
    if (arguments.has(DateOption)) {
        settings.firstDay = QDate::fromString(arguments.value(DateOption), Qt::ISODate);
        if (!settings.firstDay.isValid() || mode != PollMode::FromMemory) {
            Fail(ExitUsage, Say("--date: ГГГГ-ММ-ДД, только при чтении памяти прибора",
                                "--date: YYYY-MM-DD, for a memory download only"));
            return std::nullopt;
        }
    }
    if (settings.any() && mode == PollMode::FromMemory && !settings.firstDay.isValid()) {
        Fail(ExitUsage,
             Say("--date ГГГГ-ММ-ДД нужна с --emit и --mqtt при чтении памяти: прибор хранит "
                 "только время суток",
                 "--date YYYY-MM-DD is needed with --emit and --mqtt for a memory download: the "
                 "instrument keeps times of day only"));
        return std::nullopt;
    }
    status = ExitOk;
    return settings;
}

LiveOutputs::LiveOutputs(const LiveOutputSettings &settings, PollMode mode, const QString &port)
    : m_settings(settings), m_mode(mode), m_portName(PortPublishedName(port)),
      m_instants(mode == PollMode::FromMemory ? ReadingInstants::fromFirstDay(settings.firstDay)
                                              : ReadingInstants::fromHostClock())
{
    if (m_settings.broker)
        m_topic = m_settings.broker->topicPrefix + QLatin1Char('/') + m_portName;
}

LiveOutputs::~LiveOutputs() = default;

std::optional<int> LiveOutputs::start(const QString &dataPath)
{
    // A reader of the line protocol that goes away ends that output, not the logging.
    std::signal(SIGPIPE, SIG_IGN);
    if (!m_settings.broker)
        return std::nullopt;
    const QFileInfo data(dataPath);
    if (data.exists() && !data.isFile())
        return Fail(ExitUsage, Say("%1: --mqtt хранит очередь рядом с файлом данных, нужен файл",
                                   "%1: --mqtt keeps its queue beside the data file, which must "
                                   "be a file")
                                   .arg(dataPath));
    if (!m_queue.open(dataPath + QStringLiteral(".mqtt-queue")))
        return Fail(ExitFailure, m_queue.error());
    m_publisher = std::make_unique<MqttPublisher>(m_queue);
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const QString clientId = QStringLiteral("orma-cli-%1-%2-%3")
                                 .arg(QString::fromLocal8Bit(host), m_portName)
                                 .arg(::getpid());
    QString error;
    if (!m_publisher->start(*m_settings.broker, m_settings.password, m_settings.caFile, clientId,
                            error))
        return Fail(ExitUsage, error);
    // A refusal or a lost link is told at once; a broker not there at the start after a while.
    connect(m_publisher.get(), &MqttPublisher::connectionChanged, this, [this] {
        m_firstConnect.stop();
        tellConnection();
    });
    m_firstConnect.setSingleShot(true);
    connect(&m_firstConnect, &QTimer::timeout, this, &LiveOutputs::tellConnection);
    m_firstConnect.start(FirstConnectWaitMs);
    return std::nullopt;
}

void LiveOutputs::lineKept(const std::string &bytes, const PostedLine &line)
{
    DeviceReading reading{};
    if (bytes.empty()) {
        ++m_unread;
        return;
    }
    if (!ReceivedReading(bytes, {line.lineCounter, 0}, m_mode, reading))
        return;
    const QDateTime instant = m_instants.instantOf(reading.time, QDateTime::currentDateTime());
    if (m_settings.influx && !m_influxFailed) {
        const QByteArray text = InfluxLine(m_portName, reading, instant) + '\n';
        if (std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout) !=
                std::size_t(text.size()) ||
            std::fflush(stdout) != 0) {
            m_influxFailed = true;
            tell(Say("стандартный вывод закрыт: --emit influx остановлен, запись в файл "
                     "продолжается",
                     "standard output closed: --emit influx stopped, the data file goes "
                     "on"));
        }
    }
    if (m_publisher) {
        if (!m_queue.append(m_topic.toUtf8() + '\t' + ReadingJson(reading, instant))) {
            if (!m_queueFailed)
                tell(m_queue.error());
            m_queueFailed = true;
            return;
        }
        m_publisher->queued();
    }
}

QString LiveOutputs::progressText() const
{
    if (!m_publisher)
        return {};
    if (m_publisher->connected())
        return m_queue.waiting() > 0
                   ? Say("  MQTT: в очереди %1", "  MQTT: %1 queued").arg(m_queue.waiting())
                   : QStringLiteral("  MQTT");
    return Say("  MQTT недоступен, в очереди %1", "  MQTT unreachable, %1 queued")
        .arg(m_queue.waiting());
}

void LiveOutputs::sync()
{
    if (m_publisher)
        m_queue.sync();
}

// A word while the reception runs: on a terminal it starts below the progress line, which is
// drawn again under it.
void LiveOutputs::tell(const QString &text) const
{
    if (isatty(STDERR_FILENO) == 1)
        std::fputc('\n', stderr);
    Fail(ExitOk, text);
}

// Said once for each change, so that a journal of a service shows when the broker went and
// came back.
void LiveOutputs::tellConnection()
{
    const bool connected = m_publisher->connected();
    if (!connected && m_firstConnect.isActive())
        return;
    const QString text = connected ? Say("брокер %1:%2 на связи", "broker %1:%2 connected")
                                         .arg(m_settings.broker->host)
                                         .arg(m_settings.broker->port)
                                   : Say("брокер недоступен: %1; измерения ждут в %2",
                                         "broker unreachable: %1; readings wait in %2")
                                         .arg(m_publisher->problem(), m_queue.path());
    if (text == m_lastTold || (connected && m_lastTold.isEmpty()))
        return;
    m_lastTold = text;
    tell(text);
}

int LiveOutputs::finish(int status)
{
    int outputStatus = m_influxFailed ? ExitFailure : ExitOk;
    if (m_publisher) {
        m_publisher->drain(DrainAtEndMs);
        m_publisher->stop();
        m_queue.sync();
        if (m_queue.dropped() > 0)
            Fail(ExitOk, Say("очередь брокера была полна: %1 старейших измерений не отправлено "
                             "(они есть в файле данных)",
                             "the broker's queue was full: the %1 oldest readings were not sent "
                             "(the data file has them)")
                             .arg(m_queue.dropped()));
        if (m_queue.waiting() > 0) {
            outputStatus = ExitBrokerFailure;
            Fail(ExitOk,
                 Say("не доставлено брокеру измерений: %1 (%2); они ждут в %3 и уйдут "
                     "при следующем запуске",
                     "%1 readings not delivered to the broker (%2); they wait in %3 for "
                     "the next run")
                     .arg(m_queue.waiting())
                     .arg(m_publisher->problem().isEmpty() ? Say("время вышло", "out of time")
                                                           : m_publisher->problem(),
                          m_queue.path()));
        } else if (m_queueFailed) {
            outputStatus = ExitBrokerFailure;
        }
    }
    if (m_unread > 0)
        Fail(ExitOk, Say("измерений не отправлено, они есть только в файле данных: %1",
                         "readings not sent on, in the data file only: %1")
                         .arg(m_unread));
    return status != ExitOk ? status : outputStatus;
}
