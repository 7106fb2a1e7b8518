#include "grid/griddragdrop.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"

#include "files/gridfile.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace corvanta;

namespace {

using Rows = QList<QStringList>;

// A grid of `rows` x `cols` whose cell (r, c) holds "r,c", watched by Qt's
// model tester for as long as it lives.
struct Grid
{
    GridWidget w;
    std::unique_ptr<QAbstractItemModelTester> tester;

    Grid(int rows = 6, int cols = 4)
    {
        tester = std::make_unique<QAbstractItemModelTester>(
            w.gridModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        w.SetColCount(cols);
        w.SetRowCount(rows);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                w.SetCellText(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
        w.resize(600, 400);
    }
    bool show()
    {
        w.show();
        w.activateWindow();
        w.setFocus();
        return QTest::qWaitForWindowExposed(&w);
    }
    Rows texts(int row1, int col1, int row2, int col2) const
    {
        Rows out;
        for (int r = row1; r <= row2; ++r) {
            QStringList row;
            for (int c = col1; c <= col2; ++c)
                row << w.CellText(r, c);
            out << row;
        }
        return out;
    }
    QPoint cellCentre(int row, int col) const
    {
        return w.visualRect(w.gridModel()->cellIndex(row, col)).center();
    }
};

} // namespace

class TestGridWidget : public QObject
{
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void countsGrowAndCutKeepingCells_data();
    void countsGrowAndCutKeepingCells();
    void selectRange_data();
    void selectRange();
    void pickedRows();
    void cellPropOverRange_data();
    void cellPropOverRange();
    void columnAlignmentForAll();
    void widthsAndHeightsInTwips();
    void clipTextRoundTrip_data();
    void clipTextRoundTrip();
    void clipTextPaste_data();
    void clipTextPaste();
    void moveRowAndColumn();
    void removeRowAndClearAll();
    void checkBoxColumn();
    void loadFailureLeavesGridAsItWas_data();
    void loadFailureLeavesGridAsItWas();
    void loadAndSaveKeepTheLayout();
    void delimitedLoadUnderTitles();
    void importThroughScratchGrid();
    void userEditByKeyboard();
    void dropListEditor();
    void clickSignal();
    void dragMovesTexts_data();
    void dragMovesTexts();
    void dropFromElsewhere();
    void blockGrabbedLowStaysBelowTitles();
    void userDraggedColumn();
    void contentSignal();
    void recordScale();
};

void TestGridWidget::countsGrowAndCutKeepingCells_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::newRow("grow") << 10 << 7;
    QTest::newRow("cut") << 3 << 2;
    QTest::newRow("title row only") << 1 << 4;
    QTest::newRow("no columns") << 6 << 0;
}

void TestGridWidget::countsGrowAndCutKeepingCells()
{
    QFETCH(int, rows);
    QFETCH(int, cols);
    Grid g;
    g.w.SelectRange(5, 3);
    g.w.SetRowCount(rows);
    g.w.SetColCount(cols);
    QCOMPARE(g.w.RowCount(), rows);
    QCOMPARE(g.w.ColCount(), cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            QCOMPARE(g.w.CellText(r, c),
                     r < 6 && c < 4 ? QStringLiteral("%1,%2").arg(r).arg(c) : QString());
    // The current cell stays on a record whenever there is one.
    if (rows > 1 && cols > 0) {
        QVERIFY(g.w.CurRow() >= 1 && g.w.CurRow() < rows);
        QVERIFY(g.w.CurCol() >= 0 && g.w.CurCol() < cols);
    } else {
        QCOMPARE(g.w.CurRow(), 0); // "0 / 0" in the position text
    }
}

void TestGridWidget::selectRange_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("args");     // row1, col1, row2, col2
    QTest::addColumn<QList<int>>("expected"); // CurRow, CurCol, SelEndRow, SelEndCol
    QTest::newRow("one cell") << 0 << QList<int>{2, 1, -1, -1} << QList<int>{2, 1, 2, 1};
    QTest::newRow("block") << 0 << QList<int>{2, 1, 4, 3} << QList<int>{2, 1, 4, 3};
    QTest::newRow("block drawn upwards") << 0 << QList<int>{5, 3, 3, 0} << QList<int>{5, 3, 3, 0};
    QTest::newRow("title row is not selectable")
        << 0 << QList<int>{0, 0, 2, 0} << QList<int>{1, 0, 2, 0};
    QTest::newRow("clamped to the table")
        << 0 << QList<int>{3, 2, 99, 99} << QList<int>{3, 2, 5, 3};
    QTest::newRow("row mode widens to whole rows")
        << 3 << QList<int>{2, 0, 3, 0} << QList<int>{2, 0, 3, 3};
    QTest::newRow("row mode upwards") << 3 << QList<int>{4, 0, 2, 3} << QList<int>{4, 0, 2, 3};
}

void TestGridWidget::selectRange()
{
    QFETCH(int, mode);
    QFETCH(QList<int>, args);
    QFETCH(QList<int>, expected);
    Grid g;
    g.w.SetSelectMode(mode);
    g.w.SelectRange(args[0], args[1], args[2], args[3]);
    QCOMPARE((QList<int>{g.w.CurRow(), g.w.CurCol(), g.w.SelEndRow(), g.w.SelEndCol()}), expected);
    // Exactly the rectangle between the corners is selected.
    const int top = std::min(expected[0], expected[2]), bottom = std::max(expected[0], expected[2]);
    const int left = std::min(expected[1], expected[3]), right = std::max(expected[1], expected[3]);
    const QModelIndexList sel = g.w.selectionModel()->selectedIndexes();
    QCOMPARE(sel.size(), (bottom - top + 1) * (right - left + 1));
    for (const QModelIndex& i : sel) {
        const int r = g.w.gridModel()->toTableRow(i.row());
        QVERIFY(r >= top && r <= bottom && i.column() >= left && i.column() <= right);
    }
}

void TestGridWidget::pickedRows()
{
    Grid g(12, 3);
    g.w.SetSelectMode(3);
    g.w.SelectRange(7, 1, 8, 1);
    // The user adds rows 2 to 4 with Ctrl (a second range, listed before).
    g.w.selectionModel()->select(
        QItemSelection(g.w.gridModel()->cellIndex(2, 0), g.w.gridModel()->cellIndex(4, 0)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(g.w.PickedRowCount(), 5);
    QList<int> rows;
    for (int i = 0; i < g.w.PickedRowCount(); ++i)
        rows << g.w.PickedRow(i);
    QCOMPARE(rows, (QList<int>{2, 3, 4, 7, 8}));
    QCOMPARE(g.w.PickedRow(5), -1);
    QCOMPARE(g.w.PickedRow(-1), -1);

    // Deleting the picked rows from the last one removes exactly those.
    for (int i = g.w.PickedRowCount() - 1; i >= 0; --i)
        g.w.RemoveRow(rows[i]);
    QStringList left;
    for (int r = 1; r < g.w.RowCount(); ++r)
        left << g.w.CellText(r, 0);
    QCOMPARE(left, (QStringList{"1,0", "5,0", "6,0", "9,0", "10,0", "11,0"}));

    // A free block picks no rows.
    g.w.SetSelectMode(0);
    g.w.SelectRange(1, 0, 3, 2);
    QCOMPARE(g.w.PickedRowCount(), 0);
    // Entering row mode turns the block into its rows.
    g.w.SetSelectMode(3);
    QCOMPARE(g.w.PickedRowCount(), 3);
    QCOMPARE(g.w.PickedRow(2), 3);
}

void TestGridWidget::cellPropOverRange_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("plain"); // what an untouched cell reports
    QTest::newRow("bold") << 13 << QVariant(true) << QVariant(false);
    QTest::newRow("italic") << 14 << QVariant(true) << QVariant(false);
    QTest::newRow("underline") << 15 << QVariant(true) << QVariant(false);
    QTest::newRow("fore colour") << 7 << QVariant(0x800000u) << QVariant();
    QTest::newRow("back colour") << 6 << QVariant(0xC0FFC0u) << QVariant();
    QTest::newRow("alignment") << 2 << QVariant(4) << QVariant(9);
    QTest::newRow("font size") << 12 << QVariant(14.0) << QVariant();
    QTest::newRow("text") << 0 << QVariant(QStringLiteral("x")) << QVariant();
}

void TestGridWidget::cellPropOverRange()
{
    QFETCH(int, setting);
    QFETCH(QVariant, value);
    QFETCH(QVariant, plain);
    Grid g;
    g.w.SetColumnAlign(-1, 9);
    g.w.SetCellProp(setting, 4, 2, value, 2, 1); // corners in any order
    for (int r = 1; r < 6; ++r) {
        for (int c = 0; c < 4; ++c) {
            const bool inside = r >= 2 && r <= 4 && c >= 1 && c <= 2;
            const QVariant got = g.w.CellProp(setting, r, c);
            if (inside)
                QCOMPARE(got, value);
            else if (plain.isValid())
                QCOMPARE(got, plain);
            else
                QVERIFY2(got != value, qPrintable(QStringLiteral("cell %1,%2").arg(r).arg(c)));
        }
    }
    QCOMPARE(g.w.CellProp(0, 1, 1).toString(), QStringLiteral("1,1"));
    if (setting == 13) {
        // The view is told: the model shows the cell bold.
        QVERIFY(g.w.gridModel()->cellIndex(3, 2).data(Qt::FontRole).value<QFont>().bold());
        g.w.SetCellProp(13, 2, 1, false, 4, 2);
        QCOMPARE(g.w.CellProp(13, 3, 2).toBool(), false);
    }
    if (setting == 7) {
        QCOMPARE(g.w.gridModel()->cellIndex(2, 1).data(Qt::ForegroundRole).value<QColor>(),
                 QColor(0, 0, 0x80));
        g.w.SetCellProp(7, 2, 1, QVariant()); // unset: the default colour again
        QVERIFY(!g.w.gridModel()->cellIndex(2, 1).data(Qt::ForegroundRole).isValid());
    }
}

void TestGridWidget::columnAlignmentForAll()
{
    Grid g;
    g.w.SetColumnAlign(-1, 7);
    for (int c = 0; c < 4; ++c)
        QCOMPARE(g.w.ColumnAlign(c), 7);
    g.w.SetColumnAlign(2, 4);
    QCOMPARE(g.w.ColumnAlign(1), 7);
    QCOMPARE(g.w.ColumnAlign(2), 4);
    QCOMPARE(g.w.gridModel()->cellIndex(3, 0).data(Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(g.w.gridModel()->cellIndex(3, 2).data(Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignHCenter | Qt::AlignVCenter));
}

void TestGridWidget::widthsAndHeightsInTwips()
{
    Grid g;
    const int defaultWidth = g.w.ColumnWidth(3);
    QCOMPARE(g.w.columnWidth(3), GridWidget::twipsToPixels(defaultWidth));

    g.w.SetColumnWidth(0, 1300);
    QCOMPARE(g.w.ColumnWidth(0), 1300); // kept exactly, whatever the pixels
    QCOMPARE(g.w.columnWidth(0), GridWidget::twipsToPixels(1300));
    // The user dragging a border writes the width back in twips.
    g.w.horizontalHeader()->resizeSection(1, 150);
    QCOMPARE(g.w.ColumnWidth(1), GridWidget::pixelsToTwips(150));
    QCOMPARE(g.w.table().column(1).width, GridWidget::pixelsToTwips(150));

    g.w.SetColumnHidden(2, true);
    QVERIFY(g.w.isColumnHidden(2));
    QVERIFY(g.w.ColumnHidden(2));
    QCOMPARE(g.w.ColumnWidth(2), defaultWidth); // hiding keeps the width
    g.w.SetColumnHidden(2, false);
    QVERIFY(!g.w.isColumnHidden(2));

    const int defaultHeight = g.w.RowHeightOf(3);
    g.w.SetRowHeightOf(3, 600);
    QCOMPARE(g.w.RowHeightOf(3), 600);
    QCOMPARE(g.w.rowHeight(2), GridWidget::twipsToPixels(600)); // model row of record 3
    QCOMPARE(g.w.rowHeight(1), GridWidget::twipsToPixels(defaultHeight));
    g.w.SetRowHeightOf(3, -1);
    QCOMPARE(g.w.RowHeightOf(3), defaultHeight);
    QCOMPARE(g.w.rowHeight(2), GridWidget::twipsToPixels(defaultHeight));

    g.w.SetRowHeightOf(0, 500); // the title row is the header
    QCOMPARE(g.w.RowHeightOf(0), 500);
    QCOMPARE(g.w.horizontalHeader()->height(), GridWidget::twipsToPixels(500));

    // 1440 twips an inch at the screen's logical DPI.
    const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    QCOMPARE(GridWidget::twipsToPixels(1440), qRound(dpi));
}

void TestGridWidget::clipTextRoundTrip_data()
{
    QTest::addColumn<Rows>("cells");
    QTest::addColumn<int>("mode");
    QTest::newRow("plain block") << Rows{{"Ann", "Rome"}, {"Bob", "Oslo"}} << 0;
    QTest::newRow("tabs and breaks") << Rows{{"a\tb", "1\n2"}, {"x\r\ny", "\r"}} << 0;
    QTest::newRow("quotes") << Rows{{"\"q\"", "5\" disk"}, {"\"", "\"\t\""}} << 0;
    QTest::newRow("empty cells") << Rows{{"", ""}, {"", "z"}} << 0;
    QTest::newRow("whole rows") << Rows{{"a", "", "\"c", "d\te"}, {"", "", "", ""}} << 3;
}

// Moving rows copies the text of a range and writes it to a range of the
// same size: the cells must come back exactly.
void TestGridWidget::clipTextRoundTrip()
{
    QFETCH(Rows, cells);
    QFETCH(int, mode);
    Grid g(8, 4);
    g.w.SetSelectMode(mode);
    const int rows = int(cells.size()), cols = int(cells.first().size());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            g.w.SetCellText(1 + r, c, cells[r][c]);
    g.w.SelectRange(1, 0, rows, cols - 1);
    const QString text = g.w.ClipText();

    g.w.SelectRange(5, 0, 5 + rows - 1, cols - 1);
    g.w.SetClipText(text);
    QCOMPARE(g.texts(5, 0, 5 + rows - 1, cols - 1), cells);
    QCOMPARE(g.w.CellText(7, 0), QStringLiteral("7,0")); // nothing beyond the range
    QCOMPARE(g.w.CurRow(), 5);
}

void TestGridWidget::clipTextPaste_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("range");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Rows>("expected"); // records 1 to 4, columns 0 to 2

    const QString tsv = QStringLiteral("A\tB\r\nC\tD\r\n"); // as spreadsheets put it
    QTest::newRow("from one cell the block spreads")
        << 0 << QList<int>{2, 1, 2, 1} << tsv
        << Rows{{"1,0", "1,1", "1,2"}, {"2,0", "A", "B"}, {"3,0", "C", "D"}, {"4,0", "4,1", "4,2"}};
    QTest::newRow("spreading stops at the table's edge") << 0 << QList<int>{4, 2, 4, 2} << tsv
                                                         << Rows{{"1,0", "1,1", "1,2"},
                                                                 {"2,0", "2,1", "2,2"},
                                                                 {"3,0", "3,1", "3,2"},
                                                                 {"4,0", "4,1", "A"}};
    QTest::newRow("a block bounds the paste")
        << 0 << QList<int>{1, 0, 1, 0} << tsv
        << Rows{{"A", "B", "1,2"}, {"C", "D", "2,2"}, {"3,0", "3,1", "3,2"}, {"4,0", "4,1", "4,2"}};
    QTest::newRow("row mode fills the current record only")
        << 3 << QList<int>{2, 0, 2, 0} << tsv
        << Rows{
               {"1,0", "1,1", "1,2"}, {"A", "B", ""}, {"3,0", "3,1", "3,2"}, {"4,0", "4,1", "4,2"}};
    QTest::newRow("empty text empties the range")
        << 0 << QList<int>{1, 1, 2, 2} << QString()
        << Rows{{"1,0", "", ""}, {"2,0", "", ""}, {"3,0", "3,1", "3,2"}, {"4,0", "4,1", "4,2"}};
    QTest::newRow("spreadsheet quotes")
        << 0 << QList<int>{3, 0, 3, 0} << QStringLiteral("\"two\nlines\"\t\"say \"\"hi\"\"\"\n")
        << Rows{{"1,0", "1,1", "1,2"},
                {"2,0", "2,1", "2,2"},
                {"two\nlines", "say \"hi\"", "3,2"},
                {"4,0", "4,1", "4,2"}};
}

void TestGridWidget::clipTextPaste()
{
    QFETCH(int, mode);
    QFETCH(QList<int>, range);
    QFETCH(QString, text);
    QFETCH(Rows, expected);
    Grid g(5, 3);
    g.w.SetSelectMode(mode);
    g.w.SelectRange(range[0], range[1], range[2], range[3]);
    g.w.SetClipText(text);
    QCOMPARE(g.texts(1, 0, 4, 2), expected);
    QCOMPARE(g.w.RowCount(), 5); // pasting never grows the table
    QCOMPARE(g.w.ColCount(), 3);
}

void TestGridWidget::moveRowAndColumn()
{
    Grid g;
    g.w.SetCellProp(13, 1, 0, true);
    g.w.SetRowHeightOf(1, 700);
    g.w.SetColumnWidth(0, 1500);
    g.w.SetColumnType(0, 11);

    g.w.MoveRowTo(1, 4);
    QStringList col0;
    for (int r = 0; r < 6; ++r)
        col0 << g.w.CellText(r, 0);
    QCOMPARE(col0, (QStringList{"0,0", "2,0", "3,0", "4,0", "1,0", "5,0"}));
    // The whole row moves: its formatting and height go along.
    QCOMPARE(g.w.CellProp(13, 4, 0).toBool(), true);
    QCOMPARE(g.w.CellProp(13, 1, 0).toBool(), false);
    QCOMPARE(g.w.RowHeightOf(4), 700);
    QCOMPARE(g.w.rowHeight(3), GridWidget::twipsToPixels(700));
    QCOMPARE(g.w.rowHeight(0), GridWidget::twipsToPixels(g.w.RowHeightOf(2)));

    g.w.MoveColumnTo(0, 2);
    QCOMPARE(g.texts(0, 0, 0, 3), (Rows{{"0,1", "0,2", "0,0", "0,3"}}));
    QCOMPARE(g.w.gridModel()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("0,0"));
    QCOMPARE(g.w.ColumnWidth(2), 1500);
    QCOMPARE(g.w.columnWidth(2), GridWidget::twipsToPixels(1500));
    QCOMPARE(g.w.columnWidth(0), GridWidget::twipsToPixels(g.w.ColumnWidth(0)));
    QCOMPARE(g.w.ColumnType(2), 11);
    QCOMPARE(g.w.ColumnType(0), 0);
}

void TestGridWidget::removeRowAndClearAll()
{
    Grid g;
    g.w.SetColumnWidth(1, 2000);
    g.w.SetCellProp(14, 2, 2, true);
    g.w.RemoveRow(2);
    QCOMPARE(g.w.RowCount(), 5);
    QCOMPARE(g.w.CellText(2, 0), QStringLiteral("3,0"));
    QCOMPARE(g.w.CellProp(14, 2, 2).toBool(), false);

    g.w.ClearAll();
    QCOMPARE(g.w.RowCount(), 5); // the counts stay
    QCOMPARE(g.w.ColCount(), 4);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 4; ++c)
            QVERIFY(g.w.CellText(r, c).isEmpty());
    QCOMPARE(g.w.ColumnWidth(1), g.w.ColumnWidth(0)); // back to the default width
    QCOMPARE(g.w.columnWidth(1), g.w.columnWidth(0));
    QCOMPARE(g.w.CurRow(), 1);
}

void TestGridWidget::checkBoxColumn()
{
    Grid g;
    QVERIFY(g.show());
    g.w.SetColumnType(2, 11);
    g.w.SetCellText(1, 2, QStringLiteral("1"));
    g.w.SetCellText(2, 2, QStringLiteral("0"));
    g.w.SelectRange(1, 2);
    QCOMPARE(g.w.CellCheck(), 1);
    g.w.SelectRange(2, 2);
    QCOMPARE(g.w.CellCheck(), 2);
    g.w.SelectRange(2, 1);
    QCOMPARE(g.w.CellCheck(), 0);

    // Space on the current box toggles it, as a user edit.
    QSignalSpy edited(&g.w, &GridWidget::cellEdited);
    g.w.SelectRange(2, 2);
    QTest::keyClick(&g.w, Qt::Key_Space);
    QCOMPARE(edited.count(), 1);
    QCOMPARE(edited.first(), (QList<QVariant>{2, 2}));
    QCOMPARE(g.w.CellText(2, 2), QStringLiteral("-1"));
    QCOMPARE(g.w.CellCheck(), 1);
    QVERIFY(!g.w.gridModel()->cellIndex(2, 2).data().isValid()); // the box, no "-1"

    // A click on the box toggles it back.
    const QModelIndex idx = g.w.gridModel()->cellIndex(2, 2);
    QStyleOptionViewItem opt;
    opt.initFrom(g.w.viewport());
    opt.rect = g.w.visualRect(idx);
    opt.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box =
        g.w.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, &g.w);
    QTest::mouseClick(g.w.viewport(), Qt::LeftButton, {}, box.center());
    QCOMPARE(g.w.CellText(2, 2), QStringLiteral("0"));
    QCOMPARE(edited.count(), 2);

    // Set by code: written as the value, no edit reported.
    g.w.SetCellCheckAt(3, 2, 1);
    QCOMPARE(g.w.CellText(3, 2), QStringLiteral("-1"));
    QCOMPARE(edited.count(), 2);
    // A box of its own in an ordinary cell (the form panel's value cells).
    g.w.SetCellCheckAt(3, 0, 2);
    QCOMPARE(g.w.CellCheckAt(3, 0), 2);
    QCOMPARE(g.w.CellText(3, 0), QStringLiteral("3,0"));
}

void TestGridWidget::loadFailureLeavesGridAsItWas_data()
{
    QTest::addColumn<int>("what");
    QTest::addColumn<QByteArray>("bytes"); // empty = the file does not exist
    const int native = int(FileFormat::Native);
    QTest::newRow("native, missing file") << native << QByteArray();
    QTest::newRow("native, not our format") << native << QByteArray("Name,City\r\nAnn,Rome\r\n");
    QTest::newRow("comma, missing file") << int(FileFormat::Comma) << QByteArray();
}

void TestGridWidget::loadFailureLeavesGridAsItWas()
{
    QFETCH(int, what);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.cvt"));
    if (!bytes.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    Grid g;
    g.w.SetColumnWidth(0, 1700);
    g.w.SelectRange(3, 2);
    QSignalSpy reset(g.w.gridModel(), &QAbstractItemModel::modelReset);
    const FileStatus status = GridFile::load(*g.w.gridModel(), path, FileFormat(what), true);
    QVERIFY(!status);
    QVERIFY(!userText(status).isEmpty());
    QCOMPARE(reset.count(), 0);
    QCOMPARE(g.w.RowCount(), 6);
    QCOMPARE(g.w.ColCount(), 4);
    QCOMPARE(g.texts(0, 0, 5, 3), Grid().texts(0, 0, 5, 3));
    QCOMPARE(g.w.ColumnWidth(0), 1700);
    QCOMPARE(g.w.CurRow(), 3);
}

void TestGridWidget::loadAndSaveKeepTheLayout()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.cvt"));
    {
        Grid g(200, 3);
        g.w.SetColumnWidth(1, 2000);
        g.w.SetColumnHidden(2, true);
        g.w.SetRowHeightOf(150, 900);
        g.w.SetCellProp(13, 5, 1, true);
        const FileStatus saved = GridFile::save(*g.w.gridModel(), path, FileFormat::Native);
        QVERIFY2(saved, qPrintable(userText(saved)));
    }
    Grid g(3, 2);
    QSignalSpy reset(g.w.gridModel(), &QAbstractItemModel::modelReset);
    const FileStatus loaded = GridFile::load(*g.w.gridModel(), path, FileFormat::Native, true);
    QVERIFY2(loaded, qPrintable(userText(loaded)));
    QCOMPARE(reset.count(), 1);
    QCOMPARE(g.w.RowCount(), 200);
    QCOMPARE(g.w.CellText(199, 2), QStringLiteral("199,2"));
    // The view shows what the file holds.
    QCOMPARE(g.w.columnWidth(1), GridWidget::twipsToPixels(2000));
    QVERIFY(g.w.isColumnHidden(2));
    QCOMPARE(g.w.rowHeight(149), GridWidget::twipsToPixels(900));
    QCOMPARE(g.w.rowHeight(148), GridWidget::twipsToPixels(g.w.RowHeightOf(149)));
    QVERIFY(g.w.gridModel()->cellIndex(5, 1).data(Qt::FontRole).value<QFont>().bold());
    QCOMPARE(g.w.CurRow(), 1);
}

void TestGridWidget::delimitedLoadUnderTitles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Name\tCity\nAnn\tRome\n");
    f.close();

