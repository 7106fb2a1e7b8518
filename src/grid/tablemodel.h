#pragma once

#include "grid/table.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QHash>

#include <optional>

namespace corvanta {

// The Qt model over a Table that it owns. Rows of the model are the table's
// rows below its fixed rows: with one fixed row, table row 0 is the
// horizontal header (its cells are the column titles) and table row r is
// model row r - 1. All positions in this class's own API are TABLE rows.
//
// Everything that changes the table goes through the mutators here, so the
// views get the right signals; a caller that writes through table() directly
// must call resetFromTable() (or notifyCellsChanged()) afterwards.
//
// Check boxes: cells of a Checkbox column (type 11) show a box that is
// checked when the text is a number equal to -1 or 1. Toggling writes "-1"
// (the Boolean true of the program's files) or "0". A cell outside such a
// column can carry a box of its own (setCellCheck); such boxes belong to the
// view only (they are not part of the document and are dropped whenever rows
// or columns are added, removed or moved).
class TableModel : public QAbstractTableModel
{
    Q_OBJECT
  public:
    // Drag payload: identifies the model and the dragged block.
    static constexpr const char* kCellsMimeType = "application/x-corvanta-cells";

    explicit TableModel(QObject* parent = nullptr);
    ~TableModel() override;

    const Table& table() const { return m_table; }
    Table& table() { return m_table; }

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

    // --- mutators, in table coordinates ---
    void setTableRowCount(int rows);
    void setTableColCount(int cols);
    void setText(int row, int col, QStringView text);
    void setColumnAttr(int col, const ColumnAttr& attr);
    // One setting over a range by the grid's CellProp codes: 0 text,
    // 2 alignment, 6 back colour, 7 fore colour (0x00BBGGRR), 12 font size,
    // 13 bold, 14 italic, 15 underline. An invalid value unsets alignment,
    // colours and size (the cell shows the default again). Returns false for
    // another code.
    bool setCellSetting(int setting, int row1, int col1, int row2, int col2, const QVariant& value);
    void removeTableRows(int at, int n);
    void moveTableRow(int from, int to);
    void moveTableColumn(int from, int to);
    void replaceTable(Table&& table);
    void clearAll();
    // Tell the views that cells of the range changed (after writes through
    // table()); roles empty = everything.
    void notifyCellsChanged(int row1, int col1, int row2, int col2, const QList<int>& roles = {});
    void resetFromTable();

    // Back colour of every second data row (0x00BBGGRR); nullopt = none.
    std::optional<quint32> altRowColor() const { return m_altRowColor; }
    void setAltRowColor(std::optional<quint32> bgr);
    // The font that cell formatting (bold, size...) modifies: the view's.
    void setBaseFont(const QFont& font) { m_baseFont = font; }

    // 0 no box, 1 checked, 2 unchecked.
    int cellCheck(int row, int col) const;
    void setCellCheck(int row, int col, int state);

    static bool isCheckedText(QStringView text);
    static QColor colorFromBgr(quint32 bgr);
    static quint32 bgrFromColor(const QColor& color);
    // Qt alignment for an alignment code; `text` decides code 9 (general).
    static Qt::Alignment alignmentFor(int code, QStringView text);

  private:
    bool isCheckColumn(int col) const;
    QVariant formatData(int row, int col, int role) const;
    void dropViewChecks();

    Table m_table;
    int m_fixed = 1;
    std::optional<quint32> m_altRowColor;
    QFont m_baseFont;
    QHash<quint64, bool> m_viewChecks; // (row << 32 | col) -> checked
};

} // namespace corvanta
