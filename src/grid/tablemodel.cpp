#include "grid/tablemodel.h"

#include "grid/clipblock.h"
#include "grid/gridwidget.h"

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
    case GridWidget::PropAlignment:
        setField(CellFormat::HasAlign, [&] { f.align = int8_t(value.toInt()); });
        break;
    case GridWidget::PropBackColor:
        setField(CellFormat::HasBack, [&] { f.back = value.toUInt() & 0xFFFFFF; });
        break;
    case GridWidget::PropForeColor:
        setField(CellFormat::HasFore, [&] { f.fore = value.toUInt() & 0xFFFFFF; });
        break;
    case GridWidget::PropFontSize:
        setField(CellFormat::HasFontSize, [&] { f.fontSize = value.toFloat(); });
        break;
    case GridWidget::PropFontBold:
        f.bold = value.toBool();
        break;
    case GridWidget::PropFontItalic:
        f.italic = value.toBool();
        break;
    case GridWidget::PropFontUnderline:
        f.underline = value.toBool();
        break;
    }
}

} // namespace

TableModel::TableModel(QObject* parent) : QAbstractTableModel(parent) {}

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
        QString text = m_table.text(row, col);
        // A check box column shows the box alone, unless the cell holds
        // something that is no Boolean: that text stays visible.
        if (isCheckColumn(col) && (text.trimmed().isEmpty() || isNumberText(text)))
            return {};
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
        if (!v.isValid() && m_altRowColor && index.row() % 2 == 1)
            v = colorFromBgr(*m_altRowColor);
        return v;
    }
    case Qt::CheckStateRole: {
        const int state = cellCheck(row, col);
        if (state == 0)
            return {};
        return int(state == 1 ? Qt::Checked : Qt::Unchecked);
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
        if (cellCheck(row, col) == 0)
            return false;
        setCellCheck(row, col, value.toInt() == Qt::Checked ? 1 : 2);
        return true;
    }
    if (role != Qt::EditRole && role != Qt::DisplayRole)
        return false;
    m_table.setText(row, col, value.toString());
    emit dataChanged(index, index, kTextRoles);
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
    if (cellCheck(toTableRow(index.row()), index.column()) != 0)
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
    const QString payload =
        QStringLiteral("%1 %2 %3 %4 %5").arg(quintptr(this)).arg(r1).arg(c1).arg(r2).arg(c2);
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
}

void TableModel::setText(int row, int col, QStringView text)
{
    if (row < 0 || row >= m_table.rowCount() || col < 0 || col >= m_table.colCount())
        return;
    m_table.setText(row, col, text);
    notifyCellsChanged(row, col, row, col, kTextRoles);
}

void TableModel::setColumnAttr(int col, const ColumnAttr& attr)
{
    if (col < 0 || col >= m_table.colCount())
        return;
    m_table.setColumn(col, attr);
    notifyCellsChanged(0, col, m_table.rowCount() - 1, col);
}

bool TableModel::setCellSetting(int setting, int row1, int col1, int row2, int col2,
                                const QVariant& value)
{
    QList<int> roles;
    switch (setting) {
    case GridWidget::PropText:
        roles = kTextRoles;
        break;
    case GridWidget::PropAlignment:
        roles = {Qt::TextAlignmentRole};
        break;
    case GridWidget::PropBackColor:
        roles = {Qt::BackgroundRole};
        break;
    case GridWidget::PropForeColor:
        roles = {Qt::ForegroundRole};
        break;
    case GridWidget::PropFontSize:
    case GridWidget::PropFontBold:
    case GridWidget::PropFontItalic:
    case GridWidget::PropFontUnderline:
        roles = {Qt::FontRole, Qt::SizeHintRole};
        break;
    default:
        return false;
    }
    const int top = std::max(0, std::min(row1, row2));
    const int bottom = std::min(m_table.rowCount() - 1, std::max(row1, row2));
    const int left = std::max(0, std::min(col1, col2));
    const int right = std::min(m_table.colCount() - 1, std::max(col1, col2));
    if (top > bottom || left > right)
        return true;
    if (setting == GridWidget::PropText) {
        const QString text = value.toString();
        for (int r = top; r <= bottom; ++r)
            for (int c = left; c <= right; ++c)
                m_table.setText(r, c, text);
    } else {
        for (int r = top; r <= bottom; ++r) {
            for (int c = left; c <= right; ++c) {
                CellFormat f = m_table.format(r, c);
                applySetting(f, setting, value);
                m_table.setFormat(r, c, f);
            }
        }
    }
    notifyCellsChanged(top, left, bottom, right, roles);
    return true;
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
        return;
    }
    beginRemoveRows({}, toModelRow(at), toModelRow(at + n - 1));
    m_table.removeRows(at, n);
    dropViewChecks();
    endRemoveRows();
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
        return;
    }
    const int mf = toModelRow(from);
    const int mt = toModelRow(to);
    if (!beginMoveRows({}, mf, mf, {}, mt > mf ? mt + 1 : mt))
        return;
    m_table.moveRow(from, to);
    dropViewChecks();
    endMoveRows();
}

void TableModel::moveTableColumn(int from, int to)
{
    const int cols = m_table.colCount();
    if (from < 0 || from >= cols || to < 0 || to >= cols || from == to)
        return;
    if (!beginMoveColumns({}, from, from, {}, to > from ? to + 1 : to))
        return;
    m_table.moveColumn(from, to);
    dropViewChecks();
    endMoveColumns();
    // The title row is not part of the model's rows: its cells moved too.
    if (m_fixed > 0)
        emit headerDataChanged(Qt::Horizontal, std::min(from, to), std::max(from, to));
}

void TableModel::replaceTable(Table&& table)
{
    beginResetModel();
    m_table = std::move(table);
    m_viewChecks.clear();
    endResetModel();
}

void TableModel::clearAll()
{
    beginResetModel();
    m_table.clearAll();
    m_viewChecks.clear();
    endResetModel();
}

void TableModel::resetFromTable()
{
    beginResetModel();
    m_viewChecks.clear();
    endResetModel();
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
        return 0;
    if (isCheckColumn(col))
        return isCheckedText(m_table.text(row, col)) ? 1 : 2;
    if (m_viewChecks.isEmpty())
        return 0;
    const auto it = m_viewChecks.constFind(cellKey(row, col));
    if (it == m_viewChecks.constEnd())
        return 0;
    return *it ? 1 : 2;
}

void TableModel::setCellCheck(int row, int col, int state)
{
    if (row < 0 || row >= m_table.rowCount() || col < 0 || col >= m_table.colCount())
        return;
    if (isCheckColumn(col)) {
        // A check box column always shows its box; "none" has no meaning here.
        if (state != 1 && state != 2)
            return;
        m_table.setText(row, col, state == 1 ? u"-1" : u"0");
        notifyCellsChanged(row, col, row, col, kTextRoles);
        return;
    }
    if (state == 1 || state == 2)
        m_viewChecks.insert(cellKey(row, col), state == 1);
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
