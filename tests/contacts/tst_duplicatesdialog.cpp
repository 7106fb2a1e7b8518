// Tools > Find Duplicates on the real window: the group found and why, a
// merge picked with the mouse and the keys, and its undo and redo.
#include "files/document.h"
#include "grid/cellsetting.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "shellharness.h"
#include "testfiles.h"
#include "widgettesting.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>

using namespace corvanta;

class TstDuplicatesDialog : public QObject
{
    Q_OBJECT
  private slots:
    void mergeAndUndo();
};

void TstDuplicatesDialog::mergeAndUndo()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    GridWidget* fa = w.fa();
    // The default columns: Name 0, Phone 5, Email 6.
    Table t = tableOf({{"Name", "Street", "City", "State", "Zip Code", "Phone", "Email"},
                       {"Jones, Priya", "", "", "", "", "555 0100 222", "priya@x.org"},
                       {"Bob Stone", "1 Elm St", "", "", "", "", ""},
                       {"Priya Jones", "", "Lyon", "", "", "", "PRIYA@x.org"},
                       {"Carl Nash", "", "", "", "", "", ""}});
    fa->gridModel()->replaceTable(std::move(t));
    fa->SetCellProp(PropFontBold, 3, 2, true);
    w.document().MakeModified(false);
    fa->setFocus();
    fa->SelectRange(4, 0);
    const Table before = fa->table();

    act(w, "mnuTools_FindDuplicates")->trigger();
    auto* dialog = child<QDialog>(&w, "frmDuplicates");
    QTRY_VERIFY(dialog->isVisible());
    auto* groups = child<QTreeWidget>(dialog, "lstGroups");
    QCOMPARE(groups->topLevelItemCount(), 1);
    QCOMPARE(groups->topLevelItem(0)->text(0), QStringLiteral("Rows 1, 3"));
    QCOMPARE(groups->topLevelItem(0)->text(1),
             QStringLiteral("same e-mail: priya@x.org; same name: Jones, Priya"));

    // The second e-mail is picked with the keys; the other name is kept.
    auto* mail = child<QComboBox>(dialog, "cboMerge_6");
    mail->setFocus();
    QTest::keyClick(mail, Qt::Key_Down);
    click(dialog, "chkKeep_0");
    click(dialog, "cmdMerge");
    QCOMPARE(fa->RowCount(), 4);
    QCOMPARE(fa->ColCount(), 8);
    QStringList merged;
    for (int c = 0; c < 8; ++c)
        merged << fa->CellText(1, c);
    QCOMPARE(merged, (QStringList{"Jones, Priya", "", "Lyon", "", "", "555 0100 222", "PRIYA@x.org",
                                  "Priya Jones"}));
    QCOMPARE(fa->CellText(0, 7), QStringLiteral("Name (other)"));
    QCOMPARE(fa->CellText(3, 0), QStringLiteral("Carl Nash"));
    QVERIFY(w.document().IsModified());
    QCOMPARE(groups->topLevelItemCount(), 0);
    QCOMPARE(child<QLabel>(dialog, "lblMerge")->text(), QStringLiteral("No duplicates found."));
    const Table after = fa->table();

    click(dialog, "cmdClose");
    QTRY_VERIFY(!dialog->isVisible());
    fa->setFocus();
    QTest::keyClick(fa, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(fa->table() == before);
    QVERIFY(!w.document().IsModified());
    QTest::keyClick(fa, Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(fa->table() == after);
}

QTEST_MAIN(TstDuplicatesDialog)
#include "tst_duplicatesdialog.moc"
