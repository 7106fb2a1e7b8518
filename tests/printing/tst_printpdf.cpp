// End to end: the converter writes PDF, pdftotext reads the words back, and
// each text of the page model must sit where the model put it.

#include "../support/converter.h"
#include "files/delimited.h"
#include "files/nativefile.h"
#include "grid/table.h"
#include "printing/labellayout.h"
#include "printing/labelsheet.h"
#include "printing/sheetlayout.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace corvanta;

namespace {

// Half a millimetre in points.
constexpr double kTolerance = 72.0 / 25.4 / 2;
constexpr QChar kEllipsis(0x2026);

struct Word
{
    QString text;
    double xMin, yMin, xMax, yMax;
};

// The words of one page of a PDF, as pdftotext -bbox gives them; the
// page's size in points in `size`.
QList<Word> wordsOf(const QString& pdf, int page, QSizeF* size = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {"-bbox", "-f", QString::number(page + 1), "-l", QString::number(page + 1), pdf, "-"});
    if (!p.waitForFinished(60000))
        return {};
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    QList<Word> words;
    const QString xml = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression pageSize(R"re(<page width="([\d.]+)" height="([\d.]+)">)re");
    if (const auto m = pageSize.match(xml); size && m.hasMatch())
        *size = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    for (auto it = word.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        words.append({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                      m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

// The converter in a locale that measures in inches, unless told another.
ConvertResult convertIn(const QStringList& args, const QString& locale = QStringLiteral("en_US.UTF-8"))
{
    return convert(args, 0, locale);
}

// Every text of the page model must be found in the PDF: its first word at
// the item's left edge (right edge, centre) and its vertical centre at the
// item's, within half a millimetre. Returns the number of texts checked.
int checkPage(const Page& page, const QList<Word>& words)
{
    int checked = 0;
    for (const PageItem& item : page.items) {
        if (item.kind != PageItem::Text)
            continue;
        const QStringList parts = item.text.split(u' ', Qt::SkipEmptyParts);
        const double midY = (item.y + item.h / 2.0) / 20.0;
        const double left = item.x / 20.0;
        const double right = (item.x + item.w) / 20.0;
        bool found = false;
        // A text cut at its cell ends in an ellipsis.
        auto is = [&](const Word& w, const QString& part) {
            return w.text == part ||
                   (w.text.endsWith(kEllipsis) && item.text.contains(w.text.chopped(1)));
        };
        for (const Word& w : words) {
            double x = w.xMin, want = left;
            if (item.align == AlignRight) {
                if (!is(w, parts.last()))
                    continue;
                x = w.xMax;
                want = right;
            } else if (item.align == AlignCenter) {
                if (parts.size() != 1 || w.text != parts.first())
                    continue;
                x = (w.xMin + w.xMax) / 2;
                want = (left + right) / 2;
            } else if (!is(w, parts.first())) {
                continue;
            }
            if (std::abs(x - want) <= kTolerance &&
                std::abs((w.yMin + w.yMax) / 2 - midY) <= kTolerance) {
                found = true;
                break;
            }
        }
        if (!found && !(item.align == AlignCenter && parts.size() != 1)) {
            qWarning() << "not at its place:" << item.text << item.x << item.y;
            return -1;
        }
        checked += found;
    }
    return checked;
}

} // namespace

class TestPrintPdf : public QObject
{
    Q_OBJECT
  private slots:
    void initTestCase();
    void labels_data();
    void labels();
    void sheet_data();
    void sheet();
    void refusals_data();
    void refusals();
    void fullDisk_data();
    void fullDisk();

  private:
    QTemporaryDir m_dir;
    QString m_csv;
    Table m_table;
};

void TestPrintPdf::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed; scripts/setup.sh installs it");
    QByteArray csv = "Name,Street,City,State,Zip Code,Phone,Email,Web Site\r\n";
    for (int r = 1; r <= 70; ++r)
        csv += QStringLiteral("Person%1 Jones,%1 Main St,Springfield,IL,627%2,(217) 555-01%2,"
                              "p%1@example.com,www.example.com\r\n")
                   .arg(r)
                   .arg(r % 100, 2, 10, QLatin1Char('0'))
                   .toUtf8();
    m_csv = m_dir.filePath(QStringLiteral("book.csv"));
    QFile f(m_csv);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(csv);
    f.close();
    m_table.resize(1, 1);
    QVERIFY(bool(Delimited::load(m_csv, ',', m_table, 0)));
}

void TestPrintPdf::labels_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("pages");
    QTest::newRow("3 x 10") << "3 x 10" << 3;
    QTest::newRow("2 x 10") << "2 x 10" << 4;
    QTest::newRow("2 x 5") << "2 x 5" << 7;
    // Two sheets of the template library with other pitches and margins:
    // 30 on US Letter, 21 on A4.
    QTest::newRow("Avery 5160") << "Avery 5160" << 3;
    QTest::newRow("Avery L7160") << "Avery L7160" << 4;
}

void TestPrintPdf::labels()
{
    QFETCH(QString, format);
    QFETCH(int, pages);
    LabelOptions o;
    o.format = format;
    o.skipIncomplete = true;
    if (!LabelFormat::named(format)) {
        const LabelSheet* sheet = LabelTemplates::system().named(format);
        if (!sheet)
            QSKIP("the label templates (glabels-data) are not installed; scripts/setup.sh "
                  "installs them");
        o.sheet = *sheet;
    }
    const QString pdf = m_dir.filePath(format + ".pdf");
    QCOMPARE(convertIn({"--labels", format, m_csv, pdf}).exitCode, 0);
    std::vector<int> rows;
    for (int r = 1; r < m_table.rowCount(); ++r)
        rows.push_back(r);
    QStringList titles;
    for (int c = 0; c < m_table.colCount(); ++c)
        titles.append(m_table.text(0, c));
    const LabelLayout layout(m_table, LabelPattern::standard(titles), rows, o);
    QCOMPARE(layout.pageCount(), pages);
    // The first page and the last: no drift from page to page.
    for (int page : {0, pages - 1}) {
        const int checked = checkPage(layout.page(page), wordsOf(pdf, page));
        QVERIFY(checked > 0);
    }
    QVERIFY(wordsOf(pdf, pages).isEmpty());
    if (!o.sheet)
        return;
    // On the maker's sheet, read back: the paper is the sheet's, every word
    // of pages 1 and 2 lies inside one of its labels (less half a
    // millimetre), and the first and last label of each page sit in the
    // first and last rectangle.
    const LabelSheet& sheet = *o.sheet;
    auto inside = [](const Word& w, const LabelRect& r) {
        return w.xMin >= r.x / 20.0 - kTolerance && w.xMax <= (r.x + r.w) / 20.0 + kTolerance &&
               w.yMin >= r.y / 20.0 - kTolerance && w.yMax <= (r.y + r.h) / 20.0 + kTolerance;
    };
    for (int page : {0, 1}) {
        QSizeF size;
        const QList<Word> words = wordsOf(pdf, page, &size);
        // To the point: the PDF gives a standard paper its whole points.
        QVERIFY(std::abs(size.width() - sheet.paper.width / 20.0) < 1);
        QVERIFY(std::abs(size.height() - sheet.paper.height / 20.0) < 1);
        for (const Word& w : words)
            QVERIFY2(std::any_of(sheet.labels.begin(), sheet.labels.end(),
                                 [&](const LabelRect& r) { return inside(w, r); }),
                     qPrintable(w.text));
        for (int k : {0, sheet.perSheet() - 1}) {
            const QString name = QStringLiteral("Person%1").arg(page * sheet.perSheet() + k + 1);
            const auto it = std::find_if(words.begin(), words.end(),
                                         [&](const Word& w) { return w.text == name; });
            QVERIFY2(it != words.end(), qPrintable(name));
            QVERIFY(inside(*it, sheet.labels[size_t(k)]));
        }
    }
}

void TestPrintPdf::sheet_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<int>("paperWidth");
    QTest::newRow("defaults") << QStringList() << "en_US.UTF-8" << false << 75
                              << QList<int>{} << 12240;
    QTest::newRow("landscape 100, three columns, A4")
        << QStringList{"--landscape", "--scale", "100", "--columns", "Name,2,zip code", "--paper",
                       "a4"}
        << "en_US.UTF-8" << true << 100 << QList<int>{0, 2, 4} << 11906;
    QTest::newRow("zip before name, German locale")
        << QStringList{"--landscape", "--columns", "Zip Code,Name"} << "de_DE.UTF-8" << true << 75
        << QList<int>{4, 0} << 11906;
}

