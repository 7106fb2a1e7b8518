#include "files/nativefile.h"
#include "grid/table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>
#include <limits>
#include <sys/resource.h>

using namespace corvanta;

namespace {

// The reader's codes; the texts they stand for are checked in userText.
constexpr int kNotOurs = FileStatus::NotNative;
constexpr int kDamaged = FileStatus::Damaged;
constexpr int kNewer = FileStatus::Newer;
constexpr int kTooLarge = FileStatus::TooLarge;

// Writes values the way docs/native-format.md lays them out.
struct Bytes
{
    QByteArray b;
    Bytes& u8(int v)
    {
        b.append(char(v));
        return *this;
    }
    Bytes& u32(quint32 v)
    {
        for (int i = 0; i < 4; ++i)
            b.append(char(v >> (8 * i)));
        return *this;
    }
    Bytes& i32(qint32 v) { return u32(quint32(v)); }
    Bytes& f32(float v) { return u32(std::bit_cast<quint32>(v)); }
    Bytes& raw(QByteArrayView v)
    {
        b.append(v);
        return *this;
    }
};

// A small document, section by section, so that a test can spoil one part.
struct Parts
{
    QByteArray magic = QByteArray("\x89"
                                  "CVT\r\n\x1a\n",
                                  8);
    QByteArray head = Bytes().u32(2).u32(0).u32(3).u32(2).b; // version, flags, rows, cols
    QByteArray columns = Bytes()
                             .i32(1440)
                             .i32(TypeText)
                             .i32(AlignLeft)
                             .u8(0)
                             .u32(0)
                             .i32(-1)
                             .i32(TypeDate)
                             .i32(AlignGeneral)
                             .u8(1)
                             .u32(5)
                             .raw("dd/mm")
                             .b;
    QByteArray rows = Bytes() // cell count, cell lengths, text; counts and lengths are varints
                          .u8(2)
                          .u8(4)
                          .u8(4)
                          .raw("Name"
                               "Zo\xc3\xab") // title row
                          .u8(0)             // empty record
                          .u8(2)
                          .u8(0)
                          .u8(1)
                          .raw("x") // "" then "x"
                          .b;
    QByteArray formats = Bytes()
                             .u32(1)
                             .u32(0)
                             .u32(1)
                             .u8(CellFormat::HasFore)
                             .u8(1)
                             .u8(0)
                             .u8(0)
                             .u32(0)
                             .u32(0x0000ff)
                             .f32(0)
                             .b;
    QByteArray heights = Bytes().u32(1).u32(1).i32(600).b;
    QByteArray tail;

    QByteArray join() const { return magic + head + columns + rows + formats + heights + tail; }
};

Table expectedSmall()
{
    Table t(3, 2);
    t.setColumn(0, ColumnAttr{1440, TypeText, QString(), AlignLeft, false});
    t.setColumn(1, ColumnAttr{-1, TypeDate, "dd/mm", AlignGeneral, true});
    t.setText(0, 0, u"Name");
    t.setText(0, 1, u"Zoë");
    t.setText(2, 1, u"x");
    CellFormat f;
    f.bold = true;
    f.fields = CellFormat::HasFore;
    f.fore = 0x0000ff;
    t.setFormat(0, 1, f);
    t.setRowHeight(1, 600);
    return t;
}

// A table with every kind of content the file keeps.
Table richTable()
{
    Table t(8, 201);
    const QStringList titles = {"Name", "Street", "City", "State", "Zip Code"};
    for (int c = 0; c < titles.size(); ++c)
        t.setText(0, c, titles[c]);
    t.setText(0, 200, u"Last column");
    t.setText(1, 0, u"Møller, Søren");
    t.setText(1, 1, u"ул. Тверская, 7");
    t.setText(1, 2, u"東京");
    t.setText(1, 4, u"02134");
    t.setText(2, 0, u"\"Quoted\" name\r\nsecond line");
    t.setText(2, 200, u"far right");
    t.setUtf8(3, 3, QByteArray(70000, 'w')); // a row past 64 KiB of text
    // rows 4..7 stay empty: trailing empty rows must survive too

    t.setColumn(0, ColumnAttr{2400, TypeText, QString(), AlignLeft, false});
    t.setColumn(1, ColumnAttr{-1, TypeMoney, u"€#,##0.00;(€#,##0.00)"_qs, AlignRight, false});
    t.setColumn(2, ColumnAttr{0, TypeCheckbox, QString(), AlignCenter, true});
    t.setColumn(200, ColumnAttr{100, TypeDate, "yyyy-mm-dd", AlignLeftTop, true});

    CellFormat f;
    f.bold = f.italic = f.underline = true;
    t.setFormat(0, 0, f);
    f = {};
    f.fields =
        CellFormat::HasAlign | CellFormat::HasBack | CellFormat::HasFore | CellFormat::HasFontSize;
    f.align = AlignRight;
    f.back = 0x00ccffee;
    f.fore = 0x00102030;
    f.fontSize = 10.5f;
    t.setFormat(1, 200, f);
    f = {};
    f.fields = CellFormat::HasFontSize;
    f.fontSize = Table::kMaxFontSize;
    t.setFormat(7, 5, f); // formats on empty cells of empty rows too
    t.setRowHeight(0, 0);
    t.setRowHeight(2, 900);
    t.setRowHeight(7, std::numeric_limits<int>::max());
    return t;
}

} // namespace

