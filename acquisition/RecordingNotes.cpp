#include "acquisition/RecordingNotes.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

void RecordingNotes::clear()
{
    m_notes.clear();
    m_files.clear();
    m_filed.clear();
    m_journalNotes.clear();
    m_unsaved = false;
}

QStringList RecordingNotes::load(std::vector<File> files)
{
    clear();
    std::stable_sort(files.begin(), files.end(),
                     [](const File &a, const File &b) { return a.offset < b.offset; });
    m_files = std::move(files);
    QStringList problems;
    for (const File &file : m_files) {
        const QString sidecar = NotesFilePath(file.path);
        NotesReadBack readBack;
        QString error;
        if (!ReadNotesFile(sidecar, readBack, error)) {
            problems << QStringLiteral("Заметки не прочитаны: %1\n%2")
                            .arg(QDir::toNativeSeparators(sidecar), error);
            m_filed.emplace_back();
            continue;
        }
        // Lines that did not read are kept on disk until the file's notes change.
        m_filed.push_back(readBack.notes);
        if (readBack.skippedLines > 0)
            problems << QStringLiteral("В файле заметок %1 не прочитано строк: %2.")
                            .arg(QDir::toNativeSeparators(sidecar))
                            .arg(readBack.skippedLines);
        for (const ReadingNote &note : readBack.notes)
            AddNote(m_notes, note.time + file.offset, note.text);
    }
    return problems;
}

bool RecordingNotes::add(std::int32_t time, const QString &text)
{
    if (AddNote(m_notes, time, text) < 0)
        return false;
    changed();
    return true;
}

QString RecordingNotes::textAt(std::int32_t time) const
{
    const auto found =
        std::lower_bound(m_notes.begin(), m_notes.end(), time,
                         [](const ReadingNote &note, std::int32_t t) { return note.time < t; });
    return found != m_notes.end() && found->time == time ? found->text : QString();
}

bool RecordingNotes::setAt(std::int32_t time, const QString &text)
{
    const QString kept = NoteText(text);
    const auto atTime = [time](const ReadingNote &note) { return note.time == time; };
    const auto first = std::find_if(m_notes.begin(), m_notes.end(), atTime);
    if (first == m_notes.end()) {
        return add(time, kept);
    }
    if (kept.isEmpty()) {
        std::erase_if(m_notes, atTime);
    } else {
        if (first->text == kept && std::count_if(m_notes.begin(), m_notes.end(), atTime) == 1)
            return false;
        // A reading has one note: the others of its time merge into the one edited.
        first->text = kept;
        m_notes.erase(std::remove_if(std::next(first), m_notes.end(), atTime), m_notes.end());
    }
    changed();
    return true;
}

// A crash between two notes keeps the first; a failed write is not worth a message during a
// reception, the notes stay unsaved for the save that follows.
void RecordingNotes::changed()
{
    m_unsaved = true;
    if (!m_journalNotes.isEmpty())
        WriteNotesFile(m_journalNotes, m_notes);
}

QString RecordingNotes::keepBesideJournal(const QString &journalPath)
{
    m_journalNotes = journalPath.isEmpty() ? QString() : NotesFilePath(journalPath);
    return m_journalNotes.isEmpty() ? QString() : WriteNotesFile(m_journalNotes, m_notes);
}

std::size_t RecordingNotes::fileOf(std::int32_t time) const
{
    std::size_t index = 0;
    while (index + 1 < m_files.size() && m_files[index + 1].offset <= time)
        ++index;
    return index;
}

ReadingNotes RecordingNotes::notesOfFile(std::size_t index) const
{
    ReadingNotes kept;
    const std::int32_t offset = m_files.empty() ? 0 : m_files[index].offset;
    for (const ReadingNote &note : m_notes)
        if (m_files.empty() || fileOf(note.time) == index)
            kept.push_back({note.time - offset, note.text});
    return kept;
}

QString RecordingNotes::saveBeside(const QString &path)
{
    ReadingNotes inFileTimes;
    for (const ReadingNote &note : m_notes) {
        const std::int32_t offset = m_files.empty() ? 0 : m_files[fileOf(note.time)].offset;
        AddNote(inFileTimes, note.time - offset, note.text);
    }
    if (const QString error = WriteNotesFile(NotesFilePath(path), inFileTimes); !error.isEmpty())
        return error;
    if (m_files.size() > 1)
        return saveBack();
    m_files = {File{path, 0}};
    m_filed = {inFileTimes};
    m_unsaved = false;
    return {};
}

QString RecordingNotes::saveBack()
{
    for (std::size_t index = 0; index < m_files.size(); ++index) {
        ReadingNotes own = notesOfFile(index);
        if (m_filed[index] && own == *m_filed[index])
            continue;
        const QString sidecar = NotesFilePath(m_files[index].path);
        if (!m_filed[index])
            return QStringLiteral("%1: файл заметок не был прочитан и не заменяется")
                .arg(QDir::toNativeSeparators(sidecar));
        if (const QString error = WriteNotesFile(sidecar, own); !error.isEmpty())
            return error;
        m_filed[index] = std::move(own);
    }
    m_unsaved = false;
    return {};
}
