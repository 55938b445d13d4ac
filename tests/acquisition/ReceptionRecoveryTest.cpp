#include "acquisition/AcquisitionControl.h"
#include "acquisition/ReceptionJournal.h"
#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

class NoView : public AcquisitionView
{
public:
    std::optional<double> enteredPeriod() const override { return 0.0; }
    void setProgress(int) override {}
    void setWaitCursor(bool) override {}
    void updateControls() override {}
};

// A journal left by a continuous reception of a process that is gone (process 1 is no copy
// of this program).
void leaveJournal(const QString &folder)
{
    QFile file(QDir(folder).filePath(QStringLiteral("reception-continuous-20261208-080000-1.orm")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int second = 1; second <= 3; ++second)
        file.write(QStringLiteral("10:00:%1:00 E=0.950 T= %2\r\n")
                       .arg(second, 2, 10, QLatin1Char('0'))
                       .arg(500 + second)
                       .toLatin1());
}

// Yes reads the journal back in its own mode and hands it to the reception, which removes it
// once the rows it read whole leave; No removes it; Cancel, as Escape, leaves it to be offered
// at the next start. Nothing of it asks the user anything.
TEST(ReceptionRecovery, EachAnswerSettlesTheJournalAndItsOwnerRemovesIt)
{
    EXPECT_EQ(RecoveryChoiceFor(Prompts::Answer::Yes), RecoveryChoice::Restore);
    EXPECT_EQ(RecoveryChoiceFor(Prompts::Answer::No), RecoveryChoice::Discard);
    EXPECT_EQ(RecoveryChoiceFor(Prompts::Answer::Cancel), RecoveryChoice::AskAgain);
    EXPECT_EQ(RecoveryChoiceFor(Prompts::Answer::Ok), RecoveryChoice::AskAgain);

    QTemporaryDir dir;
    const QString folder = dir.path();
    const auto journals = [&] { return QDir(folder).entryList(QDir::Files); };
    leaveJournal(folder);
    NoView view;
    ScriptedPrompts prompts;
    {
        AcquisitionControl reception(view, prompts);
        reception.setJournalFolder(folder);
        std::optional<InterruptedReception> found = ReceptionJournal::find(folder);
        ASSERT_TRUE(found);

        reception.settleInterruptedReception(*found, RecoveryChoice::AskAgain);
        EXPECT_EQ(reception.state(), AcquisitionState::Idle);
        found = ReceptionJournal::find(folder);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->lines, 3);

        reception.settleInterruptedReception(*found, RecoveryChoice::Restore);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return reception.state() == AcquisitionState::DataReady; }, 10000));
        EXPECT_EQ(reception.mode(), PollMode::Continuous);
        EXPECT_EQ(reception.table().rowCount(), 3);
        EXPECT_EQ(reception.series().records[2].temperature, 503);
        EXPECT_TRUE(reception.holdsUnsavedRows());
        // Taken over by this process: it is on disk, and no other copy offers it meanwhile.
        ASSERT_EQ(journals().size(), 1);
        EXPECT_TRUE(journals()[0].endsWith(
            QStringLiteral("-%1.orm").arg(QCoreApplication::applicationPid())));
        EXPECT_FALSE(ReceptionJournal::find(folder));
    }
    EXPECT_TRUE(journals().isEmpty());

    leaveJournal(folder);
    {
        AcquisitionControl reception(view, prompts);
        const std::optional<InterruptedReception> found = ReceptionJournal::find(folder);
        ASSERT_TRUE(found);
        reception.settleInterruptedReception(*found, RecoveryChoice::Discard);
        EXPECT_EQ(reception.state(), AcquisitionState::Idle);
        EXPECT_EQ(reception.table().rowCount(), 0);
    }
    EXPECT_TRUE(journals().isEmpty());
    EXPECT_TRUE(prompts.shown.empty());
}

// The notes of a reception are carried by its journal: restored with its rows, kept up to
// date beside the journal taken over, and gone with it.
TEST(ReceptionRecovery, TheJournalsNotesComeBackWithItsRowsAndGoWithIt)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    const auto files = [&] { return QDir(folder).entryList(QDir::Files); };
    const auto leaveNotes = [&] {
        QFile notes(QDir(folder).filePath("reception-continuous-20261208-080000-1.orm.notes"));
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write("10:00:02.000\tобразец 3\n");
    };
    leaveJournal(folder);
    leaveNotes();
    NoView view;
    ScriptedPrompts prompts;
    {
        AcquisitionControl reception(view, prompts);
        std::optional<InterruptedReception> found = ReceptionJournal::find(folder);
        ASSERT_TRUE(found);
        reception.settleInterruptedReception(*found, RecoveryChoice::Restore);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return reception.state() == AcquisitionState::DataReady; }, 10000));
        const MeasurementTableModel &table = reception.table();
        ASSERT_GE(table.noteColumn(), 0);
        EXPECT_EQ(table.headerData(table.noteColumn(), Qt::Horizontal, Qt::DisplayRole),
                  QStringLiteral("Заметка"));
        EXPECT_EQ(table.index(1, table.noteColumn()).data(), QStringLiteral("образец 3"));
        EXPECT_EQ(table.index(0, table.noteColumn()).data(), QString());

        reception.setNote(reception.rowTime(2), QStringLiteral("печь открыта"), true);
        const QStringList kept = files();
        ASSERT_EQ(kept.size(), 2);
        QFile notes(QDir(folder).filePath(kept[1]));
        ASSERT_TRUE(notes.open(QIODevice::ReadOnly));
        EXPECT_EQ(notes.readAll(), "10:00:02.000\tобразец 3\n10:00:03.000\tпечь открыта\n");
        EXPECT_EQ(kept[1], kept[0] + ".notes");
    }
    EXPECT_TRUE(files().isEmpty());

    leaveJournal(folder);
    leaveNotes();
    {
        AcquisitionControl reception(view, prompts);
        const std::optional<InterruptedReception> found = ReceptionJournal::find(folder);
        ASSERT_TRUE(found);
        reception.settleInterruptedReception(*found, RecoveryChoice::Discard);
    }
    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(prompts.shown.empty());
}

} // namespace
