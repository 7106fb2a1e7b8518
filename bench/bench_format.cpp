// Typed columns and formatting: bench_format [runs] [format]
//
// With "format" only the formatter is measured.
//
// 1. The value formatter over 1,000,000 values of each typed column
//    (Number, Money, Date), each through the pattern of its list that does
//    the most work.
// 2. Accepting Column Define that cuts 10 columns to 8 on 200,000 records,
//    as the undoable change the dialog pushes, with the table shown in a
//    grid; and taking it back.
// 3. Scrolling the shown grid page by page over the whole table, with three
//    typed columns and with none, side by side.
// 4. A bold block over every cell of 200,000 records: native file and heap
//    growth.
#include "addressgen.h"
#include "benchutil.h"
#include "files/nativefile.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "table/edithistory.h"
#include "table/valueformat.h"

#include <QApplication>
#include <QDate>
#include <QImage>
#include <QRandomGenerator>
#include <QScrollBar>

#include <cstdio>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::seconds;

namespace {

constexpr int kValues = 1000000;
constexpr int kRecords = 200000;

QStringList numbers(QRandomGenerator& rng)
{
    QStringList out;
    out.reserve(kValues);
    for (int i = 0; i < kValues; ++i) {
        const double v = (rng.bounded(2000001) - 1000000) / 100.0 * (rng.bounded(3) + 1);
        out << QString::number(v, 'f', int(rng.bounded(4)));
    }
    return out;
}

QStringList dates(QRandomGenerator& rng)
{
    QStringList out;
    out.reserve(kValues);
    for (int i = 0; i < kValues; ++i) {
        const QDate d = QDate(1930, 1, 1).addDays(rng.bounded(36500));
        if (i % 4 == 3)
            out << QString::number(40000 + rng.bounded(10000) + rng.bounded(86400) / 86400.0, 'f',
                                   6);
        else
            out << d.toString(Qt::ISODate) + QStringLiteral(" %1:%2")
                                                 .arg(rng.bounded(24), 2, 10, QChar(u'0'))
                                                 .arg(rng.bounded(60), 2, 10, QChar(u'0'));
    }
    return out;
}

double formatAll(int type, const QString& pattern, const QStringList& values)
{
    qsizetype chars = 0;
    const double s = seconds([&] {
        for (const QString& v : values)
            chars += ValueFormat::shown(type, pattern, v).size();
    });
    if (chars == 0)
        std::printf("(nothing formatted)\n");
    return s;
}

void typeColumns(TableModel* m, bool typed)
{
    const ColumnAttr plain;
    m->setColumnAttr(8, typed ? ColumnAttr{-1, TypeMoney, "$#,###.00", AlignRight, false} : plain);
    m->setColumnAttr(9, typed ? ColumnAttr{-1, TypeDate, "dd-Mmm-yyyy", AlignLeft, false} : plain);
    m->setColumnAttr(4, typed ? ColumnAttr{-1, TypeNumber, "#,###", AlignRight, false} : plain);
}

// Every page of the grid painted once, top to bottom.
double scrollThrough(GridWidget& grid)
{
    QImage image(grid.viewport()->size(), QImage::Format_ARGB32);
    QScrollBar* bar = grid.verticalScrollBar();
    const int page = std::max(1, bar->pageStep());
    return seconds([&] {
        for (int v = bar->minimum(); v <= bar->maximum(); v += page * 50) {
            bar->setValue(v);
            grid.viewport()->render(&image);
        }
    });
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QRandomGenerator rng(7);

    // 1. The formatter.
    const QStringList nums = numbers(rng);
    const QStringList dts = dates(rng);
    std::vector<double> tNumber, tMoney, tDate;
    for (int i = 0; i < runs; ++i) {
        tNumber.push_back(formatAll(TypeNumber, QStringLiteral("#,###.00"), nums));
        tMoney.push_back(formatAll(TypeMoney, QStringLiteral("$#,###.00"), nums));
        tDate.push_back(formatAll(TypeDate, QStringLiteral("mm/dd/yy hh:mm:ss AMPM"), dts));
    }
    const double fn = median(tNumber), fm = median(tMoney), fd = median(tDate);
    std::printf("format 1,000,000 values (median of %d): Number %.3f s, Money %.3f s, "
                "Date %.3f s, total %.3f s\n",
                runs, fn, fm, fd, fn + fm + fd);
    if (argc > 2 && qstrcmp(argv[2], "format") == 0)
        return 0;

    // 2. Column Define 10 -> 8, with the table shown.
    Table base;
    bench::fillAddressTable(base, kRecords);
    GridWidget grid;
    grid.resize(1000, 700);
    grid.show();
    std::vector<double> tAccept, tUndo;
    for (int i = 0; i < runs; ++i) {
        grid.gridModel()->replaceTable(Table(base));
        EditHistory history(grid.gridModel());
        std::vector<ColumnDefineCommand::Column> cols;
        for (int c = 0; c < 8; ++c)
            cols.push_back(
                {base.text(0, c), c == 4 ? int(TypeNumber) : int(TypeText), {}, AlignLeft, false});
        tAccept.push_back(seconds([&] {
            history.defineColumns(8, 0, std::move(cols), {}, {});
            QCoreApplication::processEvents();
        }));
        if (grid.ColCount() != 8)
            std::printf("(Column Define did not cut)\n");
        tUndo.push_back(seconds([&] {
            history.stack()->undo();
            QCoreApplication::processEvents();
        }));
        if (!(grid.table() == base))
            std::printf("(undo did not restore the table)\n");
    }
    std::printf("Column Define 10 -> 8 on %d records (median of %d): accept %.3f s, undo %.3f s\n",
                kRecords, runs, median(tAccept), median(tUndo));

    // 3. Scrolling, typed against untyped, interleaved.
    grid.gridModel()->replaceTable(Table(base));
    for (int r = 1; r <= kRecords; r += 1) {
        // Values the typed columns can format.
        grid.gridModel()->setText(r, 8, QString::number(r * 1.25, 'f', 2));
        grid.gridModel()->setText(r, 9, QDate(1950, 1, 1).addDays(r % 20000).toString(Qt::ISODate));
        grid.gridModel()->setText(r, 4, QString::number(r * 7));
    }
    std::vector<double> tPlain, tTyped;
    for (int i = 0; i < runs; ++i) {
        typeColumns(grid.gridModel(), false);
        tPlain.push_back(scrollThrough(grid));
        typeColumns(grid.gridModel(), true);
        tTyped.push_back(scrollThrough(grid));
    }
    std::printf("scroll %d records, every 50th page painted (median of %d): untyped %.3f s, "
                "three typed columns %.3f s\n",
                kRecords, runs, median(tPlain), median(tTyped));

    // 4. A bold block over every record.
    Table t(base);
    const qsizetype before = NativeFile::encode(t).size();
    const size_t heapBefore = t.heapBytes();
    TableModel model;
    model.replaceTable(std::move(t));
    const double tBold =
        seconds([&] { model.setCellSetting(PropFontBold, 1, 0, kRecords, 9, true); });
    const QByteArray file = NativeFile::encode(model.table());
    const qsizetype after = file.size();
    Table loaded;
    if (!NativeFile::decode(file, loaded).ok())
        std::printf("(the bold file did not load)\n");
    std::printf("bold block %d x 10: %.3f s; native file %lld -> %lld bytes (+%lld, %.1f bytes "
                "a record); heap +%.1f MB, +%.1f MB after loading the file\n",
                kRecords, tBold, (long long)before, (long long)after, (long long)(after - before),
                double(after - before) / kRecords,
                double(model.table().heapBytes() - heapBefore) / 1e6,
                double(loaded.heapBytes() - heapBefore) / 1e6);
    return 0;
}
