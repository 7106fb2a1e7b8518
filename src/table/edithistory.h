#pragma once

#include "grid/editrecorder.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "table/columnroles.h"
#include "table/undocommands.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

#include <utility>
#include <vector>

class QUndoStack;

namespace corvanta {

class CommandSet;

// The document's history of changes, Edit > Undo and Redo over it, and
// whether the document holds changes that are not saved.
//
// Every change the user makes to the document's table comes here and
// becomes one step (undocommands.h); this is the only place that pushes
// one. The grids hand their own edits (typing, ticking, dragging cells or
// a column) here through the model's EditRecorder. A change of the table
// made outside every step is a programming error (a debug build stops),
// unless it is one the model runs as unrecorded: a load, New, the default
// layout, a column's width. Row heights are no change of the document.
class EditHistory : public QObject, public EditRecorder
{
    Q_OBJECT
  public:
    // Records the changes the user makes to `model` from now on.
    explicit EditHistory(TableModel* model, QObject* parent = nullptr);
    ~EditHistory() override;

    QUndoStack* stack() const { return m_stack; }
    TableModel& model() const { return *m_model; }

    void install(CommandSet& commands);

    // --- the changes, each one step ---
    void setText(int row, int col, const QString& text) override;
    void writeBlock(const ClipBlock& block, int row1, int col1, int row2, int col2,
                    const QString& change) override;
    void moveBlock(int row1, int col1, int row2, int col2, int toRow, int toCol) override;
    void moveColumn(int from, int to) override;
    // Writes `block` over the range; the history keeps the block itself,
    // not a copy.
    void writeBlock(ClipBlock&& block, int row1, int col1, int row2, int col2,
                    const QString& change);
    void insertRows(int at, int n, const QString& change);
    void removeRows(int at, int n, const QString& change);
    void removeRows(std::vector<int> rows, const QString& change); // ascending
    void insertColumns(int at, int n, const QString& change);
    void removeColumns(int at, int n, const QString& change);
    void moveRowCells(int from, int to, const QString& change);
    // Row first + i becomes the old row first + order[i]; the sort marks
    // are the title marked before and after.
    void sortRows(int first, std::vector<int> order, ShapeCommand::SortMark before,
                  ShapeCommand::SortMark after);
    void format(const QString& change, int setting, int row1, int col1, int row2, int col2,
                const QVariant& value);
    void defineColumns(int count, int first, std::vector<ColumnDefineCommand::Column> columns,
                       const ColumnRoles& rolesBefore, const ColumnRoles& rolesAfter);
    void appendRows(Table&& records, int cols, QList<std::pair<int, QString>> titles,
                    const QString& change);
    // The changes `changes` makes through this history, as one step named
    // `change`: undo and redo take them together.
    void together(const QString& change, const std::function<void()>& changes);
    // The whole table and its roles exchanged for `table` and `roles`.
    void replaceTable(Table&& table, const ColumnRoles& roles, const ColumnRoles& rolesBefore,
                      const QString& change);

    // --- the modified state ---
    // Unsaved changes: the history is away from where the document was
    // saved, or the document changed in a way no step holds.
    bool isModified() const;
    // The one way to mark the document modified without a step: a command
    // that counts as a change although nothing was recorded (Move Up at
    // the first record, Paste from a clipboard that cannot be read).
    void markModified();
    // The document was saved: undoing back to here makes it unmodified.
    void markSaved();
    // Another document took the table's place; its changes start afresh.
    void clear();

  signals:
    // The modified state changed (see isModified).
    void modifiedChanged(bool modified);
    // A step was made, undone or redone.
    void replayed();
    // Column Define was made, undone or redone; the roles it left.
    void columnsDefined(const ColumnRoles& roles);
    // A table replaced whole was made, undone or redone; the roles it left.
    void tableReplaced(const ColumnRoles& roles);
    // A sort was made, undone or redone; the title it left marked.
    void sortMarked(int col, bool ascending);

  private:
    friend class EditStep;
    friend class ShapeCommand;
    friend class ColumnDefineCommand;
    friend class ReplaceTableCommand;

    void push(EditStep* step);
    void tableChanged();
    void shapeChanged();
    void updateModified(bool always = false);
    void updateEntries();

    QPointer<TableModel> m_model;
    QUndoStack* m_stack;
    CommandSet* m_commands = nullptr;
    int m_running = 0;         // steps running now
    bool m_unrecorded = false; // changed since the save by no step
    bool m_modified = false;
};

} // namespace corvanta
