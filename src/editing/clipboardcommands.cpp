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
    // Only what the clipboard holds may go from the table: the shown rows.
    QStringList text;
    for (const Range& part : shownParts(r))
        text << ClipBlock::encode(m.fa->table(), part.row1, part.col1, part.row2, part.col2);
    m.clipboard->clear();
    if (!m.clipboard->put(text.join(QLatin1Char('\n')))) {
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
        // table reaches (over shown rows only); the table never grows.
        int rows = std::max(1, block.rowCount());
        r.row2 = r.row1;
        for (int row = r.row1; row < m.fa->RowCount() && rows > 0; ++row)
            if (m.fa->RowShown(row)) {
                r.row2 = row;
                --rows;
            }
        r.col2 = std::min(m.fa->ColCount() - 1, r.col1 + std::max(1, block.maxCellCount()) - 1);
    }
    writeRange(std::move(block), r, QStringLiteral("Paste"));
    m.fa->SelectRange(r.row1, r.col1, r.row2, r.col2);
}

std::vector<ClipboardCommands::Range> ClipboardCommands::shownParts(const Range& r) const
{
    std::vector<Range> parts;
    for (const auto& [first, last] : m.fa->ShownRuns(r.row1, r.row2))
        parts.push_back({first, r.col1, last, r.col2});
    return parts;
}

void ClipboardCommands::writeRange(ClipBlock block, const Range& r, const QString& change)
{
    // Hidden records keep their cells: each run of shown rows gets its own
    // rows of the block, all of it one step.
    const std::vector<Range> runs = shownParts(r);
    if (runs.empty())
        return;
    if (runs.size() == 1) {
        const Range& run = runs.front();
        m.history->writeBlock(std::move(block), run.row1, run.col1, run.row2, run.col2, change);
        return;
    }
    Table scratch(std::max(1, block.rowCount()), std::max(1, block.maxCellCount()));
    block.writeTo(scratch, 0, 0, scratch.rowCount() - 1, scratch.colCount() - 1);
    m.history->together(change, [&] {
        int from = 0;
        for (const Range& run : runs) {
            const int n = run.row2 - run.row1 + 1;
            m.history->writeBlock(ClipBlock::parse(ClipBlock::encode(scratch, from, 0, from + n - 1,
                                                                     scratch.colCount() - 1)),
                                  run.row1, run.col1, run.row2, run.col2, change);
            from += n;
        }
    });
}

} // namespace corvanta
