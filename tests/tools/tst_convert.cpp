#include "../support/converter.h"
#include "../support/testfiles.h"
#include "files/nativefile.h"
#include "grid/table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace corvanta;

namespace {

const QByteArray kCsv = QByteArray("Name,City,Zip Code,Balance\r\n"
                                   "Ann,Rome,00501,12.5\r\n"
                                   "\"Smith, Bo\",\"Line\r\nbreak\",,\"say \"\"hi\"\"\"\r\n");

} // namespace

class TestConvert : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void roundTrip_data();
    void roundTrip();
    void withoutTitles();
    void layout();
    void asShown();
    void failures_data();
    void failures();
    void specialTargets_data();
    void specialTargets();
    void replacedFileKeepsModeAndNoTemp();
    void writeFailureNamesCause_data();
    void writeFailureNamesCause();
    void help();
    void shippedFiles();
    void specialInputs_data();
    void specialInputs();
    void badBytes_data();
    void badBytes();
    void vcardAndDelimiters_data();
    void vcardAndDelimiters();

  private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

void TestConvert::init()
{
    QVERIFY(m_dir.isValid());
    QDir(m_dir.path()).removeRecursively();
    QVERIFY(QDir().mkpath(m_dir.path()));
}

// The text survives a trip through the native format byte for byte, in
// whichever way the formats are named.
void TestConvert::roundTrip_data()
{
    QTest::addColumn<QString>("textName");
    QTest::addColumn<QString>("nativeName");
    QTest::addColumn<QStringList>("toNativeOptions");
    QTest::addColumn<QStringList>("toTextOptions");
    QTest::addColumn<char>("delimiter");

    QTest::newRow("csv by extension") << "in.csv"
                                      << "book.cvt" << QStringList() << QStringList() << ',';
    QTest::newRow("tab by .txt") << "in.txt"
                                 << "book.cvt" << QStringList() << QStringList() << '\t';
    QTest::newRow("tab by .tsv into .vti") << "in.tsv"
                                           << "tips.vti" << QStringList() << QStringList() << '\t';
    QTest::newRow("formats by option")
        << "in.dat"
        << "book.bin" << QStringList{"--from", "csv", "--to", "native"}
        << QStringList{"--from=native", "--to=csv"} << ',';
    QTest::newRow("option overrides extension")
        << "in.csv"
        << "book.cvt" << QStringList{"--from", "tab"} << QStringList{"--to", "tab"} << '\t';
}

void TestConvert::roundTrip()
{
    QFETCH(QString, textName);
    QFETCH(QString, nativeName);
    QFETCH(QStringList, toNativeOptions);
    QFETCH(QStringList, toTextOptions);
    QFETCH(char, delimiter);

    QByteArray text = kCsv;
    if (delimiter == '\t')
        text.replace(',', '\t');
    writeFile(path(textName), text);

    ConvertResult r = convert(toNativeOptions + QStringList{path(textName), path(nativeName)});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);

    Table t;
    QVERIFY(NativeFile::load(path(nativeName), t));
    QCOMPARE(t.rowCount(), 3);
    QCOMPARE(t.colCount(), 4);
    QCOMPARE(t.text(0, 2), QStringLiteral("Zip Code"));
    QCOMPARE(t.text(1, 2), QStringLiteral("00501"));
    QCOMPARE(t.text(2, 1), QStringLiteral("Line\r\nbreak"));

    const QString back = path("back." + QFileInfo(textName).suffix());
    r = convert(toTextOptions + QStringList{path(nativeName), back});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(readFile(back), text);
}

