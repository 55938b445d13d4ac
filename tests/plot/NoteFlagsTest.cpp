#include "plot/NoteFlags.h"
#include "plot/RecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

const ReadingNotes Notes{{1000, QStringLiteral("до окна")},
                         {2000, QStringLiteral("первая")},
                         {2000, QStringLiteral("вторая")},
                         {4000, QStringLiteral("третья")},
                         {9000, QStringLiteral("после окна")}};

// On paper, y upward: the masts stand on the axis at the notes' times, each numbered pennant
// hangs from the mast's top, and the list numbers the same notes alike.
TEST(NoteFlags, NumberedFlagsAndTheirListCountTheNotesInTheWindow)
{
    RecordingCanvas canvas;
    const NoteFlagAxis axis{100, 2000, 5000, 0.1, 50, 130};
    DrawNoteFlags(canvas, axis, Notes, true);

    std::vector<int> masts;
    for (const QLine &line : canvas.lines())
        if (line.x1() == line.x2() && line.y1() == 50 && line.y2() == 130)
            masts.push_back(line.x1());
    EXPECT_EQ(masts, (std::vector<int>{100, 100, 300}));
    EXPECT_EQ(canvas.texts(), (QStringList{"1", "2", "3"}));
    for (const CanvasCall &pennant : canvas.callsOf(CanvasCall::Kind::DrawText)) {
        EXPECT_EQ(pennant.rect.top(), 130);
        EXPECT_EQ(pennant.rect.bottom(), 90);
    }
    EXPECT_EQ(canvas.pen(), Canvas::defaultPen());

    EXPECT_EQ(NoteListLines(Notes, 2000, 5000),
              (QStringList{"1  00:00:02.000  первая", "2  00:00:02.000  вторая",
                           "3  00:00:04.000  третья"}));
    EXPECT_TRUE(NoteListLines(Notes, 5000, 8000).isEmpty());
}

// On screen, y downward: plain pennants, and the pointer near a flag finds its notes.
TEST(NoteFlags, ScreenFlagsAreUnnumberedAndFoundUnderThePointer)
{
    RecordingCanvas canvas;
    const NoteFlagAxis axis{0, 0, 10'000, 0.1, 299, 283};
    DrawNoteFlags(canvas, axis, Notes, false);
    EXPECT_TRUE(canvas.texts().isEmpty());
    EXPECT_EQ(canvas.callsOf(CanvasCall::Kind::FillRect).size(), 5U);
    EXPECT_EQ(canvas.callsOf(CanvasCall::Kind::FillRect).front().rect.bottom(), 291);

    EXPECT_EQ(NoteTextsNear(Notes, axis, 203, 4),
              QStringLiteral("00:00:02.000  первая\n00:00:02.000  вторая"));
    EXPECT_EQ(NoteTextsNear(Notes, axis, 250, 4), QString());
}

} // namespace
