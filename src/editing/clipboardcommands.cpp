#include "editing/clipboardcommands.h"

#include "commands/commandset.h"
#include "editing/formpanel.h"
#include "editing/systemclipboard.h"
#include "grid/clipblock.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "platform/platform.h"
#include "table/edithistory.h"
#include "table/tablecommands.h"

#include <algorithm>

namespace corvanta {

ClipboardCommands::ClipboardCommands(const EditTargets& targets, QObject* parent)
    : QObject(parent), m(targets)
{
    setObjectName(QStringLiteral("clipboardCommands"));
}

void ClipboardCommands::install(CommandSet& c)
{
    c.attach(QStringLiteral("mnuEditCopy"), this, &ClipboardCommands::copy);
    c.attach(QStringLiteral("mnuEditCut"), this, &ClipboardCommands::cut);
    c.attach(QStringLiteral("mnuEditPaste"), this, &ClipboardCommands::paste);
}

void ClipboardCommands::copy()
{
    m.clipboard->clear();
    const int grid = m.panel->activeGrid();
    if (grid == 1)
        m.clipboard->put(m.fa->ClipText());
    else if (grid == 2)
        m.clipboard->put(m.fb->ClipText());
}

ClipboardCommands::Range ClipboardCommands::targetRange() const
{
    const GridWidget* fa = m.fa;
    const int cur = fa->CurRow(), end = fa->SelEndRow();
    if (m.table->isRowMode())
        return {std::min(cur, end), 0, std::max(cur, end), fa->ColCount() - 1};
    const int c1 = fa->CurCol(), c2 = fa->SelEndCol();
    return {std::min(cur, end), std::min(c1, c2), std::max(cur, end), std::max(c1, c2)};
}

void ClipboardCommands::cut()
{
    if (m.panel->activeGrid() != 1 || m.fa->RowCount() < 2)
        return;
    const Range r = targetRange();
    // Only what the clipboard holds may go from the table.
    m.clipboard->clear();
    if (!m.clipboard->put(ClipBlock::encode(m.fa->table(), r.row1, r.col1, r.row2, r.col2))) {
        m.platform->beep();
        return;
    }
    writeRange(ClipBlock::parse(u""), r, QStringLiteral("Cut"));
}

void ClipboardCommands::paste()
{
    if (m.panel->activeGrid() != 1 || m.fa->RowCount() < 2)
        return;
    Range r = targetRange();
    ClipBlock block = ClipBlock::parse(m.clipboard->text());
    const bool single = r.row1 == r.row2 && r.col1 == r.col2;
    if (single) {
        // From one cell the text takes the room it needs, as far as the
        // table reaches; the table never grows.
        r.row2 = std::min(m.fa->RowCount() - 1, r.row1 + std::max(1, block.rowCount()) - 1);
        r.col2 = std::min(m.fa->ColCount() - 1, r.col1 + std::max(1, block.maxCellCount()) - 1);
    }
    writeRange(std::move(block), r, QStringLiteral("Paste"));
    m.fa->SelectRange(r.row1, r.col1, r.row2, r.col2);
}

void ClipboardCommands::writeRange(ClipBlock block, const Range& r, const QString& change)
{
    m.history->writeBlock(std::move(block), r.row1, r.col1, r.row2, r.col2, change);
}

} // namespace corvanta
