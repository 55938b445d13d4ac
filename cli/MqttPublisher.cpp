#include "cli/MqttPublisher.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QUrl>

#include <mosquitto.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

// The library's sentences end in a full stop; ours go on after them.
QString reason(const char *text)
{
    QString sentence = QString::fromUtf8(text);
    if (sentence.endsWith(QLatin1Char('.')))
        sentence.chop(1);
    return sentence;
}

// What failed, in the library's words or the system's.
QString failureText(int code, int error)
{
    return code == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(std::strerror(error))
                                  : reason(mosquitto_strerror(code));
}

// Lines handed to the library at once and not yet acknowledged.
constexpr int Window = 100;
constexpr int KeepAliveSeconds = 30;
// Short enough that a broker back from an outage gets the queued readings within seconds.
constexpr int LongestRetryMs = 4000;

void initLibrary()
{
    static const int initialised = mosquitto_lib_init();
    Q_UNUSED(initialised);
}

} // namespace

std::optional<BrokerAddress> ParseBrokerUrl(const QString &url, QString &error)
{
    const QUrl parsed(url, QUrl::StrictMode);
    BrokerAddress address;
    address.tls = parsed.scheme() == QStringLiteral("mqtts");
    if (!parsed.isValid() || (parsed.scheme() != QStringLiteral("mqtt") && !address.tls) ||
        parsed.host().isEmpty() || parsed.hasQuery() || parsed.hasFragment()) {
        error = QStringLiteral("--mqtt: mqtt://[user@]host[:port]/topic-prefix or mqtts://...");
        return std::nullopt;
    }
    if (!parsed.password().isEmpty()) {
        error = QStringLiteral("--mqtt: no password in the URL; give it in --password-file "
                               "or ORMA_MQTT_PASSWORD");
        return std::nullopt;
    }
    address.host = parsed.host();
    address.port = parsed.port(address.tls ? 8883 : 1883);
    address.user = parsed.userName();
    address.topicPrefix = parsed.path(QUrl::FullyDecoded);
    while (address.topicPrefix.startsWith(QLatin1Char('/')))
        address.topicPrefix.remove(0, 1);
    while (address.topicPrefix.endsWith(QLatin1Char('/')))
        address.topicPrefix.chop(1);
    if (address.topicPrefix.contains(QLatin1Char('+')) ||
        address.topicPrefix.contains(QLatin1Char('#'))) {
        error = QStringLiteral("--mqtt: the topic prefix cannot hold + or #");
        return std::nullopt;
    }
    if (address.topicPrefix.isEmpty())
        address.topicPrefix = QStringLiteral("orma");
    return address;
}

MqttPublisher::MqttPublisher(ReadingQueue &queue, QObject *parent) : QObject(parent), m_queue(queue)
{}

MqttPublisher::~MqttPublisher()
{
    stop();
    if (m_client != nullptr)
        mosquitto_destroy(m_client);
}

bool MqttPublisher::start(const BrokerAddress &address, const QString &password,
                          const QString &caFile, const QString &clientId, QString &error)
{
    initLibrary();
    m_where = QStringLiteral("%1:%2").arg(address.host).arg(address.port);
    m_problem = QStringLiteral("%1: not connected yet").arg(m_where);
    m_cursor = m_queue.head();
    m_client = mosquitto_new(clientId.toUtf8().constData(), true, this);
    if (m_client == nullptr) {
        error = QStringLiteral("--mqtt: the MQTT client could not be made");
        return false;
    }
    mosquitto_threaded_set(m_client, true);
    mosquitto_max_inflight_messages_set(m_client, Window);
    mosquitto_connect_callback_set(m_client, &MqttPublisher::onConnect);
    mosquitto_disconnect_callback_set(m_client, &MqttPublisher::onDisconnect);
    mosquitto_publish_callback_set(m_client, &MqttPublisher::onPublish);
    if (!address.user.isEmpty() || !password.isEmpty())
        mosquitto_username_pw_set(
            m_client, address.user.isEmpty() ? nullptr : address.user.toUtf8().constData(),
            password.isEmpty() ? nullptr : password.toUtf8().constData());
    if (address.tls) {
        const QByteArray file = caFile.toLocal8Bit();
        const int code = mosquitto_tls_set(m_client, caFile.isEmpty() ? nullptr : file.constData(),
                                           caFile.isEmpty() ? "/etc/ssl/certs" : nullptr, nullptr,
                                           nullptr, nullptr);
        if (code != MOSQ_ERR_SUCCESS) {
            error = QStringLiteral("--cafile: %1: %2")
                        .arg(caFile, QString::fromUtf8(mosquitto_strerror(code)));
            return false;
        }
    }
    // A broker that is not there yet is tried again by the network thread.
    const int code = mosquitto_connect_async(m_client, address.host.toUtf8().constData(),
                                             address.port, KeepAliveSeconds);
    if (code != MOSQ_ERR_SUCCESS) {
        m_problem = QStringLiteral("%1: %2").arg(m_where, failureText(code, errno));
        m_failed = true;
    }
    m_stopping = false;
    m_network = std::thread([this] { serveNetwork(); });
    return true;
}

