#pragma once

#include "grid/gridselection.h"

#include <QPoint>

class QAbstractItemView;
class QMimeData;

namespace corvanta {

class TableModel;

// Drag and drop of cell blocks on a grid. A block dragged within its own
// grid moves its texts; text dropped from anywhere else is written at the
// drop cell as far as the table reaches. Formats stay where they are, and
// the table never grows. Each drop is one step of the model's history.
class GridDragDrop
{
  public:
    GridDragDrop(QAbstractItemView* view, TableModel* model);

    // Drags the block's texts; returns once the drag is over. The drop does
    // the whole move itself, so nothing is removed here afterwards.
    void startDrag(const GridSelection::Block& block);

    // Whether a drag over `pos` (viewport coordinates) may drop there;
    // scrolls the view when the drag nears its top or bottom edge.
    bool dragMove(QPoint pos, const QMimeData* mime);

    // Drops at `pos`. `fromHere`: the drag started in this same view, so
    // the payload's range names cells of this table. Returns the range the
    // dropped texts now cover, invalid when nothing was dropped.
    GridSelection::Block drop(QPoint pos, const QMimeData* mime, bool fromHere);

  private:
    QAbstractItemView* m_view;
    TableModel* m_model;
};

} // namespace corvanta
