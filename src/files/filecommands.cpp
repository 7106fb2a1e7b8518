#include "files/filecommands.h"

#include "commands/commandset.h"
#include "files/contactimport.h"
#include "files/delimited.h"
#include "files/fileappend.h"
#include "files/filestatus.h"
#include "files/gridfile.h"
#include "files/vcard.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "platform/platform.h"
#include "table/addressdefaults.h"
#include "table/edithistory.h"
#include "table/setdefaults.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QScopedValueRollback>

#include <algorithm>
#include <new>

namespace corvanta {

namespace {

const QString kCaptionSaved = QStringLiteral("Corvanta Address Book -- ");
const FileStatus kOutOfMemory = FileStatus::fail(FileStatus::OutOfMemory);

} // namespace

struct DelimitedKind
{
    Document::Kind fileKind;
    const char* defaultExt;
    const char* openFilter;
    const char* saveFilter;
};

namespace {

const DelimitedKind kComma{Document::KindComma, "*.csv",
                           "Comma Delimited Files (*.csv)|*.csv|All Files (*.*)|*.*",
                           "Comma Delimited Text Files (*.csv)|*.csv"};
const DelimitedKind kTab{Document::KindTab, "*.txt",
                         "Tab Delimited Files (*.txt)|*.txt|All Files (*.*)|*.*",
                         "Tab Delimited Text Files (*.txt)|*.txt"};

const DelimitedKind& delimitedKind(Document::Kind fileKind)
{
    return fileKind == Document::KindTab ? kTab : kComma;
}

} // namespace

FileCommands::FileCommands(Document& document, EditHistory& history, GridWidget* fa, GridWidget* fb,
                           GridWidget* fc, Platform& platform, CommonDialog& dialog,
                           QObject* parent)
    : QObject(parent), m_doc(document), m_history(history), m_fa(fa), m_fb(fb), m_fc(fc),
      m_platform(platform), m_dialog(dialog),
      m_loader([this](TableModel& model, const QString& path, FileFormat format, bool withTitles,
                      Delimited::ReadInfo* info) {
          // A vCard opened lays out its own columns, and the roles follow.
          Vcard::ReadInfo cards;
          cards.roles = m_doc.roles();
          const FileStatus status = GridFile::load(model, path, format, withTitles, info, &cards);
          m_repairedCards = status ? cards.repairedCards : 0;
          if (status && &model == m_fa->gridModel())
              m_doc.setRoles(cards.roles);
          return status;
      })
{
    m_append = new FileAppend(*this, fa, fc, platform, dialog, this);
    connect(m_append, &FileAppend::appended, this, [this](const QString& selection) {
        emit countsChanged();
        emit currentCellChanged();
        emit selectionCounted(selection);
    });
    m_import = new ContactImport(*this, document, fa, fc, platform, dialog, this);
    connect(m_import, &ContactImport::imported, this, [this] {
        emit countsChanged();
        emit rowModeEntered();
        emit currentCellChanged();
    });
}

FileStatus FileCommands::load(TableModel& model, const QString& path, FileFormat format,
                              Delimited::ReadInfo* info)
{
    // A file larger than memory must not take the open document with it:
    // the readers build the new table beside the old one, so the old one
    // is whole when they give up.
    m_repairedCards = 0;
    try {
        return m_loader(model, path, format, true, info);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
}

void FileCommands::install(CommandSet& c)
{
    c.attach(QStringLiteral("mnuNew"), this, [this] { mnuNew_Click(); });
    c.attach(QStringLiteral("mnuOpen_0"), this, [this] { mnuOpen_Click(0); });
    for (int i = 0; i < 2; ++i) {
        c.attach(QStringLiteral("mnuOpenCSV_%1").arg(i), this, [this, i] { mnuOpenCSV_Click(i); });
        c.attach(QStringLiteral("mnuOpenTAB_%1").arg(i), this, [this, i] { mnuOpenTAB_Click(i); });
    }
    c.attach(QStringLiteral("mnuSave"), this, [this] { mnuSave_Click(); });
    c.attach(QStringLiteral("mnuSaveAsCVT"), this, [this] { mnuSaveAsCVT_Click(); });
    c.attach(QStringLiteral("mnuSaveAsComma"), this, [this] { mnuSaveAsComma_Click(); });
    c.attach(QStringLiteral("mnuSaveAsTab"), this, [this] { mnuSaveAsTab_Click(); });
    m_append->install(c);
    m_import->install(c);
    c.attach(QStringLiteral("mnuOpenVcard"), this, [this] { mnuOpenVcard_Click(); });
    c.attach(QStringLiteral("mnuSaveAsVcard"), this, [this] { mnuSaveAsVcard_Click(); });
}

bool FileCommands::askSaveChanges(const QString& title, const QString& message)
{
    if (!m_doc.IsModified())
        return true;
    const MsgAnswer a =
        m_platform.messageBox(message, title, MsgIcon::Question, MsgButtons::YesNoCancel, 3);
    if (a == MsgAnswer::Cancel)
        return false;
    // Yes asks for the work to be kept: when the save did not happen
    // (overwrite declined, Save As cancelled, write failed), the command
    // must not go on and throw the table away.
    if (a == MsgAnswer::Yes)
        return mnuSave_Click();
    return true;
}

bool FileCommands::isOpenCancelled(const QString& fileName)
{
    return fileName.isEmpty() || fileName == QLatin1String("*.*") ||
           fileName == QLatin1String("*.cvt") || fileName == QLatin1String("*.csv") ||
           fileName == QLatin1String("*.txt") || fileName == QLatin1String("*.vcf");
}

void FileCommands::showCannotSave(const FileStatus& status)
{
    m_platform.messageBox(QStringLiteral("Cannot save.\n") + userText(status) +
                              QStringLiteral("\nTry save as a different file name."),
                          QString(), MsgIcon::Critical, MsgButtons::Ok);
}

void FileCommands::showCannotOpen(const QString& path, const FileStatus& status,
                                  const QString& title)
{
    // The document stays as it was: a failed open must never leave an empty
    // table that carries the file's name, or a later Save would overwrite the
    // user's file with nothing.
    m_platform.messageBox(QStringLiteral("Cannot open ") + path + QStringLiteral(".\n") +
                              userText(status),
                          title, MsgIcon::Critical, MsgButtons::Ok);
}

QString FileCommands::askOpenPath(const QString& defaultExt, const QString& filter)
{
    CommonDialog& dlg = m_dialog;
    dlg.DefaultExt = defaultExt;
    dlg.Filter = filter;
    dlg.FileName = defaultExt; // the pattern stays in the name box until a file is chosen
    dlg.Flags = DialogFlag::HideReadOnly;
    dlg.InitDir = m_doc.OpenFolder();
    m_platform.showOpen(dlg);
    return isOpenCancelled(dlg.FileName) ? QString() : dlg.FileName;
}

QString FileCommands::askSavePath(const QString& filter)
{
    // DefaultExt and InitDir keep what the last dialog left.
    CommonDialog& dlg = m_dialog;
    dlg.Filter = filter;
    dlg.FileName = QString();
    dlg.Flags = DialogFlag::OverwritePrompt;
    m_platform.showSave(dlg);
    return dlg.FileName;
}

void FileCommands::keepTitleRow()
{
    // An empty file still leaves the title row and one column, as the
    // table had before the load.
    m_fa->SetColCount(std::max(1, m_fa->ColCount()));
    m_fa->SetRowCount(std::max(1, m_fa->RowCount()));
}

void FileCommands::mnuNew_Click()
{
    if (!askSaveChanges(QStringLiteral("New")))
        return;
    NewUntitledTable();
}

void FileCommands::NewUntitledTable()
{
    m_fa->SetColCount(0);
    // Row heights belong to rows, which survive the column cut: a new
    // document starts without the old one's heights.
    m_fa->ClearAll();
    SetDefaults(*m_fa, *m_fb);
    m_fa->SetColCount(AddressDefaults::ColCount);
    m_fa->SetRowCount(AddressDefaults::NewRowCount);
    emit countsChanged();
    RefreshDocumentView();
    emit captionChanged(QStringLiteral("Corvanta Address Book -- Untitled.cvt"));
    m_doc.resetToUntitled();
    emit currentCellChanged();
}

void FileCommands::RefreshDocumentView()
{
    // The document's own name: the dialog's may be of an Append or an
    // export since, and a Recent Files open or a restored copy had none.
    emit captionChanged(QStringLiteral("Corvanta Address Book [") + m_doc.CurrentFile() +
                        QLatin1Char(']'));
    emit currentCellChanged();
}

void FileCommands::FinishLoad()
{
    RefreshDocumentView();
    emit rowModeEntered();
    emit currentCellChanged();
    m_history.markSaved();
    emit countsChanged();
}

bool FileCommands::openStartupFile()
{
    const QString path = m_doc.StartupFile();
    if (path.right(3).toUpper() != QLatin1String("CVT"))
        return false;
    if (!load(*m_fa->gridModel(), path, FileFormat::Native))
        return false;
    keepTitleRow();
    m_doc.setLoaded(path, Document::KindNative);
    emit captionChanged(kCaptionSaved + path);
    // The window's own layout steps before the load are no changes either.
    m_history.markSaved();
    return true;
}

FileStatus FileCommands::restoreCopy(const RecoveryCopy::Found& found)
{
    {
        if (FileStatus status = load(*m_fa->gridModel(), found.copyPath, FileFormat::Native);
            !status)
            return status;
        keepTitleRow();
        m_doc.setLoaded(found.documentPath, found.kind, found.titlesInFirstLine);
        if (found.kind == Document::KindComma || found.kind == Document::KindTab) {
            rememberEncoding(found.encoding);
            m_doc.setTextDelimiter(found.kind == Document::KindComma ? found.delimiter : ',');
        }
        emit captionChanged(kCaptionSaved + found.documentPath);
        FinishLoad();
    }
    // What is on disk under the document's name is older than this.
    m_history.markModified();
    return {};
}

bool FileCommands::openFile(const QString& path, Document::Kind kind, bool titlesInFirstLine)
{
    if (!QFileInfo::exists(path))
        return false;
    if (!askSaveChanges(QStringLiteral("Open")))
        return true;
    if (kind == Document::KindNative) {
        openNative(path);
    } else if (kind == Document::KindVcard) {
        if (loadDocument(path, kind)) {
            m_fa->SelectRange(1, 0, 1, m_fa->ColCount() - 1);
            FinishLoad();
        }
    } else {
        openDelimitedPath(delimitedKind(kind), titlesInFirstLine ? 0 : 1, path);
    }
    return true;
}

bool FileCommands::openNamedFile(const QString& path)
{
    // The format follows the name, as a file manager's choice of program does.
    // A name that says no format is read as a native document.
    const Document::Kind kind = formatOfPath(path).value_or(FileFormat::Native);
    if (!loadDocument(path, kind))
        return false;
    if (kind == Document::KindNative)
        m_doc.setStartupFile(path);
    m_history.markSaved();
    return true;
}

bool FileCommands::loadDocument(const QString& path, Document::Kind kind)
{
    Delimited::ReadInfo info;
    if (FileStatus status = load(*m_fa->gridModel(), path, kind, &info); !status) {
        showCannotOpen(path, status);
        return false;
    }
    keepTitleRow();
    m_doc.setOpenFolder(Document::FolderOfPath(path));
    m_doc.setLoaded(path, kind);
    if (kind == Document::KindComma || kind == Document::KindTab) {
        rememberEncoding(info.encoding);
        m_doc.setTextDelimiter(kind == Document::KindComma ? info.delimiter : ',');
    }
    emit captionChanged(kCaptionSaved + path);
    emit countsChanged();
    warnReplacedBytes(path, info);
    warnRepairedCards(path, QStringLiteral("Open"));
    return true;
}

void FileCommands::mnuOpen_Click(int index)
{
    if (index != 0)
        return;
    if (!askSaveChanges(QStringLiteral("Open")))
        return;
    const QString path =
        askOpenPath(QStringLiteral("*.cvt"),
                    QStringLiteral("Corvanta Files (*.cvt)|*.cvt|All Files (*.*)|*.*"));
    if (path.isEmpty())
        return;
    openNative(path);
}

void FileCommands::openNative(const QString& path)
{
    if (FileStatus status = load(*m_fa->gridModel(), path, FileFormat::Native); !status) {
        showCannotOpen(path, status);
        return;
    }
    keepTitleRow();
    m_doc.setOpenFolder(Document::FolderOfPath(path));
    m_doc.setStartupFile(path);
    m_doc.setLoaded(path, Document::KindNative);
    emit captionChanged(kCaptionSaved + path);
    emit countsChanged();
    FinishLoad();
}

void FileCommands::mnuOpenCSV_Click(int index)
{
    openDelimited(Document::KindComma, index);
}

void FileCommands::mnuOpenTAB_Click(int index)
{
    openDelimited(Document::KindTab, index);
}

void FileCommands::openDelimited(Document::Kind fileKind, int index)
{
    if (index != 0 && index != 1)
        return;
    if (!askSaveChanges(QStringLiteral("Open")))
        return;
    const DelimitedKind& k = delimitedKind(fileKind);
    const QString path =
        askOpenPath(QString::fromLatin1(k.defaultExt), QString::fromLatin1(k.openFilter));
    if (path.isEmpty())
        return;
    openDelimitedPath(k, index, path);
}

void FileCommands::openDelimitedPath(const DelimitedKind& k, int index, const QString& path)
{
    try {
        readDelimited(k, index, path);
    } catch (const std::bad_alloc&) {
        // Past the reader (the block on its way into the table); the table
        // is only swapped in whole, so it is still the one the user had.
        m_fc->ClearAll();
        showCannotOpen(path, kOutOfMemory);
    }
}

void FileCommands::readDelimited(const DelimitedKind& k, int index, const QString& path)
{
    GridWidget* fa = m_fa;
    Delimited::ReadInfo info;
    if (index == 0) {
        // The first line fills the title row.
        if (FileStatus status = load(*fa->gridModel(), path, k.fileKind, &info); !status) {
            showCannotOpen(path, status);
            return;
        }
        keepTitleRow();
    } else {
        // Every line is a record: read into the scratch grid, then move the
        // block below the (empty) title row through the clipboard.
        GridWidget* fc = m_fc;
        fc->SetColCount(1);
        fc->SetRowCount(1);
        fc->SetFixedRowCount(0);
        fc->ClearAll();
        if (FileStatus status = load(*fc->gridModel(), path, k.fileKind, &info); !status) {
            showCannotOpen(path, status);
            return;
        }
        fc->SelectRange(0, 0, fc->RowCount() - 1, fc->ColCount() - 1);
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(fc->ClipText());
        // The block goes in whole, built beside the table and swapped in at
        // once: running out of memory half way leaves the table as it was.
        const Table& scratch = fc->table();
        Table fresh(scratch.rowCount() + 1, std::max(1, scratch.colCount()));
        for (int r = 0; r < scratch.rowCount(); ++r)
            for (int c = 0; c < scratch.colCount(); ++c)
                if (!scratch.isEmpty(r, c))
                    fresh.setUtf8(r + 1, c, scratch.utf8(r, c));
        fa->gridModel()->replaceTable(std::move(fresh));
        fc->ClearAll();
    }
    m_doc.setOpenFolder(Document::FolderOfPath(path));
    m_doc.setLoaded(path, k.fileKind, index == 0);
    // Save writes the document back the way it was read.
    rememberEncoding(info.encoding);
    m_doc.setTextDelimiter(k.fileKind == Document::KindComma ? info.delimiter : ',');
    fa->SelectRange(1, 0, 1, fa->ColCount() - 1);
    emit captionChanged(kCaptionSaved + path);
    emit countsChanged();
    FinishLoad();
    warnReplacedBytes(path, info);
}

void FileCommands::warnReplacedBytes(const QString& path, const Delimited::ReadInfo& info)
{
    if (info.replacedBytes > 0) {
        m_platform.messageBox(QStringLiteral("Some bytes of %1 are not valid UTF-8 and were "
                                             "replaced, first on line %2.")
                                  .arg(path)
                                  .arg(info.firstBadLine),
                              QStringLiteral("Open"), MsgIcon::Exclamation, MsgButtons::Ok);
    }
}

void FileCommands::warnRepairedCards(const QString& path, const QString& title)
{
    if (m_repairedCards <= 0)
        return;
    // Each such card was closed where the next began; the user should look
    // at those records before saving over the file.
    const QString text =
        m_repairedCards == 1
            ? QStringLiteral("One card of %1 had no END:VCARD line and was repaired: it ends where "
                             "the next card begins.")
                  .arg(path)
            : QStringLiteral("%1 cards of %2 had no END:VCARD line and were repaired: each ends "
                             "where the next card begins.")
                  .arg(QLocale(QLocale::English).toString(m_repairedCards), path);
    m_platform.messageBox(text, title, MsgIcon::Exclamation, MsgButtons::Ok);
}

bool FileCommands::mnuSave_Click()
{
    FileStatus status;
    const QString current = m_doc.CurrentFile();
    if (m_doc.FileKind() == Document::KindNative) {
        const bool untitled = m_doc.isUntitled() && QFileInfo::exists(current);
        if (untitled) {
            const MsgAnswer a = m_platform.messageBox(
                QStringLiteral("Do you want to overwrite ") + current + QLatin1Char('?'),
                QStringLiteral("Save"), MsgIcon::Question, MsgButtons::YesNo);
            if (a == MsgAnswer::Escape)
                return false; // not No: the user asked for nothing to happen
            if (a == MsgAnswer::Yes) {
                status = GridFile::save(*m_fa->gridModel(), current, FileFormat::Native);
            } else {
                // Save As reports its own failure and settles the flag.
                return mnuSaveAsCVT_Click();
            }
        } else {
            status = GridFile::save(*m_fa->gridModel(), current, FileFormat::Native);
        }
    } else if (m_doc.FileKind() == Document::KindVcard) {
        status = GridFile::save(*m_fa->gridModel(), current, FileFormat::Vcard, true,
                                TextEncoding::Utf8, 0, m_doc.roles());
    } else {
        TextEncoding encoding = m_doc.textEncoding();
        if (!confirmEncoding(encoding))
            return false;
        status = GridFile::save(*m_fa->gridModel(), current, m_doc.FileKind(), true, encoding,
                                m_doc.textDelimiter());
        if (status)
            m_doc.setTextEncoding(encoding);
    }
    if (!status) {
        showCannotSave(status);
        return false;
    }
    if (m_doc.FileKind() != Document::KindNative) {
        m_platform.messageBox(
            QStringLiteral("Use 'Save As...' Corvanta(*.cvt) from the 'File' menu if you want to "
                           "save data as a RichText Corvanta file format."),
            QString(), MsgIcon::Information, MsgButtons::Ok);
    }
    m_history.markSaved();
    return true;
}

void FileCommands::rememberEncoding(TextEncoding encoding)
{
    m_doc.setTextEncoding(encoding);
}

bool FileCommands::confirmEncoding(TextEncoding& encoding)
{
    if (encoding != TextEncoding::Windows1252 ||
        Delimited::canEncode(m_fa->table(), TextEncoding::Windows1252))
        return true;
    // Never a "?" in place of what the user typed: UTF-8 holds everything.
    const MsgAnswer a = m_platform.messageBox(
        m_doc.CurrentFile() +
            QStringLiteral(" is in windows-1252, which cannot hold every character of the table. "
                           "Do you want to save it as UTF-8 instead?"),
        QStringLiteral("Save"), MsgIcon::Question, MsgButtons::YesNo);
    if (a != MsgAnswer::Yes)
        return false;
    encoding = TextEncoding::Utf8;
    return true;
}

bool FileCommands::mnuSaveAsCVT_Click()
{
    const QString path = askSavePath(QStringLiteral("Corvanta Files (*.cvt)|*.cvt"));
    if (path.isEmpty())
        return false;
    if (FileStatus status = GridFile::save(*m_fa->gridModel(), path, FileFormat::Native); !status) {
        // Reported, and the document keeps its name, caption and flag.
        showCannotSave(status);
        return false;
    }
    emit captionChanged(kCaptionSaved + path);
    m_history.markSaved();
    m_doc.setCurrentFile(path);
    m_doc.setStartupFile(path);
    m_doc.setFileKind(Document::KindNative);
    m_doc.setTextEncoding(TextEncoding::Utf8);
    return true;
}

void FileCommands::mnuSaveAsComma_Click()
{
    saveAsDelimited(Document::KindComma);
}

void FileCommands::mnuSaveAsTab_Click()
{
    saveAsDelimited(Document::KindTab);
}

void FileCommands::saveAsDelimited(Document::Kind fileKind)
{
    const DelimitedKind& k = delimitedKind(fileKind);
    const QString path = askSavePath(QString::fromLatin1(k.saveFilter));
    if (path.isEmpty())
        return;
    if (FileStatus status = GridFile::save(*m_fa->gridModel(), path, k.fileKind); !status) {
        showCannotSave(status);
        return;
    }
    // The export is not the document: CurrentFile and FileKind stay, and
    // so do the changes, unless the file written is the document's own.
    emit captionChanged(kCaptionSaved + path);
    if (m_doc.FileKind() != Document::KindNative &&
        QFileInfo(path).canonicalFilePath() == QFileInfo(m_doc.CurrentFile()).canonicalFilePath()) {
        m_history.markSaved();
        m_doc.setTextEncoding(TextEncoding::Utf8); // an export is always UTF-8
    }
}

void FileCommands::mnuOpenVcard_Click()
{
    if (!askSaveChanges(QStringLiteral("Open")))
        return;
    const QString path = askOpenPath(
        QStringLiteral("*.vcf"), QStringLiteral("vCard Files (*.vcf)|*.vcf|All Files (*.*)|*.*"));
    if (path.isEmpty() || !loadDocument(path, Document::KindVcard))
        return;
    m_fa->SelectRange(1, 0, 1, m_fa->ColCount() - 1);
    FinishLoad();
}

void FileCommands::mnuSaveAsVcard_Click()
{
    const QString path = askSavePath(QStringLiteral("vCard Files (*.vcf)|*.vcf"));
    if (path.isEmpty())
        return;
    if (FileStatus status = GridFile::save(*m_fa->gridModel(), path, FileFormat::Vcard, true,
                                           TextEncoding::Utf8, 0, m_doc.roles());
        !status) {
        showCannotSave(status);
        return;
    }
    // An export, as the delimited ones are: the document stays what it was.
    emit captionChanged(kCaptionSaved + path);
    if (m_doc.FileKind() == Document::KindVcard &&
        QFileInfo(path).canonicalFilePath() == QFileInfo(m_doc.CurrentFile()).canonicalFilePath())
        m_history.markSaved();
}

} // namespace corvanta
