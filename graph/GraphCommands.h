#pragma once

#include "resources/GraphMenu.h"

#include <QKeySequence>
#include <QString>

#include <functional>
#include <span>
#include <vector>

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

// The graph window's commands, each a QAction registered once by whoever carries it out,
// and the context menu built from the menu's list of them: the entries of commands added so
// far, in the list's order. The menu, owned by the window, owns the actions.
class GraphCommands
{
public:
    GraphCommands(QWidget &window, std::span<const GraphMenuEntry> entries);

    QAction *add(GraphCommand command);
    // Null for a name never added.
    QAction *action(const QString &name) const;
    // The menu with its check marks and enabling as the rules give them now.
    QMenu *menu();

private:
    struct Registered
    {
        QAction *action;
        GraphCommand command;
    };

    const Registered *find(const QString &name) const;
    void buildMenu();

    QWidget &m_window;
    std::span<const GraphMenuEntry> m_entries;
    QMenu *m_menu;
    std::vector<QMenu *> m_submenus;
    bool m_menuBuilt = false;
    std::vector<Registered> m_commands;
};
