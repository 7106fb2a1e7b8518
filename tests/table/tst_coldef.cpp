#include "commands/commandset.h"
#include "fakeplatform.h"
#include "files/document.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "shellharness.h"
#include "table/coldefdialog.h"
#include "table/columndefinecommands.h"
#include "table/edithistory.h"
#include "widgettesting.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>

using namespace corvanta;

namespace {

// A table of `cols` titled columns with one record "r1c<n>".
void fillTable(GridWidget& fa, int cols)
{
    fa.SetFixedRowCount(1);
    fa.SetColCount(cols);
    fa.SetRowCount(3);
    for (int c = 0; c < cols; ++c) {
        fa.SetCellText(0, c, QStringLiteral("T%1").arg(c));
        fa.SetCellText(1, c, QStringLiteral("r1c%1").arg(c));
    }
}

// Picks `choice` from the opened drop-down list of fd's cell with the
// mouse, as a user does: the pick alone finishes the edit.
void choose(GridWidget* fd, int row, int col, const QString& choice)
{
    fd->SelectRange(row, col);
    QTest::keyClick(fd, Qt::Key_F2);
    QPointer<QComboBox> combo = fd->findChild<QComboBox*>("gridDropList");
    QVERIFY(combo);
    const int i = combo->findText(choice);
    QVERIFY2(i >= 0, qPrintable(choice));
    QTest::mouseClick(combo, Qt::LeftButton);
    QAbstractItemView* list = combo->view();
    QTRY_VERIFY(list->isVisible());
    const QRect item = list->visualRect(list->model()->index(i, 0));
    QTest::mouseMove(list->viewport(), item.center()); // the pointer comes over the entry
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!combo);
}

QString txtCol(QWidget* dlg)
{
    return dlg->findChild<QLineEdit*>("txtCol")->text();
}

} // namespace

class TestColDef : public QObject
{
    Q_OBJECT
  private slots:
    void opensInBothModes();
    void helpText();
    void addInsertDelete();
    void upDownLimits_data();
    void upDownLimits();
    void typeChangeResetsNeighbours_data();
    void typeChangeResetsNeighbours();
    void roleRules_data();
    void roleRules();
    void acceptCutsColumnsAndUndoes();
    void insertShiftsAttributesNotCells();
    void cancelWritesNothing();
};

void TestColDef::opensInBothModes()
{
    GridWidget fa;
    fillTable(fa, 10);
    ColumnAttr money;
    money.type = TypeMoney;
    money.format = "$#,###.00";
    money.align = AlignRight;
    money.hidden = true;
    fa.table(); // attributes through the model, as the document holds them
    fa.gridModel()->setColumnAttr(8, money);
    FakePlatform platform;
    {
        ColDefDialog all(fa, ColumnRoles{}, false, platform, {});
        GridWidget* fd = all.fd();
        QCOMPARE(all.windowTitle(), QString("Column Define"));
        QCOMPARE(fd->RowCount(), 11);
        QCOMPARE(fd->CellText(9, 0), QString("9"));
        QCOMPARE(fd->CellText(9, 1), QString("T8"));
        QCOMPARE(fd->CellText(9, 2), QString("Money"));
        QCOMPARE(fd->CellText(9, 3), QString("$#,###.00"));
        QCOMPARE(fd->CellText(9, 4), QString("Right"));
        QCOMPARE(fd->CellCheckAt(9, 5), int(CheckChecked));
        // Untyped, general-aligned columns read as Text and Left.
        QCOMPARE(fd->CellText(1, 2), QString("Text"));
        QCOMPARE(fd->CellText(1, 4), QString("Left"));
        // Roles: street 1, phone 5, email 6, web 7.
        QCOMPARE(fd->CellCheckAt(2, 6), int(CheckChecked));
        QCOMPARE(fd->CellCheckAt(6, 7), int(CheckChecked));
        QCOMPARE(fd->CellCheckAt(7, 8), int(CheckChecked));
        QCOMPARE(fd->CellCheckAt(8, 9), int(CheckChecked));
        QCOMPARE(fd->CellCheckAt(1, 6), int(CheckUnchecked));
        QCOMPARE(txtCol(&all), QString("10"));
        all.show();
        QVERIFY(!all.findChild<QPushButton*>("cmdBtn_2")->isVisible());
        // The bold captions of the title row show whole.
        QHeaderView* titles = fd->horizontalHeader();
        QFont bold = titles->font();
        bold.setBold(true);
        const int margins = 2 * titles->style()->pixelMetric(QStyle::PM_HeaderMargin);
        for (int c = 0; c < 10; ++c) {
            const QString caption = fd->CellText(0, c);
            QVERIFY2(titles->sectionSize(c) >=
                         QFontMetrics(bold).horizontalAdvance(caption) + margins,
                     qPrintable(caption));
        }
        QVERIFY(fd->viewport()->width() >= titles->length()); // no column cut off at the right
        QVERIFY(!all.findChild<QPushButton*>("cmdBtn_0")->isEnabled());
    }
    fa.SelectRange(1, 6);
    ColDefDialog one(fa, ColumnRoles{}, true, platform, {});
    one.show();
    GridWidget* fd = one.fd();
    QCOMPARE(fd->RowCount(), 2);
    QCOMPARE(fd->CellText(1, 0), QString("7"));
    QCOMPARE(fd->CellText(1, 1), QString("T6"));
    QCOMPARE(fd->CellCheckAt(1, 8), int(CheckChecked)); // col_mail is 6
    QCOMPARE(fd->CellCheckAt(1, 7), int(CheckUnchecked));
    QVERIFY(one.findChild<QPushButton*>("cmdBtn_2")->isVisible());
    const int compact = one.height();
    click(&one, "cmdBtn_2");
    QVERIFY(!one.bOneCol());
    QVERIFY(one.height() > compact);
    QCOMPARE(fd->RowCount(), 11);
    // The role boxes of row 1 were cleared before the refill.
    QCOMPARE(fd->CellCheckAt(1, 8), int(CheckUnchecked));
    QCOMPARE(fd->CellCheckAt(7, 8), int(CheckChecked));
    QVERIFY(!one.findChild<QPushButton*>("cmdBtn_2")->isVisible());
}

