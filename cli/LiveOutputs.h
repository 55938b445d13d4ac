#pragma once

#include "acquisition/LiveReadings.h"
#include "acquisition/ReaderThread.h"
#include "acquisition/ReadingQueue.h"
#include "cli/CliSupport.h"
#include "cli/MqttPublisher.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The outputs of "orma-cli download" beside its data file, which each reading reaches as it
// comes: --emit influx (line protocol on standard output) and --mqtt URL (a broker, through a
// queue on disk beside the data file).

// Their options, for ParseArguments.
std::vector<CommandOption> LiveOutputOptions();

struct LiveOutputSettings
{
    bool influx = false;
    std::optional<BrokerAddress> broker;
    QString password;
    QString caFile;
    // The day of a memory download's first record.
    QDate firstDay;

    bool any() const { return influx || broker.has_value(); }
};

// Reads the options for a reception in mode. None, with the status and its message already
// said, for options that do not fit: --date is needed with an output in memory mode, the
// password comes from --password-file or ORMA_MQTT_PASSWORD.
std::optional<LiveOutputSettings> ReadLiveOutputSettings(const Arguments &arguments, PollMode mode,
                                                         int &status);

class LiveOutputs : public QObject
{
public:
    LiveOutputs(const LiveOutputSettings &settings, PollMode mode, const QString &port);
    ~LiveOutputs() override;

    // Opens the broker's queue beside the data file dataPath and starts connecting; returns
    // the failure's status, with its message said, when the queue cannot be had.
    std::optional<int> start(const QString &dataPath);
    // The line the reader kept at line, its bytes from the reception file.
    void lineKept(const std::string &bytes, const PostedLine &line);
    // What the progress line adds: the broker's state and the readings waiting for it.
    QString progressText() const;
    // Makes the queue safe from a power loss, with the data file.
    void sync();
    // Sends what the broker can still take, stops, and returns the download's status: status
    // when that is a failure of the instrument or the file, else a failure of an output.
    int finish(int status);

private:
    void tellConnection();
    void tell(const QString &text) const;

    LiveOutputSettings m_settings;
    PollMode m_mode;
    QString m_portName;
    QString m_topic;
    ReadingInstants m_instants;
    ReadingQueue m_queue;
    std::unique_ptr<MqttPublisher> m_publisher;
    QTimer m_firstConnect;
    QString m_lastTold;
    bool m_influxFailed = false;
    quint64 m_unread = 0;
    bool m_queueFailed = false;
};
