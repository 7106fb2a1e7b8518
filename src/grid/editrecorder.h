#pragma once

#include <QString>

namespace corvanta {

class ClipBlock;

// The changes a user makes through a grid itself: typing or ticking a cell,
// dragging cells, dropping text, dragging a column by its title. The grid
// hands them to its model's recorder, which is the document's history when
// the model has one (each change one step) and otherwise makes them
// straight away.
class EditRecorder
{
  public:
    virtual ~EditRecorder() = default;

    virtual void setText(int row, int col, const QString& text) = 0;
    // Writes `block` into the range, clamped to the table; cells of the
    // range the block does not reach become empty.
    virtual void writeBlock(const ClipBlock& block, int row1, int col1, int row2, int col2,
                            const QString& change) = 0;
    // Moves the range's texts so that its top-left lands on (toRow, toCol).
    virtual void moveBlock(int row1, int col1, int row2, int col2, int toRow, int toCol) = 0;
    virtual void moveColumn(int from, int to) = 0;
    // A box ticked outside a check box column is the grid's own state,
    // which the model keeps, unless the recorder takes it as a value
    // (returns true): the form panel's boxes are its record's values.
    virtual bool setViewCheck(int /*row*/, int /*col*/, bool /*checked*/) { return false; }
};

} // namespace corvanta
