#pragma once

#include "commands/commandset.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "shell/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QTest>

#include <algorithm>

namespace corvanta {

// Finding and using the widgets and commands of the real window, the way
// a user reaches them.

// The command `name`; a name the window lacks ends the test program.
inline QAction* act(MainWindow& w, const char* name)
{
    QAction* a = w.commands().action(QString::fromLatin1(name));
    if (!a)
        qFatal("no action %s", name);
    return a;
}

// The child `name` of `parent`; a missing one ends the test program.
template <typename T> T* child(QWidget* parent, const char* name)
{
    T* w = parent->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        qFatal("no %s", name);
    return w;
}

// Clicks a button near its left end, where a radio button or a check box
// has its indicator and caption.
inline void click(QWidget* parent, const char* name)
{
    auto* b = child<QAbstractButton>(parent, name);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(std::min(10, b->width() / 2), b->height() / 2));
}

// Clicks the cell of table row `row` of a grid.
inline void clickCell(GridWidget* grid, int row, int col, Qt::KeyboardModifiers mods = {})
{
    const QRect r = grid->visualRect(grid->gridModel()->cellIndex(row, col));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods, r.center());
}

// Types `text` into cell (row, col) of `grid` as a user does: the first key
// opens the editor, Return enters it.
inline void typeInto(GridWidget* grid, int row, int col, const QString& text)
{
    grid->setFocus();
    grid->SelectRange(row, col);
    QTest::keyClick(grid, text.at(0).toLatin1());
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor && editor != grid);
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(grid->CellText(row, col), text);
}

} // namespace corvanta
