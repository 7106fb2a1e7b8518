// Quick filter benchmark: bench_filter [records] [runs]
//
// Typing into the filter box over an address table of 200,000 records x 10
// columns, one key at a time: the search of each key press (the first
// letter searches every record, the next ones only those the text kept),
// then deleting the text key by key. Beside it the folding of the records
// that a filter does once when it starts or the columns change. Medians of
// wall time and the thread's CPU time; each row is one key press.
#include "addressgen.h"
#include "benchutil.h"
#include "contacts/quickfilter.h"
#include "grid/table.h"

#include <QCoreApplication>

#include <cstdio>
#include <numeric>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::timed;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? atoi(argv[1]) : 200000;
    const int runs = argc > 2 ? atoi(argv[2]) : 7;
    Table t;
    bench::fillAddressTable(t, records);
    std::vector<int> columns(size_t(t.colCount()));
    std::iota(columns.begin(), columns.end(), 0);
    // A common start ("s"), then narrower; and one that matches nothing.
    const QString typed = QStringLiteral("smith");
    std::vector<double> buildW, buildC, missW, missC;
    std::vector<std::vector<double>> keyW(size_t(typed.size()) * 2), keyC(size_t(typed.size()) * 2);
    std::vector<size_t> shown(keyW.size());
    for (int i = 0; i < runs; ++i) {
        QuickFilter f;
        timed(buildW, buildC, [&] { f.build(t, columns); });
        for (qsizetype k = 0; k < typed.size(); ++k) {
            timed(keyW[size_t(k)], keyC[size_t(k)], [&] { f.setText(typed.left(k + 1)); });
            shown[size_t(k)] = f.matches().size();
        }
        for (qsizetype k = typed.size() - 1; k >= 0; --k) {
            const size_t at = size_t(2 * typed.size() - 1 - k);
            timed(keyW[at], keyC[at], [&] { f.setText(typed.left(k)); });
            shown[at] = f.matches().size();
        }
        timed(missW, missC, [&] { f.setText(QStringLiteral("qxzjv")); });
    }
    std::printf("Quick filter, %d records x %d columns, median of %d runs (wall, thread cpu):\n",
                records, t.colCount(), runs);
    std::printf("  fold the records      %7.1f ms  cpu %7.1f ms\n", median(buildW) * 1e3,
                median(buildC) * 1e3);
    for (size_t k = 0; k < keyW.size(); ++k) {
        const qsizetype n =
            k < size_t(typed.size()) ? qsizetype(k) + 1 : qsizetype(2 * typed.size() - 1 - k);
        std::printf("  key -> \"%-6s\" %7zu shown %7.1f ms  cpu %7.1f ms\n",
                    qPrintable(typed.left(n)), shown[k], median(keyW[k]) * 1e3,
                    median(keyC[k]) * 1e3);
    }
    std::printf("  no hit (\"qxzjv\")      %7.1f ms  cpu %7.1f ms\n", median(missW) * 1e3,
                median(missC) * 1e3);
    return 0;
}