class TestNativeFile : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void roundTrip_data();
    void roundTrip();
    void fileRoundTrip();
    void documentedLayoutDecodes();
    void malformed_data();
    void malformed();
    void truncatedAtEveryOffset();
    void trailingGarbage();
    void formatRunsStaySmall();
    void saveFailureKeepsOldFile();
    void saveIntoMissingFolder();
    void loadMissingFile();
    void userTexts_data();
    void userTexts();

  private:
    QTemporaryDir m_dir;
};

void TestNativeFile::init()
{
    QVERIFY(m_dir.isValid());
}

void TestNativeFile::roundTrip_data()
{
    QTest::addColumn<Table>("table");
    QTest::newRow("no rows or columns") << Table();
    QTest::newRow("rows without columns") << Table(5, 0);
    QTest::newRow("one empty cell") << Table(1, 1);
    QTest::newRow("small") << expectedSmall();
    QTest::newRow("formatted, 201 columns") << richTable();
    Table wideEmpty(2000, 201);
    wideEmpty.setText(1999, 200, u"only cell");
    QTest::newRow("large and nearly empty") << wideEmpty;
}

void TestNativeFile::roundTrip()
{
    QFETCH(Table, table);
    const QByteArray bytes = NativeFile::encode(table);
    Table back(1, 1);
    const FileStatus s = NativeFile::decode(bytes, back);
    QVERIFY2(s, qPrintable(userText(s)));
    QVERIFY(back == table);
    QCOMPARE(NativeFile::encode(back), bytes);
}

void TestNativeFile::fileRoundTrip()
{
    const Table t = richTable();
    const QString path = m_dir.filePath("rich.cvt");
    FileStatus s = NativeFile::save(t, path);
    QVERIFY2(s, qPrintable(userText(s)));
    Table back;
    s = NativeFile::load(path, back);
    QVERIFY2(s, qPrintable(userText(s)));
    QVERIFY(back == t);
    QCOMPARE(back.text(1, 1), u"ул. Тверская, 7");
    QCOMPARE(back.column(1).format, u"€#,##0.00;(€#,##0.00)"_qs);
    QCOMPARE(back.rowCount(), 8);
    QCOMPARE(back.colCount(), 201);

    // Saving again over the file replaces it.
    Table small = expectedSmall();
    QVERIFY(NativeFile::save(small, path));
    QVERIFY(NativeFile::load(path, back));
    QVERIFY(back == small);
}

void TestNativeFile::documentedLayoutDecodes()
{
    Table t;
    const QByteArray bytes = Parts().join();
    const FileStatus s = NativeFile::decode(bytes, t);
    QVERIFY2(s, qPrintable(userText(s)));
    QVERIFY(t == expectedSmall());
    QCOMPARE(NativeFile::encode(expectedSmall()), bytes);
}