void TestConvert::withoutTitles()
{
    writeFile(path("in.csv"), "Ann,Rome\r\nBo,Oslo\r\n");
    QCOMPARE(convert({"--no-titles", path("in.csv"), path("book.cvt")}).exitCode, 0);
    Table t;
    QVERIFY(NativeFile::load(path("book.cvt"), t));
    QCOMPARE(t.rowCount(), 3); // an empty title row, then both lines as records
    QCOMPARE(t.text(0, 0), QString());
    QCOMPARE(t.text(1, 0), QStringLiteral("Ann"));
    QCOMPARE(t.text(2, 1), QStringLiteral("Oslo"));

    QCOMPARE(convert({"--no-titles", path("book.cvt"), path("out.csv")}).exitCode, 0);
    QCOMPARE(readFile(path("out.csv")), QByteArray("Ann,Rome\r\nBo,Oslo\r\n"));
}

void TestConvert::layout()
{
    writeFile(path("in.csv"), kCsv);
    writeFile(path("book.layout"), "# widths and types\n"
                                   "column Name width=1200 title=\"Full Name\"\n"
                                   "column 1 width=900 hidden   # by number\n"
                                   "column \"zip code\" type=text align=left\n"
                                   "column Balance type=money format=\"$#,###.00\" align=7\n"
                                   "\n"
                                   "cell 1 0 bold italic fore=#C00000 back=#FFFFC0\n"
                                   "cell 2 Balance underline size=12 align=center\n"
                                   "row 2 height=480\r\n");
    const ConvertResult r =
        convert({"--layout", path("book.layout"), path("in.csv"), path("book.cvt")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);

    Table t;
    QVERIFY(NativeFile::load(path("book.cvt"), t));
    QCOMPARE(t.text(0, 0), QStringLiteral("Full Name"));
    QCOMPARE(t.column(0), (ColumnAttr{1200, TypeNone, QString(), AlignGeneral, false}));
    QCOMPARE(t.column(1), (ColumnAttr{900, TypeNone, QString(), AlignGeneral, true}));
    QCOMPARE(t.column(2), (ColumnAttr{-1, TypeText, QString(), AlignLeft, false}));
    QCOMPARE(t.column(3), (ColumnAttr{-1, TypeMoney, QStringLiteral("$#,###.00"), AlignRight}));

    const CellFormat name = t.format(1, 0);
    QVERIFY(name.bold && name.italic && !name.underline);
    QCOMPARE(name.fields, uint8_t(CellFormat::HasFore | CellFormat::HasBack));
    QCOMPARE(name.fore, 0x0000C0u); // #RRGGBB is stored as 0x00BBGGRR
    QCOMPARE(name.back, 0xC0FFFFu);
    const CellFormat balance = t.format(2, 3);
    QVERIFY(balance.underline && !balance.bold);
    QCOMPARE(balance.fontSize, 12.0f);
    QCOMPARE(int(balance.align), int(AlignCenter));
    QVERIFY(t.format(1, 1).isDefault());
    QCOMPARE(t.rowHeight(2), 480);
    QCOMPARE(t.rowHeight(1), -1);
}

void TestConvert::asShown()
{
    writeFile(path("in.csv"), "Name,Balance,Born,Member,Share\r\n"
                              "Ann,1250,2026-12-08,-1,0.125\r\n"
                              "Bo,n/a,soon,,-1234.5\r\n");
    writeFile(path("l.layout"), "column Balance type=money format=\"$#,###.00\"\n"
                                "column Born type=date format=\"dd-Mmm-yyyy\"\n"
                                "column Member type=checkbox\n"
                                "column Share type=number format=\"#,###.00\"\n");
    const ConvertResult r =
        convert({"--layout", path("l.layout"), "--as-shown", path("in.csv"), path("out.csv")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(readFile(path("out.csv")), QByteArray("Name,Balance,Born,Member,Share\r\n"
                                                   "Ann,\"$1,250.00\",08-Dec-2026,True,.13\r\n"
                                                   "Bo,n/a,soon,False,\"-1,234.50\"\r\n"));
    // Without the option the stored values go out unchanged.
    QCOMPARE(convert({"--layout", path("l.layout"), path("in.csv"), path("out.csv")}).exitCode, 0);
    QVERIFY(readFile(path("out.csv")).contains("Ann,1250,2026-12-08,-1,0.125"));
}

void TestConvert::failures_data()
{
    QTest::addColumn<QStringList>("args");  // IN, OUT, LAYOUT stand for files in the test folder
    QTest::addColumn<QByteArray>("input");  // written to IN unless empty
    QTest::addColumn<QByteArray>("layout"); // written to LAYOUT unless empty
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // start of stderr; IN/OUT/LAYOUT replaced too

    const QByteArray native = [] {
        Table t(3, 2);
        t.setText(1, 1, QStringLiteral("x"));
        return NativeFile::encode(t);
    }();

    QTest::newRow("missing input") << QStringList{"IN.csv", "OUT.cvt"} << QByteArray()
                                   << QByteArray() << 1 << "corvanta-convert: IN.csv: ";
    QTest::newRow("input is a folder")
        << QStringList{".", "OUT.cvt", "--from", "csv"} << QByteArray() << QByteArray() << 1
        << "corvanta-convert: .: ";
    QTest::newRow("malformed native input")
        << QStringList{"IN.cvt", "OUT.csv"} << QByteArray("not a native file at all")
        << QByteArray() << 1 << "corvanta-convert: IN.cvt: ";
    QTest::newRow("truncated native input")
        << QStringList{"IN.cvt", "OUT.csv"} << native.left(native.size() - 3) << QByteArray() << 1
        << "corvanta-convert: IN.cvt: ";
    QTest::newRow("output below a file")
        << QStringList{"IN.csv", "IN.csv/sub.cvt"} << QByteArray("a\n") << QByteArray() << 1
        << "corvanta-convert: IN.csv/sub.cvt: ";
    QTest::newRow("output is a folder")
        << QStringList{"IN.csv", ".", "--to", "native"} << QByteArray("a\n") << QByteArray() << 1
        << "corvanta-convert: .: ";
    QTest::newRow("missing layout")
        << QStringList{"IN.csv", "OUT.cvt", "--layout", "LAYOUT"} << QByteArray("a\n")
        << QByteArray() << 1 << "corvanta-convert: LAYOUT: ";
    QTest::newRow("unknown layout statement")
        << QStringList{"IN.csv", "OUT.cvt", "--layout", "LAYOUT"} << QByteArray("a\n")
        << QByteArray("column a width=10\n\ncolumns a\n") << 1
        << "corvanta-convert: LAYOUT: line 3: unknown statement";
    QTest::newRow("layout names a missing column")
        << QStringList{"IN.csv", "OUT.cvt", "--layout", "LAYOUT"} << QByteArray("a,b\n")
        << QByteArray("column 2 width=10\n") << 1
        << "corvanta-convert: LAYOUT: line 1: column 2 does not exist";
    QTest::newRow("layout names a missing title")
        << QStringList{"IN.csv", "OUT.cvt", "--layout", "LAYOUT"} << QByteArray("a,b\n")
        << QByteArray("column Phone width=10\n") << 1
        << "corvanta-convert: LAYOUT: line 1: no column is titled \"Phone\"";
    QTest::newRow("layout bad type")
        << QStringList{"IN.csv", "OUT.cvt", "--layout", "LAYOUT"} << QByteArray("a\n")
        << QByteArray("column a type=currency\n") << 1
        << "corvanta-convert: LAYOUT: line 1: bad value \"currency\" for type";
    QTest::newRow("layout bad colour")
        << QStringList{"IN.csv", "OUT.cvt", "--layout", "LAYOUT"} << QByteArray("a\nb\n")
        << QByteArray("cell 1 0 fore=red\n") << 1
        << "corvanta-convert: LAYOUT: line 1: bad value \"red\" for fore";
    QTest::newRow("layout row out of range")
        << QStringList{"IN.csv", "OUT.cvt", "--layout", "LAYOUT"} << QByteArray("a\nb\n")
        << QByteArray("row 2 height=480\n") << 1
        << "corvanta-convert: LAYOUT: line 1: row 2 does not exist";
    QTest::newRow("layout open quote")
        << QStringList{"IN.csv", "OUT.cvt", "--layout", "LAYOUT"} << QByteArray("a\n")
        << QByteArray("column \"a width=1\n") << 1
        << "corvanta-convert: LAYOUT: line 1: missing closing quote";

    QTest::newRow("no operands") << QStringList() << QByteArray() << QByteArray() << 2
                                 << "corvanta-convert: missing file operand";
    QTest::newRow("one operand") << QStringList{"IN.csv"} << QByteArray("a\n") << QByteArray() << 2
                                 << "corvanta-convert: missing file operand";
    QTest::newRow("three operands")
        << QStringList{"IN.csv", "OUT.cvt", "x.cvt"} << QByteArray("a\n") << QByteArray() << 2
        << "corvanta-convert: too many file operands";
    QTest::newRow("unknown option")
        << QStringList{"--fast", "IN.csv", "OUT.cvt"} << QByteArray("a\n") << QByteArray() << 2
        << "corvanta-convert: unknown option '--fast'";
    QTest::newRow("unknown format")
        << QStringList{"--to", "xls", "IN.csv", "OUT.cvt"} << QByteArray("a\n") << QByteArray() << 2
        << "corvanta-convert: unknown format 'xls'";
    QTest::newRow("option without value")
        << QStringList{"IN.csv", "OUT.cvt", "--layout"} << QByteArray("a\n") << QByteArray() << 2
        << "corvanta-convert: option --layout needs a value";
    QTest::newRow("option with an empty value")
        << QStringList{"IN.csv", "OUT.cvt", "--layout="} << QByteArray("a\n") << QByteArray() << 2
        << "corvanta-convert: option --layout needs a value";
    QTest::newRow("unknown extension")
        << QStringList{"IN.csv", "OUT.xls"} << QByteArray("a\n") << QByteArray() << 2
        << "corvanta-convert: cannot tell the format of 'OUT.xls'";
}

// Every failure says why on stderr, exits non-zero, and leaves whatever
// stood at the output path untouched.
void TestConvert::failures()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, layout);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QDir::setCurrent(m_dir.path());
    auto expand = [&](QString s) {
        return s.replace("LAYOUT", path("lay"))
            .replace("IN", path("in"))
            .replace("OUT", path("out"));
    };
    QString in, out;
    for (QString& a : args) {
        a = expand(a);
        if (a.startsWith(path("in")))
            in = in.isEmpty() ? a : in;
    }
    if (!input.isEmpty())
        writeFile(in, input);
    if (!layout.isEmpty())
        writeFile(path("lay"), layout);
    // An old output file must survive any failure.
    const QStringList outputs{path("out.cvt"), path("out.csv"), path("x.cvt"), path("out.xls")};
    for (const QString& o : outputs)
        writeFile(o, "old " + o.toUtf8());

    const ConvertResult r = convert(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.startsWith(expand(message)), qPrintable(r.err));
    QVERIFY(r.err.endsWith(u'\n'));
    QCOMPARE(r.out, QString());
    for (const QString& o : outputs)
        QCOMPARE(readFile(o), "old " + o.toUtf8());
    // Nothing else is left behind, not even a temporary file.
    const QStringList expected{"in.csv", "in.cvt", "lay", "out.cvt", "out.csv", "x.cvt", "out.xls"};
    const QStringList left =
        QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : left)
        QVERIFY2(expected.contains(name), qPrintable(name));
}

