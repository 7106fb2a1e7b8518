#include "table/columndefinecommands.h"

#include "commands/commandset.h"
#include "grid/gridwidget.h"
#include "table/coldefdialog.h"
#include "table/columndefinecommand.h"

#include <QUndoStack>

namespace corvanta {

ColumnDefineCommands::ColumnDefineCommands(GridWidget* fa, Platform& platform, QUndoStack* undo,
                                           Hooks hooks, QObject* parent)
    : QObject(parent), m_fa(fa), m_platform(platform), m_undo(undo), m_hooks(std::move(hooks))
{
}

void ColumnDefineCommands::install(CommandSet& c)
{
    c.attach(QStringLiteral("mnuColDef"), this, [this] { showColDef(false); });
    c.attach(QStringLiteral("mnuEditColAttr"), this, [this] { showColDef(true); });
}

void ColumnDefineCommands::showColDef(bool bOneCol)
{
    const ColumnRoles roles = m_hooks.roles ? m_hooks.roles() : ColumnRoles{};
    ColDefDialog dialog(*m_fa, roles, bOneCol, m_platform, m_hooks.showColCount, m_fa->window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ColDefDialog::Result r = dialog.result();
    std::vector<ColumnDefineCommand::Column> columns;
    for (const ColDefDialog::Definition& d : r.definitions)
        columns.push_back({d.title, d.type, d.format, d.align, d.hidden});
    const int count = r.oneCol ? m_fa->ColCount() : int(columns.size());
    const int first = r.oneCol ? m_fa->CurCol() : 0;
    auto* command = new ColumnDefineCommand(m_fa->gridModel(), count, first, std::move(columns),
                                            {roles, r.roles, m_hooks.setRoles},
                                            [this] { emit columnsDefined(); });
    if (m_undo) {
        m_undo->push(command);
    } else {
        command->redo();
        delete command;
    }
}

} // namespace corvanta
