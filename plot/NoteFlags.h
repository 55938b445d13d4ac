#pragma once

#include "companions/ReadingNotes.h"
#include "plot/Canvas.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <utility>

// Notes drawn over a plot as small flags along its time axis, on screen, in pictures and on
// paper alike.

constexpr QRgb NoteFlagColor = qRgb(0, 120, 0);

// Where the flags of a plot stand, in the canvas's units: the time t is at x = left + (t -
// windowStart) * scale; a flag's mast runs from base to top (either way of y) and its
// pennant hangs from the top towards the base.
struct NoteFlagAxis
{
    int left = 0;
    std::int32_t windowStart = 0;
    std::int32_t windowEnd = 0;
    double scale = 1.0;
    int base = 0;
    int top = 0;
};

// The notes within start..end, as the range [first, last) of indices into notes.
std::pair<std::size_t, std::size_t> NotesInWindow(const ReadingNotes &notes, std::int32_t start,
                                                  std::int32_t end);
// The same notes, as a list of their own.
ReadingNotes NotesOfWindow(const ReadingNotes &notes, std::int32_t start, std::int32_t end);

// Draws a flag for each note within the axis' window. Numbered, each pennant holds the note's
// number among those of the window, counted from 1, as NoteListLines numbers them; else the
// pennant is a plain square. The pen and font in force before are selected again afterwards.
void DrawNoteFlags(Canvas &canvas, const NoteFlagAxis &axis, const ReadingNotes &notes,
                   bool numbered);

// The list that goes with numbered flags: "1  HH:MM:SS.mmm  text" for each note within
// start..end.
QStringList NoteListLines(const ReadingNotes &notes, std::int32_t start, std::int32_t end);

// The texts of the notes whose flags stand within reach units of x, one a line; empty when
// none does.
QString NoteTextsNear(const ReadingNotes &notes, const NoteFlagAxis &axis, int x, int reach);
