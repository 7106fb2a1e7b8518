// vCard benchmark: bench_vcard [cards] [runs]
//
// Writing (encode, write through AtomicFile) and reading (read the file,
// decode, build the table) of realistic address cards, 10,000 by default:
// the ten default columns of the address data, with the two note columns
// titled Organization and Note so that every card also carries ORG and
// NOTE. Each run times the writer and then the reader once; medians are
// reported, with the target of 0.2 s each.
#include "addressgen.h"
#include "benchutil.h"
#include "files/vcard.h"
#include "grid/table.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::seconds;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int cards = args.size() > 1 ? std::max(1, args[1].toInt()) : 10000;
    const int runs = args.size() > 2 ? std::max(1, args[2].toInt()) : 9;

    Table table;
    bench::fillAddressTable(table, cards);
    table.setText(0, 8, u"Organization");
    table.setText(0, 9, u"Note");

    QTemporaryDir dir;
    const QString path = dir.filePath("cards.vcf");
    std::printf("bench_vcard: %d cards, %d runs\n", cards, runs);
    for (const Vcard::Version version : {Vcard::Version::V3, Vcard::Version::V4}) {
        std::vector<double> write, read;
        int rows = 0;
        for (int i = 0; i < runs; ++i) {
            write.push_back(seconds([&] {
                if (!Vcard::save(table, path, {}, version))
                    std::fprintf(stderr, "save failed\n");
            }));
            read.push_back(seconds([&] {
                Table t;
                if (!Vcard::load(path, t))
                    std::fprintf(stderr, "load failed\n");
                rows = t.rowCount();
            }));
        }
        std::printf("  vCard %s: %.1f MB, %d records read back\n",
                    version == Vcard::Version::V3 ? "3.0" : "4.0",
                    double(QFileInfo(path).size()) / 1e6, rows - 1);
        std::printf("    write  median %7.1f ms   (target 200 ms)\n", median(write) * 1e3);
        std::printf("    read   median %7.1f ms   (target 200 ms)\n", median(read) * 1e3);
    }
    return 0;
}
