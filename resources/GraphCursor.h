#pragma once

#include <QCursor>
#include <QImage>
#include <QPoint>

// The plot's pointer: on 32 x 32 pixels a crosshair in the lower left corner, whose centre
// is the hot spot, with a thermometer above and to the right of it.
inline constexpr int IDC_GRAPH_CURSOR = 138;
inline constexpr QPoint GraphCursorHotSpot(6, 26);

// The picture alone (transparent where the pointer shows what lies under it), drawn at
// pixelRatio device pixels a pixel, so that a high-resolution screen shows it sharp and at
// its size.
QImage GraphCursorImage(qreal pixelRatio = 1);
QCursor GraphCursor(qreal pixelRatio = 1);
