#pragma once

#include <utility>
#include <vector>

class QAbstractItemView;

namespace corvanta {

class TableModel;

// A grid's selection in table coordinates, read from its view: the block
// around the current cell and the list of picked rows. The list is built on
// demand and kept until invalidate(), so a loop over pickedRow(i) costs
// little even on 200,000 picked rows.
class GridSelection
{
  public:
    // A rectangle of table cells; (row1, col1) is the current cell.
    struct Block
    {
        int row1 = 0, col1 = 0, row2 = 0, col2 = 0;
        bool valid = false;
        int top() const { return row1 < row2 ? row1 : row2; }
        int bottom() const { return row1 < row2 ? row2 : row1; }
        int left() const { return col1 < col2 ? col1 : col2; }
        int right() const { return col1 < col2 ? col2 : col1; }
    };

    GridSelection(const QAbstractItemView* view, const TableModel* model);

    // The current cell and the opposite corner of the selected range that
    // holds it (the cell alone when no range does); invalid without a
    // current cell.
    Block currentBlock() const;

    // Rows that have a selected cell, ascending and without repeats.
    int pickedCount() const;
    int pickedRow(int i) const; // -1 outside
    void invalidate() { m_valid = false; }

  private:
    void build() const;

    const QAbstractItemView* m_view;
    const TableModel* m_model;
    mutable bool m_valid = false;
    mutable std::vector<std::pair<int, int>> m_spans; // [first, last], merged
    mutable std::vector<int> m_before;                // picked rows before each span
    mutable int m_count = 0;
};

} // namespace corvanta
