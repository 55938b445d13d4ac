#include "plot/QPainterCanvas.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace {

constexpr double UnitsPerInch = 254.0;
constexpr double DefaultPointSize = 10.0;
constexpr double PointsPerInch = 72.0;
constexpr int FallbackDpi = 96;
// Far taller than any page; a glyph beyond it would only exhaust memory.
constexpr double MaxPixelSize = 20000.0;
constexpr std::size_t MaxKeptFonts = 64;
constexpr qsizetype MaxKeptExtents = 4096;
// A run is drawn when it reaches this many points. A picture's rasteriser fills a stroked line
// in a time that grows much faster than its points: a million readings of a noisy curve took
// seconds in one run of 8192 points, a tenth of a second in runs of 256.
constexpr std::size_t MaxRunPoints = 256;

bool isSymbolFace(const QString &face)
{
    return face.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0;
}

// The Symbol face's letters in the Unicode Greek block, 'A'..'Z' and 'a'..'z'.
constexpr char16_t SymbolUpper[] = u"ΑΒΧΔΕΦΓΗΙϑΚΛΜΝΟΠΘΡΣΤΥςΩΞΨΖ";
constexpr char16_t SymbolLower[] = u"αβχδεφγηιϕκλμνοπθρστυϖωξψζ";
static_assert(std::size(SymbolUpper) == 27 && std::size(SymbolLower) == 27);

} // namespace

QPainterCanvas::QPainterCanvas(QPainter &painter, Mapping mapping)
    : m_painter(painter), m_pen(defaultPen()), m_devicePen(m_pen)
{
    // An inactive painter has no device; its calls then draw nothing.
    const QPaintDevice *device = painter.device();
    const int dpiX = device != nullptr ? device->logicalDpiX() : FallbackDpi;
    m_dpiY = device != nullptr ? device->logicalDpiY() : FallbackDpi;
    m_paper = mapping == Mapping::Lometric;
    if (mapping == Mapping::Lometric) {
        m_scaleX = dpiX / UnitsPerInch;
        m_scaleY = -m_dpiY / UnitsPerInch;
    }
    m_painter.setPen(m_pen);
    m_painter.setBrush(Qt::NoBrush);
}

QPainterCanvas::~QPainterCanvas()
{
    flush();
}

void QPainterCanvas::flush()
{
    std::vector<QPoint> &points = m_run.points;
    if (points.size() >= 2) {
        useLineState();
        QPolygonF line;
        line.reserve(static_cast<qsizetype>(points.size()));
        for (const QPoint point : points)
            line.append(toDevice(point));
        m_painter.drawPolyline(line);
    }
    points.clear();
}

void QPainterCanvas::extendRun(QPoint point)
{
    std::vector<QPoint> &points = m_run.points;
    if (points.size() >= MaxRunPoints) {
        const QPoint last = points.back();
        flush();
        points.push_back(last);
        m_run.columnStart = 0;
        m_run.columnLow = m_run.columnHigh = last.y();
    }
    if (points.empty()) {
        points.push_back(m_position);
        m_run.columnStart = 0;
        m_run.columnLow = m_run.columnHigh = m_position.y();
    }
    if (points.back().x() != point.x()) {
        points.push_back(point);
        m_run.columnStart = points.size() - 1;
        m_run.columnLow = m_run.columnHigh = point.y();
        return;
    }
    m_run.columnLow = std::min(m_run.columnLow, point.y());
    m_run.columnHigh = std::max(m_run.columnHigh, point.y());
    // The column becomes first, lowest, highest, last, without repeats; a lone line that
    // goes nowhere is kept, as it draws a dot.
    points.resize(m_run.columnStart + 1);
    for (const int y : {m_run.columnLow, m_run.columnHigh, point.y()}) {
        if (points.back() != QPoint(point.x(), y))
            points.emplace_back(point.x(), y);
    }
    if (points.size() == 1)
        points.push_back(point);
}

QStringList QPainterCanvas::familiesFor(const QString &face)
{
    static const QHash<QString, QStringList> lookAlikes = {
        {"arial", {"Liberation Sans", "DejaVu Sans"}},
        {"arial cyr", {"Liberation Sans", "DejaVu Sans"}},
        {"courier", {"Liberation Mono", "DejaVu Sans Mono"}},
        {"courier new", {"Liberation Mono", "DejaVu Sans Mono"}},
        {"tahoma", {"DejaVu Sans", "Liberation Sans"}},
        {"symbol", {"DejaVu Sans"}},
    };
    QStringList families;
    // A font named Symbol may carry its own private encoding; the Greek of a Unicode font
    // is shown instead.
    if (!face.isEmpty() && !isSymbolFace(face) && QFontDatabase::hasFamily(face))
        families << face;
    families << lookAlikes.value(face.toLower(), {"DejaVu Sans"});
    return families;
}

QPointF QPainterCanvas::toDevice(QPoint point) const
{
    return {point.x() * m_scaleX, point.y() * m_scaleY};
}

QRectF QPainterCanvas::toDevice(const QRect &rect) const
{
    return QRectF(toDevice(rect.topLeft()), toDevice(rect.bottomRight())).normalized();
}

QFont QPainterCanvas::deviceFont(const CanvasFont &font) const
{
    const double pixels = font.height != 0
                              ? std::abs(static_cast<double>(font.height)) * std::abs(m_scaleY)
                              : DefaultPointSize * m_dpiY / PointsPerInch;
    QFont result;
    result.setFamilies(familiesFor(font.face));
    result.setPixelSize(static_cast<int>(std::lround(std::clamp(pixels, 1.0, MaxPixelSize))));
    result.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 1, 1000)));
    result.setItalic(font.italic);
    return result;
}

