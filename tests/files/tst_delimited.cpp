#include "../support/childprocess.h"
#include "../support/testfiles.h"
#include "files/delimited.h"
#include "files/nativefile.h"
#include "files/safefile.h"
#include "grid/table.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstring>
#include <ctime>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace corvanta;

using Rows = QList<QStringList>;

namespace {

// Every cell of the table, row by row, exactly rowCount x colCount. Read
// through a decoder that keeps a leading U+FEFF, which QString::fromUtf8
// would drop.
Rows cellsOf(const Table& t)
{
    Rows rows;
    for (int r = 0; r < t.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < t.colCount(); ++c) {
            QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
            row << QString(utf8(t.utf8(r, c)));
        }
        rows << row;
    }
    return rows;
}

// Pads ragged expectations to the width of the widest row.
Rows padded(Rows rows)
{
    qsizetype width = 0;
    for (const auto& r : rows)
        width = std::max(width, r.size());
    for (auto& r : rows)
        while (r.size() < width)
            r << QString();
    return rows;
}

QByteArray utf16(const QString& text, QStringConverter::Encoding enc)
{
    QStringEncoder encoder(enc, QStringEncoder::Flag::WriteBom);
    return encoder(text);
}

// Cell texts that stress the quoting rules, cycled through by the
// generated tables.
const QStringList kNasty = {
    QString(),
    QStringLiteral("plain"),
    QStringLiteral("00501"),
    QStringLiteral("a,b"),
    QStringLiteral("tab\there"),
    QStringLiteral("say \"hi\""),
    QStringLiteral("\""),
    QStringLiteral("\"\""),
    QStringLiteral("line\r\nbreak"),
    QStringLiteral("lf\nonly"),
    QStringLiteral("cr\ronly"),
    QStringLiteral("\r\n"),
    QStringLiteral(" padded "),
    QStringLiteral("Zoë Ñandú €"),
    QStringLiteral("\uFEFFmark"),
    QStringLiteral("trailing,"),
    QStringLiteral("ends with quote\""),
    QStringLiteral("𝄞 clef"),
};

Table generatedTable(int rows, int cols, quint32 seed)
{
    QRandomGenerator rng(seed);
    Table t(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            t.setText(r, c, kNasty[rng.bounded(int(kNasty.size()))]);
    return t;
}

// A file system with `bytes` free, whatever the real disk holds.
FreeSpaceQuery roomFor(qint64 bytes)
{
    return [bytes](const QString&) { return bytes; };
}

// Saves `t` as comma text to `path` with writes past `fileLimit` failing,
// on a disk with room for far more, and says what came of it and whether
// it took under a second of processor time (machine load does not count).
QByteArray saveLimited(const Table& t, const QString& path, rlim_t fileLimit)
{
    return inChild(
        [&] {
            const rlimit limit = {fileLimit, fileLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::signal(SIGXFSZ, SIG_IGN);
            const std::clock_t start = std::clock();
            const FileStatus s =
                Delimited::save(t, path, ',', 0, TextEncoding::Utf8, roomFor(qint64(1) << 50));
            const qint64 ms = qint64(std::clock() - start) * 1000 / CLOCKS_PER_SEC;
            return userText(s).toUtf8() +
                   (ms < 1000 ? QByteArray(", quickly") : ", in " + QByteArray::number(ms) + " ms");
        },
        60);
}

#if !defined(__SANITIZE_ADDRESS__)
// The address space the process holds now, in bytes.
rlim_t addressSpace()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return rlim_t(statm.readLine().split(' ').value(0).toULongLong()) * rlim_t(::getpagesize());
}
#endif

// The codes both readers give for `path`, packed into one exit status.
int readerCodes(const QString& path)
{
    Table t;
    const int text = Delimited::load(path, ',', t).code;
    const int native = NativeFile::load(path, t).code;
    return text | native << 4;
}

} // namespace

class TestDelimited : public QObject
{
    Q_OBJECT

  private slots:
    void writeEncodings_data();
    void writeEncodings();
    void windows1252EveryByte();
    void unencodableNotWritten();
    void saveStopsAtFirstFailedWrite();
    void saveRefusedBeyondFreeSpace();
    void decode_data();
    void sniffs_data();
    void sniffs();
    void decode();
    void encodings_data();
    void encodings();
    void placement_data();
    void placement();
    void refusesOversizedInput_data();
    void refusesOversizedInput();
    void refusesQuoteAsDelimiter();
    void encode_data();
    void encode();
    void quotingAtEveryPosition_data();
    void quotingAtEveryPosition();
    void roundTrip_data();
    void roundTrip();
    void nativeRoundTrip_data();
    void nativeRoundTrip();
    void files();
    void largeFiles_data();
    void largeFiles();
    void saveFailsCleanly();
    void readInfo_data();
    void readInfo();
    void readersRefuseNonFiles_data();
    void readersRefuseNonFiles();
    void readersSurviveMemoryLimit();
};

