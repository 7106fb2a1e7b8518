#include "printing/recordrows.h"

#include "grid/gridwidget.h"

#include <algorithm>

namespace corvanta {

std::vector<int> allRecordRows(const GridWidget& grid)
{
    std::vector<int> rows;
    rows.reserve(std::max(0, grid.RowCount() - 1));
    for (int r = 1; r < grid.RowCount(); ++r)
        rows.push_back(r);
    return rows;
}

std::vector<int> selectedRecordRows(const GridWidget& grid)
{
    std::vector<int> rows;
    if (const int picked = grid.PickedRowCount(); picked > 0) {
        for (int i = 0; i < picked; ++i)
            if (const int r = grid.PickedRow(i); r >= 1)
                rows.push_back(r);
        return rows;
    }
    if (grid.CurRow() < 0)
        return rows;
    const int from = std::max(1, std::min(grid.CurRow(), grid.SelEndRow()));
    const int to = std::min(grid.RowCount() - 1, std::max(grid.CurRow(), grid.SelEndRow()));
    for (int r = from; r <= to; ++r)
        rows.push_back(r);
    return rows;
}

} // namespace corvanta
