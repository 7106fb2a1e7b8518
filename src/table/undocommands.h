#pragma once

#include "grid/clipblock.h"
#include "grid/table.h"
#include "table/columnroles.h"

#include <QList>
#include <QString>
#include <QUndoCommand>
#include <QVariant>

#include <optional>
#include <utility>
#include <vector>

namespace corvanta {

class EditHistory;
class TableModel;

// The steps of the edit history, one class per kind of change. Each keeps
// only what it changed, never a copy of the table, and makes its change
// through the model's plain mutators. Only EditHistory makes them.
//
// The base tells the history when a step is running, so that a change of
// the table made outside every step can be told from one made by a step.
class EditStep : public QUndoCommand
{
  public:
    EditStep(EditHistory& history, const QString& text);

    void redo() final;
    void undo() final;

  protected:
    EditHistory& history() const { return m_history; }
    TableModel& model() const;
    virtual void apply() = 0;
    virtual void takeBack() = 0;

  private:
    EditHistory& m_history;
};

// One cell's text: its position and its two texts.
class CellTextCommand : public EditStep
{
  public:
    CellTextCommand(EditHistory& history, int row, int col, QString before, QString after);

  protected:
    void apply() override;
    void takeBack() override;

  private:
    int m_row;
    int m_col;
    QString m_before;
    QString m_after;
};

// Texts written over a block of rows in one go: a paste, a cut, cells
// dragged within the table, text dropped on it. The rows' cells of the
// other side (before while the change is in, after while it is out) are
// kept and swapped with the rows' own, so neither undo nor redo copies a
// cell, and a range of whole rows is not even copied the first time.
class BlockWriteCommand : public EditStep
{
  public:
    // Writes `block` into the range (clamped to the table already).
    BlockWriteCommand(EditHistory& history, const QString& text, ClipBlock block, int row1,
                      int col1, int row2, int col2);
    // Moves the range's texts so that its top-left lands on (toRow, toCol).
    BlockWriteCommand(EditHistory& history, const QString& text, int row1, int col1, int row2,
                      int col2, int toRow, int toCol);

  protected:
    void apply() override;
    void takeBack() override;

  private:
    struct Range
    {
        int row1, col1, row2, col2;
    };
    Range m_range;
    std::optional<ClipBlock> m_block; // the text to write, until written
    int m_toRow = 0;
    int m_toCol = 0;
    int m_first = 0;         // the rows whose cells change
    Table m_other;           // their cells of the other side
    bool m_takeRows = false; // whole rows: their cells are taken, not copied
    bool m_done = false;
};

// A change of the table's shape or row order: rows or columns inserted,
// removed or moved, records sorted. What goes out comes back as a table of
// its own, and the rows' blocks change hands, so nothing is copied.
class ShapeCommand : public EditStep
{
  public:
    enum class Kind {
        InsertRows,     // n blank rows at `at`
        RemoveRows,     // n rows from `at`
        RemoveRowsAt,   // the rows of `rows` (ascending)
        InsertColumns,  // n blank columns at `at`
        RemoveColumns,  // n columns from `at`
        MoveRowCells,   // the texts of row `at` go to row `to`, the rows between shift
        MoveColumn,     // column `at` goes to `to`
        PermuteRows,    // row at + i becomes the old row at + order[i]
        RotateRowCells, // the texts pass one place along `rows`, down if at is 1
    };

    ShapeCommand(EditHistory& history, const QString& text, Kind kind, int at, int n);
    ShapeCommand(EditHistory& history, const QString& text, Kind kind, int at,
                 std::vector<int> rows);

    // The title a sort leaves marked (column, ascending), and the one marked
    // before; a column of -1 marks none. The history tells the views.
    struct SortMark
    {
        int col = -1;
        bool ascending = true;
    };
    void setSortMarks(SortMark before, SortMark after);

  protected:
    void apply() override;
    void takeBack() override;

  private:
    Kind m_kind;
    int m_at;
    int m_n;                 // a count, or the `to` of a move
    std::vector<int> m_rows; // the rows removed, or the new order
    Table m_taken;
    std::optional<std::pair<SortMark, SortMark>> m_marks;
};

// One cell setting laid over columns col1..col2 of runs of rows (the
// rows a filter shows of a block: one run without a filter). Undoing puts
// back the rows' format lists as they were; they are shared, not copied,
// so even a block over 200,000 rows keeps little. A colour or size picked
// again for the same range folds into this step: trying colours one after
// the other is one change to take back.
class FormatCommand : public EditStep
{
  public:
    using Runs = std::vector<std::pair<int, int>>; // [first, last] rows, ascending

    FormatCommand(EditHistory& history, const QString& text, int setting, Runs runs, int col1,
                  int col2, const QVariant& value);

    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;

  protected:
    void apply() override;
    void takeBack() override;

  private:
    int m_setting;
    Runs m_runs;
    int m_col1, m_col2; // left to right
    QVariant m_value;
    std::vector<std::vector<Table::RowFormats>> m_before; // a list for each run
};

// Accepting Column Define: the column count, the titles and attributes of
// the defined columns (by position: no cell moves) and the roles. Columns
// it cuts are kept, cells and formats, to come back on undo.
class ColumnDefineCommand : public EditStep
{
  public:
    struct Column
    {
        QString title;
        int type = TypeText;
        QString format;
        int align = AlignLeft;
        bool hidden = false;
    };

    // `columns` describe the columns from `first` on; `count` is the column
    // count afterwards.
    ColumnDefineCommand(EditHistory& history, int count, int first, std::vector<Column> columns,
                        ColumnRoles rolesBefore, ColumnRoles rolesAfter);

  protected:
    void apply() override;
    void takeBack() override;

  private:
    int m_oldCount;
    int m_count;
    int m_first;
    std::vector<Column> m_columns;
    std::vector<QString> m_oldTitles;
    std::vector<ColumnAttr> m_oldAttrs;
    Table m_cut; // the cells of the columns the change cuts
    ColumnRoles m_rolesBefore;
    ColumnRoles m_rolesAfter;
};

// The whole table and its roles exchanged for others (an import that makes
// a new document): the two tables change places, so nothing is copied.
class ReplaceTableCommand : public EditStep
{
  public:
    ReplaceTableCommand(EditHistory& history, const QString& text, Table&& table,
                        const ColumnRoles& roles, const ColumnRoles& rolesBefore);

  protected:
    void apply() override { swap(); }
    void takeBack() override { swap(); }

  private:
    void swap();

    Table m_other;            // the table that is not in the document now
    ColumnRoles m_otherRoles; // and its roles
    ColumnRoles m_roles;      // the roles of the table in the document
};

// Records appended below the table, the table widened to hold them and its
// empty titles filled. The records' rows move between the table and this
// step as whole blocks, so undoing and redoing an append of 200,000
// records copies nothing.
class AppendRowsCommand : public EditStep
{
  public:
    // `records` holds the new rows only (no title row). Titles are
    // (column, title) for columns whose title is empty now.
    AppendRowsCommand(EditHistory& history, const QString& text, Table&& records, int cols,
                      QList<std::pair<int, QString>> titles);

  protected:
    void apply() override;
    void takeBack() override;

  private:
    Table m_records; // the appended rows while they are not in the table
    int m_first;     // table row of the first appended record
    int m_oldCols;
    int m_cols;
    QList<std::pair<int, QString>> m_titles;
};

} // namespace corvanta
