// The current record and the picked rows as keys and the mouse leave them:
// what the table, the form panel, the commands and the window title agree
// on after each way of moving, picking, editing and loading.
#include "commands/commandset.h"
#include "files/document.h"
#include "files/filecommands.h"
#include "files/nativefile.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "shellharness.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QToolButton>

using namespace corvanta;

namespace {

constexpr int kRecords = 6;
constexpr int kBoxColumn = 2;

// R1..R6 in column 0, a Checkbox column 2.
void writeBook(const QString& path, int records = kRecords, const QString& prefix = "R")
{
    Table t(records + 1, 4);
    t.setText(0, 0, u"Name");
    t.setText(0, 1, u"Street");
    t.setText(0, 2, u"Done");
    ColumnAttr box;
    box.type = TypeCheckbox;
    t.setColumn(kBoxColumn, box);
    for (int r = 1; r <= records; ++r) {
        t.setText(r, 0, prefix + QString::number(r));
        t.setText(r, kBoxColumn, u"0");
    }
    QVERIFY(NativeFile::save(t, path));
}

MainWindow& startOnBook(ShellHarness& h)
{
    writeBook(h.path("book.cvt"));
    MainWindow& w = h.start(h.path("book.cvt"));
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w))
        qWarning("window not active");
    w.fa()->setFocus();
    return w;
}

QPoint cellCentre(GridWidget* g, int row, int col)
{
    return g->visualRect(g->gridModel()->cellIndex(row, col)).center();
}

void clickCell(GridWidget* g, int row, int col, Qt::KeyboardModifiers mods = {})
{
    QTest::mouseClick(g->viewport(), Qt::LeftButton, mods, cellCentre(g, row, col));
}

// What the form panel shows as the Name of its record.
QString panelName(MainWindow& w)
{
    return w.fb()->CellText(1, 1);
}

QStringList names(GridWidget* fa)
{
    QStringList out;
    for (int r = 1; r < fa->RowCount(); ++r)
        out << fa->CellText(r, 0);
    return out;
}

QStringList bookWithout(int record)
{
    QStringList out;
    for (int r = 1; r <= kRecords; ++r)
        if (r != record)
            out << QString("R%1").arg(r);
    return out;
}

void press(QKeyCombination k)
{
    QTest::keyClick(QApplication::focusWidget(), k.key(), k.keyboardModifiers());
}

} // namespace

class TestCurrentRecord : public QObject
{
    Q_OBJECT
  private slots:
    void navigationKeysPickTheRow_data();
    void navigationKeysPickTheRow();
    void panelEditKeptWhenRecordChanges();
    void rowHeightsLeaveModifiedAlone_data();
    void rowHeightsLeaveModifiedAlone();
    void extendedBlockKeepsItsAnchor_data();
    void extendedBlockKeepsItsAnchor();
    void tickingBoxMakesRecordCurrent();
    void undoneInsertKeepsRowPicked();
    void ownDialogKeepsAppendedRowsPicked();
    void titleNamesTheLoadedFile();
};

void TestCurrentRecord::navigationKeysPickTheRow_data()
{
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<int>("record");
    QTest::newRow("Ctrl+Home") << (Qt::CTRL | Qt::Key_Home) << 1;
    QTest::newRow("Ctrl+End") << (Qt::CTRL | Qt::Key_End) << kRecords;
    QTest::newRow("Ctrl+Up") << (Qt::CTRL | Qt::Key_Up) << 2;
    QTest::newRow("Ctrl+Down") << (Qt::CTRL | Qt::Key_Down) << 4;
}

void TestCurrentRecord::navigationKeysPickTheRow()
{
    QFETCH(QKeyCombination, key);
    QFETCH(int, record);
    ShellHarness h;
    MainWindow& w = startOnBook(h);
    clickCell(w.fa(), 3, 0);
    press(key);
    QCOMPARE(w.fa()->CurRow(), record);
    QCOMPARE(panelName(w), QString("R%1").arg(record));
    QCOMPARE(w.fa()->PickedRowCount(), 1);
    QCOMPARE(w.fa()->PickedRow(0), record);
    // Delete Rows takes the record the panel shows, not the one left behind.
    press(Qt::SHIFT | Qt::Key_Delete);
    QCOMPARE(names(w.fa()), bookWithout(record));
}

void TestCurrentRecord::panelEditKeptWhenRecordChanges()
{
    ShellHarness h;
    MainWindow& w = startOnBook(h);
    clickCell(w.fa(), 3, 0);
    GridWidget* fb = w.fb();
    clickCell(fb, 1, 1);
    QTest::keyClick(fb, 't');
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor && editor != fb);
    QTest::keyClicks(editor, "yped");
    auto* down = w.findChild<QToolButton*>("imgBtn_4");
    QVERIFY(down);
    QTest::mouseClick(down, Qt::LeftButton);
    QCOMPARE(w.fa()->CurRow(), 4);
    QCOMPARE(w.fa()->CellText(3, 0), QString("typed"));
    QCOMPARE(w.fa()->CellText(4, 0), QString("R4"));
    QCOMPARE(panelName(w), QString("R4"));
    QVERIFY(w.document().IsModified());
}

void TestCurrentRecord::rowHeightsLeaveModifiedAlone_data()
{
    QTest::addColumn<QKeyCombination>("key");
    QTest::newRow("F11") << QKeyCombination(Qt::Key_F11);
    QTest::newRow("F12") << QKeyCombination(Qt::Key_F12);
}

