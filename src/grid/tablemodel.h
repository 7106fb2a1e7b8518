#pragma once

#include "grid/cellsetting.h"
#include "grid/table.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QHash>
#include <QPointer>
#include <QUndoStack>

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace corvanta {

class ClipBlock;

// The Qt model over a Table that it owns. Rows of the model are the table's
// rows below its fixed rows: with one fixed row, table row 0 is the
// horizontal header (its cells are the column titles) and table row r is
// model row r - 1. All positions in this class's own API are TABLE rows.
//
// The model is the only writer of its table: everything that changes it goes
// through the mutators here, so the views get the right signals and
// tableChanged() tells whoever keeps track of the document's changes.
//
// Check boxes: cells of a Checkbox column (type 11) show a box that is
// checked when the text is a number equal to -1 or 1. Toggling writes "-1"
// (how our files store a true Boolean) or "0". A cell outside such a
// column can carry a box of its own (setCellCheck); such boxes belong to the
// view only (they are not part of the document and are dropped whenever rows
// or columns are added, removed or moved).
class TableModel : public QAbstractTableModel
{
    Q_OBJECT
  public:
    // Drag payload: the dragged block's table range, "row1 col1 row2 col2".
    static constexpr const char* kCellsMimeType = "application/x-corvanta-cells";

    explicit TableModel(QObject* parent = nullptr);
    ~TableModel() override;

    const Table& table() const { return m_table; }

    int fixedRows() const { return m_fixed; }
    void setFixedRows(int rows); // 0 or 1
    int toTableRow(int modelRow) const { return modelRow + m_fixed; }
    int toModelRow(int tableRow) const { return tableRow - m_fixed; }
    // The model index of a table cell; invalid for a fixed row or outside.
    QModelIndex cellIndex(int tableRow, int col) const;

    // --- QAbstractItemModel ---
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    // Shape changes in model rows and columns, following Qt's contracts; the
    // fixed title row is out of their reach.
    bool insertRows(int row, int count, const QModelIndex& parent = {}) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;
    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                  const QModelIndex& destinationParent, int destinationChild) override;
    bool insertColumns(int column, int count, const QModelIndex& parent = {}) override;
    bool removeColumns(int column, int count, const QModelIndex& parent = {}) override;
    bool moveColumns(const QModelIndex& sourceParent, int sourceColumn, int count,
                     const QModelIndex& destinationParent, int destinationChild) override;

    // --- mutators, in table coordinates ---
    void setTableRowCount(int rows);
    void setTableColCount(int cols);
    void setText(int row, int col, QStringView text);
    // A cell's text as the user changed it (typed, ticked, or through the
    // form panel): one undoable step when the model keeps a history.
    void editText(int row, int col, const QString& text);
    // Writes a change the history recorded, undone or redone; the history
    // then still knows where the document was last saved.
    void replayText(int row, int col, const QString& text);
    // Writes `block` into the range (clipped to the table); cells of the
    // range that the block does not reach become empty.
    void writeBlock(const ClipBlock& block, int row1, int col1, int row2, int col2);
    // Moves the texts of the range so that its top-left lands on (toRow,
    // toCol); the cells it leaves become empty, formats stay.
    void moveBlock(int row1, int col1, int row2, int col2, int toRow, int toCol);
    // The same two changes as the user made them (a block dragged, text
    // dropped in): each one undoable step, named `change`, when the model
    // keeps a history.
    void editMoveBlock(int row1, int col1, int row2, int col2, int toRow, int toCol);
    void editWriteBlock(const ClipBlock& block, int row1, int col1, int row2, int col2,
                        const QString& change);
    // Writes the texts of a range, row by row, as the history recorded them.
    void replayBlock(int row1, int col1, int row2, int col2, const QStringList& texts);
    void insertTableRows(int at, int n);
    void removeTableRows(int at, int n);
    void moveTableRow(int from, int to);
    void insertTableColumns(int at, int n);
    void removeTableColumns(int at, int n);
    void moveTableColumn(int from, int to);
    // --- shape changes that can be taken back (table rows) ---
    // Rows or columns taken out come back as a table of their own, which the
    // matching put restores exactly (Table::takeRows and the rest).
    Table takeTableRows(int at, int n);
    void putTableRows(int at, Table&& rows);
    Table takeTableRowsAt(std::span<const int> rows); // ascending, no repeats
    void putTableRowsAt(std::span<const int> rows, Table&& taken);
    Table takeTableColumns(int at, int n);
    void putTableColumns(int at, Table&& cols);
    // Row first + i becomes the old row first + order[i].
    void permuteTableRows(int first, std::span<const int> order);
    // Only the row's cell texts move; formats and heights keep their place.
    void moveRowCells(int from, int to);
    // Swaps cells copied with Table::copyRowCells with the rows' own.
    void swapRowCells(int at, Table& cells);
    // One change as the user made it: `redo` makes it now, and the history
    // (when the model keeps one) holds it as one step named `change`, with
    // `undo` to take it back. Both steps may only use the mutators above
    // and the other plain mutators.
    void perform(const QString& change, std::function<void()> redo, std::function<void()> undo);
    // Runs a step the history recorded: the history itself stays as it is.
    void replay(const std::function<void()>& step);

    // Every attribute at once. Views learn of a new width or hidden state
    // through columnLayoutChanged, of anything else through dataChanged.
    void setColumnAttr(int col, const ColumnAttr& attr);
    void setColumnAlign(int col1, int col2, int code); // one alignment code over columns
    void setColumnWidth(int col, int twips);           // -1 = the grid's default
    void setColumnHidden(int col, bool hidden);
    void setRowHeight(int row, int twips); // -1 = the default; emits rowHeightChanged
    // One height for rows first..last at once; emits rowHeightsChanged.
    void setRowHeights(int first, int last, int twips);
    // One setting over a range (corners in any order). Text is a QString,
    // colours quint32 0x00BBGGRR, font flags bool, size double, alignment
    // int. An invalid value unsets alignment, colours and size (the cell
    // shows the default again). Returns false for a code that is no
    // CellSetting.
    bool setCellSetting(int setting, int row1, int col1, int row2, int col2, const QVariant& value);
    void replaceTable(Table&& table);
    // Hands the whole table over, leaving an empty one: how a file read
    // into the scratch grid reaches the document without a copy.
    Table takeTable();
    // Records appended as the user asked (one undoable step named `change`
    // when the model keeps a history): the table widens to `cols` columns,
    // the empty titles of `titles` (column, title) are filled, and the rows
    // of `records` go below the last row.
    void editAppendRows(Table&& records, int cols, const QList<std::pair<int, QString>>& titles,
                        const QString& change);
    // The rows of an append as the history moves them, in and back out:
    // `rows` go below the last row after the table widened to `cols` (the
    // new columns with the attributes `rows` has for them); or
    // the rows from `at` on go into `rows` and the table narrows to `cols`.
    void replayAppendRows(Table& rows, int cols);
    void replayTakeRows(int at, Table& rows, int cols);
    // The history the user's edits are recorded in; none by default. Any
    // change made without it (a load, a command that is not undoable yet)
    // means undoing can no longer lead back to the saved state.
    void setUndoStack(QUndoStack* stack);
    QUndoStack* undoStack() const { return m_undo; }
    void clearAll();

    // Back colour of every second data row (0x00BBGGRR); nullopt = none.
    std::optional<quint32> altRowColor() const { return m_altRowColor; }
    void setAltRowColor(std::optional<quint32> bgr);
    // The font that cell formatting (bold, size...) modifies: the view's.
    void setBaseFont(const QFont& font) { m_baseFont = font; }

    // How a cell's stored text is shown (table row, column, stored text);
    // none shows it as stored. Asked only for the cells being painted, so a
    // typed column costs nothing until it scrolls into view. Editing still
    // starts from the stored text.
    using DisplayText = std::function<QString(int row, int col, const QString& text)>;
    void setDisplayText(DisplayText display);
    // Every cell shows itself anew (after a change of how cells are shown).
    void refreshDisplay();

    // Puts back the formats of whole rows as Table::rowFormatHandles gave
    // them (what an undoable formatting change keeps); columns col1..col2
    // are the ones that changed.
    void restoreRowFormats(int row1, int col1, int col2,
                           const std::vector<Table::RowFormats>& rows);

    // The cells (texts and formats) of `n` columns from `col`, every row, as
    // a table of their own; and putting such a table back from `col`. What
    // an undoable change that cuts columns keeps to restore them.
    Table columnsCopy(int col, int n) const;
    void putColumns(int col, const Table& cells);

    // A CheckState: CheckNone, CheckChecked or CheckUnchecked.
    int cellCheck(int row, int col) const;
    void setCellCheck(int row, int col, int state);

    static bool isCheckedText(QStringView text);
    static QColor colorFromBgr(quint32 bgr);
    static quint32 bgrFromColor(const QColor& color);
    // Qt alignment for an alignment code; `text` decides code 9 (general).
    static Qt::Alignment alignmentFor(int code, QStringView text);

  signals:
    // After every change of the table's content, shape, formats or column
    // attributes (not after row heights or view state such as view-only
    // check boxes): the one place to learn that the document changed.
    void tableChanged();
    // A column's width or hidden state changed.
    void columnLayoutChanged(int col);
    // A row's height changed (table row).
    void rowHeightChanged(int row);
    void rowHeightsChanged(int first, int last);

  private:
    // Tells the views that cells of the range changed; roles empty =
    // everything.
    void notifyCellsChanged(int row1, int col1, int row2, int col2, const QList<int>& roles = {});
    void moveModelRows(int first, int count, int dest);
    void moveModelColumns(int first, int count, int dest);
    bool isCheckColumn(int col) const;
    QVariant formatData(int row, int col, int role) const;
    void dropViewChecks();
    // Starts over in the views (many scattered rows changed at once).
    template <typename F> void resetWith(F&& change);

    Table m_table;
    int m_fixed = 1;
    std::optional<quint32> m_altRowColor;
    QFont m_baseFont;
    DisplayText m_display;
    QHash<quint64, bool> m_viewChecks; // (row << 32 | col) -> checked
    QPointer<QUndoStack> m_undo;       // may go before the model, or after
    bool m_replaying = false;
};

} // namespace corvanta
