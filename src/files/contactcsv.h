#pragma once

// Comma text exported by webmail and mail programs: their header families
// recognised, and a table laid out as a vCard opened (docs/delimited-text.md,
// "Contacts from webmail and mail programs").
#include "table/columnroles.h"

#include <QString>
#include <QStringList>

namespace corvanta {

class Table;

namespace ContactCsv {

enum class Family { None, Google, Outlook, Thunderbird, Plain };

// The name a family is shown by ("Google CSV", ...); empty for None.
QString familyName(Family family);

// Which family the title row of `source` (row 0) belongs to; None when
// too little of it names contact fields.
Family recognise(const Table& source);

// The columns an unrecognised file holds, by role: "street" (the first of
// four columns street, city, state, zip code), "phone", "email", "web".
struct Roles
{
    int street = -1, phone = -1, email = -1, web = -1;
};

// What a conversion did, for the user to see.
struct Report
{
    Family family = Family::None;
    QStringList recognised; // "Source title -> Column title", in source order
    int kept = 0;           // source columns carried over under their own title
};

// The records of `source` (titles in row 0) as an address table: the name
// composed from its parts, the address block in role order, phones, e-mails
// and web sites with their labels (" ::: " multi-values split into further
// columns), then every other source column under its own title. With
// `roles` the named columns are taken for what they say and the file's
// family is not looked at. `layout` learns where the roles' columns are.
Table convert(const Table& source, ColumnRoles* layout, Report* report,
              const Roles* roles = nullptr);

} // namespace ContactCsv
} // namespace corvanta
