// Delimited text benchmark: bench_delimited [records] [runs]
//
// Import (read the file, decode, fill a Table) and export (encode, write
// through AtomicFile) of the realistic address CSV, timed side by side with
// Python's csv module reading, and reading then writing, the same file.
// Each run times every contender once, in turn, so that the noise of a
// shared machine falls on all of them alike; medians are reported. The
// peak memory of an import is measured in a fresh child process
// (bench_delimited --import-peak FILE), where nothing else has run.
#include "addressgen.h"
#include "benchutil.h"
#include "files/delimited.h"
#include "grid/table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::statusKB;
using bench::pythonCsv;
using bench::seconds;

namespace {

// Child mode: one import in a process of its own; prints the resident size
// before it and the peak after it, in kB.
int importPeak(const QString& path)
{
    const qint64 before = statusKB("VmRSS");
    Table t(1, 1);
    if (const FileStatus s = Delimited::load(path, ',', t, 0); !s) {
        std::fprintf(stderr, "import failed: %s\n", qPrintable(userText(s)));
        return 1;
    }
    std::printf("%lld %lld %d\n", static_cast<long long>(before),
                static_cast<long long>(statusKB("VmHWM")), t.rowCount());
    return 0;
}

void line(const char* what, const QString& value, const char* note = "")
{
    std::printf("  %-46s %18s   %s\n", what, qPrintable(value), note);
}

QString ms(double s)
{
    return QString("%1 ms").arg(s * 1e3, 0, 'f', 1);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == "--import-peak")
        return importPeak(args[2]);

    const int records = args.size() > 1 ? std::max(1, args[1].toInt()) : 200001;
    const int runs = args.size() > 2 ? std::max(1, args[2].toInt()) : 7;

    QTemporaryDir dir;
    const QString csvPath = dir.filePath("addresses.csv");
    const QString outPath = dir.filePath("export.csv");
    const QString pyOutPath = dir.filePath("python.csv");

    QByteArray csv = bench::generateAddressCsv(records);
    const qsizetype csvBytes = csv.size();
    {
        QFile f(csvPath);
        if (!f.open(QIODevice::WriteOnly) || f.write(csv) != csv.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(csvPath));
            return 1;
        }
    }

    // The import must give exactly the table the generator describes, and
    // the export must give back the very bytes that were read.
    {
        Table expected;
        bench::fillAddressTable(expected, records);
        Table imported(1, 1);
        if (const FileStatus s = Delimited::load(csvPath, ',', imported, 0); !s) {
            std::fprintf(stderr, "import failed: %s\n", qPrintable(userText(s)));
            return 1;
        }
        if (!(imported == expected)) {
            std::fprintf(stderr, "the imported table differs from the generated one\n");
            return 1;
        }
        if (Delimited::encode(imported, ',') != csv) {
            std::fprintf(stderr, "the export differs from the imported file\n");
            return 1;
        }
    }
    csv = QByteArray(); // the timed runs start from the file alone

    std::printf("Delimited text benchmark: %d records x 10 columns, %.2f MB CSV, "
                "median of %d runs\n\n",
                records, csvBytes / 1e6, runs);

    std::vector<double> importT, exportT, parseT, encodeT, pyReadT, pyRwT;
    qsizetype pyRows = 0;
    for (int i = 0; i < runs; ++i) {
        Table t(1, 1);
        importT.push_back(seconds([&] {
            if (const FileStatus s = Delimited::load(csvPath, ',', t, 0); !s)
                std::fprintf(stderr, "import failed: %s\n", qPrintable(userText(s)));
        }));
        exportT.push_back(seconds([&] {
            if (const FileStatus s = Delimited::save(t, outPath, ',', 0); !s)
                std::fprintf(stderr, "export failed: %s\n", qPrintable(userText(s)));
        }));
        QByteArray bytes;
        encodeT.push_back(seconds([&] { bytes = Delimited::encode(t, ','); }));
        Table parsed(1, 1);
        parseT.push_back(seconds([&] { Delimited::decode(bytes, ',', parsed); }));
        const double py = pythonCsv(csvPath, QString(), &pyRows);
        if (py >= 0)
            pyReadT.push_back(py);
        const double pyRw = pythonCsv(csvPath, pyOutPath, &pyRows);
        if (pyRw >= 0)
            pyRwT.push_back(pyRw);
    }

    const double imp = median(importT), exp = median(exportT);
    line("import (read file + decode into a Table)", ms(imp), "target <= 150 ms");
    line("export (encode + write through AtomicFile)", ms(exp), "target <= 150 ms");
    line("  decode only, from memory", ms(median(parseT)));
    line("  encode only, to memory", ms(median(encodeT)));

    // Peak memory of one import, in a fresh process.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"--import-peak", csvPath});
    if (child.waitForFinished(300000) && child.exitCode() == 0) {
        const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
        const double before = f.value(0).toDouble() * 1024, peak = f.value(1).toDouble() * 1024;
        line("process peak resident size (VmHWM)", QString("%1 MB").arg(peak / 1e6, 0, 'f', 1),
             qPrintable(QString("= %1 x the file").arg(peak / double(csvBytes), 0, 'f', 2)));
        line("  of which the import (peak - size before)",
             QString("%1 MB").arg((peak - before) / 1e6, 0, 'f', 1),
             qPrintable(QString("= %1 x the file, target <= 2.5 x")
                            .arg((peak - before) / double(csvBytes), 0, 'f', 2)));
    } else {
        line("peak memory", "child process failed");
    }

    if (pyReadT.empty() || pyRwT.empty()) {
        line("Python csv module", "python3 not available");
        return 0;
    }
    const double pyRead = median(pyReadT), pyRw = median(pyRwT);
    std::printf("\nSide by side with Python %s csv module (%lld rows read)\n", "3",
                static_cast<long long>(pyRows));
    line("Python read", ms(pyRead));
    line("Python read + write", ms(pyRw));
    line("Python read / our import", QString("%1 x").arg(pyRead / imp, 0, 'f', 1), "target >= 4 x");
    line("Python read + write / our import + export",
         QString("%1 x").arg(pyRw / (imp + exp), 0, 'f', 1), "target >= 4 x");
    return 0;
}
