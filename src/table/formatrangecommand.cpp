#include "table/formatrangecommand.h"

#include <algorithm>

namespace corvanta {

FormatRangeCommand::FormatRangeCommand(TableModel* model, const QString& text, int setting,
                                       int row1, int col1, int row2, int col2,
                                       const QVariant& value)
    : QUndoCommand(text), m_model(model), m_setting(setting), m_row1(row1), m_col1(col1),
      m_row2(row2), m_col2(col2), m_value(value),
      m_before(model->table().rowFormatHandles(std::min(row1, row2), std::max(row1, row2)))
{
}

void FormatRangeCommand::redo()
{
    if (m_model)
        m_model->replay([this] {
            m_model->setCellSetting(m_setting, m_row1, m_col1, m_row2, m_col2, m_value);
        });
}

void FormatRangeCommand::undo()
{
    if (m_model)
        m_model->replay([this] {
            m_model->restoreRowFormats(std::max(0, std::min(m_row1, m_row2)),
                                       std::min(m_col1, m_col2), std::max(m_col1, m_col2),
                                       m_before);
        });
}

} // namespace corvanta
