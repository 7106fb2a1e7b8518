#include "grid/tablemodel.h"

#include "grid/clipblock.h"

#include <QColor>
#include <QMimeData>

#include <algorithm>

namespace corvanta {

namespace {

quint64 cellKey(int row, int col)
{
    return (quint64(quint32(row)) << 32) | quint32(col);
}

// A number as the general alignment understands it: plain decimal notation
// (so "inf", "nan" and the like stay text).
bool isNumberText(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return false;
    const QChar c = t.front();
    if (!(c.isDigit() || c == u'-' || c == u'+' || c == u'.'))
        return false;
    bool ok = false;
    [[maybe_unused]] const double value = t.toDouble(&ok);
    return ok;
}

const QList<int> kTextRoles = {Qt::DisplayRole, Qt::EditRole, Qt::TextAlignmentRole,
                               Qt::CheckStateRole};

// Changes one format field; an invalid value clears a field that can be unset.
void applySetting(CellFormat& f, int setting, const QVariant& value)
{
    auto setField = [&](CellFormat::Field field, auto assign) {
        if (value.isValid()) {
            assign();
            f.fields |= field;
        } else {
            f.fields &= uint8_t(~field);
        }
    };
    switch (setting) {
    case PropAlignment:
        setField(CellFormat::HasAlign, [&] { f.align = int8_t(value.toInt()); });
        break;
    case PropBackColor:
        setField(CellFormat::HasBack, [&] { f.back = value.toUInt() & 0xFFFFFF; });
        break;
    case PropForeColor:
        setField(CellFormat::HasFore, [&] { f.fore = value.toUInt() & 0xFFFFFF; });
        break;
    case PropFontSize:
        setField(CellFormat::HasFontSize, [&] { f.fontSize = value.toFloat(); });
        break;
    case PropFontBold:
        f.bold = value.toBool();
        break;
    case PropFontItalic:
        f.italic = value.toBool();
        break;
    case PropFontUnderline:
        f.underline = value.toBool();
        break;
    }
}

} // namespace

// A grid without a history: the user's edits are made as they come.
class DirectEdits : public EditRecorder
{
  public:
    explicit DirectEdits(TableModel& model) : m_model(model) {}
    void setText(int row, int col, const QString& text) override
    {
        m_model.setText(row, col, text);
    }
    void writeBlock(const ClipBlock& block, int row1, int col1, int row2, int col2,
                    const QString&) override
    {
        m_model.writeBlock(block, row1, col1, row2, col2);
    }
    void moveBlock(int row1, int col1, int row2, int col2, int toRow, int toCol) override
    {
        m_model.moveBlock(row1, col1, row2, col2, toRow, toCol);
    }
    void moveColumn(int from, int to) override { m_model.moveTableColumn(from, to); }

  private:
    TableModel& m_model;
};

TableModel::TableModel(QObject* parent)
    : QAbstractTableModel(parent), m_direct(std::make_unique<DirectEdits>(*this))
{
}

TableModel::~TableModel() = default;

void TableModel::setFixedRows(int rows)
{
    rows = std::clamp(rows, 0, 1);
    if (rows == m_fixed)
        return;
    beginResetModel();
    m_fixed = rows;
    m_viewChecks.clear();
    endResetModel();
}

QModelIndex TableModel::cellIndex(int tableRow, int col) const
{
    return index(toModelRow(tableRow), col);
}

int TableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(0, m_table.rowCount() - m_fixed);
}

int TableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.colCount();
}

bool TableModel::isCheckColumn(int col) const
{
    return m_table.column(col).type == TypeCheckbox;
}

bool TableModel::isCheckedText(QStringView text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && (v == 1.0 || v == -1.0);
}

QColor TableModel::colorFromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

quint32 TableModel::bgrFromColor(const QColor& color)
{
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}

