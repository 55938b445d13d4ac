#include "graph/GraphPicture.h"

#include "graph/CGraphWnd.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QPainter>
#include <QProgressDialog>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>

namespace {

// The window as a picture: a window of its own, never on screen, showing what shown shows at
// size. Texts are laid out for the window's resolution, so they keep beside their lines.
PictureDrawing windowDrawing(const CGraphWnd &shown, QSize size)
{
    return {size, shown.logicalDpiY(), shown.windowTitle(), [&shown, size](QPainter &painter) {
                CGraphWnd copy;
                copy.setAttribute(Qt::WA_DontShowOnScreen);
                copy.resize(size);
                copy.showSameAs(shown);
                copy.show();
                copy.render(&painter);
            }};
}

} // namespace

QImage GraphImage(const CGraphWnd &shown, QSize size)
{
    return PictureImage(windowDrawing(shown, size));
}

bool WriteGraphPicture(const CGraphWnd &shown, QSize size, const QString &path)
{
    return WritePictureFile(path, InPlaceWrites::Refused, windowDrawing(shown, size)).written();
}

PictureSaving SaveGraphPicture(const CGraphWnd &shown, QSize size, const QString &path,
                               QWidget *parent)
{
    // A drawing of lines costs little at any size; the pixels of a PNG are what takes long.
    if (PictureFormOf(path) != PictureForm::Png)
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
    QFutureWatcher<PictureWriting> watcher;
    QObject::connect(&watcher, &QFutureWatcher<PictureWriting>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([&image, &path, &cancelled] {
        return WritePngFile(path, InPlaceWrites::Refused, image, cancelled);
    }));
    // The window goes on answering; input elsewhere waits behind the modal dialog.
    if (!watcher.isFinished())
        loop.exec();
    watcher.waitForFinished();
    progress.hide();
    // Once encoded, the picture is written whatever the user does meanwhile.
    switch (watcher.result().fault) {
    case PictureFault::None:
        return PictureSaving::Written;
    case PictureFault::Cancelled:
        return PictureSaving::Cancelled;
    case PictureFault::UnknownForm:
    case PictureFault::NotDrawn:
    case PictureFault::NotWritten:
        break;
    }
    return PictureSaving::Failed;
}
