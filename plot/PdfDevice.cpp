#include "plot/PdfDevice.h"

#include <QLocale>
#include <QPageLayout>
#include <QPageSize>

#include <cmath>

namespace {

// Fine enough for the thinnest printed line, coarse enough to keep the coordinates small.
constexpr int PdfDpi = 1200;

} // namespace

PaperSize LocalePaperSize()
{
    return QLocale().measurementSystem() == QLocale::ImperialUSSystem ? PaperSize::Letter
                                                                      : PaperSize::A4;
}

PdfDevice::PdfDevice(QIODevice &file, PaperSize paper, const QString &title) : m_writer(&file)
{
    m_writer.setTitle(title);
    m_writer.setCreator(QStringLiteral("ORMA"));
    m_writer.setResolution(PdfDpi);
    m_writer.setPageLayout(
        QPageLayout(QPageSize(paper == PaperSize::Letter ? QPageSize::Letter : QPageSize::A4),
                    QPageLayout::Portrait, QMarginsF()));
    m_painter.begin(&m_writer);
    m_canvas.emplace(m_painter, QPainterCanvas::Mapping::Lometric);
}

PdfDevice::~PdfDevice()
{
    endDocument();
}

QSize PdfDevice::printableSize() const
{
    const QSizeF sheet = m_writer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    return {static_cast<int>(std::floor(sheet.width())),
            static_cast<int>(std::floor(sheet.height()))};
}

bool PdfDevice::startPage()
{
    if (m_closed || !m_painter.isActive())
        return false;
    // The writer opens with its first page.
    if (!m_pageStarted) {
        m_pageStarted = true;
        return true;
    }
    m_canvas->flush();
    return m_writer.newPage();
}

void PdfDevice::endDocument()
{
    if (m_closed)
        return;
    m_closed = true;
    m_canvas->flush();
    m_written = m_painter.isActive() && m_painter.end();
}

void PdfDevice::abortDocument()
{
    if (m_closed)
        return;
    m_closed = true;
    m_canvas->flush();
    if (m_painter.isActive())
        m_painter.end();
    m_written = false;
}