void TestConvert::specialTargets_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    for (const char* kind : {"fifo", "symlink loop", "char device"})
        QTest::newRow(kind) << kind << "out.csv is not a regular file";
    QTest::newRow("read-only file") << "read-only"
                                    << "out.csv is read-only";
}

// Whatever stands at OUT and is not a writable regular file is refused and
// left exactly as it was.
void TestConvert::specialTargets()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    writeFile(path("in.csv"), kCsv);
    const QString out = path("out.csv");
    const QByteArray o = QFile::encodeName(out);
    bool made = false;
    if (kind == "fifo")
        made = ::mkfifo(o.constData(), 0644) == 0;
    else if (kind == "symlink loop")
        made = ::symlink(o.constData(), o.constData()) == 0;
    else if (kind == "char device") // our own node with the null device's numbers
        made = ::geteuid() == 0 && ::mknod(o.constData(), S_IFCHR | 0644, makedev(1, 3)) == 0;
    else if (kind == "read-only") {
        writeFile(out, "old");
        made = ::chmod(o.constData(), 0444) == 0;
    }
    if (!made)
        QSKIP("cannot make this kind of file here");
    struct stat before = {}, after = {};
    QCOMPARE(::lstat(o.constData(), &before), 0);

    const ConvertResult r = convert({path("in.csv"), out});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, QStringLiteral("corvanta-convert: %1: %2\n").arg(out, reason));
    QCOMPARE(::lstat(o.constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_rdev, before.st_rdev);
    QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    if (kind == "read-only")
        QCOMPARE(readFile(out), QByteArray("old"));
    QCOMPARE(QDir(m_dir.path()).entryList({".*corvanta-save*"}, QDir::Hidden | QDir::Files),
             QStringList());
}

