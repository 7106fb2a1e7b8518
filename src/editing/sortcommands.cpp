#include "editing/sortcommands.h"

#include "editing/formpanel.h"
#include "files/document.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "table/edithistory.h"
#include "table/sortorder.h"
#include "table/tablecommands.h"

#include <QHeaderView>

#include <memory>
#include <numeric>
#include <vector>

namespace corvanta {

SortCommands::SortCommands(const EditTargets& targets, QObject* parent)
    : QObject(parent), m(targets)
{
    setObjectName(QStringLiteral("sortCommands"));
    QHeaderView* titles = m.fa->horizontalHeader();
    titles->setSectionsClickable(true);
    m.fa->SetColumnsMovable(true);
    connect(titles, &QHeaderView::sectionClicked, this, &SortCommands::titleClicked);
    connect(m.fa, &GridWidget::columnDragged, this, [this](int from, int to) {
        // The arrow belongs to its column's title and goes where it goes.
        if (m_lastSorted == from)
            showArrow(to, m_ascending);
        else if (m_lastSorted >= 0 && from < m_lastSorted && to >= m_lastSorted)
            showArrow(m_lastSorted - 1, m_ascending);
        else if (m_lastSorted >= 0 && from > m_lastSorted && to <= m_lastSorted)
            showArrow(m_lastSorted + 1, m_ascending);
        m.table->fa_Click();
    });
    // A sort made, undone or redone leaves its column's title marked.
    connect(m.history, &EditHistory::sortMarked, this, &SortCommands::showArrow);
    // A column inserted or deleted takes the arrow's column elsewhere: the
    // arrow no longer says which column the records are sorted by.
    TableModel* model = m.fa->gridModel();
    for (auto sig : {&QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
        connect(model, sig, this, [this] { showArrow(-1, true); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { showArrow(-1, true); });
}

void SortCommands::titleClicked(int col)
{
    const bool ascending = !(col == m_lastSorted && m_ascending);
    sortBy(col, ascending);
}

void SortCommands::showArrow(int col, bool ascending)
{
    m_lastSorted = col;
    m_ascending = ascending;
    QHeaderView* titles = m.fa->horizontalHeader();
    titles->setSortIndicatorShown(col >= 0);
    // The header draws an arrow that points up for a descending order;
    // ours points up for ascending.
    titles->setSortIndicator(col, ascending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void SortCommands::sortBy(int col, bool ascending)
{
    if (col < 0 || col >= m.fa->ColCount())
        return;
    m.fa->commitOpenEditor();
    const int rows = m.fa->RowCount();
    std::vector<int> order;
    if (m.fa->HiddenRowCount() == 0) {
        order = SortOrder::rows(m.fa->table(), 1, rows - 1, col, ascending);
    } else {
        // The records in sight are sorted among the rows in sight; those a
        // filter hides keep their rows, so the user's other records stay
        // where they were left.
        const std::vector<int> shown = m.fa->ShownRows(1, rows - 1);
        const std::vector<int> among = SortOrder::rows(m.fa->table(), shown, col, ascending);
        order.resize(size_t(std::max(0, rows - 1)));
        std::iota(order.begin(), order.end(), 0);
        for (size_t i = 0; i < shown.size(); ++i)
            order[size_t(shown[i] - 1)] = shown[size_t(among[i])] - 1;
    }
    m.history->sortRows(1, std::move(order), {m_lastSorted, m_ascending}, {col, ascending});
    m.table->fa_Click();
}

} // namespace corvanta