void TestNativeFile::malformed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");

    auto row = [](const char* name, auto spoil, int error) {
        Parts p;
        spoil(p);
        QTest::newRow(name) << p.join() << error;
    };
    QTest::newRow("empty file") << QByteArray() << kNotOurs;
    QTest::newRow("text file") << QByteArray("Name,Street\r\nA,B\r\n") << kNotOurs;
    row(
        "magic damaged by text transfer", [](Parts& p) { p.magic.replace("\r\n", "\n"); },
        kNotOurs);
    row(
        "future version", [](Parts& p) { p.head = Bytes().u32(3).u32(0).u32(3).u32(2).b; }, kNewer);
    row(
        "version 0", [](Parts& p) { p.head = Bytes().u32(0).u32(0).u32(3).u32(2).b; }, kDamaged);
    row(
        "unknown flags", [](Parts& p) { p.head = Bytes().u32(1).u32(1).u32(3).u32(2).b; },
        kDamaged);
    row(
        "row count past the limit",
        [](Parts& p) { p.head = Bytes().u32(1).u32(0).u32(Table::kMaxRows + 1).u32(2).b; },
        kTooLarge);
    row(
        "column count past the limit",
        [](Parts& p) { p.head = Bytes().u32(1).u32(0).u32(3).u32(0xffffffff).b; }, kTooLarge);
    row(
        "more rows than bytes",
        [](Parts& p) { p.head = Bytes().u32(1).u32(0).u32(Table::kMaxRows).u32(2).b; }, kDamaged);
    row(
        "more columns than bytes",
        [](Parts& p) { p.head = Bytes().u32(1).u32(0).u32(3).u32(Table::kMaxCols).b; }, kDamaged);
    row(
        "fewer rows than stored", [](Parts& p) { p.head = Bytes().u32(1).u32(0).u32(2).u32(2).b; },
        kDamaged);
    row(
        "width below -1",
        [](Parts& p) {
            p.columns[0] = char(0xfe);
            p.columns[1] = char(0xff);
            p.columns[2] = char(0xff);
            p.columns[3] = char(0xff);
        },
        kDamaged);
    row(
        "hidden flag 2", [](Parts& p) { p.columns[12] = 2; }, kDamaged);
    row(
        "format length past the end", [](Parts& p) { p.columns[13 + 17 + 3] = char(0x7f); },
        kDamaged);
    row(
        "bad UTF-8 in a column format",
        [](Parts& p) { p.columns[p.columns.size() - 1] = char(0xc3); }, kDamaged);
    row(
        "more cells than columns", [](Parts& p) { p.rows[0] = 3; }, kDamaged);
    row(
        "cell count in a long form", [](Parts& p) { p.rows.replace(0, 1, "\x82\x00"); }, kDamaged);
    row(
        "cell length past 32 bits",
        [](Parts& p) { p.rows = Bytes().u8(1).raw("\xff\xff\xff\xff\x1f").raw("Name").b; },
        kDamaged);
    row(
        "cell text past the end",
        [](Parts& p) { p.rows = Bytes().u8(1).raw("\xff\xff\xff\xff\x07").raw("Name").b; },
        kDamaged);
    row(
        "cell lengths add up past the end",
        [](Parts& p) { p.rows = Bytes().u8(2).u8(0x7f).u8(0x7f).raw("Name").b; }, kDamaged);
    row(
        "varint cut off at the end",
        [](Parts& p) {
            p.rows = Bytes().u8(1).u8(0x84).b;
            p.formats.clear();
            p.heights.clear();
        },
        kDamaged);
    row(
        "trailing empty cell stored",
        [](Parts& p) { p.rows = Bytes().u8(2).u8(4).u8(0).raw("Name").u8(0).u8(0).b; }, kDamaged);
    row(
        "bad UTF-8 in a cell", [](Parts& p) { p.rows[3 + 5] = char(0xff); }, kDamaged);
    row(
        "character split across two cells",
        [](Parts& p) {
            p.rows =
                Bytes().u8(2).u8(7).u8(1).raw("NameZo\xc3\xab").u8(0).u8(2).u8(0).u8(1).raw("x").b;
        },
        kDamaged);
    row(
        "surrogate in a cell",
        [](Parts& p) { p.rows = Bytes().u8(1).u8(3).raw("\xed\xa0\x80").u8(0).u8(0).b; }, kDamaged);
    row(
        "format count past the end", [](Parts& p) { p.formats[1] = 1; }, kDamaged);
    row(
        "format outside the rows", [](Parts& p) { p.formats[4] = 3; }, kDamaged);
    row(
        "format outside the columns", [](Parts& p) { p.formats[8] = 2; }, kDamaged);
    row(
        "formats out of order",
        [](Parts& p) {
            const QByteArray one = p.formats.mid(4);
            QByteArray earlier = one;
            earlier[4] = 0; // column 0 after column 1
            p.formats = Bytes().u32(2).raw(one).raw(earlier).b;
        },
        kDamaged);
    row(
        "same cell formatted twice",
        [](Parts& p) {
            const QByteArray one = p.formats.mid(4);
            p.formats = Bytes().u32(2).raw(one).raw(one).b;
        },
        kDamaged);
    row(
        "unknown format field", [](Parts& p) { p.formats[12] = 0x14; }, kDamaged);
    row(
        "unknown style bit", [](Parts& p) { p.formats[13] = 0x9; }, kDamaged);
    row(
        "run of rows in version 1",
        [](Parts& p) {
            p.head = Bytes().u32(1).u32(0).u32(3).u32(2).b;
            p.formats[15] = 1;
        },
        kDamaged);
    const QByteArray v2 = Bytes().u32(2).u32(0).u32(3).u32(2).b;
    row(
        "run past the last row",
        [&v2](Parts& p) {
            p.head = v2;
            p.formats[15] = 3;
        },
        kDamaged);
    row(
        "runs overlap",
        [&v2](Parts& p) {
            p.head = v2;
            p.formats[15] = 1; // rows 0 and 1
            QByteArray next = p.formats.mid(4);
            next[3] = 1; // row 1 again
            next[11] = 0;
            p.formats = Bytes().u32(2).raw(p.formats.mid(4)).raw(next).b;
        },
        kDamaged);
    row(
        "adjacent runs of one format",
        [&v2](Parts& p) {
            p.head = v2;
            QByteArray below = p.formats.mid(4);
            below[0] = 1; // row 1, right below the run of row 0
            p.formats = Bytes().u32(2).raw(p.formats.mid(4)).raw(below).b;
        },
        kDamaged);
    // Each of 256 columns has runs of 255 rows and a gap, a row lower than
    // the column before, so every row holds a list of its own: 200 KB would
    // unfold to over two million formats.
    row(
        "runs that unfold past memory",
        [](Parts& p) {
            constexpr int rows = 8192, cols = 256;
            p.head = Bytes().u32(2).u32(0).u32(rows).u32(cols).b;
            Bytes columns, formats;
            for (int c = 0; c < cols; ++c)
                columns.i32(-1).i32(0).i32(AlignGeneral).u8(0).u32(0);
            formats.u32(rows);
            for (int r = 0; r < rows; ++r)
                formats.u32(r)
                    .u32(r % cols)
                    .u8(0)
                    .u8(1)
                    .u8(0)
                    .u8(std::min(254, rows - 1 - r))
                    .u32(0)
                    .u32(0)
                    .f32(0);
            p.columns = columns.b;
            p.rows = QByteArray(rows, '\0');
            p.formats = formats.b;
        },
        FileStatus::OutOfMemory);
    row(
        "colour past 24 bits", [](Parts& p) { p.formats[23] = 1; }, kDamaged);
    row(
        "value without its field", [](Parts& p) { p.formats[16] = 5; }, kDamaged);
    row(
        "default format stored",
        [](Parts& p) {
            p.formats[12] = 0;
            p.formats[13] = 0;
            p.formats[20] = 0;
        },
        kDamaged);
    row(
        "NaN font size",
        [](Parts& p) {
            p.formats.chop(4);
            p.formats[12] = CellFormat::HasFontSize;
            p.formats[20] = 0;
            p.formats += Bytes().f32(std::numeric_limits<float>::quiet_NaN()).b;
        },
        kDamaged);
    row(
        "font size without its field",
        [](Parts& p) {
            p.formats.chop(4);
            p.formats += Bytes().f32(-0.0f).b;
        },
        kDamaged);
    row(
        "negative row height", [](Parts& p) { p.heights = Bytes().u32(1).u32(1).i32(-1).b; },
        kDamaged);
    row(
        "height outside the rows", [](Parts& p) { p.heights = Bytes().u32(1).u32(3).i32(10).b; },
        kDamaged);
    row(
        "heights out of order",
        [](Parts& p) { p.heights = Bytes().u32(2).u32(2).i32(10).u32(1).i32(10).b; }, kDamaged);
    row(
        "height count past the end", [](Parts& p) { p.heights[0] = 2; }, kDamaged);
    row(
        "trailing byte", [](Parts& p) { p.tail = "\n"; }, kDamaged);
}