void TestDelimited::decode_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<char>("delimiter");
    QTest::addColumn<Rows>("expected");

    const QByteArray longText(300000, 'x');

    QTest::newRow("plain comma") << QByteArray("a,b,c\r\n1,2,3\r\n") << ','
                                 << Rows{{"a", "b", "c"}, {"1", "2", "3"}};
    QTest::newRow("plain tab") << QByteArray("a\tb\r\n1\t2\r\n") << '\t'
                               << Rows{{"a", "b"}, {"1", "2"}};
    QTest::newRow("tab file keeps commas")
        << QByteArray("Smith, Ann\tRome\n") << '\t' << Rows{{"Smith, Ann", "Rome"}};
    QTest::newRow("comma file keeps tabs") << QByteArray("a\tb,c\n") << ',' << Rows{{"a\tb", "c"}};
    QTest::newRow("quoted delimiter")
        << QByteArray("\"Smith, Ann\",Rome\n") << ',' << Rows{{"Smith, Ann", "Rome"}};
    QTest::newRow("quoted tab in tab file")
        << QByteArray("\"a\tb\"\tc\n") << '\t' << Rows{{"a\tb", "c"}};
    QTest::newRow("doubled quotes")
        << QByteArray("\"say \"\"hi\"\"\",x\n") << ',' << Rows{{"say \"hi\"", "x"}};
    QTest::newRow("only a doubled quote") << QByteArray("\"\"\"\"\n") << ',' << Rows{{"\""}};
    QTest::newRow("empty quoted field") << QByteArray("\"\",a\n") << ',' << Rows{{"", "a"}};
    QTest::newRow("quoted LF kept") << QByteArray("\"a\nb\",c\n") << ',' << Rows{{"a\nb", "c"}};
    QTest::newRow("quoted CRLF kept")
        << QByteArray("\"a\r\nb\",c\r\n") << ',' << Rows{{"a\r\nb", "c"}};
    QTest::newRow("quoted CR kept") << QByteArray("\"a\rb\",c\r") << ',' << Rows{{"a\rb", "c"}};
    QTest::newRow("LF line ends") << QByteArray("a\nb\n") << ',' << Rows{{"a"}, {"b"}};
    QTest::newRow("CRLF line ends") << QByteArray("a\r\nb\r\n") << ',' << Rows{{"a"}, {"b"}};
    QTest::newRow("lone CR line ends") << QByteArray("a\rb\r") << ',' << Rows{{"a"}, {"b"}};
    QTest::newRow("mixed line ends")
        << QByteArray("a\rb\nc\r\nd") << ',' << Rows{{"a"}, {"b"}, {"c"}, {"d"}};
    QTest::newRow("CR then CRLF is an empty line")
        << QByteArray("a\r\r\nb") << ',' << Rows{{"a"}, {""}, {"b"}};
    QTest::newRow("no final line end")
        << QByteArray("a,b\nc,d") << ',' << Rows{{"a", "b"}, {"c", "d"}};
    QTest::newRow("empty file") << QByteArray() << ',' << Rows{};
    QTest::newRow("one empty line") << QByteArray("\n") << ',' << Rows{};
    QTest::newRow("one empty CRLF line") << QByteArray("\r\n") << ',' << Rows{};
    QTest::newRow("blank line between records")
        << QByteArray("a\n\nb\n") << ',' << Rows{{"a"}, {""}, {"b"}};
    QTest::newRow("blank lines at the end are no records")
        << QByteArray("Name,City\r\nAnn,Rome\r\n\r\n\n\r") << ','
        << Rows{{"Name", "City"}, {"Ann", "Rome"}};
    QTest::newRow("blank lines in the middle stay, at the end go")
        << QByteArray("a\n\n\nb\n\n") << ',' << Rows{{"a"}, {""}, {""}, {"b"}};
    QTest::newRow("quoted empty field at the end is a blank line too")
        << QByteArray("a\n\"\"\n") << ',' << Rows{{"a"}};
    QTest::newRow("ragged rows widen the table")
        << QByteArray("a\nb,c,d\ne,f\n") << ',' << Rows{{"a"}, {"b", "c", "d"}, {"e", "f"}};
    QTest::newRow("trailing delimiter") << QByteArray("a,b,\n") << ',' << Rows{{"a", "b", ""}};
    QTest::newRow("trailing delimiter at end of file")
        << QByteArray("a,") << ',' << Rows{{"a", ""}};
    QTest::newRow("only delimiters") << QByteArray(",,\n") << ',' << Rows{{"", "", ""}};
    QTest::newRow("spaces kept") << QByteArray(" a , b \n") << ',' << Rows{{" a ", " b "}};
    QTest::newRow("leading zeros and numbers stay text")
        << QByteArray("00501,007,1e5,TRUE\n") << ',' << Rows{{"00501", "007", "1e5", "TRUE"}};
    QTest::newRow("NUL byte kept")
        << QByteArray("a\0b,c", 5) << ',' << Rows{{QString::fromUtf8("a\0b", 3), "c"}};
    QTest::newRow("very long field")
        << QByteArray("\"" + longText + ",\"\"\n\"," + longText + "\n") << ','
        << Rows{{QString::fromLatin1(longText + ",\"\n"), QString::fromLatin1(longText)}};

    // Malformed quoting: nothing is dropped.
    QTest::newRow("quote inside unquoted field")
        << QByteArray("ab\"c,d\n") << ',' << Rows{{"ab\"c", "d"}};
    QTest::newRow("text after closing quote")
        << QByteArray("\"Smith\" Jr.,d\n") << ',' << Rows{{"Smith Jr.", "d"}};
    QTest::newRow("quote after closing quote is text")
        << QByteArray("\"a\"b\"c,d\n") << ',' << Rows{{"ab\"c", "d"}};
    QTest::newRow("doubled quotes then text after closing quote")
        << QByteArray("\"a\"\"b\"c\n") << ',' << Rows{{"a\"bc"}};
    QTest::newRow("unterminated quote is read as text")
        << QByteArray("a,\"bc,d\ne\n") << ',' << Rows{{"a", "\"bc", "d"}, {"e"}};
    QTest::newRow("unterminated quote with doubled quotes")
        << QByteArray("\"a\"\"b\nc") << ',' << Rows{{"\"a\"\"b"}, {"c"}};
    QTest::newRow("lone quote at end of file") << QByteArray("a,\"") << ',' << Rows{{"a", "\""}};
    QTest::newRow("unterminated quote then quoted field")
        << QByteArray("\"a,\"\"b\"\"") << ',' << Rows{{"\"a", "b\"\""}};
    QTest::newRow("closing quote at end of file") << QByteArray("\"abc\"") << ',' << Rows{{"abc"}};
}

void TestDelimited::decode()
{
    QFETCH(QByteArray, input);
    QFETCH(char, delimiter);
    QFETCH(Rows, expected);

    Table t;
    const FileStatus s = Delimited::decode(input, delimiter, t, 0);
    QVERIFY2(s, qPrintable(userText(s)));
    QCOMPARE(cellsOf(t), padded(expected));

    if (delimiter == ',') {
        // The comma import sniffs; every comma text here stays comma text.
        Table sniffed;
        Delimited::ReadInfo info;
        QVERIFY(Delimited::decode(input, Delimited::kSniff, sniffed, 0, &info));
        QCOMPARE(cellsOf(sniffed), padded(expected));
        QCOMPARE(info.delimiter, ',');
    }
}

