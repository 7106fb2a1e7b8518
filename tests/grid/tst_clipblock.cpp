#include "../support/testfiles.h"
#include "grid/clipblock.h"
#include "grid/table.h"

#include <QTest>

using namespace corvanta;

namespace {

using Rows = QList<QStringList>;

Rows parsed(const QString& text)
{
    const ClipBlock b = ClipBlock::parse(text);
    Rows out;
    for (int r = 0; r < b.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < b.cellCount(r); ++c)
            row << QString::fromUtf8(b.cell(r, c));
        out << row;
    }
    return out;
}

Rows textsOf(const Table& t, int row1, int col1, int row2, int col2)
{
    Rows out;
    for (int r = row1; r <= row2; ++r) {
        QStringList row;
        for (int c = col1; c <= col2; ++c)
            row << t.text(r, c);
        out << row;
    }
    return out;
}

} // namespace

class TestClipBlock : public QObject
{
    Q_OBJECT
  private slots:
    void roundTrip_data();
    void roundTrip();
    void foreignText_data();
    void foreignText();
    void writeFillsAndClips_data();
    void writeFillsAndClips();
    void moveBlock_data();
    void moveBlock();
};

void TestClipBlock::roundTrip_data()
{
    QTest::addColumn<Rows>("cells");
    QTest::newRow("plain") << Rows{{"Ann", "Rome"}, {"Bob", "Oslo"}};
    QTest::newRow("tab inside") << Rows{{"a\tb", "c"}, {"", "\t"}};
    QTest::newRow("line breaks") << Rows{{"line1\nline2", "x\r\ny"}, {"\r", "end\n"}};
    QTest::newRow("leading quote") << Rows{{"\"quoted\"", "\""}, {"\"\"", "\"a\tb\""}};
    QTest::newRow("quote inside") << Rows{{"5\" disk", "say \"hi\""}, {"a\"", "b"}};
    QTest::newRow("all empty") << Rows{{"", ""}, {"", ""}, {"", ""}};
    QTest::newRow("empty last row") << Rows{{"a", "b"}, {"", ""}};
    QTest::newRow("empty first cell") << Rows{{"", "b"}, {"", "d"}};
    QTest::newRow("spaces kept") << Rows{{" a ", "  "}, {"b ", " c"}};
    QTest::newRow("non-ASCII") << Rows{{"Zoë", "Ελένη"}, {"北京", "Łódź"}};
    QTest::newRow("one cell") << Rows{{"only"}};
    QTest::newRow("one empty cell") << Rows{{""}};
}

// What a range gives as text must, written back to a range of the same
// size, give back the very same cells: moving rows relies on it.
void TestClipBlock::roundTrip()
{
    QFETCH(Rows, cells);
    const int cols = int(cells.first().size());
    const Table source = tableOf(cells, cols);
    const QString text = ClipBlock::encode(source, 0, 0, int(cells.size()) - 1, cols - 1);

    // Into the middle of a bigger table that holds other text.
    Table target(int(cells.size()) + 2, cols + 2);
    for (int r = 0; r < target.rowCount(); ++r)
        for (int c = 0; c < target.colCount(); ++c)
            target.setText(r, c, u"old");
    ClipBlock::parse(text).writeTo(target, 1, 1, int(cells.size()), cols);
    QCOMPARE(textsOf(target, 1, 1, int(cells.size()), cols), cells);
    QCOMPARE(target.text(0, 0), QStringLiteral("old"));
    QCOMPARE(target.text(int(cells.size()) + 1, cols + 1), QStringLiteral("old"));
}

void TestClipBlock::foreignText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Rows>("expected");
    QTest::newRow("CRLF with trailing break") << "a\tb\r\nc\td\r\n" << Rows{{"a", "b"}, {"c", "d"}};
    QTest::newRow("LF without trailing break") << "a\tb\nc\td" << Rows{{"a", "b"}, {"c", "d"}};
    QTest::newRow("lone CR rows") << "a\rb" << Rows{{"a"}, {"b"}};
    QTest::newRow("ragged rows") << "a\nb\tc\td\n" << Rows{{"a"}, {"b", "c", "d"}};
    QTest::newRow("trailing TAB is an empty cell") << "a\t" << Rows{{"a", ""}};
    QTest::newRow("empty line inside") << "a\n\nb" << Rows{{"a"}, {""}, {"b"}};
    QTest::newRow("spreadsheet quoting") << "\"x\ny\"\t\"say \"\"hi\"\"\"\n"
                                         << Rows{{"x\ny", "say \"hi\""}};
    QTest::newRow("quote mid-cell is text") << "5\" disk\tb" << Rows{{"5\" disk", "b"}};
    QTest::newRow("quoted word then text") << "\"Hi\" there\tb" << Rows{{"\"Hi\" there", "b"}};
    QTest::newRow("unclosed quote") << "\"abc\tdef\nxyz" << Rows{{"\"abc", "def"}, {"xyz"}};
    QTest::newRow("commas are text") << "a,b\tc" << Rows{{"a,b", "c"}};
    QTest::newRow("empty text") << "" << Rows{};
}

