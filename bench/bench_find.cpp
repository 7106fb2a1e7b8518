// Find benchmark: bench_find [records] [runs]
//
// One Find step over a whole address table that holds no hit (the worst
// step there is): 200,000 records x 10 columns, with Match case and
// without. Beside them, for scale, the same scan done the plain way, with
// an upper-case QString made of every cell. Runs are interleaved; medians
// are reported.
#include "addressgen.h"
#include "benchutil.h"
#include "contacts/findscan.h"
#include "grid/table.h"

#include <QCoreApplication>

#include <cstdio>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::timed;

namespace {

// The scan as it would be written with Qt's string calls, one upper-case
// copy per cell.
bool plainScan(const Table& t, const QString& needle)
{
    const QString upper = needle.toUpper();
    for (int c = 0; c < t.colCount(); ++c)
        for (int r = 1; r < t.rowCount(); ++r)
            if (t.text(r, c).toUpper().contains(upper))
                return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? atoi(argv[1]) : 200000;
    const int runs = argc > 2 ? atoi(argv[2]) : 7;
    Table t;
    bench::fillAddressTable(t, records);
    // Letters that occur in no generated cell, in either case.
    const QString needle = QStringLiteral("qxzjv");
    const FindMatcher exact(needle, true);
    const FindMatcher blind(needle, false);

    std::vector<double> exactS, blindS, plainS, exactC, blindC, plainC;
    for (int i = 0; i < runs; ++i) {
        FindResult a, b;
        bool p = false;
        timed(exactS, exactC, [&] { a = findFrom(t, 0, 1, exact); });
        timed(blindS, blindC, [&] { b = findFrom(t, 0, 1, blind); });
        timed(plainS, plainC, [&] { p = plainScan(t, needle); });
        if (a.found() || b.found() || p) {
            std::fprintf(stderr, "the search text occurs in the table\n");
            return 1;
        }
    }
    std::printf("Find step without a hit, %d records x %d columns, median of %d runs\n"
                "(wall time, and the thread's CPU time):\n",
                records, t.colCount(), runs);
    std::printf("  match case        %7.3f s  cpu %7.3f s\n", median(exactS), median(exactC));
    std::printf("  case-blind        %7.3f s  cpu %7.3f s\n", median(blindS), median(blindC));
    std::printf("  upper-case copies %7.3f s  cpu %7.3f s (for scale)\n", median(plainS),
                median(plainC));
    return 0;
}
