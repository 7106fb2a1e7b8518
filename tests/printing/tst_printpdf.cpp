// End to end: the converter writes PDF, pdftotext reads the words back, and
// each text of the page model must sit where the model put it.

#include "../support/converter.h"
#include "files/delimited.h"
#include "grid/table.h"
#include "printing/labellayout.h"
#include "printing/sheetlayout.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace corvanta;

namespace {

// Half a millimetre in points.
constexpr double kTolerance = 72.0 / 25.4 / 2;

struct Word
{
    QString text;
    double xMin, yMin, xMax, yMax;
};

// The words of one page of a PDF, as pdftotext -bbox gives them.
QList<Word> wordsOf(const QString& pdf, int page)
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
    for (auto it = word.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        words.append({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                      m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
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
        for (const Word& w : words) {
            double x = w.xMin, want = left;
            if (item.align == AlignRight) {
                if (w.text != parts.last())
                    continue;
                x = w.xMax;
                want = right;
            } else if (item.align == AlignCenter) {
                if (parts.size() != 1 || w.text != parts.first())
                    continue;
                x = (w.xMin + w.xMax) / 2;
                want = (left + right) / 2;
            } else if (w.text != parts.first()) {
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
}

void TestPrintPdf::labels()
{
    QFETCH(QString, format);
    QFETCH(int, pages);
    const QString pdf = m_dir.filePath(format + ".pdf");
    QCOMPARE(convert({"--labels", format, m_csv, pdf}).exitCode, 0);
    std::vector<int> rows;
    for (int r = 1; r < m_table.rowCount(); ++r)
        rows.push_back(r);
    QStringList titles;
    for (int c = 0; c < m_table.colCount(); ++c)
        titles.append(m_table.text(0, c));
    LabelOptions o;
    o.format = format;
    o.skipIncomplete = true;
    const LabelLayout layout(m_table, LabelPattern::standard(titles), rows, o);
    QCOMPARE(layout.pageCount(), pages);
    // The first page and the last: no drift from page to page.
    for (int page : {0, pages - 1}) {
        const int checked = checkPage(layout.page(page), wordsOf(pdf, page));
        QVERIFY(checked > 0);
    }
    QVERIFY(wordsOf(pdf, pages).isEmpty());
}

void TestPrintPdf::sheet_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<int>("scale");
    QTest::newRow("defaults") << QStringList() << false << 75;
    QTest::newRow("landscape 100, three columns")
        << QStringList{"--landscape", "--scale", "100", "--columns", "Name,2,zip code"} << true
        << 100;
}

void TestPrintPdf::sheet()
{
    QFETCH(QStringList, options);
    QFETCH(bool, landscape);
    QFETCH(int, scale);
    const QString pdf = m_dir.filePath(QStringLiteral("sheet.pdf"));
    QCOMPARE(convert(options + QStringList{m_csv, pdf}).exitCode, 0);
    SheetOptions o;
    o.landscape = landscape;
    o.scale = scale;
    if (options.contains("--columns"))
        o.printed = {true, false, true, false, true, false, false, false};
    for (int r = 1; r < m_table.rowCount(); ++r)
        o.rows.push_back(r);
    const SheetLayout layout(m_table, o);
    QVERIFY(layout.pageCount() > 1);
    for (int page : {0, layout.pageCount() - 1})
        QVERIFY(checkPage(layout.page(page), wordsOf(pdf, page)) > 0);
    const QList<Word> words = wordsOf(pdf, 1);
    QVERIFY(!words.isEmpty());
    QCOMPARE(words.first().text, QStringLiteral("Halvorix")); // the header on every page
    QVERIFY(wordsOf(pdf, layout.pageCount()).isEmpty());
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
    QCOMPARE(convert(args + QStringList{m_csv, out}).exitCode, status);
    QVERIFY(!QFile::exists(out));
}

QTEST_GUILESS_MAIN(TestPrintPdf)
#include "tst_printpdf.moc"