void TestClipBlock::foreignText()
{
    QFETCH(QString, text);
    QFETCH(Rows, expected);
    QCOMPARE(parsed(text), expected);
}

void TestClipBlock::writeFillsAndClips_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("row1");
    QTest::addColumn<int>("col1");
    QTest::addColumn<int>("row2");
    QTest::addColumn<int>("col2");
    QTest::addColumn<Rows>("expected"); // the whole 3 x 3 table afterwards

    const QString xy = QStringLiteral("x\ty\nz\tw");
    QTest::newRow("exact block") << xy << 0 << 0 << 1 << 1
                                 << Rows{{"x", "y", "c"}, {"z", "w", "f"}, {"g", "h", "i"}};
    QTest::newRow("text bigger than range")
        << xy << 1 << 1 << 1 << 1 << Rows{{"a", "b", "c"}, {"d", "x", "f"}, {"g", "h", "i"}};
    QTest::newRow("range bigger than text empties the rest")
        << QStringLiteral("x") << 0 << 0 << 1 << 1
        << Rows{{"x", "", "c"}, {"", "", "f"}, {"g", "h", "i"}};
    QTest::newRow("empty text empties the range")
        << QString() << 1 << 0 << 2 << 2 << Rows{{"a", "b", "c"}, {"", "", ""}, {"", "", ""}};
    QTest::newRow("whole rows") << QStringLiteral("1\t2\t3\n4") << 1 << 0 << 2 << 2
                                << Rows{{"a", "b", "c"}, {"1", "2", "3"}, {"4", "", ""}};
    QTest::newRow("clipped to the table")
        << xy << 2 << 2 << 5 << 5 << Rows{{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "x"}};
    QTest::newRow("reversed corners")
        << xy << 1 << 1 << 0 << 0 << Rows{{"x", "y", "c"}, {"z", "w", "f"}, {"g", "h", "i"}};
}

void TestClipBlock::writeFillsAndClips()
{
    QFETCH(QString, text);
    QFETCH(int, row1);
    QFETCH(int, col1);
    QFETCH(int, row2);
    QFETCH(int, col2);
    QFETCH(Rows, expected);
    Table t = tableOf({{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}}, 3);
    ClipBlock::parse(text).writeTo(t, row1, col1, row2, col2);
    QCOMPARE(textsOf(t, 0, 0, 2, 2), expected);
}

void TestClipBlock::moveBlock_data()
{
    QTest::addColumn<QList<int>>("args"); // row1, col1, row2, col2, toRow, toCol
    QTest::addColumn<Rows>("expected");
    QTest::newRow("apart") << QList<int>{0, 0, 0, 1, 2, 1}
                           << Rows{{"", "", "c"}, {"d", "e", "f"}, {"g", "a", "b"}};
    QTest::newRow("overlapping down")
        << QList<int>{0, 0, 1, 0, 1, 0} << Rows{{"", "b", "c"}, {"a", "e", "f"}, {"d", "h", "i"}};
    QTest::newRow("overlapping up")
        << QList<int>{1, 1, 2, 2, 0, 1} << Rows{{"a", "e", "f"}, {"d", "h", "i"}, {"g", "", ""}};
    QTest::newRow("overlapping left")
        << QList<int>{0, 1, 2, 2, 0, 0} << Rows{{"b", "c", ""}, {"e", "f", ""}, {"h", "i", ""}};
    QTest::newRow("onto itself") << QList<int>{0, 0, 2, 2, 0, 0}
                                 << Rows{{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}};
}

void TestClipBlock::moveBlock()
{
    QFETCH(QList<int>, args);
    QFETCH(Rows, expected);
    Table t = tableOf({{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}}, 3);
    CellFormat bold;
    bold.bold = true;
    t.setFormat(0, 0, bold);
    ClipBlock::moveBlock(t, args[0], args[1], args[2], args[3], args[4], args[5]);
    QCOMPARE(textsOf(t, 0, 0, 2, 2), expected);
    QVERIFY(t.format(0, 0).bold); // only texts move
}

QTEST_GUILESS_MAIN(TestClipBlock)
#include "tst_clipblock.moc"
