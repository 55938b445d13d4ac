#include "companions/ReadingNotes.h"

#include "companions/FormatOutTime.h"
#include "companions/OutputFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

QString NoteText(const QString &text)
{
    QString kept = text;
    for (QChar &c : kept) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return kept.trimmed().left(ReadingNoteMaxLength);
}

int AddNote(ReadingNotes &notes, std::int32_t time, const QString &text)
{
    const QString kept = NoteText(text);
    if (kept.isEmpty())
        return -1;
    const auto place =
        std::upper_bound(notes.begin(), notes.end(), time,
                         [](std::int32_t t, const ReadingNote &note) { return t < note.time; });
    const auto added = notes.insert(place, ReadingNote{time, kept});
    return static_cast<int>(added - notes.begin());
}

QString NotesFilePath(const QString &dataFilePath)
{
    return dataFilePath + QStringLiteral(".notes");
}

QByteArray NotesFileText(const ReadingNotes &notes)
{
    QByteArray text;
    for (const ReadingNote &note : notes) {
        text += TimeText(note.time).toLatin1();
        text += '\t';
        text += NoteText(note.text).toUtf8();
        text += '\n';
    }
    return text;
}

NotesReadBack ReadNotesText(const QByteArray &text)
{
    NotesReadBack readBack;
    for (const QByteArray &line : text.split('\n')) {
        const QByteArray trimmedLine = line.endsWith('\r') ? line.chopped(1) : line;
        if (trimmedLine.trimmed().isEmpty())
            continue;
        const qsizetype tab = trimmedLine.indexOf('\t');
        const std::optional<std::int32_t> time =
            tab < 0 ? std::nullopt : TimeOfDay(QString::fromLatin1(trimmedLine.left(tab)));
        if (!time ||
            AddNote(readBack.notes, *time, QString::fromUtf8(trimmedLine.mid(tab + 1))) < 0)
            ++readBack.skippedLines;
    }
    return readBack;
}

bool ReadNotesFile(const QString &path, NotesReadBack &readBack, QString &error)
{
    readBack = {};
    QFile file(path);
    if (!file.exists())
        return true;
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    // A sidecar holds a few lines; a huge one is not ours, and reading it whole would cost the
    // recording's memory.
    constexpr qint64 LargestNotesFile = 16 * 1024 * 1024;
    if (file.size() > LargestNotesFile) {
        error = QStringLiteral("%1: не файл заметок").arg(path);
        return false;
    }
    readBack = ReadNotesText(file.readAll());
    return true;
}

QString WriteNotesFile(const QString &path, const ReadingNotes &notes)
{
    if (notes.empty()) {
        QFile sidecar(path);
        if (QFileInfo(path).isFile() && !sidecar.remove())
            return sidecar.errorString();
        return {};
    }
    const QByteArray text = NotesFileText(notes);
    return WriteOutputFile(path, InPlaceWrites::Refused, [&text](QIODevice &device) {
        return device.write(text) == text.size();
    });
}
