// Feeds arbitrary text to the clipboard block reader, as a paste or a drop
// from another program would. Beyond "no crash, no hang, no leak": the
// block written into a table and taken out again as text reads back as the
// very same cells (the writer quotes whatever the reader would otherwise
// split or take apart).
#include "grid/clipblock.h"
#include "grid/table.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace corvanta;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const ClipBlock block = ClipBlock::parse(text);
    const int rows = block.rowCount();
    const int cols = block.maxCellCount();
    // A block of a few thousand rows and columns is legal but would make
    // each run slow without reaching new code.
    if (rows == 0 || qint64(rows) * cols > 100000)
        return 0;

    Table table(rows, cols);
    block.writeTo(table, 0, 0, rows - 1, cols - 1);
    const ClipBlock back = ClipBlock::parse(ClipBlock::encode(table, 0, 0, rows - 1, cols - 1));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            if (block.cell(r, c) != table.utf8(r, c) || back.cell(r, c) != block.cell(r, c)) {
                std::fprintf(stderr, "cell %d,%d differs after a round trip\n", r, c);
                std::abort();
            }
        }
    }
    return 0;
}
