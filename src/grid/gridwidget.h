#pragma once

#include "grid/cellsetting.h"
#include "grid/table.h"

#include <QTableView>

#include <optional>
#include <vector>

namespace corvanta {

class TableModel;

// The grid component: every table on screen is one of these. It offers the
// operations the address book uses under their own names, with their value
// codes.
// Getters carry the operation's name (`RowCount()`); setters are `Set...`.
// QTableView's own pixel-based setters are private here: they would change
// the view alone, and the document would lose the size on save.
//
// Units: widths and heights in twips (1440 an inch at the screen's logical
// DPI); colours as 0x00BBGGRR.
class GridWidget : public QTableView
{
    Q_OBJECT
  public:
    // How the mouse and the keys select (SelectMode).
    enum SelectModeCode : int {
        SelectFree = 0,        // any block of cells
        SelectRowRange = 1,    // one run of whole rows
        SelectColumnRange = 2, // one run of whole columns
        SelectWholeRows = 3,   // whole rows, several runs with Ctrl
    };

    explicit GridWidget(QWidget* parent = nullptr);
    ~GridWidget() override;

    const Table& table() const;
    TableModel* gridModel() const;

    // The setters below set a grid up (a load, New, the default layout):
    // they change the table as TableModel::Unrecorded, never as a step of
    // the document's history. A change the user makes goes to the history.
    int RowCount() const;
    void SetRowCount(int rows);
    int ColCount() const;
    void SetColCount(int cols);
    int FixedRowCount() const; // 0 or 1
    void SetFixedRowCount(int rows);
    int FixedColCount() const; // always 0 here
    void SetFixedColCount(int cols);

    int CurRow() const;
    int CurCol() const;
    void SetCurRow(int row);
    void SetCurCol(int col);
    int SelEndRow() const;
    int SelEndCol() const;
    QString CurText() const;
    void SetCurText(const QString& text);

    QString CellText(int row, int col) const;
    void SetCellText(int row, int col, const QString& text);
    // One CellSetting over a cell (row2/col2 < 0) or a range. Text is a QString,
    // colours quint32 0x00BBGGRR, font flags bool, size double, alignment int.
    QVariant CellProp(int setting, int row, int col) const;
    void SetCellProp(int setting, int row1, int col1, const QVariant& value, int row2 = -1,
                     int col2 = -1);

    int ColumnWidth(int col) const; // twips
    void SetColumnWidth(int col, int twips);
    int RowHeightOf(int row) const; // twips
    void SetRowHeightOf(int row, int twips);
    void SetRowHeights(int firstRow, int lastRow, int twips); // many rows at once
    int ColumnAlign(int col) const;                           // an AlignCode
    void SetColumnAlign(int col, int code);                   // col -1 = every column
    int ColumnType(int col) const;
    void SetColumnType(int col, int code);
    QString ColumnFormat(int col) const;
    void SetColumnFormat(int col, const QString& format);
    bool ColumnHidden(int col) const;
    void SetColumnHidden(int col, bool hidden);

    void MoveRowTo(int row, int newIndex);
    void MoveColumnTo(int col, int newIndex);

    // The selection (from the current cell to SelEndRow/SelEndCol), the
    // rows a filter hides left out, as
    // TAB-separated cells and LF-separated rows; cells holding TABs, quotes or
    // line breaks are quoted so that writing the text back restores them
    // (format: table/clipblock.h). Writing fills the selection from its
    // top-left cell; cells the text does not reach become empty. From a
    // single selected cell the text takes the room it needs instead, as far
    // as the table reaches, and ends up selected. The table never grows.
    QString ClipText() const;
    void SetClipText(const QString& text);

    int SelectMode() const; // a SelectModeCode
    void SetSelectMode(int mode);
    // Rows picked in whole-row mode, ascending table row numbers; a free
    // block picks no rows (callers then work on the current row).
    int PickedRowCount() const;
    int PickedRow(int i) const; // -1 outside

    int GridLineStyle() const; // 0 none, 1 flat
    void SetGridLineStyle(int style);
    quint32 AltRowBackColor() const;
    void SetAltRowBackColor(quint32 bgr);
    int CellCheck() const; // a CheckState, of the current cell
    void SetCellCheck(int state);
    // The same for any cell. In a Checkbox column the box is the cell's value
    // ("-1" checked, "0" unchecked); elsewhere a box is view state only.
    int CellCheckAt(int row, int col) const;
    void SetCellCheckAt(int row, int col, int state);
    int DragEnabled() const;
    void SetDragEnabled(int on);
    QString DropList() const;
    void SetDropList(const QString& entries); // "a|b|c"; "" = plain editor

    // Shows only the records `shown` (ascending table rows), or every
    // record for none. How the user looks at the table, like a scroll
    // position: row heights and the rest of the document stay as they are.
    void ShowOnlyRows(const std::vector<int>* shown);
    // Records a filter hides now; rows inserted since show.
    int HiddenRowCount() const;
    bool RowShown(int row) const;
    // The runs of shown rows in row1..row2, as [first, last] pairs.
    std::vector<std::pair<int, int>> ShownRuns(int row1, int row2) const;

    void ClearAll();
    void SelectRange(int row1, int col1, int row2 = -1, int col2 = -1);
    void RemoveRow(int row);
    void BeginEdit();
    // Writes an open in-place editor's text into its cell and closes it, as
    // Enter would. Does nothing when no editor is open.
    void commitOpenEditor();

    static int twipsToPixels(int twips);
    static int pixelsToTwips(int pixels);

    // Lets the user drag a column title to move the column (off by default).
    void SetColumnsMovable(bool on);
    // A locked column's cells open no editor (view state, not the document's).
    void SetColumnLocked(int col, bool locked);
    using QTableView::edit; // the public edit(index), beside the override below

  signals:
    // A click on a cell by the user (the main window's refresh hangs on it).
    void Click();
    // The user finished editing a cell in place (or toggled its check box).
    void cellEdited(int row, int col);
    // Any change of a cell's text, made by the user or by code.
    void contentChanged();
    // The current cell is about to move (by keys, a click, a command or a
    // selection set by code): an edit still open elsewhere on the same
    // record must be taken now, while that record is still current.
    void currentAboutToChange();
    // The user dragged a column by its title from one index to another.
    void columnDragged(int from, int to);
    // The user dropped a dragged block; it now covers this range.
    void blockDropped(int row1, int col1, int row2, int col2);

  protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void changeEvent(QEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // View-only pixel setters: SetColumnWidth, SetColumnHidden and
    // SetRowHeightOf change the document and the view together.
    using QTableView::setColumnHidden;
    using QTableView::setColumnWidth;
    using QTableView::setRowHeight;

    void applyLayout();
    void applyColumnLayout();
    void applyColumn(int col);
    void applyRowHeight(int row);
    void applyTitleHeight();
    void applyRowHeights(int firstRow, int lastRow, bool freshSections);
    void ensureCurrent();
    // Selects from the current cell (the anchor, which stays current) to
    // `end`, as Shift with a key or a click does.
    void extendTo(const QModelIndex& end);
    QItemSelectionModel::SelectionFlags behaviourFlags() const;
    // The cursor move of a navigation key; none for any other key.
    static std::optional<CursorAction> cursorActionFor(int key);
    // The current row went with removed rows: the row that takes its place
    // becomes current, picked as the mode picks.
    void replaceRemovedCurrent(int first);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace corvanta