// The replaced file's mode stays, and a temporary file that a killed run
// left beside it goes.
void TestConvert::replacedFileKeepsModeAndNoTemp()
{
    writeFile(path("in.csv"), kCsv);
    const QString out = path("out.csv");
    writeFile(out, "old");
    QCOMPARE(::chmod(QFile::encodeName(out).constData(), 0604), 0);
    const QString stale = path(".out.csv.corvanta-save-Ab12Cd");
    writeFile(stale, "half");

    const ConvertResult r = convert({path("in.csv"), out});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(readFile(out), kCsv);
    struct stat st = {};
    QCOMPARE(::stat(QFile::encodeName(out).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0604);
    QVERIFY(!QFile::exists(stale));
}

void TestConvert::writeFailureNamesCause_data()
{
    QTest::addColumn<QString>("outName");
    QTest::newRow("to comma text") << "out.csv";
    QTest::newRow("to native") << "out.cvt";
}

// A write that fails half way (a file-size limit stands in for a full disk)
// names the system's reason, keeps the old file and leaves nothing behind.
void TestConvert::writeFailureNamesCause()
{
    QFETCH(QString, outName);
    QByteArray text = "Name,City\r\n";
    for (int i = 0; i < 4000; ++i)
        text += "Somebody " + QByteArray::number(i) + ",Some City with a long name\r\n";
    QVERIFY(text.size() > 128 * 1024);
    writeFile(path("in.csv"), text);
    const QString out = path(outName);
    writeFile(out, "old");

    const ConvertResult r = convert({path("in.csv"), out}, 64 * 1024);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, QStringLiteral("corvanta-convert: %1: %2\n").arg(out, ::strerror(EFBIG)));
    QCOMPARE(readFile(out), QByteArray("old"));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{"in.csv", outName}));
}

