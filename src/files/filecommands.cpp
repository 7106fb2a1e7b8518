#include "files/filecommands.h"

#include "editing/formpanel.h"
#include "files/gridfile.h"
#include "shell/mainwindow.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>

namespace corvanta {

namespace {

const QString kCaptionSaved = QStringLiteral("Corvanta Address Book -- ");

struct DelimitedKind
{
    int what;
    int fileKind;
    const char* defaultExt;
    const char* openFilter;
    const char* saveFilter;
};

const DelimitedKind kComma{GridFile::Comma, MainWindow::KindComma, "*.csv",
                           "Comma Delimited Files (*.csv)|*.csv|All Files (*.*)|*.*",
                           "Comma Delimited Text Files (*.csv)|*.csv"};
const DelimitedKind kTab{GridFile::Tab, MainWindow::KindTab, "*.txt",
                         "Tab Delimited Files (*.txt)|*.txt|All Files (*.*)|*.*",
                         "Tab Delimited Text Files (*.txt)|*.txt"};

const DelimitedKind& delimitedKind(int fileKind)
{
    return fileKind == MainWindow::KindTab ? kTab : kComma;
}

} // namespace

FileCommands::FileCommands(MainWindow& window) : QObject(&window), w(window) {}

bool FileCommands::isOpenCancelled(const QString& fileName)
{
    return fileName.isEmpty() || fileName == QLatin1String("*.*") ||
           fileName == QLatin1String("*.cvt") || fileName == QLatin1String("*.csv") ||
           fileName == QLatin1String("*.txt");
}

void FileCommands::showCannotSave(const QString& reason)
{
    w.platform().messageBox(QStringLiteral("Cannot save.\n") + reason +
                                QStringLiteral("\nTry save as a different file name."),
                            QString(), MsgIcon::Critical, MsgButtons::Ok);
}

void FileCommands::showCannotOpen(const QString& path, const QString& reason)
{
    // The document stays as it was: a failed open must never leave an empty
    // table that carries the file's name, or a later Save would overwrite the
    // user's file with nothing.
    w.platform().messageBox(QStringLiteral("Cannot open ") + path + QStringLiteral(".\n") + reason,
                            QStringLiteral("Open"), MsgIcon::Critical, MsgButtons::Ok);
}

QString FileCommands::askOpenPath(const QString& defaultExt, const QString& filter)
{
    CommonDialog& dlg = w.CommonDialog1;
    dlg.DefaultExt = defaultExt;
    dlg.Filter = filter;
    dlg.FileName = defaultExt; // the pattern stays in the name box until a file is chosen
    dlg.Flags = 4;
    dlg.InitDir = w.OpenFolder;
    w.platform().showOpen(dlg);
    return isOpenCancelled(dlg.FileName) ? QString() : dlg.FileName;
}

QString FileCommands::askSavePath(const QString& filter)
{
    // DefaultExt and InitDir keep what the last dialog left.
    CommonDialog& dlg = w.CommonDialog1;
    dlg.Filter = filter;
    dlg.FileName = QString();
    dlg.Flags = 2;
    w.platform().showSave(dlg);
    return dlg.FileName;
}

void FileCommands::keepTitleRow()
{
    // An empty file still leaves the title row and one column, as the
    // table had before the load.
    GridWidget* fa = w.fa();
    fa->SetColCount(std::max(1, fa->ColCount()));
    fa->SetRowCount(std::max(1, fa->RowCount()));
}

void FileCommands::mnuNew_Click()
{
    if (!w.askSaveChanges(QStringLiteral("New")))
        return;
    NewUntitledTable();
}

void FileCommands::NewUntitledTable()
{
    GridWidget* fa = w.fa();
    fa->SetColCount(0);
    // Row heights belong to rows, which survive the column cut: a new
    // document starts without the old one's heights.
    fa->ClearAll();
    w.SetDefaults();
    fa->SetColCount(10);
    fa->SetRowCount(11);
    w.updateCountBoxes();
    RefreshDocumentView();
    w.setCaption(QStringLiteral("Corvanta Address Book -- Untitled.cvt"));
    w.CurrentFile = w.untitledPath();
    w.FileKind = MainWindow::KindNative;
    w.MakeModified(false);
    w.col_map = 1;
    w.col_phone = 5;
    w.col_mail = 6;
    w.col_website = 7;
    w.fa_Click();
}

void FileCommands::RefreshDocumentView()
{
    w.setCaption(QStringLiteral("Corvanta Address Book [") + w.CommonDialog1.FileName +
                 QLatin1Char(']'));
    w.formPanel().refillTitles();
    w.fa_Click();
}

void FileCommands::FinishLoad()
{
    RefreshDocumentView();
    w.fa()->SetSelectMode(GridWidget::SelectWholeRows);
    w.fa_Click();
    w.mnuMouseMode_Click(0);
    w.MakeModified(false);
    w.updateCountBoxes();
}

bool FileCommands::openStartupFile()
{
    const QString path = w.StartupFile;
    if (path.right(3).toUpper() != QLatin1String("CVT"))
        return false;
    if (!GridFile::load(*w.fa()->gridModel(), path, GridFile::Native, true))
        return false;
    keepTitleRow();
    w.CurrentFile = path;
    w.setCaption(kCaptionSaved + w.CurrentFile);
    // The panel must list every column of the loaded table, not only the
    // ten of the default layout.
    w.formPanel().refillTitles();
    return true;
}

void FileCommands::mnuOpen_Click(int index)
{
    if (index != 0)
        return;
    if (!w.askSaveChanges(QStringLiteral("Open")))
        return;
    const QString path =
        askOpenPath(QStringLiteral("*.cvt"),
                    QStringLiteral("Corvanta Files (*.cvt)|*.cvt|All Files (*.*)|*.*"));
    if (path.isEmpty())
        return;
    QString error;
    if (!GridFile::load(*w.fa()->gridModel(), path, GridFile::Native, true, &error)) {
        showCannotOpen(path, error);
        return;
    }
    keepTitleRow();
    w.OpenFolder = MainWindow::FolderOfPath(path);
    w.StartupFile = path;
    w.CurrentFile = path;
    w.FileKind = MainWindow::KindNative;
    w.setCaption(kCaptionSaved + w.CurrentFile);
    w.updateCountBoxes();
    FinishLoad();
}

void FileCommands::mnuOpenCSV_Click(int index)
{
    openDelimited(MainWindow::KindComma, index);
}

void FileCommands::mnuOpenTAB_Click(int index)
{
    openDelimited(MainWindow::KindTab, index);
}

void FileCommands::openDelimited(int fileKind, int index)
{
    if (index != 0 && index != 1)
        return;
    if (!w.askSaveChanges(QStringLiteral("Open")))
        return;
    const DelimitedKind& k = delimitedKind(fileKind);
    const QString path =
        askOpenPath(QString::fromLatin1(k.defaultExt), QString::fromLatin1(k.openFilter));
    if (path.isEmpty())
        return;
    GridWidget* fa = w.fa();
    QString error;
    if (index == 0) {
        // The first line fills the title row.
        if (!GridFile::load(*fa->gridModel(), path, k.what, true, &error)) {
            showCannotOpen(path, error);
            return;
        }
        keepTitleRow();
    } else {
        // Every line is a record: read into the scratch grid, then move the
        // block below the (empty) title row through the clipboard.
        GridWidget* fc = w.fc();
        fc->SetColCount(1);
        fc->SetRowCount(1);
        fc->SetFixedRowCount(0);
        fc->ClearAll();
        if (!GridFile::load(*fc->gridModel(), path, k.what, true, &error)) {
            showCannotOpen(path, error);
            return;
        }
        fa->ClearAll();
        fa->SetColCount(1);
        fa->SetRowCount(1);
        fa->SetColCount(std::max(1, fc->ColCount()));
        fa->SetRowCount(fc->RowCount() + 1);
        fc->SelectRange(0, 0, fc->RowCount() - 1, fc->ColCount() - 1);
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(fc->ClipText());
        fa->SelectRange(1, 0, fa->RowCount() - 1, fa->ColCount() - 1);
        fa->SetClipText(clipboard->text());
        fc->ClearAll();
    }
    w.OpenFolder = MainWindow::FolderOfPath(path);
    w.CurrentFile = path;
    w.FileKind = k.fileKind;
    fa->SelectRange(1, 0, 1, fa->ColCount() - 1);
    w.setCaption(kCaptionSaved + w.CurrentFile);
    w.updateCountBoxes();
    FinishLoad();
}

bool FileCommands::mnuSave_Click()
{
    QString error;
    bool ok = true;
    if (w.FileKind == MainWindow::KindNative) {
        const bool untitled = w.CurrentFile.compare(w.untitledPath(), Qt::CaseInsensitive) == 0 &&
                              QFileInfo::exists(w.CurrentFile);
        if (untitled) {
            const MsgAnswer a = w.platform().messageBox(
                QStringLiteral("Do you want to overwrite ") + w.CurrentFile + QLatin1Char('?'),
                QStringLiteral("Save"), MsgIcon::Question, MsgButtons::YesNo);
            if (a == MsgAnswer::Yes) {
                ok = GridFile::save(*w.fa()->gridModel(), w.CurrentFile, GridFile::Native, true,
                                    &error);
            } else {
                // Save As reports its own failure and settles the flag.
                return mnuSaveAsCVT_Click();
            }
        } else {
            ok =
                GridFile::save(*w.fa()->gridModel(), w.CurrentFile, GridFile::Native, true, &error);
        }
    } else {
        ok = GridFile::save(*w.fa()->gridModel(), w.CurrentFile, delimitedKind(w.FileKind).what,
                            true, &error);
    }
    if (!ok) {
        showCannotSave(error);
        return false;
    }
    if (w.FileKind != MainWindow::KindNative) {
        w.platform().messageBox(
            QStringLiteral("Use 'Save As...' Corvanta(*.cvt) from the 'File' menu if you want to "
                           "save data as a RichText Corvanta file format."),
            QString(), MsgIcon::Information, MsgButtons::Ok);
    }
    w.MakeModified(false);
    return true;
}

bool FileCommands::mnuSaveAsCVT_Click()
{
    const QString path = askSavePath(QStringLiteral("Corvanta Files (*.cvt)|*.cvt"));
    if (path.isEmpty())
        return false;
    QString error;
    if (!GridFile::save(*w.fa()->gridModel(), path, GridFile::Native, true, &error)) {
        // Reported, and the document keeps its name, caption and flag.
        showCannotSave(error);
        return false;
    }
    w.setCaption(kCaptionSaved + path);
    w.MakeModified(false);
    w.CurrentFile = path;
    w.StartupFile = path;
    w.FileKind = MainWindow::KindNative;
    return true;
}

void FileCommands::mnuSaveAsComma_Click()
{
    saveAsDelimited(MainWindow::KindComma);
}

void FileCommands::mnuSaveAsTab_Click()
{
    saveAsDelimited(MainWindow::KindTab);
}

void FileCommands::saveAsDelimited(int fileKind)
{
    const DelimitedKind& k = delimitedKind(fileKind);
    const QString path = askSavePath(QString::fromLatin1(k.saveFilter));
    if (path.isEmpty())
        return;
    QString error;
    if (!GridFile::save(*w.fa()->gridModel(), path, k.what, true, &error)) {
        showCannotSave(error);
        return;
    }
    // The export is not the document: CurrentFile and FileKind stay.
    w.setCaption(kCaptionSaved + path);
    w.MakeModified(false);
}

} // namespace corvanta
