#pragma once

#include <cstdint>

class AcquisitionControl;
class GraphController;
class Prompts;

// The notes a user adds to a recording: on a row of the table, at the pointer in the graph,
// and "now" during a reception; and the question before unsaved notes are let go.
class NoteEditing
{
public:
    NoteEditing(Prompts &prompts, AcquisitionControl &acquisition, GraphController &graph);

    // "Заметка..." on a row: its note, offered for editing; an empty text removes it.
    void OnTableNote(int row);
    // "Заметка..." in the graph: a note at time.
    void OnGraphNote(std::int32_t time);
    // Ctrl+M during a reception: a note at the last reading received.
    void OnNoteNow();
    // Before notes changed since they were read or saved leave with their recording, asks
    // whether to write them back beside their data files; false when they must stay (the user
    // cancelled, or they could not be written). Notes of rows on disk nowhere else go with
    // the save of those rows.
    bool mayDropNotes();

private:
    void ask(std::int32_t time, bool forReading);

    Prompts &m_prompts;
    AcquisitionControl &m_acquisition;
    GraphController &m_graph;
};