void TestConvert::help()
{
    for (const char* option : {"--help", "-h"}) {
        const ConvertResult r = convert({option});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith(QStringLiteral("Usage: corvanta-convert [options] IN OUT")));
        QVERIFY(r.out.contains(QStringLiteral("--no-titles")));
        QCOMPARE(r.err, QString());
    }
}

// The build places the sample address book and the tips beside the
// program; both must load and hold the rows we ship in data/.
void TestConvert::shippedFiles()
{
    const QDir programDir = QFileInfo(QStringLiteral(CORVANTA_CONVERT_PATH)).absoluteDir();

    Table sample;
    FileStatus s = NativeFile::load(programDir.filePath("Sample_AB.cvt"), sample);
    QVERIFY2(s, qPrintable(userText(s)));
    QCOMPARE(sample.colCount(), 10);
    QVERIFY(sample.rowCount() - 1 >= 20);
    const QStringList titles{"Name",     "Street", "City",  "State",
                             "Zip Code", "Phone",  "Email", "Web Site"};
    const QList<int> widths{1200, 1800, 900, 600, 900, 900, 1300, 1300};
    for (int c = 0; c < titles.size(); ++c) {
        QCOMPARE(sample.text(0, c), titles[c]);
        QCOMPARE(sample.column(c).width, widths[c]);
    }
    bool typed = false, leadingZero = false, formatted = false;
    for (int c = 0; c < sample.colCount(); ++c)
        typed = typed || (sample.column(c).type != TypeNone && !sample.column(c).format.isEmpty());
    for (int r = 1; r < sample.rowCount(); ++r) {
        leadingZero = leadingZero || sample.text(r, 4).startsWith(u'0');
        for (int c = 0; c < sample.colCount(); ++c)
            formatted = formatted || !sample.format(r, c).isDefault();
        QVERIFY2(!sample.text(r, 0).isEmpty(), "every sample record has a name");
    }
    QVERIFY(typed);
    QVERIFY(leadingZero);
    QVERIFY(formatted);

    Table tips;
    s = NativeFile::load(programDir.filePath("tips.vti"), tips);
    QVERIFY2(s, qPrintable(userText(s)));
    QVERIFY(tips.colCount() >= 4);
    int count = 0;
    for (int r = 1; r < tips.rowCount(); ++r) {
        if (tips.text(r, 1).toInt() != -1)
            continue;
        ++count;
        QVERIFY(!tips.text(r, 2).isEmpty());
        QVERIFY(tips.text(r, 3).size() > 30);
    }
    QVERIFY(count >= 15);

    // Through a vCard and back, the sample keeps its columns in place.
    const QString cvt = programDir.filePath("Sample_AB.cvt");
    QCOMPARE(convert({cvt, path("direct.csv")}).exitCode, 0);
    QCOMPARE(convert({cvt, path("sample.vcf")}).exitCode, 0);
    QCOMPARE(convert({path("sample.vcf"), path("via.csv")}).exitCode, 0);
    QCOMPARE(readFile(path("via.csv")), readFile(path("direct.csv")));
}

