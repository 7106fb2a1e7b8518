#include "grid/gridwidget.h"

#include "grid/clipblock.h"
#include "grid/griddelegate.h"
#include "grid/griddragdrop.h"
#include "grid/gridselection.h"
#include "grid/tablemodel.h"

#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSet>
#include <QSignalBlocker>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

namespace corvanta {

namespace {

// The width of a column that has none of its own: 2/3 of an inch.
constexpr int kDefaultColumnTwips = 960;

qreal logicalDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

using Block = GridSelection::Block;

} // namespace

// Tells before the current cell moves, while the old one is still current.
// Not in the unnamed namespace: GridWidget::Private holds one.
class AnnouncingSelectionModel : public QItemSelectionModel
{
  public:
    AnnouncingSelectionModel(QAbstractItemModel* model, QObject* parent,
                             std::function<void()> aboutToChange)
        : QItemSelectionModel(model, parent), m_aboutToChange(std::move(aboutToChange))
    {
    }
    void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override
    {
        if (index != currentIndex() && !m_quiet)
            m_aboutToChange();
        QItemSelectionModel::setCurrentIndex(index, command);
    }
    // Moves the current cell for a moment and back, unseen by anyone.
    void setCurrentQuietly(const QModelIndex& index)
    {
        const QSignalBlocker blocker(this);
        QScopedValueRollback quiet(m_quiet, true);
        QItemSelectionModel::setCurrentIndex(index, NoUpdate);
    }

