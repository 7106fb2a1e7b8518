// Feeds arbitrary bytes to the vCard reader. The first two bytes pick the
// column roles the writer is given (street and phone; the others stay), so
// that clashing and far-off roles are tried too. Beyond "no crash, no
// hang, no leak": every cell holds valid UTF-8, a table the reader made,
// written with each card in its own version and read back, is the very
// same table, and written in either version for all cards it keeps every
// cell a column shows.
#include "files/vcard.h"
#include "fuzzfail.h"
#include "grid/table.h"

#include <cstdint>

using namespace corvanta;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    ColumnRoles roles;
    roles.map = int(data[0] % 16);
    roles.phone = int(data[1] % 16);
    const QByteArrayView input(data + 2, qsizetype(size - 2));

    Table table;
    if (!Vcard::decode(input, table))
        return 0; // no card, or beyond the table's limits
    for (int r = 0; r < table.rowCount(); ++r)
        for (int c = 0; c < table.colCount(); ++c)
            if (!Table::isValidUtf8(table.utf8(r, c)))
                fuzzFail("a cell holds invalid UTF-8");

    if (table.rowCount() == 1)
        return 0; // no record: nothing is written
    for (const Vcard::Version v : {Vcard::Version::Same, Vcard::Version::V3, Vcard::Version::V4}) {
        Table again;
        if (!Vcard::decode(Vcard::encode(table, roles, v), again))
            fuzzFail("the reader refused the writer's output");
        if (v == Vcard::Version::Same) {
            if (!(again == table))
                fuzzFail("written and read back, the table differs");
            continue;
        }
        // Another version changes the kept text (a photo's form, the
        // version line), never a cell that shows.
        if (again.rowCount() != table.rowCount())
            fuzzFail("written in another version, the records differ");
        for (int r = 0; r < table.rowCount(); ++r)
            for (int c = 0; c < table.colCount(); ++c)
                if (!table.column(c).hidden && again.text(r, c) != table.text(r, c))
                    fuzzFail("written in another version, a cell differs");
    }
    return 0;
}
