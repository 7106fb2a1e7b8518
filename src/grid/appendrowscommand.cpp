#include "grid/appendrowscommand.h"

#include "grid/tablemodel.h"

#include <algorithm>

namespace corvanta {

AppendRowsCommand::AppendRowsCommand(TableModel* model, Table&& records, int cols,
                                     QList<std::pair<int, QString>> titles, const QString& text)
    : QUndoCommand(text), m_model(model), m_records(std::move(records)),
      m_first(model->table().rowCount()), m_oldCols(model->table().colCount()),
      m_cols(std::max(cols, m_oldCols)), m_titles(std::move(titles))
{
}

void AppendRowsCommand::redo()
{
    m_model->replayAppendRows(m_records, m_cols);
    for (const auto& [col, title] : m_titles)
        m_model->replayText(0, col, title);
}

void AppendRowsCommand::undo()
{
    for (const auto& [col, title] : m_titles)
        m_model->replayText(0, col, QString());
    m_model->replayTakeRows(m_first, m_records, m_oldCols);
}

} // namespace corvanta
