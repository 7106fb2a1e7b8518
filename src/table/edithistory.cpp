#include "table/edithistory.h"

#include "commands/commandset.h"
#include "grid/tablemodel.h"

#include <QSignalBlocker>
#include <QUndoStack>

namespace corvanta {

namespace {
const QString kUndo = QStringLiteral("mnuUndo");
const QString kRedo = QStringLiteral("mnuRedo");
} // namespace

EditHistory::EditHistory(TableModel* model, QObject* parent)
    : QObject(parent), m_model(model), m_stack(new QUndoStack(this))
{
    model->setRecorder(this);
    connect(model, &TableModel::tableChanged, this, &EditHistory::tableChanged);
    // A history of cell positions cannot be replayed once rows or columns
    // shifted under it by a change it does not hold (a load, New).
    for (auto sig : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved,
                     &QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
        connect(model, sig, this, &EditHistory::shapeChanged);
    connect(model, &QAbstractItemModel::rowsMoved, this, &EditHistory::shapeChanged);
    connect(model, &QAbstractItemModel::columnsMoved, this, &EditHistory::shapeChanged);
    connect(model, &QAbstractItemModel::modelReset, this, &EditHistory::shapeChanged);
    connect(m_stack, &QUndoStack::cleanChanged, this, [this] { updateModified(); });
    connect(m_stack, &QUndoStack::indexChanged, this, &EditHistory::updateEntries);
    connect(m_stack, &QUndoStack::indexChanged, this, &EditHistory::replayed);
}

EditHistory::~EditHistory()
{
    if (m_model && m_model->recorder() == this)
        m_model->setRecorder(nullptr);
    // The steps go with the stack; none may run once this object is gone.
    m_stack->disconnect(this);
}

void EditHistory::install(CommandSet& c)
{
    m_commands = &c;
    c.attach(kUndo, m_stack, &QUndoStack::undo);
    c.attach(kRedo, m_stack, &QUndoStack::redo);
    updateEntries();
}

void EditHistory::push(EditStep* step)
{
    // Pushing makes the change: the step's first redo.
    m_stack->push(step);
}

void EditHistory::setText(int row, int col, const QString& text)
{
    const Table& t = m_model->table();
    if (row < 0 || row >= t.rowCount() || col < 0 || col >= t.colCount())
        return;
    QString before = t.text(row, col);
    if (before == text)
        return;
    push(new CellTextCommand(*this, row, col, std::move(before), text));
}

void EditHistory::writeBlock(const ClipBlock& block, int row1, int col1, int row2, int col2,
                             const QString& change)
{
    writeBlock(ClipBlock(block), row1, col1, row2, col2, change);
}

void EditHistory::writeBlock(ClipBlock&& block, int row1, int col1, int row2, int col2,
                             const QString& change)
{
    if (!m_model->table().clampRange(row1, col1, row2, col2))
        return;
    push(new BlockWriteCommand(*this, change, std::move(block), row1, col1, row2, col2));
}

void EditHistory::together(const QString& change, const std::function<void()>& changes)
{
    m_stack->beginMacro(change);
    changes();
    m_stack->endMacro();
}

void EditHistory::moveBlock(int row1, int col1, int row2, int col2, int toRow, int toCol)
{
    if (!m_model->table().clampRange(row1, col1, row2, col2) || (toRow == row1 && toCol == col1))
        return;
    push(new BlockWriteCommand(*this, QStringLiteral("Move Cells"), row1, col1, row2, col2, toRow,
                               toCol));
}

void EditHistory::moveColumn(int from, int to)
{
    const int cols = m_model->table().colCount();
    if (from < 0 || from >= cols || to < 0 || to >= cols || from == to)
        return;
    push(new ShapeCommand(*this, QStringLiteral("Move Column"), ShapeCommand::Kind::MoveColumn,
                          from, to));
}

void EditHistory::insertRows(int at, int n, const QString& change)
{
    push(new ShapeCommand(*this, change, ShapeCommand::Kind::InsertRows, at, n));
}

void EditHistory::removeRows(int at, int n, const QString& change)
{
    push(new ShapeCommand(*this, change, ShapeCommand::Kind::RemoveRows, at, n));
}

void EditHistory::removeRows(std::vector<int> rows, const QString& change)
{
    if (rows.empty())
        return;
    push(new ShapeCommand(*this, change, ShapeCommand::Kind::RemoveRowsAt, 0, std::move(rows)));
}

void EditHistory::insertColumns(int at, int n, const QString& change)
{
    push(new ShapeCommand(*this, change, ShapeCommand::Kind::InsertColumns, at, n));
}

void EditHistory::removeColumns(int at, int n, const QString& change)
{
    push(new ShapeCommand(*this, change, ShapeCommand::Kind::RemoveColumns, at, n));
}

void EditHistory::moveRowCells(int from, int to, const QString& change)
{
    push(new ShapeCommand(*this, change, ShapeCommand::Kind::MoveRowCells, from, to));
}

void EditHistory::sortRows(int first, std::vector<int> order, ShapeCommand::SortMark before,
                           ShapeCommand::SortMark after)
{
    auto* step = new ShapeCommand(*this, QStringLiteral("Sort"), ShapeCommand::Kind::PermuteRows,
                                  first, std::move(order));
    step->setSortMarks(before, after);
    push(step);
}

void EditHistory::format(const QString& change, int setting, int row1, int col1, int row2, int col2,
                         const QVariant& value)
{
    push(new FormatCommand(*this, change, setting, row1, col1, row2, col2, value));
}

void EditHistory::defineColumns(int count, int first,
                                std::vector<ColumnDefineCommand::Column> columns,
                                const ColumnRoles& rolesBefore, const ColumnRoles& rolesAfter)
{
    push(new ColumnDefineCommand(*this, count, first, std::move(columns), rolesBefore, rolesAfter));
}

void EditHistory::appendRows(Table&& records, int cols, QList<std::pair<int, QString>> titles,
                             const QString& change)
{
    push(new AppendRowsCommand(*this, change, std::move(records), cols, std::move(titles)));
}

void EditHistory::replaceTable(Table&& table, const ColumnRoles& roles,
                               const ColumnRoles& rolesBefore, const QString& change)
{
    push(new ReplaceTableCommand(*this, change, std::move(table), roles, rolesBefore));
}

void EditHistory::tableChanged()
{
    if (m_running > 0)
        return;
    Q_ASSERT_X(m_model->isUnrecorded(), "EditHistory",
               "the document's table changed outside the history");
    // Undoing can no longer lead back to the saved state.
    m_unrecorded = true;
    updateModified();
}

void EditHistory::shapeChanged()
{
    if (m_running > 0)
        return;
    // The document is as modified as it was, now without a step to say so.
    m_unrecorded = m_modified;
    {
        const QSignalBlocker quiet(m_stack);
        m_stack->clear();
    }
    updateEntries();
}

bool EditHistory::isModified() const
{
    return m_modified;
}

void EditHistory::markModified()
{
    m_unrecorded = true;
    updateModified();
}

void EditHistory::markSaved()
{
    m_unrecorded = false;
    m_stack->setClean();
    // Said even when the history thought so already: whoever follows the
    // flag may have been told otherwise.
    updateModified(true);
}

void EditHistory::clear()
{
    m_unrecorded = false;
    m_stack->clear();
    // The document that came is as it was saved (or new): undoing back to
    // here leaves it unmodified. Clearing an empty stack would keep a clean
    // state lost to a change before.
    m_stack->setClean();
    updateEntries();
    updateModified(true);
}

void EditHistory::updateModified(bool always)
{
    const bool modified = m_unrecorded || !m_stack->isClean();
    if (modified == m_modified && !always)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void EditHistory::updateEntries()
{
    if (!m_commands)
        return;
    const struct
    {
        const QString& name;
        const char* caption;
        bool can;
        QString change;
    } entries[] = {{kUndo, "&Undo", m_stack->canUndo(), m_stack->undoText()},
                   {kRedo, "&Redo", m_stack->canRedo(), m_stack->redoText()}};
    for (const auto& e : entries) {
        QAction* a = m_commands->action(e.name);
        if (!a)
            continue;
        QString text = QString::fromLatin1(e.caption);
        if (e.can && !e.change.isEmpty())
            text += QLatin1Char(' ') + e.change;
        a->setText(text);
        (void)m_commands->setImplemented(e.name, e.can);
    }
}

} // namespace corvanta