void TestColDef::helpText()
{
    GridWidget fa;
    fillTable(fa, 3);
    FakePlatform platform;
    platform.answers = {MsgAnswer::Ok};
    ColDefDialog dlg(fa, ColumnRoles{}, false, platform, {});
    dlg.show();
    click(&dlg, "cmdCol_3");
    QCOMPARE(platform.messages.size(), 1);
    const FakePlatform::Shown& shown = platform.messages.first();
    QCOMPARE(shown.title, QString("Column Attributes Define"));
    QCOMPARE(shown.icon, MsgIcon::Exclamation);
    QCOMPARE(shown.buttons, MsgButtons::Ok);
    QVERIFY(shown.text.startsWith("Use double-clicking on a cell to change the column title."));
    QVERIFY(shown.text.contains("hide that column.\n\nTo use the Internet map"));
    QVERIFY(shown.text.endsWith("columns togather and in order. Select the corresponding Phone, "
                                "Email and Web Site address column so that the program can pick "
                                "up the correct information to dial phone, send email and access "
                                "web site. "));
}

void TestColDef::addInsertDelete()
{
    GridWidget fa;
    fillTable(fa, 3);
    FakePlatform platform;
    ColDefDialog dlg(fa, ColumnRoles{}, false, platform, {});
    dlg.show();
    GridWidget* fd = dlg.fd();
    auto* warning = dlg.findChild<QLabel*>("lblWarning");
    QVERIFY(!warning->isVisible());
    QCOMPARE(dlg.findChild<QToolButton*>("cmdCol_0")->toolTip(), QString("Add Column"));
    click(&dlg, "cmdCol_0");
    QCOMPARE(fd->RowCount(), 5);
    QCOMPARE(fd->CellText(4, 0), QString("4"));
    QCOMPARE(fd->CellText(4, 2), QString("Text"));
    QCOMPARE(fd->CellText(4, 4), QString("Left"));
    QCOMPARE(fd->CurRow(), 4);
    QCOMPARE(fd->SelEndCol(), 9);
    QVERIFY(!warning->isVisible());
    QVERIFY(dlg.findChild<QPushButton*>("cmdBtn_0")->isEnabled());
    fd->SelectRange(2, 1);
    click(&dlg, "cmdCol_1");
    QCOMPARE(fd->RowCount(), 6);
    QCOMPARE(fd->CellText(2, 1), QString());
    QCOMPARE(fd->CellText(3, 1), QString("T1"));
    QCOMPARE(fd->CellText(3, 0), QString("3"));
    QCOMPARE(fd->CellText(5, 0), QString("5"));
    QVERIFY(warning->isVisible());
    fd->SelectRange(1, 1);
    click(&dlg, "cmdCol_2");
    QCOMPARE(fd->RowCount(), 5);
    QCOMPARE(fd->CellText(1, 1), QString());
    QCOMPARE(fd->CellText(1, 0), QString("1"));
    // None of them touches the count box.
    QCOMPARE(txtCol(&dlg), QString("3"));
    QCOMPARE(dlg.result().definitions.size(), size_t(4));
    // The last definition stays: a table keeps one column.
    for (int i = 0; i < 4; ++i) {
        fd->SelectRange(1, 1);
        click(&dlg, "cmdCol_2");
    }
    QCOMPARE(fd->RowCount(), 2);
    QCOMPARE(fd->CellText(1, 0), QString("1"));
}

