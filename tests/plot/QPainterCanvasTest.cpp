#include "plot/QPainterCanvas.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

// A white image of size pixels at dpi dots per inch, painted through a canvas.
QImage paint(int dpi, QSize size, QPainterCanvas::Mapping mapping,
             const std::function<void(QPainterCanvas &)> &draw)
{
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
    image.fill(Qt::white);
    QPainter painter(&image);
    QPainterCanvas canvas(painter, mapping);
    draw(canvas);
    return image;
}

// The smallest rectangle holding every pixel that is not white.
QRect inked(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

bool isInk(const QImage &image, int x, int y)
{
    return image.pixel(x, y) != qRgb(255, 255, 255);
}

const CanvasFont Courier{"Courier", 100};

TEST(QPainterCanvas, LometricUnitsMapToDevicePixelsWithYUpward)
{
    const QImage image =
        paint(100, QSize(300, 300), QPainterCanvas::Mapping::Lometric, [](Canvas &canvas) {
            canvas.moveTo({0, 0});
            canvas.lineTo({254, -254});
            canvas.fillRect(cornerRect(508, -254, 762, -508), Qt::blue);
        });
    EXPECT_TRUE(isInk(image, 0, 0));
    EXPECT_TRUE(isInk(image, 50, 50));
    EXPECT_TRUE(isInk(image, 100, 100));
    EXPECT_FALSE(isInk(image, 101, 101));
    EXPECT_FALSE(isInk(image, 100, 0));
    EXPECT_EQ(image.pixel(200, 100), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(299, 199), qRgb(0, 0, 255));
    EXPECT_FALSE(isInk(image, 199, 150));
    EXPECT_FALSE(isInk(image, 250, 200));
}

TEST(QPainterCanvas, PenWidthsAreInLogicalUnits)
{
    const QImage image =
        paint(100, QSize(100, 100), QPainterCanvas::Mapping::Lometric, [](Canvas &canvas) {
            canvas.selectPen(QPen(Qt::black, 25.4)); // 1 mm: 10 pixels at 100 dpi
            canvas.moveTo({0, -127});
            canvas.lineTo({254, -127});
        });
    EXPECT_EQ(inked(image).height(), 10);
}

TEST(QPainterCanvas, TextExtentsAreInLogicalUnitsWhateverTheResolution)
{
    QSize extents[2];
    int i = 0;
    for (const int dpi : {100, 600}) {
        paint(dpi, QSize(10, 10), QPainterCanvas::Mapping::Lometric, [&](Canvas &canvas) {
            canvas.selectFont(Courier);
            extents[i++] = canvas.textExtent("ABCDEFGHIJ");
        });
    }
    // A monospaced face of 10 mm characters: 6 mm advance, a line a little taller than 10 mm.
    EXPECT_NEAR(extents[1].width(), 600, 6);
    EXPECT_GE(extents[1].height(), 100);
    EXPECT_LE(extents[1].height(), 130);
    EXPECT_NEAR(extents[0].width(), extents[1].width(), 10);
    EXPECT_NEAR(extents[0].height(), extents[1].height(), 3);
}

TEST(QPainterCanvas, TextOutWritesBelowAndRightOfItsPointWithinTheExtent)
{
    QSize extent;
    const QImage image =
        paint(100, QSize(400, 200), QPainterCanvas::Mapping::Lometric, [&](Canvas &canvas) {
            canvas.selectFont(Courier);
            extent = canvas.textExtent("Hy");
            canvas.textOut({254, -254}, "Hy");
        });
    const QRect ink = inked(image);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 100);
    EXPECT_GE(ink.top(), 100);
    EXPECT_LE(ink.right(), 100 + extent.width() * 100 / 254 + 1);
    EXPECT_LE(ink.bottom(), 100 + extent.height() * 100 / 254 + 1);
}

TEST(QPainterCanvas, TextWithEscapementMinus900RunsDownward)
{
    const QImage image =
        paint(100, QSize(200, 400), QPainterCanvas::Mapping::Lometric, [](Canvas &canvas) {
            canvas.selectFont({"Arial Cyr", 60, 400, false, -900});
            canvas.textOut({254, -100}, "Температура");
        });
    const QRect ink = inked(image);
    EXPECT_GT(ink.height(), 3 * ink.width());
    EXPECT_LT(ink.right(), 100); // turned about its point: the line of text lies left of it
    EXPECT_GE(ink.top(), 39);
}

