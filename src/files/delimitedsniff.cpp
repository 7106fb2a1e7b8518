// Which delimiter a "Comma Delimited" text uses: spreadsheets in many
// European locales write semicolons, and some programs write TABs into
// files named .csv.
#include "files/delimited.h"
#include "grid/quotedtext.h"

#include <algorithm>
#include <map>
#include <vector>

namespace corvanta::Delimited {

namespace {

constexpr int kLinesLooked = 20;

// The field counts of the first lines; blank lines say nothing.
class CountSink : public QuotedText::RowSink
{
  public:
    bool row(qsizetype, const QByteArrayView* cells, int n) override
    {
        if (n == 1 && cells[0].isEmpty())
            return true;
        counts.push_back(n);
        return counts.size() < size_t(kLinesLooked);
    }
    std::vector<int> counts;
};

struct Split
{
    int first = 0; // fields of the first line
    int lines = 0;
    int agreeing = 0; // lines with the count most lines share, when it is 2 or more
};

Split splitBy(QByteArrayView head, char delimiter, bool complete)
{
    CountSink sink;
    QuotedText::Dialect d;
    d.delimiter = delimiter;
    QuotedText(d, sink).feed(head, complete);
    Split s;
    if (sink.counts.empty())
        return s;
    s.first = sink.counts.front();
    s.lines = int(sink.counts.size());
    std::map<int, int> often;
    for (int n : sink.counts)
        ++often[n];
    int count = 0;
    for (const auto& [fields, lines] : often) {
        if (lines >= s.agreeing) { // a tie goes to more fields
            s.agreeing = lines;
            count = fields;
        }
    }
    if (count < 2)
        s.agreeing = 0;
    return s;
}

bool endsLine(QByteArrayView rest, bool complete)
{
    return rest.isEmpty() ? complete : rest.front() == '\r' || rest.front() == '\n';
}

} // namespace

Sniffed sniff(QByteArrayView head, bool complete)
{
    Sniffed out;
    if (head.size() >= 4 &&
        QByteArrayView(head.first(4)).compare("sep=", Qt::CaseInsensitive) == 0) {
        const QByteArrayView rest = head.sliced(4);
        if (rest.startsWith("\\t") && endsLine(rest.sliced(2), complete)) {
            out.delimiter = '\t';
            out.sepLine = true;
            return out;
        }
        // One character that can split UTF-8 text: TAB or printable ASCII.
        const char d = rest.isEmpty() ? '\0' : rest.front();
        if ((d == '\t' || (d >= ' ' && d <= '~')) && d != '"' &&
            endsLine(rest.sliced(1), complete)) {
            out.delimiter = d;
            out.sepLine = true;
            return out;
        }
    }
    const Split comma = splitBy(head, ',', complete);
    int best = comma.agreeing;
    for (const char d : {';', '\t'}) {
        const Split s = splitBy(head, d, complete);
        if (s.first >= 2 && s.agreeing > best && 2 * s.agreeing > s.lines) {
            best = s.agreeing;
            out.delimiter = d;
        }
    }
    return out;
}

} // namespace corvanta::Delimited
