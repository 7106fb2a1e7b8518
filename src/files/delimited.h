#pragma once

#include <QByteArray>
#include <QString>

#include "files/filestatus.h"

namespace corvanta {

class Table;

// Comma- and TAB-delimited text (RFC 4180 quoting).
namespace Delimited {

// Parses `bytes` (any of the accepted encodings) into rows of `out`,
// starting at row `firstRow`; rows and columns are added as needed (ragged
// rows widen the table to the longest). Rows before `firstRow` are kept.
// A failure (bad arguments, or text beyond the table's limits) leaves `out`
// unchanged.
FileStatus decode(QByteArrayView bytes, char delimiter, Table& out, int firstRow = 0);

// Writes rows `firstRow`..rowCount-1 as UTF-8 without BOM, CRLF line ends.
QByteArray encode(const Table& table, char delimiter, int firstRow = 0);

FileStatus load(const QString& path, char delimiter, Table& out, int firstRow = 0);
// Writes through QSaveFile: a failure leaves any old file untouched.
FileStatus save(const Table& table, const QString& path, char delimiter, int firstRow = 0);

} // namespace Delimited
} // namespace corvanta
