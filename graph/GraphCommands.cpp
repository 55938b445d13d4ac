#include "graph/GraphCommands.h"

#include "resources/GraphMenu.h"

#include <QAction>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

GraphCommands::GraphCommands(QWidget &window, std::span<const GraphMenuEntry> entries)
    : m_window(window), m_entries(entries), m_menu(new QMenu(&window))
{}

QAction *GraphCommands::add(GraphCommand command)
{
    auto *action = new QAction(command.text, m_menu);
    action->setObjectName(command.name);
    action->setCheckable(static_cast<bool>(command.checked));
    QObject::connect(action, &QAction::triggered, action, [run = command.run] { run(); });
    // A shortcut of its own rather than the action's: the action's enabling is read only when
    // the menu opens, while the key must answer to the rule as it stands at the press.
    if (!command.shortcut.isEmpty()) {
        auto *shortcut = new QShortcut(command.shortcut, &m_window);
        QObject::connect(shortcut, &QShortcut::activated, action,
                         [run = command.run, enabled = command.enabled] {
                             if (!enabled || enabled())
                                 run();
                         });
    }
    m_commands.push_back({action, std::move(command)});
    m_menuBuilt = false;
    return action;
}

const GraphCommands::Registered *GraphCommands::find(const QString &name) const
{
    for (const Registered &registered : m_commands)
        if (registered.command.name == name)
            return &registered;
    return nullptr;
}

QAction *GraphCommands::action(const QString &name) const
{
    const Registered *registered = find(name);
    return registered != nullptr ? registered->action : nullptr;
}

QMenu *GraphCommands::menu()
{
    if (!m_menuBuilt)
        buildMenu();
    for (const Registered &registered : m_commands) {
        if (registered.command.checked)
            registered.action->setChecked(registered.command.checked());
        if (registered.command.enabled)
            registered.action->setEnabled(registered.command.enabled());
    }
    return m_menu;
}

void GraphCommands::buildMenu()
{
    // The actions stay: they belong to the menu, not to what shows them.
    for (QAction *action : m_menu->actions())
        m_menu->removeAction(action);
    qDeleteAll(m_submenus);
    m_submenus.clear();
    QMenu *submenu = nullptr;
    for (const GraphMenuEntry &entry : m_entries) {
        QMenu *parent = entry.level == 0 ? m_menu : submenu;
        if (entry.command == nullptr) {
            submenu = parent->addMenu(QString::fromUtf8(entry.submenu));
            m_submenus.push_back(submenu);
            continue;
        }
        if (QAction *command = action(QString::fromUtf8(entry.command)))
            parent->addAction(command);
    }
    m_menuBuilt = true;
}
