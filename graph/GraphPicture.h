#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

class CGraphWnd;

// Pictures of the graph window as its user sees it: the plot, both scales with their labels
// and the status line's texts. At a size other than the window's the picture is laid out for
// that size, as the window would be.
QImage GraphImage(const CGraphWnd &shown, QSize size);

// Writes the picture to path: SVG for a name ending in .svg, PDF for .pdf, else PNG. The file
// is replaced only once the picture is whole; false when it could not be written.
bool WriteGraphPicture(const CGraphWnd &shown, QSize size, const QString &path);

// A picture's side in pixels, either way.
inline constexpr int MinPictureSide = 100;
inline constexpr int MaxPictureSide = 10000;

// "800 x 500" and the same with "х", "×", "*" or only spaces between; none for anything
// else or a side outside MinPictureSide..MaxPictureSide.
std::optional<QSize> ParsePictureSize(const QString &text);
QString PictureSizeText(QSize size);