  private:
    std::function<void()> m_aboutToChange;
    bool m_quiet = false;
};

struct GridWidget::Private
{
    TableModel* model = nullptr;
    GridDelegate* delegate = nullptr;
    int selectMode = SelectFree;
    int dragEnabled = 0;
    bool applyingLayout = false;
    bool pressedOnCell = false;
    QSet<int> lockedColumns;
    std::unique_ptr<GridSelection> selection;
    std::unique_ptr<GridDragDrop> dragDrop;
    AnnouncingSelectionModel* selectionModel = nullptr;
    // The moving corner of a block extended with Shift; the current cell
    // is the other corner, where the block was started.
    QPersistentModelIndex selEnd;
    // Column of the current cell when its row is about to be removed.
    int removedCurrentCol = -1;
    // The place of each model row among the shown rows, for the stripes
    // while a filter hides rows; built when first asked after a change.
    std::vector<int> stripePlaces;
    bool stripesValid = false;
    // The model is reordering its rows (a sort): the header hides and
    // sizes its sections anew, which is no height the user gave a row.
    bool reordering = false;
};

// --- construction and layout ------------------------------------------------

GridWidget::GridWidget(QWidget* parent) : QTableView(parent), d(std::make_unique<Private>())
{
    d->model = new TableModel(this);
    d->selection = std::make_unique<GridSelection>(this, d->model);
    d->dragDrop = std::make_unique<GridDragDrop>(this, d->model);
    d->model->replaceTable(Table(50, 10)); // the component's size before anyone sets one
    d->model->setBaseFont(font());
    d->delegate = new GridDelegate(this);
    setItemDelegate(d->delegate);

    // Uniform sizes: the headers then need no per-row work, whatever the
    // row count; only rows with a height of their own get one.
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultSectionSize(twipsToPixels(kDefaultColumnTwips));
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->hide(); // the grids have no fixed column
    setModel(d->model);
    // Before the selection model's own handler moves the current cell up.
    connect(d->model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                const QModelIndex cur = currentIndex();
                d->removedCurrentCol =
                    cur.isValid() && cur.row() >= first && cur.row() <= last ? cur.column() : -1;
            });
    connect(d->model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int) { replaceRemovedCurrent(first); });
    {
        QItemSelectionModel* plain = selectionModel();
        d->selectionModel =
            new AnnouncingSelectionModel(d->model, this, [this] { emit currentAboutToChange(); });
        setSelectionModel(d->selectionModel);
        delete plain;
    }
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { d->selEnd = QPersistentModelIndex(); });

    setWordWrap(false);
    setEditTriggers(AnyKeyPressed | DoubleClicked | EditKeyPressed);
    setSelectionMode(ExtendedSelection);
    setSelectionBehavior(SelectItems);
    setDragDropOverwriteMode(true);
    setDefaultDropAction(Qt::MoveAction);

    auto contentSignal = [this] { emit contentChanged(); };
    auto structural = [this] {
        d->selection->invalidate();
        d->stripesValid = false;
    };
    d->model->setStripePlace([this](int m) {
        QHeaderView* rows = verticalHeader();
        if (rows->hiddenSectionCount() == 0)
            return m;
        if (!d->stripesValid) {
            d->stripePlaces.resize(size_t(d->model->rowCount()));
            int place = 0;
            for (int r = 0; r < int(d->stripePlaces.size()); ++r) {
                d->stripePlaces[size_t(r)] = place;
                place += rows->isSectionHidden(r) ? 0 : 1;
            }
            d->stripesValid = true;
        }
        return m >= 0 && m < int(d->stripePlaces.size()) ? d->stripePlaces[size_t(m)] : m;
    });
    connect(d->model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole) ||
                    roles.contains(Qt::EditRole) || roles.contains(Qt::CheckStateRole))
                    emit contentChanged();
            });
    connect(d->model, &QAbstractItemModel::headerDataChanged, this, contentSignal);
    for (auto sig : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved,
                     &QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved}) {
        connect(d->model, sig, this, contentSignal);
        connect(d->model, sig, this, structural);
    }
    connect(d->model, &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int start, int end, const QModelIndex&, int dest) {
                d->selection->invalidate();
                d->stripesValid = false;
                const int fixed = d->model->fixedRows();
                applyRowHeights(std::min(start, dest) + fixed, std::max(end, dest) + fixed, false);
                emit contentChanged();
            });
    connect(d->model, &QAbstractItemModel::columnsMoved, this, [this] {
        applyColumnLayout();
        emit contentChanged();
    });
    connect(d->model, &QAbstractItemModel::columnsInserted, this, [this] { applyColumnLayout(); });
    // A sort reorders the rows: heights of their own go with them.
    connect(d->model, &QAbstractItemModel::layoutAboutToBeChanged, this,
            [this] { d->reordering = true; });
    connect(d->model, &QAbstractItemModel::layoutChanged, this, [this] {
        d->reordering = false;
        d->selection->invalidate();
        d->stripesValid = false;
        if (table().hasRowHeights())
            applyRowHeights(FixedRowCount(), RowCount() - 1, false);
        emit contentChanged();
    });
    connect(d->model, &QAbstractItemModel::modelReset, this, [this] {
        d->selection->invalidate();
        d->stripesValid = false;
        applyLayout();
        ensureCurrent();
        emit contentChanged();
    });
    connect(d->model, &TableModel::columnLayoutChanged, this, &GridWidget::applyColumn);
    connect(d->model, &TableModel::rowHeightChanged, this, &GridWidget::applyRowHeight);
    connect(d->model, &TableModel::rowHeightsChanged, this,
            [this](int first, int last) { applyRowHeights(first, last, false); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { d->selection->invalidate(); });

    // A user dragging a border changes the document's width or height; the
    // header already shows it.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int col, int, int size) {
        if (d->applyingLayout)
            return;
        QScopedValueRollback guard(d->applyingLayout, true);
        // Kept with the document and saved, but no step to take back.
        const TableModel::Unrecorded width(*d->model);
        d->model->setColumnWidth(col, pixelsToTwips(size));
    });
    connect(verticalHeader(), &QHeaderView::sectionResized, this, [this](int row, int, int size) {
        if (d->applyingLayout || d->reordering)
            return;
        QScopedValueRollback guard(d->applyingLayout, true);
        d->model->setRowHeight(d->model->toTableRow(row), pixelsToTwips(size));
    });
    connect(horizontalHeader(), &QHeaderView::sectionMoved, this,
            [this](int, int oldVisual, int newVisual) {
                if (d->applyingLayout)
                    return;
                // The header only shows the new order; the table is what moves.
                {
                    QScopedValueRollback guard(d->applyingLayout, true);
                    horizontalHeader()->moveSection(newVisual, oldVisual);
                }
                // One step the user can take back, cells, title and
                // attributes together.
                d->model->edits().moveColumn(oldVisual, newVisual);
                emit columnDragged(oldVisual, newVisual);
            });
    connect(d->delegate, &GridDelegate::edited, this, [this](const QModelIndex& index) {
        emit cellEdited(d->model->toTableRow(index.row()), index.column());
    });

    applyLayout();
    ensureCurrent();
}

