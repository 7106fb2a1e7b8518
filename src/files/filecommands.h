#pragma once

#include "files/delimited.h"
#include "files/document.h"
#include "files/filestatus.h"
#include "files/recoverycopy.h"
#include "files/textencoding.h"

#include <QObject>
#include <QString>

#include <functional>

namespace corvanta {

class CommandSet;
class ContactImport;
class EditHistory;
class FileAppend;
class GridWidget;
class Platform;
class TableModel;
struct CommonDialog;
struct DelimitedKind;

// The File menu around the document: New, Open, Save and Save As of native
// and delimited files, and the bookkeeping after a load. It works on the
// document and the grids it is given, asks through the platform, and says
// through its signals what the window around it should refresh.
class FileCommands : public QObject
{
    Q_OBJECT
  public:
    // `fa` holds the document, `fb` is the form panel's grid and `fc` the
    // hidden scratch grid imports pass through. `dialog` is the file dialog
    // state shared by every command that shows one.
    FileCommands(Document& document, EditHistory& history, GridWidget* fa, GridWidget* fb,
                 GridWidget* fc, Platform& platform, CommonDialog& dialog,
                 QObject* parent = nullptr);

    // The document's history, which Append records its records in.
    EditHistory& history() const { return m_history; }

    // Wires the File menu's New, Open, Save and Save As entries.
    void install(CommandSet& commands);

    void mnuNew_Click();
    // Only item 0 (native) acts; items 1 and 2 are submenu parents.
    void mnuOpen_Click(int index);
    // index 0: first line holds the titles; 1: first line is a record.
    void mnuOpenCSV_Click(int index);
    void mnuOpenTAB_Click(int index);
    // True when the document was written.
    bool mnuSave_Click();
    // True when a file was written.
    bool mnuSaveAsCVT_Click();
    void mnuSaveAsComma_Click();
    void mnuSaveAsTab_Click();
    // vCard (*.vcf): opened as the document, saved as an export.
    void mnuOpenVcard_Click();
    void mnuSaveAsVcard_Click();

    // Asks to save when modified. Returns false when the user cancelled,
    // or answered Yes and the save did not happen. `title` is the
    // command's name.
    bool askSaveChanges(const QString& title,
                        const QString& message = QStringLiteral(
                            "Changes have been made. Do you want to save the changes?"));

    // Opens `path` as a document of `kind` without a file dialog, after the
    // save question. False when the file no longer exists (nothing else is
    // said to the user then); true otherwise, whether or not the user went
    // on and the file could be read.
    bool openFile(const QString& path, Document::Kind kind, bool titlesInFirstLine);

    void NewUntitledTable();
    void FinishLoad();
    void RefreshDocumentView();
    // Opens the document's start-up file at start; false leaves the
    // untitled table.
    bool openStartupFile();
    // Reads the native copy `found` names as the document it was taken of,
    // with its changes unsaved; Save then writes the document as it was
    // read (kind, encoding, delimiter). False (with the reason) leaves the
    // table as it was.
    FileStatus restoreCopy(const RecoveryCopy::Found& found);
    // Opens a file named on the command line, in the format its extension
    // names (a native file when it names none); false, after saying why,
    // leaves the table as it was.
    bool openNamedFile(const QString& path);

    // What reads a file into a grid's table (GridFile::load's signature).
    // Tests put in one that fails the way a real reader can, such as
    // running out of memory.
    using Loader = std::function<FileStatus(TableModel&, const QString&, FileFormat, bool,
                                            Delimited::ReadInfo*)>;
    void setLoader(Loader loader) { m_loader = std::move(loader); }

    // The encoding the delimited file just opened was read in: Save writes
    // the document back in it.
    void rememberEncoding(TextEncoding encoding);

    // Open dialogs count as cancelled when they leave no name or only a pattern.
    static bool isOpenCancelled(const QString& fileName);

    // Reads a file into a grid's table with the loader; running out of
    // memory fails the read like any other reason, and the table stays.
    FileStatus load(TableModel& model, const QString& path, FileFormat format,
                    Delimited::ReadInfo* info = nullptr);
    // Tells the user when bytes of a delimited file had to be replaced.
    void warnReplacedBytes(const QString& path, const Delimited::ReadInfo& info);
    // Tells the user how many cards of the vCard file the last load read
    // had to be closed without their END:VCARD.
    void warnRepairedCards(const QString& path, const QString& title);
    // The chosen path, or "" when the dialog counts as cancelled.
    QString askOpenPath(const QString& defaultExt, const QString& filter);
    // Says why `path` could not be read; the command's `title` heads it.
    void showCannotOpen(const QString& path, const FileStatus& status,
                        const QString& title = QStringLiteral("Open"));

  signals:
    // The window's title should read `caption`.
    void captionChanged(const QString& caption);
    // The table's row or column count may have changed.
    void countsChanged();
    // The current cell or record may have changed (the window's fa_Click).
    void currentCellChanged();
    // A load put the grid in row mode; the mode switch should show it.
    void rowModeEntered();
    // The status bar's selection text is now `text`.
    void selectionCounted(const QString& text);

  private:
    void openDelimited(Document::Kind kind, int index);
    void openNative(const QString& path);
    void openDelimitedPath(const DelimitedKind& kind, int index, const QString& path);
    // Reads `path` as the document, of `kind`, with its first line as the
    // titles; says why when it cannot, and leaves the table as it was.
    bool loadDocument(const QString& path, Document::Kind kind);
    void readDelimited(const DelimitedKind& kind, int index, const QString& path);
    void saveAsDelimited(Document::Kind kind);
    QString askSavePath(const QString& filter);
    void keepTitleRow();
    void showCannotSave(const FileStatus& status);
    // False when `encoding` is windows-1252, a cell holds a character it
    // lacks and the user declines UTF-8; otherwise `encoding` is what to
    // write.
    bool confirmEncoding(TextEncoding& encoding);

    Document& m_doc;
    EditHistory& m_history;
    GridWidget* m_fa;
    GridWidget* m_fb;
    GridWidget* m_fc;
    Platform& m_platform;
    CommonDialog& m_dialog;
    // Set while a load or New replaces the table: what they write is the
    // document as it stands on disk (or fresh), not a change to it.
    Loader m_loader;
    FileAppend* m_append;
    ContactImport* m_import;
    // Cards the last vCard read closed without their END:VCARD.
    int m_repairedCards = 0;
};

} // namespace corvanta
