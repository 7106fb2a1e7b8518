// Row and column commands, the clipboard, the count control, row heights,
// sorting, column dragging and the navigation bar, driven through the main
// window with the keys and clicks a user would use; every change is undone
// and redone and the table compared cell for cell.
#include "commands/commandset.h"
#include "editing/clipboardcommands.h"
#include "editing/countcommands.h"
#include "editing/deletedialog.h"
#include "editing/editinstaller.h"
#include "editing/formpanel.h"
#include "editing/navigationbar.h"
#include "editing/rowcolcommands.h"
#include "editing/sortcommands.h"
#include "editing/systemclipboard.h"
#include "files/document.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "shellharness.h"
#include "table/tablecommands.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace corvanta;

namespace {

// A clipboard that can refuse to be written, as one held open by another
// program.
struct TestClipboard : SystemClipboard
{
    QString held;
    bool writable = true;
    void clear() override { held.clear(); }
    bool put(const QString& text) override
    {
        if (writable)
            held = text;
        return writable;
    }
    QString text() const override { return held; }
};

// `records` records of 8 columns; cell (r, c) holds "r<r>c<c>", titles
// "T<c>".
Table sample(int records)
{
    Table t(records + 1, 8);
    for (int c = 0; c < 8; ++c) {
        t.setText(0, c, QStringLiteral("T%1").arg(c));
        for (int r = 1; r <= records; ++r)
            t.setText(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
    }
    return t;
}

QString rec(int r, int c = 0)
{
    return QStringLiteral("r%1c%2").arg(r).arg(c);
}

// Each column as "title=value" of the current record: the table's, and
// the panel's rows.
QStringList recordLines(const GridWidget* fa)
{
    QStringList lines;
    for (int c = 0; c < fa->ColCount(); ++c)
        lines << fa->CellText(0, c) + u'=' + fa->CellText(fa->CurRow(), c);
    return lines;
}

QStringList panelLines(const GridWidget* fb)
{
    QStringList lines;
    for (int r = 1; r < fb->RowCount(); ++r)
        lines << fb->CellText(r, 0) + u'=' + fb->CellText(r, 1);
    return lines;
}

struct Window
{
    ShellHarness h;
    MainWindow* w = nullptr;
    TestClipboard clip;

    explicit Window(int records = 5)
    {
        w = &h.start();
        w->show();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("window not active");
        w->fa()->gridModel()->replaceTable(sample(records));
        w->editing().setClipboard(&clip);
        w->fa()->setFocus();
        w->fa()->SelectRange(1, 0);
        w->tableCommands().fa_Click();
    }
    GridWidget* fa() const { return w->fa(); }
    const Table& table() const { return w->fa()->table(); }
    QString txtRow() const { return w->findChild<QLineEdit*>("txtRow")->text(); }
    QString txtCol() const { return w->findChild<QLineEdit*>("txtCol")->text(); }
    void run(const char* name) { w->commands().action(QString::fromLatin1(name))->trigger(); }
    void key(int k, Qt::KeyboardModifiers mods = {})
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), mods);
    }
    // Ctrl+Z leads back to `before`, Ctrl+Y to `after`, cell for cell.
    void undoRedo(const Table& before, const Table& after)
    {
        fa()->setFocus();
        key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(table() == before);
        QCOMPARE(txtRow(), QString::number(before.rowCount() - 1));
        key(Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(table() == after);
        QCOMPARE(txtRow(), QString::number(after.rowCount() - 1));
    }
};

} // namespace

class TestRowOps : public QObject
{
    Q_OBJECT
  private slots:
    void shapeKeys_data();
    void shapeKeys();
    void pickedRowsDelete_data();
    void pickedRowsDelete();
    void moveRows();
    void moveAtEnds();
    void stamp();
    void clipboardRowMode();
    void clipboardBlockMode();
    void cutNeedsClipboard();
    void copyFromPanel();
    void navigationButtons();
    void rightEdgeButtons();
    void deleteDialog();
    void countBoxes();
    void countBoxKeys();
    void countBoxEditKeys_data();
    void countBoxEditKeys();
    void rowHeights();
    void sortByType_data();
    void sortByType();
    void columnDrag();
};

