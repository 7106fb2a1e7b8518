#pragma once

#include "grid/cellsetting.h"
#include "grid/editrecorder.h"
#include "grid/table.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QHash>

#include <functional>
#include <memory>
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
// through the plain mutators here, which change the table and emit, so the
// views get the right signals and tableChanged() tells the document's
// history. The user's own edits through a grid (setData, drag and drop, a
// column dragged by its title) go to the model's recorder instead, which
// makes them steps of that history.
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
    // Writes `block` into the range (clipped to the table); cells of the
    // range that the block does not reach become empty.
    void writeBlock(const ClipBlock& block, int row1, int col1, int row2, int col2);
    // Moves the texts of the range so that its top-left lands on (toRow,
    // toCol); the cells it leaves become empty, formats stay.
    void moveBlock(int row1, int col1, int row2, int col2, int toRow, int toCol);
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
    // Table::rotateRowCells: texts pass one place along the rows `rows`.
    void rotateRowCells(std::span<const int> rows, bool down);
    // Swaps cells copied with Table::copyRowCells with the rows' own.
    void swapRowCells(int at, Table& cells);
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
    // The whole table replaced (a load), handed over leaving an empty one
    // (how a file read into the scratch grid reaches the document without
    // a copy), or emptied: no step of a history, they run as Unrecorded.
    void replaceTable(Table&& table);
    Table takeTable();
    void clearAll();
    // Appended rows, in and back out: `rows` go below the last row after
    // the table widened to `cols`; or the rows from `at` on go into `rows`
    // and the table narrows to `cols`. The rows' blocks change hands.
    void appendRows(Table& rows, int cols);
    void takeAppendedRows(int at, Table& rows, int cols);

    // Where the user's edits through a grid go (EditRecorder); none makes
    // them straight away. The recorder must outlive the model or unset
    // itself.
    void setRecorder(EditRecorder* recorder) { m_recorder = recorder; }
    EditRecorder* recorder() const { return m_recorder; }
    // The recorder, or one that makes the edits at once.
    EditRecorder& edits();

    // Changes made while one of these lives are no step of a history: how a
    // grid is set up (a load, New, the default layout), or a change the
    // document keeps without one (a column's width). A history watching
    // the model counts them as unsaved changes it cannot take back.
    class Unrecorded
    {
      public:
        explicit Unrecorded(TableModel& model) : m_model(model) { ++m_model.m_unrecorded; }
        ~Unrecorded() { --m_model.m_unrecorded; }
        Unrecorded(const Unrecorded&) = delete;
        Unrecorded& operator=(const Unrecorded&) = delete;

      private:
        TableModel& m_model;
    };
    bool isUnrecorded() const { return m_unrecorded > 0; }

    // Back colour of every second data row (0x00BBGGRR); nullopt = none.
    std::optional<quint32> altRowColor() const { return m_altRowColor; }
    void setAltRowColor(std::optional<quint32> bgr);
    // Which rows count as every second one: the place of a model row among
    // the rows a view shows (none: the row itself), so that the stripes
    // alternate over the records in sight.
    using StripePlace = std::function<int(int modelRow)>;
    void setStripePlace(StripePlace place) { m_stripePlace = std::move(place); }
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
    StripePlace m_stripePlace;
    QHash<quint64, bool> m_viewChecks; // (row << 32 | col) -> checked
    EditRecorder* m_recorder = nullptr;
    std::unique_ptr<EditRecorder> m_direct; // edits made at once
    int m_unrecorded = 0;
};

} // namespace corvanta
