#include "app/ThresholdAlarm.h"

#include "acquisition/AcquisitionControl.h"
#include "app/DesktopNotifier.h"
#include "graph/GraphController.h"

#include <QStyledItemDelegate>
#include <QTreeView>

namespace {

// The rows outside the thresholds in a colour of their own; a selected row keeps the
// selection's.
class AlarmRowDelegate : public QStyledItemDelegate
{
public:
    AlarmRowDelegate(const ThresholdAlarm &alarm, QObject *parent)
        : QStyledItemDelegate(parent), m_alarm(alarm)
    {}

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!m_alarm.highlights(index.row()))
            return;
        option->backgroundBrush = QColor(255, 176, 176);
        option->palette.setColor(QPalette::Text, Qt::black);
    }

private:
    const ThresholdAlarm &m_alarm;
};

} // namespace

ThresholdAlarm::ThresholdAlarm(AcquisitionControl &acquisition, QTreeView &table,
                               GraphController &graph, DesktopNotifier &notifier, QObject *parent)
    : QObject(parent), m_acquisition(acquisition), m_table(table), m_graph(graph),
      m_notifier(notifier), m_thresholds(graph.thresholds()), m_watch(m_thresholds)
{
    table.setItemDelegate(new AlarmRowDelegate(*this, this));
    const MeasurementTableModel &model = acquisition.table();
    connect(&model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { rowsCame(first, last); });
    // The last crossing shown was of the rows that went.
    connect(&model, &QAbstractItemModel::modelReset, this, [this] {
        m_graph.showCrossing({});
        restart();
    });
    connect(&graph, &GraphController::thresholdsChanged, this, [this] {
        m_thresholds = m_graph.thresholds();
        restart();
    });
    connect(&graph, &GraphController::alarmToggled, this, [this](bool on) {
        if (!on)
            m_graph.showCrossing({});
        restart();
    });
}

void ThresholdAlarm::restart()
{
    m_watch.restart(m_thresholds);
    m_table.viewport()->update();
}

const v4TermData *ThresholdAlarm::recordAt(int row) const
{
    const TermDataFile &series = m_acquisition.series();
    const int index = m_acquisition.table().recordIndexAt(row);
    return index >= 0 && index < series.count ? &series.records[index] : nullptr;
}

bool ThresholdAlarm::highlights(int row) const
{
    const v4TermData *record = m_graph.alarmOn() ? recordAt(row) : nullptr;
    return record != nullptr &&
           SideOfThresholds(m_thresholds, record->temperature) != ThresholdSide::Inside;
}

void ThresholdAlarm::rowsCame(int first, int last)
{
    if (!m_graph.alarmOn() || !m_acquisition.rowsFromPort())
        return;
    QString crossed;
    for (int row = first; row <= last; ++row) {
        const v4TermData *record = recordAt(row);
        const std::optional<ThresholdCrossing> crossing =
            record != nullptr ? m_watch.take(record->temperature) : std::nullopt;
        if (!crossing)
            continue;
        crossed = CrossingText(*crossing, record->time, record->temperature);
        m_notifier.notify(QStringLiteral("ORMA: выход за порог"), crossed);
    }
    if (!crossed.isEmpty())
        m_graph.showCrossing(QStringLiteral("Выход за порог в ") + crossed);
}
