#include "plot/CGraphView.h"

#include "companions/CRangeBar.h"
#include "plot/QPainterCanvas.h"

#include <QPainter>

PlotAxis plotAxisOf(const CRangeBar &bar)
{
    return {bar.GetWinMin(),    bar.GetWinMax(),   bar.GetScale(),   bar.GetBigStep(),
            bar.GetSmallStep(), bar.GetMajorPen(), bar.GetMinorPen()};
}

CGraphView::CGraphView(QWidget *parent) : QWidget(parent)
{
    // Every paint covers the whole widget; nothing is erased before it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CGraphView::setBars(CRangeBar *temperature, CRangeBar *time)
{
    m_temperatureBar = temperature;
    m_timeBar = time;
    update();
}

void CGraphView::setTimeWindow(std::int32_t start, double scale)
{
    m_timeScale = scale;
    if (start == m_timeWindowStart)
        return;
    m_timeWindowStart = start;
    update();
}

void CGraphView::setTemperatureWindow(std::int32_t start, double scale)
{
    m_temperatureWindowStart = start;
    m_temperatureScale = scale;
}

void CGraphView::setTemperatureWindowStart(std::int32_t start)
{
    m_temperatureWindowStart = start;
}

void CGraphView::setSeries(TermDataFile *series)
{
    // Repainted even for the same pointer: the series may have been refilled in place.
    m_series = series;
    update();
}

void CGraphView::toggleBreakAtGaps()
{
    m_breakAtGaps = !m_breakAtGaps;
    update();
}

void CGraphView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QPainterCanvas canvas(painter, QPainterCanvas::Mapping::DevicePixels);
    const QSize client = size();
    canvas.fillRect(cornerRect(0, 0, client.width(), client.height()), QColor(PlotBackgroundColor));
    if (m_temperatureBar == nullptr || m_timeBar == nullptr)
        return;
    const PlotAxis temperature = plotAxisOf(*m_temperatureBar);
    const PlotAxis time = plotAxisOf(*m_timeBar);
    DrawGrid(canvas, client, temperature, time);
    DrawCurve(canvas, client, m_series, temperature, time, m_timeWindowStart, m_breakAtGaps,
              m_curvePen);
}