void TestPrintPdf::sheet()
{
    QFETCH(QStringList, options);
    QFETCH(QString, locale);
    QFETCH(bool, landscape);
    QFETCH(int, scale);
    QFETCH(QList<int>, columns);
    QFETCH(int, paperWidth);
    const QString pdf = m_dir.filePath(QStringLiteral("sheet.pdf"));
    QCOMPARE(convertIn(options + QStringList{m_csv, pdf}, locale).exitCode, 0);
    SheetOptions o;
    o.landscape = landscape;
    o.scale = scale;
    o.columns.assign(columns.begin(), columns.end());
    o.paper = paperWidth == 11906 ? PaperSize::a4() : PaperSize::letter();
    for (int r = 1; r < m_table.rowCount(); ++r)
        o.rows.push_back(r);
    const SheetLayout layout(m_table, o);
    QVERIFY(layout.pageCount() > 1);
    for (int page : {0, layout.pageCount() - 1})
        QVERIFY(checkPage(layout.page(page), wordsOf(pdf, page)) > 0);
    QSizeF size;
    const QList<Word> words = wordsOf(pdf, 1, &size);
    QVERIFY(std::abs((landscape ? size.height() : size.width()) - paperWidth / 20.0) < 1);
    QVERIFY(!words.isEmpty());
    QCOMPARE(words.first().text, QStringLiteral("Halvorix")); // the header on every page
    QVERIFY(wordsOf(pdf, layout.pageCount()).isEmpty());
    // A name is wider than its cell: it is cut with a mark, never silently.
    QVERIFY(std::any_of(words.begin(), words.end(),
                        [](const Word& w) { return w.text.endsWith(kEllipsis); }));
}

