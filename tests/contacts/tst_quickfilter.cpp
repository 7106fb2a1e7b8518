// The filter box driven as a user drives it: Ctrl+Shift+F, typing, editing
// and deleting what it shows, undo, Esc.
#include "files/document.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "shellharness.h"
#include "table/tablecommands.h"
#include "testfiles.h"
#include "widgettesting.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

using namespace corvanta;

class TstQuickFilter : public QObject
{
    Q_OBJECT
  private slots:
    void typeEditDeleteUndoClear();
    void clipboardSkipsHidden();
};

namespace {

QStringList shownNames(GridWidget* fa)
{
    QStringList names;
    for (int r = 1; r < fa->RowCount(); ++r)
        if (fa->RowShown(r))
            names << fa->CellText(r, 0);
    return names;
}

// The shown window holding `records` (titles first), unmodified.
GridWidget* startWith(ShellHarness& h, const QList<QStringList>& records)
{
    MainWindow& w = h.start();
    w.show();
    if (!QTest::qWaitForWindowActive(&w))
        qWarning("window not active");
    w.fa()->gridModel()->replaceTable(tableOf(records));
    w.document().MakeModified(false);
    w.fa()->setFocus();
    return w.fa();
}

} // namespace

void TstQuickFilter::typeEditDeleteUndoClear()
{
    ShellHarness h;
    GridWidget* fa = startWith(h, {{"Name", "City"},
                                   {"Zoë Adams", "Oslo"},
                                   {"Bob Stone", "Zoersdorf"},
                                   {"Carl Nash", "Rome"},
                                   {"ZOE PARK", ""},
                                   {"Dan Wu", "Lima"},
                                   {"Anna Berg", "Zoersel"}});
    MainWindow& w = *h.window;
    fa->SelectRange(1, 0, 1, 1);
    w.tableCommands().fa_Click();

    QTest::keyClick(fa, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto* box = child<QLineEdit>(&w, "txtFilter");
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClicks(box, QStringLiteral("zoe"));
    QCOMPARE(shownNames(fa), (QStringList{"Zoë Adams", "Bob Stone", "ZOE PARK", "Anna Berg"}));
    QCOMPARE(w.statusPanel(6), QStringLiteral("4 / 6 shown"));
    QTest::keyClicks(box, QStringLiteral("r"));
    QCOMPARE(shownNames(fa), (QStringList{"Bob Stone", "Anna Berg"}));
    QVERIFY(!w.document().IsModified());

    // A filtered record edited in place stays in sight.
    typeInto(fa, 2, 0, QStringLiteral("Bo Stone"));
    QVERIFY(w.document().IsModified());
    QCOMPARE(shownNames(fa), (QStringList{"Bo Stone", "Anna Berg"}));
    const Table edited = fa->table();

    // Rows 2 to 6 picked with a click and a Shift+click: the three records
    // the filter hides between them are not picked and stay.
    clickCell(fa, 2, 0);
    clickCell(fa, 6, 0, Qt::ShiftModifier);
    QCOMPARE(fa->PickedRowCount(), 2);
    QTest::keyClick(fa, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(fa->RowCount(), 5);
    QCOMPARE(fa->CellText(2, 0), QStringLiteral("Carl Nash"));
    QCOMPARE(w.statusPanel(6), QStringLiteral("0 / 4 shown"));

    QTest::keyClick(fa, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(fa->table() == edited);
    QCOMPARE(w.statusPanel(6), QStringLiteral("2 / 6 shown"));
    QCOMPARE(shownNames(fa), (QStringList{"Bo Stone", "Anna Berg"}));

    box->setFocus();
    QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(box->text(), QString());
    QCOMPARE(fa->HiddenRowCount(), 0);
    QCOMPARE(w.statusPanel(6), QStringLiteral("%1 / 6").arg(fa->CurRow()));
    QVERIFY(fa->table() == edited);
}

void TstQuickFilter::clipboardSkipsHidden()
{
    ShellHarness h;
    GridWidget* fa = startWith(h, {{"Name", "City"},
                                   {"Ann Lee", "Oslo"},
                                   {"Bob Roe", "Rome"},
                                   {"Ann Kay", "Lima"},
                                   {"Cid Poe", "Bonn"},
                                   {"Ann Moe", "Rio"}});
    MainWindow& w = *h.window;
    const Table original = fa->table();
    QTest::keyClicks(child<QLineEdit>(&w, "txtFilter"), QStringLiteral("ann"));
    clickCell(fa, 1, 0);
    clickCell(fa, 5, 0, Qt::ShiftModifier);
    QTest::keyClick(fa, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QStringLiteral("Ann Lee\tOslo\nAnn Kay\tLima\nAnn Moe\tRio");
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);

    // Cut empties the shown records only; a paste over them puts the rows
    // back one by one, passing over the hidden ones.
    QTest::keyClick(fa, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    const QStringList afterCut{"", "Bob Roe", "", "Cid Poe", ""};
    QStringList names;
    for (int r = 1; r <= 5; ++r)
        names << fa->CellText(r, 0);
    QCOMPARE(names, afterCut);
    QCOMPARE(fa->CellText(2, 1), QStringLiteral("Rome"));
    QTest::keyClick(fa, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(fa->table() == original);
    QTest::keyClick(fa, Qt::Key_Z, Qt::ControlModifier);
    names.clear();
    for (int r = 1; r <= 5; ++r)
        names << fa->CellText(r, 0);
    QCOMPARE(names, afterCut);
    QTest::keyClick(fa, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(fa->table() == original);
}

QTEST_MAIN(TstQuickFilter)
#include "tst_quickfilter.moc"
