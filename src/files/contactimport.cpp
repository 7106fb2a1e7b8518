#include "files/contactimport.h"

#include "commands/commandset.h"
#include "files/contactcsv.h"
#include "files/document.h"
#include "files/filecommands.h"
#include "files/fileformat.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "platform/platform.h"
#include "table/edithistory.h"

#include <QLocale>

#include <utility>

namespace corvanta {

namespace {

const QString kImportTitle = QStringLiteral("Import Contacts");

// "Given Name, Family Name -> Name; E-mail 1 - Value -> Email (…)": the
// source columns grouped by the column they went to, in the file's order.
QString mappedColumns(const QStringList& recognised)
{
    QStringList targets;
    QHash<QString, QStringList> sources;
    for (const QString& line : recognised) {
        const qsizetype arrow = line.lastIndexOf(QStringLiteral(" -> "));
        const QString target = line.sliced(arrow + 4);
        if (!sources.contains(target))
            targets << target;
        sources[target] << line.first(arrow);
    }
    QStringList parts;
    for (const QString& target : targets)
        parts << sources.value(target).join(QStringLiteral(", ")) + QStringLiteral(" -> ") + target;
    return parts.join(QStringLiteral("; "));
}

} // namespace

ContactImport::ContactImport(FileCommands& files, Document& document, GridWidget* fa,
                             GridWidget* fc, Platform& platform, CommonDialog& dialog,
                             QObject* parent)
    : QObject(parent), m_files(files), m_doc(document), m_fa(fa), m_fc(fc), m_platform(platform),
      m_dialog(dialog)
{
    // The import's step, made, undone or redone, brings its table's roles.
    connect(&m_files.history(), &EditHistory::tableReplaced, this,
            [this](const ColumnRoles& roles) { m_doc.setRoles(roles); });
}

void ContactImport::install(CommandSet& c)
{
    c.attach(QStringLiteral("mnuImportContacts"), this, [this] { mnuImportContacts_Click(); });
}

void ContactImport::mnuImportContacts_Click()
{
    if (!m_files.askSaveChanges(kImportTitle))
        return;
    const QString path = m_files.askOpenPath(
        QStringLiteral("*.csv"), QStringLiteral("Contact Files (*.csv)|*.csv|All Files (*.*)|*.*"));
    if (!path.isEmpty())
        importFile(path);
}

bool ContactImport::importFile(const QString& path)
{
    // Read as comma text is: semicolons and TABs, UTF-16 and windows-1252
    // re-saves are found by the reader.
    m_fc->ClearAll();
    Delimited::ReadInfo info;
    if (FileStatus status = m_files.load(*m_fc->gridModel(), path, FileFormat::Comma, &info);
        !status) {
        m_files.showCannotOpen(path, status, kImportTitle);
        return false;
    }
    const Table source = m_fc->gridModel()->takeTable();
    if (ContactCsv::recognise(source) == ContactCsv::Family::None) {
        m_platform.messageBox(
            QStringLiteral("The column titles of %1 name no contact fields. Open it with File > "
                           "Open > Comma Delimited instead.")
                .arg(path),
            kImportTitle, MsgIcon::Exclamation, MsgButtons::Ok);
        return false;
    }
    ColumnRoles roles;
    ContactCsv::Report report;
    Table converted = ContactCsv::convert(source, &roles, &report);
    const int contacts = converted.rowCount() - 1;

    // A new untitled document, then the import as its one change: undone,
    // the table is the empty one New gives, and Save asks for a name of
    // its own rather than the export's.
    m_files.NewUntitledTable();
    m_files.history().replaceTable(std::move(converted), roles, m_doc.roles(), kImportTitle);
    m_fa->SelectRange(1, 0, 1, m_fa->ColCount() - 1);
    emit imported();

    const QLocale english(QLocale::English);
    QString text = QStringLiteral("Imported %1 %2 from %3.\nRecognised: %4.")
                       .arg(english.toString(contacts),
                            contacts == 1 ? QStringLiteral("contact") : QStringLiteral("contacts"),
                            path, ContactCsv::familyName(report.family));
    text +=
        QStringLiteral("\n\nColumns used: ") + mappedColumns(report.recognised) + QLatin1Char('.');
    if (report.kept > 0)
        text += QStringLiteral("\nKept under their own titles: %1 more %2.")
                    .arg(english.toString(report.kept),
                         report.kept == 1 ? QStringLiteral("column") : QStringLiteral("columns"));
    text += QStringLiteral("\n\nThe file itself is not changed; the address book stays untitled "
                           "until you save it.");
    m_platform.messageBox(text, kImportTitle, MsgIcon::Information, MsgButtons::Ok);
    m_files.warnReplacedBytes(path, info);
    return true;
}

} // namespace corvanta
