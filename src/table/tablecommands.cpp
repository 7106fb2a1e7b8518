#include "table/tablecommands.h"

#include "commands/commandset.h"
#include "grid/gridwidget.h"

#include <QFrame>

namespace corvanta {

TableCommands::TableCommands(GridWidget* fa, QObject* parent) : QObject(parent), m_fa(fa)
{
    // The palette floats over the window the table is in.
    m_panColor = new QFrame(m_fa->window());
    m_panColor->setObjectName(QStringLiteral("PanColor"));
    static_cast<QFrame*>(m_panColor)->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_panColor->hide();
}

void TableCommands::install(CommandSet& c)
{
    m_commands = &c;
    // Whatever the button, the palette goes first; "Acolor" shows it anew.
    connect(&c, &CommandSet::toolbarClicked, m_panColor, &QWidget::hide);
    c.attach(QStringLiteral("mnuMouseMode_0"), this, [this] { mnuMouseMode_Click(0); });
    c.attach(QStringLiteral("mnuMouseMode_1"), this, [this] { mnuMouseMode_Click(1); });
    // The mode's submenu is hidden for good; its F6 and F7 still work,
    // through the window the table is in.
    for (const char* name : {"mnuMouseMode_0", "mnuMouseMode_1"})
        if (QAction* a = c.action(QString::fromLatin1(name)))
            m_fa->window()->addAction(a);
    c.attach(QStringLiteral("tbr_DragMode"), this, [this, &c] {
        const bool on = c.toolbarButton(QStringLiteral("DragMode"))->isChecked();
        if (QAction* a = c.action(QStringLiteral("mnuDragDrop")))
            a->setChecked(on);
        m_fa->SetDragEnabled(on ? 1 : 0);
    });
}

void TableCommands::fa_Click()
{
    const int row = m_fa->CurRow();
    const int col = m_fa->CurCol();
    static const struct
    {
        const char* key;
        int setting;
    } styles[] = {
        {"Bold", PropFontBold}, {"Italic", PropFontItalic}, {"Underline", PropFontUnderline}};
    for (const auto& s : styles) {
        const bool on = m_fa->CellProp(s.setting, row, col).toBool();
        if (QAction* b =
                m_commands ? m_commands->toolbarButton(QString::fromLatin1(s.key)) : nullptr)
            b->setChecked(on);
    }
    emit positionChanged(QString::number(row) + QStringLiteral(" / ") +
                         QString::number(m_fa->RowCount() - 1));
    emit currentRecordChanged();
}

void TableCommands::mnuMouseMode_Click(int index)
{
    if (index != 0 && index != 1)
        return;
    m_mode = index == 0 ? Mode::Row : Mode::Block;
    const bool rowMode = isRowMode();
    // The toolbar's RowMode and BlockMode buttons mirror these marks.
    if (m_commands) {
        if (QAction* a = m_commands->action(QStringLiteral("mnuMouseMode_0")))
            a->setChecked(rowMode);
        if (QAction* a = m_commands->action(QStringLiteral("mnuMouseMode_1")))
            a->setChecked(!rowMode);
    }
    applyModeToGrid();
    emit modeChanged(m_mode, rowMode ? QStringLiteral("ROW") : QStringLiteral("EDIT"));
}

void TableCommands::reapplyMouseMode()
{
    applyModeToGrid();
}

bool TableCommands::gridFollowsMode() const
{
    return m_fa->SelectMode() ==
           (isRowMode() ? GridWidget::SelectWholeRows : GridWidget::SelectFree);
}

void TableCommands::applyModeToGrid()
{
    m_fa->SetSelectMode(isRowMode() ? GridWidget::SelectWholeRows : GridWidget::SelectFree);
    if (isRowMode())
        selectCurrentRow();
}

void TableCommands::selectCurrentRow()
{
    m_fa->SelectRange(m_fa->CurRow(), 0, m_fa->CurRow(), m_fa->ColCount() - 1);
}

} // namespace corvanta
