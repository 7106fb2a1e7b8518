#include "grid/celltextcommand.h"

#include "grid/tablemodel.h"

namespace corvanta {

CellTextCommand::CellTextCommand(TableModel* model, int row, int col, QString before, QString after)
    : QUndoCommand(QStringLiteral("Edit Cell")), m_model(model), m_row(row), m_col(col),
      m_before(std::move(before)), m_after(std::move(after))
{
}

void CellTextCommand::undo()
{
    m_model->replayText(m_row, m_col, m_before);
}

void CellTextCommand::redo()
{
    m_model->replayText(m_row, m_col, m_after);
}

} // namespace corvanta
