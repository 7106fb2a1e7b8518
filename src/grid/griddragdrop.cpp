#include "grid/griddragdrop.h"

#include "grid/clipblock.h"
#include "grid/tablemodel.h"

#include <QAbstractItemView>
#include <QDrag>
#include <QMimeData>
#include <QScrollBar>

#include <algorithm>

namespace corvanta {

using Block = GridSelection::Block;

GridDragDrop::GridDragDrop(QAbstractItemView* view, TableModel* model)
    : m_view(view), m_model(model)
{
}

void GridDragDrop::startDrag(const Block& block)
{
    // Not the view's own drag: whatever the drag reports afterwards, its
    // default would clear the source cells after the drop has filled them.
    if (!block.valid)
        return;
    QMimeData* mime = m_model->mimeData({m_model->cellIndex(block.top(), block.left()),
                                         m_model->cellIndex(block.bottom(), block.right())});
    if (!mime)
        return;
    auto* drag = new QDrag(m_view);
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

bool GridDragDrop::dragMove(QPoint pos, const QMimeData* mime)
{
    // Decided here rather than by the view, which would list every selected
    // cell on each move to refuse drops onto the block itself.
    const bool ours = mime->hasFormat(QString::fromLatin1(TableModel::kCellsMimeType));
    if (!m_view->indexAt(pos).isValid() || (!ours && !mime->hasText()))
        return false;
    QWidget* viewport = m_view->viewport();
    const int margin = std::max(8, viewport->height() / 20);
    QScrollBar* bar = m_view->verticalScrollBar();
    if (pos.y() < margin)
        bar->setValue(bar->value() - bar->singleStep());
    else if (pos.y() > viewport->height() - margin)
        bar->setValue(bar->value() + bar->singleStep());
    return true;
}

Block GridDragDrop::drop(QPoint pos, const QMimeData* mime, bool fromHere)
{
    const QModelIndex target = m_view->indexAt(pos);
    if (!target.isValid())
        return {};
    const Table& t = m_model->table();
    const int fixed = m_model->fixedRows();
    const int lastRow = t.rowCount() - 1;
    const int lastCol = t.colCount() - 1;
    const int tRow = m_model->toTableRow(target.row());
    const int tCol = target.column();

    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    if (fromHere) {
        const QList<QByteArray> payload =
            mime->data(QString::fromLatin1(TableModel::kCellsMimeType)).split(' ');
        fromHere = payload.size() == 4;
        if (fromHere) {
            r1 = payload[0].toInt();
            c1 = payload[1].toInt();
            r2 = payload[2].toInt();
            c2 = payload[3].toInt();
            fromHere =
                r1 >= fixed && r1 <= r2 && r2 <= lastRow && c1 >= 0 && c1 <= c2 && c2 <= lastCol;
        }
    }

    Block b;
    if (fromHere) {
        // The block follows the mouse from the cell it was grabbed by and
        // stays whole inside the data rows; only texts move.
        const QModelIndex grab = m_view->currentIndex();
        const int grabRow = grab.isValid() ? m_model->toTableRow(grab.row()) : r1;
        const int grabCol = grab.isValid() ? grab.column() : c1;
        const int dr = std::clamp(tRow - grabRow, fixed - r1, lastRow - r2);
        const int dc = m_view->selectionBehavior() == QAbstractItemView::SelectRows
                           ? 0
                           : std::clamp(tCol - grabCol, -c1, lastCol - c2);
        b = {r1 + dr, c1 + dc, r2 + dr, c2 + dc, true};
        m_model->edits().moveBlock(r1, c1, r2, c2, b.row1, b.col1);
    } else if (mime->hasText()) {
        const ClipBlock block = ClipBlock::parse(mime->text());
        b = {tRow, tCol, std::min(lastRow, tRow + std::max(1, block.rowCount()) - 1),
             std::min(lastCol, tCol + std::max(1, block.maxCellCount()) - 1), true};
        m_model->edits().writeBlock(block, b.row1, b.col1, b.row2, b.col2,
                                    QStringLiteral("Drop Text"));
    }
    return b;
}

} // namespace corvanta
