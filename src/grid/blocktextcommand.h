#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUndoCommand>

namespace corvanta {

class TableModel;

// Texts of one or more cell ranges changed by the user in one go (a block
// dragged elsewhere, text dropped in). It keeps the texts of those ranges
// only, before and after, so its cost follows the block, never the table.
class BlockTextCommand : public QUndoCommand
{
  public:
    struct Range
    {
        int row1;
        int col1;
        int row2;
        int col2;
    };

    // Takes the ranges' texts as they are now, before the change. Ranges
    // are clamped to the table already and may overlap.
    BlockTextCommand(TableModel* model, const QString& text, QList<Range> ranges);

    // The change has been made: takes the texts it left. The first redo
    // then writes nothing, since the table is already as it should be.
    void changeDone();

    void undo() override;
    void redo() override;

  private:
    QList<QStringList> take() const;
    void write(const QList<QStringList>& texts);

    TableModel* m_model;
    QList<Range> m_ranges;
    QList<QStringList> m_before; // per range, row by row
    QList<QStringList> m_after;
    bool m_done = false;
};

} // namespace corvanta