void TestCurrentRecord::rowHeightsLeaveModifiedAlone()
{
    QFETCH(QKeyCombination, key);
    ShellHarness h;
    MainWindow& w = startOnBook(h);
    clickCell(w.fa(), 2, 0);
    const int before = w.fa()->RowHeightOf(2);
    press(key);
    QVERIFY(w.fa()->RowHeightOf(2) != before);
    QVERIFY(!w.document().IsModified());
    QVERIFY(!w.commands().action("mnuUndo")->isEnabled());

    // An edit, a height, and the edit undone: back where the file was.
    clickCell(w.fa(), 3, 1);
    QTest::keyClick(w.fa(), Qt::Key_X);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(w.fa()->CellText(3, 1), QString("x"));
    QVERIFY(w.document().IsModified());
    clickCell(w.fa(), 3, 0);
    press(key);
    press(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(w.fa()->CellText(3, 1), QString());
    QVERIFY(!w.document().IsModified());
    QVERIFY(!w.commands().action("mnuSave")->isEnabled());
}

void TestCurrentRecord::extendedBlockKeepsItsAnchor_data()
{
    QTest::addColumn<bool>("mouse");
    QTest::newRow("Shift+click") << true;
    QTest::newRow("Shift+Down") << false;
}

void TestCurrentRecord::extendedBlockKeepsItsAnchor()
{
    QFETCH(bool, mouse);
    ShellHarness h;
    MainWindow& w = startOnBook(h);
    GridWidget* fa = w.fa();
    clickCell(fa, 3, 0);
    if (mouse) {
        clickCell(fa, 5, 0, Qt::ShiftModifier);
    } else {
        press(Qt::SHIFT | Qt::Key_Down);
        press(Qt::SHIFT | Qt::Key_Down);
    }
    QCOMPARE(fa->PickedRowCount(), 3);
    QCOMPARE(fa->CurRow(), 3);
    QCOMPARE(fa->SelEndRow(), 5);
    QCOMPARE(panelName(w), QString("R3"));
    // Insert Row works from the block's first row.
    press(Qt::SHIFT | Qt::Key_Insert);
    QCOMPARE(fa->CellText(3, 0), QString());
    QCOMPARE(fa->CellText(4, 0), QString("R3"));
    QCOMPARE(fa->CurRow(), 3);
}

void TestCurrentRecord::tickingBoxMakesRecordCurrent()
{
    ShellHarness h;
    MainWindow& w = startOnBook(h);
    GridWidget* fa = w.fa();
    clickCell(fa, 1, 0);
    const QModelIndex idx = fa->gridModel()->cellIndex(4, kBoxColumn);
    QStyleOptionViewItem opt;
    opt.initFrom(fa->viewport());
    opt.rect = fa->visualRect(idx);
    opt.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = fa->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, fa);
    QTest::mouseClick(fa->viewport(), Qt::LeftButton, {}, box.center());
    QCOMPARE(fa->CellText(4, kBoxColumn), QString("-1"));
    QCOMPARE(fa->CurRow(), 4);
    QCOMPARE(panelName(w), QString("R4"));
    QCOMPARE(fa->PickedRowCount(), 1);
    QCOMPARE(fa->PickedRow(0), 4);
}

void TestCurrentRecord::undoneInsertKeepsRowPicked()
{
    ShellHarness h;
    MainWindow& w = startOnBook(h);
    GridWidget* fa = w.fa();
    clickCell(fa, 3, 0);
    press(Qt::SHIFT | Qt::Key_Insert);
    QCOMPARE(fa->CellText(4, 0), QString("R3"));
    press(Qt::CTRL | Qt::Key_Z);
    QCOMPARE(names(fa), bookWithout(0));
    QCOMPARE(fa->CurRow(), 3);
    QCOMPARE(fa->PickedRowCount(), 1);
    QCOMPARE(fa->PickedRow(0), 3);
    QCOMPARE(panelName(w), QString("R3"));
    QCOMPARE(w.statusPanel(5), QString("1 Sel"));
}

void TestCurrentRecord::ownDialogKeepsAppendedRowsPicked()
{
    ShellHarness h;
    MainWindow& w = startOnBook(h);
    writeBook(h.path("more.cvt"), 2, "M");
    h.platform.fileAnswers = {h.path("more.cvt")};
    QTest::keyClick(w.fa(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(w.fa()->RowCount(), kRecords + 3);
    QCOMPARE(w.fa()->PickedRowCount(), 2);

    // Any window of the program's own, shown and closed again.
    QDialog dialog;
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTRY_VERIFY(!w.isActiveWindow());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(w.fa()->PickedRowCount(), 2);
    QCOMPARE(w.fa()->PickedRow(0), kRecords + 1);
    QCOMPARE(w.statusPanel(5), QString("2 Sel"));
}

void TestCurrentRecord::titleNamesTheLoadedFile()
{
    ShellHarness h;
    MainWindow& w = startOnBook(h);
    writeBook(h.path("other.cvt"), 2, "O");
    writeBook(h.path("more.cvt"), 2, "M");
    // Saved under a second name: the recent list holds both.
    w.document().setCurrentFile(h.path("other.cvt"));
    QVERIFY(w.files().mnuSave_Click());
    h.platform.fileAnswers = {h.path("book.cvt")};
    w.commands().action("mnuOpen_0")->trigger();
    QCOMPARE(w.windowTitle(), "Corvanta Address Book [" + h.path("book.cvt") + "]");

    h.platform.fileAnswers = {h.path("more.cvt")};
    QTest::keyClick(w.fa(), Qt::Key_A, Qt::ControlModifier);
    h.platform.answers = {MsgAnswer::No};
    w.commands().action("mnuRecent_1")->trigger();
    QCOMPARE(w.document().CurrentFile(), h.path("other.cvt"));
    QCOMPARE(w.windowTitle(), "Corvanta Address Book [" + h.path("other.cvt") + "]");
}

QTEST_MAIN(TestCurrentRecord)
#include "tst_currentrecord.moc"
