// Grid widget benchmark: bench_grid [records] [runs]
// Run with QT_QPA_PLATFORM=offscreen.
//
// A shown grid of `records` address records (10 columns) next to one of a
// hundredth of that size, each step run on both in turn, medians reported:
// model reset after a load (with the first paint), native load from disk,
// scrolling to the end and back with a paint each way, a page scroll, a
// cell edit with its repaint, the selection text of every record and
// writing it back. The small grid is the yardstick: a view that does no
// per-row work shows the same paint times on both.
#include "addressgen.h"
#include "benchutil.h"
#include "files/gridfile.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace corvanta;
using bench::median;

namespace {

double millis(const std::function<void()>& f)
{
    QElapsedTimer timer;
    timer.start();
    f();
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Contender
{
    const char* name;
    int records;
    Table source;
    QString nativePath;
    GridWidget grid;
};

void paint(GridWidget& g)
{
    (void)g.grab(); // renders the whole widget now, as a repaint would
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int records = argc > 1 ? std::max(100, atoi(argv[1])) : 200000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 7;

    QTemporaryDir dir;
    std::vector<std::unique_ptr<Contender>> all;
    for (int n : {records, records / 100}) {
        auto c = std::make_unique<Contender>();
        c->name = n == records ? "large" : "small";
        c->records = n;
        bench::fillAddressTable(c->source, n);
        c->nativePath = dir.filePath(QStringLiteral("%1.cvt").arg(n));
        c->grid.gridModel()->replaceTable(Table(c->source));
        if (const FileStatus s =
                GridFile::save(*c->grid.gridModel(), c->nativePath, FileFormat::Native);
            !s) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(userText(s)));
            return 1;
        }
        c->grid.resize(1200, 800);
        c->grid.show();
        if (!QTest::qWaitForWindowExposed(&c->grid))
            std::fprintf(stderr, "window not exposed; paints may be cheaper than on screen\n");
        all.push_back(std::move(c));
    }

    struct Step
    {
        const char* label;
        std::function<double(Contender&)> run;
    };
    const std::vector<Step> steps = {
        {"model reset + first paint",
         [](Contender& c) {
             Table copy = c.source; // outside the timing: the load's result
             return millis([&] {
                 c.grid.gridModel()->replaceTable(std::move(copy));
                 paint(c.grid);
             });
         }},
        {"LoadFile native + paint",
         [](Contender& c) {
             return millis([&] {
                 if (!GridFile::load(*c.grid.gridModel(), c.nativePath, FileFormat::Native, true))
                     std::fprintf(stderr, "load failed\n");
                 paint(c.grid);
             });
         }},
        {"scroll to end and back (2 paints)",
         [](Contender& c) {
             TableModel* m = c.grid.gridModel();
             return millis([&] {
                 c.grid.scrollTo(m->index(m->rowCount() - 1, 9));
                 paint(c.grid);
                 c.grid.scrollTo(m->index(0, 0));
                 paint(c.grid);
             });
         }},
        {"page down + paint",
         [](Contender& c) {
             QScrollBar* bar = c.grid.verticalScrollBar();
             bar->setValue(bar->maximum() / 2);
             return millis([&] {
                 bar->setValue(bar->value() + bar->pageStep());
                 paint(c.grid);
             });
         }},
        {"edit a cell + paint",
         [](Contender& c) {
             static int n = 0;
             const int row = c.grid.CurRow();
             return millis([&] {
                 c.grid.gridModel()->setData(c.grid.gridModel()->cellIndex(row, 1),
                                             QStringLiteral("Edited %1").arg(++n));
                 paint(c.grid);
             });
         }},
        {"ClipText of all records",
         [](Contender& c) {
             c.grid.SetSelectMode(3);
             c.grid.SelectRange(1, 0, c.grid.RowCount() - 1, c.grid.ColCount() - 1);
             QString text;
             const double ms = millis([&] { text = c.grid.ClipText(); });
             if (text.isEmpty())
                 std::fprintf(stderr, "empty selection text\n");
             return ms;
         }},
        {"SetClipText of all records",
         [](Contender& c) {
             c.grid.SetSelectMode(3);
             c.grid.SelectRange(1, 0, c.grid.RowCount() - 1, c.grid.ColCount() - 1);
             const QString text = c.grid.ClipText();
             return millis([&] { c.grid.SetClipText(text); });
         }},
    };

    std::printf("bench_grid: %d and %d records x 10 columns, %d runs, medians in ms\n",
                all[0]->records, all[1]->records, runs);
    std::printf("%-36s %12s %12s %8s\n", "step", all[0]->name, all[1]->name, "ratio");
    for (const Step& s : steps) {
        std::vector<double> times[2];
        for (int r = 0; r < runs; ++r)
            for (size_t i = 0; i < all.size(); ++i) {
                times[i].push_back(s.run(*all[i]));
                QCoreApplication::processEvents();
            }
        const double a = median(times[0]), b = median(times[1]);
        std::printf("%-36s %12.2f %12.2f %8.1f\n", s.label, a, b, b > 0 ? a / b : 0.0);
    }
    // The round trip must have kept every cell.
    Contender& big = *all[0];
    const bool same =
        big.grid.table().text(big.records, 9) == big.source.text(big.records, 9) &&
        big.grid.table().text(big.records / 2, 0) == big.source.text(big.records / 2, 0);
    std::printf("selection text round trip kept the cells: %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}
