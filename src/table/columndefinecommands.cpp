#include "table/columndefinecommands.h"

#include "commands/commandset.h"
#include "grid/gridwidget.h"
#include "table/coldefdialog.h"
#include "table/edithistory.h"

namespace corvanta {

ColumnDefineCommands::ColumnDefineCommands(GridWidget* fa, Platform& platform, EditHistory& history,
                                           Hooks hooks, QObject* parent)
    : QObject(parent), m_fa(fa), m_platform(platform), m_history(history), m_hooks(std::move(hooks))
{
    // Made, undone or redone, the definition leaves its roles with the
    // document.
    connect(&m_history, &EditHistory::columnsDefined, this, [this](const ColumnRoles& roles) {
        if (m_hooks.setRoles)
            m_hooks.setRoles(roles);
        emit columnsDefined();
    });
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
    m_history.defineColumns(count, first, std::move(columns), roles, r.roles);
}

} // namespace corvanta
