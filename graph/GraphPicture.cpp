#include "graph/GraphPicture.h"

#include "companions/OutputFile.h"
#include "graph/CGraphWnd.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProgressDialog>
#include <QSvgGenerator>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <functional>

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

// The one write of a picture's bytes: the file at path is replaced only once write has put the
// whole picture into it, and is left as it was when write fails.
bool writePictureFile(const QString &path, const std::function<bool(QIODevice &)> &write)
{
    return WriteOutputFile(path, InPlaceWrites::Refused, write).isEmpty();
}

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

bool writePng(const QImage &image, QIODevice &file, const std::atomic<bool> &cancelled)
{
    CancellableDevice device(file, cancelled);
    QImageWriter writer(&device, "PNG");
    return writer.write(image) && !cancelled.load();
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

enum class PictureForm
{
    Png,
    Svg,
    Pdf
};

PictureForm formOf(const QString &path)
{
    const QString suffix = path.section(u'.', -1).toLower();
    return suffix == u"svg"   ? PictureForm::Svg
           : suffix == u"pdf" ? PictureForm::Pdf
                              : PictureForm::Png;
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
    switch (formOf(path)) {
    case PictureForm::Svg:
        return writePictureFile(path, [&](QIODevice &file) { return writeSvg(shown, size, file); });
    case PictureForm::Pdf:
        return writePictureFile(path, [&](QIODevice &file) { return writePdf(shown, size, file); });
    case PictureForm::Png:
        break;
    }
    const QImage image = GraphImage(shown, size);
    const std::atomic<bool> never{false};
    return writePictureFile(path, [&](QIODevice &file) { return writePng(image, file, never); });
}

PictureSaving SaveGraphPicture(const CGraphWnd &shown, QSize size, const QString &path,
                               QWidget *parent)
{
    // A drawing of lines costs little at any size; the pixels of a PNG are what takes long.
    if (formOf(path) != PictureForm::Png)
        return WriteGraphPicture(shown, size, path) ? PictureSaving::Written
                                                    : PictureSaving::Failed;

    QProgressDialog progress(QStringLiteral("Сохранение изображения..."), QStringLiteral("Отмена"),
                             0, 0, parent);
    progress.setWindowTitle(QStringLiteral("Сохранение изображения"));
    // Wide enough for its title, which the window manager would cut otherwise.
    progress.setMinimumWidth(progress.fontMetrics().averageCharWidth() * 48);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    std::atomic<bool> cancelled{false};
    QEventLoop loop;
    QObject::connect(&progress, &QProgressDialog::canceled, &loop,
                     [&cancelled] { cancelled.store(true); });
    progress.show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    // Not painted for a user who cancelled at once.
    const QImage image = cancelled.load() ? QImage() : GraphImage(shown, size);
    QFutureWatcher<bool> watcher;
    QObject::connect(&watcher, &QFutureWatcher<bool>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([&image, &path, &cancelled] {
        return writePictureFile(path,
                                [&](QIODevice &file) { return writePng(image, file, cancelled); });
    }));
    // The window goes on answering; input elsewhere waits behind the modal dialog.
    if (!watcher.isFinished())
        loop.exec();
    watcher.waitForFinished();
    progress.hide();
    // A cancel that came after the last byte was written changes nothing.
    if (watcher.result())
        return PictureSaving::Written;
    return cancelled.load() ? PictureSaving::Cancelled : PictureSaving::Failed;
}