void TestDelimited::sniffs_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<char>("delimiter");
    QTest::addColumn<Rows>("expected");

    QTest::newRow("semicolons") << QByteArray("Name;City\r\nAnn;Rome\r\n") << ';'
                                << Rows{{"Name", "City"}, {"Ann", "Rome"}};
    QTest::newRow("semicolons, commas in values")
        << QByteArray("Name;Street\nM\xc3\xbcller;Hauptstr. 1, Berlin\nLee;Elm Rd, 2\n") << ';'
        << Rows{{"Name", "Street"}, {"Müller", "Hauptstr. 1, Berlin"}, {"Lee", "Elm Rd, 2"}};
    QTest::newRow("decimal commas") << QByteArray("Name;Amount\nA;1,5\nB;2,5\n") << ';'
                                    << Rows{{"Name", "Amount"}, {"A", "1,5"}, {"B", "2,5"}};
    QTest::newRow("quoted semicolon fields")
        << QByteArray("\"a;1\";b\n\"c\nd\";e\n") << ';' << Rows{{"a;1", "b"}, {"c\nd", "e"}};
    QTest::newRow("semicolon beats TAB on a tie")
        << QByteArray("a;b\tc\nd;e\tf\n") << ';' << Rows{{"a", "b\tc"}, {"d", "e\tf"}};
    QTest::newRow("TABs in a .csv")
        << QByteArray("a\tb\tc\n1\t2\t3\n") << '\t' << Rows{{"a", "b", "c"}, {"1", "2", "3"}};
    QTest::newRow("sep=; obeyed and dropped")
        << QByteArray("sep=;\r\nName,City;X\r\n") << ';' << Rows{{"Name,City", "X"}};
    QTest::newRow("sep=, beats semicolons")
        << QByteArray("SEP=,\na;b;c\nd;e;f\n") << ',' << Rows{{"a;b;c"}, {"d;e;f"}};
    QTest::newRow("sep=\\t written out")
        << QByteArray("sep=\\t\na\tb\n") << '\t' << Rows{{"a", "b"}};
    QTest::newRow("sep= with a TAB")
        << QByteArray("sep=\t\na\tb,c\n") << '\t' << Rows{{"a", "b,c"}};
    QTest::newRow("sep line alone") << QByteArray("sep=;") << ';' << Rows{};
    // Comma files stay comma files.
    QTest::newRow("comma, semicolons in notes")
        << QByteArray("Name,Note\nAnn,a;b\nBob,c;d\n") << ','
        << Rows{{"Name", "Note"}, {"Ann", "a;b"}, {"Bob", "c;d"}};
    QTest::newRow("one column, semicolons below the title")
        << QByteArray("Name\nSmith; John\nDoe; Jane\n") << ','
        << Rows{{"Name"}, {"Smith; John"}, {"Doe; Jane"}};
    QTest::newRow("quoted semicolons in a comma file")
        << QByteArray("\"a;b\",c\n\"d;e\",f\n") << ',' << Rows{{"a;b", "c"}, {"d;e", "f"}};
    QTest::newRow("as many semicolons as commas")
        << QByteArray("a,b;c\nd,e;f\n") << ',' << Rows{{"a", "b;c"}, {"d", "e;f"}};
    QTest::newRow("sep= not alone on its line stays text")
        << QByteArray("sep=;x\n1,2\n") << ',' << Rows{{"sep=;x", ""}, {"1", "2"}};
}

void TestDelimited::sniffs()
{
    QFETCH(QByteArray, input);
    QFETCH(char, delimiter);
    QFETCH(Rows, expected);

    Table fromBytes;
    Delimited::ReadInfo info;
    QVERIFY(Delimited::decode(input, Delimited::kSniff, fromBytes, 0, &info));
    QCOMPARE(info.delimiter, delimiter);
    QCOMPARE(cellsOf(fromBytes), padded(expected));

    // The file reader looks at its first piece; UTF-16 is looked at as text.
    QTemporaryDir dir;
    for (const bool utf16 : {false, true}) {
        const QString path = dir.filePath(utf16 ? "utf16.csv" : "utf8.csv");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (utf16) {
            f.write("\xFF\xFE");
            const QString text = QString::fromUtf8(input);
            f.write(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        } else {
            f.write(input);
        }
        f.close();
        Table fromFile(1, 1);
        fromFile.setText(0, 0, u"Title");
        QVERIFY(Delimited::load(path, Delimited::kSniff, fromFile, 1, &info));
        QCOMPARE(info.delimiter, delimiter);
        Rows want = padded(expected);
        for (QStringList& row : want)
            while (row.size() < fromFile.colCount())
                row << QString();
        QCOMPARE(cellsOf(fromFile).mid(1), want);
    }
}

void TestDelimited::encodings_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<Rows>("expected");

    const QString text = QStringLiteral("Zoë,\"Ñandú, €5\"\r\n北京,𝄞\r\n");
    const Rows rows{{"Zoë", "Ñandú, €5"}, {"北京", "𝄞"}};

    QTest::newRow("UTF-8 without BOM") << text.toUtf8() << rows;
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF" + text.toUtf8()) << rows;
    QTest::newRow("UTF-8 BOM only") << QByteArray("\xEF\xBB\xBF") << Rows{};
    QTest::newRow("UTF-16 LE with BOM") << utf16(text, QStringConverter::Utf16LE) << rows;
    QTest::newRow("UTF-16 BE with BOM") << utf16(text, QStringConverter::Utf16BE) << rows;
    QTest::newRow("second BOM is text") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                                      "a")
                                        << Rows{{QStringLiteral("\uFEFFa")}};
    QTest::newRow("windows-1252") << QByteArray("Caf\xE9,\x80 5,\x93quoted\x94\n")
                                  << Rows{{"Café", "€ 5", "“quoted”"}};
    QTest::newRow("windows-1252 unassigned byte kept") << QByteArray("a\x81"
                                                                     "b\n")
                                                       << Rows{{QStringLiteral("a\u0081b")}};
    QTest::newRow("windows-1252 quoted field")
        << QByteArray("\"M\xFCller, K\",x\n") << Rows{{"Müller, K", "x"}};
    QTest::newRow("UTF-8 BOM with invalid bytes") << QByteArray("\xEF\xBB\xBF"
                                                                "a\xFF,b")
                                                  << Rows{{QStringLiteral("a\uFFFD"), "b"}};
    QTest::newRow("UTF-16 LE lone surrogates")
        << QByteArray("\xFF\xFE"
                      "a\0\x00\xD8,\0\x00\xDC\n\0",
                      12)
        << Rows{{QStringLiteral("a\uFFFD"), QStringLiteral("\uFFFD")}};
    QTest::newRow("UTF-16 BE high surrogate at the end")
        << QByteArray("\xFE\xFF\0a\xD8\x3D", 6) << Rows{{QStringLiteral("a\uFFFD")}};
    QTest::newRow("UTF-16 LE without BOM")
        << utf16(text, QStringConverter::Utf16LE).sliced(2) << rows;
    QTest::newRow("UTF-16 BE without BOM")
        << utf16(text, QStringConverter::Utf16BE).sliced(2) << rows;
    QTest::newRow("UTF-8 with a stray byte")
        << QByteArray(text.toUtf8() + "Jos\xE9,Zoë Ñandú\r\n")
        << Rows{{"Zoë", "Ñandú, €5"}, {"北京", "𝄞"}, {"Jos\uFFFD", "Zoë Ñandú"}};
    QTest::newRow("UTF-16 LE odd trailing byte") << QByteArray("\xFF\xFE"
                                                               "a\0b\0c",
                                                               7)
                                                 << Rows{{QStringLiteral("ab\uFFFD")}};
}