Qt::Alignment TableModel::alignmentFor(int code, QStringView text)
{
    switch (code) {
    case AlignLeftTop:
        return Qt::AlignLeft | Qt::AlignTop;
    case AlignCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case AlignRight:
        return Qt::AlignRight | Qt::AlignVCenter;
    case AlignGeneral:
        return (isNumberText(text) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    case AlignLeft:
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QVariant TableModel::formatData(int row, int col, int role) const
{
    if (!m_table.hasAnyFormat())
        return {};
    const CellFormat f = m_table.format(row, col);
    switch (role) {
    case Qt::FontRole: {
        const bool sized = (f.fields & CellFormat::HasFontSize) && f.fontSize > 0;
        if (!f.bold && !f.italic && !f.underline && !sized)
            return {};
        QFont font = m_baseFont;
        font.setBold(f.bold);
        font.setItalic(f.italic);
        font.setUnderline(f.underline);
        if (sized)
            font.setPointSizeF(f.fontSize);
        return font;
    }
    case Qt::ForegroundRole:
        if (f.fields & CellFormat::HasFore)
            return colorFromBgr(f.fore);
        return {};
    case Qt::BackgroundRole:
        if (f.fields & CellFormat::HasBack)
            return colorFromBgr(f.back);
        return {};
    case Qt::TextAlignmentRole:
        if (f.fields & CellFormat::HasAlign)
            return int(f.align);
        return {};
    }
    return {};
}

QVariant TableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.model() != this)
        return {};
    const int row = toTableRow(index.row());
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole: {
        // A check box column shows the box alone, whatever text the cell
        // holds; one that is no Boolean reads as unticked.
        if (isCheckColumn(col))
            return {};
        QString text = m_table.text(row, col);
        if (m_display && !text.isEmpty())
            return m_display(row, col, text);
        return text;
    }
    case Qt::EditRole:
        return m_table.text(row, col);
    case Qt::TextAlignmentRole: {
        const QVariant cellCode = formatData(row, col, role);
        const int code = cellCode.isValid() ? cellCode.toInt() : m_table.column(col).align;
        const QString text = code == AlignGeneral ? m_table.text(row, col) : QString();
        return int(alignmentFor(code, text));
    }
    case Qt::FontRole:
    case Qt::ForegroundRole:
        return formatData(row, col, role);
    case Qt::BackgroundRole: {
        QVariant v = formatData(row, col, role);
        if (!v.isValid() && m_altRowColor &&
            (m_stripePlace ? m_stripePlace(index.row()) : index.row()) % 2 == 1)
            v = colorFromBgr(*m_altRowColor);
        return v;
    }
    case Qt::CheckStateRole: {
        const int state = cellCheck(row, col);
        if (state == CheckNone)
            return {};
        return int(state == CheckChecked ? Qt::Checked : Qt::Unchecked);
    }
    }
    return {};
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    const int row = toTableRow(index.row());
    const int col = index.column();
    if (role == Qt::CheckStateRole) {
        if (cellCheck(row, col) == CheckNone)
            return false;
        const bool checked = value.toInt() == Qt::Checked;
        if (isCheckColumn(col))
            edits().setText(row, col, checked ? QStringLiteral("-1") : QStringLiteral("0"));
        else if (!edits().setViewCheck(row, col, checked))
            setCellCheck(row, col, checked ? CheckChecked : CheckUnchecked);
        return true;
    }
    if (role != Qt::EditRole && role != Qt::DisplayRole)
        return false;
    const QString text = value.toString();
    if (text != m_table.text(row, col))
        edits().setText(row, col, text);
    return true;
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole && section >= 0 && section < rowCount())
            return QString::number(toTableRow(section));
        return {};
    }
    if (m_fixed == 0 || section < 0 || section >= columnCount() || m_table.rowCount() == 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_table.text(0, section);
    case Qt::TextAlignmentRole: {
        const QVariant code = formatData(0, section, role);
        if (!code.isValid())
            return {};
        return int(alignmentFor(code.toInt(), m_table.text(0, section)));
    }
    case Qt::FontRole:
    case Qt::ForegroundRole:
        return formatData(0, section, role);
    }
    return {};
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren |
                      Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    if (cellCheck(toTableRow(index.row()), index.column()) != CheckNone)
        f |= Qt::ItemIsUserCheckable;
    else
        f |= Qt::ItemIsEditable;
    return f;
}

