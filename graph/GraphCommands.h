#pragma once

#include <QPoint>

#include <functional>
#include <memory>

class CGraphWnd;
class QMenu;

// The graph window's commands, all reached through its context menu.

// The whole time range, and the whole temperature range or, with automatic limits, the
// readings' own range.
void ShowWholeGraph(CGraphWnd &frame);
// Inverts automatic limits and fits the temperature window at once when they come on.
void ToggleAutoLimits(CGraphWnd &frame);
// Inverts the view's break-at-gaps flag.
void ToggleGaps(CGraphWnd &frame);

// The context menu with its check marks as they are now; each item runs its command on
// frame, and "Печать..." and "Пределы по шкале температуры" call print and editLimits.
std::unique_ptr<QMenu> CreateGraphMenu(CGraphWnd &frame, const std::function<void()> &print,
                                       const std::function<void()> &editLimits);
