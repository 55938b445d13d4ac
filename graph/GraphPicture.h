#pragma once

#include "plot/PictureSize.h"

#include <QImage>
#include <QSize>
#include <QString>

class CGraphWnd;

// Pictures of the graph window as its user sees it: the plot, both scales with their labels
// and the status line's texts. At a size other than the window's the picture is laid out for
// that size, as the window would be.
QImage GraphImage(const CGraphWnd &shown, QSize size);

// Writes the picture to path: SVG for a name ending in .svg, PDF for .pdf, else PNG. The file
// is replaced only once the picture is whole; false when it could not be written.
bool WriteGraphPicture(const CGraphWnd &shown, QSize size, const QString &path);
