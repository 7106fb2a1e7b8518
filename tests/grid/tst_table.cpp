#include "grid/table.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <vector>

using namespace corvanta;

namespace {

// The plainest possible table, to check Table against.
struct Model
{
    struct Cell
    {
        QString text;
        CellFormat fmt;
    };
    std::vector<std::vector<Cell>> rows;
    std::vector<ColumnAttr> attrs;
    std::vector<int> heights;
    int cols = 0;

    void resize(int r, int c)
    {
        rows.resize(size_t(r), std::vector<Cell>(size_t(cols)));
        heights.resize(size_t(r), -1);
        for (auto& row : rows)
            row.resize(size_t(c));
        attrs.resize(size_t(c));
        cols = c;
    }
};

void fillRow(Table& t, int row, const QStringList& cells)
{
    for (int c = 0; c < cells.size(); ++c)
        t.setText(row, c, cells[c]);
}

QStringList rowTexts(const Table& t, int row)
{
    QStringList out;
    for (int c = 0; c < t.colCount(); ++c)
        out << t.text(row, c);
    return out;
}

CellFormat boldRed()
{
    CellFormat f;
    f.bold = true;
    f.fields = CellFormat::HasFore;
    f.fore = 0x0000ff;
    return f;
}

} // namespace

class TestTable : public QObject
{
    Q_OBJECT

  private slots:
    void takeRowsMovesThemWhole();
    void countsKeepCells_data();
    void countsKeepCells();
    void countsAreClamped();
    void outsideTheTableIsHarmless();
    void textRoundTrip_data();
    void textRoundTrip();
    void invalidUtf8IsRepaired();
    void largeRowText();
    void setRowReplacesWholeRow();
    void setRowPacked_data();
    void setRowPacked();
    void rowOperationsCarryEverything();
    void columnOperationsCarryEverything();
    void moveColumnBothWays();
    void takenPartsComeBack_data();
    void takenPartsComeBack();
    void formatsAreCanonical_data();
    void formatsAreCanonical();
    void clearAllKeepsCounts();
    void copyIsDeep();
    void movedFromTableIsUsable();
    void hugeEmptyResize();
    void randomEditsMatchModel();
    void validUtf8_data();
    void validUtf8();
    void sharedFormatRows();
};

void TestTable::countsKeepCells_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<QStringList>("row1");
    QTest::addColumn<QString>("cornerText");

    QTest::newRow("grow both") << 10 << 6 << QStringList{"a", "b", "c", "", "", ""} << "i";
    QTest::newRow("cut columns") << 3 << 2 << QStringList{"a", "b"} << "";
    QTest::newRow("cut rows") << 2 << 3 << QStringList{"a", "b", "c"} << "";
    QTest::newRow("to zero") << 0 << 0 << QStringList{} << "";
}

void TestTable::countsKeepCells()
{
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(QStringList, row1);
    QFETCH(QString, cornerText);

    Table t(3, 3);
    fillRow(t, 0, {"Name", "Street", "City"});
    fillRow(t, 1, {"a", "b", "c"});
    fillRow(t, 2, {"g", "h", "i"});
    t.setFormat(2, 2, boldRed());
    t.setRowHeight(2, 500);

    t.resize(rows, cols);
    QCOMPARE(t.rowCount(), rows);
    QCOMPARE(t.colCount(), cols);
    if (rows > 1)
        QCOMPARE(rowTexts(t, 1), row1);
    QCOMPARE(t.text(2, 2), cornerText);
    QCOMPARE(t.format(2, 2) == boldRed(), !cornerText.isEmpty());
    QCOMPARE(t.rowHeight(2), rows > 2 ? 500 : -1);

    // Growing again brings back empty cells, not the cut ones.
    t.resize(3, 3);
    QCOMPARE(t.text(2, 2), cornerText);
    QCOMPARE(t.hasAnyFormat(), !cornerText.isEmpty());
}

