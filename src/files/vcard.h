#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

#include "files/filestatus.h"
#include "table/columnroles.h"

namespace corvanta {

class Table;

// vCard contact files (.vcf): 2.1, 3.0 (RFC 2426) and 4.0 (RFC 6350) are
// read, 3.0 or 4.0 written. A card is one record; its properties go to
// columns titled for what they hold, and what has no column is kept in a
// hidden column and written back (docs/vcard.md lists the mapping).
namespace Vcard {

// Same: each card in the version it was read in (2.1 as 3.0), and a
// record that was never a card in 3.0.
enum class Version { Same, V3, V4 };

// What a read found besides the table.
struct ReadInfo
{
    int repairedCards = 0; // cards without END:VCARD, closed where the next began
    ColumnRoles roles;     // where the table has its street, phone, e-mail and web site
};

// Replaces `out` with a table of one record per card, laid out by what the
// cards hold. A failure (no card at all, or more cards or columns than a
// table holds) leaves `out` unchanged.
FileStatus decode(QByteArrayView bytes, Table& out, ReadInfo* info = nullptr);

// One card per record that holds any text, UTF-8 with CRLF line ends and
// lines folded at 75 octets. Row 0 holds the column titles and says which
// column holds what; `roles` name the columns whose titles do not.
QByteArray encode(const Table& table, const ColumnRoles& roles = {},
                  Version version = Version::Same);

// The records of `cards` (a table decode made) with their columns where
// `doc` has the same titles (case and outer spaces aside); columns `doc`
// lacks come after its last one, in their order. What Append of a vCard
// file puts below a document's records.
Table matchedTo(const Table& doc, Table&& cards);

// True for a column that keeps what cards hold beyond their columns: the
// hidden column titled "vCard" (kKeptTitle).
bool isKeptColumn(const Table& table, int col);
// The cell texts of `table` without its kept column, for comma and TAB
// text, which would show that vCard text as a column of its own; nothing
// when `table` has no such column.
std::optional<Table> withoutKept(const Table& table);

// Reads a regular file of at most kMaxInputBytes (src/files/safefile.h).
FileStatus load(const QString& path, Table& out, ReadInfo* info = nullptr);
// Writes through AtomicFile: a failure leaves any old file as it was.
FileStatus save(const Table& table, const QString& path, const ColumnRoles& roles = {},
                Version version = Version::Same);

} // namespace Vcard
} // namespace corvanta
