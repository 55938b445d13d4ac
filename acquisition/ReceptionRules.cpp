#include "acquisition/ReceptionRules.h"

#include <algorithm>
#include <cmath>
#include <limits>

std::optional<std::uint32_t> PollPeriodFromSeconds(double seconds)
{
    constexpr double LargestMs = std::numeric_limits<std::uint32_t>::max();
    if (!std::isfinite(seconds) || seconds < 0 || seconds * 1000 > LargestMs)
        return std::nullopt;
    return static_cast<std::uint32_t>(seconds * 1000);
}

int FirstDataWaitMs(PollMode mode, const AcquisitionTimings &timings)
{
    return mode == PollMode::FromMemory ? timings.firstDataFromMemory : timings.firstDataContinuous;
}

int NextDataWaitMs(PollMode mode, std::uint32_t periodMs, const AcquisitionTimings &timings)
{
    if (mode != PollMode::Continuous || periodMs == 0)
        return timings.nextData;
    const std::int64_t wait =
        std::max<std::int64_t>(timings.nextDataPolled, std::int64_t{periodMs} + timings.nextData);
    return static_cast<int>(std::min<std::int64_t>(wait, std::numeric_limits<int>::max()));
}

SilenceWatch::SilenceWatch(ContinuousSilence continuous, QObject *parent)
    : QObject(parent), m_continuous(continuous)
{
    m_firstData.setSingleShot(true);
    m_nextData.setSingleShot(true);
    connect(&m_firstData, &QTimer::timeout, this, &SilenceWatch::firstDataTimedOut);
    connect(&m_nextData, &QTimer::timeout, this, &SilenceWatch::silent);
}

void SilenceWatch::prepare(PollMode mode, std::uint32_t periodMs)
{
    stop();
    m_mode = mode;
    m_periodMs = periodMs;
}

void SilenceWatch::awaitFirstLine()
{
    m_firstData.start(FirstDataWaitMs(m_mode, m_timings));
}

void SilenceWatch::lineCame()
{
    m_firstData.stop();
    if (m_mode == PollMode::Continuous && m_continuous == ContinuousSilence::IsNoEnd)
        return;
    m_nextData.start(NextDataWaitMs(m_mode, m_periodMs, m_timings));
}

void SilenceWatch::stop()
{
    m_firstData.stop();
    m_nextData.stop();
}

std::optional<ReceptionEnd> EndToReport(ReaderEndReason reason)
{
    switch (reason) {
    case ReaderEndReason::BufferFull:
        return ReceptionEnd::BufferFull;
    case ReaderEndReason::LinkLost:
        return ReceptionEnd::LinkLost;
    case ReaderEndReason::Stopped:
    case ReaderEndReason::EndOfData:
        break;
    }
    return std::nullopt;
}

QString ReceptionEndText(ReceptionEnd end, MessageLanguage language, const QString &keptIn)
{
    const bool russian = language == MessageLanguage::Russian;
    const auto say = [russian](const char *inRussian, const char *inEnglish) {
        return QString::fromUtf8(russian ? inRussian : inEnglish);
    };
    const QString kept =
        keptIn.isEmpty()
            ? say("\nПолученные данные сохранены.", "; what came is kept")
            : say("\nПолученные данные сохранены в %1.", "; what came is kept in %1").arg(keptIn);
    switch (end) {
    case ReceptionEnd::FirstDataTimedOut:
        return say("Истек тайм-аут ожидания передачи данных.", "no data came in time");
    case ReceptionEnd::NoData:
        return say("Данные не получены.", "no data received");
    case ReceptionEnd::BufferFull:
        return say("Буфер приема заполнен, прием остановлен.",
                   "the receive buffer is full, the reception stopped") +
               kept;
    case ReceptionEnd::LinkLost:
        return say("Связь с прибором потеряна, прием остановлен.",
                   "the link to the instrument was lost") +
               kept;
    }
    return {};
}

QString PortOpenErrorText(const PortOpenFailure &failure, MessageLanguage language)
{
    QString text = QString::fromUtf8(
        language == MessageLanguage::Russian ? "Ошибка открытия порта" : "the port does not open");
    const QString reason = PortOpenFailureText(failure, language);
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    return text;
}