GridWidget::~GridWidget()
{
    // The base classes tear down the model and headers after `d` is gone:
    // nothing of theirs may call back into this class by then.
    for (QObject* sender : std::initializer_list<QObject*>{
             d->model, selectionModel(), horizontalHeader(), verticalHeader(), d->delegate})
        if (sender)
            sender->disconnect(this);
    d->model->setStripePlace({});
}

const Table& GridWidget::table() const
{
    return d->model->table();
}

TableModel* GridWidget::gridModel() const
{
    return d->model;
}

int GridWidget::twipsToPixels(int twips)
{
    return qRound(twips * logicalDpi() / 1440.0);
}

int GridWidget::pixelsToTwips(int pixels)
{
    return qRound(pixels * 1440.0 / logicalDpi());
}

void GridWidget::applyLayout()
{
    const bool titled = d->model->fixedRows() > 0;
    horizontalHeader()->setVisible(titled);
    applyTitleHeight();
    applyColumnLayout();
    applyRowHeights(d->model->fixedRows(), RowCount() - 1, true);
}

void GridWidget::applyColumnLayout()
{
    QScopedValueRollback guard(d->applyingLayout, true);
    QHeaderView* header = horizontalHeader();
    const Table& t = table();
    for (int c = 0; c < t.colCount(); ++c) {
        const ColumnAttr& a = t.column(c);
        header->resizeSection(c,
                              a.width < 0 ? header->defaultSectionSize() : twipsToPixels(a.width));
        setColumnHidden(c, a.hidden);
    }
}

void GridWidget::applyColumn(int col)
{
    if (d->applyingLayout)
        return; // the header itself reported the change
    QScopedValueRollback guard(d->applyingLayout, true);
    QHeaderView* header = horizontalHeader();
    const ColumnAttr& a = table().column(col);
    header->resizeSection(col, a.width < 0 ? header->defaultSectionSize() : twipsToPixels(a.width));
    if (isColumnHidden(col) != a.hidden)
        setColumnHidden(col, a.hidden);
}

void GridWidget::applyRowHeight(int row)
{
    if (d->applyingLayout)
        return; // the header itself reported the change
    if (row < FixedRowCount())
        applyTitleHeight();
    else
        applyRowHeights(row, row, false);
}

void GridWidget::applyTitleHeight()
{
    QHeaderView* header = horizontalHeader();
    const int twips = d->model->fixedRows() > 0 ? table().rowHeight(0) : -1;
    if (twips >= 0) {
        header->setFixedHeight(twipsToPixels(twips));
    } else {
        header->setMinimumHeight(0);
        header->setMaximumHeight(QWIDGETSIZE_MAX);
    }
}

void GridWidget::applyRowHeights(int first, int last, bool freshSections)
{
    QScopedValueRollback guard(d->applyingLayout, true);
    QHeaderView* header = verticalHeader();
    const Table& t = table();
    first = std::max(first, d->model->fixedRows());
    last = std::min(last, t.rowCount() - 1);
    // Every row of one height: the header takes it as its default size.
    // Resizing sections one by one costs the header a pass over all of them
    // each time, which on a large table takes minutes.
    constexpr int kManyRows = 1000;
    if (last - first >= kManyRows && first == d->model->fixedRows() && last == t.rowCount() - 1 &&
        t.rowHeight(first) >= 0) {
        const int twips = t.rowHeight(first);
        bool uniform = true;
        for (int r = first + 1; r <= last && uniform; ++r)
            uniform = t.rowHeight(r) == twips;
        if (uniform) {
            header->reset();
            header->setDefaultSectionSize(twipsToPixels(twips));
            // Rows a filter hides keep the size they had when hidden and
            // would show again at it: they are given the new one too.
            if (header->hiddenSectionCount() > 0)
                for (int m = 0; m < header->count(); ++m)
                    if (header->isSectionHidden(m))
                        header->resizeSection(m, twipsToPixels(twips));
            return;
        }
    }
    for (int r = first; r <= last; ++r) {
        const int twips = t.rowHeight(r);
        if (twips < 0 && freshSections)
            continue;
        header->resizeSection(d->model->toModelRow(r),
                              twips < 0 ? header->defaultSectionSize() : twipsToPixels(twips));
    }
}

