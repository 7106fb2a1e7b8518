#pragma once

#include "table/columnroles.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace corvanta {

// How the columns of an address table and the properties of a vCard meet;
// shared by the vCard reader and writer so that what one writes the other
// reads back into the same column. A column's title says what it holds:
// a kind, a label from the property's TYPE ("Phone (Mobile)") and a
// number for the second and later values of one label ("Phone (Mobile) 2").
namespace VcardColumns {

enum Kind {
    Name,
    Street, // the parts of one address, in the order they stand in the table
    City,
    State,
    Zip,
    Country,
    PoBox,
    Extended,
    Phone,
    Email,
    Web,
    Organization,
    JobTitle,
    Birthday,
    Nickname,
    Note,
    Address, // a whole address on one line, as older tables hold it
    Other,   // a column without a vCard property of its own
};
inline constexpr int kKinds = Other + 1;

inline bool isAddressPart(Kind k)
{
    return k >= Street && k <= Extended;
}
// The part of ADR's value (post office box, extended address, street,
// locality, region, postal code, country) an address column holds.
int adrIndex(Kind part);

// The title of the hidden column that keeps, for each record, what of its
// card has no column of its own (docs/vcard.md).
inline constexpr QLatin1StringView kKeptTitle("vCard");

struct Column
{
    Kind kind = Other;
    QString label;
    int number = 1;
};

QString title(Kind kind, QStringView label = {}, int number = 1);
// The kind, label and number a column title names, case and outer spaces
// aside; Other for any other title.
Column parse(QStringView title);

// The label of a property's TYPE words ("CELL" -> "Mobile", "WORK,FAX" ->
// "Work Fax"); words that say nothing to a reader (VOICE, INTERNET, PREF)
// are left out.
QString labelOfTypes(const QList<QByteArray>& upperWords);
// The TYPE words of a label, upper case; empty when a word of it is none
// the label table knows (the label then travels as X-ABLabel).
QList<QByteArray> typesOfLabel(QStringView label, bool* known);

// The default columns the roles give a meaning when their titles do not;
// used to write tables that were not read from a vCard.
struct Plan
{
    int street = -1; // street, then city, state and zip code right after it
    int phone = -1;
    int mail = -1;
    int web = -1;

    bool isRoleColumn(int col) const;
    Kind roleKind(int col) const; // Other when the column has no role
};

// Roles come from the settings and may hold any 16-bit number; a role
// beyond this would make every vCard table absurdly wide.
inline constexpr int kMaxRoleColumn = 1023;

Plan planFor(const ColumnRoles& roles);

} // namespace VcardColumns
} // namespace corvanta