void TestColDef::upDownLimits_data()
{
    QTest::addColumn<int>("cols");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("expected");
    QTest::newRow("up from 10") << 10 << true << 11;
    QTest::newRow("up at 200") << 200 << true << 201;
    QTest::newRow("up at 201") << 201 << true << 201;
    QTest::newRow("down from 10") << 10 << false << 9;
    QTest::newRow("down at 2") << 2 << false << 1;
    QTest::newRow("down at 1") << 1 << false << 1;
}

void TestColDef::upDownLimits()
{
    QFETCH(int, cols);
    QFETCH(bool, up);
    QFETCH(int, expected);
    GridWidget fa;
    fillTable(fa, cols);
    FakePlatform platform;
    QList<int> shown;
    ColDefDialog dlg(fa, ColumnRoles{}, false, platform, [&](int n) { shown << n; });
    dlg.show();
    click(&dlg, up ? "UpDownCol_Up" : "UpDownCol_Down");
    QCOMPARE(txtCol(&dlg), QString::number(expected));
    QCOMPARE(dlg.fd()->RowCount(), expected + 1);
    QCOMPARE(shown, expected == cols ? QList<int>() : QList<int>{expected});
    if (up && expected > cols) {
        QCOMPARE(dlg.fd()->CellText(expected, 0), QString::number(expected));
        QCOMPARE(dlg.fd()->CellText(expected, 2), QString("Text"));
    }
}

void TestColDef::typeChangeResetsNeighbours_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("align");
    QTest::addColumn<QString>("format");
    QTest::newRow("Number keeps the format") << "Number"
                                             << "Right"
                                             << "0.00";
    QTest::newRow("Money keeps the format") << "Money"
                                            << "Right"
                                            << "0.00";
    QTest::newRow("Checkbox") << "Checkbox"
                              << "Center"
                              << "";
    QTest::newRow("Date") << "Date"
                          << "Left"
                          << "";
    QTest::newRow("Text") << "Text"
                          << "Left"
                          << "";
}

void TestColDef::typeChangeResetsNeighbours()
{
    QFETCH(QString, type);
    QFETCH(QString, align);
    QFETCH(QString, format);
    GridWidget fa;
    fillTable(fa, 2);
    ColumnAttr a;
    a.type = TypeNumber;
    a.format = "0.00";
    a.align = AlignCenter;
    fa.gridModel()->setColumnAttr(0, a);
    FakePlatform platform;
    ColDefDialog dlg(fa, ColumnRoles{}, false, platform, {});
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    GridWidget* fd = dlg.fd();
    fd->SelectRange(1, 2);
    QCOMPARE(fd->DropList(), QString("Checkbox|Date|Money|Number|Text"));
    choose(fd, 1, 2, type);
    QCOMPARE(fd->CellText(1, 2), type);
    QCOMPARE(fd->CellText(1, 4), align);
    QCOMPARE(fd->CellText(1, 3), format);
    QCOMPARE(fd->CurCol(), 4); // the cursor moves on to the alignment
    QCOMPARE(fd->DropList(), QString("Left|Center|Right"));
    fd->SelectRange(1, 3);
    QCOMPARE(fd->DropList(), ColDefDialog::formatList(type));
    fd->SelectRange(1, 1);
    QCOMPARE(fd->DropList(), QString());
    QVERIFY(dlg.findChild<QPushButton*>("cmdBtn_0")->isEnabled());
}

void TestColDef::roleRules_data()
{
    QTest::addColumn<bool>("oneCol");
    QTest::addColumn<QList<int>>("phoneTicks"); // fd rows ticked as Phone
    QTest::addColumn<QList<int>>("emailTicks");
    QTest::addColumn<int>("phone");
    QTest::addColumn<int>("mail");
    QTest::newRow("upper phone wins") << false << QList<int>{4, 2} << QList<int>{7} << 1 << 6;
    QTest::newRow("no tick keeps the role") << false << QList<int>{} << QList<int>{} << 5 << 6;
    QTest::newRow("one column takes the tick") << true << QList<int>{1} << QList<int>{1} << 3 << 3;
    QTest::newRow("one column untick keeps") << true << QList<int>{} << QList<int>{} << 5 << 6;
}

