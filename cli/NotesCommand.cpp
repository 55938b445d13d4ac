#include "cli/CliSupport.h"
#include "cli/Commands.h"

#include "companions/FormatOutTime.h"
#include "companions/ReadingNotes.h"

#include <QFileInfo>

#include <cstdio>

namespace {

void printNotes(const ReadingNotes &notes)
{
    QByteArray text;
    for (const ReadingNote &note : notes)
        text += (TimeText(note.time) + QStringLiteral("  ") + note.text + u'\n').toLocal8Bit();
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
}

} // namespace

// "orma-cli notes FILE [--add TIME TEXT]": the notes kept beside a data file, as the window
// reads and writes them.
int RunNotes(const QStringList &words)
{
    QString error;
    const std::optional<Arguments> arguments =
        ParseArguments(words, {{QStringLiteral("--add"), {}, true}}, error);
    if (!arguments)
        return Fail(ExitUsage, error);
    const bool adding = arguments->has(QStringLiteral("--add"));
    if (arguments->operands.isEmpty())
        return Fail(ExitUsage, Say("нужен файл данных", "a data file is needed"));
    if (!adding && arguments->operands.size() > 1)
        return Fail(ExitUsage, Say("заметки читаются у одного файла данных",
                                   "notes are read of one data file"));
    const QString dataFile = arguments->operands.first();
    if (!QFileInfo(dataFile).isFile())
        return Fail(ExitInputUnreadable,
                    Say("%1: нет такого файла данных", "%1: no such data file").arg(dataFile));

    const QString sidecar = NotesFilePath(dataFile);
    NotesReadBack readBack;
    if (!ReadNotesFile(sidecar, readBack, error))
        return Fail(ExitInputUnreadable, QStringLiteral("%1: %2").arg(sidecar, error));
    if (!adding) {
        if (readBack.skippedLines > 0)
            std::fprintf(stderr, "%s\n",
                         qPrintable(Say("orma-cli: %1: не прочитано строк: %2",
                                        "orma-cli: %1: lines that do not read: %2")
                                        .arg(sidecar)
                                        .arg(readBack.skippedLines)));
        printNotes(readBack.notes);
        return ExitOk;
    }

    const std::optional<std::int32_t> time = TimeOfDay(arguments->value(QStringLiteral("--add")));
    if (!time)
        return Fail(ExitUsage,
                    Say("--add: ожидается ЧЧ:ММ:СС[.мс]", "--add: HH:MM:SS[.ms] expected"));
    // The text may come as several words when the shell was not told to keep it one.
    const QString text = arguments->operands.mid(1).join(u' ');
    if (NoteText(text).isEmpty())
        return Fail(ExitUsage,
                    Say("--add: нужен текст заметки", "--add: the note's text is needed"));
    // Rewritten whole, a sidecar would lose the lines that do not read.
    if (readBack.skippedLines > 0)
        return Fail(ExitFailure,
                    Say("%1: в файле заметок есть строки, которые не читаются; он не изменен",
                        "%1: the notes file holds lines that do not read; it was left as it is")
                        .arg(sidecar));
    AddNote(readBack.notes, *time, text);
    if (const QString written = WriteNotesFile(sidecar, readBack.notes); !written.isEmpty())
        return Fail(ExitFailure, QStringLiteral("%1: %2").arg(sidecar, written));
    return ExitOk;
}
