#include "graph/GraphPicture.h"

#include "companions/OutputFile.h"
#include "graph/CGraphWnd.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace {

// A window of its own, never on screen, showing what shown shows at size.
void paintCopy(const CGraphWnd &shown, QSize size, QPainter &painter)
{
    CGraphWnd copy;
    copy.setAttribute(Qt::WA_DontShowOnScreen);
    copy.resize(size);
    copy.showSameAs(shown);
    copy.show();
    copy.render(&painter);
}

bool writePng(const CGraphWnd &shown, QSize size, QIODevice &file)
{
    return GraphImage(shown, size).save(&file, "PNG");
}

bool writeSvg(const CGraphWnd &shown, QSize size, QIODevice &file)
{
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(), size));
    svg.setResolution(shown.logicalDpiY());
    svg.setTitle(shown.windowTitle());
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    paintCopy(shown, size, painter);
    return painter.end();
}

// One page of the picture's size. Texts are set for the page's resolution, so the window's
// pixels are scaled by the ratio of the two resolutions to keep them beside their lines.
bool writePdf(const CGraphWnd &shown, QSize size, QIODevice &file)
{
    const double windowDpi = shown.logicalDpiY();
    QPdfWriter pdf(&file);
    pdf.setTitle(shown.windowTitle());
    pdf.setPageSize(QPageSize(QSizeF(size) * 72.0 / windowDpi, QPageSize::Point));
    pdf.setPageMargins(QMarginsF());
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    const double scale = pdf.resolution() / windowDpi;
    painter.scale(scale, scale);
    paintCopy(shown, size, painter);
    return painter.end();
}

} // namespace

QImage GraphImage(const CGraphWnd &shown, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintCopy(shown, size, painter);
    return image;
}

bool WriteGraphPicture(const CGraphWnd &shown, QSize size, const QString &path)
{
    const QString suffix = path.section(u'.', -1).toLower();
    const auto write = suffix == u"svg" ? writeSvg : suffix == u"pdf" ? writePdf : writePng;
    OutputFile file(path, InPlaceWrites::Refused);
    return file.open() && write(shown, size, file.device()) && file.commit();
}
