#include "editing/layoutcommands.h"

#include "commands/commandset.h"

#include <QToolBar>

namespace corvanta {

LayoutCommands::LayoutCommands(QAction* countControl, QObject* parent)
    : QObject(parent), m_countControl(countControl)
{
}

void LayoutCommands::install(CommandSet& c)
{
    // The entries are checkable: the click has set the mark already.
    QAction* rowCol = c.action(QStringLiteral("mnuRowCol"));
    c.attach(QStringLiteral("mnuRowCol"), this, [this, rowCol] {
        if (m_countControl)
            m_countControl->setVisible(rowCol->isChecked());
    });
    QAction* move = c.action(QStringLiteral("mnuMoveControl"));
    c.attach(QStringLiteral("mnuMoveControl"), this, [&c, move] {
        if (QToolBar* bar = c.toolbar2())
            bar->setVisible(move->isChecked());
    });
}

} // namespace corvanta
