#pragma once

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <QWidget>

// Asks widget for its context menu as a right click at pos (in its own
// coordinates) does, or as the menu key does on the focused widget. Inside
// the menu's loop the item named choose is chosen (none when empty) and the
// menu closes. Returns the texts of the items it offered; empty when no menu
// opened.
inline QStringList openContextMenu(QWidget* widget, QPoint pos, const QString& choose = QString(),
    QContextMenuEvent::Reason reason = QContextMenuEvent::Mouse)
{
    QStringList offered;
    QTimer inMenu;
    inMenu.setSingleShot(true);
    QObject::connect(&inMenu, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            offered << action->text();
            if (!choose.isEmpty() && action->text() == choose)
                chosen = action;
        }
        menu->close();
        if (chosen)
            chosen->trigger();
    });
    inMenu.start(0);
    QContextMenuEvent event(reason, pos, widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &event);
    // No menu ran its loop: nothing was offered.
    inMenu.stop();
    return offered;
}