void TestTable::countsAreClamped()
{
    Table t;
    t.resize(-5, -1);
    QCOMPARE(t.rowCount(), 0);
    QCOMPARE(t.colCount(), 0);
    t.resize(Table::kMaxRows + 1, Table::kMaxCols + 7);
    QCOMPARE(t.rowCount(), Table::kMaxRows);
    QCOMPARE(t.colCount(), Table::kMaxCols);
    t.insertRows(0, 5);
    t.insertColumns(0, 5);
    QCOMPARE(t.rowCount(), Table::kMaxRows);
    QCOMPARE(t.colCount(), Table::kMaxCols);
}

void TestTable::outsideTheTableIsHarmless()
{
    Table t(2, 2);
    t.setText(1, 1, u"x");
    const Table before = t;
    for (auto [r, c] : {std::pair{-1, 0}, {0, -1}, {2, 0}, {0, 2}, {INT_MAX, INT_MAX}}) {
        t.setText(r, c, u"bad");
        t.setUtf8(r, c, "bad");
        t.setFormat(r, c, boldRed());
        QCOMPARE(t.text(r, c), QString());
        QVERIFY(t.utf8(r, c).isEmpty());
        QVERIFY(t.isEmpty(r, c));
        QVERIFY(t.format(r, c).isDefault());
    }
    for (int i : {-1, 2, INT_MIN}) {
        t.setRowHeight(i, 100);
        t.setColumn(i, ColumnAttr{100, TypeNumber, "0", AlignRight, true});
        QCOMPARE(t.rowHeight(i), -1);
        QCOMPARE(t.column(i), ColumnAttr{});
        QCOMPARE(t.columnRef(i), nullptr);
    }
    const QByteArrayView cells[] = {"p", "q"};
    t.setRowUtf8(-1, cells, 2);
    t.setRowUtf8(2, cells, 2);
    t.removeRows(5, 1);
    t.removeColumns(-1, 1);
    t.moveRow(0, 9);
    t.moveColumn(-1, 0);
    QVERIFY(t == before);
}

void TestTable::textRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("ascii") << "221B Baker Street";
    QTest::newRow("accented") << u"Zoë Müller-Lüdenscheidt"_qs;
    QTest::newRow("cyrillic") << u"Пётр Ильич Чайковский"_qs;
    QTest::newRow("cjk") << u"東京都千代田区"_qs;
    QTest::newRow("astral") << u"\U0001F600 smile"_qs;
    QTest::newRow("line break and comma") << "Line one,\r\nline \"two\"";
    QTest::newRow("nul inside") << QString::fromUtf16(u"a\0b", 3);
    QTest::newRow("leading byte order mark") << u"\uFEFFfirst"_qs;
}

void TestTable::textRoundTrip()
{
    QFETCH(QString, text);
    Table t(2, 3);
    t.setText(1, 1, text);
    QCOMPARE(t.text(1, 1), text);
    QCOMPARE(t.utf8(1, 1), text.toUtf8());
    QCOMPARE(t.isEmpty(1, 1), text.isEmpty());
    QVERIFY(t.isEmpty(1, 0));
    QVERIFY(t.isEmpty(1, 2));
    // Neighbours written afterwards leave it alone.
    t.setText(1, 0, u"left");
    t.setText(1, 2, u"right");
    QCOMPARE(t.text(1, 1), text);
    QCOMPARE(t.text(1, 0), u"left");
    QCOMPARE(t.text(1, 2), u"right");
    // Emptying the last cells of a row leaves the rest.
    t.setText(1, 2, u"");
    QCOMPARE(t.text(1, 1), text);
    QVERIFY(t.isEmpty(1, 2));
}

void TestTable::invalidUtf8IsRepaired()
{
    Table t(1, 2);
    // A leading byte order mark is text and stays through the repair.
    t.setUtf8(0, 0, "\xEF\xBB\xBF\xff");
    QCOMPARE(t.text(0, 0), u"\uFEFF\uFFFD"_qs);
    t.setUtf8(0, 0, "ab\xff\xfe");
    QVERIFY(Table::isValidUtf8(t.utf8(0, 0)));
    QCOMPARE(t.text(0, 0), u"ab\uFFFD\uFFFD"_qs);
    const QByteArrayView cells[] = {"ok", "\xc3"};
    t.setRowUtf8(0, cells, 2);
    QCOMPARE(t.text(0, 0), u"ok");
    QCOMPARE(t.text(0, 1), u"\uFFFD"_qs);
    // A lone surrogate from the UI never turns into invalid bytes either.
    t.setText(0, 0, QString(QChar(0xd800)));
    QVERIFY(Table::isValidUtf8(t.utf8(0, 0)));
}

