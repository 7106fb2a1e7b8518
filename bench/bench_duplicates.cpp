// Find Duplicates benchmark: bench_duplicates [records] [runs]
//
// Groups the probable duplicates of an address table of 200,000 records in
// which 2% repeat an earlier record's e-mail, phone or name (the name with
// its words turned round, "Last, First"). The generated names, phones and
// e-mail addresses are first made unique, so that the groups found are
// exactly the planted ones. Medians of wall time and the thread's CPU time.
#include "addressgen.h"
#include "benchutil.h"
#include "contacts/duplicates.h"
#include "grid/table.h"

#include <QCoreApplication>

#include <cstdio>
#include <random>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::timed;

namespace {

// A word made of letters only, different for each number: names compare
// without digits' help.
QString letters(int n)
{
    QString s;
    do {
        s.prepend(QChar(u'a' + n % 26));
        n /= 26;
    } while (n > 0);
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? atoi(argv[1]) : 200000;
    const int runs = argc > 2 ? atoi(argv[2]) : 7;
    Table t;
    bench::fillAddressTable(t, records);
    for (int r = 1; r <= records; ++r) {
        const QString tag = letters(r);
        t.setText(r, 0, t.text(r, 0) + QLatin1Char(' ') + tag);
        t.setText(r, 5, QStringLiteral("(555) %1").arg(1000000 + r));
        t.setText(r, 6, tag + QLatin1Char('.') + t.text(r, 6));
    }
    std::mt19937 rng(7);
    const int planted = records / 50;
    for (int i = 0; i < planted; ++i) {
        const int to = 2 + int(rng() % unsigned(records - 1));
        const int from = 1 + int(rng() % unsigned(to - 1));
        switch (i % 3) {
        case 0:
            t.setText(to, 6, t.text(from, 6).toUpper());
            break;
        case 1:
            t.setText(to, 5, QStringLiteral("+1 ") + t.text(from, 5));
            break;
        default: {
            QStringList words = t.text(from, 0).split(QLatin1Char(' '));
            std::reverse(words.begin(), words.end());
            t.setText(to, 0, words.join(QStringLiteral(", ")));
        }
        }
    }
    const DuplicateColumns columns{0, 5, 6};
    std::vector<double> wall, cpu;
    size_t groups = 0;
    for (int i = 0; i < runs; ++i) {
        timed(wall, cpu, [&] { groups = findDuplicates(t, columns).size(); });
    }
    std::printf("Find Duplicates, %d records, %d planted repeats, %zu groups, median of %d runs\n"
                "  wall %7.3f s  cpu %7.3f s\n",
                records, planted, groups, runs, median(wall), median(cpu));
    return 0;
}
