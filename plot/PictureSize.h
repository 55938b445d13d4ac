#pragma once

#include <QSize>
#include <QString>

#include <optional>

// The size of a picture of the graph, as the user types it, in the window and on the
// command line alike.

// A side in pixels, either way.
inline constexpr int MinPictureSide = 100;
inline constexpr int MaxPictureSide = 10000;

// "800 x 500" and the same with "х", "×", "*" or only spaces between; none for anything
// else or a side outside MinPictureSide..MaxPictureSide.
std::optional<QSize> ParsePictureSize(const QString &text);
QString PictureSizeText(QSize size);
