// The form panel beside the real table: check boxes ticked on either side
// with the keyboard, as a user ticks them, and taken back with Ctrl+Z.
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "shellharness.h"
#include "table/tablecommands.h"

#include <QApplication>
#include <QTest>

using namespace corvanta;

class TestFormPanel : public QObject
{
    Q_OBJECT
  private slots:
    void checkBoxesBothWays();
};

void TestFormPanel::checkBoxesBothWays()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.tableCommands().mnuMouseMode_Click(1);
    GridWidget* fa = w.fa();
    GridWidget* fb = w.fb();
    fa->SetColumnType(9, TypeCheckbox);
    fa->SetCellText(1, 9, "1");
    fa->SetCellText(1, 8, "note");
    fa->setFocus();
    fa->SelectRange(1, 9);
    w.tableCommands().fa_Click();
    // Panel row 10 is the table's column 9; row 9 an ordinary column.
    QCOMPARE(fb->CellCheckAt(10, 1), int(CheckChecked));
    QCOMPARE(fb->CellText(10, 1), QString());
    QCOMPARE(fb->CellCheckAt(9, 1), int(CheckNone));
    QCOMPARE(fb->CellText(9, 1), QString("note"));

    QTest::keyClick(fa, Qt::Key_Space);
    QCOMPARE(fa->CellText(1, 9), QString("0"));
    QCOMPARE(fb->CellCheckAt(10, 1), int(CheckUnchecked));

    fb->setFocus();
    fb->SelectRange(10, 1);
    QTest::keyClick(fb, Qt::Key_Space);
    QCOMPARE(fa->CellText(1, 9), QString("-1"));
    QCOMPARE(fa->CellCheckAt(1, 9), int(CheckChecked));

    QTest::keyClick(fb, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(fa->CellText(1, 9), QString("0"));
    QCOMPARE(fb->CellCheckAt(10, 1), int(CheckUnchecked));
}

QTEST_MAIN(TestFormPanel)
#include "tst_formpanel.moc"
