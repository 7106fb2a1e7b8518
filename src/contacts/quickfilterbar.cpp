#include "contacts/quickfilterbar.h"

#include "commands/commandset.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>

namespace corvanta {

QuickFilterBar::QuickFilterBar(GridWidget* fa, QWidget* parent) : QWidget(parent), m_fa(fa)
{
    setObjectName(QStringLiteral("filterBar"));
    m_box = new QLineEdit;
    m_box->setObjectName(QStringLiteral("txtFilter"));
    m_box->setPlaceholderText(QStringLiteral("Filter records (Ctrl+Shift+F)"));
    m_box->setClearButtonEnabled(true);
    m_box->installEventFilter(this);
    m_column = new QComboBox;
    m_column->setObjectName(QStringLiteral("cboFilterColumn"));
    m_column->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // However narrow the user drags the table, the box gives way: the
    // table's own least width is the limit.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 2);
    layout->addWidget(m_box, 1);
    layout->addWidget(m_column);
    refillColumns();

    connect(m_box, &QLineEdit::textChanged, this, &QuickFilterBar::refilter);
    connect(m_column, &QComboBox::currentIndexChanged, this, &QuickFilterBar::refilter);

    // The index follows the table row by row where it can.
    TableModel* model = m_fa->gridModel();
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this, model](const QModelIndex& tl, const QModelIndex& br, const QList<int>& roles) {
                // Bold or a colour changes no text.
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole) ||
                    roles.contains(Qt::EditRole))
                    m_filter.refold(model->table(), model->toTableRow(tl.row()),
                                    model->toTableRow(br.row()));
            });
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this, model](const QModelIndex&, int first, int last) {
                m_filter.insertRows(model->table(), model->toTableRow(first), last - first + 1);
                emit shownChanged(shownText());
            });
    connect(model, &QAbstractItemModel::rowsRemoved, this,
            [this, model](const QModelIndex&, int first, int last) {
                m_filter.removeRows(model->toTableRow(first), last - first + 1);
                emit shownChanged(shownText());
            });
    // Rows in a new order, new or other columns, another table: the
    // records are folded anew and the filter applied to them again.
    for (auto sig : {&QAbstractItemModel::rowsMoved, &QAbstractItemModel::columnsMoved})
        connect(model, sig, this, &QuickFilterBar::rebuild);
    for (auto sig : {&QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
        connect(model, sig, this, &QuickFilterBar::rebuild);
    connect(model, &QAbstractItemModel::layoutChanged, this, &QuickFilterBar::rebuild);
    connect(model, &QAbstractItemModel::modelReset, this, &QuickFilterBar::rebuild);
    // A column hidden or shown again changes what is searched; a new width
    // does not.
    connect(model, &TableModel::columnLayoutChanged, this, [this](int col) {
        const std::vector<int>& searched = m_filter.columns();
        const bool isSearched = std::find(searched.begin(), searched.end(), col) != searched.end();
        if (!m_filter.isBuilt() || isSearched == m_fa->ColumnHidden(col))
            rebuild();
    });
    connect(model, &QAbstractItemModel::headerDataChanged, this, &QuickFilterBar::refillColumns);
    // Whatever moved it (a delete, an undo, a merge), the current record is
    // one the user can see.
    connect(m_fa->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &QuickFilterBar::keepCurrentShown, Qt::QueuedConnection);
}

void QuickFilterBar::install(CommandSet& commands)
{
    commands.attach(QStringLiteral("mnuFilter"), this, [this] {
        m_box->setFocus(Qt::ShortcutFocusReason);
        m_box->selectAll();
    });
}

QString QuickFilterBar::shownText() const
{
    if (!isActive())
        return {};
    const int total = m_fa->RowCount() - m_fa->FixedRowCount();
    return QStringLiteral("%1 / %2 shown").arg(total - m_fa->HiddenRowCount()).arg(total);
}

void QuickFilterBar::clear()
{
    m_box->clear();
}

bool QuickFilterBar::eventFilter(QObject* watched, QEvent* event)
{
    // The records are folded when the user comes to the box, so that the
    // first key press costs no more than the others.
    if (watched == m_box && event->type() == QEvent::FocusIn)
        ensureIndex();
    if (watched == m_box && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !m_box->text().isEmpty()) {
        m_box->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void QuickFilterBar::refilter()
{
    const bool wasActive = isActive();
    ensureIndex();
    const bool changed = m_filter.setText(m_box->text(), m_column->currentData().toInt());
    if (!changed)
        return;
    if (isActive() || wasActive || m_fa->HiddenRowCount() > 0) {
        m_fa->ShowOnlyRows(isActive() ? &m_filter.matches() : nullptr);
        keepCurrentShown();
    }
    emit shownChanged(shownText());
}

void QuickFilterBar::ensureIndex()
{
    if (m_filter.isBuilt())
        return;
    std::vector<int> shownColumns;
    for (int c = 0; c < m_fa->ColCount(); ++c)
        if (!m_fa->ColumnHidden(c))
            shownColumns.push_back(c);
    m_filter.build(m_fa->table(), std::move(shownColumns));
}

void QuickFilterBar::rebuild()
{
    m_filter.invalidate();
    refillColumns();
    // Off, the index waits for the next key; on, the rows must follow now.
    if (isActive() || m_fa->HiddenRowCount() > 0) {
        m_filter.setText({}); // starts the result afresh after the build
        refilter();
    }
}

void QuickFilterBar::refillColumns()
{
    const int picked = m_column->currentData().isValid() ? m_column->currentData().toInt() : -1;
    const QSignalBlocker quiet(m_column);
    m_column->clear();
    m_column->addItem(QStringLiteral("All columns"), -1);
    for (int c = 0; c < m_fa->ColCount(); ++c)
        if (!m_fa->ColumnHidden(c))
            m_column->addItem(m_fa->CellText(0, c), c);
    const int at = m_column->findData(picked);
    m_column->setCurrentIndex(at < 0 ? 0 : at);
    if (at < 0 && picked >= 0)
        refilter();
}

void QuickFilterBar::keepCurrentShown()
{
    const int cur = m_fa->CurRow();
    if (!isActive() || cur < 1 || m_fa->RowShown(cur))
        return;
    // The nearest record still in sight, below or else above.
    int to = -1;
    for (int r = cur + 1; r < m_fa->RowCount() && to < 0; ++r)
        if (m_fa->RowShown(r))
            to = r;
    for (int r = cur - 1; r >= 1 && to < 0; --r)
        if (m_fa->RowShown(r))
            to = r;
    if (to < 1)
        return;
    // Picked as the mouse mode picks: the whole record in row mode.
    const int mode = m_fa->SelectMode();
    if (mode == GridWidget::SelectWholeRows || mode == GridWidget::SelectRowRange)
        m_fa->SelectRange(to, 0, to, m_fa->ColCount() - 1);
    else
        m_fa->SelectRange(to, std::max(0, m_fa->CurCol()));
}

} // namespace corvanta
