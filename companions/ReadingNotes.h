#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// A note on a reading or a moment of a recording ("дверь печи открыта"): the time of its data
// file's day in milliseconds and a short text of one line.
struct ReadingNote
{
    std::int32_t time = 0;
    QString text;

    bool operator==(const ReadingNote &other) const = default;
};

// A recording's notes, in time order; notes of the same time keep the order they were added in.
using ReadingNotes = std::vector<ReadingNote>;

// The longest text a note keeps, in characters.
constexpr int ReadingNoteMaxLength = 500;

// A note's text as it is kept: line breaks and tabs become spaces, the ends are trimmed and
// the text is cut at ReadingNoteMaxLength.
QString NoteText(const QString &text);

// Adds a note in time order, after those of the same time; its text goes through NoteText. An
// empty text adds nothing. Returns where the note went, or -1.
int AddNote(ReadingNotes &notes, std::int32_t time, const QString &text);

// The notes kept beside a data file, which stays the instrument's stream byte for byte: the
// data file's name with ".notes" added.
QString NotesFilePath(const QString &dataFilePath);

// The sidecar's text: UTF-8, one note a line, "HH:MM:SS.mmm", a tab and the text.
QByteArray NotesFileText(const ReadingNotes &notes);

// The notes of a sidecar's text, in time order. Lines that do not read (a time out of the day,
// no tab, an empty text) are skipped and counted, so one damaged line does not cost the rest.
struct NotesReadBack
{
    ReadingNotes notes;
    int skippedLines = 0;
};
NotesReadBack ReadNotesText(const QByteArray &text);

// Reads the sidecar at path. A missing sidecar is a recording without notes. False, with error
// set in the system's words, for one that exists and cannot be read.
bool ReadNotesFile(const QString &path, NotesReadBack &readBack, QString &error);

// Writes the sidecar at path as a save writes any output (replacing only a regular file);
// with no notes, removes a sidecar that is there. Returns why it failed, or an empty string.
QString WriteNotesFile(const QString &path, const ReadingNotes &notes);
