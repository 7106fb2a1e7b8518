#include "table/undocommands.h"

#include "grid/cellsetting.h"
#include "grid/tablemodel.h"
#include "table/edithistory.h"

#include <algorithm>

namespace corvanta {

EditStep::EditStep(EditHistory& history, const QString& text)
    : QUndoCommand(text), m_history(history)
{
}

void EditStep::redo()
{
    ++m_history.m_running;
    apply();
    --m_history.m_running;
}

void EditStep::undo()
{
    ++m_history.m_running;
    takeBack();
    --m_history.m_running;
}

TableModel& EditStep::model() const
{
    return m_history.model();
}

// --- CellTextCommand ---

CellTextCommand::CellTextCommand(EditHistory& history, int row, int col, QString before,
                                 QString after)
    : EditStep(history, QStringLiteral("Edit Cell")), m_row(row), m_col(col),
      m_before(std::move(before)), m_after(std::move(after))
{
}

void CellTextCommand::apply()
{
    model().setText(m_row, m_col, m_after);
}

void CellTextCommand::takeBack()
{
    model().setText(m_row, m_col, m_before);
}

// --- BlockWriteCommand ---

BlockWriteCommand::BlockWriteCommand(EditHistory& history, const QString& text, ClipBlock block,
                                     int row1, int col1, int row2, int col2)
    : EditStep(history, text), m_range{row1, col1, row2, col2}, m_block(std::move(block))
{
    const Table& t = model().table();
    const int n = row2 - row1 + 1;
    m_first = row1;
    // A range of whole rows is written anew: its cells are taken out on
    // the first write, not copied.
    m_takeRows = col1 == 0 && col2 == t.colCount() - 1;
    if (m_takeRows)
        m_other = Table(n, t.colCount());
    else
        m_other = t.copyRowCells(row1, n);
}

BlockWriteCommand::BlockWriteCommand(EditHistory& history, const QString& text, int row1, int col1,
                                     int row2, int col2, int toRow, int toCol)
    : EditStep(history, text), m_range{row1, col1, row2, col2}, m_toRow(toRow), m_toCol(toCol)
{
    const Table& t = model().table();
    const int first = std::max(0, std::min(row1, toRow));
    const int last = std::min(t.rowCount() - 1, std::max(row2, toRow + row2 - row1));
    m_first = first;
    m_other = t.copyRowCells(first, last - first + 1);
}

void BlockWriteCommand::apply()
{
    TableModel& m = model();
    if (m_done) {
        m.swapRowCells(m_first, m_other);
        return;
    }
    m_done = true;
    const Range& r = m_range;
    if (!m_block) {
        m.moveBlock(r.row1, r.col1, r.row2, r.col2, m_toRow, m_toCol);
        // Both sides are kept by now: the rows' cells before, in m_other,
        // and after, in the table.
        return;
    }
    if (m_takeRows)
        m.swapRowCells(m_first, m_other);
    m.writeBlock(*m_block, r.row1, r.col1, r.row2, r.col2);
    m_block.reset();
}

void BlockWriteCommand::takeBack()
{
    model().swapRowCells(m_first, m_other);
}

// --- ShapeCommand ---

ShapeCommand::ShapeCommand(EditHistory& history, const QString& text, Kind kind, int at, int n)
    : EditStep(history, text), m_kind(kind), m_at(at), m_n(n)
{
}

ShapeCommand::ShapeCommand(EditHistory& history, const QString& text, Kind kind, int at,
                           std::vector<int> rows)
    : EditStep(history, text), m_kind(kind), m_at(at), m_n(int(rows.size())),
      m_rows(std::move(rows))
{
}

void ShapeCommand::setSortMarks(SortMark before, SortMark after)
{
    m_marks = std::make_pair(before, after);
}

void ShapeCommand::apply()
{
    TableModel& m = model();
    switch (m_kind) {
    case Kind::InsertRows:
        m.insertTableRows(m_at, m_n);
        break;
    case Kind::RemoveRows:
        m_taken = m.takeTableRows(m_at, m_n);
        break;
    case Kind::RemoveRowsAt:
        m_taken = m.takeTableRowsAt(m_rows);
        break;
    case Kind::InsertColumns:
        m.insertTableColumns(m_at, m_n);
        break;
    case Kind::RemoveColumns:
        m_taken = m.takeTableColumns(m_at, m_n);
        break;
    case Kind::MoveRowCells:
        m.moveRowCells(m_at, m_n);
        break;
    case Kind::MoveColumn:
        m.moveTableColumn(m_at, m_n);
        break;
    case Kind::PermuteRows:
        m.permuteTableRows(m_at, m_rows);
        break;
    case Kind::RotateRowCells:
        m.rotateRowCells(m_rows, m_at == 1);
        break;
    }
    if (m_marks)
        emit history().sortMarked(m_marks->second.col, m_marks->second.ascending);
}

void ShapeCommand::takeBack()
{
    TableModel& m = model();
    switch (m_kind) {
    case Kind::InsertRows:
        m.takeTableRows(m_at, m_n);
        break;
    case Kind::RemoveRows:
        m.putTableRows(m_at, std::move(m_taken));
        break;
    case Kind::RemoveRowsAt:
        m.putTableRowsAt(m_rows, std::move(m_taken));
        break;
    case Kind::InsertColumns:
        m.takeTableColumns(m_at, m_n);
        break;
    case Kind::RemoveColumns:
        m.putTableColumns(m_at, std::move(m_taken));
        break;
    case Kind::MoveRowCells:
        m.moveRowCells(m_n, m_at);
        break;
    case Kind::MoveColumn:
        m.moveTableColumn(m_n, m_at);
        break;
    case Kind::PermuteRows: {
        std::vector<int> inverse(m_rows.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            inverse[size_t(m_rows[i])] = int(i);
        m.permuteTableRows(m_at, inverse);
        break;
    }
    case Kind::RotateRowCells:
        m.rotateRowCells(m_rows, m_at != 1);
        break;
    }
    if (m_marks)
        emit history().sortMarked(m_marks->first.col, m_marks->first.ascending);
}

// --- FormatCommand ---

FormatCommand::FormatCommand(EditHistory& history, const QString& text, int setting, Runs runs,
                             int col1, int col2, const QVariant& value)
    : EditStep(history, text), m_setting(setting), m_runs(std::move(runs)),
      m_col1(std::min(col1, col2)), m_col2(std::max(col1, col2)), m_value(value)
{
    m_before.reserve(m_runs.size());
    for (const auto& [first, last] : m_runs)
        m_before.push_back(model().table().rowFormatHandles(first, last));
}

bool FormatCommand::mergeWith(const QUndoCommand* other)
{
    const auto* o = static_cast<const FormatCommand*>(other);
    // A style switched on and off again is two changes the user made.
    const bool picked =
        m_setting == PropForeColor || m_setting == PropBackColor || m_setting == PropFontSize;
    if (!picked || o->m_setting != m_setting || o->m_runs != m_runs || o->m_col1 != m_col1 ||
        o->m_col2 != m_col2)
        return false;
    // The other step is in already; undoing this one now goes back past both.
    m_value = o->m_value;
    setText(o->text());
    return true;
}

void FormatCommand::apply()
{
    for (const auto& [first, last] : m_runs)
        model().setCellSetting(m_setting, first, m_col1, last, m_col2, m_value);
}

void FormatCommand::takeBack()
{
    for (size_t i = 0; i < m_runs.size(); ++i)
        model().restoreRowFormats(std::max(0, m_runs[i].first), m_col1, m_col2, m_before[i]);
}

// --- ColumnDefineCommand ---

ColumnDefineCommand::ColumnDefineCommand(EditHistory& history, int count, int first,
                                         std::vector<Column> columns, ColumnRoles rolesBefore,
                                         ColumnRoles rolesAfter)
    : EditStep(history, QStringLiteral("Column Define")), m_oldCount(model().table().colCount()),
      m_count(count), m_first(first), m_columns(std::move(columns)), m_rolesBefore(rolesBefore),
      m_rolesAfter(rolesAfter)
{
    const Table& t = model().table();
    for (int c = 0; c < m_oldCount; ++c) {
        m_oldTitles.push_back(t.text(0, c));
        m_oldAttrs.push_back(t.column(c));
    }
    if (m_count < m_oldCount)
        m_cut = model().columnsCopy(m_count, m_oldCount - m_count);
}

void ColumnDefineCommand::apply()
{
    TableModel& m = model();
    m.setTableColCount(m_count);
    for (size_t i = 0; i < m_columns.size(); ++i) {
        const int col = m_first + int(i);
        const Column& d = m_columns[i];
        // The width stays with the position.
        ColumnAttr attr = m.table().column(col);
        attr.type = d.type;
        attr.format = d.format;
        attr.align = d.align;
        attr.hidden = d.hidden;
        m.setColumnAttr(col, attr);
        m.setText(0, col, d.title);
    }
    emit history().columnsDefined(m_rolesAfter);
}

void ColumnDefineCommand::takeBack()
{
    TableModel& m = model();
    m.setTableColCount(m_oldCount);
    if (m_cut.colCount() > 0)
        m.putColumns(m_count, m_cut);
    for (int c = 0; c < m_oldCount; ++c) {
        m.setColumnAttr(c, m_oldAttrs[size_t(c)]);
        m.setText(0, c, m_oldTitles[size_t(c)]);
    }
    emit history().columnsDefined(m_rolesBefore);
}

// --- ReplaceTableCommand ---

ReplaceTableCommand::ReplaceTableCommand(EditHistory& history, const QString& text, Table&& table,
                                         const ColumnRoles& roles, const ColumnRoles& rolesBefore)
    : EditStep(history, text), m_other(std::move(table)), m_otherRoles(roles), m_roles(rolesBefore)
{
}

void ReplaceTableCommand::swap()
{
    Table taken = model().takeTable();
    model().replaceTable(std::move(m_other));
    m_other = std::move(taken);
    // Roles are the document's; kept here they follow the table they name.
    std::swap(m_otherRoles, m_roles);
    emit history().tableReplaced(m_roles);
}

// --- AppendRowsCommand ---

AppendRowsCommand::AppendRowsCommand(EditHistory& history, const QString& text, Table&& records,
                                     int cols, QList<std::pair<int, QString>> titles)
    : EditStep(history, text), m_records(std::move(records)), m_first(model().table().rowCount()),
      m_oldCols(model().table().colCount()), m_cols(std::max(cols, m_oldCols)),
      m_titles(std::move(titles))
{
}

void AppendRowsCommand::apply()
{
    TableModel& m = model();
    m.appendRows(m_records, m_cols);
    for (const auto& [col, title] : m_titles)
        m.setText(0, col, title);
}

void AppendRowsCommand::takeBack()
{
    TableModel& m = model();
    for (const auto& [col, title] : m_titles)
        m.setText(0, col, QString());
    m.takeAppendedRows(m_first, m_records, m_oldCols);
}

} // namespace corvanta