void TestTable::largeRowText()
{
    // Past 64 KiB of text a row switches to wide offsets.
    Table t(1, 3);
    const QByteArray big(70000, 'x');
    t.setUtf8(0, 0, "a");
    t.setUtf8(0, 1, big);
    t.setUtf8(0, 2, "c");
    QCOMPARE(t.utf8(0, 0), "a");
    QCOMPARE(t.utf8(0, 1), big);
    QCOMPARE(t.utf8(0, 2), "c");
    t.setUtf8(0, 1, "b");
    QCOMPARE(t.utf8(0, 1), "b");
    QCOMPARE(t.utf8(0, 2), "c");
}

void TestTable::setRowReplacesWholeRow()
{
    Table t(2, 3);
    fillRow(t, 1, {"x", "y", "z"});
    t.setFormat(1, 2, boldRed());
    t.setRowHeight(1, 300);
    const QByteArrayView cells[] = {"one", "", "three", "beyond"};
    t.setRowUtf8(1, cells, 4);
    QCOMPARE(rowTexts(t, 1), (QStringList{"one", "", "three"}));
    t.setRowUtf8(1, cells, 1);
    QCOMPARE(rowTexts(t, 1), (QStringList{"one", "", ""}));
    QCOMPARE(t.format(1, 2), boldRed());
    QCOMPARE(t.rowHeight(1), 300);
}

void TestTable::setRowPacked_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<uint>>("ends");
    QTest::addColumn<QStringList>("cells"); // empty when the row must be refused

    QTest::newRow("three cells") << QByteArray("abZoë") << QList<uint>{1, 2, 6}
                                 << QStringList{"a", "b", "Zoë"};
    QTest::newRow("empty cells inside and at the end")
        << QByteArray("ab") << QList<uint>{0, 2, 2} << QStringList{"", "ab", ""};
    QTest::newRow("no cells") << QByteArray() << QList<uint>{} << QStringList{"", "", ""};
    QTest::newRow("text beyond the last end is ignored")
        << QByteArray("abc") << QList<uint>{1} << QStringList{"a", "", ""};
    QTest::newRow("end past the text") << QByteArray("ab") << QList<uint>{1, 3} << QStringList{};
    QTest::newRow("ends go backwards")
        << QByteArray("abc") << QList<uint>{2, 1, 3} << QStringList{};
    QTest::newRow("more cells than columns")
        << QByteArray("abcd") << QList<uint>{1, 2, 3, 4} << QStringList{};
    QTest::newRow("character split between cells")
        << QByteArray("Zo\xc3\xab") << QList<uint>{3, 4} << QStringList{};
    QTest::newRow("invalid byte") << QByteArray("a\xff") << QList<uint>{2} << QStringList{};
}

void TestTable::setRowPacked()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<uint>, ends);
    QFETCH(QStringList, cells);
    Table t(1, 3);
    fillRow(t, 0, {"old", "row", "kept"});
    const std::vector<uint32_t> e(ends.begin(), ends.end());
    QCOMPARE(t.setRowPacked(0, text, e), !cells.isEmpty());
    const QStringList expected = cells.isEmpty() ? QStringList{"old", "row", "kept"} : cells;
    QCOMPARE(rowTexts(t, 0), expected);
    // Trailing empty cells are not stored.
    const int used = int(expected.lastIndexOf(QRegularExpression(".+"))) + 1;
    QCOMPARE(t.usedCols(0), used);
}

