#include "printing/printcommands.h"

#include "commands/commandset.h"
#include "files/document.h"
#include "grid/gridwidget.h"
#include "platform/platform.h"
#include "printing/labelsheet.h"
#include "printing/printsheetdialog.h"

namespace corvanta {

PrintCommands::PrintCommands(GridWidget* records, Document* doc, LabelOffsetStore offsets,
                             Platform* platform, QWidget* window)
    : QObject(window), m_records(records), m_doc(doc), m_offsets(std::move(offsets)),
      m_platform(platform), m_window(window)
{
    m_previewer = [this](PageSource& pages, QWidget* parent, const QString& title) {
        PageRenderer::preview(pages, parent, title, [this](const FileStatus& status) {
            if (m_platform)
                m_platform->messageBox(QStringLiteral("Cannot print.\n") + userText(status),
                                       QString(), MsgIcon::Critical, MsgButtons::Ok);
        });
    };
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
    LabelDialog dialog(*m_records, street, m_previewer, m_offsets,
                       m_templates ? *m_templates : LabelTemplates::system(), m_window);
    dialog.exec();
}

} // namespace corvanta