void TestDelimited::encodings()
{
    QFETCH(QByteArray, input);
    QFETCH(Rows, expected);

    Table t;
    QVERIFY(Delimited::decode(input, ',', t));
    QCOMPARE(cellsOf(t), padded(expected));
    for (int r = 0; r < t.rowCount(); ++r)
        for (int c = 0; c < t.colCount(); ++c)
            QVERIFY(Table::isValidUtf8(t.utf8(r, c)));
}

// Where the rows land when the table already holds something.
void TestDelimited::placement_data()
{
    QTest::addColumn<Rows>("before");
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<Rows>("expected");

    QTest::newRow("after the title row") << Rows{{"T1", "T2"}} << 1 << QByteArray("a,b\nc,d\n")
                                         << Rows{{"T1", "T2"}, {"a", "b"}, {"c", "d"}};
    QTest::newRow("narrow text keeps the table's width")
        << Rows{{"T1", "T2", "T3"}} << 1 << QByteArray("a\n") << Rows{{"T1", "T2", "T3"}, {"a"}};
    QTest::newRow("wide text widens earlier rows")
        << Rows{{"T1"}} << 1 << QByteArray("a,b,c\n") << Rows{{"T1"}, {"a", "b", "c"}};
    QTest::newRow("overwritten row loses its trailing cells")
        << Rows{{"x", "y", "z"}} << 0 << QByteArray("a\n") << Rows{{"a", "", ""}};
    QTest::newRow("later rows are kept")
        << Rows{{"x"}, {"y"}, {"z"}} << 0 << QByteArray("a\n") << Rows{{"a"}, {"y"}, {"z"}};
    QTest::newRow("gap before the first row")
        << Rows{{"T"}} << 3 << QByteArray("a\n") << Rows{{"T"}, {}, {}, {"a"}};
    QTest::newRow("empty text past the end adds rows")
        << Rows{{"T"}} << 2 << QByteArray() << Rows{{"T"}, {}};
}

void TestDelimited::placement()
{
    QFETCH(Rows, before);
    QFETCH(int, firstRow);
    QFETCH(QByteArray, input);
    QFETCH(Rows, expected);

    Table t = tableOf(before);
    t.setFormat(0, 0, CellFormat{0, true});
    QVERIFY(Delimited::decode(input, ',', t, firstRow));
    QCOMPARE(cellsOf(t), padded(expected));
    QVERIFY2(t.format(0, 0).bold, "reading text must not touch cell formats");
}

void TestDelimited::refusesOversizedInput_data()
{
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("code");

    const QByteArray wide = QByteArray(Table::kMaxCols, ',') + "\n";
    QTest::newRow("too many fields") << 0 << wide << int(FileStatus::TooManyFields);
    QTest::newRow("too many fields after good rows")
        << 0 << QByteArray("p,q,r,s\n" + wide) << int(FileStatus::TooManyFields);
    QTest::newRow("too many rows")
        << Table::kMaxRows - 2 << QByteArray("a\nb\nc\n") << int(FileStatus::TooManyRows);
    QTest::newRow("negative first row") << -1 << QByteArray("a\n") << int(FileStatus::BadFirstRow);
}

void TestDelimited::refusesOversizedInput()
{
    QFETCH(int, firstRow);
    QFETCH(QByteArray, input);
    QFETCH(int, code);

    Table t = tableOf({{"T1", "T2"}, {"x", "y"}, {"z"}});
    t.setColumn(1, ColumnAttr{1300, TypeMoney, QStringLiteral("$#,###.00")});
    const Table before = t;
    QCOMPARE(int(Delimited::decode(input, ',', t, firstRow).code), code);
    QVERIFY2(t == before, "a refused text must leave the table as it was");

    // The same through a file, also with the bad row after the first piece
    // the reader takes from the file.
    QTemporaryDir dir;
    for (const QByteArray& bytes : {input, QByteArray(3 << 19, 'a') + "\n" + input}) {
        const QString path = dir.filePath("big.csv");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        QCOMPARE(int(Delimited::load(path, ',', t, firstRow).code), code);
        QVERIFY2(t == before, "a refused file must leave the table as it was");
    }
}

void TestDelimited::refusesQuoteAsDelimiter()
{
    Table t;
    QCOMPARE(Delimited::decode("a\"b", '"', t, 0).code, FileStatus::BadDelimiter);
    QTemporaryDir dir;
    QCOMPARE(Delimited::save(t, dir.filePath("x.csv"), '\n', 0).code, FileStatus::BadDelimiter);
    QVERIFY(!QFile::exists(dir.filePath("x.csv")));
}