void TestTable::rowOperationsCarryEverything()
{
    Table t(5, 2);
    for (int r = 0; r < 5; ++r) {
        t.setText(r, 0, QString::number(r));
        t.setRowHeight(r, 100 + r);
    }
    t.setFormat(3, 1, boldRed());

    t.insertRows(1, 2); // 0 _ _ 1 2 3 4
    QCOMPARE(t.rowCount(), 7);
    QCOMPARE(t.text(3, 0), u"1");
    QVERIFY(t.isEmpty(1, 0));
    QCOMPARE(t.rowHeight(1), -1);
    QCOMPARE(t.rowHeight(5), 103);
    QCOMPARE(t.format(5, 1), boldRed());

    t.moveRow(5, 0); // 3 0 _ _ 1 2 4
    QCOMPARE(t.text(0, 0), u"3");
    QCOMPARE(t.rowHeight(0), 103);
    QCOMPARE(t.format(0, 1), boldRed());
    QCOMPARE(t.text(1, 0), u"0");
    QCOMPARE(t.text(6, 0), u"4");

    t.moveRow(0, 6); // 0 _ _ 1 2 4 3
    QCOMPARE(t.text(6, 0), u"3");
    QCOMPARE(t.format(6, 1), boldRed());
    QCOMPARE(t.text(5, 0), u"4");
    QCOMPARE(t.rowHeight(5), 104);

    t.removeRows(5, 5); // 0 _ _ 1 2
    QCOMPARE(t.rowCount(), 5);
    QVERIFY(!t.hasAnyFormat());
    QCOMPARE(t.text(4, 0), u"2");
    QCOMPARE(t.rowHeight(4), 102);
}

void TestTable::columnOperationsCarryEverything()
{
    Table t(2, 3);
    fillRow(t, 0, {"A", "B", "C"});
    fillRow(t, 1, {"a", "b", "c"});
    t.setColumn(1, ColumnAttr{1200, TypeMoney, "$#,##0.00", AlignRight, false});
    t.setColumn(2, ColumnAttr{-1, TypeNone, QString(), AlignGeneral, true});
    t.setFormat(1, 1, boldRed());

    t.insertColumns(1, 2); // A _ _ B C
    QCOMPARE(rowTexts(t, 0), (QStringList{"A", "", "", "B", "C"}));
    QCOMPARE(t.column(3).format, u"$#,##0.00");
    QCOMPARE(t.column(1), ColumnAttr{});
    QVERIFY(t.column(4).hidden);
    QCOMPARE(t.format(1, 3), boldRed());
    QVERIFY(t.format(1, 1).isDefault());

    t.removeColumns(0, 2); // _ B C
    QCOMPARE(rowTexts(t, 1), (QStringList{"", "b", "c"}));
    QCOMPARE(t.column(1).type, int(TypeMoney));
    QCOMPARE(t.format(1, 1), boldRed());

    t.removeColumns(1, 1); // _ C
    QCOMPARE(rowTexts(t, 0), (QStringList{"", "C"}));
    QVERIFY(!t.hasAnyFormat());
    QVERIFY(t.column(1).hidden);
}

void TestTable::takenPartsComeBack_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<QStringList>("column1"); // texts of column 1 in between
    QTest::newRow("rows 1-2 taken") << 0 << QStringList{"B", "d"};
    QTest::newRow("rows 1 and 3 taken") << 1 << QStringList{"B", "c"};
    QTest::newRow("column 1 taken") << 2 << QStringList{"C", "x", "x", "x"};
    QTest::newRow("rows reversed") << 3 << QStringList{"B", "d", "c", "b"};
    QTest::newRow("row cells swapped") << 4 << QStringList{"B", "", "", "d"};
}

