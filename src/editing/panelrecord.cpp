#include "editing/panelrecord.h"

#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "table/valueformat.h"

#include <QPointer>

namespace corvanta {

PanelRecord::PanelRecord(GridWidget* fa, GridWidget* fb, QObject* parent)
    : QObject(parent), m_fa(fa), m_fb(fb), m_table(fa->gridModel()), m_panel(fb->gridModel())
{
    // The panel keeps the stored value, so its editor opens on it; only
    // the painted text goes through the column's format.
    m_panel->setDisplayText(
        [self = QPointer<PanelRecord>(this)](int row, int col, const QString& text) {
            return self && col == 1 && row >= 1 ? self->formatValue(row - 1, text) : text;
        });
}

PanelRecord::~PanelRecord()
{
    if (m_panel->recorder() == this)
        m_panel->setRecorder(nullptr);
}

void PanelRecord::follow()
{
    if (m_following)
        return;
    m_following = true;
    m_panel->setRecorder(this);

    connect(m_table, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles) {
                const int row = m_record.isValid() ? m_record.row() : -1;
                if (row < topLeft.row() || row > bottomRight.row())
                    return;
                showValues(topLeft.column(), bottomRight.column());
                // A column's type or format changed how its text is shown.
                if (roles.isEmpty() || !roles.contains(Qt::EditRole))
                    m_panel->refreshDisplay();
            });
    connect(m_table, &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation orientation, int first, int last) {
                if (orientation == Qt::Horizontal)
                    showTitles(first, last);
            });
    // The panel's rows go where the table's columns go, so the heights and
    // formatting the user gave a panel row stay with its column. Moving the
    // panel's rows drops its boxes: every value is shown again.
    connect(m_table, &QAbstractItemModel::columnsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                if (shapeMatches(last - first + 1))
                    m_panel->insertRows(first, last - first + 1);
                reshape();
            });
    // The record is held by its first cell: a column going away must not
    // take the record with it.
    connect(m_table, &QAbstractItemModel::columnsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                if (!m_record.isValid() || m_record.column() < first || m_record.column() > last)
                    return;
                const int keep = first > 0 ? 0 : last + 1;
                m_record = keep < m_table->columnCount()
                               ? QPersistentModelIndex(m_table->index(m_record.row(), keep))
                               : QPersistentModelIndex();
            });
    connect(m_table, &QAbstractItemModel::columnsRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                if (shapeMatches(-(last - first + 1)))
                    m_panel->removeRows(first, last - first + 1);
                reshape();
            });
    connect(m_table, &QAbstractItemModel::columnsMoved, this,
            [this](const QModelIndex&, int first, int last, const QModelIndex&, int to) {
                if (shapeMatches(0))
                    m_panel->moveRows({}, first, last - first + 1, {}, to);
                reshape();
            });
    connect(m_table, &QAbstractItemModel::modelReset, this, [this] {
        reshape();
        followCurrent();
    });
    // Rows inserted, removed or reordered may bring another record to the
    // current row, or take the shown one away.
    for (auto rowSignal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_table, rowSignal, this, &PanelRecord::followCurrent);
    connect(m_table, &QAbstractItemModel::rowsMoved, this, &PanelRecord::followCurrent);
    connect(m_table, &QAbstractItemModel::layoutChanged, this, &PanelRecord::followCurrent);
    connect(m_fa->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &PanelRecord::followCurrent);
    // An edit open in the panel belongs to the record it was typed for:
    // it goes in before the table's current cell moves by any path.
    connect(m_fa, &GridWidget::currentAboutToChange, m_fb, &GridWidget::commitOpenEditor);
    connect(m_fb, &GridWidget::editorClosed, this, &PanelRecord::followCurrent);

    reshape();
    followCurrent();
}

int PanelRecord::record() const
{
    return m_record.isValid() ? m_table->toTableRow(m_record.row()) : -1;
}

void PanelRecord::setShown(bool shown)
{
    m_shown = shown;
    if (shown && m_following) {
        reshape();
        followCurrent();
    }
}

void PanelRecord::followCurrent()
{
    if (!m_shown || m_fb->isEditing())
        return;
    const QModelIndex current = m_fa->currentIndex();
    m_record = current.isValid() ? QPersistentModelIndex(m_table->index(current.row(), 0))
                                 : QPersistentModelIndex();
    showAllValues();
}

bool PanelRecord::shapeMatches(int delta) const
{
    return m_panel->rowCount() + delta == m_table->columnCount();
}

void PanelRecord::reshape()
{
    const int cols = m_table->columnCount();
    if (m_fb->RowCount() != cols + 1)
        m_fb->SetRowCount(cols + 1);
    showTitles(0, cols - 1);
    showAllValues();
}

void PanelRecord::showTitles(int first, int last)
{
    if (!m_shown)
        return;
    const Table& table = m_table->table();
    for (int col = std::max(first, 0); col <= last && col < table.colCount(); ++col) {
        const QString title = table.rowCount() > 0 ? table.text(0, col) : QString();
        if (m_fb->CellText(col + 1, 0) != title)
            m_fb->SetCellText(col + 1, 0, title);
    }
}

void PanelRecord::showAllValues()
{
    showValues(0, m_table->columnCount() - 1);
}

void PanelRecord::showValues(int first, int last)
{
    if (!m_shown)
        return;
    for (int col = std::max(first, 0); col <= last && col < m_table->columnCount(); ++col)
        showValue(col);
}

void PanelRecord::showValue(int col)
{
    const int row = record();
    const int panelRow = col + 1;
    if (panelRow >= m_fb->RowCount())
        return;
    int check = CheckNone;
    QString text;
    if (m_fa->ColumnType(col) == TypeCheckbox)
        check = row >= 1 ? m_fa->CellCheckAt(row, col) : int(CheckUnchecked);
    else if (row >= 1)
        text = m_fa->CellText(row, col);
    if (m_fb->CellText(panelRow, 1) != text)
        m_fb->SetCellText(panelRow, 1, text);
    if (m_fb->CellCheckAt(panelRow, 1) != check)
        m_fb->SetCellCheckAt(panelRow, 1, check);
}

void PanelRecord::writeValue(int col, const QString& value)
{
    const int row = record();
    if (row < 1)
        return;
    // As an edit in the table itself is: one step of the history, after
    // which the table's own signal shows the value here.
    m_table->edits().setText(row, col, value);
}

void PanelRecord::setText(int row, int col, const QString& text)
{
    // Only the values are the record's; a check box column's value is its
    // box, which a typed text does not change.
    if (col != 1 || row < 1 || row > m_table->columnCount() ||
        m_fa->ColumnType(row - 1) == TypeCheckbox)
        return;
    writeValue(row - 1, text);
}

bool PanelRecord::setViewCheck(int row, int col, bool checked)
{
    if (col != 1 || row < 1)
        return false;
    // The value column's boxes are the record's: the panel never flips
    // one of its own.
    if (row <= m_table->columnCount() && m_fa->ColumnType(row - 1) == TypeCheckbox)
        writeValue(row - 1, checked ? QStringLiteral("-1") : QStringLiteral("0"));
    return true;
}

QString PanelRecord::formatValue(int col, const QString& text) const
{
    const int type = m_fa->ColumnType(col);
    if (type == TypeCheckbox)
        return text;
    return ValueFormat::shown(type, m_fa->ColumnFormat(col), text);
}

} // namespace corvanta
