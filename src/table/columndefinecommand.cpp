#include "table/columndefinecommand.h"

#include "grid/tablemodel.h"

namespace corvanta {

ColumnDefineCommand::ColumnDefineCommand(TableModel* model, int count, int first,
                                         std::vector<Column> columns, Roles roles,
                                         std::function<void()> changed)
    : QUndoCommand(QStringLiteral("Column Define")), m_model(model),
      m_oldCount(model->table().colCount()), m_count(count), m_first(first),
      m_columns(std::move(columns)), m_roles(std::move(roles)), m_changed(std::move(changed))
{
    const Table& t = model->table();
    for (int c = 0; c < m_oldCount; ++c) {
        m_oldTitles.push_back(t.text(0, c));
        m_oldAttrs.push_back(t.column(c));
    }
    if (m_count < m_oldCount)
        m_cut = model->columnsCopy(m_count, m_oldCount - m_count);
}

void ColumnDefineCommand::redo()
{
    if (!m_model)
        return;
    m_model->replay([this] {
        m_model->setTableColCount(m_count);
        for (size_t i = 0; i < m_columns.size(); ++i) {
            const int col = m_first + int(i);
            const Column& d = m_columns[i];
            // The width stays with the position.
            ColumnAttr attr = m_model->table().column(col);
            attr.type = d.type;
            attr.format = d.format;
            attr.align = d.align;
            attr.hidden = d.hidden;
            m_model->setColumnAttr(col, attr);
            m_model->setText(0, col, d.title);
        }
    });
    if (m_roles.apply)
        m_roles.apply(m_roles.after);
    if (m_changed)
        m_changed();
}

void ColumnDefineCommand::undo()
{
    if (!m_model)
        return;
    m_model->replay([this] {
        m_model->setTableColCount(m_oldCount);
        if (m_cut.colCount() > 0)
            m_model->putColumns(m_count, m_cut);
        for (int c = 0; c < m_oldCount; ++c) {
            m_model->setColumnAttr(c, m_oldAttrs[size_t(c)]);
            m_model->setText(0, c, m_oldTitles[size_t(c)]);
        }
    });
    if (m_roles.apply)
        m_roles.apply(m_roles.before);
    if (m_changed)
        m_changed();
}

} // namespace corvanta
