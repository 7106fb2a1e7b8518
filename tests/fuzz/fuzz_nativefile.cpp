// Feeds arbitrary bytes to the native document reader. Beyond "no crash, no
// hang, no leak": a rejected input must leave the table as it was, and an
// accepted one must be in the writer's one form (encoding the table again
// gives back the very same bytes, which decode to an equal table).
#include "files/nativefile.h"
#include "grid/table.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace corvanta;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    Table table(2, 2);
    table.setText(1, 1, u"unchanged");
    const Table before = table;
    if (const FileStatus s = NativeFile::decode(input, table); !s) {
        if (!(table == before) || userText(s).isEmpty()) {
            std::fprintf(stderr, "rejected input changed the table or gave no reason\n");
            std::abort();
        }
        return 0;
    }
    const QByteArray again = NativeFile::encode(table);
    if (again != input) {
        std::fprintf(stderr, "accepted input is not in the writer's form\n");
        std::abort();
    }
    Table back;
    if (!NativeFile::decode(again, back) || !(back == table)) {
        std::fprintf(stderr, "re-encoded table does not read back the same\n");
        std::abort();
    }
    return 0;
}
