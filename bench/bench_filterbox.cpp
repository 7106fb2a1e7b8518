// Quick filter box benchmark: bench_filterbox [records] [runs]
// Run with QT_QPA_PLATFORM=offscreen.
//
// The whole key press as the user has it: the filter box on a shown grid of
// 200,000 address records, each typed letter refilters the records, the
// grid hides and shows its rows, and the grid paints once. Typing "smith"
// letter by letter, deleting it again, then Esc on a text that shows a few
// records. Medians of wall time and the thread's CPU time per key.
#include "addressgen.h"
#include "benchutil.h"
#include "contacts/quickfilterbar.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <cstdio>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::timed;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int records = argc > 1 ? atoi(argv[1]) : 200000;
    const int runs = argc > 2 ? atoi(argv[2]) : 5;
    QWidget window;
    auto* grid = new GridWidget;
    auto* bar = new QuickFilterBar(grid);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(bar);
    layout->addWidget(grid);
    window.resize(1000, 700);
    {
        Table t;
        bench::fillAddressTable(t, records);
        grid->gridModel()->replaceTable(std::move(t));
    }
    grid->setFocus(); // where the window's focus starts
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        std::fprintf(stderr, "the window did not become active\n");
    auto* box = bar->findChild<QLineEdit*>(QStringLiteral("txtFilter"));
    // Coming to the box folds the records once (one sample: the fold's
    // median is in bench_filter).
    const double focusS = bench::seconds([&] {
        box->setFocus();
        QApplication::processEvents();
    });
    // One key press: the key, the events it posts, one paint of the grid.
    const auto press = [&](Qt::Key key) {
        QTest::keyClick(box, key);
        QApplication::processEvents();
        (void)grid->grab();
    };
    const QString typed = QStringLiteral("smith");
    std::vector<std::vector<double>> wall(size_t(typed.size()) * 2 + 2), cpu(wall.size());
    std::vector<QString> labels(wall.size());
    for (int run = 0; run < runs; ++run) {
        size_t k = 0;
        for (QChar ch : typed) {
            timed(wall[k], cpu[k], [&] {
                QTest::keyClicks(box, QString(ch));
                QApplication::processEvents();
                (void)grid->grab();
            });
            labels[k++] = QStringLiteral("type \"%1\"").arg(box->text());
        }
        for (qsizetype i = 0; i < typed.size(); ++i) {
            timed(wall[k], cpu[k], [&] { press(Qt::Key_Backspace); });
            labels[k++] = QStringLiteral("back to \"%1\"").arg(box->text());
        }
        QTest::keyClicks(box, QStringLiteral("smit"));
        QApplication::processEvents();
        timed(wall[k], cpu[k], [&] { press(Qt::Key_H); });
        labels[k++] = QStringLiteral("\"smith\" again");
        timed(wall[k], cpu[k], [&] { press(Qt::Key_Escape); });
        labels[k++] = QStringLiteral("Esc (all shown)");
    }
    std::printf("Filter box on %d records x %d columns, each key with its paint, median of %d "
                "runs (wall, thread cpu):\n",
                records, grid->ColCount(), runs);
    std::printf("  %-20s %8.1f ms  (once)\n", "focus the box", focusS * 1e3);
    for (size_t k = 0; k < wall.size(); ++k)
        std::printf("  %-20s %8.1f ms  cpu %8.1f ms\n", qPrintable(labels[k]),
                    median(wall[k]) * 1e3, median(cpu[k]) * 1e3);
    return 0;
}
