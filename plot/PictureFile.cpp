#include "plot/PictureFile.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace {

constexpr double MetresPerInch = 0.0254;

// Hands writes on to target until cancelled is set, then fails them, so that an encoder
// writing through it stops at its next write.
class CancellableDevice : public QIODevice
{
public:
    CancellableDevice(QIODevice &target, const std::atomic<bool> &cancelled)
        : m_target(target), m_cancelled(cancelled)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override
    {
        if (m_cancelled.load(std::memory_order_relaxed))
            return -1;
        return m_target.write(data, length);
    }

private:
    QIODevice &m_target;
    const std::atomic<bool> &m_cancelled;
};

bool paintOn(QPaintDevice &device, const PictureDrawing &drawing)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    drawing.paint(painter);
    return painter.end();
}

bool writeSvg(const PictureDrawing &drawing, QIODevice &file)
{
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(drawing.pixels);
    svg.setViewBox(QRect(QPoint(), drawing.pixels));
    svg.setResolution(drawing.dpi);
    svg.setTitle(drawing.title);
    return paintOn(svg, drawing);
}

// One page of the picture's size: its pixels are dots of the page's resolution.
bool writePdf(const PictureDrawing &drawing, QIODevice &file)
{
    QPdfWriter pdf(&file);
    pdf.setTitle(drawing.title);
    pdf.setCreator(QStringLiteral("ORMA"));
    pdf.setResolution(drawing.dpi);
    pdf.setPageSize(QPageSize(QSizeF(drawing.pixels) * 25.4 / drawing.dpi, QPageSize::Millimeter));
    pdf.setPageMargins(QMarginsF());
    return paintOn(pdf, drawing);
}

PictureWriting writeFile(const QString &path, InPlaceWrites inPlace,
                         const std::function<bool(QIODevice &)> &write)
{
    const QString reason = WriteOutputFile(path, inPlace, write);
    if (reason.isEmpty())
        return {};
    return {PictureFault::NotWritten, reason};
}

} // namespace

std::optional<PictureForm> PictureFormOf(const QString &path)
{
    if (path.endsWith(u".png", Qt::CaseInsensitive))
        return PictureForm::Png;
    if (path.endsWith(u".svg", Qt::CaseInsensitive))
        return PictureForm::Svg;
    if (path.endsWith(u".pdf", Qt::CaseInsensitive))
        return PictureForm::Pdf;
    return std::nullopt;
}

QImage PictureImage(const PictureDrawing &drawing)
{
    QImage image(drawing.pixels, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.setDotsPerMeterX(qRound(drawing.dpi / MetresPerInch));
    image.setDotsPerMeterY(qRound(drawing.dpi / MetresPerInch));
    image.fill(Qt::white);
    if (!paintOn(image, drawing))
        return {};
    return image;
}

PictureWriting WritePngFile(const QString &path, InPlaceWrites inPlace, const QImage &image,
                            const std::atomic<bool> &cancelled)
{
    // Made in memory first: the PNG library would write its own line on stderr for a file
    // that fails, and a cancelled picture touches no file.
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        CancellableDevice device(buffer, cancelled);
        QImageWriter writer(&device, "PNG");
        const bool encoded = !image.isNull() && writer.write(image);
        if (cancelled.load())
            return {PictureFault::Cancelled, {}};
        if (!encoded)
            return {PictureFault::NotDrawn, {}};
    }
    return writeFile(path, inPlace,
                     [&png](QIODevice &file) { return file.write(png) == png.size(); });
}

PictureWriting WritePictureFile(const QString &path, InPlaceWrites inPlace,
                                const PictureDrawing &drawing)
{
    const std::optional<PictureForm> form = PictureFormOf(path);
    if (!form)
        return {PictureFault::UnknownForm, {}};
    switch (*form) {
    case PictureForm::Png:
        break;
    case PictureForm::Svg:
        return writeFile(path, inPlace,
                         [&drawing](QIODevice &file) { return writeSvg(drawing, file); });
    case PictureForm::Pdf:
        return writeFile(path, inPlace,
                         [&drawing](QIODevice &file) { return writePdf(drawing, file); });
    }
    const std::atomic<bool> never{false};
    return WritePngFile(path, inPlace, PictureImage(drawing), never);
}
