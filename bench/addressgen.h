#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace corvanta {
class Table;
}

namespace corvanta::bench {

// Realistic address data for the benchmarks, the same for a given seed on
// every machine. Ten columns: Name, Street, City, State, Zip Code, Phone,
// Email, Web Site, Notes, Notes 2. About a quarter of all cells are empty,
// about a third of the records hold a field that needs quotes ("Last, First"
// names, commas and doubled quotes in streets and notes), about 3% a line
// break inside a note (a bare LF, kept as is in the cell), about 7% a
// non-ASCII name (accented Latin, Cyrillic, Greek, CJK); zip codes keep
// their leading zeros. 200,001 records come to about 22 MB of CSV.

// UTF-8 CSV with CRLF line ends: the title line, then `records` records.
QByteArray generateAddressCsv(int records, quint32 seed = 1);

// The same cell texts straight into `t`: row 0 the titles, then `records`
// rows; `t` ends up records + 1 rows by 10 columns with nothing else set.
void fillAddressTable(Table& t, int records, quint32 seed = 1);

} // namespace corvanta::bench
