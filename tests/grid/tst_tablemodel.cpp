#include "grid/clipblock.h"
#include "grid/tablemodel.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

using namespace corvanta;

namespace {

// A model over `rows` x `cols` cells holding "r,c", watched by Qt's tester.
struct Fixture
{
    TableModel model;
    QAbstractItemModelTester tester;

    Fixture(int rows, int cols, int fixed = 1)
        : tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest)
    {
        model.setFixedRows(fixed);
        model.setTableColCount(cols);
        model.setTableRowCount(rows);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                model.setText(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
    }
    QVariant at(int tableRow, int col, int role = Qt::DisplayRole) const
    {
        return model.cellIndex(tableRow, col).data(role);
    }
};

} // namespace

class TestTableModel : public QObject
{
    Q_OBJECT
  private slots:
    void rowsBelowTheFixedRow_data();
    void rowsBelowTheFixedRow();
    void countsGrowAndCutKeepingCells_data();
    void countsGrowAndCutKeepingCells();
    void alignment_data();
    void alignment();
    void cellFormatRoles();
    void alternateRows();
    void checkColumn_data();
    void checkColumn();
    void checkToggleWritesThrough();
    void viewOnlyChecks();
    void setDataWritesThrough();
    void titleEditsAreHeaderChanges();
    void moves_data();
    void moves();
    void shapeOverrides_data();
    void shapeOverrides();
    void tableCoordinateShapes();
    void blockWriteAndMove();
    void layoutAttributesAreNoCellChanges();
    void tableChangedOnlyForTheDocument();
    void dragPayload();
};

void TestTableModel::rowsBelowTheFixedRow_data()
{
    QTest::addColumn<int>("fixed");
    QTest::addColumn<int>("modelRows");
    QTest::addColumn<QString>("header0");
    QTest::addColumn<QString>("firstCell");
    QTest::newRow("title row") << 1 << 4 << "0,0"
                               << "1,0";
    QTest::newRow("no title row") << 0 << 5 << QString() << "0,0";
}

void TestTableModel::rowsBelowTheFixedRow()
{
    QFETCH(int, fixed);
    QFETCH(int, modelRows);
    QFETCH(QString, header0);
    QFETCH(QString, firstCell);
    Fixture f(5, 3, fixed);
    QCOMPARE(f.model.rowCount(), modelRows);
    QCOMPARE(f.model.columnCount(), 3);
    QCOMPARE(f.model.headerData(0, Qt::Horizontal).toString(), header0);
    QCOMPARE(f.model.index(0, 0).data().toString(), firstCell);
    QCOMPARE(f.model.toTableRow(0), fixed);
    QVERIFY(!f.model.cellIndex(fixed - 1, 0).isValid());
}

void TestTableModel::countsGrowAndCutKeepingCells_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::newRow("grow both") << 9 << 6;
    QTest::newRow("cut both") << 3 << 2;
    QTest::newRow("grow rows, cut columns") << 8 << 1;
    QTest::newRow("title row only") << 1 << 4;
    QTest::newRow("nothing at all") << 0 << 0;
}

void TestTableModel::countsGrowAndCutKeepingCells()
{
    QFETCH(int, rows);
    QFETCH(int, cols);
    Fixture f(5, 4);
    QSignalSpy headers(&f.model, &QAbstractItemModel::headerDataChanged);
    f.model.setTableRowCount(rows);
    f.model.setTableColCount(cols);
    QCOMPARE(f.model.table().rowCount(), rows);
    QCOMPARE(f.model.rowCount(), std::max(0, rows - 1));
    QCOMPARE(f.model.columnCount(), cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            QCOMPARE(f.model.table().text(r, c),
                     r < 5 && c < 4 ? QStringLiteral("%1,%2").arg(r).arg(c) : QString());
    // Growing back does not bring cut cells back.
    f.model.setTableRowCount(6);
    f.model.setTableColCount(5);
    if (rows < 5)
        QCOMPARE(f.model.table().text(5 - 1, 0), QString());
    if (rows == 0)
        QVERIFY(headers.count() > 0); // the title row went and came back
}

void TestTableModel::alignment_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("cellLevel");
    QTest::addColumn<int>("expected");
    const int vc = Qt::AlignVCenter;
    QTest::newRow("left") << 1 << "x" << false << int(Qt::AlignLeft | vc);
    QTest::newRow("centre") << 4 << "x" << false << int(Qt::AlignHCenter | vc);
    QTest::newRow("right") << 7 << "x" << false << int(Qt::AlignRight | vc);
    QTest::newRow("left top") << 0 << "x" << false << int(Qt::AlignLeft | Qt::AlignTop);
    QTest::newRow("general text") << 9 << "Rome" << false << int(Qt::AlignLeft | vc);
    QTest::newRow("general number") << 9 << "-12.50" << false << int(Qt::AlignRight | vc);
    QTest::newRow("general empty") << 9 << "" << false << int(Qt::AlignLeft | vc);
    QTest::newRow("general zip with letters") << 9 << "12a" << false << int(Qt::AlignLeft | vc);
    QTest::newRow("general inf is text") << 9 << "inf" << false << int(Qt::AlignLeft | vc);
    QTest::newRow("cell over column") << 7 << "x" << true << int(Qt::AlignRight | vc);
}

