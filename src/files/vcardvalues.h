#pragma once

// The values of vCard properties as the table holds them, and back: shared
// by the reader and the writer so that a value read and written unchanged
// is written exactly as it was read.
#include "files/vcardcolumns.h"

#include <QByteArray>
#include <QList>

#include <vector>

namespace corvanta::VcardValues {

// 3.0 and 4.0 escapes: \n and \N a line break, \\ \, \; and any other
// escaped character that character itself.
QByteArray unescaped(QByteArrayView v);
// The parts of a structured value (N, ADR, ORG), each unescaped.
std::vector<QByteArray> parts(QByteArrayView v);

enum class Escape { Text, Uri };
void escapeInto(QByteArray& out, QByteArrayView v, Escape how);
QByteArray escaped(QByteArrayView v, Escape how = Escape::Text);

// "tel:+1-418-656-9254;ext=102" -> "+1-418-656-9254 ext. 102"; any other
// text unchanged.
QByteArray phoneOfUri(QByteArrayView v);
// The reverse; empty when the number holds what a tel: URI cannot.
QByteArray uriOfPhone(QByteArrayView number);

// A birthday as YYYY-MM-DD when it is a full date in either ISO form (a
// time after it is dropped); anything else as written.
QByteArray birthday(QByteArrayView v);

// N as a name is said: prefix, given, additional, family, suffix.
QByteArray nameOfN(QByteArrayView rawN);
// The N a plain name gives: the last word the family name, the rest the
// given names (escaped, as a value).
QByteArray guessedN(QByteArrayView name);

// The column text one property gives, from its value as read (escaped).
// For ADR use parts().
QByteArray cellText(VcardColumns::Kind kind, QByteArrayView upperName, QByteArrayView raw,
                    bool valueUri);
// The value the writer gives a cell of that kind (escaped, ready to write).
QByteArray valueOf(VcardColumns::Kind kind, QByteArrayView text, bool asUri);

// The head (name and parameters) the writer gives a property of `kind` in
// a column of `label`, for a 3.0 or a 4.0 card. `uri` for a phone written
// as a tel: URI.
QByteArray defaultHead(VcardColumns::Kind kind, QStringView label, bool v4, bool uri);

} // namespace corvanta::VcardValues
