#include "editing/formpanel.h"

#include "commands/commandset.h"
#include "editing/dropbox.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "table/valueformat.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvanta {

FormPanel::FormPanel(GridWidget* fa, GridWidget* fb, QObject* parent)
    : QObject(parent), m_fa(fa), m_fb(fb)
{
    connect(m_fa, &GridWidget::cellEdited, this, &FormPanel::onTableEdited);
    connect(m_fb, &GridWidget::cellEdited, this, &FormPanel::onPanelEdited);
    // The panel keeps the stored value, so its editor opens on it; only
    // the painted text goes through the column's format.
    m_fb->gridModel()->setDisplayText(
        [panel = QPointer<FormPanel>(this)](int row, int col, const QString& text) {
            return panel && col == 1 && row >= 1 ? panel->formatValue(row - 1, text) : text;
        });
    for (GridWidget* grid : {m_fa, m_fb}) {
        grid->installEventFilter(this);
        grid->viewport()->installEventFilter(this);
    }
    buildSide();
}

FormPanel::~FormPanel()
{
    // The side belongs to the window's layout once placed; until then, to us.
    if (m_side && !m_side->parent())
        delete m_side;
}

void FormPanel::buildSide()
{
    m_side = new QWidget;
    m_side->setObjectName(QStringLiteral("panelSide"));
    auto* side = new QVBoxLayout(m_side);
    side->setContentsMargins(0, 0, 0, 0);
    side->setSpacing(2);

    m_tabStrip = new QTabWidget;
    m_tabStrip->setObjectName(QStringLiteral("TabStrip1"));
    auto* formPage = new QWidget;
    auto* formLayout = new QVBoxLayout(formPage);
    formLayout->setContentsMargins(4, 4, 4, 4);
    // The row above the panel places its buttons itself: some of them
    // keep to the panel's right edge as the splitter moves.
    m_buttonRow = new QWidget;
    m_buttonRow->setObjectName(QStringLiteral("buttonRow"));
    auto* imgClose = new QToolButton(m_buttonRow);
    imgClose->setObjectName(QStringLiteral("imgClose"));
    imgClose->setToolTip(QStringLiteral("Close Form (F2)"));
    imgClose->setAutoRaise(true);
    imgClose->setText(QStringLiteral("\u2715"));
    m_buttonRow->setFixedHeight(imgClose->sizeHint().height() + 2);
    imgClose->resize(GridWidget::twipsToPixels(240), imgClose->sizeHint().height());
    m_closeButton = imgClose;
    formLayout->addWidget(m_buttonRow);
    formLayout->addWidget(m_fb);
    m_tabStrip->addTab(formPage, QStringLiteral("Form"));
    side->addWidget(m_tabStrip, 1);
    connect(imgClose, &QToolButton::clicked, this, [this] {
        if (m_closeAction && m_closeAction->isChecked())
            m_closeAction->trigger();
    });

    m_dropBox = new DropBox;
    side->addWidget(m_dropBox);
}

void FormPanel::install(CommandSet& commands)
{
    const QString name = QStringLiteral("mnuViewFb");
    commands.attach(name, this, [this] {
        // The item's check mark has already flipped: it says what to show.
        const bool show = m_closeAction->isChecked();
        m_side->setVisible(show);
        setActive(show);
        if (show)
            emit shown();
    });
    m_closeAction = commands.action(name);
    m_commands = &commands;
    if (QMenu* edit = commands.menu(QStringLiteral("mnuEdit")))
        connect(edit, &QMenu::aboutToHide, this, &FormPanel::restoreSubmenus);
}

namespace {

// The Edit menu's entries that act on the table's shape or selection; the
// panel, one record seen sideways, has no use for them.
const char* const kTableOnlyEntries[] = {
    "mnuEditCut",  "mnuEditPaste", "mnuInsert",      "mnuDelete",   "mnuSelectAll",
    "mnuEditFind", "mnuMove",      "mnuEditColAttr", "mnuAlign",    "mnuSpace101",
    "mnuSpace102", "mnuSpace1030", "mnuSpace221",    "mnuSpace222", "mnuFilter"};

} // namespace

bool FormPanel::eventFilter(QObject* watched, QEvent* event)
{
    const int grid = watched == m_fa || watched == m_fa->viewport()   ? 1
                     : watched == m_fb || watched == m_fb->viewport() ? 2
                                                                      : 0;
    if (grid != 0) {
        if (event->type() == QEvent::FocusIn && (watched == m_fa || watched == m_fb)) {
            focusEntered(grid);
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton)
                popUpEditMenu(grid, mouse->globalPosition().toPoint());
        }
    }
    return QObject::eventFilter(watched, event);
}

void FormPanel::focusEntered(int grid)
{
    m_activeGrid = grid;
    if (m_commands) {
        const bool table = grid == 1;
        for (const char* name : kTableOnlyEntries)
            if (QAction* a = m_commands->action(QString::fromLatin1(name)))
                a->setVisible(table);
        // Shown only when the table asks for a title of its own; never here.
        if (!table)
            if (QAction* a = m_commands->action(QStringLiteral("mnuEditColTitle")))
                a->setVisible(false);
    }
    emit gridFocused(grid);
}