QStringList TableModel::mimeTypes() const
{
    return {QString::fromLatin1(kCellsMimeType), QStringLiteral("text/plain")};
}

QMimeData* TableModel::mimeData(const QModelIndexList& indexes) const
{
    int r1 = INT_MAX, c1 = INT_MAX, r2 = -1, c2 = -1;
    for (const QModelIndex& i : indexes) {
        if (!i.isValid() || i.model() != this)
            continue;
        r1 = std::min(r1, i.row());
        r2 = std::max(r2, i.row());
        c1 = std::min(c1, i.column());
        c2 = std::max(c2, i.column());
    }
    if (r2 < 0)
        return nullptr;
    r1 = toTableRow(r1);
    r2 = toTableRow(r2);
    auto* mime = new QMimeData;
    mime->setText(ClipBlock::encode(m_table, r1, c1, r2, c2));
    const QString payload = QStringLiteral("%1 %2 %3 %4").arg(r1).arg(c1).arg(r2).arg(c2);
    mime->setData(QString::fromLatin1(kCellsMimeType), payload.toLatin1());
    return mime;
}

Qt::DropActions TableModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions TableModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

void TableModel::setTableRowCount(int rows)
{
    rows = std::clamp(rows, 0, Table::kMaxRows);
    const int oldRows = m_table.rowCount();
    if (rows == oldRows)
        return;
    const int oldModel = std::max(0, oldRows - m_fixed);
    const int newModel = std::max(0, rows - m_fixed);
    if (newModel > oldModel)
        beginInsertRows({}, oldModel, newModel - 1);
    else if (newModel < oldModel)
        beginRemoveRows({}, newModel, oldModel - 1);
    m_table.setRowCount(rows);
    if (rows < oldRows)
        dropViewChecks();
    if (newModel > oldModel)
        endInsertRows();
    else if (newModel < oldModel)
        endRemoveRows();
    if (std::min(rows, oldRows) < m_fixed && columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    emit tableChanged();
}

void TableModel::setTableColCount(int cols)
{
    cols = std::clamp(cols, 0, Table::kMaxCols);
    const int oldCols = m_table.colCount();
    if (cols == oldCols)
        return;
    if (cols > oldCols)
        beginInsertColumns({}, oldCols, cols - 1);
    else
        beginRemoveColumns({}, cols, oldCols - 1);
    m_table.setColCount(cols);
    if (cols < oldCols) {
        dropViewChecks();
        endRemoveColumns();
    } else {
        endInsertColumns();
    }
    emit tableChanged();
}

void TableModel::setText(int row, int col, QStringView text)
{
    if (row < 0 || row >= m_table.rowCount() || col < 0 || col >= m_table.colCount())
        return;
    m_table.setText(row, col, text);
    notifyCellsChanged(row, col, row, col, kTextRoles);
    emit tableChanged();
}

void TableModel::writeBlock(const ClipBlock& block, int row1, int col1, int row2, int col2)
{
    if (!m_table.clampRange(row1, col1, row2, col2))
        return;
    block.writeTo(m_table, row1, col1, row2, col2);
    notifyCellsChanged(row1, col1, row2, col2, kTextRoles);
    emit tableChanged();
}

void TableModel::moveBlock(int row1, int col1, int row2, int col2, int toRow, int toCol)
{
    if (!m_table.clampRange(row1, col1, row2, col2) || (toRow == row1 && toCol == col1))
        return;
    ClipBlock::moveBlock(m_table, row1, col1, row2, col2, toRow, toCol);
    notifyCellsChanged(std::min(row1, toRow), std::min(col1, toCol),
                       std::max(row2, toRow + row2 - row1), std::max(col2, toCol + col2 - col1));
    emit tableChanged();
}

void TableModel::setColumnAttr(int col, const ColumnAttr& attr)
{
    if (col < 0 || col >= m_table.colCount())
        return;
    const ColumnAttr old = m_table.column(col);
    m_table.setColumn(col, attr);
    const ColumnAttr& now = m_table.column(col);
    if (now.width != old.width || now.hidden != old.hidden)
        emit columnLayoutChanged(col);
    notifyCellsChanged(0, col, m_table.rowCount() - 1, col);
    emit tableChanged();
}

void TableModel::setColumnAlign(int col1, int col2, int code)
{
    col1 = std::max(col1, 0);
    col2 = std::min(col2, m_table.colCount() - 1);
    if (col1 > col2)
        return;
    for (int c = col1; c <= col2; ++c)
        m_table.columnRef(c)->align = code;
    notifyCellsChanged(0, col1, m_table.rowCount() - 1, col2, {Qt::TextAlignmentRole});
    emit tableChanged();
}

void TableModel::setColumnWidth(int col, int twips)
{
    ColumnAttr* a = m_table.columnRef(col);
    if (!a)
        return;
    a->width = twips < 0 ? -1 : twips;
    emit columnLayoutChanged(col);
    emit tableChanged();
}

void TableModel::setColumnHidden(int col, bool hidden)
{
    ColumnAttr* a = m_table.columnRef(col);
    if (!a)
        return;
    a->hidden = hidden;
    emit columnLayoutChanged(col);
    emit tableChanged();
}

void TableModel::setRowHeight(int row, int twips)
{
    if (row < 0 || row >= m_table.rowCount())
        return;
    m_table.setRowHeight(row, twips < 0 ? -1 : twips);
    // A height is how the user looks at the rows, not a change of the
    // document: neither modified nor a step of the history.
    emit rowHeightChanged(row);
}

bool TableModel::setCellSetting(int setting, int row1, int col1, int row2, int col2,
                                const QVariant& value)
{
    QList<int> roles;
    switch (setting) {
    case PropText:
        roles = kTextRoles;
        break;
    case PropAlignment:
        roles = {Qt::TextAlignmentRole};
        break;
    case PropBackColor:
        roles = {Qt::BackgroundRole};
        break;
    case PropForeColor:
        roles = {Qt::ForegroundRole};
        break;
    case PropFontSize:
    case PropFontBold:
    case PropFontItalic:
    case PropFontUnderline:
        roles = {Qt::FontRole, Qt::SizeHintRole};
        break;
    default:
        return false;
    }
    if (!m_table.clampRange(row1, col1, row2, col2))
        return true;
    const int top = row1, bottom = row2, left = col1, right = col2;
    if (setting == PropText) {
        const QString text = value.toString();
        for (int r = top; r <= bottom; ++r)
            for (int c = left; c <= right; ++c)
                m_table.setText(r, c, text);
    } else {
        m_table.changeFormats(top, left, bottom, right,
                              [&](CellFormat& f) { applySetting(f, setting, value); });
    }
    notifyCellsChanged(top, left, bottom, right, roles);
    emit tableChanged();
    return true;
}

bool TableModel::insertRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || row > rowCount() || count <= 0 ||
        m_table.rowCount() < m_fixed || count > Table::kMaxRows - m_table.rowCount())
        return false;
    beginInsertRows({}, row, row + count - 1);
    m_table.insertRows(toTableRow(row), count);
    dropViewChecks();
    endInsertRows();
    emit tableChanged();
    return true;
}

