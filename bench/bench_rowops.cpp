// Row operation benchmark: bench_rowops [records] [runs]
// Run with QT_QPA_PLATFORM=offscreen.
//
// The editing commands on a shown table of `records` address records, each
// followed by its undo, through the same objects the main window wires
// (table, panel, undo stack, count control): Insert Row at the top, Delete
// of 100,000 picked rows (every other row, the scattered worst case, and
// one run), Move Up and Down of a 50,000-row block, Select All then Copy,
// Paste of 200,000 rows, growing the count from 10 to 200,001 records,
// Insert and Delete Column, sorting by Name and Reset All row heights (not
// undoable). Each undo must bring back
// the table it started from; figures are medians over `runs`, in ms, of the
// wall time and, beside it, of the thread's CPU time (the machine is shared:
// the CPU time shows what the wall time would be on a quiet one).
#include "addressgen.h"
#include "benchutil.h"
#include "editing/clipboardcommands.h"
#include "editing/countcommands.h"
#include "editing/countcontrol.h"
#include "editing/editinstaller.h"
#include "editing/formpanel.h"
#include "editing/rowcolcommands.h"
#include "editing/sortcommands.h"
#include "editing/systemclipboard.h"
#include "files/document.h"
#include "grid/clipblock.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "platform/platform.h"
#include "table/edithistory.h"
#include "table/setdefaults.h"
#include "table/tablecommands.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QItemSelection>
#include <QTemporaryDir>
#include <QUndoStack>

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::seconds;

namespace {

// The clipboard in memory: what is measured is the commands, not the
// display server.
struct MemoryClipboard : SystemClipboard
{
    QString held;
    void clear() override { held.clear(); }
    bool put(const QString& text) override
    {
        held = text;
        return true;
    }
    QString text() const override { return held; }
};

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Wall and CPU milliseconds of one call.
template <typename F> std::pair<double, double> timed(F&& f)
{
    const double cpu = cpuSeconds();
    const double wall = seconds(std::forward<F>(f));
    return {wall * 1e3, (cpuSeconds() - cpu) * 1e3};
}

struct Bench
{
    QTemporaryDir dir;
    QWidget window;
    GridWidget& fa = *new GridWidget(&window);
    GridWidget& fb = *new GridWidget(&window);
    QtPlatform platform;
    MemoryClipboard clipboard;
    Document doc{dir.path()};
    CountControl* counts = new CountControl(&window);
    std::unique_ptr<FormPanel> panel;
    std::unique_ptr<TableCommands> table;
    std::unique_ptr<EditHistory> undo;
    std::unique_ptr<EditInstaller> editing;

    explicit Bench(int records)
    {
        SetDefaults(fa, fb);
        Table t;
        bench::fillAddressTable(t, records);
        fa.gridModel()->replaceTable(std::move(t));
        panel = std::make_unique<FormPanel>(&fa, &fb);
        auto* layout = new QHBoxLayout(&window);
        layout->addWidget(panel->side());
        layout->addWidget(&fa);
        panel->setup();
        table = std::make_unique<TableCommands>(&fa);
        undo = std::make_unique<EditHistory>(fa.gridModel());
        editing = std::make_unique<EditInstaller>(EditTargets{
            &fa, &fb, panel.get(), &doc, undo.get(), table.get(), counts, &platform, &clipboard});
        fa.SetSelectMode(GridWidget::SelectWholeRows);
        window.resize(1000, 700);
        window.show();
        QCoreApplication::processEvents();
    }
    ~Bench()
    {
        editing.reset();
        undo.reset();
        table.reset();
        panel.reset();
    }
    void selectRows(int first, int last) { fa.SelectRange(first, 0, last, fa.ColCount() - 1); }
    void undoLast() { undo->stack()->undo(); }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int records = argc > 1 ? std::max(1000, atoi(argv[1])) : 200000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    Bench b(records);
    const Table original = b.fa.table();
    const int half = records / 2;
    // Every other record, picked one by one as Ctrl+clicks would.
    const auto pickEveryOther = [&] {
        QItemSelection everyOther;
        for (int r = 1; r <= records; r += 2)
            everyOther.select(b.fa.model()->index(r - 1, 0),
                              b.fa.model()->index(r - 1, b.fa.ColCount() - 1));
        b.fa.selectionModel()->select(everyOther, QItemSelectionModel::ClearAndSelect);
    };
    Table pasteSource;
    bench::fillAddressTable(pasteSource, records, 7);
    const QString pasteText =
        ClipBlock::encode(pasteSource, 1, 0, records, pasteSource.colCount() - 1);

