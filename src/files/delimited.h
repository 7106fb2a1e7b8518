#pragma once

#include <QByteArray>
#include <QString>

#include "files/filestatus.h"
#include "files/safefile.h"
#include "files/textencoding.h"

namespace corvanta {

class Table;

// Comma- and TAB-delimited text (RFC 4180 quoting).
namespace Delimited {

// The delimiter of a "Comma Delimited" import: the text says which of
// comma, semicolon and TAB it uses (see sniff) and a "sep=" line that
// names it is dropped.
inline constexpr char kSniff = '\0';

// What the start of a text says about its delimiter.
struct Sniffed
{
    char delimiter = ',';
    bool sepLine = false; // the first line is "sep=" and the delimiter
};

// `head` is the start of the text in UTF-8, without a byte order mark;
// `complete` when it is the whole text. A first line "sep=;" (or any other
// single character, or "sep=\t") is obeyed. Otherwise the first 20 lines,
// quotes respected, are split at comma, semicolon and TAB: a semicolon or
// TAB wins only when it splits the first line, and more of the lines
// than the comma does into one column count shared by most lines, so a
// file that reads as comma text stays comma text.
Sniffed sniff(QByteArrayView head, bool complete);

// How a text was read: the encoding it was found in (a document opened from
// it is written back the same way) and the bytes of a UTF-8 text that were
// not UTF-8, each of which became U+FFFD.
struct ReadInfo
{
    TextEncoding encoding = TextEncoding::Utf8;
    qsizetype replacedBytes = 0;
    int firstBadLine = 0; // the 1-based line of the first replaced byte; 0 for none
    char delimiter = ','; // the one used, sniffed or given
};

// Parses `bytes` (any of the accepted encodings) into rows of `out`,
// split at `delimiter` or, with kSniff, at what sniff finds,
// starting at row `firstRow`; rows and columns are added as needed (ragged
// rows widen the table to the longest). Rows before `firstRow` are kept.
// A failure (bad arguments, or text beyond the table's limits) leaves `out`
// unchanged. `info`, when given, learns how the text was read.
FileStatus decode(QByteArrayView bytes, char delimiter, Table& out, int firstRow = 0,
                  ReadInfo* info = nullptr);

// Writes rows `firstRow`..rowCount-1 with CRLF line ends, in `encoding`
// (with its byte order mark, if it has one). With windows-1252, a character
// it lacks gives an empty result: check canEncode first.
QByteArray encode(const Table& table, char delimiter, int firstRow = 0,
                  TextEncoding encoding = TextEncoding::Utf8);

// False when a cell of rows `firstRow`.. holds a character `encoding`
// cannot hold (only windows-1252 lacks any).
bool canEncode(const Table& table, TextEncoding encoding, int firstRow = 0);

// Reads a regular file of at most kMaxInputBytes (src/files/safefile.h).
FileStatus load(const QString& path, char delimiter, Table& out, int firstRow = 0,
                ReadInfo* info = nullptr);
// Writes through AtomicFile (docs/saving.md): a failure leaves any old file
// untouched, and the first failed write ends the save. Text that cannot fit
// the target's file system is refused before writing; a character the
// encoding lacks fails with Unencodable, and nothing is written.
FileStatus save(const Table& table, const QString& path, char delimiter, int firstRow = 0,
                TextEncoding encoding = TextEncoding::Utf8,
                const FreeSpaceQuery& freeSpace = systemFreeSpace);

} // namespace Delimited
} // namespace corvanta
