// The "Search" dialog, driven as a user drives it: typing into the text box,
// Enter, the check boxes and clicks on the table between steps.
#include "commands/commandset.h"
#include "contacts/finddialog.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "shellharness.h"
#include "widgettesting.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace corvanta;

namespace {

const QString kNotFound = QStringLiteral("Search text is not found.");

QString searched(int hits)
{
    return QStringLiteral("The document has been searched.\r\n%1 found.").arg(hits);
}

// Column by column:   c0        c1           c2          c3
//   titles             Name      Street       City        Notes
//   r1                 Smith                  smith st    Müller
//   r2                           SMITH ave    x           zz
//   r3                 jones     smithfield
void fill(GridWidget* fa)
{
    fa->SetRowCount(4);
    fa->SetColCount(4);
    const char* cells[4][4] = {{"Name", "Street", "City", "Notes"},
                               {"Smith", "", "smith st", "Müller"},
                               {"", "SMITH ave", "x", "zz"},
                               {"jones", "smithfield", "", ""}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            fa->SetCellText(r, c, QString::fromUtf8(cells[r][c]));
}

QString at(GridWidget* fa)
{
    return QStringLiteral("%1,%2").arg(fa->CurRow()).arg(fa->CurCol());
}

} // namespace

class TestFind : public QObject
{
    Q_OBJECT
  private:
    ShellHarness* m_h = nullptr;
    MainWindow* m_w = nullptr;
    FindDialog* open()
    {
        m_w->commands().action(QStringLiteral("mnuEditFind"))->trigger();
        return m_w->findChild<FindDialog*>(QStringLiteral("frmSearch"));
    }
    QLineEdit* text(FindDialog* d)
    {
        return d->findChild<QLineEdit*>(QStringLiteral("txtSearched"));
    }
    void setText(FindDialog* d, const QString& t)
    {
        text(d)->selectAll();
        QTest::keyClick(text(d), Qt::Key_Backspace);
        QTest::keyClicks(text(d), t);
    }
    void enter(FindDialog* d) { QTest::keyClick(text(d), Qt::Key_Return); }
    // On the box itself: a click in the middle of a wide row misses it.
    void toggle(FindDialog* d, const char* name)
    {
        auto* box = d->findChild<QCheckBox*>(QString::fromLatin1(name));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }

  private slots:
    void init()
    {
        m_h = new ShellHarness;
        m_w = &m_h->start();
        m_w->show();
        fill(m_w->fa());
        QCOMPARE(m_w->fa()->ColCount(), 4);
    }
    void cleanup()
    {
        delete m_h;
        m_h = nullptr;
    }

    void stepsThroughHits_data();
    void stepsThroughHits();
    void hitCountSurvivesNewText();
    void continuesFromLargerPosition();
    void hitInLastCellWrapsAround();
    void dialogPlacementAndLifetime();
    void hitShowsBesideDialog_data();
    void hitShowsBesideDialog();
};

void TestFind::stepsThroughHits_data()
{
    QTest::addColumn<QString>("needle");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QStringList>("hits");

    QTest::newRow("case-blind, column by column")
        << "smith" << false << QStringList{"1,0", "2,1", "3,1", "1,2"};
    QTest::newRow("match case") << "smith" << true << QStringList{"3,1", "1,2"};
    QTest::newRow("empty text finds every non-empty cell")
        << "" << false << QStringList{"1,0", "3,0", "2,1", "3,1", "1,2", "2,2", "1,3", "2,3"};
    QTest::newRow("non-ASCII, case-blind")
        << QString::fromUtf8("mÜl") << false << QStringList{"1,3"};
    QTest::newRow("non-ASCII, match case") << QString::fromUtf8("mÜl") << true << QStringList{};
    QTest::newRow("title only") << "Street" << false << QStringList{};
}

void TestFind::stepsThroughHits()
{
    QFETCH(QString, needle);
    QFETCH(bool, matchCase);
    QFETCH(QStringList, hits);
    GridWidget* fa = m_w->fa();
    FindDialog* d = open();
    QVERIFY(d);
    QVERIFY(!d->findChild<QCheckBox*>(QStringLiteral("chkMatchCase"))->isChecked());
    QVERIFY(d->findChild<QCheckBox*>(QStringLiteral("chkFromBeginning"))->isChecked());
    if (matchCase)
        toggle(d, "chkMatchCase");
    setText(d, needle);
    fa->SelectRange(2, 2); // "from the beginning" ignores where the user is

    QCOMPARE(d->findChild<QCheckBox*>(QStringLiteral("chkMatchCase"))->isChecked(), matchCase);
    for (const QString& hit : hits) {
        enter(d);
        QCOMPARE(at(fa), hit);
        // The refresh ran: the position panel follows, one cell is selected.
        QCOMPARE(m_w->statusPanel(6), hit.section(',', 0, 0) + QStringLiteral(" / 3"));
        QCOMPARE(fa->SelectMode(), int(GridWidget::SelectFree));
    }
    QVERIFY(m_h->platform.messages.isEmpty());
    enter(d);
    QCOMPARE(m_h->platform.messages.size(), 1);
    const auto& box = m_h->platform.messages.first();
    QCOMPARE(box.text, hits.isEmpty() ? kNotFound : searched(int(hits.size())));
    QCOMPARE(box.icon, MsgIcon::Exclamation);
    QCOMPARE(box.buttons, MsgButtons::Ok);
    QCOMPARE(box.title, QString());
    QCOMPARE(d->HitCount(), 0);

    // Wrap-around: the next step starts over at row 1 of column 0.
    if (!hits.isEmpty()) {
        QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("cmdNext")), Qt::LeftButton);
        QCOMPARE(at(fa), hits.first());
    }
}

