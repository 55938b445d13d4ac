#include "companions/CRangeBar.h"

#include "companions/RangeBarAccessible.h"

#include <QAccessible>

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int TrackThickness = 12;
constexpr int EdgeMargin = 2;
constexpr int MajorTickLength = 8;
constexpr int MinorTickLength = 4;
constexpr int LabelGap = 3;
constexpr double GripPixels = 4.0;
constexpr double ZoomPerNotch = 0.8;
constexpr double ScrollPerNotch = 0.1;
constexpr double WheelNotch = 120.0;

// The widest labels the bars meet in practice; wider ones are clipped.
const QString WidestDegrees = QStringLiteral("-0000\u00B0");
const QString WidestTime = QStringLiteral("-00:00:00.000");
const QString WidestDatedTime = QStringLiteral("00.00 00:00:00.000");

} // namespace

CRangeBar::CRangeBar(QWidget *parent)
    : QWidget(parent), m_majorPen(QColor(150, 150, 150), 1), m_minorPen(QColor(200, 200, 200), 1)
{
    static const bool accessible = [] {
        QAccessible::installFactory(RangeBarAccessibleFactory);
        return true;
    }();
    Q_UNUSED(accessible);
    setMouseTracking(true);
    applyStyleAndFont();
    m_reportedScale = GetScale();
}

CRangeBar::~CRangeBar() = default;

std::int32_t CRangeBar::SetCtrlStyle(std::int32_t style)
{
    const std::int32_t previous = m_style;
    m_style = style;
    applyStyleAndFont();
    report({});
    return previous;
}

std::int32_t CRangeBar::SetMin(std::int32_t value)
{
    report(m_model.setMinimum(value));
    return GetMin();
}

std::int32_t CRangeBar::SetMax(std::int32_t value)
{
    report(m_model.setMaximum(value));
    return GetMax();
}

std::int32_t CRangeBar::SetWinMin(std::int32_t value)
{
    report(m_model.setWindowStart(value));
    return GetWinMin();
}

std::int32_t CRangeBar::SetWinMax(std::int32_t value)
{
    report(m_model.setWindowEnd(value));
    return GetWinMax();
}

double CRangeBar::GetScale() const
{
    return m_model.scale(length());
}

int CRangeBar::GetStaticSize() const
{
    if (isHorizontal())
        return MinorTickLength + 1 + labelHeight() + LabelGap + TrackThickness + EdgeMargin;
    return EdgeMargin + TrackThickness + LabelGap + labelWidth() + MinorTickLength + 1;
}

double CRangeBar::GetBigStep() const
{
    return m_model.division(length()).pixels;
}

short CRangeBar::GetSmallStep() const
{
    return m_model.division(length()).minorParts;
}

bool CRangeBar::OnMouseWheel(Qt::KeyboardModifiers modifiers, short delta, QPoint point)
{
    if (delta == 0)
        return false;
    const double notches = delta / WheelNotch;
    RangeBarChanges changes;
    if (modifiers & Qt::ShiftModifier) {
        changes = m_model.scrollWindow(notches * ScrollPerNotch);
    } else {
        const double offset =
            std::clamp(offsetOf(mapFromGlobal(QPointF(point))), 0.0, double(length()));
        changes = m_model.zoom(m_model.valueAt(offset, length()), std::pow(ZoomPerNotch, notches));
    }
    report(changes);
    return changes.window();
}

QSize CRangeBar::sizeHint() const
{
    return isHorizontal() ? QSize(300, GetStaticSize()) : QSize(GetStaticSize(), 200);
}

QSize CRangeBar::minimumSizeHint() const
{
    return isHorizontal() ? QSize(labelWidth(), GetStaticSize())
                          : QSize(GetStaticSize(), 2 * labelHeight());
}

void CRangeBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    paintScale(painter);
    paintTrack(painter);
}

void CRangeBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    report({});
}

void CRangeBar::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyStyleAndFont();
}

void CRangeBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !onTrack(event->position())) {
        event->ignore();
        return;
    }
    const double offset = offsetOf(event->position());
    m_grip = m_model.hitTrack(offset, length(), GripPixels);
    if (m_grip == RangeBarHit::BeforeWindow || m_grip == RangeBarHit::AfterWindow) {
        m_grip = RangeBarHit::Window;
        report(m_model.centreWindowOn(m_model.trackValueAt(offset, length())));
    }
    m_dragging = true;
    m_pressOffset = offset;
    m_pressStart = GetWinMin();
    m_pressEnd = GetWinMax();
    updateCursor(event->position());
}

void CRangeBar::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging) {
        const double pixels = offsetOf(event->position()) - m_pressOffset;
        report(m_model.drag(m_grip, m_pressStart, m_pressEnd, pixels, length()));
    } else {
        updateCursor(event->position());
    }
}

void CRangeBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    updateCursor(event->position());
}

void CRangeBar::wheelEvent(QWheelEvent *event)
{
    OnMouseWheel(event->modifiers(), WheelDelta(*event), event->globalPosition().toPoint());
    event->accept();
}

short WheelDelta(const QWheelEvent &event)
{
    const QPoint angle = event.angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    const int limit = std::numeric_limits<short>::max();
    return static_cast<short>(std::clamp(delta, -limit, limit));
}

int CRangeBar::length() const
{
    return isHorizontal() ? width() : height();
}

double CRangeBar::offsetOf(QPointF point) const
{
    return isHorizontal() ? point.x() : height() - point.y();
}

// The strip along the outer edge that holds the handle, with the gap beside it.
bool CRangeBar::onTrack(QPointF point) const
{
    const int reach = EdgeMargin + TrackThickness + LabelGap;
    return isHorizontal() ? point.y() >= height() - reach : point.x() < reach;
}

int CRangeBar::labelHeight() const
{
    return fontMetrics().height();
}

int CRangeBar::labelWidth() const
{
    if (!isHorizontal())
        return fontMetrics().horizontalAdvance(WidestDegrees);
    return fontMetrics().horizontalAdvance(m_model.firstDay().isValid() ? WidestDatedTime
                                                                        : WidestTime);
}

void CRangeBar::SetFirstDay(const QDate &day)
{
    if (day == m_model.firstDay())
        return;
    m_model.setFirstDay(day);
    applyStyleAndFont();
}

void CRangeBar::applyStyleAndFont()
{
    const bool horizontal = isHorizontal();
    m_model.setUnits((m_style & RangeBarTimeBit) != 0 ? RangeBarUnits::Milliseconds
                                                      : RangeBarUnits::Degrees);
    // Room for a label beside its division, or for two label heights.
    m_model.setMinMajorPixels(horizontal ? labelWidth() + LabelGap + 12 : 2 * labelHeight());
    setSizePolicy(horizontal ? QSizePolicy::Expanding : QSizePolicy::Fixed,
                  horizontal ? QSizePolicy::Fixed : QSizePolicy::Expanding);
    updateGeometry();
    update();
}

void CRangeBar::report(const RangeBarChanges &changes)
{
    const double scale = GetScale();
    const bool scaleAlone = !changes.window() && scale != m_reportedScale;
    m_reportedScale = scale;
    if (!changes.any() && !scaleAlone)
        return;
    update();
    if (changes.window() && QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, GetWinMin());
        QAccessible::updateAccessibility(&event);
    }
    // A receiver may delete the bar; later reports are then dropped.
    const QPointer<CRangeBar> alive(this);
    const std::pair<bool, int> codes[] = {{changes.minimum, RangeBarMinChanged},
                                          {changes.maximum, RangeBarMaxChanged},
                                          {changes.windowStart, RangeBarWinMinChanged},
                                          {changes.windowEnd || scaleAlone, RangeBarWinMaxChanged}};
    for (const auto &[changed, code] : codes) {
        if (changed && alive)
            emit rangeBarNotify(this, code);
    }
}

