#include "plot/NoteFlags.h"

#include "companions/FormatOutTime.h"

#include <algorithm>
#include <cmath>

namespace {

int flagX(const NoteFlagAxis &axis, std::int32_t time)
{
    return axis.left + static_cast<int>(std::lround((static_cast<double>(time) - axis.windowStart) *
                                                    axis.scale));
}

} // namespace

std::pair<std::size_t, std::size_t> NotesInWindow(const ReadingNotes &notes, std::int32_t start,
                                                  std::int32_t end)
{
    const auto first =
        std::lower_bound(notes.begin(), notes.end(), start,
                         [](const ReadingNote &note, std::int32_t t) { return note.time < t; });
    const auto last =
        std::upper_bound(first, notes.end(), end,
                         [](std::int32_t t, const ReadingNote &note) { return t < note.time; });
    return {static_cast<std::size_t>(first - notes.begin()),
            static_cast<std::size_t>(last - notes.begin())};
}

ReadingNotes NotesOfWindow(const ReadingNotes &notes, std::int32_t start, std::int32_t end)
{
    const auto [first, last] = NotesInWindow(notes, start, end);
    return ReadingNotes(notes.begin() + static_cast<std::ptrdiff_t>(first),
                        notes.begin() + static_cast<std::ptrdiff_t>(last));
}

void DrawNoteFlags(Canvas &canvas, const NoteFlagAxis &axis, const ReadingNotes &notes,
                   bool numbered)
{
    const auto [first, last] = NotesInWindow(notes, axis.windowStart, axis.windowEnd);
    if (first == last)
        return;
    const int mast = axis.top - axis.base;
    const int direction = mast < 0 ? 1 : -1; // from the top towards the base
    // The pennant takes the upper half of the mast; a number widens it to its text.
    const int pennantHeight = std::max(std::abs(mast) / 2, 1);
    const QPen previousPen = canvas.selectPen(QPen(QColor(NoteFlagColor), 0));
    const CanvasFont previousFont =
        canvas.selectFont(CanvasFont{QString(), pennantHeight * 4 / 5, 700});
    for (std::size_t index = first; index < last; ++index) {
        const int x = flagX(axis, notes[index].time);
        canvas.moveTo(QPoint(x, axis.base));
        canvas.lineTo(QPoint(x, axis.top));
        const QString number = numbered ? QString::number(index - first + 1) : QString();
        const int width = numbered ? std::max(canvas.textExtent(number).width() + pennantHeight / 2,
                                              pennantHeight)
                                   : pennantHeight;
        const QRect pennant =
            cornerRect(x, axis.top, x + width, axis.top + direction * pennantHeight);
        canvas.fillRect(pennant, numbered ? QColor(Qt::white) : QColor(NoteFlagColor));
        canvas.rectangle(pennant);
        if (numbered)
            canvas.drawText(pennant, number, Qt::AlignCenter);
    }
    canvas.selectFont(previousFont);
    canvas.selectPen(previousPen);
}

QStringList NoteListLines(const ReadingNotes &notes, std::int32_t start, std::int32_t end)
{
    QStringList lines;
    const auto [first, last] = NotesInWindow(notes, start, end);
    for (std::size_t index = first; index < last; ++index)
        lines << QStringLiteral("%1  %2  %3")
                     .arg(index - first + 1)
                     .arg(TimeText(notes[index].time), notes[index].text);
    return lines;
}

QString NoteTextsNear(const ReadingNotes &notes, const NoteFlagAxis &axis, int x, int reach)
{
    QStringList texts;
    const auto [first, last] = NotesInWindow(notes, axis.windowStart, axis.windowEnd);
    for (std::size_t index = first; index < last; ++index)
        if (std::abs(flagX(axis, notes[index].time) - x) <= reach)
            texts << TimeText(notes[index].time) + QStringLiteral("  ") + notes[index].text;
    return texts.join(u'\n');
}
