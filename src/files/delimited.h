#pragma once

#include <QByteArray>
#include <QString>

#include "files/filestatus.h"
#include "files/textencoding.h"

namespace corvanta {

class Table;

// Comma- and TAB-delimited text (RFC 4180 quoting).
namespace Delimited {

// How a text was read: the encoding it was found in (a document opened from
// it is written back the same way) and the bytes of a UTF-8 text that were
// not UTF-8, each of which became U+FFFD.
struct ReadInfo
{
    TextEncoding encoding = TextEncoding::Utf8;
    qsizetype replacedBytes = 0;
    int firstBadLine = 0; // the 1-based line of the first replaced byte; 0 for none
};

// Parses `bytes` (any of the accepted encodings) into rows of `out`,
// starting at row `firstRow`; rows and columns are added as needed (ragged
// rows widen the table to the longest). Rows before `firstRow` are kept.
// A failure (bad arguments, or text beyond the table's limits) leaves `out`
// unchanged. `info`, when given, learns how the text was read.
FileStatus decode(QByteArrayView bytes, char delimiter, Table& out, int firstRow = 0,
                  ReadInfo* info = nullptr);

// Writes rows `firstRow`..rowCount-1 as UTF-8 without BOM, CRLF line ends.
QByteArray encode(const Table& table, char delimiter, int firstRow = 0);

// Reads a regular file of at most kMaxInputBytes (src/files/safefile.h).
FileStatus load(const QString& path, char delimiter, Table& out, int firstRow = 0,
                ReadInfo* info = nullptr);
// Writes through QSaveFile: a failure leaves any old file untouched.
FileStatus save(const Table& table, const QString& path, char delimiter, int firstRow = 0);

} // namespace Delimited
} // namespace corvanta
