// Writes the benchmark address data as a CSV file, for comparisons with
// other programs: gen_addresses out.csv [records]
#include "addressgen.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s out.csv [records]\n", argv[0]);
        return 2;
    }
    const int records = argc == 3 ? std::atoi(argv[2]) : 200000;
    if (records < 0) {
        std::fprintf(stderr, "records must be 0 or more\n");
        return 2;
    }
    const QByteArray csv = corvanta::bench::generateAddressCsv(records);
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(csv) != csv.size()) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1], qPrintable(out.errorString()));
        return 1;
    }
    std::printf("%d records, %lld bytes\n", records, static_cast<long long>(csv.size()));
    return 0;
}
