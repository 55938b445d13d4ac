#include "graph/GraphCommands.h"

#include "companions/CRangeBar.h"
#include "graph/CGraphWnd.h"
#include "plot/CGraphView.h"
#include "resources/GraphMenu.h"

#include <QMenu>

namespace {

void showWholeRange(CRangeBar &bar)
{
    bar.SetWinMax(bar.GetMax());
    bar.SetWinMin(bar.GetMin());
}

} // namespace

void ShowWholeGraph(CGraphWnd &frame)
{
    if (CRangeBar *time = frame.timeBar())
        showWholeRange(*time);
    if (CRangeBar *temperature = frame.temperatureBar()) {
        if (frame.automaticLimits())
            frame.FitTemperatureWindow();
        else
            showWholeRange(*temperature);
    }
}

void ToggleAutoLimits(CGraphWnd &frame)
{
    frame.setAutomaticLimits(!frame.automaticLimits());
    frame.FitTemperatureWindow();
}

void ToggleGaps(CGraphWnd &frame)
{
    if (CGraphView *view = frame.view()) {
        view->toggleBreakAtGaps();
        frame.update();
    }
}

std::unique_ptr<QMenu> CreateGraphMenu(CGraphWnd &frame, const std::function<void()> &print,
                                       const std::function<void()> &editLimits)
{
    auto menu = std::make_unique<QMenu>(&frame);
    QMenu *submenu = nullptr;
    for (const MenuItemTemplate &item : GraphMenuItems) {
        QMenu *parent = item.level == 0 ? menu.get() : submenu;
        const QString text = QString::fromUtf8(item.text);
        if (item.id == 0) {
            submenu = parent->addMenu(text);
            continue;
        }
        QAction *action = parent->addAction(text);
        action->setData(item.id);
        switch (item.id) {
        case ID_GRAPH_PRINT:
            QObject::connect(action, &QAction::triggered, &frame, print);
            break;
        case ID_GRAPH_WHOLE:
            QObject::connect(action, &QAction::triggered, &frame,
                             [&frame] { ShowWholeGraph(frame); });
            break;
        case ID_GRAPH_AUTO_LIMITS:
            action->setCheckable(true);
            action->setChecked(frame.automaticLimits());
            QObject::connect(action, &QAction::triggered, &frame,
                             [&frame] { ToggleAutoLimits(frame); });
            break;
        case ID_GRAPH_LIMITS:
            QObject::connect(action, &QAction::triggered, &frame, editLimits);
            break;
        case ID_GRAPH_NO_GAPS:
            action->setCheckable(true);
            action->setChecked(frame.view() != nullptr && frame.view()->breakAtGaps());
            QObject::connect(action, &QAction::triggered, &frame, [&frame] { ToggleGaps(frame); });
            break;
        default:
            break;
        }
    }
    return menu;
}
