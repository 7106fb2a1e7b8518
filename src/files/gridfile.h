#pragma once

#include "files/fileformat.h"
#include "files/filestatus.h"
#include "files/textencoding.h"

#include <QString>

#include "files/delimited.h"
#include "files/vcard.h"
#include "table/columnroles.h"

namespace corvanta {

class TableModel;

// Loading and saving a grid's whole table in one of the file formats,
// through its model so that every view of it shows the result.
namespace GridFile {

// Replaces the model's table with the file's. Without titles a delimited
// file is read below the fixed title row, whose cells stay as they are.
// Comma text is split at the delimiter the text itself uses (comma,
// semicolon or TAB, see Delimited::sniff). A vCard file always gives a
// title row and one record per card, laid out by what the cards hold;
// `vcardInfo`, when given, learns where that layout put the street block,
// the phone, the e-mail and the web site, and how many cards were repaired.
// A file that cannot be read leaves the table as it was and says why.
// `info`, when given, learns how a delimited file was read.
FileStatus load(TableModel& model, const QString& path, FileFormat format, bool withTitles,
                Delimited::ReadInfo* info = nullptr, Vcard::ReadInfo* vcardInfo = nullptr);
// Without titles a delimited file leaves out the fixed title row.
// `encoding` applies to delimited text only; with windows-1252, a character
// it lacks fails the save (check with Delimited::canEncode first).
// `delimiter` replaces the comma of comma text (0 keeps it); `roles` say
// where a vCard's values are.
FileStatus save(const TableModel& model, const QString& path, FileFormat format,
                bool withTitles = true, TextEncoding encoding = TextEncoding::Utf8,
                char delimiter = 0, const ColumnRoles& roles = {});

} // namespace GridFile

} // namespace corvanta