void GridWidget::ensureCurrent()
{
    if (currentIndex().isValid())
        return;
    const QModelIndex first = d->model->index(0, 0);
    if (first.isValid())
        setCurrentIndex(first);
}

// --- counts -----------------------------------------------------------------

int GridWidget::RowCount() const
{
    return table().rowCount();
}

void GridWidget::SetRowCount(int rows)
{
    const TableModel::Unrecorded setUp(*d->model);
    d->model->setTableRowCount(rows);
    ensureCurrent();
}

int GridWidget::ColCount() const
{
    return table().colCount();
}

void GridWidget::SetColCount(int cols)
{
    const TableModel::Unrecorded setUp(*d->model);
    d->model->setTableColCount(cols);
    ensureCurrent();
}

int GridWidget::FixedRowCount() const
{
    return d->model->fixedRows();
}

void GridWidget::SetFixedRowCount(int rows)
{
    d->model->setFixedRows(rows);
}

int GridWidget::FixedColCount() const
{
    return 0;
}

void GridWidget::SetFixedColCount(int)
{
    // The address book's grids never have a fixed column.
}

// --- current cell and selection ---------------------------------------------

int GridWidget::CurRow() const
{
    const QModelIndex cur = currentIndex();
    return cur.isValid() ? d->model->toTableRow(cur.row()) : 0;
}

int GridWidget::CurCol() const
{
    const QModelIndex cur = currentIndex();
    return cur.isValid() ? cur.column() : 0;
}

void GridWidget::SetCurRow(int row)
{
    SelectRange(row, CurCol());
}

void GridWidget::SetCurCol(int col)
{
    SelectRange(CurRow(), col);
}

int GridWidget::SelEndRow() const
{
    const Block b = d->selection->currentBlock();
    return b.valid ? b.row2 : CurRow();
}

int GridWidget::SelEndCol() const
{
    const Block b = d->selection->currentBlock();
    return b.valid ? b.col2 : CurCol();
}

QString GridWidget::CurText() const
{
    return CellText(CurRow(), CurCol());
}

void GridWidget::SetCurText(const QString& text)
{
    SetCellText(CurRow(), CurCol(), text);
}

void GridWidget::SelectRange(int row1, int col1, int row2, int col2)
{
    if (row2 < 0)
        row2 = row1;
    if (col2 < 0)
        col2 = col1;
    const int fixed = FixedRowCount();
    const int lastRow = RowCount() - 1;
    const int lastCol = ColCount() - 1;
    if (lastRow < fixed || lastCol < 0)
        return;
    row1 = std::clamp(row1, fixed, lastRow);
    row2 = std::clamp(row2, fixed, lastRow);
    col1 = std::clamp(col1, 0, lastCol);
    col2 = std::clamp(col2, 0, lastCol);

    const QModelIndex cur = d->model->cellIndex(row1, col1);
    // Through the view, so a later shift-click or shift-arrow extends from here.
    setCurrentIndex(cur);
    const QItemSelection sel(d->model->cellIndex(std::min(row1, row2), std::min(col1, col2)),
                             d->model->cellIndex(std::max(row1, row2), std::max(col1, col2)));
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (selectionBehavior() == SelectRows)
        flags |= QItemSelectionModel::Rows;
    else if (selectionBehavior() == SelectColumns)
        flags |= QItemSelectionModel::Columns;
    selectionModel()->select(sel, flags);
    if (row2 != row1 || col2 != col1)
        d->selEnd = d->model->cellIndex(row2, col2);
}

QItemSelectionModel::SelectionFlags GridWidget::behaviourFlags() const
{
    switch (selectionBehavior()) {
    case SelectRows:
        return QItemSelectionModel::Rows;
    case SelectColumns:
        return QItemSelectionModel::Columns;
    default:
        return QItemSelectionModel::NoUpdate;
    }
}

void GridWidget::extendTo(const QModelIndex& end)
{
    const QModelIndex anchor = currentIndex();
    if (!anchor.isValid() || !end.isValid())
        return;
    const QItemSelection block(
        d->model->index(std::min(anchor.row(), end.row()), std::min(anchor.column(), end.column())),
        d->model->index(std::max(anchor.row(), end.row()),
                        std::max(anchor.column(), end.column())));
    // Current: replaces the block being extended, keeping rows picked
    // before it with Ctrl.
    selectionModel()->select(block, QItemSelectionModel::SelectCurrent | behaviourFlags());
    d->selEnd = end;
    scrollTo(end);
}

