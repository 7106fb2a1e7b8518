#pragma once

#include <QString>
#include <QUndoCommand>

namespace corvanta {

class TableModel;

// One cell's text changed by the user. It keeps the cell's position and its
// two texts only, so an edit costs the same in any size of table.
class CellTextCommand : public QUndoCommand
{
  public:
    CellTextCommand(TableModel* model, int row, int col, QString before, QString after);

    void undo() override;
    void redo() override;

  private:
    TableModel* m_model;
    int m_row;
    int m_col;
    QString m_before;
    QString m_after;
};

} // namespace corvanta