bool TableModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount())
        return false;
    beginRemoveRows({}, row, row + count - 1);
    m_table.removeRows(toTableRow(row), count);
    dropViewChecks();
    endRemoveRows();
    emit tableChanged();
    return true;
}

bool TableModel::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                          const QModelIndex& destinationParent, int destinationChild)
{
    if (sourceParent.isValid() || destinationParent.isValid() || sourceRow < 0 || count <= 0 ||
        sourceRow + count > rowCount() || destinationChild < 0 || destinationChild > rowCount())
        return false;
    if (!beginMoveRows({}, sourceRow, sourceRow + count - 1, {}, destinationChild))
        return false;
    moveModelRows(sourceRow, count, destinationChild);
    endMoveRows();
    emit tableChanged();
    return true;
}

bool TableModel::insertColumns(int column, int count, const QModelIndex& parent)
{
    if (parent.isValid() || column < 0 || column > columnCount() || count <= 0 ||
        count > Table::kMaxCols - m_table.colCount())
        return false;
    beginInsertColumns({}, column, column + count - 1);
    m_table.insertColumns(column, count);
    dropViewChecks();
    endInsertColumns();
    emit tableChanged();
    return true;
}

bool TableModel::removeColumns(int column, int count, const QModelIndex& parent)
{
    if (parent.isValid() || column < 0 || count <= 0 || column + count > columnCount())
        return false;
    beginRemoveColumns({}, column, column + count - 1);
    m_table.removeColumns(column, count);
    dropViewChecks();
    endRemoveColumns();
    emit tableChanged();
    return true;
}

