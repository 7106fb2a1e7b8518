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
    const bool rowMode = index == 0;
    // The toolbar's RowMode and BlockMode buttons mirror these marks.
    if (m_commands) {
        if (QAction* a = m_commands->action(QStringLiteral("mnuMouseMode_0")))
            a->setChecked(rowMode);
        if (QAction* a = m_commands->action(QStringLiteral("mnuMouseMode_1")))
            a->setChecked(!rowMode);
    }
    emit modeChanged(rowMode ? QStringLiteral("ROW") : QStringLiteral("EDIT"));
    m_fa->SetSelectMode(rowMode ? GridWidget::SelectWholeRows : GridWidget::SelectFree);
    if (rowMode)
        selectCurrentRow();
}

void TableCommands::reapplyMouseMode()
{
    QAction* rowItem = m_commands ? m_commands->action(QStringLiteral("mnuMouseMode_0")) : nullptr;
    if (rowItem && rowItem->isChecked()) {
        m_fa->SetSelectMode(GridWidget::SelectWholeRows);
        selectCurrentRow();
    } else {
        m_fa->SetSelectMode(GridWidget::SelectFree);
    }
}

void TableCommands::selectCurrentRow()
{
    m_fa->SelectRange(m_fa->CurRow(), 0, m_fa->CurRow(), m_fa->ColCount() - 1);
}

} // namespace corvanta