void GridWidget::replaceRemovedCurrent(int first)
{
    const int col = std::exchange(d->removedCurrentCol, -1);
    const int rows = d->model->rowCount();
    const int cols = d->model->columnCount();
    if (col < 0 || rows <= 0 || cols <= 0)
        return;
    const QModelIndex next = d->model->index(std::min(first, rows - 1), std::min(col, cols - 1));
    const bool nonePicked = !selectionModel()->hasSelection();
    selectionModel()->setCurrentIndex(next, nonePicked ? QItemSelectionModel::ClearAndSelect |
                                                             behaviourFlags()
                                                       : QItemSelectionModel::NoUpdate);
}

int GridWidget::SelectMode() const
{
    return d->selectMode;
}

void GridWidget::SetSelectMode(int mode)
{
    if (mode < SelectFree || mode > SelectWholeRows)
        return;
    const Block b = d->selection->currentBlock();
    d->selectMode = mode;
    setSelectionMode(mode == SelectFree || mode == SelectWholeRows ? ExtendedSelection
                                                                   : ContiguousSelection);
    setSelectionBehavior(mode == SelectFree          ? SelectItems
                         : mode == SelectColumnRange ? SelectColumns
                                                     : SelectRows);
    d->selection->invalidate();
    if (b.valid && mode != SelectFree)
        SelectRange(b.row1, b.col1, b.row2, b.col2); // widen the block to whole rows
}

int GridWidget::PickedRowCount() const
{
    return d->selectMode == SelectRowRange || d->selectMode == SelectWholeRows
               ? d->selection->pickedCount()
               : 0;
}

int GridWidget::PickedRow(int i) const
{
    return i < PickedRowCount() ? d->selection->pickedRow(i) : -1;
}

// --- cells ------------------------------------------------------------------

QString GridWidget::CellText(int row, int col) const
{
    return table().text(row, col);
}

void GridWidget::SetCellText(int row, int col, const QString& text)
{
    const TableModel::Unrecorded setUp(*d->model);
    d->model->setText(row, col, text);
}

QVariant GridWidget::CellProp(int setting, int row, int col) const
{
    const Table& t = table();
    if (row < 0 || row >= t.rowCount() || col < 0 || col >= t.colCount())
        return {};
    const CellFormat f = t.format(row, col);
    switch (setting) {
    case PropText:
        return t.text(row, col);
    case PropAlignment:
        return (f.fields & CellFormat::HasAlign) ? int(f.align) : t.column(col).align;
    case PropBackColor:
        return (f.fields & CellFormat::HasBack)
                   ? f.back
                   : TableModel::bgrFromColor(palette().color(QPalette::Base));
    case PropForeColor:
        return (f.fields & CellFormat::HasFore)
                   ? f.fore
                   : TableModel::bgrFromColor(palette().color(QPalette::Text));
    case PropFontSize:
        return (f.fields & CellFormat::HasFontSize) ? double(f.fontSize) : font().pointSizeF();
    case PropFontBold:
        return f.bold;
    case PropFontItalic:
        return f.italic;
    case PropFontUnderline:
        return f.underline;
    }
    return {};
}

void GridWidget::SetCellProp(int setting, int row1, int col1, const QVariant& value, int row2,
                             int col2)
{
    const TableModel::Unrecorded setUp(*d->model);
    d->model->setCellSetting(setting, row1, col1, row2 < 0 ? row1 : row2, col2 < 0 ? col1 : col2,
                             value);
}

// --- columns and rows -------------------------------------------------------

int GridWidget::ColumnWidth(int col) const
{
    const int twips = table().column(col).width;
    return twips >= 0 ? twips : pixelsToTwips(horizontalHeader()->defaultSectionSize());
}

void GridWidget::SetColumnWidth(int col, int twips)
{
    const TableModel::Unrecorded setUp(*d->model);
    d->model->setColumnWidth(col, twips);
}

int GridWidget::RowHeightOf(int row) const
{
    const int twips = table().rowHeight(row);
    if (twips >= 0)
        return twips;
    if (row < FixedRowCount())
        return pixelsToTwips(horizontalHeader()->sizeHint().height());
    return pixelsToTwips(verticalHeader()->defaultSectionSize());
}