void FormPanel::popUpEditMenu(int grid, const QPoint& globalPos)
{
    if (!m_commands)
        return;
    QMenu* edit = m_commands->menu(QStringLiteral("mnuEdit"));
    if (!edit)
        return;
    if (grid == 1) {
        const bool rows = !m_rowMode || m_rowMode();
        offerSubmenu("mnuRowHeight", rows);
        offerSubmenu("mnuMove", rows);
    } else {
        offerSubmenu("mnuRowHeight", true);
    }
    edit->popup(globalPos);
}

void FormPanel::offerSubmenu(const char* name, bool allowed)
{
    // A submenu offers itself only when it has an entry that works.
    QMenu* m = m_commands ? m_commands->menu(QString::fromLatin1(name)) : nullptr;
    if (!m)
        return;
    const QList<QAction*> entries = m->actions();
    const bool works = std::any_of(entries.begin(), entries.end(), [](QAction* a) {
        return !a->isSeparator() && a->isVisible() && a->isEnabled();
    });
    m->menuAction()->setEnabled(allowed && works);
}

void FormPanel::restoreSubmenus()
{
    // What a right-click in block mode took away holds for that popup only.
    offerSubmenu("mnuRowHeight", true);
    offerSubmenu("mnuMove", true);
}

void FormPanel::setup()
{
    m_fb->SetFixedRowCount(1);
    m_fb->SetColCount(2);
    m_fb->SetRowCount(m_fa->ColCount() + 1);
    m_fb->SetCellText(0, 0, QStringLiteral("Column"));
    m_fb->SetCellText(0, 1, QStringLiteral("Value"));
    m_fb->SetColumnWidth(0, 1300);
    m_fb->SetColumnAlign(0, AlignRight);
    m_fb->SetColumnAlign(1, AlignLeft);
    m_fb->SetSelectMode(GridWidget::SelectWholeRows);
    // A title typed over would be copied into the record as its value.
    m_fb->SetColumnLocked(0, true);
    // The value column always fills the rest of the panel.
    m_fb->horizontalHeader()->setStretchLastSection(true);
}

void FormPanel::refillTitles()
{
    const int cols = m_fa->ColCount();
    m_fb->SetRowCount(cols + 1);
    for (int i = 0; i < cols; ++i)
        m_fb->SetCellText(i + 1, 0, m_fa->CellText(0, i));
    m_populated = true;
    m_titlesStale = false;
    refresh();
}

void FormPanel::refresh()
{
    if (!m_active)
        return;
    const int cols = m_fa->ColCount();
    if (m_fb->RowCount() != cols + 1)
        m_fb->SetRowCount(cols + 1);
    if (!m_populated || m_titlesStale) {
        for (int i = 0; i < cols; ++i)
            m_fb->SetCellText(i + 1, 0, m_fa->CellText(0, i));
        m_populated = true;
        m_titlesStale = false;
    }
    const int row = m_fa->CurRow();
    m_syncing = true;
    for (int i = 0; i < cols; ++i)
        showValue(row, i);
    m_syncing = false;
}

void FormPanel::showValue(int row, int col)
{
    const QString text = row >= 1 ? m_fa->CellText(row, col) : QString();
    if (m_fa->ColumnType(col) == TypeCheckbox) {
        m_fb->SetCellText(col + 1, 1, QString());
        m_fb->SetCellCheckAt(col + 1, 1, row >= 1 ? m_fa->CellCheckAt(row, col) : CheckUnchecked);
        return;
    }
    m_fb->SetCellCheckAt(col + 1, 1, CheckNone);
    m_fb->SetCellText(col + 1, 1, text);
}

QString FormPanel::formatValue(int col, const QString& text) const
{
    const int type = m_fa->ColumnType(col);
    if (type == TypeCheckbox)
        return text;
    return ValueFormat::shown(type, m_fa->ColumnFormat(col), text);
}

void FormPanel::setActive(bool on)
{
    m_active = on;
    if (on)
        refresh();
}

void FormPanel::onTableEdited(int row, int col)
{
    if (m_syncing || row != m_fa->CurRow())
        return;
    m_syncing = true;
    showValue(row, col);
    m_syncing = false;
}

void FormPanel::onPanelEdited(int row, int col)
{
    if (m_syncing || row < 1 || col != 1)
        return;
    const int record = m_fa->CurRow();
    if (record < 1)
        return;
    const int target = row - 1;
    QString value = m_fb->CellText(row, col);
    if (m_fa->ColumnType(target) == TypeCheckbox)
        value = m_fb->CellCheckAt(row, col) == CheckChecked ? QStringLiteral("-1")
                                                            : QStringLiteral("0");
    m_syncing = true;
    // As an edit in the table itself is: one step of the history.
    m_fa->gridModel()->edits().setText(record, target, value);
    m_syncing = false;
    emit recordEdited();
}

} // namespace corvanta
