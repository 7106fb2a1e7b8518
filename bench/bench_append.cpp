// Append benchmark: bench_append [records] [base] [runs] [cvt|csv]
// Run with QT_QPA_PLATFORM=offscreen.
//
// File > Append of a native file of `records` address records (default
// 200,000) to a shown table of `base` records (default 1,000), through the
// same FileAppend the menu runs, then Undo and Redo of it. Each run starts
// from the base table again. Also timed on its own: the table step alone
// (the rows moved into the table, without reading the file), so the share
// of the reader shows. Medians over `runs`, in seconds.
//
// 200,000 records on 1,000 pass the address book's limit of 200,001: the
// append takes the 199,001 that fit and reports the rest, which this
// benchmark's platform answers without a window.
#include "addressgen.h"
#include "benchutil.h"
#include "files/document.h"
#include "files/fileappend.h"
#include "files/filecommands.h"
#include "files/nativefile.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "platform/platform.h"
#include "table/addressdefaults.h"
#include "table/edithistory.h"
#include "table/setdefaults.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QUndoStack>

#include <cstdio>
#include <vector>

using namespace corvanta;
using bench::median;
using bench::seconds;

namespace {

// Answers every message box with OK at once, and remembers the last text.
class QuietPlatform : public QtPlatform
{
  public:
    MsgAnswer messageBox(const QString& text, const QString&, MsgIcon, MsgButtons, int) override
    {
        last = text;
        return MsgAnswer::Ok;
    }
    QString last;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int records = argc > 1 ? std::max(1, atoi(argv[1])) : 200000;
    const int base = argc > 2 ? std::max(1, atoi(argv[2])) : 1000;
    const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : 7;
    const bool csv = argc > 4 && qstrcmp(argv[4], "csv") == 0;

    QTemporaryDir dir;
    const QString file =
        dir.filePath(csv ? QStringLiteral("more.csv") : QStringLiteral("more.cvt"));
    {
        Table t;
        bench::fillAddressTable(t, records, 7);
        QFile out(file);
        const bool written = csv ? out.open(QIODevice::WriteOnly) &&
                                       out.write(bench::generateAddressCsv(records, 7)) > 0
                                 : bool(NativeFile::save(t, file));
        if (!written) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }

    QWidget window;
    window.resize(1000, 700);
    auto* fa = new GridWidget(&window);
    fa->resize(1000, 700);
    auto* fb = new GridWidget(&window);
    fb->hide();
    auto* fc = new GridWidget(&window);
    fc->hide();
    SetDefaults(*fa, *fb);
    window.show();
    QApplication::processEvents();

    Document doc(dir.path());
    QuietPlatform platform;
    CommonDialog dialog;
    EditHistory undo(fa->gridModel());
    FileCommands files(doc, undo, fa, fb, fc, platform, dialog);
    FileAppend append(files, fa, fc, platform, dialog);

    std::vector<double> tAppend, tUndo, tRedo, tStep;
    for (int r = 0; r < runs; ++r) {
        Table start;
        bench::fillAddressTable(start, base, 1);
        fa->gridModel()->replaceTable(Table(start));
        undo.clear();
        QApplication::processEvents();

        tAppend.push_back(seconds([&] { append.appendFile(file); }));
        const int expected = std::min(base + records, AddressDefaults::MaxRecords) + 1;
        if (fa->RowCount() != expected) {
            std::fprintf(stderr, "append gave %d rows\n", fa->RowCount());
            return 1;
        }
        QApplication::processEvents();
        tUndo.push_back(seconds([&] { undo.stack()->undo(); }));
        if (fa->RowCount() != base + 1)
            return 1;
        QApplication::processEvents();
        tRedo.push_back(seconds([&] { undo.stack()->redo(); }));
        QApplication::processEvents();

        // The table step alone: rows already in memory move in.
        fa->gridModel()->replaceTable(std::move(start));
        undo.clear();
        Table more;
        bench::fillAddressTable(more, records, 7);
        more.removeRows(0, 1);
        QApplication::processEvents();
        tStep.push_back(seconds([&] {
            undo.appendRows(std::move(more), fa->ColCount(), {}, QStringLiteral("Append"));
        }));
        QApplication::processEvents();
    }

    std::printf("bench_append: %d records (%s) appended to %d (shown grid), %d runs, median "
                "seconds\n",
                records, csv ? "comma text" : "native file", base, runs);
    if (!platform.last.isEmpty())
        std::printf("the append said: %s\n", qPrintable(platform.last));
    std::printf("%-40s %10.4f\n", "Append (read file + append)", median(tAppend));
    std::printf("%-40s %10.4f\n", "Undo of it", median(tUndo));
    std::printf("%-40s %10.4f\n", "Redo of it", median(tRedo));
    std::printf("%-40s %10.4f\n", "table step alone (no file)", median(tStep));
    return 0;
}
