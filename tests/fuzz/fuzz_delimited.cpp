// Feeds arbitrary bytes to the delimited text reader. The first byte picks
// the delimiter (comma or TAB, or sniffed as the comma import does) and
// whether a title row sits above the text.
// Beyond "no crash, no hang, no leak": every cell holds valid UTF-8, the
// title row above the text is left alone, and writing the table and reading
// it back gives the very same cells (the writer quotes whatever the reader
// would otherwise split or drop).
#include "files/delimited.h"
#include "fuzzfail.h"
#include "grid/table.h"

#include <cstdint>

using namespace corvanta;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const char given = (data[0] & 4) ? Delimited::kSniff : (data[0] & 1) ? '\t' : ',';
    const int firstRow = (data[0] & 2) ? 1 : 0;
    const QByteArrayView input(data + 1, qsizetype(size - 1));

    Table table(1, 1);
    table.setText(0, 0, u"title");
    Delimited::ReadInfo info;
    if (!Delimited::decode(input, given, table, firstRow, &info)) {
        // Only absurd sizes are refused, which these inputs cannot reach.
        fuzzFail("the reader refused an input");
    }
    if (firstRow == 1 && table.text(0, 0) != u"title")
        fuzzFail("the row above the text changed");
    for (int r = 0; r < table.rowCount(); ++r)
        for (int c = 0; c < table.colCount(); ++c)
            if (!Table::isValidUtf8(table.utf8(r, c)))
                fuzzFail("a cell holds invalid UTF-8");

    // Written with the delimiter the text was read with, sniffed or not.
    const char delimiter = info.delimiter;
    if (given != Delimited::kSniff && delimiter != given)
        fuzzFail("the reader used another delimiter than the one given");
    const QByteArray written = Delimited::encode(table, delimiter, firstRow);
    Table again(1, 1);
    again.setText(0, 0, u"title");
    if (!Delimited::decode(written, delimiter, again, firstRow))
        fuzzFail("the reader refused the writer's output");
    if (again.colCount() < table.colCount())
        again.setColCount(table.colCount()); // trailing empty columns
    if (!(again == table))
        fuzzFail("written and read back, the cells differ");
    return 0;
}