void GridWidget::SetRowHeightOf(int row, int twips)
{
    d->model->setRowHeight(row, twips);
}

void GridWidget::SetRowHeights(int firstRow, int lastRow, int twips)
{
    d->model->setRowHeights(firstRow, lastRow, twips);
}

int GridWidget::ColumnAlign(int col) const
{
    return table().column(col < 0 ? 0 : col).align;
}

void GridWidget::SetColumnAlign(int col, int code)
{
    const TableModel::Unrecorded setUp(*d->model);
    if (col < 0)
        d->model->setColumnAlign(0, ColCount() - 1, code);
    else
        d->model->setColumnAlign(col, col, code);
}

int GridWidget::ColumnType(int col) const
{
    return table().column(col).type;
}

void GridWidget::SetColumnType(int col, int code)
{
    const TableModel::Unrecorded setUp(*d->model);
    ColumnAttr a = table().column(col);
    a.type = code;
    d->model->setColumnAttr(col, a);
}

QString GridWidget::ColumnFormat(int col) const
{
    return table().column(col).format;
}

void GridWidget::SetColumnFormat(int col, const QString& format)
{
    const TableModel::Unrecorded setUp(*d->model);
    ColumnAttr a = table().column(col);
    a.format = format;
    d->model->setColumnAttr(col, a);
}

bool GridWidget::ColumnHidden(int col) const
{
    return table().column(col).hidden;
}

void GridWidget::SetColumnHidden(int col, bool hidden)
{
    const TableModel::Unrecorded setUp(*d->model);
    d->model->setColumnHidden(col, hidden);
}

void GridWidget::MoveRowTo(int row, int newIndex)
{
    const TableModel::Unrecorded setUp(*d->model);
    d->model->moveTableRow(row, newIndex);
}

void GridWidget::MoveColumnTo(int col, int newIndex)
{
    const TableModel::Unrecorded setUp(*d->model);
    d->model->moveTableColumn(col, newIndex);
}

void GridWidget::SetColumnsMovable(bool on)
{
    horizontalHeader()->setSectionsMovable(on);
}

// --- selection text ---------------------------------------------------------

QString GridWidget::ClipText() const
{
    const Block b = d->selection->currentBlock();
    if (!b.valid)
        return {};
    QStringList runs;
    for (const auto& [first, last] : ShownRuns(b.top(), b.bottom()))
        runs << ClipBlock::encode(table(), first, b.left(), last, b.right());
    return runs.join(QLatin1Char('\n'));
}

void GridWidget::SetClipText(const QString& text)
{
    const TableModel::Unrecorded setUp(*d->model);
    const Block b = d->selection->currentBlock();
    if (!b.valid)
        return;
    const ClipBlock block = ClipBlock::parse(text);
    int bottom = b.bottom();
    int right = b.right();
    const bool grow = b.top() == bottom && b.left() == right;
    if (grow) {
        // From a single cell the text takes the room it needs (the table
        // does not grow); a larger selection bounds what is filled.
        bottom = std::min(RowCount() - 1, b.top() + std::max(1, block.rowCount()) - 1);
        right = std::min(ColCount() - 1, b.left() + std::max(1, block.maxCellCount()) - 1);
    }
    d->model->writeBlock(block, b.top(), b.left(), bottom, right);
    if (grow && (bottom != b.top() || right != b.left()))
        SelectRange(b.top(), b.left(), bottom, right);
}

// --- appearance and editing -------------------------------------------------

int GridWidget::GridLineStyle() const
{
    return showGrid() ? 1 : 0;
}

void GridWidget::SetGridLineStyle(int style)
{
    setShowGrid(style != 0);
}

quint32 GridWidget::AltRowBackColor() const
{
    if (const auto c = d->model->altRowColor())
        return *c;
    return TableModel::bgrFromColor(palette().color(QPalette::Base));
}

void GridWidget::SetAltRowBackColor(quint32 bgr)
{
    d->model->setAltRowColor(bgr & 0xFFFFFF);
}

int GridWidget::CellCheck() const
{
    return currentIndex().isValid() ? CellCheckAt(CurRow(), CurCol()) : CheckNone;
}

void GridWidget::SetCellCheck(int state)
{
    if (currentIndex().isValid())
        SetCellCheckAt(CurRow(), CurCol(), state);
}

int GridWidget::CellCheckAt(int row, int col) const
{
    return d->model->cellCheck(row, col);
}

