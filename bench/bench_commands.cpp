// Command benchmark: bench_commands [records] [runs]
// Run with QT_QPA_PLATFORM=offscreen.
//
// The steps a user repeats all day, on a table of `records` address
// records and on one of 10: a cell edit with its undo and redo, the grid
// refresh after a click (fa_Click, which refreshes the form panel) and the
// panel refresh alone. None of them may do per-row work, so both tables
// must show the same times. Each figure is the median over `runs` of the
// mean of 1000 calls, in microseconds.
#include "addressgen.h"
#include "benchutil.h"
#include "editing/formpanel.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "table/edithistory.h"
#include "table/setdefaults.h"
#include "table/tablecommands.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QUndoStack>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace corvanta;
using bench::median;

namespace {

constexpr int kCalls = 1000;

struct Contender
{
    int records = 0;
    QWidget window; // owns the grids and, once placed, the panel's side
    GridWidget& fa = *new GridWidget(&window);
    GridWidget& fb = *new GridWidget(&window);
    std::unique_ptr<FormPanel> panel;
    std::unique_ptr<TableCommands> commands;
    std::unique_ptr<EditHistory> undo;
    ~Contender()
    {
        // The commands and the panel watch the grids: they go first.
        undo.reset();
        commands.reset();
        panel.reset();
    }
};

double microsPerCall(const std::function<void(int)>& f)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kCalls; ++i)
        f(i);
    return double(timer.nsecsElapsed()) / 1e3 / kCalls;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int records = argc > 1 ? std::max(100, atoi(argv[1])) : 200000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 7;

    std::vector<std::unique_ptr<Contender>> all;
    for (int n : {records, 10}) {
        auto c = std::make_unique<Contender>();
        c->records = n;
        SetDefaults(c->fa, c->fb);
        Table t;
        bench::fillAddressTable(t, n);
        c->fa.gridModel()->replaceTable(std::move(t));
        c->panel = std::make_unique<FormPanel>(&c->fa, &c->fb);
        c->panel->side()->setParent(&c->window);
        c->panel->setup();
        c->commands = std::make_unique<TableCommands>(&c->fa);
        c->undo = std::make_unique<EditHistory>(c->fa.gridModel());
        c->fa.SelectRange(n / 2, 1);
        all.push_back(std::move(c));
    }

    struct Step
    {
        const char* label;
        std::function<void(Contender&, int)> call;
    };
    const std::vector<Step> steps = {
        {"edit a cell (recorded)",
         [](Contender& c, int i) {
             c.undo->setText(c.records / 2, 1, QStringLiteral("Edited %1").arg(i));
         }},
        {"undo a cell edit", [](Contender& c, int) { c.undo->stack()->undo(); }},
        {"redo a cell edit", [](Contender& c, int) { c.undo->stack()->redo(); }},
        {"fa_Click (panel follows)",
         [](Contender& c, int i) {
             c.fa.SelectRange(1 + i % c.records, 1);
             c.commands->fa_Click();
         }},
        {"current record moves (panel follows)",
         [](Contender& c, int i) { c.fa.SelectRange(1 + i % c.records, 1); }},
    };

    std::printf("bench_commands: %d and %d records x 10 columns, %d runs of %d calls, "
                "median microseconds a call\n",
                all[0]->records, all[1]->records, runs, kCalls);
    std::printf("%-32s %12s %12s %8s\n", "step", "large", "small", "ratio");
    for (const Step& s : steps) {
        std::vector<double> times[2];
        for (int r = 0; r < runs; ++r) {
            for (size_t k = 0; k < all.size(); ++k) {
                Contender& c = *all[k];
                // Undo and redo each take back what the run before made.
                if (s.label == steps[1].label)
                    for (int i = 0; i < kCalls; ++i)
                        c.undo->setText(c.records / 2, 1, QStringLiteral("Before %1").arg(i));
                if (s.label == steps[2].label)
                    for (int i = 0; i < kCalls && c.undo->stack()->canUndo(); ++i)
                        c.undo->stack()->undo();
                times[k].push_back(microsPerCall([&](int i) { s.call(c, i); }));
                QCoreApplication::processEvents();
            }
        }
        const double a = median(times[0]), b = median(times[1]);
        std::printf("%-32s %12.2f %12.2f %8.1f\n", s.label, a, b, b > 0 ? a / b : 0.0);
    }
    return 0;
}