void TestDelimited::encode_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<char>("delimiter");
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("titles and a record") << Rows{{"Name", "City"}, {"Ann", "Rome"}} << ',' << 0
                                         << QByteArray("Name,City\r\nAnn,Rome\r\n");
    QTest::newRow("without the title row")
        << Rows{{"Name", "City"}, {"Ann", "Rome"}} << ',' << 1 << QByteArray("Ann,Rome\r\n");
    QTest::newRow("tab delimited") << Rows{{"a", "b"}} << '\t' << 0 << QByteArray("a\tb\r\n");
    // Unquoted, the first cell would read back as the comma import's sep line.
    QTest::newRow("first cell like a sep line quoted")
        << Rows{{"SEP=|"}, {"sep=|"}} << ',' << 0 << QByteArray("\"SEP=|\"\r\nsep=|\r\n");
    QTest::newRow("delimiter is quoted")
        << Rows{{"Smith, Ann", "x"}} << ',' << 0 << QByteArray("\"Smith, Ann\",x\r\n");
    QTest::newRow("comma not quoted in tab file")
        << Rows{{"Smith, Ann", "x"}} << '\t' << 0 << QByteArray("Smith, Ann\tx\r\n");
    QTest::newRow("tab quoted in tab file")
        << Rows{{"a\tb", "x"}} << '\t' << 0 << QByteArray("\"a\tb\"\tx\r\n");
    QTest::newRow("tab not quoted in comma file")
        << Rows{{"a\tb", "x"}} << ',' << 0 << QByteArray("a\tb,x\r\n");
    QTest::newRow("quotes doubled")
        << Rows{{"say \"hi\""}} << ',' << 0 << QByteArray("\"say \"\"hi\"\"\"\r\n");
    QTest::newRow("line breaks quoted as they are")
        << Rows{{"a\nb", "c\r\nd", "e\rf"}} << ',' << 0
        << QByteArray("\"a\nb\",\"c\r\nd\",\"e\rf\"\r\n");
    QTest::newRow("spaces not quoted")
        << Rows{{" a ", "b "}} << ',' << 0 << QByteArray(" a ,b \r\n");
    QTest::newRow("empty cells keep their place")
        << Rows{{"", "b", ""}, {"", "", ""}} << ',' << 0 << QByteArray(",b,\r\n,,\r\n");
    QTest::newRow("non-ASCII passes through")
        << Rows{{"Zoë", "€"}} << ',' << 0 << QString("Zoë,€\r\n").toUtf8();
    QTest::newRow("leading U+FEFF in first cell quoted")
        << Rows{{QStringLiteral("\uFEFFa"), QStringLiteral("\uFEFFb")}} << ',' << 0
        << QByteArray("\"\xEF\xBB\xBF"
                      "a\",\xEF\xBB\xBF"
                      "b\r\n");
    QTest::newRow("first row past the end") << Rows{{"a"}} << ',' << 5 << QByteArray();
}

void TestDelimited::encode()
{
    QFETCH(Rows, rows);
    QFETCH(char, delimiter);
    QFETCH(int, firstRow);
    QFETCH(QByteArray, expected);

    QCOMPARE(Delimited::encode(tableOf(rows), delimiter, firstRow), expected);
}

// The writer checks short cells in wide steps; a character that forces
// quotes must be found wherever it stands, in cells of any length.
void TestDelimited::quotingAtEveryPosition_data()
{
    QTest::addColumn<char>("delimiter");
    QTest::addColumn<char>("special");
    QTest::addColumn<bool>("quoted");

    QTest::newRow("comma in comma file") << ',' << ',' << true;
    QTest::newRow("quote in comma file") << ',' << '"' << true;
    QTest::newRow("CR in comma file") << ',' << '\r' << true;
    QTest::newRow("LF in comma file") << ',' << '\n' << true;
    QTest::newRow("TAB in comma file") << ',' << '\t' << false;
    QTest::newRow("TAB in TAB file") << '\t' << '\t' << true;
    QTest::newRow("quote in TAB file") << '\t' << '"' << true;
    QTest::newRow("comma in TAB file") << '\t' << ',' << false;
}

void TestDelimited::quotingAtEveryPosition()
{
    QFETCH(char, delimiter);
    QFETCH(char, special);
    QFETCH(bool, quoted);

    for (int length = 1; length <= 40; ++length) {
        for (int at = 0; at < length; ++at) {
            QByteArray cell(length, 'x');
            cell[at] = special;
            Table t(1, 1);
            t.setUtf8(0, 0, cell);
            QByteArray expected = cell;
            if (quoted)
                expected = '"' + cell.replace("\"", "\"\"") + '"';
            QCOMPARE(Delimited::encode(t, delimiter), expected + "\r\n");
        }
    }
}

void TestDelimited::roundTrip_data()
{
    QTest::addColumn<char>("delimiter");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<quint32>("seed");

    QTest::newRow("comma small") << ',' << 3 << 4 << 1u;
    QTest::newRow("comma one column") << ',' << 40 << 1 << 2u;
    QTest::newRow("comma wide") << ',' << 30 << 60 << 3u;
    QTest::newRow("tab small") << '\t' << 3 << 4 << 4u;
    QTest::newRow("tab one column") << '\t' << 40 << 1 << 5u;
    QTest::newRow("tab many rows") << '\t' << 2000 << 10 << 6u;
}

void TestDelimited::roundTrip()
{
    QFETCH(char, delimiter);
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(quint32, seed);

    // table -> text -> table keeps every cell
    const Table original = generatedTable(rows, cols, seed);
    const QByteArray text = Delimited::encode(original, delimiter);
    Table back;
    QVERIFY(Delimited::decode(text, delimiter, back));
    if (back.colCount() < cols) // a table whose last columns are empty reads back narrower
        back.setColCount(cols);
    QCOMPARE(cellsOf(back), cellsOf(original));

    // text -> table -> text gives the same bytes
    QCOMPARE(Delimited::encode(back, delimiter), text);
}

void TestDelimited::nativeRoundTrip_data()
{
    QTest::addColumn<char>("delimiter");
    QTest::newRow("comma") << ',';
    QTest::newRow("tab") << '\t';
}