// Inputs that are not regular files, or too large, fail at once: a FIFO
// without a writer must not block (convert() gives up after a minute).
void TestConvert::specialInputs_data()
{
    QTest::addColumn<QStringList>("args"); // FIFO, BIG and OUT stand for files in the test folder
    QTest::addColumn<QString>("message");

    QTest::newRow("FIFO as input") << QStringList{"FIFO", "OUT.cvt", "--from", "csv"}
                                   << "corvanta-convert: FIFO: fifo is not a regular file\n";
    QTest::newRow("FIFO as native input") << QStringList{"FIFO", "OUT.csv", "--from", "native"}
                                          << "corvanta-convert: FIFO: fifo is not a regular file\n";
    QTest::newRow("FIFO as layout")
        << QStringList{"BIG", "OUT.cvt", "--from", "csv", "--layout", "FIFO"}
        << "corvanta-convert: FIFO: fifo is not a regular file\n";
    QTest::newRow("device as comma text")
        << QStringList{"/dev/zero", "OUT.cvt", "--from", "csv"}
        << "corvanta-convert: /dev/zero: zero is not a regular file\n";
    QTest::newRow("3 GiB input") << QStringList{"BIG", "OUT.cvt", "--from", "csv"}
                                 << "corvanta-convert: BIG: The file is larger than 2 GiB, the "
                                    "largest file that can be opened.\n";
}

void TestConvert::specialInputs()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);

    QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    {
        QFile big(path("big"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        // A layout test reads it as text, so it is small there.
        QVERIFY(big.resize(args.contains("--layout") ? 2 : qint64(3) << 30));
    }
    auto expand = [&](QString s) {
        return s.replace("FIFO", path("fifo"))
            .replace("BIG", path("big"))
            .replace("OUT", path("out"));
    };
    for (QString& a : args)
        a = expand(a);
    const ConvertResult r = convert(args);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, expand(message));
    QVERIFY(!QFile::exists(path("out.cvt")) && !QFile::exists(path("out.csv")));
}

