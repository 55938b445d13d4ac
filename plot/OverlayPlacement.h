#pragma once

#include <QPoint>
#include <QSize>

#include <optional>

// Where the boxes written over the plot go, without a window.

// The gap between the boxes, and between a box and the plot's edge or the marker's line.
inline constexpr int OverlayMargin = 4;

struct OverlayPlaces
{
    // Top left corner of the statistics box: the plot's top left corner.
    QPoint statistics;
    // Top left corner of the marker's box; none when the marker's line is outside the plot,
    // which then draws neither.
    std::optional<QPoint> marker;
    // Top left corner of the legend, at the plot's top right corner; none without one.
    std::optional<QPoint> legend;
    bool operator==(const OverlayPlaces &) const = default;
};

// For a plot of plotSize, a statistics box of statisticsBox (empty: none shown), a marker's
// line at markerX (none: no marker) and its box of markerBox: the marker's box goes under the
// statistics box so the two never overlap, right of the line, or left of it where the right
// has no room. A legend of legendBox (empty: none) goes to the top right corner, and the
// marker's box also under the legend where the two would share columns.
OverlayPlaces PlaceOverlays(QSize plotSize, QSize statisticsBox, std::optional<int> markerX,
                            QSize markerBox, QSize legendBox = {});