void TestDelimited::nativeRoundTrip()
{
    QFETCH(char, delimiter);

    // native -> text -> native: the cells survive (formats do not travel
    // through text, so only cells are compared)
    Table original = generatedTable(50, 8, 42);
    original.setColumn(2, ColumnAttr{900, TypeDate, QStringLiteral("mm/dd/yyyy")});
    Table fromNative;
    QVERIFY(NativeFile::decode(NativeFile::encode(original), fromNative));
    Table viaText;
    QVERIFY(Delimited::decode(Delimited::encode(fromNative, delimiter), delimiter, viaText));
    QCOMPARE(cellsOf(viaText), cellsOf(original));

    // text -> native -> text: byte for byte
    const QByteArray text = Delimited::encode(generatedTable(60, 6, 7), delimiter);
    Table first;
    QVERIFY(Delimited::decode(text, delimiter, first));
    Table second;
    QVERIFY(NativeFile::decode(NativeFile::encode(first), second));
    QCOMPARE(Delimited::encode(second, delimiter), text);
}

void TestDelimited::files()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("book.csv");

    // Saving writes a megabyte at a time: small and large tables, and a
    // cell larger than that, must come out as encode() gives them.
    Table huge = generatedTable(3, 3, 10);
    huge.setUtf8(1, 1, QByteArray(3 << 20, 'h') + ",\"");
    for (const Table& original : {generatedTable(20, 5, 9), generatedTable(30000, 10, 11), huge}) {
        QVERIFY(Delimited::save(original, path, ',', 1));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), Delimited::encode(original, ',', 1));
        f.close();

        QVERIFY(Delimited::save(original, path, ',', 0));
        Table back;
        QVERIFY(Delimited::load(path, ',', back, 0));
        QCOMPARE(cellsOf(back), cellsOf(original));
    }

    Table untouched = tableOf({{"keep"}});
    const FileStatus s = Delimited::load(dir.filePath("missing.csv"), ',', untouched, 0);
    QCOMPARE(s.code, FileStatus::Io);
    QVERIFY(!userText(s).isEmpty());
    QCOMPARE(cellsOf(untouched), (Rows{{"keep"}}));
}

void TestDelimited::saveFailsCleanly()
{
    QTemporaryDir dir;
    // A path below a regular file cannot be created, even by root.
    const QString blocker = dir.filePath("blocker");
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old content");
    }
    const FileStatus s = Delimited::save(tableOf({{"a"}}), blocker + "/x.csv", ',', 0);
    QCOMPARE(s.code, FileStatus::Io);
    QVERIFY(!userText(s).isEmpty());

    // Saving over an existing file replaces it whole.
    QVERIFY(Delimited::save(tableOf({{"new"}}), blocker, ',', 0));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("new\r\n"));
}

// Files are read a piece (1 MiB) at a time: whatever falls on the border
// between two pieces must read exactly as the same text held in memory.
void TestDelimited::largeFiles_data()
{
    QTest::addColumn<QByteArray>("special"); // text whose byte `splitAt` starts the second piece
    QTest::addColumn<int>("splitAt");
    QTest::addColumn<QByteArray>("bom");

    const QByteArray none;
    const QByteArray utf8Bom("\xEF\xBB\xBF");
    QTest::newRow("CRLF split") << QByteArray("a,b\r\nc") << 4 << none;
    QTest::newRow("lone CR at piece end") << QByteArray("a\rb") << 2 << none;
    QTest::newRow("doubled quote split") << QByteArray("\"x\"\"y\",z") << 3 << none;
    QTest::newRow("closing quote at piece end") << QByteArray("\"x\",z") << 3 << none;
    QTest::newRow("text after closing quote split") << QByteArray("\"x\"yz,w") << 4 << none;
    QTest::newRow("plain field split") << QByteArray("abc,def") << 5 << none;
    QTest::newRow("delimiter at piece end") << QByteArray("abc,def") << 4 << none;
    QTest::newRow("quoted line break split") << QByteArray("\"a\r\nb\",c") << 3 << none;
    QTest::newRow("character split") << QString("Zoë,x").toUtf8() << 3 << none;
    QTest::newRow("with UTF-8 BOM") << QString("Zoë,x").toUtf8() << 1 << utf8Bom;
    QTest::newRow("BOM and invalid byte in a later piece") << QByteArray("a\xFF,x") << 1 << utf8Bom;
    QTest::newRow("windows-1252 in a later piece") << QByteArray("Caf\xE9,x") << 0 << none;
    QTest::newRow("windows-1252 in a later piece, first row again")
        << QByteArray("\x93q\x94,x") << 2 << none;
    QTest::newRow("row longer than a piece")
        << QByteArray("\"" + QByteArray(3 << 20, ',') + "\",x") << 100 << none;
    QTest::newRow("unterminated quote in a later piece")
        << QByteArray("\"abc,def\r\nghi") << 2 << none;
}

void TestDelimited::largeFiles()
{
    QFETCH(QByteArray, special);
    QFETCH(int, splitAt);
    QFETCH(QByteArray, bom);

    const qsizetype piece = qsizetype(1) << 20;
    // The first rows fill the first piece up to the split point.
    QByteArray bytes = bom + "first,row\r\n";
    QByteArray pad(piece - bytes.size() - splitAt - 2, 'p');
    for (qsizetype i = 100; i < pad.size(); i += 100)
        pad[i] = ',';
    bytes += pad + "\r\n" + special + "\r\nlast,row\r\n";
    QCOMPARE(bytes.indexOf(special), piece - splitAt);

    QTemporaryDir dir;
    const QString path = dir.filePath("big.csv");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
    f.close();

    Table fromFile = tableOf({{"title"}});
    Table fromMemory = fromFile;
    QVERIFY(Delimited::load(path, ',', fromFile, 1));
    QVERIFY(Delimited::decode(bytes, ',', fromMemory, 1));
    QVERIFY(fromFile.rowCount() >= 5);
    QCOMPARE(fromFile.text(1, 0), QStringLiteral("first"));
    QCOMPARE(cellsOf(fromFile), cellsOf(fromMemory));
}

