#pragma once

#include "files/textencoding.h"

#include <QString>

#include "files/delimited.h"

namespace corvanta {

class TableModel;

// Loading and saving a grid's whole table in one of the file formats,
// through its model so that every view of it shows the result.
namespace GridFile {

// Value codes of the formats.
enum What : int { Native = 0, Comma = 3, Tab = 4 };

// Replaces the model's table with the file's. Without titles a delimited
// file is read below the fixed title row, whose cells stay as they are.
// Returns false with an error text (naming the reason) when the file cannot
// be read; the table is then left as it was. `info`, when given, learns how
// a delimited file was read.
bool load(TableModel& model, const QString& path, int what, bool withTitles,
          QString* error = nullptr, Delimited::ReadInfo* info = nullptr);
// Without titles a delimited file leaves out the fixed title row.
// `encoding` applies to delimited text only; with windows-1252, a character
// it lacks fails the save (check with Delimited::canEncode first).
bool save(const TableModel& model, const QString& path, int what, bool withTitles = true,
          QString* error = nullptr, TextEncoding encoding = TextEncoding::Utf8);

} // namespace GridFile

} // namespace corvanta
