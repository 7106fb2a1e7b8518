// Feeds arbitrary bytes to the converter's layout file reader, which lays a
// file from outside over a table. Beyond "no crash, no hang, no leak": a
// refused layout names its line and leaves the table exactly as it was.
#include "grid/table.h"
#include "layoutfile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace corvanta;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Table table(4, 3);
    table.setText(0, 0, u"Name");
    table.setText(0, 1, u"Phone");
    table.setText(0, 2, u"Balance");
    table.setText(2, 1, u"555-0100");
    const Table before = table;

    const FileStatus status = LayoutFile::apply(QByteArrayView(data, qsizetype(size)), table);
    if (!status) {
        if (!(table == before) || !userText(status).startsWith(u"line ")) {
            std::fprintf(stderr, "a refused layout changed the table or named no line\n");
            std::abort();
        }
    }
    return 0;
}
