#include "acquisition/ReceptionRules.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace {

// Every end in both languages: the window shows the Russian lines as they are, orma-cli joins
// them and names the file that keeps what came.
TEST(ReceptionRules, EachEndHasItsWordsInBothLanguages)
{
    const QString path = QStringLiteral("/var/log/kiln.orm");
    const struct
    {
        ReceptionEnd end;
        QString keptIn;
        const char *russian;
        const char *english;
    } rows[] = {
        {ReceptionEnd::FirstDataTimedOut,
         {},
         "Истек тайм-аут ожидания передачи данных.",
         "no data came in time"},
        {ReceptionEnd::NoData, {}, "Данные не получены.", "no data received"},
        {ReceptionEnd::BufferFull,
         {},
         "Буфер приема заполнен, прием остановлен.\nПолученные данные сохранены.",
         "the receive buffer is full, the reception stopped; what came is kept"},
        {ReceptionEnd::LinkLost,
         {},
         "Связь с прибором потеряна, прием остановлен.\nПолученные данные сохранены.",
         "the link to the instrument was lost; what came is kept"},
        {ReceptionEnd::LinkLost, path,
         "Связь с прибором потеряна, прием остановлен.\nПолученные данные сохранены в "
         "/var/log/kiln.orm.",
         "the link to the instrument was lost; what came is kept in /var/log/kiln.orm"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.english);
        EXPECT_EQ(ReceptionEndText(row.end, MessageLanguage::Russian, row.keptIn),
                  QString::fromUtf8(row.russian));
        EXPECT_EQ(ReceptionEndText(row.end, MessageLanguage::English, row.keptIn),
                  QString::fromUtf8(row.english));
    }

    // Only a reader that ended by itself on a fault has something to say.
    EXPECT_EQ(EndToReport(ReaderEndReason::BufferFull), ReceptionEnd::BufferFull);
    EXPECT_EQ(EndToReport(ReaderEndReason::LinkLost), ReceptionEnd::LinkLost);
    EXPECT_FALSE(EndToReport(ReaderEndReason::Stopped));
    EXPECT_FALSE(EndToReport(ReaderEndReason::EndOfData));

    PortOpenFailure busy;
    busy.reason = PortOpenFailure::Reason::Busy;
    EXPECT_EQ(PortOpenErrorText(busy, MessageLanguage::Russian),
              "Ошибка открытия порта\nПорт занят другой программой.");
    EXPECT_EQ(PortOpenErrorText(busy, MessageLanguage::English),
              "the port does not open\nThe port is in use by another program.");
    PortOpenFailure other;
    other.reason = PortOpenFailure::Reason::Other;
    EXPECT_EQ(PortOpenErrorText(other, MessageLanguage::Russian), "Ошибка открытия порта");
}

// The window ends a continuous reception on silence too; orma-cli's logger runs until it is
// stopped. Both wait for the first line alike, and a line ends that wait.
TEST(ReceptionRules, SilenceEndsAContinuousReceptionOnlyWhereItIsMeantTo)
{
    AcquisitionTimings timings;
    timings.firstDataFromMemory = 60;
    timings.firstDataContinuous = 60;
    timings.nextData = 60;
    timings.nextDataPolled = 60;
    for (const auto continuous :
         {SilenceWatch::ContinuousSilence::Ends, SilenceWatch::ContinuousSilence::IsNoEnd}) {
        for (const PollMode mode : {PollMode::FromMemory, PollMode::Continuous}) {
            SilenceWatch watch(continuous);
            watch.setTimings(timings);
            QSignalSpy timedOut(&watch, &SilenceWatch::firstDataTimedOut);
            QSignalSpy silent(&watch, &SilenceWatch::silent);
            watch.prepare(mode, 0);
            watch.awaitFirstLine();
            EXPECT_TRUE(timedOut.wait(2000));

            watch.prepare(mode, 0);
            watch.awaitFirstLine();
            watch.lineCame();
            const bool ends =
                mode == PollMode::FromMemory || continuous == SilenceWatch::ContinuousSilence::Ends;
            EXPECT_EQ(silent.wait(ends ? 2000 : 300), ends);
            EXPECT_EQ(timedOut.count(), 1);
        }
    }

    // A period longer than the usual wait lengthens the wait for the next line.
    EXPECT_EQ(NextDataWaitMs(PollMode::Continuous, 0, AcquisitionTimings{}), 10000);
    EXPECT_EQ(NextDataWaitMs(PollMode::Continuous, 5000, AcquisitionTimings{}), 60000);
    EXPECT_EQ(NextDataWaitMs(PollMode::Continuous, 120000, AcquisitionTimings{}), 130000);
    EXPECT_EQ(NextDataWaitMs(PollMode::FromMemory, 120000, AcquisitionTimings{}), 10000);
    EXPECT_EQ(NextDataWaitMs(PollMode::Continuous, 4294967295u, AcquisitionTimings{}),
              std::numeric_limits<int>::max());
}

} // namespace
