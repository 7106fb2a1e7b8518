#pragma once

#include "files/textencoding.h"

#include <QString>

#include "files/delimited.h"
#include "table/columnroles.h"

namespace corvanta {

class TableModel;

// Loading and saving a grid's whole table in one of the file formats,
// through its model so that every view of it shows the result.
namespace GridFile {

// Value codes of the formats.
enum What : int { Native = 0, Comma = 3, Tab = 4, Vcard = 5 };

// Replaces the model's table with the file's. Without titles a delimited
// file is read below the fixed title row, whose cells stay as they are.
// Comma text is split at the delimiter the text itself uses (comma,
// semicolon or TAB, see Delimited::sniff). A vCard file always gives a
// title row and one record per card, laid out by what the cards hold;
// `vcardRoles`, when given, learns where that layout put the street block,
// the phone, the e-mail and the web site.
// Returns false with an error text (naming the reason) when the file cannot
// be read; the table is then left as it was. `info`, when given, learns how
// a delimited file was read.
bool load(TableModel& model, const QString& path, int what, bool withTitles,
          QString* error = nullptr, Delimited::ReadInfo* info = nullptr,
          ColumnRoles* vcardRoles = nullptr);
// Without titles a delimited file leaves out the fixed title row.
// `encoding` applies to delimited text only; with windows-1252, a character
// it lacks fails the save (check with Delimited::canEncode first).
// `delimiter` replaces the comma of comma text (0 keeps it); `roles` say
// where a vCard's values are.
bool save(const TableModel& model, const QString& path, int what, bool withTitles = true,
          QString* error = nullptr, TextEncoding encoding = TextEncoding::Utf8, char delimiter = 0,
          const ColumnRoles& roles = {});

} // namespace GridFile

} // namespace corvanta