void TestRowOps::shapeKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QStringList>("column0"); // column 0, title row first
    QTest::addColumn<QStringList>("titles");  // the first three titles
    QTest::addColumn<QString>("records");

    QTest::newRow("insert row on record 3")
        << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << 3 << 0
        << QStringList{"T0", rec(1), rec(2), "", rec(3), rec(4), rec(5)}
        << QStringList{"T0", "T1", "T2"} << "6";
    QTest::newRow("insert column on column 0")
        << int(Qt::Key_Insert) << int(Qt::ControlModifier) << 2 << 0
        << QStringList{"", "", "", "", "", ""} << QStringList{"", "T0", "T1"} << "5";
    QTest::newRow("delete column 0")
        << int(Qt::Key_D) << int(Qt::ControlModifier) << 2 << 0
        << QStringList{"T1", rec(1, 1), rec(2, 1), rec(3, 1), rec(4, 1), rec(5, 1)}
        << QStringList{"T1", "T2", "T3"} << "5";
    QTest::newRow("delete the last column")
        << int(Qt::Key_D) << int(Qt::ControlModifier) << 2 << 7
        << QStringList{"T0", rec(1), rec(2), rec(3), rec(4), rec(5)}
        << QStringList{"T0", "T1", "T2"} << "5";
    QTest::newRow("delete row 2") << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << 2 << 0
                                  << QStringList{"T0", rec(1), rec(3), rec(4), rec(5)}
                                  << QStringList{"T0", "T1", "T2"} << "4";
}

void TestRowOps::shapeKeys()
{
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QStringList, column0);
    QFETCH(QStringList, titles);
    QFETCH(QString, records);

    Window win;
    const ColumnRoles roles = win.w->document().roles();
    win.fa()->SelectRange(row, col);
    const Table before = win.table();
    win.key(key, Qt::KeyboardModifiers(mods));

    QStringList got;
    for (int r = 0; r < win.fa()->RowCount(); ++r)
        got << win.fa()->CellText(r, 0);
    QCOMPARE(got, column0);
    QCOMPARE(
        (QStringList{win.fa()->CellText(0, 0), win.fa()->CellText(0, 1), win.fa()->CellText(0, 2)}),
        titles);
    QCOMPARE(win.txtRow(), records);
    QCOMPARE(win.txtCol(), QString::number(win.fa()->ColCount()));
    QCOMPARE(win.w->fb()->RowCount(), win.fa()->ColCount() + 1);
    QCOMPARE(win.w->fb()->CellText(1, 0), titles.first());
    QVERIFY(win.w->document().IsModified());
    QCOMPARE(win.w->document().roles().mail, roles.mail);
    QCOMPARE(win.w->document().roles().map, roles.map);
    QCOMPARE(win.w->statusPanel(6), QStringLiteral("%1 / %2").arg(win.fa()->CurRow()).arg(records));
    QCOMPARE(panelLines(win.w->fb()), recordLines(win.fa()));
    const Table after = win.table();
    win.undoRedo(before, after);
    // Taken back, the panel follows the table by itself too.
    win.key(Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(panelLines(win.w->fb()), recordLines(win.fa()));
}

void TestRowOps::pickedRowsDelete_data()
{
    QTest::addColumn<QList<int>>("picked");
    QTest::addColumn<int>("records");
    QTest::newRow("rows 2, 5 and 9") << QList<int>{2, 5, 9} << 10;
    QTest::newRow("one run") << QList<int>{4, 5, 6} << 10;
    QTest::newRow("every other row") << QList<int>{1, 3, 5, 7, 9, 11, 13, 15, 17, 19} << 20;
}

void TestRowOps::pickedRowsDelete()
{
    QFETCH(QList<int>, picked);
    QFETCH(int, records);
    Window win(records);
    GridWidget* fa = win.fa();
    // Ctrl+clicks on the rows, as a user picks them in row mode.
    for (int i = 0; i < picked.size(); ++i) {
        const QModelIndex idx = fa->model()->index(picked[i] - 1, 0);
        QTest::mouseClick(fa->viewport(), Qt::LeftButton,
                          i == 0 ? Qt::KeyboardModifiers() : Qt::ControlModifier,
                          fa->visualRect(idx).center());
    }
    QCOMPARE(fa->PickedRowCount(), int(picked.size()));
    QCOMPARE(win.w->statusPanel(5), QStringLiteral("%1 Sel").arg(picked.size()));
    const Table before = win.table();
    win.run("mnuDeleteRow");
    QCOMPARE(fa->RowCount() - 1, records - int(picked.size()));
    QStringList left;
    for (int r = 1; r < fa->RowCount(); ++r)
        left << fa->CellText(r, 0);
    QStringList want;
    for (int r = 1; r <= records; ++r)
        if (!picked.contains(r))
            want << rec(r);
    QCOMPARE(left, want);
    win.undoRedo(before, win.table());
}

