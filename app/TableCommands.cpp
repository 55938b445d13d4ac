#include "app/TableCommands.h"

#include "acquisition/ReceivedRows.h"
#include "outputs/RowTexts.h"
#include "outputs/TableExport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QLocale>
#include <QTreeView>

TableCommands::TableCommands(QTreeView &list, const ReceivedRows &table, Prompts &prompts,
                             Window window)
    : QObject(&list), m_list(list), m_table(table), m_prompts(prompts), m_window(std::move(window)),
      m_copy(addCommand(QStringLiteral("Копировать"), QKeySequence::Copy, [this] { copyRows(); })),
      m_selectAll(addCommand(QStringLiteral("Выделить все"), QKeySequence::SelectAll,
                             [this] { m_list.selectAll(); })),
      m_export(addCommand(QStringLiteral("Экспорт в CSV..."), {},
                          [this] { ExportCsv(m_prompts, m_table, m_window.selectedRows()); })),
      m_graph(
          addCommand(QStringLiteral("График приема"), {}, [this] { m_window.graphOfReception(); })),
      m_note(addCommand(QStringLiteral("Заметка..."), {}, [this] { noteOnRow(); }))
{
    m_list.setContextMenuPolicy(Qt::ActionsContextMenu);
    m_list.viewport()->installEventFilter(this);
    QAbstractItemModel *rows = m_list.model();
    connect(rows, &QAbstractItemModel::rowsInserted, this, &TableCommands::updateCommands);
    connect(rows, &QAbstractItemModel::modelReset, this, &TableCommands::updateCommands);
    // A row counts as selected when all its cells are: the note column that appears with the
    // first note joins the rows selected, so that they stay selected.
    connect(rows, &QAbstractItemModel::columnsInserted, this, [this] {
        QItemSelectionModel *selection = m_list.selectionModel();
        selection->select(selection->selection(),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    });
    updateCommands();
}

QAction *TableCommands::addCommand(const QString &text, const QKeySequence &keys,
                                   const std::function<void()> &command)
{
    auto *action = new QAction(text, &m_list);
    action->setShortcut(keys);
    // The keys act while the table has the focus, as the usual keys of a list do.
    action->setShortcutContext(Qt::WidgetShortcut);
    connect(action, &QAction::triggered, this, command);
    m_list.addAction(action);
    return action;
}

void TableCommands::copyRows()
{
    const std::vector<int> rows = RowsToTake(m_table, m_window.selectedRows());
    if (rows.empty())
        return;
    QApplication::clipboard()->setText(
        RowsAsTabText(m_table, rows, QLocale().decimalPoint().at(0)));
}

bool TableCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu)
        m_menuRow = m_list.indexAt(static_cast<QContextMenuEvent *>(event)->pos()).row();
    return QObject::eventFilter(watched, event);
}

// The row the menu was opened over; from the keyboard the current row, else the first selected.
void TableCommands::noteOnRow()
{
    int row = m_menuRow;
    m_menuRow = -1;
    if (row < 0 && m_list.currentIndex().isValid())
        row = m_list.currentIndex().row();
    if (row < 0) {
        const std::vector<int> selected = m_window.selectedRows();
        row = selected.empty() ? -1 : selected.front();
    }
    if (row >= 0 && row < m_table.rowTotal())
        m_window.note(row);
}

void TableCommands::updateCommands()
{
    const int rows = m_table.rowTotal();
    m_copy->setEnabled(rows > 0);
    m_selectAll->setEnabled(rows > 0);
    m_export->setEnabled(rows > 0);
    m_graph->setEnabled(rows >= 2);
    m_note->setEnabled(rows > 0);
}
