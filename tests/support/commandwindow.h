#pragma once

#include "commands/commandset.h"
#include "shell/commandtree.h"

#include <QAction>
#include <QMainWindow>
#include <QTest>
#include <QToolBar>

#include <memory>

namespace corvanta {

// A bare main window carrying the shell's menus and toolbars, for tests of
// the commands without the rest of the address book.
inline void openCommandWindow(std::unique_ptr<QMainWindow>& window, CommandSet*& cmds)
{
    window = std::make_unique<QMainWindow>();
    window->resize(900, 400);
    cmds = new CommandSet(window.get());
    CommandTree::build(window.get(), *cmds);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

// Clicks the toolbar button of `toolbarAction` with the mouse.
inline void clickToolbarButton(QAction* toolbarAction)
{
    QVERIFY(toolbarAction);
    auto* bar = qobject_cast<QToolBar*>(toolbarAction->parent());
    QVERIFY(bar);
    QWidget* button = bar->widgetForAction(toolbarAction);
    QVERIFY(button);
    // Left of centre: the Open button's right part is its drop-down arrow.
    QTest::mouseClick(button, Qt::LeftButton, {},
                      QPoint(button->width() / 4, button->height() / 2));
}

} // namespace corvanta