    Grid g(3, 2);
    g.w.SetCellText(0, 0, QStringLiteral("Title"));
    QVERIFY(GridFile::load(*g.w.gridModel(), path, FileFormat::Tab, false));
    QCOMPARE(g.texts(0, 0, 2, 1), (Rows{{"Title", "0,1"}, {"Name", "City"}, {"Ann", "Rome"}}));
    QVERIFY(GridFile::load(*g.w.gridModel(), path, FileFormat::Tab, true));
    QCOMPARE(g.w.RowCount(), 2);
    QCOMPARE(g.w.gridModel()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("City"));

    // Written back with or without the title row.
    const QString out = dir.filePath(QStringLiteral("out.csv"));
    QVERIFY(GridFile::save(*g.w.gridModel(), out, FileFormat::Comma, false));
    QFile back(out);
    QVERIFY(back.open(QIODevice::ReadOnly));
    QCOMPARE(back.readAll().trimmed(), QByteArray("Ann,Rome"));
}

// A headerless import: the file is read into a grid without a title row,
// then its selection text is written under the titles of the records grid.
void TestGridWidget::importThroughScratchGrid()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.csv"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Name,City\r\nAnn,\"Rome,\tItaly\"\r\n\"Bob \"\"B\"\"\",\"two\nlines\"\r\n");
    f.close();

    Grid scratch(1, 1);
    scratch.w.SetFixedRowCount(0);
    QVERIFY(scratch.w.horizontalHeader()->isHidden());
    scratch.w.ClearAll();
    QVERIFY(GridFile::load(*scratch.w.gridModel(), path, FileFormat::Comma, true));
    QCOMPARE(scratch.w.RowCount(), 3);
    QCOMPARE(scratch.w.gridModel()->rowCount(), 3); // row 0 is a record here
    scratch.w.SelectRange(0, 0, scratch.w.RowCount() - 1, scratch.w.ColCount() - 1);
    QCOMPARE(scratch.w.CurRow(), 0);
    const QString text = scratch.w.ClipText();

    Grid records(1, 1);
    records.w.SetColCount(scratch.w.ColCount());
    records.w.SetRowCount(scratch.w.RowCount() + 1);
    records.w.SelectRange(1, 0, records.w.RowCount() - 1, records.w.ColCount() - 1);
    records.w.SetClipText(text);
    QCOMPARE(
        records.texts(0, 0, 3, 1),
        (Rows{
            {"0,0", ""}, {"Name", "City"}, {"Ann", "Rome,\tItaly"}, {"Bob \"B\"", "two\nlines"}}));
}

