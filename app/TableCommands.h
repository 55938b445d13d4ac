#pragma once

#include <QObject>

#include <functional>
#include <vector>

class Prompts;
class QAction;
class QTreeView;
class ReceivedRows;

// The measurement table's context menu and its keys: "Копировать" (Ctrl+C), "Выделить все"
// (Ctrl+A), "Экспорт в CSV...", "График приема" and "Заметка..." (on the current row). A command
// that needs rows is off while the table has too few.
class TableCommands : public QObject
{
    Q_OBJECT
public:
    struct Window
    {
        // The selected rows in ascending order.
        std::function<std::vector<int>()> selectedRows;
        // Opens the graph window on every row of the current reception.
        std::function<void()> graphOfReception;
        // Asks for the note of row.
        std::function<void(int row)> note;
    };

    TableCommands(QTreeView &list, const ReceivedRows &table, Prompts &prompts, Window window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *addCommand(const QString &text, const QKeySequence &keys,
                        const std::function<void()> &command);
    void copyRows();
    void noteOnRow();
    void updateCommands();

    QTreeView &m_list;
    const ReceivedRows &m_table;
    Prompts &m_prompts;
    Window m_window;
    QAction *m_copy;
    QAction *m_selectAll;
    QAction *m_export;
    QAction *m_graph;
    QAction *m_note;
    // The row the menu was opened over, -1 for none.
    int m_menuRow = -1;
};
