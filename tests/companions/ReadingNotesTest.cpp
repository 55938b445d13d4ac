#include "companions/ReadingNotes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(ReadingNotes, KeepTimeOrderAndTheOrderOfAddingWithinATime)
{
    ReadingNotes notes;
    EXPECT_EQ(AddNote(notes, 5000, QStringLiteral("второй")), 0);
    EXPECT_EQ(AddNote(notes, 1000, QStringLiteral("первый")), 0);
    EXPECT_EQ(AddNote(notes, 5000, QStringLiteral("третий")), 2);
    EXPECT_EQ(AddNote(notes, 3000, QStringLiteral("  \t\n ")), -1);
    ASSERT_EQ(notes.size(), 3U);
    EXPECT_EQ(notes[0].text, QStringLiteral("первый"));
    EXPECT_EQ(notes[1].text, QStringLiteral("второй"));
    EXPECT_EQ(notes[2].text, QStringLiteral("третий"));
}

TEST(ReadingNotes, TextsStayOneLineOfBoundedLength)
{
    EXPECT_EQ(NoteText(QStringLiteral(" дверь\tпечи\r\nоткрыта ")),
              QStringLiteral("дверь печи  открыта"));
    EXPECT_EQ(NoteText(QString(2 * ReadingNoteMaxLength, QLatin1Char('x'))).size(),
              ReadingNoteMaxLength);
}

TEST(ReadingNotes, SidecarReadsBackWhatWasWrittenAndSkipsDamagedLines)
{
    QTemporaryDir dir;
    const QString path = NotesFilePath(dir.filePath(QStringLiteral("kiln.orm")));
    EXPECT_TRUE(path.endsWith(QStringLiteral("kiln.orm.notes")));

    ReadingNotes notes;
    AddNote(notes, 0, QStringLiteral("начало"));
    AddNote(notes, 86'399'999, QStringLiteral("образец 3\tвынут"));
    ASSERT_EQ(WriteNotesFile(path, notes), QString());

    NotesReadBack readBack;
    QString error;
    ASSERT_TRUE(ReadNotesFile(path, readBack, error)) << error.toStdString();
    EXPECT_EQ(readBack.notes, notes);
    EXPECT_EQ(readBack.skippedLines, 0);

    const NotesReadBack damaged =
        ReadNotesText("00:00:01.000\tok\r\n24:00:00.000\tout of the day\nno tab\n12:00:00\t\n\n"
                      "12:00:00\tlast\n");
    ASSERT_EQ(damaged.notes.size(), 2U);
    EXPECT_EQ(damaged.notes[1], (ReadingNote{12 * 3'600'000, QStringLiteral("last")}));
    EXPECT_EQ(damaged.skippedLines, 3);

    // No notes left: the sidecar goes, and a missing one reads as none.
    ASSERT_EQ(WriteNotesFile(path, {}), QString());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(ReadNotesFile(path, readBack, error));
    EXPECT_TRUE(readBack.notes.empty());

    // A folder in the sidecar's place is refused in words, not read.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("kiln.orm.notes")));
    EXPECT_FALSE(ReadNotesFile(path, readBack, error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
