#pragma once

#include "plot/PictureFile.h"
#include "plot/PictureSize.h"

#include <QImage>
#include <QSize>
#include <QString>

class CGraphWnd;
class QWidget;

// Pictures of the graph window as its user sees it: the plot, both scales with their labels
// and the status line's texts. At a size other than the window's the picture is laid out for
// that size, as the window would be.
QImage GraphImage(const CGraphWnd &shown, QSize size);

// Writes the picture to path in the form its name asks for (PictureFormOf); the file is
// replaced only once the picture is whole. False when it could not be written, or for a name
// that asks for no form the picture has.
bool WriteGraphPicture(const CGraphWnd &shown, QSize size, const QString &path);

enum class PictureSaving
{
    Written,
    Failed,
    Cancelled
};

// Writes the picture as WriteGraphPicture does, with the program answering meanwhile: a PNG
// is painted here (a window paints on its own thread only), then encoded and written on a
// worker thread while the modal progress dialog "Сохранение изображения..." over parent offers
// "Отмена". Cancelled, the file is left as it was. Returns once the work has ended.
PictureSaving SaveGraphPicture(const CGraphWnd &shown, QSize size, const QString &path,
                               QWidget *parent);