void TestRowOps::moveRows()
{
    Window win(8);
    GridWidget* fa = win.fa();
    fa->SelectRange(4, 0, 6, 7);
    const Table before = win.table();
    win.key(Qt::Key_F11, Qt::ControlModifier);
    QStringList got;
    for (int r = 1; r <= 8; ++r)
        got << fa->CellText(r, 0);
    QCOMPARE(got, (QStringList{rec(1), rec(2), rec(4), rec(5), rec(6), rec(3), rec(7), rec(8)}));
    QCOMPARE(fa->CurRow(), 3);
    QCOMPARE(fa->SelEndRow(), 5);
    QCOMPARE(win.clip.held.section(u'\n', 0, 0).section(u'\t', 0, 0), rec(4));
    const Table once = win.table();
    // Again: the block is still selected and moves on.
    win.key(Qt::Key_F11, Qt::ControlModifier);
    QCOMPARE(fa->CellText(2, 0), rec(4));
    QCOMPARE(fa->CellText(5, 0), rec(2));
    QCOMPARE(fa->CurRow(), 2);
    win.undoRedo(once, win.table());
    win.key(Qt::Key_Z, Qt::ControlModifier);
    win.key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(win.table() == before);

    // Down through Toolbar2's button, then formats stay with positions.
    fa->SetCellProp(PropFontBold, 2, 0, true);
    fa->SelectRange(1, 0, 2, 7);
    win.w->commands().toolbar2Button("Down")->trigger();
    QCOMPARE(fa->CellText(1, 0), rec(3));
    QCOMPARE(fa->CellText(2, 0), rec(1));
    QVERIFY(fa->CellProp(PropFontBold, 2, 0).toBool());
    QCOMPARE(fa->CurRow(), 2);
    QCOMPARE(win.w->commands().action("mnuUndo")->text(), QString("&Undo Move Down"));
}

void TestRowOps::moveAtEnds()
{
    Window win(5);
    GridWidget* fa = win.fa();
    const Table before = win.table();
    QAction* undo = win.w->commands().action("mnuUndo");
    const QString history = undo->text();
    win.clip.held = "kept";
    fa->SelectRange(1, 0, 2, 7);
    win.run("mnuMoveUp");
    QVERIFY(win.table() == before);
    QCOMPARE(win.clip.held, QString("kept"));
    QCOMPARE(undo->text(), history);
    fa->SelectRange(4, 0, 5, 7);
    win.run("mnuMoveDown");
    QVERIFY(win.table() == before);
    QVERIFY(win.w->document().IsModified());
    // A block picked upwards moves as the same block picked downwards.
    fa->SelectRange(5, 0, 4, 7);
    win.run("mnuMoveUp");
    QCOMPARE(fa->CellText(5, 0), rec(3));
    QCOMPARE(fa->CellText(3, 0), rec(4));
    QCOMPARE(undo->text(), QString("&Undo Move Up"));
}

void TestRowOps::stamp()
{
    Window win(3);
    GridWidget* fa = win.fa();
    fa->SelectRange(2, 1);
    const Table before = win.table();
    const QString now =
        QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat).left(6);
    win.key(Qt::Key_F3);
    QVERIFY2(fa->CellText(2, 1).startsWith(rec(2, 1) + " " + now), qPrintable(fa->CellText(2, 1)));
    QCOMPARE(win.w->fb()->CellText(2, 1), fa->CellText(2, 1));
    win.undoRedo(before, win.table());

    // From the panel: the panel's current row names the column.
    fa->SetCellText(3, 4, QString());
    fa->SelectRange(3, 0);
    win.w->tableCommands().fa_Click();
    win.w->fb()->setFocus();
    win.w->fb()->SelectRange(5, 1);
    win.key(Qt::Key_F3);
    QVERIFY(fa->CellText(3, 4).startsWith(" " + now));
    QCOMPARE(win.w->fb()->CellText(5, 1), fa->CellText(3, 4));

    // The column's format decides: a number pattern gets the moment as
    // days since 1899-12-30, a date pattern the date.
    const QDateTime moment(QDate(2026, 12, 8), QTime(18, 0));
    fa->SetColumnFormat(5, "$#,###");
    fa->SetColumnFormat(6, "yyyy-mm-dd");
    fa->SetCellText(2, 5, QString());
    fa->setFocus();
    for (int col : {5, 6}) {
        fa->SelectRange(2, col);
        win.w->editing().rowCol()->stamp(moment);
    }
    QCOMPARE(fa->CellText(2, 5), QString(" $46,365")); // 46,364.75 days
    QCOMPARE(fa->CellText(2, 6), rec(2, 6) + " 2026-12-08");

    // Select All makes the table active again, even from the panel: the
    // stamp then goes into the table's current cell.
    win.w->fb()->setFocus();
    win.w->fb()->SelectRange(2, 1);
    win.run("mnuSelectAll");
    QCOMPARE(win.w->formPanel().activeGrid(), 1);
    QCOMPARE(fa->PickedRowCount(), 3);
    QCOMPARE(win.w->statusPanel(5), QString("3 Sel"));
    QCOMPARE(fa->CurRow(), 1);
    win.run("mnuDateTimeNow");
    QVERIFY(fa->CellText(1, 0).startsWith(rec(1) + " " + now));
}