void TestGridWidget::userEditByKeyboard()
{
    Grid g;
    QVERIFY(g.show());
    QSignalSpy edited(&g.w, &GridWidget::cellEdited);
    QSignalSpy changed(&g.w, &GridWidget::contentChanged);
    g.w.SelectRange(2, 1);
    QTest::keyClick(&g.w, 'H'); // typing starts the editor
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(qobject_cast<QLineEdit*>(editor));
    QTest::keyClicks(editor, QStringLiteral("ello"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(edited.count(), 1);
    QCOMPARE(edited.first(), (QList<QVariant>{2, 1}));
    QCOMPARE(g.w.table().text(2, 1), QStringLiteral("Hello"));
    QVERIFY(changed.count() >= 1);

    // Escape leaves the cell as it was and reports nothing.
    g.w.SelectRange(3, 1);
    QTest::keyClick(&g.w, 'x');
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!g.w.findChild<QLineEdit*>()); // the editor is gone
    QCOMPARE(g.w.CellText(3, 1), QStringLiteral("3,1"));
    QCOMPARE(edited.count(), 1);
}

void TestGridWidget::dropListEditor()
{
    Grid g;
    QVERIFY(g.show());
    g.w.SetDropList(QStringLiteral("Left|Center|Right"));
    QCOMPARE(g.w.DropList(), QStringLiteral("Left|Center|Right"));
    QSignalSpy edited(&g.w, &GridWidget::cellEdited);
    g.w.SelectRange(1, 3);
    g.w.BeginEdit();
    auto* combo = g.w.findChild<QComboBox*>();
    QVERIFY(combo);
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->currentIndex(), -1); // "1,3" is no entry
    combo->setCurrentIndex(1);
    QTest::keyClick(combo, Qt::Key_Return);
    QTRY_COMPARE(edited.count(), 1);
    QCOMPARE(g.w.CellText(1, 3), QStringLiteral("Center"));

    // Without a list the editor is plain text again.
    g.w.SetDropList(QString());
    g.w.SelectRange(2, 3);
    g.w.BeginEdit();
    QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
}

