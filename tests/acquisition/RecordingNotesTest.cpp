#include "acquisition/RecordingNotes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr std::int32_t Day = 24 * 60 * 60 * 1000;

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Two daily files joined: each one's notes come in its day's place on the timeline, go back to
// their own file in their own times, and a file whose notes did not change is not touched.
TEST(RecordingNotes, JoinedFilesKeepTheirOwnNotesInTheirOwnTimes)
{
    QTemporaryDir folder;
    const QString monday = folder.filePath("log-2026-03-02.orm");
    const QString tuesday = folder.filePath("log-2026-03-03.orm");
    write(NotesFilePath(monday), "08:00:00.000\tпечь включена\n");
    write(NotesFilePath(tuesday), "07:30:00.500\tобразец 3\nдверь\n");

    RecordingNotes notes;
    // Given out of order: the timeline's order counts.
    const QStringList problems = notes.load({{tuesday, Day}, {monday, 0}});
    ASSERT_EQ(problems.size(), 1); // the line without a time
    EXPECT_TRUE(problems.first().contains(QStringLiteral("не прочитано строк: 1")));
    ASSERT_EQ(notes.notes().size(), 2U);
    EXPECT_EQ(notes.notes()[1].time, Day + 27'000'500);
    EXPECT_FALSE(notes.unsaved());

    EXPECT_TRUE(notes.add(8 * 3'600'000 + 1000, QStringLiteral("дверь печи открыта")));
    EXPECT_TRUE(notes.unsaved());
    ASSERT_EQ(notes.saveBack(), QString());
    EXPECT_FALSE(notes.unsaved());
    EXPECT_EQ(contents(NotesFilePath(monday)),
              "08:00:00.000\tпечь включена\n08:00:01.000\tдверь печи открыта\n");
    // Tuesday's damaged line stays on disk: its notes did not change.
    EXPECT_EQ(contents(NotesFilePath(tuesday)), "07:30:00.500\tобразец 3\nдверь\n");

    // Saved as one file, the rows keep their own times, and so do the notes.
    const QString joined = folder.filePath("week.orm");
    ASSERT_EQ(notes.saveBeside(joined), QString());
    EXPECT_EQ(contents(NotesFilePath(joined)), "07:30:00.500\tобразец 3\n08:00:00.000\tпечь "
                                               "включена\n08:00:01.000\tдверь печи открыта\n");
}

// The table edits the one note of a reading: a new text replaces it, an empty one removes it,
// and the last note gone removes the sidecar at the next save.
TEST(RecordingNotes, AReadingsNoteIsReplacedAndRemovedAndAStaleSidecarGoes)
{
    QTemporaryDir folder;
    const QString data = folder.filePath("run.orm");
    RecordingNotes notes;
    EXPECT_TRUE(notes.load({{data, 0}}).isEmpty());
    EXPECT_TRUE(notes.setAt(5000, QStringLiteral("первая")));
    EXPECT_FALSE(notes.setAt(5000, QStringLiteral(" первая ")));
    EXPECT_TRUE(notes.add(5000, QStringLiteral("вторая")));
    EXPECT_TRUE(notes.setAt(5000, QStringLiteral("одна")));
    ASSERT_EQ(notes.notes().size(), 1U);
    EXPECT_EQ(notes.textAt(5000), QStringLiteral("одна"));
    ASSERT_EQ(notes.saveBack(), QString());
    EXPECT_EQ(contents(NotesFilePath(data)), "00:00:05.000\tодна\n");

    EXPECT_TRUE(notes.setAt(5000, QString()));
    EXPECT_TRUE(notes.empty());
    ASSERT_EQ(notes.saveBack(), QString());
    EXPECT_FALSE(QFile::exists(NotesFilePath(data)));
    EXPECT_FALSE(notes.setAt(5000, QString()));
}

// While a reception runs its notes are on disk beside its journal at every change; a save
// makes the saved file their home.
TEST(RecordingNotes, AReceptionsNotesFollowItsJournalThenItsSave)
{
    QTemporaryDir folder;
    const QString journal = folder.filePath("reception-memory-x-1.orm");
    RecordingNotes notes;
    EXPECT_FALSE(notes.hasFiles());
    EXPECT_EQ(notes.keepBesideJournal(journal), QString());
    notes.add(1000, QStringLiteral("сейчас"));
    EXPECT_EQ(contents(NotesFilePath(journal)), "00:00:01.000\tсейчас\n");

    const QString saved = folder.filePath("saved.orm");
    ASSERT_EQ(notes.saveBeside(saved), QString());
    notes.keepBesideJournal({});
    EXPECT_TRUE(notes.hasFiles());
    EXPECT_FALSE(notes.unsaved());
    notes.add(2000, QStringLiteral("потом"));
    ASSERT_EQ(notes.saveBack(), QString());
    EXPECT_EQ(contents(NotesFilePath(saved)), "00:00:01.000\tсейчас\n00:00:02.000\tпотом\n");
    EXPECT_EQ(contents(NotesFilePath(journal)), "00:00:01.000\tсейчас\n");
}

// A sidecar that cannot be read is reported, and never replaced by the notes that were read.
TEST(RecordingNotes, AnUnreadableSidecarIsReportedAndLeftAlone)
{
    QTemporaryDir folder;
    const QString data = folder.filePath("run.orm");
    ASSERT_TRUE(QDir(folder.path()).mkdir("run.orm.notes"));
    RecordingNotes notes;
    EXPECT_EQ(notes.load({{data, 0}}).size(), 1);
    notes.add(1000, QStringLiteral("новая"));
    EXPECT_FALSE(notes.saveBack().isEmpty());
    EXPECT_TRUE(notes.unsaved());
    EXPECT_TRUE(QFileInfo(NotesFilePath(data)).isDir());
}

} // namespace