void TestRowOps::clipboardRowMode()
{
    Window win(5);
    GridWidget* fa = win.fa();
    fa->SelectRange(2, 0, 4, 7);
    const Table before = win.table();
    win.key(Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(fa->RowCount(), 6);
    for (int r = 2; r <= 4; ++r)
        for (int c = 0; c < 8; ++c)
            QCOMPARE(fa->CellText(r, c), QString());
    QCOMPARE(fa->CellText(5, 0), rec(5));
    QVERIFY(win.clip.held.startsWith(rec(2) + "\t" + rec(2, 1)));
    win.undoRedo(before, win.table());
    win.key(Qt::Key_Z, Qt::ControlModifier);

    // Paste on one record fills that record only, whatever the lines.
    win.clip.held = "a\tb\nc\td\n";
    fa->SelectRange(1, 3);
    win.w->tableCommands().mnuMouseMode_Click(0);
    const Table beforePaste = win.table();
    win.key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(fa->CellText(1, 0), QString("a"));
    QCOMPARE(fa->CellText(1, 1), QString("b"));
    QCOMPARE(fa->CellText(1, 2), QString());
    QCOMPARE(fa->CellText(2, 0), rec(2));
    win.undoRedo(beforePaste, win.table());
}

void TestRowOps::clipboardBlockMode()
{
    Window win(5);
    GridWidget* fa = win.fa();
    win.w->tableCommands().mnuMouseMode_Click(1);
    fa->SelectRange(2, 1, 3, 2);
    win.w->document().MakeModified(false);
    win.key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(win.clip.held, rec(2, 1) + "\t" + rec(2, 2) + "\n" + rec(3, 1) + "\t" + rec(3, 2));
    QVERIFY(!win.w->document().IsModified());
    const Table before = win.table();
    win.key(Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(fa->CellText(2, 1), QString());
    QCOMPARE(fa->CellText(3, 2), QString());
    QCOMPARE(fa->CellText(2, 0), rec(2));
    QCOMPARE(fa->CellText(2, 3), rec(2, 3));
    win.undoRedo(before, win.table());

    // Text from another program, pasted from one cell, takes its room.
    // Away from the table's end, which would clip a wrong range too.
    win.clip.held = "x1\tx2\r\ny1\ty2\r\n";
    fa->SelectRange(3, 5);
    win.key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(fa->CellText(3, 5), QString("x1"));
    QCOMPARE(fa->CellText(3, 6), QString("x2"));
    QCOMPARE(fa->CellText(4, 5), QString("y1"));
    QCOMPARE(fa->CellText(4, 6), QString("y2"));
    QCOMPARE(fa->CellText(3, 7), rec(3, 7));
    QCOMPARE(fa->CellText(5, 5), rec(5, 5));
    QCOMPARE(fa->ColCount(), 8);
    QCOMPARE(fa->SelEndRow(), 4);
}

void TestRowOps::cutNeedsClipboard()
{
    Window win(3);
    win.fa()->SelectRange(2, 0, 2, 7);
    win.clip.writable = false;
    const Table before = win.table();
    win.key(Qt::Key_X, Qt::ControlModifier);
    QVERIFY(win.table() == before);
    QCOMPARE(win.h.platform.beeps, 1);
    QVERIFY(!win.w->isEnded());
}

void TestRowOps::copyFromPanel()
{
    Window win(3);
    win.clip.held = "old";
    // Nothing focused yet: Copy empties the clipboard.
    auto& panel = win.w->formPanel();
    panel.makeActive(0);
    win.run("mnuEditCopy");
    QCOMPARE(win.clip.held, QString());
    GridWidget* fb = win.w->fb();
    fb->setFocus();
    fb->SelectRange(1, 0, 2, 1);
    QVERIFY(!win.w->commands().action("mnuEditPaste")->isVisible());
    win.key(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(win.clip.held, "T0\t" + rec(1) + "\nT1\t" + rec(1, 1));
}

void TestRowOps::navigationButtons()
{
    Window win(49);
    NavigationBar* nav = win.w->editing().navigation();
    GridWidget* fa = win.fa();
    fa->SelectRange(1, 0);
    QTest::mouseClick(nav->button(3), Qt::LeftButton);
    QCOMPARE(fa->CurRow(), 1);
    QTest::mouseClick(nav->button(5), Qt::LeftButton);
    QCOMPARE(fa->CurRow(), 49);
    QCOMPARE(win.w->statusPanel(6), QString("49 / 49"));
    QTest::mouseClick(nav->button(4), Qt::LeftButton);
    QCOMPARE(fa->CurRow(), 49);
    QTest::mouseClick(nav->button(3), Qt::LeftButton);
    QCOMPARE(fa->CurRow(), 48);
    QTest::mouseClick(nav->button(2), Qt::LeftButton);
    QCOMPARE(fa->CurRow(), 1);

    fa->SetColumnType(7, TypeCheckbox);
    const Table before = win.table();
    QTest::mouseClick(nav->button(1), Qt::LeftButton);
    QCOMPARE(win.txtRow(), QString("50"));
    QCOMPARE(win.w->statusPanel(6), QString("50 / 50"));
    QCOMPARE(fa->CurRow(), 50);
    QCOMPARE(win.w->fb()->CellText(1, 1), QString());
    QCOMPARE(win.w->fb()->CellCheckAt(8, 1), int(CheckUnchecked));
    QCOMPARE(win.w->fb()->CurRow(), 1);
    QCOMPARE(win.w->formPanel().activeGrid(), 2);
    win.undoRedo(before, win.table());

    // Hover: a border (no auto-raise) and the tool tip.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(nav->button(4), &enter);
    QCOMPARE(nav->lastHovered(), 4);
    QVERIFY(!nav->button(4)->autoRaise());
    QCOMPARE(nav->button(4)->toolTip(), QString("Down one record"));
    QCOMPARE(nav->button(0)->toolTip(), QString("Dlete this record"));
}

// The close image and the row height buttons keep to the panel's right
// edge: placed at start and after a splitter drag, not on a resize.
void TestRowOps::rightEdgeButtons()
{
    Window win(3);
    MainWindow& w = *win.w;
    QWidget* row = w.formPanel().buttonRow();
    QWidget* close = w.formPanel().closeButton();
    NavigationBar* nav = w.editing().navigation();
    const auto edgeOf = [&](QWidget* b) {
        return GridWidget::pixelsToTwips(b->mapTo(w.centralWidget(), QPoint(0, 0)).x());
    };
    const auto check = [&](int splitter) {
        // Within a pixel of the twips asked for.
        QVERIFY(qAbs(edgeOf(close) - (splitter - 260)) <= 15);
        QVERIFY(qAbs(edgeOf(nav->button(7)) - (splitter - 480)) <= 15);
        QVERIFY(qAbs(edgeOf(nav->button(6)) - (splitter - 680)) <= 15);
    };
    check(w.vbarLeft());
    QWidget* handle = w.findChild<QWidget*>("VBar");
    const QPoint grip(handle->width() / 2, handle->height() / 2);
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip + QPoint(60, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(60, 0));
    const int dragged = w.vbarLeft();
    QVERIFY(dragged > 3570);
    check(dragged);
    const QPoint before = close->pos();
    w.resize(w.width() + 100, w.height());
    QCoreApplication::processEvents();
    QCOMPARE(close->pos(), before);
    QVERIFY(close->parentWidget() == row && close->isVisible());
}

void TestRowOps::deleteDialog()
{
    Window win(5);
    NavigationBar* nav = win.w->editing().navigation();
    GridWidget* fa = win.fa();
    const auto answer = [&](int button, bool dontAsk) {
        QTimer::singleShot(0, [=] {
            auto* dlg = nav->deleteDialog();
            QVERIFY(dlg && dlg->isVisible());
            QCOMPARE(dlg->windowTitle(), QString("Delete Record"));
            if (dontAsk)
                dlg->findChild<QCheckBox*>("chkAskDel")->setChecked(true);
            QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("cmdBtn_%1").arg(button)),
                              Qt::LeftButton);
        });
    };
    fa->SelectRange(2, 0);
    for (int button : {1, 2}) { // No, Cancel: the record stays
        answer(button, false);
        QTest::mouseClick(nav->button(0), Qt::LeftButton);
        QCOMPARE(fa->RowCount(), 6);
        QCOMPARE(fa->CellText(2, 0), rec(2));
    }
    answer(0, true); // Yes, and do not ask again
    QTest::mouseClick(nav->button(0), Qt::LeftButton);
    QCOMPARE(fa->CellText(2, 0), rec(3));
    QCOMPARE(win.txtRow(), QString("4"));
    QVERIFY(!nav->deleteDialog()->isVisible());
    // From now on no dialog: a waiting answer would fail the test.
    QTest::mouseClick(nav->button(0), Qt::LeftButton);
    QCOMPARE(fa->CellText(2, 0), rec(4));
    QCOMPARE(win.txtRow(), QString("3"));
    QTRY_COMPARE(QApplication::focusWidget(), fa);
}

void TestRowOps::countBoxes()
{
    Window win(50);
    auto* txtRow = win.w->findChild<QLineEdit*>("txtRow");
    auto* rowUp = win.w->findChild<QToolButton*>("UpDownRow_Up");
    auto* rowDown = win.w->findChild<QToolButton*>("UpDownRow_Down");
    auto* colUp = win.w->findChild<QToolButton*>("UpDownCol_Up");
    auto* colDown = win.w->findChild<QToolButton*>("UpDownCol_Down");
    win.run("mnuRowCol");
    const Table before = win.table();
    txtRow->setFocus();
    txtRow->selectAll();
    QTest::keyClicks(txtRow, "5");
    QTest::keyClick(txtRow, Qt::Key_Return);
    QCOMPARE(win.fa()->RowCount(), 6);
    QCOMPARE(win.fa()->CellText(5, 0), rec(5));
    win.undoRedo(before, win.table());
    QCOMPARE(win.fa()->CellText(50, 7), QString()); // redone: cut again

    txtRow->clear();
    QTest::mouseClick(rowDown, Qt::LeftButton);
    QCOMPARE(win.fa()->RowCount(), 1);
    QCOMPARE(txtRow->text(), QString("0"));
    txtRow->clear();
    QTest::mouseClick(rowUp, Qt::LeftButton);
    QCOMPARE(win.fa()->RowCount(), 2);
    QTest::mouseClick(rowDown, Qt::LeftButton);
    QCOMPARE(txtRow->text(), QString("0"));
    QCOMPARE(win.fa()->RowCount(), 1);

    // The bound does not depend on the table's size, so a small one shows it.
    win.w->editing().counts()->setMaxRecords(60);
    win.w->document().MakeModified(false);
    txtRow->setText("59");
    QTest::mouseClick(rowUp, Qt::LeftButton);
    QCOMPARE(txtRow->text(), QString("60"));
    QCOMPARE(win.fa()->RowCount(), 61);
    QTest::mouseClick(rowUp, Qt::LeftButton);
    QCOMPARE(txtRow->text(), QString("60"));
    QCOMPARE(win.fa()->RowCount(), 61);
    QVERIFY(win.w->document().IsModified());
    txtRow->setText("61");
    QTest::keyClick(txtRow, Qt::Key_Return);
    QCOMPARE(txtRow->text(), QString("60"));
    QCOMPARE(win.fa()->RowCount(), 61);

    win.fa()->SetColCount(201);
    win.w->tableCommands().fa_Click();
    win.w->updateCountBoxes();
    win.w->document().MakeModified(false);
    QTest::mouseClick(colUp, Qt::LeftButton);
    QCOMPARE(win.fa()->ColCount(), 201);
    QVERIFY(win.w->document().IsModified());
    win.w->findChild<QLineEdit*>("txtCol")->setText("1");
    QTest::mouseClick(colDown, Qt::LeftButton);
    QCOMPARE(win.fa()->ColCount(), 1);
    QCOMPARE(win.w->fb()->RowCount(), 2);
}

void TestRowOps::countBoxKeys()
{
    Window win(10);
    win.run("mnuRowCol");
    auto* txtRow = win.w->findChild<QLineEdit*>("txtRow");
    auto* txtCol = win.w->findChild<QLineEdit*>("txtCol");
    txtRow->setFocus();
    QTest::keyClicks(txtRow, "a");
    QTest::keyClicks(txtCol, "-");
    QCOMPARE(win.h.platform.beeps, 2);
    QCOMPARE(txtRow->text(), QString("10"));
    QCOMPARE(txtCol->text(), QString("8"));
    // An empty box or one past 32 bits is no count: nothing changes.
    const Table before = win.table();
    for (const char* text : {"", "99999999999"}) {
        txtRow->setText(QString::fromLatin1(text));
        QTest::keyClick(txtRow, Qt::Key_Enter);
        QVERIFY(win.table() == before);
        QCOMPARE(txtRow->text(), QString("10"));
    }
    txtCol->setText("");
    QTest::keyClick(txtCol, Qt::Key_Return);
    QCOMPARE(win.fa()->ColCount(), 8);
    QCOMPARE(win.h.platform.beeps, 5);
    txtCol->setText("3");
    QTest::keyClick(txtCol, Qt::Key_Return);
    QCOMPARE(win.fa()->ColCount(), 3);
    QCOMPARE(win.w->fb()->RowCount(), 4);
    win.undoRedo(before, win.table());
}

void TestRowOps::countBoxEditKeys_data()
{
    QTest::addColumn<QTestEventList>("keys");
    QTest::addColumn<QString>("text"); // the box starts at "10", cursor at the end
    QTest::addColumn<int>("beeps");
    const auto keys = [](std::initializer_list<std::pair<Qt::Key, Qt::KeyboardModifiers>> list) {
        QTestEventList events;
        for (const auto& [key, mods] : list)
            events.addKeyClick(key, mods);
        return events;
    };
    QTest::newRow("Left, digit") << keys({{Qt::Key_Left, {}}, {Qt::Key_5, {}}}) << "150" << 0;
    QTest::newRow("Home, Delete") << keys({{Qt::Key_Home, {}}, {Qt::Key_Delete, {}}}) << "0" << 0;
    QTest::newRow("Home, End, digit")
        << keys({{Qt::Key_Home, {}}, {Qt::Key_End, {}}, {Qt::Key_7, {}}}) << "107" << 0;
    QTest::newRow("Right at the end, Esc")
        << keys({{Qt::Key_Right, {}}, {Qt::Key_Escape, {}}}) << "10" << 0;
    QTest::newRow("Backspace, Ctrl+Z")
        << keys({{Qt::Key_Backspace, {}}, {Qt::Key_Z, Qt::ControlModifier}}) << "10" << 0;
    QTest::newRow("letter, space, minus")
        << keys({{Qt::Key_A, {}}, {Qt::Key_Space, {}}, {Qt::Key_Minus, {}}}) << "10" << 3;
    QTest::newRow("Ctrl+V of text") << keys({{Qt::Key_V, Qt::ControlModifier}}) << "10" << 0;
}

// The count boxes edit like any text box and keep out typed characters
// that are not digits, pasted ones included.
void TestRowOps::countBoxEditKeys()
{
    QFETCH(QTestEventList, keys);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    Window win(10);
    win.run("mnuRowCol");
    QGuiApplication::clipboard()->setText(QStringLiteral("x5"));
    auto* txtRow = win.w->findChild<QLineEdit*>("txtRow");
    txtRow->setFocus();
    txtRow->end(false);
    keys.simulate(txtRow);
    QCOMPARE(txtRow->text(), text);
    QCOMPARE(win.h.platform.beeps, beeps);
    QCOMPARE(win.fa()->RowCount(), 11); // nothing applied without Enter
}

void TestRowOps::rowHeights()
{
    Window win(4);
    GridWidget* fa = win.fa();
    fa->SelectRange(2, 0, 3, 7);
    win.key(Qt::Key_F11);
    win.key(Qt::Key_F11);
    const int tall = fa->RowHeightOf(2);
    QCOMPARE(fa->RowHeightOf(3), tall);
    QVERIFY(fa->RowHeightOf(1) < tall);
    // No row is made lower than its text.
    const int text = GridWidget::pixelsToTwips(fa->fontMetrics().height());
    fa->SetRowHeightOf(3, 240);
    win.key(Qt::Key_F12); // the current row is tall: row 3 stops at the text
    QCOMPARE(fa->RowHeightOf(2), tall - 240);
    QCOMPARE(fa->RowHeightOf(3), std::min(240, text));
    fa->SelectRange(3, 0, 3, 7);
    win.key(Qt::Key_F12); // current row at 240 or less: nothing
    QCOMPARE(fa->RowHeightOf(3), std::min(240, text));
    fa->SelectRange(1, 0, 1, 7);
    win.key(Qt::Key_F12); // the default row, font height + 6 px
    QCOMPARE(fa->RowHeightOf(1), text);
    QCOMPARE(fa->table().rowHeight(1), text); // and so the file keeps it
    win.run("mnuRowHeightReset");
    for (int r = 1; r <= 4; ++r)
        QCOMPARE(fa->RowHeightOf(r), 240);
    QVERIFY(fa->RowHeightOf(0) != 240 || fa->table().rowHeight(0) < 0);

    // Many rows at once, as the view shows them.
    win.fa()->gridModel()->replaceTable(sample(1500));
    win.run("mnuRowHeightReset");
    QCOMPARE(fa->verticalHeader()->sectionSize(0), GridWidget::twipsToPixels(240));
    QCOMPARE(fa->verticalHeader()->sectionSize(1499), GridWidget::twipsToPixels(240));
    QCOMPARE(fa->RowHeightOf(1500), 240);

    // The panel's own buttons act on the panel.
    GridWidget* fb = win.w->fb();
    fb->SelectRange(2, 0, 2, 1);
    const int panelRow = fb->RowHeightOf(2);
    QTest::mouseClick(win.w->editing().navigation()->button(6), Qt::LeftButton);
    QCOMPARE(fb->RowHeightOf(2), panelRow + 240);
    QCOMPARE(fa->RowHeightOf(2), 240);
    QCOMPARE(fa->table().rowHeight(0), -1); // the title row keeps its own
}

void TestRowOps::sortByType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QStringList>("ascending");
    QTest::newRow("text, case-insensitive and stable")
        << int(TypeText) << QStringList{"b", "", "Apple", "apple", "Ärger", "zebra"}
        << QStringList{"Apple", "apple", "Ärger", "b", "zebra", ""};
    QTest::newRow("number") << int(TypeNumber) << QStringList{"10", "9", "", "-2", "x", "1,000"}
                            << QStringList{"-2", "9", "10", "1,000", "x", ""};
    // The bracketed value is the largest without its sign.
    QTest::newRow("money") << int(TypeMoney) << QStringList{"$5.00", "($30.00)", "$12.50", "$1.00"}
                           << QStringList{"($30.00)", "$1.00", "$5.00", "$12.50"};
    QTest::newRow("date") << int(TypeDate)
                          << QStringList{"2021-03-01", "1999-12-31", "2021-02-28T10:00:00"}
                          << QStringList{"1999-12-31", "2021-02-28T10:00:00", "2021-03-01"};
    QTest::newRow("checkbox") << int(TypeCheckbox) << QStringList{"-1", "0", "1", "0"}
                              << QStringList{"0", "0", "-1", "1"};
}