bool TableModel::moveColumns(const QModelIndex& sourceParent, int sourceColumn, int count,
                             const QModelIndex& destinationParent, int destinationChild)
{
    if (sourceParent.isValid() || destinationParent.isValid() || sourceColumn < 0 || count <= 0 ||
        sourceColumn + count > columnCount() || destinationChild < 0 ||
        destinationChild > columnCount())
        return false;
    if (!beginMoveColumns({}, sourceColumn, sourceColumn + count - 1, {}, destinationChild))
        return false;
    moveModelColumns(sourceColumn, count, destinationChild);
    endMoveColumns();
    // The title row is not part of the model's rows: its cells moved too.
    if (m_fixed > 0)
        emit headerDataChanged(Qt::Horizontal, std::min(sourceColumn, destinationChild),
                               std::max(sourceColumn + count, destinationChild) - 1);
    emit tableChanged();
    return true;
}

// Moves rows first..first+count-1 to before `dest` (both model rows), the
// way beginMoveRows counts, one table row at a time.
void TableModel::moveModelRows(int first, int count, int dest)
{
    for (int i = 0; i < count; ++i) {
        if (dest > first)
            m_table.moveRow(toTableRow(first), toTableRow(dest - 1));
        else
            m_table.moveRow(toTableRow(first + i), toTableRow(dest + i));
    }
    dropViewChecks();
}

void TableModel::moveModelColumns(int first, int count, int dest)
{
    for (int i = 0; i < count; ++i) {
        if (dest > first)
            m_table.moveColumn(first, dest - 1);
        else
            m_table.moveColumn(first + i, dest + i);
    }
    dropViewChecks();
}

void TableModel::insertTableRows(int at, int n)
{
    if (at < 0 || at > m_table.rowCount() || n <= 0)
        return;
    if (at < m_fixed || m_table.rowCount() < m_fixed) {
        // A row above the titles: every header changes, so start over.
        beginResetModel();
        m_table.insertRows(at, n);
        m_viewChecks.clear();
        endResetModel();
        emit tableChanged();
        return;
    }
    insertRows(toModelRow(at), std::min(n, Table::kMaxRows - m_table.rowCount()));
}

void TableModel::removeTableRows(int at, int n)
{
    const int rows = m_table.rowCount();
    if (at < 0 || at >= rows || n <= 0)
        return;
    n = std::min(n, rows - at);
    if (at < m_fixed) {
        // The title row itself goes: every header changes, so start over.
        beginResetModel();
        m_table.removeRows(at, n);
        m_viewChecks.clear();
        endResetModel();
        emit tableChanged();
        return;
    }
    removeRows(toModelRow(at), n);
}

