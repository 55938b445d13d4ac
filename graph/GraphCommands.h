#pragma once

#include <QKeySequence>
#include <QString>

#include <functional>
#include <span>
#include <vector>

struct GraphMenuEntry;
class QAction;
class QMenu;
class QWidget;

// One command of the graph window: what it is called, what it does, and the rules read
// again each time the menu opens.
struct GraphCommand
{
    // The action's object name, by which the menu's list names it.
    QString name;
    QString text;
    std::function<void()> run;
    // Empty: the command has no check mark.
    std::function<bool()> checked = {};
    // Empty: always enabled.
    std::function<bool()> enabled = {};
    // Works over the window whenever the command is enabled at the key press; the menu does
    // not show it.
    QKeySequence shortcut = {};
};

// The graph window's commands, each a QAction registered once, and the context menu built
// from the menu's list of them. The menu, owned by the window, owns the actions.
class GraphCommands
{
public:
    explicit GraphCommands(QWidget &window);

    QAction *add(GraphCommand command);
    // Null for a name never added.
    QAction *action(const QString &name) const;
    // The check marks and enabling as the rules give them now.
    void update();
    // Fills the menu with entries; entries naming no command are left out.
    QMenu *buildMenu(std::span<const GraphMenuEntry> entries);

private:
    struct Registered
    {
        QAction *action;
        GraphCommand command;
    };

    const Registered *find(const QString &name) const;

    QWidget &m_window;
    QMenu *m_menu;
    std::vector<Registered> m_commands;
};