void TestTableModel::alignment()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(bool, cellLevel);
    QFETCH(int, expected);
    Fixture f(3, 2);
    ColumnAttr a;
    a.align = cellLevel ? AlignCenter : code;
    f.model.setColumnAttr(1, a);
    if (cellLevel)
        QVERIFY(f.model.setCellSetting(PropAlignment, 2, 1, 2, 1, code));
    f.model.setText(2, 1, text);
    QCOMPARE(f.at(2, 1, Qt::TextAlignmentRole).toInt(), expected);
    if (cellLevel) // the neighbour keeps the column's alignment
        QCOMPARE(f.at(1, 1, Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignHCenter | Qt::AlignVCenter));
}

void TestTableModel::cellFormatRoles()
{
    Fixture f(3, 2);
    f.model.setCellSetting(PropFontBold, 1, 1, 1, 1, true);
    f.model.setCellSetting(PropFontUnderline, 1, 1, 1, 1, true);
    f.model.setCellSetting(PropForeColor, 1, 1, 1, 1, 0x0000FFu); // red in 0x00BBGGRR
    f.model.setCellSetting(PropBackColor, 1, 1, 1, 1, 0x800000u); // dark blue
    f.model.setCellSetting(PropFontSize, 1, 1, 1, 1, 14.0);

    const QFont font = f.at(1, 1, Qt::FontRole).value<QFont>();
    QVERIFY(font.bold());
    QVERIFY(font.underline());
    QVERIFY(!font.italic());
    QCOMPARE(font.pointSizeF(), 14.0);
    QCOMPARE(f.at(1, 1, Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    QCOMPARE(f.at(1, 1, Qt::BackgroundRole).value<QColor>(), QColor(0, 0, 128));
    // Plain cells carry no formatting at all.
    QVERIFY(!f.at(1, 0, Qt::FontRole).isValid());
    QVERIFY(!f.at(2, 1, Qt::ForegroundRole).isValid());
    QCOMPARE(TableModel::bgrFromColor(QColor(0x12, 0x34, 0x56)), 0x563412u);
}

void TestTableModel::alternateRows()
{
    Fixture f(6, 2);
    QVERIFY(!f.at(2, 0, Qt::BackgroundRole).isValid());
    QSignalSpy changed(&f.model, &QAbstractItemModel::dataChanged);
    f.model.setAltRowColor(0xC0FFC0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(2).value<QList<int>>(), QList<int>{Qt::BackgroundRole});
    // Every second data row: records 2 and 4, not the first record.
    QVERIFY(!f.at(1, 0, Qt::BackgroundRole).isValid());
    QCOMPARE(f.at(2, 0, Qt::BackgroundRole).value<QColor>(), QColor(0xC0, 0xFF, 0xC0));
    QVERIFY(!f.at(3, 0, Qt::BackgroundRole).isValid());
    QCOMPARE(f.at(4, 1, Qt::BackgroundRole).value<QColor>(), QColor(0xC0, 0xFF, 0xC0));
    // A cell's own back colour wins.
    f.model.setCellSetting(PropBackColor, 2, 0, 2, 0, 0x0000FFu);
    QCOMPARE(f.at(2, 0, Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
    f.model.setAltRowColor(std::nullopt);
    QVERIFY(!f.at(4, 1, Qt::BackgroundRole).isValid());
}

void TestTableModel::checkColumn_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("display");
    QTest::newRow("1") << "1" << int(Qt::Checked) << QString();
    QTest::newRow("-1") << "-1" << int(Qt::Checked) << QString();
    QTest::newRow("1.0 with spaces") << " 1.0 " << int(Qt::Checked) << QString();
    QTest::newRow("0") << "0" << int(Qt::Unchecked) << QString();
    QTest::newRow("empty") << "" << int(Qt::Unchecked) << QString();
    QTest::newRow("2") << "2" << int(Qt::Unchecked) << QString();
    QTest::newRow("text shows the box alone") << "yes" << int(Qt::Unchecked) << QString();
}

void TestTableModel::checkColumn()
{
    QFETCH(QString, text);
    QFETCH(int, state);
    QFETCH(QString, display);
    Fixture f(3, 2);
    ColumnAttr a;
    a.type = TypeCheckbox;
    f.model.setColumnAttr(1, a);
    f.model.setText(1, 1, text);
    QCOMPARE(f.at(1, 1, Qt::CheckStateRole).toInt(), state);
    QCOMPARE(f.at(1, 1).toString(), display);
    QCOMPARE(f.at(1, 1, Qt::EditRole).toString(), text); // the value itself is untouched
    const Qt::ItemFlags flags = f.model.flags(f.model.cellIndex(1, 1));
    QVERIFY(flags & Qt::ItemIsUserCheckable);
    QVERIFY(!(flags & Qt::ItemIsEditable));
    // The other column has no box and edits as text.
    QVERIFY(!f.at(1, 0, Qt::CheckStateRole).isValid());
    QVERIFY(f.model.flags(f.model.cellIndex(1, 0)) & Qt::ItemIsEditable);
}

void TestTableModel::checkToggleWritesThrough()
{
    Fixture f(3, 2);
    ColumnAttr a;
    a.type = TypeCheckbox;
    f.model.setColumnAttr(0, a);
    QSignalSpy changed(&f.model, &QAbstractItemModel::dataChanged);
    const QModelIndex idx = f.model.cellIndex(2, 0);
    QVERIFY(f.model.setData(idx, Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(f.model.table().text(2, 0), QStringLiteral("-1"));
    QCOMPARE(f.model.cellCheck(2, 0), 1);
    QVERIFY(f.model.setData(idx, Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(f.model.table().text(2, 0), QStringLiteral("0"));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.last().at(0).toModelIndex(), idx);
    // No box, no check state to set.
    QVERIFY(!f.model.setData(f.model.cellIndex(2, 1), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(f.model.table().text(2, 1), QStringLiteral("2,1"));
}

void TestTableModel::viewOnlyChecks()
{
    Fixture f(4, 2);
    f.model.setCellCheck(2, 1, 1);
    QCOMPARE(f.model.cellCheck(2, 1), 1);
    QCOMPARE(f.at(2, 1, Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QVERIFY(f.model.flags(f.model.cellIndex(2, 1)) & Qt::ItemIsUserCheckable);
    QCOMPARE(f.model.table().text(2, 1), QStringLiteral("2,1")); // not document data
    QVERIFY(f.model.setData(f.model.cellIndex(2, 1), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(f.model.cellCheck(2, 1), 2);
    f.model.setCellCheck(2, 1, 0);
    QCOMPARE(f.model.cellCheck(2, 1), 0);
    QVERIFY(f.model.flags(f.model.cellIndex(2, 1)) & Qt::ItemIsEditable);
    // Rows moving under a box would leave it on the wrong record: it goes.
    f.model.setCellCheck(3, 0, 2);
    f.model.moveTableRow(1, 3);
    QCOMPARE(f.model.cellCheck(3, 0), 0);
}

void TestTableModel::setDataWritesThrough()
{
    Fixture f(3, 3);
    QSignalSpy changed(&f.model, &QAbstractItemModel::dataChanged);
    const QModelIndex idx = f.model.index(1, 2); // table row 2
    QVERIFY(f.model.setData(idx, QStringLiteral("Oslo")));
    QCOMPARE(f.model.table().text(2, 2), QStringLiteral("Oslo"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex(), idx);
    QCOMPARE(changed.first().at(1).toModelIndex(), idx);
    const auto roles = changed.first().at(2).value<QList<int>>();
    QVERIFY(roles.contains(Qt::DisplayRole));
    QVERIFY(roles.contains(Qt::EditRole));
    QVERIFY(!f.model.setData(idx, QStringLiteral("x"), Qt::ToolTipRole));
    QCOMPARE(f.model.table().text(2, 2), QStringLiteral("Oslo"));
}

void TestTableModel::titleEditsAreHeaderChanges()
{
    Fixture f(3, 3);
    QSignalSpy headers(&f.model, &QAbstractItemModel::headerDataChanged);
    QSignalSpy cells(&f.model, &QAbstractItemModel::dataChanged);
    f.model.setText(0, 1, u"City");
    QCOMPARE(headers.count(), 1);
    QCOMPARE(headers.first().at(1).toInt(), 1);
    QCOMPARE(cells.count(), 0);
    QCOMPARE(f.model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("City"));
}

void TestTableModel::moves_data()
{
    QTest::addColumn<bool>("columns");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("expected"); // column 0 (row moves) or row 1 (column moves)
    QTest::newRow("row down") << false << 1 << 3 << QStringList{"0,0", "2,0", "3,0", "1,0", "4,0"};
    QTest::newRow("row up") << false << 4 << 2 << QStringList{"0,0", "1,0", "4,0", "2,0", "3,0"};
    QTest::newRow("row onto itself")
        << false << 2 << 2 << QStringList{"0,0", "1,0", "2,0", "3,0", "4,0"};
    QTest::newRow("row out of range")
        << false << 2 << 9 << QStringList{"0,0", "1,0", "2,0", "3,0", "4,0"};
    QTest::newRow("title row down")
        << false << 0 << 1 << QStringList{"1,0", "0,0", "2,0", "3,0", "4,0"};
    QTest::newRow("column right") << true << 0 << 2 << QStringList{"1,1", "1,2", "1,0"};
    QTest::newRow("column left") << true << 2 << 0 << QStringList{"1,2", "1,0", "1,1"};
}

void TestTableModel::moves()
{
    QFETCH(bool, columns);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, expected);
    Fixture f(5, 3);
    QSignalSpy headers(&f.model, &QAbstractItemModel::headerDataChanged);
    if (columns)
        f.model.moveTableColumn(from, to);
    else
        f.model.moveTableRow(from, to);
    QStringList got;
    if (columns) {
        for (int c = 0; c < 3; ++c)
            got << f.model.table().text(1, c);
        // The titles moved with their columns.
        QCOMPARE(f.model.headerData(to, Qt::Horizontal).toString(),
                 QStringLiteral("0,%1").arg(from));
        QVERIFY(headers.count() > 0);
    } else {
        for (int r = 0; r < 5; ++r)
            got << f.model.table().text(r, 0);
    }
    QCOMPARE(got, expected);
}

void TestTableModel::shapeOverrides_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<QList<int>>("args"); // model position, count[, destination]
    QTest::addColumn<bool>("done");
    QTest::addColumn<QStringList>("expected"); // column 0 (rows) or title row (columns)
    const QStringList rows{"0,0", "1,0", "2,0", "3,0", "4,0"};
    const QStringList cols{"0,0", "0,1", "0,2", "0,3"};
    QTest::newRow("insert rows") << "insertRows" << QList<int>{1, 2} << true
                                 << QStringList{"0,0", "1,0", "", "", "2,0", "3,0", "4,0"};
    QTest::newRow("insert rows at the end")
        << "insertRows" << QList<int>{4, 1} << true << rows + QStringList{""};
    QTest::newRow("insert rows past the end") << "insertRows" << QList<int>{5, 1} << false << rows;
    QTest::newRow("remove rows") << "removeRows" << QList<int>{0, 2} << true
                                 << QStringList{"0,0", "3,0", "4,0"};
    QTest::newRow("remove more rows than there are")
        << "removeRows" << QList<int>{3, 2} << false << rows;
    QTest::newRow("move rows down") << "moveRows" << QList<int>{0, 2, 4} << true
                                    << QStringList{"0,0", "3,0", "4,0", "1,0", "2,0"};
    QTest::newRow("move rows up") << "moveRows" << QList<int>{2, 2, 0} << true
                                  << QStringList{"0,0", "3,0", "4,0", "1,0", "2,0"};
    QTest::newRow("move rows into themselves")
        << "moveRows" << QList<int>{0, 2, 1} << false << rows;
    QTest::newRow("insert columns") << "insertColumns" << QList<int>{1, 1} << true
                                    << QStringList{"0,0", "", "0,1", "0,2", "0,3"};
    QTest::newRow("remove columns")
        << "removeColumns" << QList<int>{1, 2} << true << QStringList{"0,0", "0,3"};
    QTest::newRow("move columns right")
        << "moveColumns" << QList<int>{0, 2, 4} << true << QStringList{"0,2", "0,3", "0,0", "0,1"};
    QTest::newRow("move columns left")
        << "moveColumns" << QList<int>{3, 1, 1} << true << QStringList{"0,0", "0,3", "0,1", "0,2"};
    QTest::newRow("move columns past the end")
        << "moveColumns" << QList<int>{0, 1, 5} << false << cols;
}

// The standard overrides work in model rows, below the title row; the tester
// checks that each one keeps Qt's begin/end contract.
void TestTableModel::shapeOverrides()
{
    QFETCH(QString, op);
    QFETCH(QList<int>, args);
    QFETCH(bool, done);
    QFETCH(QStringList, expected);
    Fixture f(5, 4);
    QSignalSpy changed(&f.model, &TableModel::tableChanged);
    bool ok = false;
    if (op == "insertRows")
        ok = f.model.insertRows(args[0], args[1]);
    else if (op == "removeRows")
        ok = f.model.removeRows(args[0], args[1]);
    else if (op == "moveRows")
        ok = f.model.moveRows({}, args[0], args[1], {}, args[2]);
    else if (op == "insertColumns")
        ok = f.model.insertColumns(args[0], args[1]);
    else if (op == "removeColumns")
        ok = f.model.removeColumns(args[0], args[1]);
    else if (op == "moveColumns")
        ok = f.model.moveColumns({}, args[0], args[1], {}, args[2]);
    QCOMPARE(ok, done);
    QCOMPARE(changed.count(), done ? 1 : 0);
    const bool rows = op.endsWith("Rows");
    const Table& t = f.model.table();
    QStringList got;
    for (int i = 0; i < (rows ? t.rowCount() : t.colCount()); ++i)
        got << (rows ? t.text(i, 0) : f.model.headerData(i, Qt::Horizontal).toString());
    QCOMPARE(got, expected);
}

void TestTableModel::tableCoordinateShapes()
{
    Fixture f(4, 3);
    QSignalSpy reset(&f.model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&f.model, &QAbstractItemModel::rowsInserted);
    f.model.insertTableRows(0, 1); // above the titles: the title row is new
    QCOMPARE(reset.count(), 1);
    QCOMPARE(f.model.headerData(0, Qt::Horizontal).toString(), QString());
    QCOMPARE(f.model.index(0, 0).data().toString(), QStringLiteral("0,0"));
    f.model.insertTableRows(2, 2);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 1); // model row of table row 2
    QCOMPARE(f.model.table().text(4, 0), QStringLiteral("1,0"));
    f.model.removeTableColumns(1, 9); // cut to the table
    QCOMPARE(f.model.columnCount(), 1);
    f.model.insertTableColumns(0, 2);
    QCOMPARE(f.model.table().text(4, 2), QStringLiteral("1,0"));
}

void TestTableModel::blockWriteAndMove()
{
    Fixture f(5, 3);
    QSignalSpy cells(&f.model, &QAbstractItemModel::dataChanged);
    QSignalSpy changed(&f.model, &TableModel::tableChanged);
    f.model.writeBlock(ClipBlock::parse(u"a\tb\nc"), 1, 1, 2, 2);
    QCOMPARE(f.model.table().text(1, 2), QStringLiteral("b"));
    QCOMPARE(f.model.table().text(2, 1), QStringLiteral("c"));
    QCOMPARE(f.model.table().text(2, 2), QString()); // not reached by the block
    QCOMPARE(cells.last().at(0).toModelIndex(), f.model.cellIndex(1, 1));
    QCOMPARE(cells.last().at(1).toModelIndex(), f.model.cellIndex(2, 2));

    // Overlapping, one row down and one column left: the views hear of
    // every cell the block left or covered.
    f.model.moveBlock(1, 1, 2, 2, 2, 0);
    QCOMPARE(f.model.table().text(2, 0), QStringLiteral("a"));
    QCOMPARE(f.model.table().text(3, 0), QStringLiteral("c"));
    QCOMPARE(f.model.table().text(1, 1), QString());
    QCOMPARE(f.model.table().text(3, 2), QStringLiteral("3,2"));
    QCOMPARE(cells.last().at(0).toModelIndex(), f.model.cellIndex(1, 0));
    QCOMPARE(cells.last().at(1).toModelIndex(), f.model.cellIndex(3, 2));
    f.model.moveBlock(1, 1, 2, 2, 1, 1); // onto itself: no change
    QCOMPARE(changed.count(), 2);
}

// Widths, hidden columns and row heights are layout: views learn of them by
// their own signals, and no cell reports a change.
void TestTableModel::layoutAttributesAreNoCellChanges()
{
    Fixture f(5, 3);
    QSignalSpy cells(&f.model, &QAbstractItemModel::dataChanged);
    QSignalSpy columns(&f.model, &TableModel::columnLayoutChanged);
    QSignalSpy heights(&f.model, &TableModel::rowHeightChanged);
    QSignalSpy changed(&f.model, &TableModel::tableChanged);
    f.model.setColumnWidth(1, 1500);
    f.model.setColumnHidden(2, true);
    f.model.setRowHeight(3, 600);
    f.model.setRowHeight(9, 600); // outside: nothing
    QCOMPARE(f.model.table().column(1).width, 1500);
    QVERIFY(f.model.table().column(2).hidden);
    QCOMPARE(f.model.table().rowHeight(3), 600);
    QCOMPARE(columns.count(), 2);
    QCOMPARE(heights.count(), 1);
    QCOMPARE(heights.first().at(0).toInt(), 3);
    // A height is how rows are looked at, not a change of the document.
    QCOMPARE(changed.count(), 2);
    QCOMPARE(cells.count(), 0);

    // Alignment over a run of columns is one change of their cells.
    f.model.setColumnAlign(1, 5, AlignRight);
    QCOMPARE(f.model.table().column(0).align, int(AlignGeneral));
    QCOMPARE(f.model.table().column(2).align, int(AlignRight));
    QCOMPARE(cells.count(), 1);
    QCOMPARE(cells.first().at(2).value<QList<int>>(), QList<int>{Qt::TextAlignmentRole});
}

void TestTableModel::tableChangedOnlyForTheDocument()
{
    Fixture f(5, 3);
    QSignalSpy changed(&f.model, &TableModel::tableChanged);
    f.model.setCellCheck(2, 1, CheckChecked); // a box of the view's own
    f.model.setAltRowColor(0xC0FFC0);
    f.model.setFixedRows(0);
    QCOMPARE(changed.count(), 0);
    QVERIFY(f.model.setData(f.model.index(1, 1), QStringLiteral("x")));
    f.model.setCellSetting(PropFontItalic, 1, 1, 2, 2, true);
    f.model.moveTableRow(1, 3);
    f.model.replaceTable(Table(2, 2));
    QCOMPARE(changed.count(), 4);
}

void TestTableModel::dragPayload()
{
    Fixture f(5, 3);
    const QModelIndexList idx{f.model.cellIndex(3, 2), f.model.cellIndex(2, 1)};
    std::unique_ptr<QMimeData> mime(f.model.mimeData(idx));
    QVERIFY(mime);
    QCOMPARE(mime->text(), QStringLiteral("2,1\t2,2\n3,1\t3,2"));
    const QList<QByteArray> payload = mime->data(TableModel::kCellsMimeType).split(' ');
    QCOMPARE(payload, (QList<QByteArray>{"2", "1", "3", "2"}));
    QVERIFY(!f.model.mimeData({}));
}

QTEST_MAIN(TestTableModel)
#include "tst_tablemodel.moc"
