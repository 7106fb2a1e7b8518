#include "grid/quotedtext.h"

#include <QTest>

using namespace corvanta;

using Rows = QList<QList<QByteArray>>;

namespace {

// The two dialects in use: comma-delimited files, and the clipboard's
// TAB-separated blocks.
QuotedText::Dialect dialectNamed(const QString& name)
{
    QuotedText::Dialect d;
    if (name == u"clip") {
        d.delimiter = '\t';
        d.strict = true;
        d.quoteAnyQuote = false;
    }
    return d;
}

struct Collect : QuotedText::RowSink
{
    Rows rows;
    bool row(qsizetype, const QByteArrayView* cells, int n) override
    {
        QList<QByteArray>& r = rows.emplace_back();
        for (int i = 0; i < n; ++i)
            r << cells[i].toByteArray();
        return true;
    }
};

Rows parse(QByteArrayView text, const QuotedText::Dialect& d)
{
    Collect sink;
    QuotedText(d, sink).feed(text, true);
    return sink.rows;
}

} // namespace

class TestQuotedText : public QObject
{
    Q_OBJECT
  private slots:
    void parse_data();
    void parse();
};

void TestQuotedText::parse_data()
{
    QTest::addColumn<QString>("dialect");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Rows>("rows");

    // Rules both dialects share.
    for (const char* d : {"csv", "clip"}) {
        const char sep = dialectNamed(d).delimiter;
        // '|' stands for the dialect's delimiter, in the text and the cells.
        auto row = [&](const char* name, QByteArray text, Rows rows) {
            text.replace('|', sep);
            for (auto& r : rows)
                for (QByteArray& cell : r)
                    cell.replace('|', sep);
            QTest::addRow("%s: %s", d, name) << QString(d) << text << rows;
        };
        row("LF, CRLF and lone CR end rows", "a|b\nc\r\nd\re", {{"a", "b"}, {"c"}, {"d"}, {"e"}});
        row("a trailing row break makes no row", "a\r\n", {{"a"}});
        row("empty text has no rows", "", {});
        row("a trailing delimiter makes an empty cell", "a|", {{"a", ""}});
        row("quoted delimiter and breaks", "\"x|y\r\nz\"|w", {{"x|y\r\nz", "w"}});
        row("doubled quote", "\"say \"\"hi\"\"\"", {{"say \"hi\""}});
        row("inner quote is text", "ab\"c|d", {{"ab\"c", "d"}});
        row("unterminated quote reads literally", "\"ab|c\nd", {{"\"ab", "c"}, {"d"}});
    }
    // Where they differ: text after a closing quote.
    QTest::newRow("csv: text after the closing quote is kept")
        << "csv" << QByteArray("\"Hi\" there,x") << Rows{{"Hi there", "x"}};
    QTest::newRow("clip: text after the closing quote voids the quoting")
        << "clip" << QByteArray("\"Hi\" there\tx") << Rows{{"\"Hi\" there", "x"}};
    QTest::newRow("clip: voided quoting stops at the first break")
        << "clip" << QByteArray("\"a\nb\" c") << Rows{{"\"a"}, {"b\" c"}};
}

// Each case also checks the writer: every cell the reader gives, written
// in the dialect's quoting, reads back as itself.
void TestQuotedText::parse()
{
    QFETCH(QString, dialect);
    QFETCH(QByteArray, text);
    QFETCH(Rows, rows);
    const QuotedText::Dialect d = dialectNamed(dialect);
    QCOMPARE(::parse(text, d), rows);

    for (const QList<QByteArray>& r : rows) {
        QByteArray line;
        for (const QByteArray& cell : r) {
            if (!line.isEmpty() || &cell != &r.front())
                line += d.delimiter;
            if (!QuotedText::needsQuotes(cell, d)) {
                line += cell;
                continue;
            }
            QByteArray quoted(QuotedText::quotedSize(cell), Qt::Uninitialized);
            QCOMPARE(QuotedText::writeQuoted(quoted.data(), cell), quoted.data() + quoted.size());
            line += quoted;
        }
        QCOMPARE(::parse(line, d), Rows{r});
    }
}

QTEST_GUILESS_MAIN(TestQuotedText)
#include "tst_quotedtext.moc"
