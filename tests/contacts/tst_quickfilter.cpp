// The filter box driven as a user drives it: Ctrl+Shift+F, typing, editing
// and deleting what it shows, undo, Esc.
#include "files/document.h"
#include "grid/cellsetting.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "shellharness.h"
#include "table/tablecommands.h"
#include "testfiles.h"
#include "widgettesting.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeySequence>
#include <QLineEdit>
#include <QTest>

using namespace corvanta;

class TstQuickFilter : public QObject
{
    Q_OBJECT
  private slots:
    void typeEditDeleteUndoClear();
    void clipboardSkipsHidden();
    void commandsSkipHidden_data();
    void commandsSkipHidden();
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

void TstQuickFilter::commandsSkipHidden_data()
{
    QTest::addColumn<int>("from"); // the records picked before the filter
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("before"); // keys pressed then
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("command");   // keys, "title" or a command
    QTest::addColumn<QStringList>("after"); // records 1 to 6, "*" bold

    const QStringList same{"Ann Lee", "Bob Roe", "Ann Kay", "Cid Poe", "Ann Moe", "Dan Fox"};
    QTest::newRow("move down passes a hidden record")
        << 1 << 1 << ""
        << "ann"
        << "Ctrl+F12"
        << QStringList{"Ann Kay", "Bob Roe", "Ann Lee", "Cid Poe", "Ann Moe", "Dan Fox"};
    QTest::newRow("move up of two a hidden one apart")
        << 3 << 5 << ""
        << "ann"
        << "Ctrl+F11"
        << QStringList{"Ann Kay", "Bob Roe", "Ann Moe", "Cid Poe", "Ann Lee", "Dan Fox"};
    QTest::newRow("move down at the last shown") << 5 << 5 << ""
                                                 << "ann"
                                                 << "Ctrl+F12" << same;
    QTest::newRow("sort among the shown rows")
        << 1 << 1 << ""
        << "ann"
        << "title" << QStringList{"Ann Kay", "Bob Roe", "Ann Lee", "Cid Poe", "Ann Moe", "Dan Fox"};
    QTest::newRow("bold on the shown rows")
        << 1 << 5 << ""
        << "ann"
        << "tbr_Bold"
        << QStringList{"*Ann Lee", "Bob Roe", "*Ann Kay", "Cid Poe", "*Ann Moe", "Dan Fox"};
    QTest::newRow("row heights reset") << 2 << 2 << "F11"
                                       << "ann"
                                       << "mnuRowHeightReset" << same;
    QTest::newRow("delete with none shown") << 1 << 1 << ""
                                            << "zzz"
                                            << "Shift+Del" << same;
}

void TstQuickFilter::commandsSkipHidden()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, before);
    QFETCH(QString, filter);
    QFETCH(QString, command);
    QFETCH(QStringList, after);
    // Over a thousand records hidden behind the six: heights are then
    // reset for all rows at once.
    QList<QStringList> records{{"Name", "City"},    {"Ann Lee", "Oslo"}, {"Bob Roe", "Rome"},
                               {"Ann Kay", "Lima"}, {"Cid Poe", "Bonn"}, {"Ann Moe", "Rio"},
                               {"Dan Fox", "Kiev"}};
    for (int i = 0; i < 1000; ++i)
        records.append({QStringLiteral("Pat %1").arg(i), QString()});
    ShellHarness h;
    GridWidget* fa = startWith(h, records);
    MainWindow& w = *h.window;
    const Table original = fa->table();
    clickCell(fa, from, 0);
    clickCell(fa, to, 0, Qt::ShiftModifier);
    if (!before.isEmpty())
        QTest::keySequence(fa, QKeySequence(before));
    auto* box = child<QLineEdit>(&w, "txtFilter");
    QTest::keyClicks(box, filter);
    const int hidden = fa->HiddenRowCount();
    fa->setFocus();
    if (filter == QLatin1String("zzz")) // no record left to be current
        QTRY_COMPARE(fa->CurRow(), 0);

    if (command == QLatin1String("title")) {
        QHeaderView* titles = fa->horizontalHeader();
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                          QPoint(titles->sectionViewportPosition(0) + 5, titles->height() / 2));
    } else if (command.startsWith(QLatin1String("tbr_")) ||
               command.startsWith(QLatin1String("mnu"))) {
        act(w, command.toLatin1().constData())->trigger();
    } else {
        QTest::keySequence(fa, QKeySequence(command));
    }
    QStringList records1to6;
    for (int r = 1; r <= 6; ++r)
        records1to6 << (fa->CellProp(PropFontBold, r, 0).toBool() ? QStringLiteral("*")
                                                                  : QString()) +
                           fa->CellText(r, 0);
    QCOMPARE(records1to6, after);
    QCOMPARE(fa->HiddenRowCount(), hidden);
    QVERIFY(!fa->currentIndex().isValid() || fa->RowShown(fa->CurRow()));
    // Shown again, every record is as high as the document says.
    QTest::keyClick(box, Qt::Key_Escape);
    for (int r = 1; r <= 6; ++r)
        QCOMPARE(fa->rowHeight(r - 1), GridWidget::twipsToPixels(fa->RowHeightOf(r)));
    // One step takes it back, whatever it touched; heights are no change
    // of the document and take none.
    if (command == QLatin1String("mnuRowHeightReset"))
        return;
    QTest::keyClick(fa, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(fa->table() == original);
}

QTEST_MAIN(TstQuickFilter)
#include "tst_quickfilter.moc"