// What the undoable edits take out or reorder comes back exactly: cells,
// formats, heights and column attributes.
void TestTable::takenPartsComeBack()
{
    QFETCH(int, op);
    QFETCH(QStringList, column1);
    Table t(4, 3);
    fillRow(t, 0, {"A", "B", "C"});
    for (int r = 1; r < 4; ++r)
        fillRow(t, r, {QString(QChar(u'a' + r)), QString(QChar(u'a' + r)), "x"});
    t.setColumn(1, ColumnAttr{1200, TypeMoney, "$#,##0.00", AlignRight, false});
    t.setFormat(1, 1, boldRed());
    t.setFormat(3, 2, boldRed());
    t.setRowHeight(3, 600);
    const Table original = t;
    const std::vector<int> picked{1, 3};
    const std::vector<int> reversed{2, 1, 0};
    Table held;
    switch (op) {
    case 0:
        held = t.takeRows(1, 2);
        break;
    case 1:
        held = t.takeRowsAt(picked);
        break;
    case 2:
        held = t.takeColumns(1, 1);
        QCOMPARE(t.format(3, 1), boldRed()); // column 2's format moved left
        break;
    case 3:
        t.permuteRows(1, reversed);
        QCOMPARE(t.rowHeight(1), 600);
        QCOMPARE(t.format(3, 1), boldRed());
        break;
    case 4:
        held = Table(2, 3);
        t.swapRowCells(1, held);
        QCOMPARE(t.format(1, 1), boldRed()); // formats stay
        break;
    }
    QStringList got;
    for (int r = 0; r < t.rowCount(); ++r)
        got << t.text(r, 1);
    QCOMPARE(got, column1);
    switch (op) {
    case 0:
        t.putRows(1, std::move(held));
        break;
    case 1:
        t.putRowsAt(picked, std::move(held));
        break;
    case 2:
        t.putColumns(1, std::move(held));
        break;
    case 3:
        t.permuteRows(1, reversed); // its own inverse
        break;
    case 4:
        t.swapRowCells(1, held);
        break;
    }
    QVERIFY(t == original);
    QCOMPARE(t.column(1).format, u"$#,##0.00");
}

void TestTable::moveColumnBothWays()
{
    Table t(1, 5);
    fillRow(t, 0, {"0", "1", "2", "3"}); // column 4 stays empty
    for (int c = 0; c < 5; ++c)
        t.columnRef(c)->width = c;
    CellFormat f = boldRed();
    t.setFormat(0, 1, f);

    t.moveColumn(1, 4);
    QCOMPARE(rowTexts(t, 0), (QStringList{"0", "2", "3", "", "1"}));
    QCOMPARE(t.column(4).width, 1);
    QCOMPARE(t.column(3).width, 4);
    QCOMPARE(t.format(0, 4), f);

    t.moveColumn(4, 0);
    QCOMPARE(rowTexts(t, 0), (QStringList{"1", "0", "2", "3", ""}));
    QCOMPARE(t.column(0).width, 1);
    QCOMPARE(t.column(1).width, 0);
    QCOMPARE(t.format(0, 0), f);
    QVERIFY(t.format(0, 4).isDefault());
}

void TestTable::formatsAreCanonical_data()
{
    QTest::addColumn<CellFormat>("in");
    QTest::addColumn<CellFormat>("stored");

    CellFormat in, out;
    in.align = 7; // no HasAlign: ignored, so the cell has no format at all
    QTest::newRow("value without flag") << in << CellFormat{};

    in = {};
    in.fields = CellFormat::HasBack | 0x70;
    in.back = 0xff123456;
    out = {};
    out.fields = CellFormat::HasBack;
    out.back = 0x123456;
    QTest::newRow("colour high byte, unknown flags") << in << out;

    in = {};
    in.fields = CellFormat::HasFontSize;
    in.fontSize = std::numeric_limits<float>::quiet_NaN();
    QTest::newRow("NaN font size") << in << CellFormat{};

    in.fontSize = -3;
    in.italic = true;
    out = {};
    out.italic = true;
    QTest::newRow("negative font size") << in << out;

    in = {};
    in.fields = CellFormat::HasFontSize;
    in.fontSize = 1e9f;
    out = in;
    out.fontSize = Table::kMaxFontSize;
    QTest::newRow("huge font size") << in << out;

    in = {};
    in.underline = true;
    in.fields = CellFormat::HasAlign;
    in.align = AlignCenter;
    QTest::newRow("plain") << in << in;
}

void TestTable::formatsAreCanonical()
{
    QFETCH(CellFormat, in);
    QFETCH(CellFormat, stored);
    Table t(1, 1);
    t.setFormat(0, 0, boldRed());
    t.setFormat(0, 0, in);
    QCOMPARE(t.format(0, 0), stored);
    QCOMPARE(t.hasAnyFormat(), !stored.isDefault());
}

