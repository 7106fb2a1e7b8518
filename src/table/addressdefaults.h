#pragma once

#include <QList>
#include <QString>

namespace corvanta {

// The layout of a new address table: what a fresh document shows before the
// user types anything.
namespace AddressDefaults {

struct Column
{
    QString title;
    int width; // twips
};

// The titled columns, left to right; the table has more, untitled ones.
const QList<Column>& columns();

constexpr int ColCount = 10;
// The most records a table holds (rows below the title row).
constexpr int MaxRecords = 200001;
// Rows of a new document: the title row and ten records.
constexpr int NewRowCount = 11;
// Rows while the defaults are applied, before the document takes its size.
constexpr int LayoutRowCount = 50;

} // namespace AddressDefaults
} // namespace corvanta
