// Printing benchmark: bench_print [records] [runs]
//
// Mailing labels ("3 x 10", the standard pattern) and the print sheet
// (visible columns, portrait, scale 75) of an address table written to PDF,
// each run of each interleaved with the other; medians reported, with the
// page counts, the PDF sizes and the peak resident size.
#include "addressgen.h"
#include "benchutil.h"
#include "grid/table.h"
#include "printing/labellayout.h"
#include "printing/pagerenderer.h"
#include "printing/sheetlayout.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

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

qint64 writePdf(const PageSource& pages, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !PageRenderer::writePdf(pages, file, "bench"))
        return -1;
    return file.size();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;

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

    QTemporaryDir dir;
    std::vector<double> labelTimes, sheetTimes;
    qint64 labelBytes = 0, sheetBytes = 0;
    for (int i = 0; i < runs; ++i) {
        labelTimes.push_back(
            seconds([&] { labelBytes = writePdf(labels, dir.filePath("labels.pdf")); }));
        sheetTimes.push_back(
            seconds([&] { sheetBytes = writePdf(sheet, dir.filePath("sheet.pdf")); }));
    }
    std::printf("%d records, %d runs (medians)\n", records, runs);
    std::printf("labels \"3 x 10\" to PDF: %.3f s, %d pages, %.1f MB\n", median(labelTimes),
                labels.pageCount(), labelBytes / 1e6);
    std::printf("sheet (scale 75) to PDF:  %.3f s, %d pages, %.1f MB\n", median(sheetTimes),
                sheet.pageCount(), sheetBytes / 1e6);
    std::printf("peak resident size: %.0f MB\n", peakResidentMB());
    return labelBytes > 0 && sheetBytes > 0 ? 0 : 1;
}