void CRangeBar::paintScale(QPainter &painter) const
{
    const bool horizontal = isHorizontal();
    const int reach = EdgeMargin + TrackThickness + LabelGap;
    const QRect ruler = horizontal ? QRect(0, 0, width(), height() - reach)
                                   : QRect(reach, 0, width() - reach, height());
    painter.fillRect(ruler, palette().base());
    const int h = labelHeight();
    for (const RangeBarTick &tick : m_model.ticks(length())) {
        const int along = static_cast<int>(tick.offset);
        const int tickLength = tick.major ? MajorTickLength : MinorTickLength;
        painter.setPen(tick.major ? m_majorPen : m_minorPen);
        if (horizontal) {
            const int x = std::min(along, width() - 1);
            painter.drawLine(x, 0, x, tickLength);
        } else {
            const int y = std::clamp(height() - along, 0, std::max(height() - 1, 0));
            painter.drawLine(width() - tickLength, y, width(), y);
        }
        if (!tick.major)
            continue;
        // Labels sit after their division: to its right, or above it.
        const QString text = FormatValue(tick.value);
        painter.setPen(palette().color(QPalette::Text));
        if (horizontal) {
            const int left = along + LabelGap;
            if (left + fontMetrics().horizontalAdvance(text) <= width())
                painter.drawText(QRect(left, MinorTickLength + 1, ruler.width(), h),
                                 Qt::AlignLeft | Qt::AlignTop, text);
        } else {
            const int bottom = height() - along - 1;
            const int right = width() - MinorTickLength - 1;
            if (bottom - h >= 0)
                painter.drawText(QRect(ruler.left(), bottom - h, right - ruler.left(), h),
                                 Qt::AlignRight | Qt::AlignBottom, text);
        }
    }
}

void CRangeBar::paintTrack(QPainter &painter) const
{
    const int n = length();
    const double start = m_model.trackOffset(GetWinMin(), n);
    const double end = m_model.trackOffset(GetWinMax(), n);
    // Never thinner than the grips, so that a narrow window can still be grabbed.
    const double middle = (start + end) / 2.0;
    const double half = std::max((end - start) / 2.0, GripPixels);
    const double low = std::max(middle - half, 0.0);
    const double high = std::min(middle + half, double(n));
    QRectF groove;
    QRectF handle;
    if (isHorizontal()) {
        const double top = height() - EdgeMargin - TrackThickness;
        groove = QRectF(0, top, width(), TrackThickness);
        handle = QRectF(low, top, high - low, TrackThickness);
    } else {
        groove = QRectF(EdgeMargin, 0, TrackThickness, height());
        handle = QRectF(EdgeMargin, height() - high, TrackThickness, high - low);
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.setBrush(palette().midlight());
    painter.drawRect(groove.adjusted(0.5, 0.5, -0.5, -0.5));
    const QColor highlight = palette().color(QPalette::Highlight);
    painter.setPen(highlight.darker(130));
    painter.setBrush(highlight);
    painter.drawRect(handle.adjusted(0.5, 0.5, -0.5, -0.5));
    if (high - low < 4 * GripPixels)
        return;
    // A mark across each end shows where the handle stretches.
    painter.setPen(palette().color(QPalette::HighlightedText));
    const QRectF inner = handle.adjusted(3, 3, -3, -3);
    if (isHorizontal()) {
        painter.drawLine(QLineF(inner.topLeft(), inner.bottomLeft()));
        painter.drawLine(QLineF(inner.topRight(), inner.bottomRight()));
    } else {
        painter.drawLine(QLineF(inner.topLeft(), inner.topRight()));
        painter.drawLine(QLineF(inner.bottomLeft(), inner.bottomRight()));
    }
}

void CRangeBar::updateCursor(QPointF point)
{
    const RangeBarHit hit =
        m_dragging ? m_grip : m_model.hitTrack(offsetOf(point), length(), GripPixels);
    if (!m_dragging && !onTrack(point)) {
        unsetCursor();
        return;
    }
    switch (hit) {
    case RangeBarHit::WindowStart:
    case RangeBarHit::WindowEnd:
        setCursor(isHorizontal() ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        break;
    case RangeBarHit::Window:
        setCursor(m_dragging ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
        break;
    case RangeBarHit::BeforeWindow:
    case RangeBarHit::AfterWindow:
        unsetCursor();
        break;
    }
}