void GridWidget::SetCellCheckAt(int row, int col, int state)
{
    const TableModel::Unrecorded setUp(*d->model);
    d->model->setCellCheck(row, col, state);
}

int GridWidget::DragEnabled() const
{
    return d->dragEnabled;
}

void GridWidget::SetDragEnabled(int on)
{
    d->dragEnabled = on ? 1 : 0;
    setDragDropMode(on ? DragDrop : NoDragDrop);
    viewport()->setAcceptDrops(on); // drops land on the viewport, not the view
    setDefaultDropAction(Qt::MoveAction);
}

QString GridWidget::DropList() const
{
    return d->delegate->dropList().join(u'|');
}

void GridWidget::SetDropList(const QString& entries)
{
    d->delegate->setDropList(entries.isEmpty() ? QStringList() : entries.split(u'|'));
}

void GridWidget::ClearAll()
{
    d->model->clearAll();
}

void GridWidget::ShowOnlyRows(const std::vector<int>* shown)
{
    QHeaderView* header = verticalHeader();
    // Hiding a section resizes it to nothing: that is no height the user
    // gave the row. A header that paints as it goes would also measure
    // every section at each of them, which on a large table takes minutes.
    // Nor does the table view need to hear of each row: its geometry is
    // brought up to date once at the end.
    QScopedValueRollback guard(d->applyingLayout, true);
    header->setUpdatesEnabled(false);
    const QSignalBlocker quiet(header);
    const int fixed = d->model->fixedRows();
    const int rows = d->model->rowCount();
    auto next = shown ? shown->begin() : std::vector<int>::const_iterator();
    for (int m = 0; m < rows; ++m) {
        bool show = true;
        if (shown) {
            while (next != shown->end() && *next < m + fixed)
                ++next;
            show = next != shown->end() && *next == m + fixed;
        }
        if (header->isSectionHidden(m) == show)
            header->setSectionHidden(m, !show);
    }
    header->setUpdatesEnabled(true);
    updateGeometries();
    viewport()->update();
    d->selection->invalidate();
    d->stripesValid = false;
}

int GridWidget::HiddenRowCount() const
{
    return verticalHeader()->hiddenSectionCount();
}

bool GridWidget::RowShown(int row) const
{
    const int m = d->model->toModelRow(row);
    return m >= 0 && m < d->model->rowCount() && !verticalHeader()->isSectionHidden(m);
}

std::vector<std::pair<int, int>> GridWidget::ShownRuns(int row1, int row2) const
{
    std::vector<std::pair<int, int>> runs;
    if (HiddenRowCount() == 0) {
        if (row1 <= row2)
            runs.emplace_back(row1, row2);
        return runs;
    }
    for (int r = row1; r <= row2; ++r) {
        if (!RowShown(r))
            continue;
        if (!runs.empty() && runs.back().second == r - 1)
            runs.back().second = r;
        else
            runs.emplace_back(r, r);
    }
    return runs;
}

std::vector<int> GridWidget::ShownRows(int row1, int row2) const
{
    std::vector<int> rows;
    for (const auto& [first, last] : ShownRuns(row1, row2))
        for (int r = first; r <= last; ++r)
            rows.push_back(r);
    return rows;
}

void GridWidget::RemoveRow(int row)
{
    const TableModel::Unrecorded setUp(*d->model);
    d->model->removeTableRows(row, 1);
    ensureCurrent();
}

void GridWidget::BeginEdit()
{
    const QModelIndex cur = currentIndex();
    if (cur.isValid())
        edit(cur);
}

void GridWidget::commitOpenEditor()
{
    if (state() != EditingState)
        return;
    QWidget* editor = indexWidget(currentIndex());
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void GridWidget::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    emit editorClosed();
}

void GridWidget::SetColumnLocked(int col, bool locked)
{
    if (locked)
        d->lockedColumns.insert(col);
    else
        d->lockedColumns.remove(col);
}

// --- events -----------------------------------------------------------------

bool GridWidget::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (index.isValid() && d->lockedColumns.contains(index.column()))
        return false;
    return QTableView::edit(index, trigger, event);
}