void TestRowOps::sortByType()
{
    QFETCH(int, type);
    QFETCH(QStringList, cells);
    QFETCH(QStringList, ascending);
    Window win(int(cells.size()));
    GridWidget* fa = win.fa();
    fa->SetColumnType(2, type);
    for (int i = 0; i < cells.size(); ++i) {
        fa->SetCellText(i + 1, 2, cells[i]);
        fa->SetCellText(i + 1, 0, QString::number(i));
        fa->SetRowHeightOf(i + 1, 300 + 15 * i);
    }
    const Table before = win.table();
    QHeaderView* titles = fa->horizontalHeader();
    const QPoint title(titles->sectionViewportPosition(2) + 5, titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, title);
    QStringList got;
    for (int r = 1; r < fa->RowCount(); ++r) {
        got << fa->CellText(r, 2);
        // The row's other cells and its height go with it.
        const int was = fa->CellText(r, 0).toInt();
        QCOMPARE(fa->RowHeightOf(r), 300 + 15 * was);
    }
    QCOMPARE(got, ascending);
    QCOMPARE(fa->CellText(0, 2), QString("T2"));
    QCOMPARE(win.w->editing().sort()->lastSorted(), 2);
    QVERIFY(titles->isSortIndicatorShown());
    QCOMPARE(titles->sortIndicatorSection(), 2);
    QVERIFY(win.w->document().IsModified());
    const Table sorted = win.table();

    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, title);
    QVERIFY(!win.w->editing().sort()->lastAscending());
    QStringList down;
    for (int r = 1; r < fa->RowCount(); ++r)
        down << fa->CellText(r, 2);
    if (!cells.contains("") && type != TypeCheckbox)
        QCOMPARE(down.first(), ascending.last());
    win.undoRedo(sorted, win.table());
    win.key(Qt::Key_Z, Qt::ControlModifier);
    win.key(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(win.table() == before);
    QVERIFY(!titles->isSortIndicatorShown());
}