// A UTF-8 text with a few bad bytes is converted with a warning, or refused
// with --strict.
void TestConvert::badBytes_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("warning") << QStringList() << 0
                             << "corvanta-convert: IN: warning: line 3: not valid UTF-8; 1 byte "
                                "replaced by U+FFFD\n";
    QTest::newRow("strict") << QStringList{"--strict"} << 1
                            << "corvanta-convert: IN: line 3: not valid UTF-8\n";
}

void TestConvert::badBytes()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    writeFile(path("in.csv"), QString("Name,City\r\nZoë,Ñandú\r\nJosé,Köln").toUtf8() + "\xFF\r\n");
    const ConvertResult r = convert(options + QStringList{path("in.csv"), path("out.cvt")});
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.err, QString(message).replace("IN", path("in.csv")));
    QCOMPARE(QFile::exists(path("out.cvt")), exitCode == 0);
    if (exitCode == 0) {
        Table t;
        QVERIFY(NativeFile::load(path("out.cvt"), t));
        QCOMPARE(t.text(2, 1), QStringLiteral("Köln\uFFFD"));
    }
}

// vCard by extension, the vCard version, the sniffed delimiter of comma
// text and --delimiter over it.
void TestConvert::vcardAndDelimiters_data()
{
    QTest::addColumn<QStringList>("args"); // IN and OUT name files in the test folder
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output"); // all of OUT, or a part of it ("~" first)

    const QByteArray card = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lee;Ann\r\nTEL;CELL:555\r\n"
                            "BDAY:19800412\r\nEND:VCARD\r\n";
    QTest::newRow("vcf to csv") << QStringList{"IN.vcf", "OUT.csv"} << card << 0
                                << QByteArray("Name,Street,City,State,Zip Code,Phone (Mobile),Email,"
                                              "Web Site,Birthday\r\nAnn Lee,,,,,555,,,1980-04-12\r\n");
    QTest::newRow("semicolon csv to vcf 3.0")
        << QStringList{"IN.csv", "OUT.vcf"} << QByteArray("Name;Street\r\nBo;1 Elm\r\n") << 0
        << QByteArray("~VERSION:3.0\r\nPRODID:-//Corvanta//Corvanta Address Book 1.0//EN\r\n"
                      "FN:Bo\r\nN:Bo;;;;\r\nADR:;;1 Elm;;;;\r\nEND:VCARD\r\n");
    QTest::newRow("vcard version 4.0") << QStringList{"--vcard-version", "4.0", "IN.vcf", "OUT.vcf"}
                                       << card << 0 << QByteArray("~VERSION:4.0\r\n");
    QTest::newRow("4.0 birthday") << QStringList{"--vcard-version=4", "IN.vcf", "OUT.vcf"} << card
                                  << 0 << QByteArray("~BDAY:19800412\r\n");
    auto fixture = [](const char* name) {
        QFile f(QStringLiteral(CORVANTA_FIXTURES "/") + QLatin1StringView(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    QTest::newRow("Google CSV to vcf")
        << QStringList{"IN.csv", "OUT.vcf"} << fixture("google.csv") << 0
        << QByteArray("~FN:Ann Lee\r\nN:Lee;Ann;;;\r\nORG:Acme\r\nTITLE:Buyer\r\nBDAY:1980-03-12\r\n"
                      "TEL;TYPE=CELL:+1 555 0100\r\nTEL;TYPE=WORK:+1 555 0199\r\n"
                      "EMAIL;TYPE=INTERNET,HOME:ann@home.example\r\n"
                      "EMAIL;TYPE=INTERNET,WORK:ann@acme.example\r\n"
                      "EMAIL;TYPE=INTERNET,WORK:ann.lee@acme.example\r\n"
                      "URL;TYPE=PROFILE:https://acme.example/ann\r\n"
                      "ADR;TYPE=HOME:;;1 Main St;Springfield;IL;62701;USA\r\nNOTE:Met in Rome\r\n");
    QTest::newRow("Outlook CSV re-saved with semicolons in windows-1252")
        << QStringList{"IN.csv", "OUT.vcf"} << fixture("outlook-semicolon-1252.csv") << 0
        << QByteArray("~FN:Herr Jürgen Müller\r\nN:Müller;Jürgen;;Herr;\r\n"
                      "ORG:Müller & Söhne GmbH\r\nTITLE:Leiter\r\nTEL;TYPE=CELL:+49 170 5550123\r\n"
                      "TEL;TYPE=WORK:+49 30 1234567\r\nTEL;TYPE=WORK,FAX:+49 30 1234568\r\n"
                      "EMAIL;TYPE=INTERNET:j.mueller@example.de\r\n"
                      "ADR;TYPE=HOME:;;;Potsdam;;;\r\n"
                      "ADR;TYPE=WORK:;;Hauptstraße 5;Berlin;;10115;Deutschland\r\n");
    QTest::newRow("roles for titles no export uses")
        << QStringList{"--roles", "Road,Tel,6,", "IN.csv", "OUT.vcf"}
        << QByteArray("Who,Road,Town,Region,Post,Tel,Mail\r\nAnn,1 Elm,Rome,,00100,555,a@x.example\r\n")
        << 0
        << QByteArray("~FN:Ann\r\nN:Ann;;;;\r\nTEL:555\r\nEMAIL;TYPE=INTERNET:a@x.example\r\n"
                      "ADR:;;1 Elm;Rome;;00100;\r\n");
    QTest::newRow("no contact titles") << QStringList{"IN.csv", "OUT.vcf"}
                                       << QByteArray("a,b\r\n1,2\r\n") << 1
                                       << QByteArray("--roles street,phone,email,web");
    QTest::newRow("delimiter overrides sniffing")
        << QStringList{"--delimiter", "comma", "IN.csv", "OUT.txt"} << QByteArray("a;b\nc;d\n") << 0
        << QByteArray("a;b\r\nc;d\r\n");
    QTest::newRow("delimiter writes too")
        << QStringList{"--delimiter", ";", "IN.txt", "OUT.csv"} << QByteArray("a\tb,c\n") << 0
        << QByteArray("a\tb,c\r\n");
    QTest::newRow("sep line obeyed") << QStringList{"IN.csv", "OUT.txt"}
                                     << QByteArray("sep=|\na|b\n") << 0 << QByteArray("a\tb\r\n");
    QTest::newRow("no card") << QStringList{"IN.vcf", "OUT.csv"} << QByteArray("hello\n") << 1
                             << QByteArray();
    QTest::newRow("unknown version") << QStringList{"--vcard-version", "2.1", "IN.csv", "OUT.vcf"}
                                     << QByteArray("a\n") << 2 << QByteArray();
    QTest::newRow("quote as delimiter") << QStringList{"--delimiter", "\"", "IN.csv", "OUT.txt"}
                                        << QByteArray("a\n") << 2 << QByteArray();
}

void TestConvert::vcardAndDelimiters()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    QString in, out;
    for (QString& a : args) {
        if (a.startsWith("IN."))
            in = a = path(a.toLower());
        else if (a.startsWith("OUT."))
            out = a = path(a.toLower());
    }
    writeFile(in, input);
    const ConvertResult r = convert(args);
    QCOMPARE(r.exitCode, exitCode);
    if (exitCode != 0) {
        QVERIFY(!r.err.isEmpty());
        QVERIFY(!QFile::exists(out));
        if (exitCode == 1)
            QVERIFY2(r.err.contains(output.isEmpty() ? "The file holds no contacts in vCard format."
                                                     : output),
                     qPrintable(r.err));
        return;
    }
    QCOMPARE(r.err, QString());
    const QByteArray written = readFile(out);
    if (output.startsWith('~'))
        QVERIFY2(written.contains(output.mid(1)), written.constData());
    else
        QCOMPARE(written, output);
}

QTEST_GUILESS_MAIN(TestConvert)
#include "tst_convert.moc"
