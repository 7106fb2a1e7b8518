#include "grid/gridselection.h"

#include "grid/tablemodel.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>

namespace corvanta {

GridSelection::GridSelection(const QAbstractItemView* view, const TableModel* model)
    : m_view(view), m_model(model)
{
}

GridSelection::Block GridSelection::currentBlock() const
{
    Block b;
    const QModelIndex cur = m_view->currentIndex();
    if (!cur.isValid())
        return b;
    const int fixed = m_model->fixedRows();
    b.valid = true;
    b.row1 = b.row2 = cur.row() + fixed;
    b.col1 = b.col2 = cur.column();
    // The last range holding the current cell is the one the user (or
    // SelectRange) made last.
    const QItemSelection sel = m_view->selectionModel()->selection();
    for (qsizetype i = sel.size() - 1; i >= 0; --i) {
        const QItemSelectionRange& r = sel.at(i);
        if (!r.contains(cur))
            continue;
        b.row2 = (cur.row() == r.top() ? r.bottom() : r.top()) + fixed;
        b.col2 = cur.column() == r.left() ? r.right() : r.left();
        break;
    }
    return b;
}

void GridSelection::build() const
{
    m_spans.clear();
    m_count = 0;
    const int fixed = m_model->fixedRows();
    for (const QItemSelectionRange& r : m_view->selectionModel()->selection())
        m_spans.emplace_back(r.top() + fixed, r.bottom() + fixed);
    std::sort(m_spans.begin(), m_spans.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& s : m_spans) {
        if (!merged.empty() && s.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, s.second);
        else
            merged.push_back(s);
    }
    // Rows a filter hides are not picked: commands on the picked rows act
    // on the records the user sees.
    const auto* table = qobject_cast<const QTableView*>(m_view);
    if (table && table->verticalHeader()->hiddenSectionCount() > 0) {
        m_spans.clear();
        for (const auto& s : merged) {
            int first = -1;
            for (int r = s.first; r <= s.second + 1; ++r) {
                const bool shown = r <= s.second && !table->isRowHidden(r - fixed);
                if (shown && first < 0)
                    first = r;
                else if (!shown && first >= 0) {
                    m_spans.emplace_back(first, r - 1);
                    first = -1;
                }
            }
        }
    } else {
        m_spans.swap(merged);
    }
    m_before.clear();
    m_before.reserve(m_spans.size());
    for (const auto& s : m_spans) {
        m_before.push_back(m_count);
        m_count += s.second - s.first + 1;
    }
    m_valid = true;
}

int GridSelection::pickedCount() const
{
    if (!m_valid)
        build();
    return m_count;
}

int GridSelection::pickedRow(int i) const
{
    if (i < 0 || i >= pickedCount())
        return -1;
    // The span holding the i-th row: the last that starts at or before it.
    const auto at = std::upper_bound(m_before.begin(), m_before.end(), i) - 1;
    const size_t k = size_t(at - m_before.begin());
    return m_spans[k].first + (i - *at);
}

} // namespace corvanta
