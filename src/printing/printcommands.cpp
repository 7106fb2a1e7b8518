#include "printing/printcommands.h"

#include "commands/commandset.h"
#include "files/document.h"
#include "grid/gridwidget.h"
#include "printing/printsheetdialog.h"

namespace corvanta {

PrintCommands::PrintCommands(GridWidget* records, Document* doc, LabelOffsetStore offsets,
                             QWidget* window)
    : QObject(window), m_records(records), m_doc(doc), m_offsets(std::move(offsets)),
      m_window(window), m_previewer(&PageRenderer::preview)
{
}

void PrintCommands::install(CommandSet& c)
{
    c.attach(QStringLiteral("mnuPrintSheet"), this, [this] { mnuPrintSheet_Click(); });
    c.attach(QStringLiteral("mnuPrintLabels"), this, [this] { mnuPrintLabels_Click(); });
}

void PrintCommands::mnuPrintSheet_Click()
{
    PrintSheetDialog dialog(*m_records, m_previewer, m_window);
    dialog.exec();
}

void PrintCommands::mnuPrintLabels_Click()
{
    const int street = m_doc ? m_doc->roles().map : ColumnRoles().map;
    LabelDialog dialog(*m_records, street, m_previewer, m_offsets, m_window);
    dialog.exec();
}

} // namespace corvanta
