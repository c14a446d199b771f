#pragma once
// Gives a menu item its name, shortcut and handler, and makes its shortcut
// work while the menu is closed: one way for every window's menu.
#include <QAction>
#include <QKeySequence>
#include <QWidget>

namespace nubivu {

template <class Owner, class Slot>
QAction* wireAction(Owner* owner, QAction* action, const char* name, const QKeySequence& key,
                    Slot slot) {
    action->setObjectName(QLatin1String(name));
    if (!key.isEmpty()) action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, owner, slot);
    owner->addAction(action);
    return action;
}

} // namespace nubivu