void TestRowOps::columnDrag()
{
    Window win(3);
    GridWidget* fa = win.fa();
    fa->SetColumnWidth(1, 2000);
    fa->SetColumnType(1, TypeNumber);
    const Table before = win.table();
    win.w->document().MakeModified(false);
    QHeaderView* titles = fa->horizontalHeader();
    const int y = titles->height() / 2;
    const QPoint from(titles->sectionViewportPosition(1) + 10, y);
    const QPoint to(titles->sectionViewportPosition(3) + titles->sectionSize(3) - 5, y);
    QTest::mousePress(titles->viewport(), Qt::LeftButton, {}, from);
    for (int i = 1; i <= 10; ++i)
        QTest::mouseMove(titles->viewport(), from + (to - from) * i / 10);
    QTest::mouseRelease(titles->viewport(), Qt::LeftButton, {}, to);
    QCOMPARE(fa->CellText(0, 3), QString("T1"));
    QCOMPARE(fa->CellText(2, 3), rec(2, 1));
    QCOMPARE(fa->CellText(0, 1), QString("T2"));
    QCOMPARE(fa->ColumnWidth(3), 2000);
    QCOMPARE(fa->ColumnType(3), int(TypeNumber));
    QCOMPARE(titles->visualIndex(3), 3); // the view shows the table's order
    QCOMPARE(win.w->fb()->CellText(4, 0), QString("T1"));
    QVERIFY(win.w->document().IsModified());
    QVERIFY(win.w->editing().sort()->lastSorted() < 0); // no sort from the drag
    win.undoRedo(before, win.table());
}

QTEST_MAIN(TestRowOps)
#include "tst_rowops.moc"