void TestGridWidget::clickSignal()
{
    Grid g;
    QVERIFY(g.show());
    QSignalSpy clicked(&g.w, &GridWidget::Click);
    QTest::mouseClick(g.w.viewport(), Qt::LeftButton, {}, g.cellCentre(3, 2));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(g.w.CurRow(), 3);
    QCOMPARE(g.w.CurCol(), 2);
    // Below the last row there is no cell to click.
    QTest::mouseClick(g.w.viewport(), Qt::LeftButton, {}, QPoint(5, g.w.viewport()->height() - 2));
    QCOMPARE(clicked.count(), 1);
}

void TestGridWidget::dragMovesTexts_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("block"); // row1, col1, row2, col2
    QTest::addColumn<QList<int>>("drop");  // cell dropped on
    QTest::addColumn<Rows>("expected");    // records 1 to 5, columns 0 to 2
    QTest::newRow("block down and right") << 0 << QList<int>{1, 0, 2, 1} << QList<int>{3, 1}
                                          << Rows{{"", "", "1,2"},
                                                  {"", "", "2,2"},
                                                  {"3,0", "1,0", "1,1"},
                                                  {"4,0", "2,0", "2,1"},
                                                  {"5,0", "5,1", "5,2"}};
    QTest::newRow("overlapping one row down") << 0 << QList<int>{1, 0, 2, 0} << QList<int>{2, 0}
                                              << Rows{{"", "1,1", "1,2"},
                                                      {"1,0", "2,1", "2,2"},
                                                      {"2,0", "3,1", "3,2"},
                                                      {"4,0", "4,1", "4,2"},
                                                      {"5,0", "5,1", "5,2"}};
    QTest::newRow("kept inside the table") << 0 << QList<int>{4, 1, 5, 2} << QList<int>{5, 2}
                                           << Rows{{"1,0", "1,1", "1,2"},
                                                   {"2,0", "2,1", "2,2"},
                                                   {"3,0", "3,1", "3,2"},
                                                   {"4,0", "4,1", "4,2"},
                                                   {"5,0", "5,1", "5,2"}};
    QTest::newRow("whole rows up") << 3 << QList<int>{4, 0, 4, 2} << QList<int>{1, 2}
                                   << Rows{{"4,0", "4,1", "4,2"},
                                           {"2,0", "2,1", "2,2"},
                                           {"3,0", "3,1", "3,2"},
                                           {"", "", ""},
                                           {"5,0", "5,1", "5,2"}};
}