void TableModel::moveTableRow(int from, int to)
{
    const int rows = m_table.rowCount();
    if (from < 0 || from >= rows || to < 0 || to >= rows || from == to)
        return;
    if (from < m_fixed || to < m_fixed) {
        beginResetModel();
        m_table.moveRow(from, to);
        m_viewChecks.clear();
        endResetModel();
        emit tableChanged();
        return;
    }
    const int mf = toModelRow(from);
    const int mt = toModelRow(to);
    moveRows({}, mf, 1, {}, mt > mf ? mt + 1 : mt);
}

void TableModel::insertTableColumns(int at, int n)
{
    insertColumns(at, std::min(n, Table::kMaxCols - m_table.colCount()));
}

void TableModel::removeTableColumns(int at, int n)
{
    if (at < 0 || at >= m_table.colCount() || n <= 0)
        return;
    removeColumns(at, std::min(n, m_table.colCount() - at));
}

void TableModel::moveTableColumn(int from, int to)
{
    const int cols = m_table.colCount();
    if (from < 0 || from >= cols || to < 0 || to >= cols || from == to)
        return;
    moveColumns({}, from, 1, {}, to > from ? to + 1 : to);
}

EditRecorder& TableModel::edits()
{
    return m_recorder ? *m_recorder : *m_direct;
}

void TableModel::replaceTable(Table&& table)
{
    // A table that takes the place of another is no step of its history.
    const Unrecorded replacing(*this);
    beginResetModel();
    m_table = std::move(table);
    m_viewChecks.clear();
    endResetModel();
    emit tableChanged();
}

Table TableModel::takeTable()
{
    const Unrecorded replacing(*this);
    beginResetModel();
    Table taken(std::move(m_table));
    m_viewChecks.clear();
    endResetModel();
    emit tableChanged();
    return taken;
}

void TableModel::appendRows(Table& rows, int cols)
{
    const int oldCols = m_table.colCount();
    setTableColCount(std::max(cols, oldCols));
    // The columns the append adds take what the records say of them (the
    // caller leaves only what should come over, such as a hidden column).
    for (int c = oldCols; c < m_table.colCount() && c < rows.colCount(); ++c)
        if (!(rows.column(c) == m_table.column(c)))
            setColumnAttr(c, rows.column(c));
    const int first = m_table.rowCount();
    const int n = std::min(rows.rowCount(), Table::kMaxRows - first);
    if (n <= 0)
        return;
    const int m = toModelRow(first);
    // Rows that land above or on the title row would shift the headers.
    if (m < 0) {
        beginResetModel();
        m_table.takeRowsFrom(rows, 0);
        endResetModel();
    } else {
        beginInsertRows({}, m, m + n - 1);
        m_table.takeRowsFrom(rows, 0);
        endInsertRows();
    }
    emit tableChanged();
}

void TableModel::takeAppendedRows(int at, Table& rows, int cols)
{
    const int last = m_table.rowCount() - 1;
    if (at >= m_fixed && at <= last) {
        rows.setColCount(std::max(rows.colCount(), m_table.colCount()));
        beginRemoveRows({}, toModelRow(at), toModelRow(last));
        rows.takeRowsFrom(m_table, at);
        dropViewChecks();
        endRemoveRows();
        emit tableChanged();
    }
    setTableColCount(cols);
}

void TableModel::setDisplayText(DisplayText display)
{
    m_display = std::move(display);
    refreshDisplay();
}

void TableModel::refreshDisplay()
{
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}

void TableModel::restoreRowFormats(int row1, int col1, int col2,
                                   const std::vector<Table::RowFormats>& rows)
{
    if (rows.empty())
        return;
    m_table.setRowFormatHandles(row1, rows);
    notifyCellsChanged(row1, col1, row1 + int(rows.size()) - 1, col2);
    emit tableChanged();
}

