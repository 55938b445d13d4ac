#include "plot/OverlayPlacement.h"

#include <algorithm>

OverlayPlaces PlaceOverlays(QSize plotSize, QSize statisticsBox, std::optional<int> markerX,
                            QSize markerBox, QSize legendBox)
{
    OverlayPlaces places{QPoint(OverlayMargin, OverlayMargin), std::nullopt, std::nullopt};
    if (!legendBox.isEmpty())
        places.legend = QPoint(plotSize.width() - OverlayMargin - legendBox.width(), OverlayMargin);
    if (!markerX || *markerX < 0 || *markerX >= plotSize.width())
        return places;
    const int x = *markerX;
    int top = statisticsBox.isEmpty() ? OverlayMargin
                                      : OverlayMargin + statisticsBox.height() + OverlayMargin;
    const int left = x + OverlayMargin + markerBox.width() <= plotSize.width()
                         ? x + OverlayMargin
                         : x - OverlayMargin - markerBox.width();
    if (places.legend && left + markerBox.width() > places.legend->x())
        top = std::max(top, OverlayMargin + legendBox.height() + OverlayMargin);
    places.marker = QPoint(left, top);
    return places;
}
