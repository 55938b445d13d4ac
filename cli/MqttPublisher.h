#pragma once

#include "acquisition/ReadingQueue.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <deque>
#include <optional>
#include <thread>

struct mosquitto;

// Where readings go: mqtt://[user@]host[:port]/topic-prefix, or mqtts:// for TLS.
struct BrokerAddress
{
    bool tls = false;
    QString host;
    int port = 1883;
    QString user;
    QString topicPrefix;
};

// The address in url; none, with error set, for another form. A password in the URL is
// refused: it would show in the process list and the shell's history.
std::optional<BrokerAddress> ParseBrokerUrl(const QString &url, QString &error);

// Publishes the lines of a ReadingQueue ("topic<TAB>payload") to a broker with QoS 1, in the
// order of the queue; the network is served by a thread of its own. A line leaves the queue when
// the broker acknowledged it and every line before it. While the broker cannot be reached the
// lines stay queued; the client reconnects with a growing delay, up to 4 seconds.
class MqttPublisher : public QObject
{
    Q_OBJECT
public:
    explicit MqttPublisher(ReadingQueue &queue, QObject *parent = nullptr);
    ~MqttPublisher() override;

    // Starts connecting; false, with error set, for settings the library refuses (a CA file
    // that does not read). A broker that is not there is no error: it is waited for.
    bool start(const BrokerAddress &address, const QString &password, const QString &caFile,
               const QString &clientId, QString &error);
    // A line was appended to the queue: it goes out at once when the broker is connected.
    void queued();
    // Waits, handling events, until the queue is empty, the broker is found gone, or
    // timeoutMs.
    void drain(int timeoutMs);
    // Disconnects and stops the network thread.
    void stop();

    bool connected() const { return m_connected; }
    // Why the broker does not take readings now; empty while it does.
    QString problem() const { return m_problem; }

signals:
    // The broker became reachable or was lost; problem() says why.
    void connectionChanged();

private:
    static void onConnect(mosquitto *, void *self, int code);
    static void onDisconnect(mosquitto *, void *self, int code);
    static void onPublish(mosquitto *, void *self, int messageId);

    void connectedWith(int code);
    void disconnectedWith(int code);
    void acknowledged(int messageId);
    void failedWith(const QString &text);
    void sendMore();
    void serveNetwork();

    struct InFlight
    {
        int messageId;
        std::int64_t next;
        bool acknowledged;
    };

    ReadingQueue &m_queue;
    mosquitto *m_client = nullptr;
    std::thread m_network;
    std::atomic<bool> m_stopping{false};
    // Whether the network thread holds a connection, as its own callbacks saw it.
    std::atomic<bool> m_linkUp{false};
    bool m_connected = false;
    // Whether an attempt to reach the broker failed or the link was lost.
    bool m_failed = false;
    QString m_where;
    QString m_problem;
    // The lines handed to the library and not yet released, in queue order.
    std::deque<InFlight> m_inFlight;
    // The next line to hand over.
    std::int64_t m_cursor = 0;
};
