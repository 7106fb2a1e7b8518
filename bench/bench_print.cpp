// Printing benchmark: bench_print [records] [runs] [labels|sheet|both]
//
// Mailing labels ("3 x 10", the standard pattern) and the print sheet
// (visible columns, portrait, scale 75) of an address table written to PDF
// the way the converter and File > Print to a PDF file write it, each run
// of each interleaved with the other; medians reported, with the page
// counts, the PDF sizes, the resident size once the table is built and the
// peak. Pages are made one at a time, so what printing adds to the peak
// must not grow with the records: run it once for 10,000 and once for
// 200,000 records, one kind at a time, and compare the two "printing
// added" figures.
#include "addressgen.h"
#include "benchutil.h"
#include "grid/table.h"
#include "printing/labellayout.h"
#include "printing/pagerenderer.h"
#include "printing/sheetlayout.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

using namespace corvanta;
using bench::median;
using bench::seconds;

namespace {

double peakResidentMB()
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// Processor time of the process so far, user and system, in seconds: on a
// shared machine the wall time also counts the waits for a processor.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto s = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return s(usage.ru_utime) + s(usage.ru_stime);
}

qint64 writePdf(const PageSource& pages, const QString& path)
{
    if (const FileStatus s = PageRenderer::writePdfFile(pages, path, QStringLiteral("bench")); !s) {
        std::fprintf(stderr, "%s\n", qPrintable(userText(s)));
        return -1;
    }
    return QFileInfo(path).size();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const QByteArray kind = argc > 3 ? QByteArray(argv[3]) : QByteArray("both");
    const bool doLabels = kind != "sheet";
    const bool doSheet = kind != "labels";

    Table table;
    bench::fillAddressTable(table, records);
    std::vector<int> rows;
    for (int r = 1; r < table.rowCount(); ++r)
        rows.push_back(r);
    QStringList titles;
    for (int c = 0; c < table.colCount(); ++c)
        titles.append(table.text(0, c));

    const LabelLayout labels(table, LabelPattern::standard(titles), rows, LabelOptions{});
    SheetOptions sheetOptions;
    sheetOptions.rows = rows;
    const SheetLayout sheet(table, sheetOptions);
    const double tableMB = peakResidentMB();

    QTemporaryDir dir;
    std::vector<double> labelTimes, sheetTimes, labelCpu, sheetCpu;
    qint64 labelBytes = 0, sheetBytes = 0;
    for (int i = 0; i < runs; ++i) {
        double cpu = cpuSeconds();
        if (doLabels) {
            labelTimes.push_back(
                seconds([&] { labelBytes = writePdf(labels, dir.filePath("labels.pdf")); }));
            labelCpu.push_back(cpuSeconds() - cpu);
            cpu = cpuSeconds();
        }
        if (doSheet) {
            sheetTimes.push_back(
                seconds([&] { sheetBytes = writePdf(sheet, dir.filePath("sheet.pdf")); }));
            sheetCpu.push_back(cpuSeconds() - cpu);
        }
    }
    std::printf("%d records, %d runs (medians)\n", records, runs);
    if (doLabels)
        std::printf("labels \"3 x 10\" to PDF: %.3f s (%.3f s of processor), %d pages, %.1f MB\n",
                    median(labelTimes), median(labelCpu), labels.pageCount(), labelBytes / 1e6);
    if (doSheet)
        std::printf("sheet (scale 75) to PDF:  %.3f s (%.3f s of processor), %d pages, %.1f MB\n",
                    median(sheetTimes), median(sheetCpu), sheet.pageCount(), sheetBytes / 1e6);
    const double peakMB = peakResidentMB();
    std::printf("resident size with the table: %.0f MB, peak: %.0f MB, printing added: %.0f MB\n",
                tableMB, peakMB, peakMB - tableMB);
    return (!doLabels || labelBytes > 0) && (!doSheet || sheetBytes > 0) ? 0 : 1;
}
