// Table storage and native file benchmark: bench_table [records] [runs]
//
// Memory of a 200,000-record address table, the 200,001 x 201 resize, and
// native save and load timed side by side with Python's csv module reading
// the same table as CSV (each run of each contender interleaved with the
// others, medians reported).
#include "addressgen.h"
#include "benchutil.h"
#include "files/nativefile.h"
#include "grid/table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <unistd.h>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::seconds;

namespace {

double residentMB()
{
    QFile f("/proc/self/statm");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1e6 : -1;
}

struct DataStats
{
    double emptyShare = 0, quotedShare = 0, breakShare = 0, nonAsciiShare = 0;
};

DataStats statsOf(const Table& t)
{
    qsizetype empty = 0, quoted = 0, breaks = 0, nonAscii = 0;
    for (int r = 1; r < t.rowCount(); ++r) {
        bool q = false, b = false;
        for (int c = 0; c < t.colCount(); ++c) {
            const QByteArrayView v = t.utf8(r, c);
            empty += v.isEmpty();
            q |= v.contains(',') || v.contains('"') || v.contains('\n');
            b |= v.contains('\n');
        }
        quoted += q;
        breaks += b;
        const QByteArrayView name = t.utf8(r, 0);
        nonAscii += std::any_of(name.begin(), name.end(), [](char ch) { return ch & 0x80; });
    }
    const double records = std::max(1, t.rowCount() - 1);
    return {double(empty) / (records * t.colCount()), quoted / records, breaks / records,
            nonAscii / records};
}

void line(const char* what, const QString& value, const char* target = "")
{
    std::printf("  %-44s %22s   %s\n", what, qPrintable(value), target);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const QString csvPath = "/tmp/corvanta_bench_addresses.csv";
    const QString cvtPath = "/tmp/corvanta_bench_addresses.cvt";

    qsizetype csvBytes = 0;
    {
        const QByteArray csv = bench::generateAddressCsv(records);
        csvBytes = csv.size();
        QFile f(csvPath);
        if (!f.open(QIODevice::WriteOnly) || f.write(csv) != csv.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(csvPath));
            return 1;
        }
    }
    malloc_trim(0);

    std::printf("Corvanta table benchmark: %d records x 10 columns, median of %d runs\n\n", records,
                runs);

    // Memory of the address table.
    const double rssBefore = residentMB();
    Table table;
    const double fillSeconds = seconds([&] { bench::fillAddressTable(table, records); });
    const double tableMB = residentMB() - rssBefore;
    const DataStats stats = statsOf(table);
    std::printf("Address table\n");
    line("CSV size", QString("%1 MB").arg(csvBytes / 1e6, 0, 'f', 2));
    line("empty cells / quoted records", QString("%1% / %2%")
                                             .arg(stats.emptyShare * 100, 0, 'f', 1)
                                             .arg(stats.quotedShare * 100, 0, 'f', 1));
    line("line breaks / non-ASCII names", QString("%1% / %2%")
                                              .arg(stats.breakShare * 100, 0, 'f', 1)
                                              .arg(stats.nonAsciiShare * 100, 0, 'f', 1));
    line("fill time", QString("%1 s").arg(fillSeconds, 0, 'f', 3));
    line("resident memory growth", QString("%1 MB").arg(tableMB, 0, 'f', 2));
    line("heap bytes held by the table", QString("%1 MB").arg(table.heapBytes() / 1e6, 0, 'f', 2));
    line("memory / CSV size", QString("%1 x").arg(tableMB * 1e6 / double(csvBytes), 0, 'f', 2),
         "target <= 2.5 x");

    // The largest legal empty table.
    std::vector<double> resizeTimes;
    double resizeMB = 0;
    for (int i = 0; i < runs; ++i) {
        malloc_trim(0);
        const double before = residentMB();
        Table empty;
        resizeTimes.push_back(seconds([&] { empty.resize(200001, 201); }));
        if (i == 0)
            resizeMB = residentMB() - before;
    }
    std::printf("\nEmpty 200,001 x 201 table\n");
    line("resize time", QString("%1 ms").arg(median(resizeTimes) * 1e3, 0, 'f', 2),
         "target < 100 ms");
    line("resident memory growth", QString("%1 MB").arg(resizeMB, 0, 'f', 2), "target <= 64 MB");

    // Native save and load against Python's csv module, interleaved.
    std::vector<double> saveTimes, loadTimes, encodeTimes, decodeTimes, pythonTimes;
    qsizetype pythonRows = 0;
    for (int i = 0; i < runs; ++i) {
        saveTimes.push_back(seconds([&] {
            if (const FileStatus s = NativeFile::save(table, cvtPath); !s)
                std::fprintf(stderr, "save failed: %s\n", qPrintable(userText(s)));
        }));
        Table loaded;
        loadTimes.push_back(seconds([&] {
            if (const FileStatus s = NativeFile::load(cvtPath, loaded); !s)
                std::fprintf(stderr, "load failed: %s\n", qPrintable(userText(s)));
        }));
        if (i == 0 && !(loaded == table)) {
            std::fprintf(stderr, "the loaded table differs from the saved one\n");
            return 1;
        }
        QByteArray bytes;
        encodeTimes.push_back(seconds([&] { bytes = NativeFile::encode(table); }));
        Table decoded;
        decodeTimes.push_back(seconds([&] { NativeFile::decode(bytes, decoded); }));
        const double py = bench::pythonCsv(csvPath, QString(), &pythonRows);
        if (py >= 0)
            pythonTimes.push_back(py);
    }
    const double save = median(saveTimes), load = median(loadTimes);
    std::printf("\nNative file (%s, %.2f MB)\n", qPrintable(cvtPath), QFile(cvtPath).size() / 1e6);
    line("save (encode + AtomicFile)", QString("%1 ms").arg(save * 1e3, 0, 'f', 1),
         "target <= 120 ms");
    line("load (read + decode)", QString("%1 ms").arg(load * 1e3, 0, 'f', 1), "target <= 120 ms");
    line("  encode only, in memory", QString("%1 ms").arg(median(encodeTimes) * 1e3, 0, 'f', 1));
    line("  decode only, in memory", QString("%1 ms").arg(median(decodeTimes) * 1e3, 0, 'f', 1));
    if (pythonTimes.empty()) {
        line("Python csv module read", "python3 not found");
    } else {
        const double py = median(pythonTimes);
        line("Python csv module read of the CSV", QString("%1 ms").arg(py * 1e3, 0, 'f', 1),
             qPrintable(QString("(%1 rows)").arg(pythonRows)));
        line("native load / Python csv read", QString("%1").arg(load / py, 0, 'f', 3));
        line("native save / Python csv read", QString("%1").arg(save / py, 0, 'f', 3));
    }
    QFile::remove(cvtPath);
    return 0;
}