Table TableModel::columnsCopy(int col, int n) const
{
    col = std::max(col, 0);
    n = std::min(n, m_table.colCount() - col);
    Table out(m_table.rowCount(), std::max(n, 0));
    for (int r = 0; r < m_table.rowCount(); ++r) {
        for (int c = 0; c < n; ++c) {
            if (!m_table.isEmpty(r, col + c))
                out.setUtf8(r, c, m_table.utf8(r, col + c));
        }
        if (m_table.hasAnyFormat())
            for (const Table::ColumnFormat& cf : m_table.rowFormats(r))
                if (cf.first >= col && cf.first < col + n)
                    out.setFormat(r, cf.first - col, cf.second);
    }
    return out;
}

void TableModel::putColumns(int col, const Table& cells)
{
    const int rows = std::min(cells.rowCount(), m_table.rowCount());
    const int n = std::min(cells.colCount(), m_table.colCount() - col);
    if (col < 0 || n <= 0 || rows <= 0)
        return;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < n; ++c)
            m_table.setUtf8(r, col + c, cells.utf8(r, c));
        for (const Table::ColumnFormat& cf : cells.rowFormats(r))
            if (cf.first < n)
                m_table.setFormat(r, col + cf.first, cf.second);
    }
    notifyCellsChanged(0, col, rows - 1, col + n - 1);
    emit tableChanged();
}

void TableModel::clearAll()
{
    const Unrecorded replacing(*this);
    beginResetModel();
    m_table.clearAll();
    m_viewChecks.clear();
    endResetModel();
    emit tableChanged();
}

void TableModel::notifyCellsChanged(int row1, int col1, int row2, int col2, const QList<int>& roles)
{
    if (!m_table.clampRange(row1, col1, row2, col2))
        return;
    if (row1 < m_fixed)
        emit headerDataChanged(Qt::Horizontal, col1, col2);
    const int first = std::max(row1, m_fixed);
    if (first <= row2)
        emit dataChanged(cellIndex(first, col1), cellIndex(row2, col2), roles);
}

void TableModel::setAltRowColor(std::optional<quint32> bgr)
{
    if (bgr == m_altRowColor)
        return;
    m_altRowColor = bgr;
    if (rowCount() > 1 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole});
}

int TableModel::cellCheck(int row, int col) const
{
    if (row < 0 || row >= m_table.rowCount() || col < 0 || col >= m_table.colCount())
        return CheckNone;
    if (isCheckColumn(col))
        return isCheckedText(m_table.text(row, col)) ? CheckChecked : CheckUnchecked;
    if (m_viewChecks.isEmpty())
        return CheckNone;
    const auto it = m_viewChecks.constFind(cellKey(row, col));
    if (it == m_viewChecks.constEnd())
        return CheckNone;
    return *it ? CheckChecked : CheckUnchecked;
}

void TableModel::setCellCheck(int row, int col, int state)
{
    if (row < 0 || row >= m_table.rowCount() || col < 0 || col >= m_table.colCount())
        return;
    if (isCheckColumn(col)) {
        // A check box column always shows its box; "none" has no meaning here.
        if (state != CheckChecked && state != CheckUnchecked)
            return;
        m_table.setText(row, col, state == CheckChecked ? u"-1" : u"0");
        notifyCellsChanged(row, col, row, col, kTextRoles);
        emit tableChanged();
        return;
    }
    if (state == CheckChecked || state == CheckUnchecked)
        m_viewChecks.insert(cellKey(row, col), state == CheckChecked);
    else if (!m_viewChecks.remove(cellKey(row, col)))
        return;
    // The box appearing or going changes the flags too: no role list.
    notifyCellsChanged(row, col, row, col);
}

void TableModel::dropViewChecks()
{
    m_viewChecks.clear();
}

} // namespace corvanta
