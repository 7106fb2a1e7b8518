#pragma once

#include <QLocale>

#include <span>
#include <vector>

namespace corvanta {

class Table;

// The order that sorting a column gives the records, computed without
// touching the table. Cells compare by their column's data type: numbers
// and money as numbers, dates as dates, check boxes ticked after unticked,
// everything else as text, case-insensitively in the locale's order. Cells
// that are not of the column's type follow the typed ones, compared as
// text; empty cells come last in either direction. The order is stable.
namespace SortOrder {

// order[i] is the index, counted from `first`, of the row that ends up at
// first + i once rows first..last are sorted by column `col`.
std::vector<int> rows(const Table& table, int first, int last, int col, bool ascending,
                      const QLocale& locale = QLocale());

// The same for the records `among` (table rows, ascending), wherever they
// stand: order[i] is the index in `among` of the record that goes to the
// row among[i].
std::vector<int> rows(const Table& table, std::span<const int> among, int col, bool ascending,
                      const QLocale& locale = QLocale());

} // namespace SortOrder

} // namespace corvanta