// Every encoding a document can be written back in: the text is the UTF-8
// output converted, behind the encoding's byte order mark, in memory and in
// a file (which is written a megabyte at a time, so a cell of multi-byte
// characters larger than that crosses a piece border).
void TestDelimited::writeEncodings_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("codec"); // "" = UTF-8
    QTest::addColumn<QByteArray>("bom");
    QTest::newRow("UTF-8") << int(TextEncoding::Utf8) << QByteArray() << QByteArray();
    QTest::newRow("UTF-8 BOM") << int(TextEncoding::Utf8Bom) << QByteArray()
                               << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("UTF-16 LE") << int(TextEncoding::Utf16LE) << QByteArray("UTF-16LE")
                               << QByteArray("\xFF\xFE");
    QTest::newRow("UTF-16 BE") << int(TextEncoding::Utf16BE) << QByteArray("UTF-16BE")
                               << QByteArray("\xFE\xFF");
    QTest::newRow("windows-1252") << int(TextEncoding::Windows1252) << QByteArray("windows-1252")
                                  << QByteArray();
}

void TestDelimited::writeEncodings()
{
    QFETCH(int, encoding);
    QFETCH(QByteArray, codec);
    QFETCH(QByteArray, bom);
    const auto enc = TextEncoding(encoding);
    Table t = generatedTable(3000, 6, 21);
    if (enc == TextEncoding::Windows1252) {
        // Only what windows-1252 holds.
        for (int r = 0; r < t.rowCount(); ++r)
            for (int c = 0; c < t.colCount(); ++c)
                if (t.text(r, c).contains(QStringLiteral("\U0001D11E")) ||
                    t.text(r, c).contains(QChar(0xFEFF)))
                    t.setText(r, c, QStringLiteral("\u0152uvre \u2122 \u00ff"));
    }
    t.setText(1, 1, QString(600 * 1024, QChar(0x00e9)) + QStringLiteral("\u20ac,"));
    QVERIFY(Delimited::canEncode(t, enc));

    const QByteArray utf8 = Delimited::encode(t, ',');
    QByteArray expected = utf8;
    if (!codec.isEmpty()) {
        QStringEncoder encoder(codec.constData());
        QVERIFY(encoder.isValid());
        expected = encoder(QString::fromUtf8(utf8));
        QVERIFY(!encoder.hasError());
    }
    expected.prepend(bom);
    QCOMPARE(Delimited::encode(t, ',', 0, enc), expected);

    QTemporaryDir dir;
    const QString path = dir.filePath("out.csv");
    const FileStatus s = Delimited::save(t, path, ',', 0, enc);
    QVERIFY2(s, qPrintable(userText(s)));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll() == expected);
}

// The writer's own windows-1252 table against the reader's: every byte
// read as windows-1252 is written back as that byte.
void TestDelimited::windows1252EveryByte()
{
    QByteArray bytes;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n' && b != '"' && b != ',')
            bytes += char(b);
    QStringDecoder decoder("windows-1252");
    const QString text = decoder(bytes);
    QCOMPARE(text.size(), bytes.size());
    Table t(1, 1);
    t.setText(0, 0, text);
    QVERIFY(Delimited::canEncode(t, TextEncoding::Windows1252));
    QCOMPARE(Delimited::encode(t, ',', 0, TextEncoding::Windows1252), bytes + "\r\n");
}

// A character windows-1252 lacks fails the save instead of becoming "?",
// and the old file stays.
void TestDelimited::unencodableNotWritten()
{
    for (const QString& cell : {QStringLiteral("\u03a9"), QStringLiteral("\U0001D11E"),
                                QStringLiteral("\u0080"), QStringLiteral("\ufffd")}) {
        const Table t = tableOf({{"Zo\u00eb", "ok"}, {"x", cell}});
        QVERIFY(!Delimited::canEncode(t, TextEncoding::Windows1252));
        QVERIFY(Delimited::canEncode(t, TextEncoding::Utf16LE));
        QVERIFY(Delimited::canEncode(t, TextEncoding::Windows1252, 2)); // rows from 2 on: none
        QCOMPARE(Delimited::encode(t, ',', 0, TextEncoding::Windows1252), QByteArray());

        QTemporaryDir dir;
        const QString path = dir.filePath("old.csv");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old");
        f.close();
        const FileStatus s = Delimited::save(t, path, ',', 0, TextEncoding::Windows1252);
        QCOMPARE(s.code, FileStatus::Unencodable);
        QCOMPARE(userText(s), QStringLiteral("Row 2 holds a character that windows-1252 cannot "
                                             "hold."));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.csv"});
    }
}

// 200,000 rows of 16,384 empty cells make 3.3 GB of commas: after the
// first failed write nothing more is formatted.
void TestDelimited::saveStopsAtFirstFailedWrite()
{
    QTemporaryDir dir;
    const Table t(200000, Table::kMaxCols);
    const QString path = dir.filePath("wide.csv");
    QCOMPARE(saveLimited(t, path, 64 * 1024), QByteArray(::strerror(EFBIG)) + ", quickly");
    QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// Text that cannot fit the file system is refused before a byte is
// written; text that just fits is saved. (The file-size limit only keeps a
// faulty writer from filling the disk.)
void TestDelimited::saveRefusedBeyondFreeSpace()
{
    QTemporaryDir dir;
    const Table t = tableOf({{"Name", "City"}, {"Ann", "Rome"}});
    const QString path = dir.filePath("small.csv");
    const qint64 size = Delimited::encode(t, ',').size();
    QCOMPARE(size, 21);
    const FileStatus s = Delimited::save(t, path, ',', 0, TextEncoding::Utf8, roomFor(size - 1));
    QCOMPARE(userText(s),
             QString(::strerror(ENOSPC)) + " (the file needs 21 bytes, 20 bytes are free)");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    QVERIFY(Delimited::save(t, path, ',', 0, TextEncoding::Utf8, roomFor(size)));
    QCOMPARE(QFileInfo(path).size(), size);
}

// How a text was read, the same from memory and from a file, also when the
// first bad byte lies beyond the first piece the file is read in.
void TestDelimited::readInfo_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<int>("replaced");
    QTest::addColumn<int>("firstBadLine");

    const QByteArray names = QString("Zoë,Ñandú\r\nJosé,Köln\r\n").toUtf8(); // 10 non-ASCII bytes
    const QByteArray far = QByteArray(3 << 19, 'x') + "\n";
    QTest::newRow("plain UTF-8") << names << int(TextEncoding::Utf8) << 0 << 0;
    QTest::newRow("UTF-8 with BOM")
        << "\xEF\xBB\xBF" + names << int(TextEncoding::Utf8Bom) << 0 << 0;
    QTest::newRow("one bad byte in ten") << names + "a\rb\xE9" << int(TextEncoding::Utf8) << 1 << 4;
    QTest::newRow("quoted line breaks count as lines")
        << names + "\"a\r\nb\n\rc\xFF\"" << int(TextEncoding::Utf8) << 1 << 6;
    QTest::newRow("bad byte in a later piece")
        << names + far + "\xFF" << int(TextEncoding::Utf8) << 1 << 4;
    QTest::newRow("two bad bytes in twelve are windows-1252")
        << names + "\xE9\xE9" << int(TextEncoding::Windows1252) << 0 << 0;
    QTest::newRow("windows-1252 in a later piece")
        << far + "Caf\xE9" << int(TextEncoding::Windows1252) << 0 << 0;
    QTest::newRow("marked UTF-8 is never windows-1252")
        << QByteArray("\xEF\xBB\xBF\xE9\n\xE9") << int(TextEncoding::Utf8Bom) << 2 << 1;
    QTest::newRow("UTF-16 BE") << utf16("a,b", QStringConverter::Utf16BE)
                               << int(TextEncoding::Utf16BE) << 0 << 0;
    QTest::newRow("UTF-16 LE without BOM in a later piece")
        << utf16(QString(far + "é"), QStringConverter::Utf16LE).sliced(2)
        << int(TextEncoding::Utf16LE) << 0 << 0;
    // Half the units hold a zero, always in the second byte, as UTF-16 LE
    // would; the others would join two letters into one CJK character.
    QTest::newRow("UTF-8 with stray zero bytes is not UTF-16")
        << QByteArray("N\0ame\0,Ci\0ty\r\0\nAn\0n,R\0ome\0\r\n", 28) << int(TextEncoding::Utf8) << 0
        << 0;
    QTest::newRow("odd length is not UTF-16")
        << QByteArray("a\0b\0c", 5) << int(TextEncoding::Utf8) << 0 << 0;
}