void TestTable::clearAllKeepsCounts()
{
    Table t(3, 2);
    fillRow(t, 2, {"a", "b"});
    t.setFormat(1, 1, boldRed());
    t.setRowHeight(2, 400);
    t.columnRef(1)->hidden = true;
    t.clearAll();
    QVERIFY(t == Table(3, 2));
    QCOMPARE(t.heapBytes(), Table(3, 2).heapBytes());
}

void TestTable::copyIsDeep()
{
    Table a(2, 2);
    fillRow(a, 1, {"x", "y"});
    a.setFormat(1, 0, boldRed());
    a.setRowHeight(1, 250);
    Table b = a;
    QVERIFY(a == b);
    b.setText(1, 0, u"changed");
    b.setFormat(1, 0, CellFormat{});
    b.setRowHeight(1, -1);
    b.columnRef(0)->format = "0.00";
    QCOMPARE(a.text(1, 0), u"x");
    QCOMPARE(a.format(1, 0), boldRed());
    QCOMPARE(a.rowHeight(1), 250);
    QVERIFY(a.column(0).format.isEmpty());
    QVERIFY(!(a == b));
    a = b;
    QVERIFY(a == b);
    a = a;
    QVERIFY(a == b);
}

void TestTable::movedFromTableIsUsable()
{
    Table a(2, 2);
    a.setText(1, 1, u"kept");
    Table b(std::move(a));
    QCOMPARE(b.text(1, 1), u"kept");
    QCOMPARE(a.rowCount(), 0); // NOLINT(bugprone-use-after-move): a defined empty table
    a.resize(1, 1);
    a.setText(0, 0, u"fine");
    QCOMPARE(a.text(0, 0), u"fine");
}

void TestTable::hugeEmptyResize()
{
    // The largest table the program allows, all empty: pointers, no cells.
    Table t;
    t.resize(200001, 201);
    QCOMPARE(t.rowCount(), 200001);
    QVERIFY(t.heapBytes() < 4u * 1024 * 1024);
    t.setText(200000, 200, u"corner");
    QCOMPARE(t.text(200000, 200), u"corner");
}

