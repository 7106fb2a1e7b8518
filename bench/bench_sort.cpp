// Sort benchmark: bench_sort [records] [runs]
//
// The order of `records` address records by Name, locale-aware (English)
// and case-insensitive: SortOrder, which orders each distinct text once
// through precomputed sort keys and then sorts the rows by number, side by
// side with a plain stable sort that compares through QCollator at every
// step. Both read the cells from the same table and must give the same
// order. Sorting by Street, whose texts hardly repeat, shows the case
// without repeats. Medians over `runs` interleaved runs, in seconds.
#include "addressgen.h"
#include "benchutil.h"
#include "grid/table.h"
#include "table/sortorder.h"

#include <QCollator>
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::seconds;

namespace {

std::vector<int> plainOrder(const Table& t, int first, int last, int col)
{
    QCollator collator{QLocale(QLocale::English)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QString> texts;
    texts.reserve(size_t(last - first + 1));
    for (int r = first; r <= last; ++r)
        texts.push_back(t.text(r, col));
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const QString& x = texts[size_t(a)];
        const QString& y = texts[size_t(b)];
        if (x.isEmpty() != y.isEmpty())
            return y.isEmpty();
        return collator.compare(x, y) < 0;
    });
    return order;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::max(100, atoi(argv[1])) : 200000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    Table t;
    bench::fillAddressTable(t, records);

    const QLocale english(QLocale::English);
    std::vector<double> keyed, plain, descending, street;
    std::vector<int> a, b;
    for (int i = 0; i < runs; ++i) {
        keyed.push_back(seconds([&] { a = SortOrder::rows(t, 1, records, 0, true, english); }));
        plain.push_back(seconds([&] { b = plainOrder(t, 1, records, 0); }));
        descending.push_back(seconds([&] { SortOrder::rows(t, 1, records, 0, false, english); }));
        // Streets hardly repeat: every text needs a key of its own.
        street.push_back(seconds([&] { SortOrder::rows(t, 1, records, 1, true, english); }));
    }
    std::printf("sort %d records by Name (median of %d runs)\n", records, runs);
    std::printf("  SortOrder ascending        %.3f s\n", median(keyed));
    std::printf("  SortOrder descending       %.3f s\n", median(descending));
    std::printf("  SortOrder by Street        %.3f s\n", median(street));
    std::printf("  QCollator::compare sort    %.3f s\n", median(plain));
    std::printf("  same order: %s\n", a == b ? "yes" : "NO");
    return a == b ? 0 : 1;
}
