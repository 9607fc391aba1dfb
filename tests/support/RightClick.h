#pragma once

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

// Right-clicks `node` (or empty space) of `tree` and picks `item` from the menu when one opens, with the
// keyboard as a person would; returns the items seen, none when no menu opened.
inline QStringList RightClick(QTreeWidget& tree, QTreeWidgetItem* node, const QString& item) {
    QStringList seen;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* action : menu->actions()) seen << action->text();
        for (QAction* action : menu->actions()) {
            if (action->text() == item) menu->setActiveAction(action);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint at = node ? tree.visualItemRect(node).center() : QPoint(5, tree.viewport()->height() - 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree.viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree.viewport(), &event);
    QApplication::processEvents();
    return seen;
}