void TestDelimited::readInfo()
{
    QFETCH(QByteArray, input);
    QFETCH(int, encoding);
    QFETCH(int, replaced);
    QFETCH(int, firstBadLine);

    Table fromMemory;
    Delimited::ReadInfo info;
    QVERIFY(Delimited::decode(input, ',', fromMemory, 0, &info));
    QCOMPARE(int(info.encoding), encoding);
    QCOMPARE(int(info.replacedBytes), replaced);
    QCOMPARE(info.firstBadLine, firstBadLine);

    QTemporaryDir dir;
    const QString path = dir.filePath("in.csv");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(input);
    f.close();
    Table fromFile;
    Delimited::ReadInfo fileInfo;
    QVERIFY(Delimited::load(path, ',', fromFile, 0, &fileInfo));
    QCOMPARE(int(fileInfo.encoding), encoding);
    QCOMPARE(int(fileInfo.replacedBytes), replaced);
    QCOMPARE(fileInfo.firstBadLine, firstBadLine);
    QCOMPARE(cellsOf(fromFile), cellsOf(fromMemory));
}

// Neither reader opens what is not a regular file, nor one beyond the size
// limit; a FIFO without a writer must not block them.
void TestDelimited::readersRefuseNonFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("FIFO") << "fifo" << int(FileStatus::NotRegular) << "fifo is not a regular file";
    QTest::newRow("device") << "/dev/zero" << int(FileStatus::NotRegular)
                            << "zero is not a regular file";
    QTest::newRow("folder") << "folder" << int(FileStatus::NotRegular)
                            << "folder is not a regular file";
    QTest::newRow("3 GiB sparse file")
        << "big" << int(FileStatus::InputTooLarge)
        << "The file is larger than 2 GiB, the largest file that can be opened.";
}

void TestDelimited::readersRefuseNonFiles()
{
    QFETCH(QString, kind);
    QFETCH(int, code);
    QFETCH(QString, text);

    QTemporaryDir dir;
    QString path = kind.startsWith('/') ? kind : dir.filePath(kind);
    if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (kind == "folder")
        QVERIFY(QDir(dir.path()).mkdir(kind));
    if (kind == "big") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(qint64(3) << 30));
    }
    QCOMPARE(inChild(20, [&] { return readerCodes(path); }), code | code << 4);
    Table t;
    QCOMPARE(userText(Delimited::load(path, ',', t)), text);
}

// Under an address-space limit smaller than the input needs, a read fails
// with a status rather than ending the process with std::bad_alloc, and the
// table is left as it was.
void TestDelimited::readersSurviveMemoryLimit()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address sanitizer reserves more address space than the limit allows");
#else
    QTemporaryDir dir;
    const QString text = dir.filePath("huge.csv");
    const QString native = dir.filePath("huge.cvt");
    // Three times the room the child has left (below), and sparse: the
    // readers run out of memory long before the end, whatever the disk.
    const qint64 size = qint64(3) << 28;
    for (const QString& path : {text, native}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (path == native) // a header that claims one row; the zeros are damage
            f.write(QByteArray("\x89"
                               "CVT\r\n\x1a\n\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0",
                               24));
        QVERIFY(f.resize(size));
    }
    // The alarm only ends a reader that hangs; a sound one takes seconds.
    auto limited = [](const std::function<int()>& body) {
        return inChild(600, [&] {
            const rlim_t room = addressSpace() + (rlim_t(256) << 20);
            const rlimit limit{room, room};
            if (::setrlimit(RLIMIT_AS, &limit) != 0)
                return 99;
            return body();
        });
    };
    const int textCode = limited([&] {
        Table t(1, 1);
        t.setText(0, 0, QStringLiteral("kept"));
        const int code = Delimited::load(text, ',', t).code;
        return t.text(0, 0) == QStringLiteral("kept") && t.rowCount() == 1 ? code : 98;
    });
    QCOMPARE(textCode, int(FileStatus::OutOfMemory));
    const int nativeCode = limited([&] {
        Table t;
        return int(NativeFile::load(native, t).code);
    });
    QVERIFY2(nativeCode == FileStatus::Damaged || nativeCode == FileStatus::OutOfMemory,
             qPrintable(QString::number(nativeCode)));
#endif
}

QTEST_GUILESS_MAIN(TestDelimited)
#include "tst_delimited.moc"