void TestPrintPdf::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::newRow("unknown format") << QStringList{"--labels", "4 x 4"} << 2;
    QTest::newRow("scale too large") << QStringList{"--scale", "101"} << 2;
    QTest::newRow("scale not a number") << QStringList{"--scale", "big"} << 2;
    QTest::newRow("sheet option with labels")
        << QStringList{"--labels", "2 x 5", "--landscape"} << 2;
    QTest::newRow("unknown column") << QStringList{"--columns", "Name,Fax"} << 2;
    QTest::newRow("not to PDF") << QStringList{"--landscape", "--to", "csv"} << 2;
}

void TestPrintPdf::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    const QString out = m_dir.filePath(QStringLiteral("refused.pdf"));
    QCOMPARE(convertIn(args + QStringList{m_csv, out}).exitCode, status);
    QVERIFY(!QFile::exists(out));
}

// A PDF that cannot fit the disk, on a small file system of the test's own
// (a tmpfs mounted in a private mount namespace): the old file stays, no
// temporary file is left, and the converter says why. Refused at once when
// the least size of the pages is already too large; stopped at the first
// failed write otherwise.
void TestPrintPdf::fullDisk_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("reason");
    QTest::newRow("estimate beyond the free space")
        << "huge.cvt" << QStringList() << "No space left on device (the file needs ";
    QTest::newRow("first failed write")
        << "book.csv" << QStringList{"--labels", "3 x 10"} << "No space left on device";
}

void TestPrintPdf::fullDisk()
{
    QFETCH(QString, input);
    QFETCH(QStringList, args);
    QFETCH(QString, reason);
    if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("unshare")).isEmpty())
        QSKIP("a private file system needs root and unshare");
    const QString in = m_dir.filePath(input);
    if (input == u"huge.cvt" && !QFile::exists(in)) {
        // A million rows of 16,384 empty columns: a small file, a sheet of
        // 22 million pages.
        const Table huge(1000000, Table::kMaxCols);
        QVERIFY(bool(NativeFile::save(huge, in)));
    }
    QTemporaryDir mountPoint;
    const QString script = QStringLiteral(
        "d=$1; shift\n"
        "mount -t tmpfs -o size=8k tmpfs \"$d\" || exit 77\n"
        "printf 'old pdf' > \"$d/out.pdf\"\n"
        "\"$@\"; echo \"status $?\"\n"
        "cat \"$d/out.pdf\"; echo; ls -A \"$d\"\n");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
    p.setProcessEnvironment(env);
    const QString out = mountPoint.path() + QStringLiteral("/out.pdf");
    p.start(QStringLiteral("unshare"),
            QStringList{"--mount", "--propagation", "private", "sh", "-c", script, "sh",
                        mountPoint.path(), QStringLiteral(CORVANTA_CONVERT_PATH)} +
                args + QStringList{in, out});
    QVERIFY(p.waitForFinished(120000));
    if (p.exitCode() == 77)
        QSKIP("cannot mount a private file system here");
    const QString stdOut = QString::fromUtf8(p.readAllStandardOutput());
    QCOMPARE(stdOut, QStringLiteral("status 1\nold pdf\nout.pdf\n"));
    const QString stdErr = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(stdErr.contains(QStringLiteral("out.pdf: ") + reason), qPrintable(stdErr));
}

QTEST_GUILESS_MAIN(TestPrintPdf)
#include "tst_printpdf.moc"