// The library's loop, with a retry after each failure: one second, then twice as long each
// time up to LongestRetryMs, and one second again once connected.
void MqttPublisher::serveNetwork()
{
    int retryMs = 1000;
    QString lastFailure;
    // Why the broker is not reached, told to the main thread when it changes.
    const auto failed = [this, &lastFailure](int code, int error) {
        if (code == MOSQ_ERR_SUCCESS || code == MOSQ_ERR_NO_CONN)
            return;
        const QString text = failureText(code, error);
        if (text == lastFailure)
            return;
        lastFailure = text;
        QMetaObject::invokeMethod(
            this, [this, text] { failedWith(text); }, Qt::QueuedConnection);
    };
    while (!m_stopping) {
        const int code = mosquitto_loop(m_client, 200, 1);
        if (code == MOSQ_ERR_SUCCESS) {
            if (m_linkUp) {
                retryMs = 1000;
                lastFailure.clear();
            }
            continue;
        }
        failed(code, errno);
        for (int waited = 0; waited < retryMs && !m_stopping; waited += 100)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        retryMs = std::min(retryMs * 2, LongestRetryMs);
        if (!m_stopping) {
            const int again = mosquitto_reconnect(m_client);
            failed(again, errno);
        }
    }
}

void MqttPublisher::failedWith(const QString &text)
{
    if (m_connected)
        return;
    m_problem = QStringLiteral("%1: %2").arg(m_where, text);
    m_failed = true;
}

void MqttPublisher::onConnect(mosquitto *, void *self, int code)
{
    auto *publisher = static_cast<MqttPublisher *>(self);
    publisher->m_linkUp = code == 0;
    QMetaObject::invokeMethod(
        publisher, [publisher, code] { publisher->connectedWith(code); }, Qt::QueuedConnection);
}

void MqttPublisher::onDisconnect(mosquitto *, void *self, int code)
{
    auto *publisher = static_cast<MqttPublisher *>(self);
    publisher->m_linkUp = false;
    QMetaObject::invokeMethod(
        publisher, [publisher, code] { publisher->disconnectedWith(code); }, Qt::QueuedConnection);
}

void MqttPublisher::onPublish(mosquitto *, void *self, int messageId)
{
    auto *publisher = static_cast<MqttPublisher *>(self);
    QMetaObject::invokeMethod(
        publisher, [publisher, messageId] { publisher->acknowledged(messageId); },
        Qt::QueuedConnection);
}

void MqttPublisher::connectedWith(int code)
{
    if (code != 0) {
        m_problem = QStringLiteral("%1: %2").arg(m_where, reason(mosquitto_connack_string(code)));
        m_failed = true;
        emit connectionChanged();
        return;
    }
    m_connected = true;
    m_problem.clear();
    // The library sends again what it held unacknowledged; the rest follows in order.
    emit connectionChanged();
    sendMore();
}

void MqttPublisher::disconnectedWith(int code)
{
    if (!m_connected)
        return;
    m_connected = false;
    m_failed = true;
    m_problem = QStringLiteral("%1: %2").arg(m_where, code == 0 ? QStringLiteral("disconnected")
                                                                : reason(mosquitto_strerror(code)));
    emit connectionChanged();
}

void MqttPublisher::acknowledged(int messageId)
{
    for (InFlight &line : m_inFlight)
        if (line.messageId == messageId)
            line.acknowledged = true;
    std::int64_t delivered = -1;
    while (!m_inFlight.empty() && m_inFlight.front().acknowledged) {
        delivered = m_inFlight.front().next;
        m_inFlight.pop_front();
    }
    if (delivered >= 0)
        m_queue.release(delivered);
    sendMore();
}

void MqttPublisher::queued()
{
    sendMore();
}

void MqttPublisher::sendMore()
{
    m_cursor = std::max(m_cursor, m_queue.head());
    while (m_connected && m_inFlight.size() < Window && m_cursor < m_queue.end()) {
        const std::optional<ReadingQueue::Entry> entry = m_queue.at(m_cursor);
        if (!entry)
            return;
        const qsizetype tab = entry->line.indexOf('\t');
        const QByteArray topic = entry->line.left(tab);
        const QByteArray payload = entry->line.mid(tab + 1);
        int messageId = 0;
        const int code =
            tab <= 0 ? MOSQ_ERR_INVAL
                     : mosquitto_publish(m_client, &messageId, topic.constData(),
                                         int(payload.size()), payload.constData(), 1, false);
        if (code == MOSQ_ERR_SUCCESS) {
            m_inFlight.push_back({messageId, entry->next, false});
        } else if (code == MOSQ_ERR_INVAL || code == MOSQ_ERR_PAYLOAD_SIZE ||
                   code == MOSQ_ERR_MALFORMED_UTF8 || code == MOSQ_ERR_OVERSIZE_PACKET) {
            // A line that is no message, or that the broker would never take, is passed over.
            if (m_inFlight.empty())
                m_queue.release(entry->next);
            else
                m_inFlight.push_back({0, entry->next, true});
        } else {
            // The link went down under it: the line goes again once it is back.
            return;
        }
        m_cursor = entry->next;
    }
}

void MqttPublisher::drain(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // A broker still being reached for the first time is waited for too.
    while ((m_connected || !m_failed) && m_queue.waiting() > 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void MqttPublisher::stop()
{
    if (!m_network.joinable())
        return;
    if (m_connected)
        mosquitto_disconnect(m_client);
    m_stopping = true;
    m_network.join();
    m_connected = false;
}
