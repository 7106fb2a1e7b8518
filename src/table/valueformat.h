#pragma once

#include <QString>

#include <optional>

namespace corvanta {

// The one formatter behind every place a typed value is shown: the table,
// the form panel, the date-time stamp, printed sheets and labels, and the
// converter. The stored text is never changed by it.
//
// Number and Money patterns give what a spreadsheet's TEXT() gives for them:
// `0` a digit always shown, `#` a digit shown when significant, `,` between
// digit places groups thousands, `.` the decimal point, `%` scales by 100;
// anything else is literal. Values are rounded half away from zero on the
// decimal value as written (15 significant digits, as a spreadsheet keeps).
//
// Date patterns: `d`/`dd`, `m`/`mm`, `Mmm` (English), `yy`/`yyyy`, `h`/`hh`,
// `m`/`mm` after an hour (or before seconds) as minutes, `s`/`ss`, and `AMPM`
// for a 12-hour clock with "AM"/"PM". docs/date-values.md lists the values
// read as dates.
namespace ValueFormat {

// The text a cell of a column with this type (ColumnTypeCode) and format
// shows. Number, Money and Date columns go through the format; a value that
// is not a number (or date) and an empty format show the stored text.
// Checkbox columns give "True" for a ticked value and "False" otherwise: the
// text a check box stands for where no box can be drawn. Every other type
// shows the stored text.
QString shown(int type, const QString& format, const QString& stored);

// A date value read as days since 1899-12-30 (time as the fraction).
std::optional<double> dateSerial(const QString& text);

// A number as the formatter reads it: optional sign and "$", digits with
// optional thousands groups, decimals, an exponent, an optional trailing "%";
// blanks around it are ignored.
std::optional<double> number(const QString& text);

// Whether a Checkbox cell with this text shows a ticked box: its value
// equals -1 or 1.
bool ticked(const QString& stored);

// Pattern-level entry points (no type decides the route).
QString formatNumber(const QString& pattern, const QString& stored);
QString formatDate(const QString& pattern, const QString& stored);
// A date serial through a date pattern; empty when out of range.
QString formatSerial(const QString& pattern, double serial);

} // namespace ValueFormat
} // namespace corvanta
