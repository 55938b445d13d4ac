#include "plot/OverlayPlacement.h"

OverlayPlaces PlaceOverlays(QSize plotSize, QSize statisticsBox, std::optional<int> markerX,
                            QSize markerBox)
{
    OverlayPlaces places{QPoint(OverlayMargin, OverlayMargin), std::nullopt};
    if (!markerX || *markerX < 0 || *markerX >= plotSize.width())
        return places;
    const int x = *markerX;
    const int top = statisticsBox.isEmpty()
                        ? OverlayMargin
                        : OverlayMargin + statisticsBox.height() + OverlayMargin;
    const int left = x + OverlayMargin + markerBox.width() <= plotSize.width()
                         ? x + OverlayMargin
                         : x - OverlayMargin - markerBox.width();
    places.marker = QPoint(left, top);
    return places;
}
