#pragma once

#include "companions/RangeBarModel.h"

#include <QPen>
#include <QWidget>

#include <cstdint>

class QPainter;
class QWheelEvent;

// A wheel turn as one signed count, 120 a notch (the vertical wheel, else the horizontal one),
// limited to what the wheel handlers take.
short WheelDelta(const QWheelEvent &event);

// Report codes. Codes 1 and 2 follow a change of the range, 3 and 4 a change of the window.
constexpr int RangeBarMinChanged = 1;
constexpr int RangeBarMaxChanged = 2;
constexpr int RangeBarWinMinChanged = 3;
// The window's end changed, or a new size of the bar alone changed the scale.
constexpr int RangeBarWinMaxChanged = 4;

// SetCtrlStyle values: a vertical bar of degrees and a horizontal bar of milliseconds.
constexpr std::int32_t RangeBarStyleTemperature = 0x28;
constexpr std::int32_t RangeBarStyleTime = 0x11;
// Style bits read by the bar; other bits are kept and ignored.
constexpr std::int32_t RangeBarHorizontalBit = 0x01;
constexpr std::int32_t RangeBarTimeBit = 0x10;

// A scale with a window (the visible part) inside a range. The bar shows the window's scale
// with labelled divisions and, along its outer edge, the window as a handle on the range:
// dragging the handle scrolls the window, dragging either end of it stretches that end,
// a click beside it centres the window there. The wheel zooms around the pointer (with
// Shift it scrolls). A vertical bar's values grow upwards, a horizontal one's rightwards.
//
// The window always lies inside the range (see RangeBarModel for how the setters keep
// it there). Every change is reported by rangeBarNotify, directly and once the state,
// the scale included, already holds the new values.
class CRangeBar : public QWidget
{
    Q_OBJECT
public:
    // A vertical temperature bar, range and window 0 to 100.
    explicit CRangeBar(QWidget *parent = nullptr);
    ~CRangeBar() override;

    // The parent's number for this bar (0 until set).
    int controlId() const { return m_controlId; }
    void setControlId(int id) { m_controlId = id; }

    // Sets the style (RangeBarStyleTemperature, RangeBarStyleTime); returns the previous.
    std::int32_t SetCtrlStyle(std::int32_t style);

    // Each sets one end and returns the value that end now holds.
    std::int32_t SetMin(std::int32_t value);
    std::int32_t SetMax(std::int32_t value);
    std::int32_t SetWinMin(std::int32_t value);
    std::int32_t SetWinMax(std::int32_t value);

    std::int32_t GetMin() const { return m_model.minimum(); }
    std::int32_t GetMax() const { return m_model.maximum(); }
    std::int32_t GetWinMin() const { return m_model.windowStart(); }
    std::int32_t GetWinMax() const { return m_model.windowEnd(); }
    // Pixels per unit of the window along the bar's present length.
    double GetScale() const;

    // Pens of the major and minor divisions (the plot's grid uses them too).
    const QPen &GetMajorPen() const { return m_majorPen; }
    const QPen &GetMinorPen() const { return m_minorPen; }

    // Local midnight of the series' day in seconds since 1970 (0: unknown); kept for the
    // owner, the bar's labels stay times of the day.
    std::int64_t GetStartTime() const { return m_startTime; }
    void SetStartTime(std::int64_t secondsSinceEpoch) { m_startTime = secondsSinceEpoch; }

    // Thickness in pixels across the bar, fitted to the labels of the present font.
    int GetStaticSize() const;
    // Pixels between major divisions.
    double GetBigStep() const;
    // Minor parts of each major division (1: none).
    short GetSmallStep() const;
    // The day the times count from when they run over several days (see
    // RangeBarModel::setFirstDay); the labels name the days.
    void SetFirstDay(const QDate &day);
    const QDate &GetFirstDay() const { return m_model.firstDay(); }
    // Label text of a value: degrees, or a time of the day. Safe from any thread.
    QString FormatValue(double value) const { return m_model.formatValue(value); }

    // A wheel turn at point (global coordinates): zooms the window around the value under
    // the point, in for delta > 0, 120 a notch; with Shift it scrolls the window instead.
    // Returns whether the window changed.
    bool OnMouseWheel(Qt::KeyboardModifiers modifiers, short delta, QPoint point);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The report to the parent: code is one of the RangeBar...Changed values.
    void rangeBarNotify(CRangeBar *bar, int code);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    bool isHorizontal() const { return (m_style & RangeBarHorizontalBit) != 0; }
    int length() const;
    double offsetOf(QPointF point) const;
    bool onTrack(QPointF point) const;
    int labelHeight() const;
    int labelWidth() const;
    void applyStyleAndFont();
    void report(const RangeBarChanges &changes);
    void paintScale(QPainter &painter) const;
    void paintTrack(QPainter &painter) const;
    void updateCursor(QPointF point);

    RangeBarModel m_model;
    std::int32_t m_style = RangeBarStyleTemperature;
    int m_controlId = 0;
    QPen m_majorPen;
    QPen m_minorPen;
    std::int64_t m_startTime = 0;
    double m_reportedScale = 0.0;

    bool m_dragging = false;
    RangeBarHit m_grip = RangeBarHit::Window;
    double m_pressOffset = 0.0;
    std::int32_t m_pressStart = 0;
    std::int32_t m_pressEnd = 0;
};
