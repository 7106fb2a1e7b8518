#pragma once

#include <QByteArray>
#include <QString>

#include "files/filestatus.h"
#include "table/columnroles.h"

namespace corvanta {

class Table;

// vCard contact files (.vcf): 2.1, 3.0 (RFC 2426) and 4.0 (RFC 6350) are
// read, 3.0 or 4.0 written. A card is one record; its properties go to
// columns through the column roles, and what has no role goes to columns
// added after the default ones (docs/vcard.md lists the mapping).
namespace Vcard {

enum class Version { V3, V4 };

// Replaces `out` with a table of one record per card: the default columns
// laid out by `roles`, then the added ones. A failure (no card at all, or
// more cards or columns than a table holds) leaves `out` unchanged.
FileStatus decode(QByteArrayView bytes, Table& out, const ColumnRoles& roles = {});

// One card per record that holds any text, UTF-8 with CRLF line ends and
// lines folded at 75 octets. Row 0 holds the column titles and says which
// column holds what.
QByteArray encode(const Table& table, const ColumnRoles& roles = {}, Version version = Version::V3);

// Reads a regular file of at most kMaxInputBytes (src/files/safefile.h).
FileStatus load(const QString& path, Table& out, const ColumnRoles& roles = {});
// Writes through AtomicFile: a failure leaves any old file as it was.
FileStatus save(const Table& table, const QString& path, const ColumnRoles& roles = {},
                Version version = Version::V3);

} // namespace Vcard
} // namespace corvanta
