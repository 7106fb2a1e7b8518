#pragma once

#include "table/columnroles.h"

#include <QString>
#include <QStringView>

namespace corvanta {

// How the columns of an address table and the properties of a vCard meet;
// shared by the vCard reader and writer so that what one writes the other
// reads back into the same column.
namespace VcardColumns {

// The default columns the roles give a meaning. Column 0 is the name; a
// role that would share a column with the name or an earlier role, or that
// lies past kMaxRoleColumn, has no column (-1) and its values go to added
// columns instead.
struct Plan
{
    int street = -1; // street, then city, state and zip code right after it
    int phone = -1;
    int mail = -1;
    int web = -1;
    int baseCols = 0; // the default columns: at least ten, and every role's

    bool isRoleColumn(int col) const;
};

// Roles come from the settings and may hold any 16-bit number; a role
// beyond this would make every vCard table absurdly wide.
inline constexpr int kMaxRoleColumn = 1023;

Plan planFor(const ColumnRoles& roles);

// What an added column holds, in the order the reader adds them.
enum Kind {
    Country, // of the preferred address, whose other parts have the role
    Organization,
    JobTitle,
    Birthday,
    Nickname,
    Phone, // phones, e-mails, web sites and addresses beyond the one the
    Email, // role takes (or all of them when the role has no column)
    Web,
    Address, // a whole address on one line
    Note,
    Other, // a column without a vCard property of its own
};
inline constexpr int kKinds = Other + 1;

// Whether a kind takes any number of columns, numbered "Phone 2", ...
bool isRepeated(Kind kind);
// The title of an added column; `number` counts the values of a repeated
// kind from 1, and 1 gives the plain title ("Phone").
QString title(Kind kind, int number = 1);
// The kind a column title names (case and outer spaces aside), with the
// number for a repeated kind; Other for any other title.
Kind kindOfTitle(QStringView title, int* number = nullptr);

} // namespace VcardColumns
} // namespace corvanta