void TestNativeFile::malformed()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    Table t = richTable();
    const Table before = t;
    QCOMPARE(int(NativeFile::decode(bytes, t).code), error);
    QVERIFY(t == before);
}

void TestNativeFile::truncatedAtEveryOffset()
{
    for (const QByteArray& whole : {Parts().join(), NativeFile::encode(richTable())}) {
        Table t = expectedSmall();
        for (qsizetype n = 0; n < whole.size(); n += (n < 2000 ? 1 : 997)) {
            const FileStatus s = NativeFile::decode(whole.first(n), t);
            if (s)
                QFAIL(qPrintable(QString("a file cut to %1 bytes was accepted").arg(n)));
            QCOMPARE(int(s.code), n < 8 ? kNotOurs : kDamaged);
        }
        QVERIFY(t == expectedSmall());
    }
}

void TestNativeFile::trailingGarbage()
{
    // Two documents back to back are not one document.
    const QByteArray one = Parts().join();
    Table t;
    QVERIFY(!NativeFile::decode(one + one, t));
    QVERIFY(t == Table());
}

void TestNativeFile::saveFailureKeepsOldFile()
{
    // A full disk, simulated by a file size limit (which holds for root too).
    QTemporaryDir dir;
    const QString path = dir.filePath("kept.cvt");
    QVERIFY(NativeFile::save(expectedSmall(), path));
    const QByteArray old = Parts().join();

    rlimit saved;
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const FileStatus s = NativeFile::save(richTable(), path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(s.code, FileStatus::Io);
    QCOMPARE(userText(s), QString::fromLocal8Bit(::strerror(EFBIG))); // the cause, by name
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"kept.cvt"}); // no temp file left
}