void TestFind::hitCountSurvivesNewText()
{
    FindDialog* d = open();
    setText(d, "jones");
    enter(d);
    QCOMPARE(at(m_w->fa()), QStringLiteral("3,0"));
    setText(d, "x");
    QCOMPARE(d->SearchRow(), 1);
    QCOMPARE(d->SearchCol(), 0);
    // Enter on the focused Find Next button is a step too.
    QPushButton* next = d->findChild<QPushButton*>(QStringLiteral("cmdNext"));
    QTest::keyClick(next, Qt::Key_Return);
    QCOMPARE(at(m_w->fa()), QStringLiteral("2,2"));
    QTest::keyClick(next, Qt::Key_Return);
    QCOMPARE(m_h->platform.lastText(), searched(2));
}

void TestFind::continuesFromLargerPosition()
{
    GridWidget* fa = m_w->fa();
    FindDialog* d = open();
    toggle(d, "chkFromBeginning");
    setText(d, "smith");
    fa->SelectRange(1, 0);
    enter(d); // the current cell itself is examined first
    QCOMPARE(at(fa), QStringLiteral("1,0"));
    enter(d);
    QCOMPARE(at(fa), QStringLiteral("2,1"));
    // A click to the left and below: the column of the last hit wins, the
    // row of the click.
    clickCell(fa, 3, 0);
    QCOMPARE(at(fa), QStringLiteral("3,0"));
    enter(d);
    QCOMPARE(at(fa), QStringLiteral("3,1"));
    enter(d);
    QCOMPARE(at(fa), QStringLiteral("1,2"));
    enter(d);
    QCOMPARE(m_h->platform.lastText(), searched(4));
    // Unchecked, the end is reported again rather than wrapping.
    enter(d);
    QCOMPARE(m_h->platform.messages.size(), 2);
    QCOMPARE(m_h->platform.lastText(), kNotFound);
}

void TestFind::hitInLastCellWrapsAround()
{
    GridWidget* fa = m_w->fa();
    fa->SetCellText(1, 0, "zz top");
    fa->SetCellText(2, 3, "");
    fa->SetCellText(3, 3, "zz");
    FindDialog* d = open();
    setText(d, "zz");
    enter(d);
    QCOMPARE(at(fa), QStringLiteral("1,0"));
    enter(d);
    QCOMPARE(at(fa), QStringLiteral("3,3"));
    enter(d);
    QCOMPARE(at(fa), QStringLiteral("1,0"));
    QVERIFY(m_h->platform.messages.isEmpty());
}

void TestFind::dialogPlacementAndLifetime()
{
    FindDialog* d = open();
    const QRect main = m_w->frameGeometry();
    const QRect dlg = d->frameGeometry();
    QCOMPARE(dlg.top(), main.top());
    QCOMPARE(dlg.right(), main.right());
    QCOMPARE(d->windowTitle(), QStringLiteral("Search"));
    QVERIFY(!d->isModal());

    setText(d, "smith");
    enter(d);
    QCOMPARE(d->SearchRow(), 2);
    // Opening it again only brings it forward, state and all.
    QCOMPARE(open(), d);
    QCOMPARE(d->SearchRow(), 2);
    QCOMPARE(text(d)->text(), QStringLiteral("smith"));

    QPointer<FindDialog> gone(d);
    QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("cmdClose")), Qt::LeftButton);
    QTRY_VERIFY(!gone);
    FindDialog* again = open();
    QVERIFY(again);
    QCOMPARE(again->SearchRow(), 1);
    QCOMPARE(again->HitCount(), 0);
    QVERIFY(text(again)->text().isEmpty());
}

void TestFind::hitShowsBesideDialog_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("dialogMoved");
    QTest::newRow("back up, at the top right corner") << 40 << false;
    QTest::newRow("under the dialog where the user put it") << 8 << true;
}

// At the default window size a hit comes to rest beside the dialog, which
// stays where it is.
void TestFind::hitShowsBesideDialog()
{
    QFETCH(int, row);
    QFETCH(bool, dialogMoved);
    GridWidget* fa = m_w->fa();
    Table t(61, 8);
    for (int r = 0; r <= 60; ++r)
        for (int c = 0; c < 8; ++c)
            t.setText(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
    t.setText(row, 7, QStringLiteral("needle"));
    fa->gridModel()->replaceTable(std::move(t));
    // The default size.
    QCOMPARE(m_w->size(), QSize(GridWidget::twipsToPixels(8888), GridWidget::twipsToPixels(6600)));
    FindDialog* d = open();
    QVERIFY(QTest::qWaitForWindowExposed(d));
    if (dialogMoved) {
        const QRect mid = fa->visualRect(fa->gridModel()->cellIndex(row, 0));
        d->move(d->x(), fa->viewport()->mapToGlobal(mid.center()).y() - d->height() / 2);
    } else {
        fa->scrollToBottom(); // the user was looking at the end
    }
    const QPoint where = d->pos();
    setText(d, "needle");
    enter(d);
    QCOMPARE(at(fa), QStringLiteral("%1,7").arg(row));
    QCOMPARE(d->pos(), where);
    const QRect cell = fa->visualRect(fa->gridModel()->cellIndex(row, 7));
    QVERIFY(fa->viewport()->rect().contains(cell));
    QVERIFY(!QRect(fa->viewport()->mapToGlobal(cell.topLeft()), cell.size())
                 .intersects(d->frameGeometry()));
}

QTEST_MAIN(TestFind)
#include "tst_find.moc"
