#pragma once

#include <QObject>
#include <QString>

namespace corvanta {

class CommandSet;
class FileCommands;
struct FileStatus;
class GridWidget;
class Platform;
struct CommonDialog;

// File > Append: the records of another file go below the document's
// table. The document stays the same file, keeps its formatting and
// becomes modified; the whole append is one step of the undo history.
// Native files and comma- or TAB-delimited text (first line the titles)
// are accepted.
class FileAppend : public QObject
{
    Q_OBJECT
  public:
    // `fa` holds the document; files are read into the scratch grid `fc`
    // through `files`' reader.
    FileAppend(FileCommands& files, GridWidget* fa, GridWidget* fc, Platform& platform,
               CommonDialog& dialog, QObject* parent = nullptr);

    void install(CommandSet& commands);

    void mnuAppend_Click();
    // Appends `path` as mnuAppend_Click does once the dialog chose it.
    void appendFile(const QString& path);

  signals:
    // Rows, columns or titles changed and the records are selected;
    // `selection` is the status bar's selection text.
    void appended(const QString& selection);

  private:
    void showCannotOpen(const QString& path, const FileStatus& status);

    FileCommands& m_files;
    GridWidget* m_fa;
    GridWidget* m_fc;
    Platform& m_platform;
    CommonDialog& m_dialog;
};

} // namespace corvanta
