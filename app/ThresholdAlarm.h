#pragma once

#include "plot/ThresholdCrossings.h"

#include <QObject>

class AcquisitionControl;
class DesktopNotifier;
class GraphController;
class QTreeView;
struct v4TermData;

// The alarm of "Сигнал при выходе за пороги" (GraphController::alarmOn) over the graph's
// thresholds: while it is on, every table row outside them is highlighted, and each crossing of
// a reception from a port (ThresholdWatch) shows in the graph's status line and is told to the
// desktop once.
class ThresholdAlarm : public QObject
{
    Q_OBJECT
public:
    ThresholdAlarm(AcquisitionControl &acquisition, QTreeView &table, GraphController &graph,
                   DesktopNotifier &notifier, QObject *parent = nullptr);

    // Whether the table highlights row.
    bool highlights(int row) const;

private:
    void rowsCame(int first, int last);
    // New thresholds, the alarm switched, or a new reception: the next reading is watched as
    // a first one.
    void restart();
    // The record of the table's row in the reception's series; null for none.
    const v4TermData *recordAt(int row) const;

    AcquisitionControl &m_acquisition;
    QTreeView &m_table;
    GraphController &m_graph;
    DesktopNotifier &m_notifier;
    TemperatureThresholds m_thresholds;
    ThresholdWatch m_watch;
};