QString QPainterCanvas::shownText(const QString &text, const DeviceFont &font) const
{
    if (!font.symbolFace)
        return text;
    QString shown = text;
    for (QChar &c : shown) {
        const char16_t code = c.unicode();
        if (code >= u'A' && code <= u'Z')
            c = QChar(SymbolUpper[code - u'A']);
        else if (code >= u'a' && code <= u'z')
            c = QChar(SymbolLower[code - u'a']);
    }
    return shown;
}

void QPainterCanvas::moveTo(QPoint point)
{
    flush();
    m_position = point;
}

void QPainterCanvas::lineTo(QPoint point)
{
    if (m_runsLines) {
        extendRun(point);
    } else {
        useLineState();
        m_painter.drawLine(toDevice(m_position), toDevice(point));
    }
    m_position = point;
}

void QPainterCanvas::rectangle(const QRect &rect)
{
    flush();
    useLineState();
    m_painter.drawRect(toDevice(rect));
}

void QPainterCanvas::fillRect(const QRect &rect, const QColor &color)
{
    flush();
    m_painter.fillRect(toDevice(rect), color);
}

QPen QPainterCanvas::selectPen(const QPen &pen)
{
    flush();
    m_runsLines = m_paper && pen.style() == Qt::SolidLine && pen.capStyle() == Qt::RoundCap &&
                  pen.joinStyle() == Qt::RoundJoin && pen.color().alpha() == 255 &&
                  pen.brush().style() == Qt::SolidPattern;
    m_devicePen = pen;
    if (!pen.isCosmetic())
        m_devicePen.setWidthF(pen.widthF() * (std::abs(m_scaleX) + std::abs(m_scaleY)) / 2.0);
    m_painter.setPen(m_devicePen);
    m_textPen = false;
    return std::exchange(m_pen, pen);
}

CanvasFont QPainterCanvas::selectFont(const CanvasFont &font)
{
    CanvasFont key = font;
    key.escapement = 0;
    if (m_current >= 0 && m_fonts[static_cast<std::size_t>(m_current)].key != key)
        m_current = -1;
    return std::exchange(m_font, font);
}

const QPainterCanvas::DeviceFont &QPainterCanvas::currentFont() const
{
    if (m_current >= 0)
        return m_fonts[static_cast<std::size_t>(m_current)];
    CanvasFont key = m_font;
    key.escapement = 0;
    const auto found = std::find_if(m_fonts.begin(), m_fonts.end(),
                                    [&key](const DeviceFont &kept) { return kept.key == key; });
    if (found != m_fonts.end()) {
        m_current = static_cast<int>(found - m_fonts.begin());
        return *found;
    }
    // Fonts fitted to many widths could pile up; a fresh start keeps the list short.
    if (m_fonts.size() >= MaxKeptFonts) {
        m_fonts.clear();
        m_painterFont = -1;
    }
    const QFont font = deviceFont(key);
    m_fonts.push_back(
        {key, font, QFontMetricsF(font, m_painter.device()), isSymbolFace(key.face), {}});
    m_current = static_cast<int>(m_fonts.size()) - 1;
    return m_fonts.back();
}

const QPainterCanvas::DeviceFont &QPainterCanvas::useTextState()
{
    flush();
    const DeviceFont &font = currentFont();
    if (m_painterFont != m_current) {
        m_painter.setFont(font.font);
        m_painterFont = m_current;
    }
    if (!m_textPen) {
        m_painter.setPen(Qt::black);
        m_textPen = true;
    }
    return font;
}

void QPainterCanvas::useLineState()
{
    if (m_textPen) {
        m_painter.setPen(m_devicePen);
        m_textPen = false;
    }
}

void QPainterCanvas::textOut(QPoint topLeft, const QString &text)
{
    const DeviceFont &font = useTextState();
    const QString shown = shownText(text, font);
    const QPointF origin = toDevice(topLeft);
    if (m_font.escapement == 0) {
        m_painter.drawText(QPointF(origin.x(), origin.y() + font.metrics.ascent()), shown);
        return;
    }
    const QTransform before = m_painter.transform();
    m_painter.translate(origin);
    m_painter.rotate(-m_font.escapement / 10.0);
    m_painter.drawText(QPointF(0.0, font.metrics.ascent()), shown);
    m_painter.setTransform(before);
}

QSize QPainterCanvas::textExtent(const QString &text) const
{
    currentFont();
    DeviceFont &font = m_fonts[static_cast<std::size_t>(m_current)];
    if (const auto kept = font.extents.constFind(text); kept != font.extents.cend())
        return *kept;
    const double width = font.metrics.horizontalAdvance(shownText(text, font)) / std::abs(m_scaleX);
    const double height = font.metrics.height() / std::abs(m_scaleY);
    const QSize extent(static_cast<int>(std::lround(width)), static_cast<int>(std::lround(height)));
    if (font.extents.size() >= MaxKeptExtents)
        font.extents.clear();
    font.extents.insert(text, extent);
    return extent;
}

void QPainterCanvas::drawText(const QRect &rect, const QString &text, Qt::Alignment alignment)
{
    const DeviceFont &font = useTextState();
    m_painter.drawText(toDevice(rect),
                       static_cast<int>(alignment) | Qt::TextSingleLine | Qt::TextDontClip,
                       shownText(text, font));
}
