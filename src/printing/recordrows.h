#pragma once

#include <vector>

namespace corvanta {

class GridWidget;

// The records a print covers, as table rows in the grid's order: every
// record, or the selected ones (the picked rows in row mode, the rows of the
// block otherwise).
std::vector<int> allRecordRows(const GridWidget& grid);
std::vector<int> selectedRecordRows(const GridWidget& grid);

} // namespace corvanta
