// Undo and redo of the user's cell edits in the real main window, typed
// into the table and the form panel as a user types them.
#include "commands/commandset.h"
#include "files/document.h"
#include "files/nativefile.h"
#include "grid/griddragdrop.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "shellharness.h"
#include "table/tablecommands.h"
#include "widgettesting.h"

#include <QAction>
#include <QApplication>
#include <QMimeData>
#include <QTest>

using namespace corvanta;

namespace {

void startShown(MainWindow& w)
{
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.tableCommands().mnuMouseMode_Click(1);
}

void keys(QKeyCombination k)
{
    QTest::keyClick(QApplication::focusWidget(), k.key(), k.keyboardModifiers());
}

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT
  private slots:
    void undoRedoEdit_data();
    void undoRedoEdit();
    void undoToLastSaveIsClean();
    void newAndOpenClearHistory_data();
    void newAndOpenClearHistory();
    void undoRedoDrop_data();
    void undoRedoDrop();
};

void TestUndo::undoRedoEdit_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QKeyCombination>("redo");
    QTest::newRow("table, Ctrl+Y") << "fa" << (Qt::CTRL | Qt::Key_Y);
    QTest::newRow("panel, Ctrl+Shift+Z") << "fb" << (Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
}

void TestUndo::undoRedoEdit()
{
    QFETCH(QString, grid);
    QFETCH(QKeyCombination, redo);
    ShellHarness h;
    MainWindow& w = h.start();
    startShown(w);
    GridWidget* fa = w.fa();
    fa->SetCellText(2, 1, "1 Oak St");
    fa->SelectRange(2, 0);
    w.document().MakeModified(false);
    QAction* undo = act(w, "mnuUndo");
    QVERIFY(!undo->isEnabled());
    QCOMPARE(undo->text(), QString("&Undo"));

    // Panel row 2 is the table's column 1 of the current record.
    if (grid == "fa")
        typeInto(fa, 2, 1, "2 Elm St");
    else
        typeInto(w.fb(), 2, 1, "2 Elm St");
    QTRY_COMPARE(fa->CellText(2, 1), QString("2 Elm St"));
    QCOMPARE(w.fb()->CellText(2, 1), QString("2 Elm St"));
    QVERIFY(w.document().IsModified());
    QVERIFY(undo->isEnabled());
    QCOMPARE(undo->text(), QString("&Undo Edit Cell"));

    keys(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(fa->CellText(2, 1), QString("1 Oak St"));
    QCOMPARE(w.fb()->CellText(2, 1), QString("1 Oak St"));
    QVERIFY(!w.document().IsModified());
    QVERIFY(!undo->isEnabled());
    QCOMPARE(act(w, "mnuRedo")->text(), QString("&Redo Edit Cell"));

    keys(redo);
    QCOMPARE(fa->CellText(2, 1), QString("2 Elm St"));
    QCOMPARE(w.fb()->CellText(2, 1), QString("2 Elm St"));
    QVERIFY(w.document().IsModified());
    QVERIFY(!act(w, "mnuRedo")->isEnabled());
}

void TestUndo::undoToLastSaveIsClean()
{
    ShellHarness h;
    MainWindow& w = h.start();
    startShown(w);
    GridWidget* fa = w.fa();
    typeInto(fa, 1, 0, "Ann");
    keys(Qt::CTRL | Qt::Key_S);
    QVERIFY(QFile::exists(h.inProgram("Untitled.cvt")));
    QVERIFY(!w.document().IsModified());

    typeInto(fa, 1, 0, "Bea");
    QVERIFY(w.document().IsModified());
    keys(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(fa->CellText(1, 0), QString("Ann"));
    QVERIFY(!w.document().IsModified()); // as saved
    keys(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(fa->CellText(1, 0), QString());
    QVERIFY(w.document().IsModified()); // before the save

    // A change the history does not hold can never be undone away.
    keys(Qt::CTRL | Qt::Key_Y);
    QVERIFY(!w.document().IsModified());
    {
        const TableModel::Unrecorded setUp(*fa->gridModel());
        fa->gridModel()->insertTableRows(3, 1);
    }
    QVERIFY(!act(w, "mnuUndo")->isEnabled()); // the cells it knew have moved
    QVERIFY(w.document().IsModified());
    typeInto(fa, 1, 0, "Cy");
    keys(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(fa->CellText(1, 0), QString("Ann"));
    QVERIFY(w.document().IsModified());
}

void TestUndo::newAndOpenClearHistory_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("New") << "New";
    QTest::newRow("Open") << "Open";
}

void TestUndo::newAndOpenClearHistory()
{
    QFETCH(QString, command);
    ShellHarness h;
    Table t(3, 10);
    t.setText(1, 0, u"Dan");
    QVERIFY(NativeFile::save(t, h.path("other.cvt")));
    MainWindow& w = h.start();
    startShown(w);
    typeInto(w.fa(), 1, 0, "Ann");
    QVERIFY(act(w, "mnuUndo")->isEnabled());

    h.platform.answers << MsgAnswer::No; // do not save the changes
    if (command == "New") {
        keys(Qt::CTRL | Qt::Key_N);
    } else {
        h.platform.fileAnswers << h.path("other.cvt");
        act(w, "mnuOpen_0")->trigger();
    }
    QCOMPARE(w.fa()->CellText(1, 0), command == "New" ? QString() : QString("Dan"));
    QVERIFY(!act(w, "mnuUndo")->isEnabled());
    QCOMPARE(act(w, "mnuUndo")->text(), QString("&Undo"));
    keys(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(w.fa()->CellText(1, 0), command == "New" ? QString() : QString("Dan"));
    QVERIFY(!w.document().IsModified());
}

void TestUndo::undoRedoDrop_data()
{
    QTest::addColumn<QList<int>>("drop"); // cell dropped on; none: the block is text
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("after"); // records 1 to 3, columns 0 and 1
    QTest::newRow("block down and right")
        << QList<int>{2, 1} << "Move Cells" << QStringList{"", "", "", "Ann", "", "Bea"};
    QTest::newRow("block onto itself, one down")
        << QList<int>{2, 0} << "Move Cells" << QStringList{"", "", "Ann", "", "Bea", "Cy"};
    QTest::newRow("text from elsewhere")
        << QList<int>{} << "Drop Text" << QStringList{"Ann", "", "Bea", "", "X", "Y"};
}

// A drop is one step, however many cells it wrote: Ctrl+Z takes back the
// cells it emptied and the cells it overwrote, Ctrl+Y makes them again.
void TestUndo::undoRedoDrop()
{
    QFETCH(QList<int>, drop);
    QFETCH(QString, change);
    QFETCH(QStringList, after);
    ShellHarness h;
    MainWindow& w = h.start();
    startShown(w);
    GridWidget* fa = w.fa();
    fa->SetCellText(1, 0, "Ann");
    fa->SetCellText(2, 0, "Bea");
    fa->SetCellText(3, 1, "Cy");
    const QStringList before{"Ann", "", "Bea", "", "", "Cy"};
    auto texts = [fa] {
        QStringList cells;
        for (int r = 1; r <= 3; ++r)
            cells << fa->CellText(r, 0) << fa->CellText(r, 1);
        return cells;
    };
    w.commands().toolbarButton("DragMode")->trigger();
    QCOMPARE(fa->DragEnabled(), 1);
    w.document().MakeModified(false);
    TableModel* m = fa->gridModel();
    auto at = [&](int row, int col) { return fa->visualRect(m->cellIndex(row, col)).center(); };

    if (drop.isEmpty()) {
        QMimeData mime;
        mime.setText("X\tY");
        QDragEnterEvent enter(at(3, 0), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(fa->viewport(), &enter);
        QDragMoveEvent move(at(3, 0), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(fa->viewport(), &move);
        QDropEvent event(at(3, 0), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(fa->viewport(), &event);
        QVERIFY(event.isAccepted());
    } else {
        // Grabbed by its top cell; a drag in flight cannot be replayed
        // offscreen, so the drop is handed its origin.
        fa->SelectRange(1, 0, 2, 0);
        std::unique_ptr<QMimeData> mime(m->mimeData({m->cellIndex(1, 0), m->cellIndex(2, 0)}));
        GridDragDrop(fa, m).drop(at(drop[0], drop[1]), mime.get(), true);
    }
    QCOMPARE(texts(), after);
    QVERIFY(w.document().IsModified());
    QCOMPARE(act(w, "mnuUndo")->text(), "&Undo " + change);

    fa->setFocus();
    keys(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(texts(), before);
    QVERIFY(!w.document().IsModified());
    QCOMPARE(act(w, "mnuRedo")->text(), "&Redo " + change);
    keys(Qt::CTRL | Qt::Key_Y);
    QCOMPARE(texts(), after);
    QVERIFY(w.document().IsModified());
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