// Aligned text lands where text out puts it at the corner that its extent gives, so the
// extents, the mapping and the painting agree.
TEST(QPainterCanvas, AlignedTextSitsWhereItsExtentPlacesIt)
{
    const QRect cell = cornerRect(254, -254, 1254, -554);
    const QPoint centre = cell.center();
    struct Row
    {
        Qt::Alignment alignment;
        std::function<QPoint(QSize)> topLeft;
    };
    const Row rows[] = {
        {Qt::AlignCenter,
         [&](QSize e) { return QPoint(centre.x() - e.width() / 2, centre.y() + e.height() / 2); }},
        {Qt::AlignLeft | Qt::AlignVCenter,
         [&](QSize e) { return QPoint(cell.left(), centre.y() + e.height() / 2); }},
        {Qt::AlignHCenter | Qt::AlignTop,
         [&](QSize e) { return QPoint(centre.x() - e.width() / 2, cell.top()); }},
    };
    for (const Row &row : rows) {
        const auto draw = [&](bool aligned) {
            return paint(100, QSize(600, 300), QPainterCanvas::Mapping::Lometric,
                         [&](Canvas &canvas) {
                             canvas.selectFont(Courier);
                             if (aligned)
                                 canvas.drawText(cell, "Hy12", row.alignment);
                             else
                                 canvas.textOut(row.topLeft(canvas.textExtent("Hy12")), "Hy12");
                         });
        };
        const QRect aligned = inked(draw(true));
        const QRect placed = inked(draw(false));
        ASSERT_FALSE(placed.isEmpty());
        EXPECT_NEAR(aligned.left(), placed.left(), 1) << row.alignment;
        EXPECT_NEAR(aligned.top(), placed.top(), 1) << row.alignment;
        EXPECT_EQ(aligned.size(), placed.size()) << row.alignment;
    }
}

TEST(QPainterCanvas, MissingFacesFallBackToInstalledLookAlikes)
{
    struct Row
    {
        const char *face;
        const char *family;
    };
    for (const Row row : {Row{"Arial", "Liberation Sans"}, Row{"Arial Cyr", "Liberation Sans"},
                          Row{"Courier", "Liberation Mono"}, Row{"Tahoma", "DejaVu Sans"},
                          Row{"Symbol", "DejaVu Sans"}, Row{"No Such Face", "DejaVu Sans"},
                          Row{"DejaVu Serif", "DejaVu Serif"}}) {
        QFont font;
        font.setFamilies(QPainterCanvas::familiesFor(row.face));
        EXPECT_EQ(QFontInfo(font).family(), row.family) << row.face;
    }
}

TEST(QPainterCanvas, TheSymbolFaceShowsLettersAsGreek)
{
    QSize symbol;
    QSize greek;
    paint(100, QSize(10, 10), QPainterCanvas::Mapping::Lometric, [&](Canvas &canvas) {
        canvas.selectFont({"Symbol", 1000});
        symbol = canvas.textExtent("epsilon");
        canvas.selectFont({"DejaVu Sans", 1000});
        greek = canvas.textExtent("επσιλον");
    });
    EXPECT_EQ(symbol, greek);
}

// The plot saturates far points to the int range; the painter must clip such lines.
TEST(QPainterCanvas, LinesToTheEndsOfTheCoordinateRangeAreClipped)
{
    constexpr int far = std::numeric_limits<int>::max();
    for (const auto mapping :
         {QPainterCanvas::Mapping::DevicePixels, QPainterCanvas::Mapping::Lometric}) {
        const QImage image = paint(254, QSize(20, 20), mapping, [](Canvas &canvas) {
            canvas.moveTo({0, 10});
            canvas.lineTo({far, 10});
            canvas.lineTo({far, -far});
            canvas.lineTo({-far, far});
        });
        EXPECT_FALSE(inked(image).isEmpty());
    }
}

TEST(QPainterCanvas, AnInactivePainterIsHarmless)
{
    QPainter inactive;
    QPainterCanvas canvas(inactive, QPainterCanvas::Mapping::Lometric);
    canvas.selectFont(Courier);
    canvas.lineTo({100, -100});
    canvas.textOut({0, 0}, "x");
    canvas.drawText(cornerRect(0, 0, 100, -100), "x", Qt::AlignCenter);
    EXPECT_GT(canvas.textExtent("x").height(), 0);
}

TEST(QPainterCanvas, DevicePixelsKeepYDownward)
{
    const QImage image =
        paint(100, QSize(50, 50), QPainterCanvas::Mapping::DevicePixels,
              [](Canvas &canvas) { canvas.fillRect(cornerRect(10, 20, 30, 40), Qt::red); });
    EXPECT_EQ(inked(image), QRect(10, 20, 20, 20));
}

} // namespace