void TestNativeFile::saveIntoMissingFolder()
{
    const FileStatus s = NativeFile::save(expectedSmall(), m_dir.filePath("no/such/folder/a.cvt"));
    QCOMPARE(s.code, FileStatus::Io);
    QVERIFY(!userText(s).isEmpty());
}

void TestNativeFile::loadMissingFile()
{
    Table t = expectedSmall();
    const FileStatus s = NativeFile::load(m_dir.filePath("missing.cvt"), t);
    QCOMPARE(s.code, FileStatus::Io);
    QVERIFY(!userText(s).isEmpty());
    QVERIFY(t == expectedSmall());

    // An empty file is no document either.
    QFile empty(m_dir.filePath("empty.cvt"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    QCOMPARE(int(NativeFile::load(empty.fileName(), t).code), kNotOurs);
    QVERIFY(t == expectedSmall());

    // Neither are devices, which would never end, nor folders.
    QCOMPARE(NativeFile::load("/dev/zero", t).code, FileStatus::NotRegular);
    const FileStatus folder = NativeFile::load(m_dir.path(), t);
    QCOMPARE(folder.code, FileStatus::NotRegular);
    QVERIFY(!userText(folder).isEmpty());
    QVERIFY(t == expectedSmall());
}

// The texts the user sees for each way a file can fail to read or write.
void TestNativeFile::userTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("text");
    QTest::newRow("ok") << int(FileStatus::Ok) << QString() << QString();
    QTest::newRow("system reason") << int(FileStatus::Io) << "Permission denied"
                                   << "Permission denied";
    QTest::newRow("not native") << int(FileStatus::NotNative) << QString()
                                << "The file is not a Corvanta document.";
    QTest::newRow("damaged") << int(FileStatus::Damaged) << QString()
                             << "The file is damaged or truncated.";
    QTest::newRow("newer") << int(FileStatus::Newer) << QString()
                           << "The file was made by a newer version of Corvanta.";
    QTest::newRow("too large") << int(FileStatus::TooLarge) << QString()
                               << "The table in the file is too large to open.";
    QTest::newRow("bad delimiter") << int(FileStatus::BadDelimiter) << QString()
                                   << "The delimiter cannot be a quote or a line break.";
    QTest::newRow("bad first row") << int(FileStatus::BadFirstRow) << "-1"
                                   << "Invalid first row -1.";
    QTest::newRow("too many rows")
        << int(FileStatus::TooManyRows) << QString() << "The text has more than 16777216 rows.";
    QTest::newRow("too many fields") << int(FileStatus::TooManyFields) << "3"
                                     << "Row 3 has more than 16384 fields.";
    QTest::newRow("row too long") << int(FileStatus::RowTooLong) << "2"
                                  << "Row 2 holds more than 2 GB of text.";
    QTest::newRow("not regular") << int(FileStatus::NotRegular) << "zero"
                                 << "zero is not a regular file";
    QTest::newRow("input too large")
        << int(FileStatus::InputTooLarge) << "2 GiB"
        << "The file is larger than 2 GiB, the largest file that can be opened.";
    QTest::newRow("out of memory")
        << int(FileStatus::OutOfMemory) << QString() << "Not enough memory to read the file.";
}

void TestNativeFile::userTexts()
{
    QFETCH(int, code);
    QFETCH(QString, detail);
    QFETCH(QString, text);
    QCOMPARE(userText(FileStatus{FileStatus::Code(code), detail}), text);
}

// A block formatted over many rows is stored as runs: the file grows by a
// record per 256 rows and column, and reads back cell for cell.
void TestNativeFile::formatRunsStaySmall()
{
    Parts p;
    // Files of version 1 read as they always did.
    Parts v1;
    v1.head = Bytes().u32(1).u32(0).u32(3).u32(2).b;
    Table old;
    QVERIFY(NativeFile::decode(v1.join(), old));
    QVERIFY(old == expectedSmall());

    p.formats[15] = 2; // the cell and the two rows below it
    Table decoded;
    QVERIFY(NativeFile::decode(p.join(), decoded));
    for (int r = 0; r < 3; ++r)
        QCOMPARE(decoded.format(r, 1).fore, 0x0000ffu);
    QVERIFY(!decoded.format(0, 0).bold);

    constexpr int rows = 200001;
    Table t(rows, 10);
    const qsizetype plain = NativeFile::encode(t).size();
    t.changeFormats(1, 0, rows - 1, 9, [](CellFormat& f) { f.bold = true; });
    CellFormat red;
    red.fields = CellFormat::HasBack;
    red.back = 0xff;
    t.setFormat(1000, 4, red); // breaks one column's run
    const QByteArray bytes = NativeFile::encode(t);
    // 10 columns, 200,000 rows in runs of 256, plus the broken run.
    QVERIFY2(bytes.size() - plain < 10 * (rows / 256 + 3) * 24,
             qPrintable(QString::number(bytes.size() - plain)));
    Table back;
    QVERIFY(NativeFile::decode(bytes, back));
    QVERIFY(back == t);
}

QTEST_GUILESS_MAIN(TestNativeFile)
#include "tst_nativefile.moc"