void TestColDef::roleRules()
{
    QFETCH(bool, oneCol);
    QFETCH(QList<int>, phoneTicks);
    QFETCH(QList<int>, emailTicks);
    QFETCH(int, phone);
    QFETCH(int, mail);
    GridWidget fa;
    fillTable(fa, 10);
    fa.SelectRange(1, 3);
    FakePlatform platform;
    ColDefDialog dlg(fa, ColumnRoles{}, oneCol, platform, {});
    dlg.show();
    GridWidget* fd = dlg.fd();
    for (int r = 1; r < fd->RowCount(); ++r) {
        fd->SetCellCheckAt(r, 7, phoneTicks.contains(r) ? CheckChecked : CheckUnchecked);
        fd->SetCellCheckAt(r, 8, emailTicks.contains(r) ? CheckChecked : CheckUnchecked);
    }
    const ColumnRoles roles = dlg.result().roles;
    QCOMPARE(roles.phone, phone);
    QCOMPARE(roles.mail, mail);
    QCOMPARE(roles.map, oneCol ? 1 : 1);
}

void TestColDef::acceptCutsColumnsAndUndoes()
{
    ShellHarness h;
    MainWindow& w = h.start();
    GridWidget* fa = w.fa();
    fillTable(*fa, 10);
    fa->SetCellProp(PropFontBold, 1, 9, true);
    w.document().MakeModified(false);
    const Table before = fa->table();
    QTimer::singleShot(0, [] {
        auto* dlg = qobject_cast<ColDefDialog*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        QVERIFY(!dlg->bOneCol());
        click(dlg, "UpDownCol_Down");
        click(dlg, "UpDownCol_Down");
        choose(dlg->fd(), 1, 2, "Money");
        dlg->fd()->SetCellCheckAt(4, 8, CheckChecked); // e-mail in column 3
        click(dlg, "cmdBtn_0");
    });
    const int mailBefore = w.document().roles().mail;
    QVERIFY(mailBefore != 3);
    w.commands().action("mnuColDef")->trigger();
    QCOMPARE(w.document().roles().mail, 3);
    QCOMPARE(fa->ColCount(), 8);
    QCOMPARE(fa->ColumnType(0), int(TypeMoney));
    QCOMPARE(fa->ColumnAlign(0), int(AlignRight));
    QCOMPARE(fa->ColumnType(1), int(TypeText)); // accepted Text is stored as 8
    QCOMPARE(fa->ColumnAlign(1), int(AlignLeft));
    QCOMPARE(w.fb()->RowCount(), 9);
    // The table changed: leaving without saving must ask.
    QVERIFY(w.document().IsModified());
    QUndoStack* undo = w.editHistory().stack();
    QCOMPARE(undo->undoText(), QString("Column Define"));
    undo->undo();
    QVERIFY(fa->table() == before);
    QCOMPARE(w.fb()->RowCount(), 11);
    QCOMPARE(w.document().roles().mail, mailBefore);
    undo->redo();
    QCOMPARE(fa->ColCount(), 8);
    QCOMPARE(fa->ColumnType(0), int(TypeMoney));
    QCOMPARE(w.document().roles().mail, 3);
}

void TestColDef::insertShiftsAttributesNotCells()
{
    ShellHarness h;
    MainWindow& w = h.start();
    GridWidget* fa = w.fa();
    fillTable(*fa, 4);
    QTimer::singleShot(0, [] {
        auto* dlg = qobject_cast<ColDefDialog*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        dlg->fd()->SelectRange(2, 1);
        click(dlg, "cmdCol_1");
        click(dlg, "cmdBtn_0");
    });
    w.commands().action("mnuColDef")->trigger();
    QCOMPARE(fa->ColCount(), 5);
    const QStringList titles = {"T0", "", "T1", "T2", "T3"};
    for (int c = 0; c < 5; ++c) {
        QCOMPARE(fa->CellText(0, c), titles[c]);
        QCOMPARE(fa->CellText(1, c), c < 4 ? QString("r1c%1").arg(c) : QString());
    }
}

void TestColDef::cancelWritesNothing()
{
    ShellHarness h;
    MainWindow& w = h.start();
    GridWidget* fa = w.fa();
    fillTable(*fa, 4);
    fa->SelectRange(1, 2);
    const Table before = fa->table();
    const ColumnRoles roles = w.document().roles();
    QTimer::singleShot(0, [] {
        auto* dlg = qobject_cast<ColDefDialog*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        QVERIFY(dlg->bOneCol());
        dlg->fd()->SetCellText(1, 1, "Changed");
        dlg->fd()->SetCellCheckAt(1, 6, CheckChecked);
        click(dlg, "cmdBtn_1");
    });
    w.commands().action("mnuEditColAttr")->trigger();
    QVERIFY(fa->table() == before);
    QVERIFY(w.document().roles() == roles);
    QCOMPARE(w.editHistory().stack()->count(), 0);
}

QTEST_MAIN(TestColDef)
#include "tst_coldef.moc"
