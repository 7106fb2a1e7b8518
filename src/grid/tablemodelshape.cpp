// TableModel's shape changes that can be taken back.
#include "grid/tablemodel.h"

#include <algorithm>

namespace corvanta {

namespace {

// How many runs of consecutive rows an ascending list holds.
int spanCount(std::span<const int> rows)
{
    int spans = 0;
    for (size_t i = 0; i < rows.size(); ++i)
        if (i == 0 || rows[i] != rows[i - 1] + 1)
            ++spans;
    return spans;
}

} // namespace

template <typename F> void TableModel::resetWith(F&& change)
{
    beginResetModel();
    change();
    m_viewChecks.clear();
    endResetModel();
    emit tableChanged();
}

Table TableModel::takeTableRows(int at, int n)
{
    at = std::max(at, m_fixed);
    n = std::min(n, m_table.rowCount() - at);
    if (n <= 0)
        return m_table.takeRows(at, 0);
    beginRemoveRows({}, toModelRow(at), toModelRow(at + n - 1));
    Table taken = m_table.takeRows(at, n);
    dropViewChecks();
    endRemoveRows();
    emit tableChanged();
    return taken;
}

void TableModel::putTableRows(int at, Table&& rows)
{
    const int n = std::min(rows.rowCount(), Table::kMaxRows - m_table.rowCount());
    at = std::clamp(at, m_fixed, std::max(m_fixed, m_table.rowCount()));
    if (n <= 0 || m_table.rowCount() < m_fixed)
        return;
    beginInsertRows({}, toModelRow(at), toModelRow(at + n - 1));
    m_table.putRows(at, std::move(rows));
    dropViewChecks();
    endInsertRows();
    emit tableChanged();
}

Table TableModel::takeTableRowsAt(std::span<const int> rows)
{
    while (!rows.empty() && rows.back() >= m_table.rowCount())
        rows = rows.first(rows.size() - 1);
    while (!rows.empty() && rows.front() < m_fixed)
        rows = rows.subspan(1);
    if (spanCount(rows) == 1)
        return takeTableRows(rows.front(), int(rows.size()));
    // Many runs would each make the views shift every row below them.
    Table taken;
    if (!rows.empty())
        resetWith([&] { taken = m_table.takeRowsAt(rows); });
    return taken;
}

void TableModel::putTableRowsAt(std::span<const int> rows, Table&& taken)
{
    if (rows.empty() || size_t(taken.rowCount()) != rows.size())
        return;
    if (spanCount(rows) == 1) {
        putTableRows(rows.front(), std::move(taken));
        return;
    }
    resetWith([&] { m_table.putRowsAt(rows, std::move(taken)); });
}

Table TableModel::takeTableColumns(int at, int n)
{
    at = std::max(at, 0);
    n = std::min(n, m_table.colCount() - at);
    if (n <= 0)
        return m_table.takeColumns(at, 0);
    beginRemoveColumns({}, at, at + n - 1);
    Table taken = m_table.takeColumns(at, n);
    dropViewChecks();
    endRemoveColumns();
    emit tableChanged();
    return taken;
}

void TableModel::putTableColumns(int at, Table&& cols)
{
    const int n = cols.colCount();
    at = std::clamp(at, 0, m_table.colCount());
    if (n <= 0 || cols.rowCount() != m_table.rowCount() || n > Table::kMaxCols - m_table.colCount())
        return;
    beginInsertColumns({}, at, at + n - 1);
    m_table.putColumns(at, std::move(cols));
    dropViewChecks();
    endInsertColumns();
    emit tableChanged();
}

void TableModel::permuteTableRows(int first, std::span<const int> order)
{
    const int n = int(order.size());
    if (first < m_fixed || first + n > m_table.rowCount() || n < 2)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPlace(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        newPlace[size_t(order[size_t(i)])] = i;
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    const int firstModel = toModelRow(first);
    for (const QModelIndex& i : before) {
        const int offset = i.row() - firstModel;
        after.append(offset >= 0 && offset < n
                         ? index(firstModel + newPlace[size_t(offset)], i.column())
                         : i);
    }
    m_table.permuteRows(first, order);
    dropViewChecks();
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    emit tableChanged();
}

void TableModel::moveRowCells(int from, int to)
{
    const int rows = m_table.rowCount();
    if (from < m_fixed || to < m_fixed || from >= rows || to >= rows || from == to)
        return;
    m_table.moveRowCells(from, to);
    notifyCellsChanged(std::min(from, to), 0, std::max(from, to), m_table.colCount() - 1);
    emit tableChanged();
}

void TableModel::rotateRowCells(std::span<const int> rows, bool down)
{
    if (rows.size() < 2 || rows.front() < m_fixed || rows.back() >= m_table.rowCount())
        return;
    m_table.rotateRowCells(rows, down);
    notifyCellsChanged(rows.front(), 0, rows.back(), m_table.colCount() - 1);
    emit tableChanged();
}

void TableModel::swapRowCells(int at, Table& cells)
{
    if (cells.rowCount() == 0)
        return;
    m_table.swapRowCells(at, cells);
    notifyCellsChanged(at, 0, at + cells.rowCount() - 1, m_table.colCount() - 1);
    emit tableChanged();
}

void TableModel::setRowHeights(int first, int last, int twips)
{
    first = std::max(first, 0);
    last = std::min(last, m_table.rowCount() - 1);
    if (first > last)
        return;
    for (int r = first; r <= last; ++r)
        m_table.setRowHeight(r, twips < 0 ? -1 : twips);
    emit rowHeightsChanged(first, last); // no tableChanged: see setRowHeight
}

} // namespace corvanta