void TestTable::randomEditsMatchModel()
{
    QRandomGenerator rng(20240611);
    Table t;
    Model m;
    const QStringList words = {"", "a", "Zoë", "東京", "long text with, commas", ""};
    for (int step = 0; step < 4000; ++step) {
        const int rows = t.rowCount(), cols = t.colCount();
        const int op = rng.bounded(10);
        auto anyRow = [&] { return rows ? int(rng.bounded(rows)) : 0; };
        auto anyCol = [&] { return cols ? int(rng.bounded(cols)) : 0; };
        if (op == 0) {
            const int r = rng.bounded(12), c = rng.bounded(8);
            t.resize(r, c);
            m.resize(r, c);
        } else if (op <= 3 && rows && cols) {
            const int r = anyRow(), c = anyCol();
            const QString w = words[rng.bounded(words.size())];
            t.setText(r, c, w);
            m.rows[r][c].text = w;
        } else if (op == 4 && rows && cols) {
            const int r = anyRow(), c = anyCol();
            CellFormat f;
            f.bold = rng.bounded(2);
            f.fields = rng.bounded(2) ? CellFormat::HasBack : 0;
            f.back = f.fields ? rng.bounded(0x1000000) : 0;
            t.setFormat(r, c, f);
            m.rows[r][c].fmt = f;
        } else if (op == 5 && rows) {
            const int r = anyRow(), h = int(rng.bounded(3)) * 100 - 1;
            t.setRowHeight(r, h);
            m.heights[r] = h;
        } else if (op == 6) {
            const int at = rows ? int(rng.bounded(rows + 1)) : 0, n = rng.bounded(1, 3);
            if (rng.bounded(2) || !rows) {
                t.insertRows(at, n);
                m.rows.insert(m.rows.begin() + at, n, std::vector<Model::Cell>(cols));
                m.heights.insert(m.heights.begin() + at, n, -1);
            } else {
                const int r = anyRow(), k = std::min(n, rows - r);
                t.removeRows(r, n);
                m.rows.erase(m.rows.begin() + r, m.rows.begin() + r + k);
                m.heights.erase(m.heights.begin() + r, m.heights.begin() + r + k);
            }
        } else if (op == 7) {
            const int at = cols ? int(rng.bounded(cols + 1)) : 0, n = rng.bounded(1, 3);
            if (rng.bounded(2) || !cols) {
                t.insertColumns(at, n);
                for (auto& row : m.rows)
                    row.insert(row.begin() + at, n, Model::Cell{});
                m.attrs.insert(m.attrs.begin() + at, n, ColumnAttr{});
                m.cols += n;
            } else {
                const int c = anyCol(), k = std::min(n, cols - c);
                t.removeColumns(c, n);
                for (auto& row : m.rows)
                    row.erase(row.begin() + c, row.begin() + c + k);
                m.attrs.erase(m.attrs.begin() + c, m.attrs.begin() + c + k);
                m.cols -= k;
            }
        } else if (op == 8 && rows) {
            const int from = anyRow(), to = anyRow();
            t.moveRow(from, to);
            auto row = m.rows[from];
            const int h = m.heights[from];
            m.rows.erase(m.rows.begin() + from);
            m.rows.insert(m.rows.begin() + to, row);
            m.heights.erase(m.heights.begin() + from);
            m.heights.insert(m.heights.begin() + to, h);
        } else if (op == 9 && cols) {
            const int from = anyCol(), to = anyCol();
            t.moveColumn(from, to);
            t.columnRef(to)->width = step; // marks where the attributes went
            for (auto& row : m.rows) {
                auto cell = row[from];
                row.erase(row.begin() + from);
                row.insert(row.begin() + to, cell);
            }
            auto a = m.attrs[from];
            m.attrs.erase(m.attrs.begin() + from);
            m.attrs.insert(m.attrs.begin() + to, a);
            m.attrs[to].width = step;
        }

        QCOMPARE(t.rowCount(), int(m.rows.size()));
        QCOMPARE(t.colCount(), m.cols);
        bool anyFormat = false;
        for (int r = 0; r < t.rowCount(); ++r) {
            QCOMPARE(t.rowHeight(r), m.heights[r]);
            for (int c = 0; c < m.cols; ++c) {
                QCOMPARE(t.text(r, c), m.rows[r][c].text);
                QCOMPARE(t.format(r, c), m.rows[r][c].fmt);
                anyFormat |= !m.rows[r][c].fmt.isDefault();
            }
        }
        for (int c = 0; c < m.cols; ++c)
            QCOMPARE(t.column(c), m.attrs[c]);
        QCOMPARE(t.hasAnyFormat(), anyFormat);
    }
}

void TestTable::validUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("long ascii") << QByteArray(37, 'a') << true;
    QTest::newRow("two, three, four bytes")
        << QByteArray("\xc3\xa9\xe6\x9d\xb1\xf0\x9f\x98\x80") << true;
    QTest::newRow("max code point") << QByteArray("\xf4\x8f\xbf\xbf") << true;
    QTest::newRow("lone continuation") << QByteArray("abcdefgh\x80") << false;
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << false;
    QTest::newRow("overlong three") << QByteArray("\xe0\x80\xaf") << false;
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << false;
    QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false;
    QTest::newRow("truncated after ascii run") << QByteArray("12345678\xe6\x9d") << false;
    QTest::newRow("bad second byte") << QByteArray("\xe6\x41\xb1") << false;
    QTest::newRow("0xff") << QByteArray("\xff") << false;
}

void TestTable::validUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QCOMPARE(Table::isValidUtf8(bytes), valid);
}