void TestGridWidget::dragMovesTexts()
{
    QFETCH(int, mode);
    QFETCH(QList<int>, block);
    QFETCH(QList<int>, drop);
    QFETCH(Rows, expected);
    Grid g(6, 3);
    QVERIFY(g.show());
    g.w.SetSelectMode(mode);
    g.w.SelectRange(block[0], block[1], block[2], block[3]);
    TableModel* m = g.w.gridModel();
    std::unique_ptr<QMimeData> mime(
        m->mimeData({m->cellIndex(block[0], block[1]), m->cellIndex(block[2], block[3])}));
    // A drag from this grid: only a drag in flight can say so to a drop
    // event, so the drop is handed its origin here.
    GridDragDrop dnd(&g.w, m);
    const GridSelection::Block b = dnd.drop(g.cellCentre(drop[0], drop[1]), mime.get(), true);
    QVERIFY(b.valid);
    QCOMPARE(g.texts(1, 0, 5, 2), expected);
    QCOMPARE(b.bottom() - b.top(), block[2] - block[0]); // the block stays whole
    QCOMPARE(b.right() - b.left(), block[3] - block[1]);
}

// Cells dragged from another grid carry the same payload; they arrive as
// text, written at the drop cell, and the cells they name stay as they are.
void TestGridWidget::dropFromElsewhere()
{
    Grid g(6, 3);
    QVERIFY(g.show());
    Grid other(6, 3);
    other.w.SetCellText(1, 0, QStringLiteral("A"));
    other.w.SetCellText(1, 1, QStringLiteral("B"));
    TableModel* m = other.w.gridModel();
    std::unique_ptr<QMimeData> mime(m->mimeData({m->cellIndex(1, 0), m->cellIndex(1, 1)}));
    const QPoint at = g.cellCentre(3, 1);

    // What a drag over the grid delivers: enter, move, drop. Returns
    // whether the grid took the drop.
    auto dragOnto = [&](QWidget* target) {
        QDragEnterEvent enter(at, Qt::MoveAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(at, Qt::MoveAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target, &move);
        if (!move.isAccepted())
            return false;
        QDropEvent drop(at, Qt::MoveAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    };

    // Off: the grid takes no drops.
    QVERIFY(!dragOnto(g.w.viewport()));
    QCOMPARE(g.w.CellText(3, 1), QStringLiteral("3,1"));

    g.w.SetDragEnabled(1);
    QCOMPARE(g.w.DragEnabled(), 1);
    QSignalSpy dropped(&g.w, &GridWidget::blockDropped);
    QVERIFY(dragOnto(g.w.viewport()));
    QCOMPARE(g.texts(1, 0, 3, 2),
             (Rows{{"1,0", "1,1", "1,2"}, {"2,0", "2,1", "2,2"}, {"3,0", "A", "B"}}));
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.first(), (QList<QVariant>{3, 1, 3, 2}));
    QCOMPARE(g.w.CurRow(), 3); // the dropped block is selected
    QCOMPARE(g.w.SelEndCol(), 2);
}

// Rows 2 and 3 grabbed by row 3 and dropped on the first record: the block
// would start above it, over the titles; it stops at record 1 instead.
void TestGridWidget::blockGrabbedLowStaysBelowTitles()
{
    Grid g(6, 3);
    QVERIFY(g.show());
    g.w.SetSelectMode(GridWidget::SelectWholeRows);
    g.w.SelectRange(2, 0, 3, 2);
    TableModel* m = g.w.gridModel();
    g.w.selectionModel()->setCurrentIndex(m->cellIndex(3, 0), QItemSelectionModel::NoUpdate);
    std::unique_ptr<QMimeData> mime(m->mimeData({m->cellIndex(2, 0), m->cellIndex(3, 2)}));
    GridDragDrop dnd(&g.w, m);
    const GridSelection::Block b = dnd.drop(g.cellCentre(1, 0), mime.get(), true);
    QVERIFY(b.valid);
    QCOMPARE(b.top(), 1);
    QCOMPARE(
        g.texts(0, 0, 3, 2),
        (Rows{{"0,0", "0,1", "0,2"}, {"2,0", "2,1", "2,2"}, {"3,0", "3,1", "3,2"}, {"", "", ""}}));
}

void TestGridWidget::userDraggedColumn()
{
    Grid g;
    g.w.SetColumnsMovable(true);
    g.w.SetColumnWidth(0, 1800);
    QSignalSpy dragged(&g.w, &GridWidget::columnDragged);
    g.w.horizontalHeader()->moveSection(0, 2); // what the user's drag does
    QCOMPARE(dragged.count(), 1);
    QCOMPARE(dragged.first(), (QList<QVariant>{0, 2}));
    // The table moved, and the view is in table order again.
    QCOMPARE(g.texts(1, 0, 1, 3), (Rows{{"1,1", "1,2", "1,0", "1,3"}}));
    QCOMPARE(g.w.horizontalHeader()->visualIndex(2), 2);
    QCOMPARE(g.w.ColumnWidth(2), 1800);
    QCOMPARE(g.w.columnWidth(2), GridWidget::twipsToPixels(1800));
}

void TestGridWidget::contentSignal()
{
    Grid g;
    QSignalSpy changed(&g.w, &GridWidget::contentChanged);
    g.w.SetCellProp(13, 1, 1, true, 3, 3);
    g.w.SetCellProp(6, 1, 1, 0xFFu);
    QCOMPARE(changed.count(), 0); // formatting is no content
    g.w.SetCellText(2, 2, QStringLiteral("x"));
    QCOMPARE(changed.count(), 1);
    g.w.SetCellText(0, 2, QStringLiteral("Title"));
    QCOMPARE(changed.count(), 2);
    g.w.SetRowCount(8);
    QCOMPARE(changed.count(), 3);
    g.w.MoveRowTo(1, 2);
    QCOMPARE(changed.count(), 4);
}

// The sizes the address book allows: 200,001 records. Not a timing, a check
// that row picking and the selection text work on whole-table ranges.
void TestGridWidget::recordScale()
{
    GridWidget w; // no model tester: it walks every cell after each change
    w.SetColCount(3);
    w.SetRowCount(200002);
    for (int r = 1; r < w.RowCount(); r += 1000)
        w.SetCellText(r, 1, QString::number(r));
    w.SetSelectMode(3);
    w.SelectRange(1, 0, w.RowCount() - 1, 2);
    QCOMPARE(w.PickedRowCount(), 200001);
    QCOMPARE(w.PickedRow(200000), 200001);
    const QString text = w.ClipText();
    QCOMPARE(text.count(u'\n'), 200000);
    w.SelectRange(1, 0, w.RowCount() - 1, 2);
    w.SetCellText(1, 1, QString());
    w.SetClipText(text);
    QCOMPARE(w.CellText(1, 1), QStringLiteral("1"));
    QCOMPARE(w.CellText(199001, 1), QStringLiteral("199001"));
}

QTEST_MAIN(TestGridWidget)
#include "tst_gridwidget.moc"
