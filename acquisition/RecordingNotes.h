#pragma once

#include "companions/ReadingNotes.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// The notes of the recording the window holds, in the times of its series, and where they are
// kept: beside each data file read (a file joined into a timeline keeps its own notes, in its
// own times), beside the data file a save wrote, and beside the journal of a reception while
// it runs, so that a crash keeps them with the bytes.
class RecordingNotes
{
public:
    // A data file of the recording and what its times move by on the timeline.
    struct File
    {
        QString path;
        std::int32_t offset = 0;
    };

    const ReadingNotes &notes() const { return m_notes; }
    bool empty() const { return m_notes.empty(); }
    // Notes were added, changed or removed since they were last read or written.
    bool unsaved() const { return m_unsaved; }
    // Notes have files of their own to be written back to (see saveBack).
    bool hasFiles() const { return !m_files.empty(); }

    // A recording without notes or files, as a new reception from a port starts.
    void clear();
    // The notes of files, the data files of the recording in the order of the timeline, each
    // moved by its file's offset. Returns a message for each sidecar that could not be read
    // or held lines that do not read; the others' notes are kept.
    QStringList load(std::vector<File> files);

    // Adds a note at time; an empty text adds nothing. True when a note was added.
    bool add(std::int32_t time, const QString &text);
    // The text of the first note at exactly time, empty when there is none.
    QString textAt(std::int32_t time) const;
    // Sets the note of a reading at time: replaces the text of the notes there with text, or
    // removes them for an empty text. True when the notes changed.
    bool setAt(std::int32_t time, const QString &text);

    // Keeps the notes beside the journal at journalPath from now on (written at every
    // change), or nowhere for an empty path.
    QString keepBesideJournal(const QString &journalPath);
    // Writes the notes beside the data file a save wrote at path, which holds the rows of
    // every file of the recording in their own times. The notes of a recording that was not
    // a joined one are then kept there; a joined one's are written back to its files too
    // (saveBack). Returns why it failed, or an empty string.
    QString saveBeside(const QString &path);
    // Writes the notes of each file whose notes changed back beside it, in its own times. A
    // sidecar that could not be read is never replaced. Returns why one failed, or an empty
    // string.
    QString saveBack();

private:
    // The notes of file number index, in its own times.
    ReadingNotes notesOfFile(std::size_t index) const;
    std::size_t fileOf(std::int32_t time) const;
    void changed();

    ReadingNotes m_notes;
    std::vector<File> m_files;
    // Of each file, its notes as last read or written, none when its sidecar could not be read.
    std::vector<std::optional<ReadingNotes>> m_filed;
    QString m_journalNotes;
    bool m_unsaved = false;
};