void TestTable::takeRowsMovesThemWhole()
{
    Table src(5, 4);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 4; ++c)
            src.setText(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
    CellFormat bold;
    bold.bold = true;
    src.setFormat(3, 0, bold);
    src.setFormat(3, 3, bold);
    src.setRowHeight(2, 600);
    const Table original = src;

    // Out and back at the same width restores the table exactly.
    Table out(0, 4);
    out.takeRowsFrom(src, 2);
    QCOMPARE(src.rowCount(), 2);
    QCOMPARE(out.rowCount(), 3);
    QCOMPARE(out.text(0, 3), QString("2,3"));
    QCOMPARE(out.rowHeight(0), 600);
    QVERIFY(out.format(1, 3).bold);
    QVERIFY(!src.hasAnyFormat());
    src.takeRowsFrom(out, 0);
    QCOMPARE(out.rowCount(), 0);
    QVERIFY(src == original);

    // A narrower table cuts the cells and formats it has no columns for,
    // and keeps its own rows' formats beside the newcomers.
    Table narrow(2, 3);
    narrow.setFormat(1, 1, bold);
    narrow.takeRowsFrom(src, 3);
    QCOMPARE(narrow.rowCount(), 4);
    QCOMPARE(narrow.text(2, 2), QString("3,2"));
    QCOMPARE(narrow.usedCols(2), 3);
    QVERIFY(narrow.format(1, 1).bold);
    QVERIFY(narrow.format(2, 0).bold);
    QCOMPARE(narrow.rowFormats(2).size(), size_t(1));
    QCOMPARE(narrow.rowHeight(2), -1);
    QCOMPARE(src.rowCount(), 3);
    QCOMPARE(src.rowHeight(2), 600);
    QVERIFY(!src.hasAnyFormat());
}

void TestTable::sharedFormatRows()
{
    constexpr int rows = 200001;
    Table t(rows, 10);
    const size_t plain = t.heapBytes();
    const auto bold = [](CellFormat& f) { f.bold = true; };
    t.changeFormats(1, 0, rows - 1, 9, bold);
    QVERIFY(t.format(rows - 1, 9).bold);
    QVERIFY(!t.format(0, 0).bold);
    // A handle a row, not a format a cell.
    QVERIFY2(t.heapBytes() - plain < size_t(rows) * 24, qPrintable(QString::number(t.heapBytes())));

    // Taking a column out of shared rows and putting it back keeps every
    // row right, and the rows still share.
    const Table whole = t;
    Table col = t.takeColumns(3, 1);
    QVERIFY(col.format(7, 0).bold && t.format(7, 3).bold && !t.format(0, 0).bold);
    QCOMPARE(t.colCount(), 9);
    QVERIFY(whole.format(7, 9).bold); // the copy is untouched
    t.putColumns(3, std::move(col));
    QVERIFY(t == whole);
    QVERIFY2(t.heapBytes() - plain < size_t(rows) * 24, qPrintable(QString::number(t.heapBytes())));

    const Table copy = t;
    const std::vector<Table::RowFormats> before = t.rowFormatHandles(5, 6);
    CellFormat red;
    red.fields = CellFormat::HasFore;
    red.fore = 0xFF;
    t.setFormat(5, 3, red); // one shared row changes alone
    QCOMPARE(t.format(5, 3).fore, 0xFFu);
    QVERIFY(!t.format(5, 3).bold);
    QVERIFY(t.format(6, 3).bold && !(t.format(6, 3).fields & CellFormat::HasFore));
    QVERIFY(copy.format(5, 3).bold);
    t.removeColumns(2, 1); // remapped once, still right on every row
    QVERIFY(t.format(5, 2).fields & CellFormat::HasFore);
    QVERIFY(t.format(7, 8).bold && !t.format(7, 9).bold);
    t.insertColumns(2, 1);
    t.setRowFormatHandles(5, before);
    QVERIFY(t.format(5, 3).bold && !(t.format(5, 3).fields & CellFormat::HasFore));
    // Clearing the block again leaves nothing behind.
    t.changeFormats(0, 0, rows - 1, 9, [](CellFormat& f) { f = CellFormat{}; });
    QVERIFY(!t.hasAnyFormat());
    QVERIFY(copy.format(3, 3).bold);

    // Rows set cell by cell (as a load does) share once asked to.
    Table loaded(1000, 4);
    for (int r = 0; r < 1000; ++r)
        for (int c = 0; c < 4; ++c) {
            CellFormat f;
            f.italic = true;
            loaded.setFormat(r, c, f);
        }
    const size_t unshared = loaded.heapBytes();
    const Table same = loaded;
    loaded.shareAlikeFormats();
    QVERIFY(loaded.heapBytes() < unshared / 4);
    QVERIFY(loaded == same);
}

QTEST_GUILESS_MAIN(TestTable)
#include "tst_table.moc"
