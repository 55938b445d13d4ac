#include "app/NoteEditing.h"

#include "acquisition/AcquisitionControl.h"
#include "companions/FormatOutTime.h"
#include "companions/Prompts.h"
#include "graph/GraphController.h"

NoteEditing::NoteEditing(Prompts &prompts, AcquisitionControl &acquisition, GraphController &graph)
    : m_prompts(prompts), m_acquisition(acquisition), m_graph(graph)
{}

void NoteEditing::OnTableNote(int row)
{
    ask(m_acquisition.rowTime(row), true);
}

void NoteEditing::OnGraphNote(std::int32_t time)
{
    ask(time, false);
}

void NoteEditing::OnNoteNow()
{
    const TermDataFile &series = m_acquisition.series();
    if (m_acquisition.state() != AcquisitionState::Receiving || series.count == 0)
        return;
    // The reading of the key press: more come while the user types.
    ask(series.records[series.count - 1].time, false);
}

void NoteEditing::ask(std::int32_t time, bool forReading)
{
    const QString current = forReading ? m_acquisition.notes().textAt(time) : QString();
    const std::optional<QString> text = m_prompts.askText(
        QStringLiteral("Заметка к %1:").arg(TimeText(time)), QStringLiteral("Заметка"), current);
    if (!text)
        return;
    m_acquisition.setNote(time, *text, forReading);
    m_graph.notesChanged();
}

bool NoteEditing::mayDropNotes()
{
    const RecordingNotes &notes = m_acquisition.notes();
    if (!notes.unsaved() || !notes.hasFiles() || m_acquisition.holdsUnsavedRows())
        return true;
    switch (m_prompts.message(QStringLiteral("Сохранить заметки?"), QStringLiteral("ORMA"),
                              Prompts::Icon::Question, Prompts::Buttons::YesNoCancel)) {
    case Prompts::Answer::Yes:
        break;
    case Prompts::Answer::No:
        return true;
    default:
        return false;
    }
    const QString error = m_acquisition.saveNotesBack();
    if (error.isEmpty())
        return true;
    m_prompts.message(QStringLiteral("Ошибка записи заметок в файл.\n") + error, ErrorCaption,
                      Prompts::Icon::Exclamation);
    return false;
}
