#pragma once

#include "grid/tablemodel.h"

#include <QPointer>
#include <QUndoCommand>
#include <QVariant>

namespace corvanta {

// One cell setting laid over a range of the table, undoable: undoing puts
// back the rows' formats as they were. The rows' format lists are shared,
// not copied, so even a block over 200,000 rows keeps little.
class FormatRangeCommand : public QUndoCommand
{
  public:
    FormatRangeCommand(TableModel* model, const QString& text, int setting, int row1, int col1,
                       int row2, int col2, const QVariant& value);

    void redo() override;
    void undo() override;

  private:
    QPointer<TableModel> m_model;
    int m_setting;
    int m_row1, m_col1, m_row2, m_col2;
    QVariant m_value;
    std::vector<Table::RowFormats> m_before;
};

} // namespace corvanta