void GridWidget::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    d->pressedOnCell = event->button() == Qt::LeftButton && index.isValid();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool extending =
        selectionMode() == ExtendedSelection || selectionMode() == ContiguousSelection;
    if (d->pressedOnCell && extending && (mods & Qt::ShiftModifier) &&
        !(mods & Qt::ControlModifier) && currentIndex().isValid()) {
        extendTo(index);
        event->accept();
        return;
    }
    // The press on a check box belongs to the box, but the click still
    // makes its cell current, as a click anywhere else does.
    if (d->pressedOnCell && !(mods & (Qt::ShiftModifier | Qt::ControlModifier)) &&
        (index.flags() & Qt::ItemIsUserCheckable) && index != currentIndex())
        selectionModel()->setCurrentIndex(index,
                                          QItemSelectionModel::ClearAndSelect | behaviourFlags());
    QTableView::mousePressEvent(event);
}

void GridWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QModelIndex anchor = currentIndex();
    QTableView::mouseMoveEvent(event);
    // Dragging out a block leaves the current cell where the drag began.
    const QModelIndex end = currentIndex();
    if (state() == DragSelectingState && anchor.isValid() && end != anchor) {
        selectionModel()->setCurrentIndex(anchor, QItemSelectionModel::NoUpdate);
        d->selEnd = end;
    }
}

std::optional<QAbstractItemView::CursorAction> GridWidget::cursorActionFor(int key)
{
    switch (key) {
    case Qt::Key_Up:
        return QAbstractItemView::MoveUp;
    case Qt::Key_Down:
        return QAbstractItemView::MoveDown;
    case Qt::Key_Left:
        return QAbstractItemView::MoveLeft;
    case Qt::Key_Right:
        return QAbstractItemView::MoveRight;
    case Qt::Key_Home:
        return QAbstractItemView::MoveHome;
    case Qt::Key_End:
        return QAbstractItemView::MoveEnd;
    case Qt::Key_PageUp:
        return QAbstractItemView::MovePageUp;
    case Qt::Key_PageDown:
        return QAbstractItemView::MovePageDown;
    }
    return std::nullopt;
}

void GridWidget::keyPressEvent(QKeyEvent* event)
{
    const std::optional<CursorAction> action = cursorActionFor(event->key());
    const QModelIndex anchor = currentIndex();
    const bool extending =
        selectionMode() == ExtendedSelection || selectionMode() == ContiguousSelection;
    if (action && (event->modifiers() & Qt::ShiftModifier) && extending && anchor.isValid() &&
        state() != EditingState) {
        // The block's far corner moves; the current cell stays its anchor.
        const QModelIndex from = d->selEnd.isValid() ? QModelIndex(d->selEnd) : anchor;
        d->selectionModel->setCurrentQuietly(from);
        const QModelIndex to = moveCursor(*action, event->modifiers());
        d->selectionModel->setCurrentQuietly(anchor);
        extendTo(to.isValid() ? to : from);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

QItemSelectionModel::SelectionFlags GridWidget::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const
{
    // The cursor picks where it lands with Ctrl too, as a spreadsheet's
    // does: what is picked is what the commands act on.
    if (event && event->type() == QEvent::KeyPress && selectionMode() == ExtendedSelection) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers();
        if ((mods & Qt::ControlModifier) && !(mods & Qt::ShiftModifier) &&
            cursorActionFor(key->key()))
            return QItemSelectionModel::ClearAndSelect | behaviourFlags();
    }
    return QTableView::selectionCommand(index, event);
}

void GridWidget::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && d->pressedOnCell) {
        d->pressedOnCell = false;
        emit Click();
    }
}

void GridWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        d->model->setBaseFont(font());
    QTableView::changeEvent(event);
}

void GridWidget::startDrag(Qt::DropActions)
{
    d->dragDrop->startDrag(d->selection->currentBlock());
}

void GridWidget::dragMoveEvent(QDragMoveEvent* event)
{
    if (!d->dragEnabled || !d->dragDrop->dragMove(event->position().toPoint(), event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void GridWidget::dropEvent(QDropEvent* event)
{
    setState(NoState);
    Block b;
    if (d->dragEnabled)
        b = d->dragDrop->drop(event->position().toPoint(), event->mimeData(),
                              event->source() == this);
    if (!b.valid) {
        event->ignore();
        return;
    }
    SelectRange(b.row1, b.col1, b.row2, b.col2);
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit blockDropped(b.row1, b.col1, b.row2, b.col2);
}

} // namespace corvanta
