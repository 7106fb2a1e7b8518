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
    if (cellLevel) {
        CellFormat fmt;
        fmt.fields = CellFormat::HasAlign;
        fmt.align = int8_t(code);
        f.model.table().setFormat(2, 1, fmt);
    }
    f.model.setText(2, 1, text);
    QCOMPARE(f.at(2, 1, Qt::TextAlignmentRole).toInt(), expected);
    if (cellLevel) // the neighbour keeps the column's alignment
        QCOMPARE(f.at(1, 1, Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignHCenter | Qt::AlignVCenter));
}

void TestTableModel::cellFormatRoles()
{
    Fixture f(3, 2);
    CellFormat fmt;
    fmt.bold = true;
    fmt.underline = true;
    fmt.fields = CellFormat::HasFore | CellFormat::HasBack | CellFormat::HasFontSize;
    fmt.fore = 0x0000FF; // red in 0x00BBGGRR
    fmt.back = 0x800000; // dark blue
    fmt.fontSize = 14;
    f.model.table().setFormat(1, 1, fmt);
    f.model.notifyCellsChanged(1, 1, 1, 1);

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
    CellFormat fmt;
    fmt.fields = CellFormat::HasBack;
    fmt.back = 0x0000FF;
    f.model.table().setFormat(2, 0, fmt);
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
    QTest::newRow("text stays visible") << "yes" << int(Qt::Unchecked) << "yes";
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

void TestTableModel::dragPayload()
{
    Fixture f(5, 3);
    const QModelIndexList idx{f.model.cellIndex(3, 2), f.model.cellIndex(2, 1)};
    std::unique_ptr<QMimeData> mime(f.model.mimeData(idx));
    QVERIFY(mime);
    QCOMPARE(mime->text(), QStringLiteral("2,1\t2,2\n3,1\t3,2"));
    const QList<QByteArray> payload = mime->data(TableModel::kCellsMimeType).split(' ');
    QCOMPARE(payload.size(), 5);
    QCOMPARE(payload[0].toULongLong(), quintptr(&f.model));
    QCOMPARE(payload.mid(1), (QList<QByteArray>{"2", "1", "3", "2"}));
    QVERIFY(!f.model.mimeData({}));
}

QTEST_MAIN(TestTableModel)
#include "tst_tablemodel.moc"
