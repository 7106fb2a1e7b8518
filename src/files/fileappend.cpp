#include "files/fileappend.h"

#include "commands/commandset.h"
#include "files/delimited.h"
#include "files/filecommands.h"
#include "files/fileformat.h"
#include "files/filestatus.h"
#include "files/gridfile.h"
#include "files/vcard.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "platform/platform.h"
#include "table/addressdefaults.h"
#include "table/edithistory.h"

#include <QList>
#include <QLocale>

#include <algorithm>
#include <utility>

namespace corvanta {

namespace {

const QString kTitle = QStringLiteral("Append");

} // namespace

FileAppend::FileAppend(FileCommands& files, GridWidget* fa, GridWidget* fc, Platform& platform,
                       CommonDialog& dialog, QObject* parent)
    : QObject(parent), m_files(files), m_fa(fa), m_fc(fc), m_platform(platform), m_dialog(dialog)
{
}

void FileAppend::install(CommandSet& c)
{
    c.attach(QStringLiteral("mnuAppend"), this, [this] { mnuAppend_Click(); });
}

void FileAppend::mnuAppend_Click()
{
    // No save question and no change of the folder the Open dialogs use:
    // the document stays what it is.
    CommonDialog& dlg = m_dialog;
    dlg.DefaultExt = QStringLiteral("*.cvt");
    dlg.Filter = QStringLiteral("Grid Files (*.cvt)|*.cvt|"
                                "Comma Delimited Files (*.csv)|*.csv|"
                                "Tab Delimited Files (*.txt)|*.txt|"
                                "vCard Files (*.vcf)|*.vcf");
    dlg.FileName = QString();
    dlg.Flags = DialogFlag::HideReadOnly;
    m_platform.showOpen(dlg);
    if (FileCommands::isOpenCancelled(dlg.FileName))
        return;
    appendFile(dlg.FileName);
}

void FileAppend::showCannotOpen(const QString& path, const FileStatus& status)
{
    m_platform.messageBox(QStringLiteral("Cannot open ") + path + QStringLiteral(".\n") +
                              userText(status),
                          kTitle, MsgIcon::Critical, MsgButtons::Ok);
}

void FileAppend::appendFile(const QString& path)
{
    const std::optional<FileFormat> format = formatOfPath(path);
    if (!format) {
        m_platform.messageBox(
            QStringLiteral("You can only select the reconizable file types. Plaese select the "
                           "correct file type from the 'File of Types' list box in the Open "
                           "Dialog and reopen again."),
            QStringLiteral("Open"), MsgIcon::Exclamation, MsgButtons::Ok);
        return;
    }
    m_fc->ClearAll();
    Delimited::ReadInfo info;
    if (FileStatus status = m_files.load(*m_fc->gridModel(), path, *format, &info); !status) {
        // Nothing was read, so nothing changed: the document keeps its flag.
        showCannotOpen(path, status);
        return;
    }
    Table records = m_fc->gridModel()->takeTable();
    // Cards lay out their own columns: they go under the titles they share
    // with the document, and the others after its last column.
    if (*format == FileFormat::Vcard)
        records = Vcard::matchedTo(m_fa->table(), std::move(records));

    const Table& doc = m_fa->table();
    const int cols = std::max(doc.colCount(), records.colCount());
    QList<std::pair<int, QString>> titles;
    for (int c = 0; c < cols; ++c) {
        if (doc.isEmpty(0, c) && !records.isEmpty(0, c))
            titles.append({c, records.text(0, c)});
    }
    // Only the texts come over: the document's own look stays as it is,
    // and the columns the records add are plain ones, except that what
    // cards keep beyond their columns stays out of sight as it was.
    for (int c = 0; c < records.colCount(); ++c) {
        ColumnAttr plain;
        if (Vcard::isKeptColumn(records, c)) {
            plain.hidden = true;
            plain.width = records.column(c).width;
        }
        records.setColumn(c, plain);
    }
    records.removeRows(0, 1);
    for (int r = 0; r < records.rowCount(); ++r) {
        records.setRowHeight(r, -1);
        while (!records.rowFormats(r).empty())
            records.setFormat(r, records.rowFormats(r).front().first, CellFormat{});
    }

    // The address book never holds more than MaxRecords records: the
    // records that would pass the limit are left out, and the user is told.
    const int room = std::max(0, AddressDefaults::MaxRecords - (doc.rowCount() - 1));
    const int leftOut = std::max(0, records.rowCount() - room);
    records.setRowCount(records.rowCount() - leftOut);
    const int added = records.rowCount();
    // A full table takes nothing from the file, not even its titles.
    const bool refused = leftOut > 0 && added == 0;

    if (!refused && (added > 0 || cols > doc.colCount() || !titles.isEmpty())) {
        const int first = doc.rowCount();
        m_files.history().appendRows(std::move(records), cols, titles, kTitle);
        if (added > 0)
            m_fa->SelectRange(first, 0, m_fa->RowCount() - 1, m_fa->ColCount() - 1);
        emit appended(QString::number(m_fa->PickedRowCount()) + QStringLiteral(" Sel"));
    }
    if (leftOut > 0) {
        const QLocale english(QLocale::English);
        m_platform.messageBox(
            QStringLiteral("A table holds at most %1 records. The last %2 of the %3 records of %4 "
                           "were left out.")
                .arg(english.toString(AddressDefaults::MaxRecords), english.toString(leftOut),
                     english.toString(added + leftOut), path),
            kTitle, MsgIcon::Exclamation, MsgButtons::Ok);
    }
    m_files.warnReplacedBytes(path, info);
    m_files.warnRepairedCards(path, kTitle);
}

} // namespace corvanta