    struct Op
    {
        const char* label;
        std::function<void()> setup;
        std::function<void()> run;
    };
    RowColCommands& rc = *b.editing->rowCol();
    ClipboardCommands& cc = *b.editing->clipboard();
    const std::vector<Op> ops = {
        {"Insert Row at the top", [&] { b.selectRows(1, 1); }, [&] { rc.insertRow(); }},
        {"Delete 100,000 picked rows (every other)", pickEveryOther, [&] { rc.deleteRows(); }},
        {"Delete 100,000 rows (one run)", [&] { b.selectRows(1, half); }, [&] { rc.deleteRows(); }},
        {"Move Up a 50,000-row block", [&] { b.selectRows(half, half + 49999); },
         [&] { rc.moveRows(-1); }},
        {"Move Down a 50,000-row block", [&] { b.selectRows(half, half + 49999); },
         [&] { rc.moveRows(1); }},
        {"Select All then Copy", [] {},
         [&] {
             rc.selectAll();
             cc.copy();
         }},
        {"Paste 200,000 rows",
         [&] {
             b.clipboard.held = pasteText;
             b.selectRows(1, records);
             b.panel->makeActive(1);
         },
         [&] { cc.paste(); }},
        {"Insert Column", [&] { b.fa.SelectRange(1, 2); }, [&] { rc.insertColumn(); }},
        {"Delete Column", [&] { b.fa.SelectRange(1, 2); }, [&] { rc.deleteColumn(); }},
        {"Sort by Name", [] {}, [&] { b.editing->sort()->sortBy(0, true); }},
        {"Sort by Name, descending", [] {}, [&] { b.editing->sort()->sortBy(0, false); }},
        // Not undoable (heights never are): it runs last, the table then
        // keeps its new heights.
        {"Reset All row heights", [&] { b.panel->makeActive(1); },
         [&] { b.editing->counts()->resetRowHeights(); }},
    };

    std::printf("bench_rowops: %d records x %d columns, median of %d runs, ms\n", records,
                b.fa.ColCount(), runs);
    std::printf("%-44s %9s %9s %9s %9s\n", "operation", "do", "(cpu)", "undo", "(cpu)");
    bool allBack = true;
    const QByteArray only = qgetenv("BENCH_ONLY"); // profiling one operation
    for (const Op& op : ops) {
        if (!only.isEmpty() && !QByteArray(op.label).startsWith(only))
            continue;
        std::vector<double> doing, doingCpu, undoing, undoingCpu;
        for (int r = 0; r < runs; ++r) {
            op.setup();
            QCoreApplication::processEvents();
            const auto [wall, cpu] = timed(op.run);
            doing.push_back(wall);
            doingCpu.push_back(cpu);
            QCoreApplication::processEvents();
            if (b.undo->stack()->canUndo()) {
                const auto [uWall, uCpu] = timed([&] { b.undoLast(); });
                undoing.push_back(uWall);
                undoingCpu.push_back(uCpu);
            }
            QCoreApplication::processEvents();
            b.undo->stack()->clear();
        }
        const bool undoable = !undoing.empty() || QByteArray(op.label).startsWith("Select");
        const bool back = !undoable || b.fa.table() == original;
        allBack = allBack && back;
        if (undoing.empty()) // nothing to undo: Copy changes no cell
            std::printf("%-44s %9.1f %9.1f %9s %9s%s\n", op.label, median(doing), median(doingCpu),
                        "-", "-", back ? "" : "  (NOT BACK)");
        else
            std::printf("%-44s %9.1f %9.1f %9.1f %9.1f%s\n", op.label, median(doing),
                        median(doingCpu), median(undoing), median(undoingCpu),
                        back ? "" : "  (NOT BACK)");
    }

    // The count control: from 10 records to 200,001 and back by undo.
    b.fa.gridModel()->replaceTable(Table(11, 10));
    std::vector<double> grow, growCpu, shrink, shrinkCpu;
    for (int r = 0; r < runs; ++r) {
        const auto [wall, cpu] = timed([&] { b.editing->counts()->setRecordCount(200001); });
        grow.push_back(wall);
        growCpu.push_back(cpu);
        QCoreApplication::processEvents();
        const auto [uWall, uCpu] = timed([&] { b.undoLast(); });
        shrink.push_back(uWall);
        shrinkCpu.push_back(uCpu);
        QCoreApplication::processEvents();
        b.undo->stack()->clear();
    }
    std::printf("%-44s %9.1f %9.1f %9.1f %9.1f%s\n", "Grow the count from 10 to 200,001",
                median(grow), median(growCpu), median(shrink), median(shrinkCpu),
                b.fa.RowCount() == 11 ? "" : "  (NOT BACK)");
    return allBack ? 0 : 1;
}
