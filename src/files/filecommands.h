#pragma once

#include <QObject>
#include <QString>

namespace corvanta {

class MainWindow;

// The File menu around the document: New, Open, Save and Save As of native
// and delimited files, and the bookkeeping after a load.
class FileCommands : public QObject
{
    Q_OBJECT
  public:
    explicit FileCommands(MainWindow& window);

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

    void NewUntitledTable();
    void FinishLoad();
    void RefreshDocumentView();
    // Opens the start-up file at program start; false leaves the untitled table.
    bool openStartupFile();

    // Open dialogs count as cancelled when they leave no name or only a pattern.
    static bool isOpenCancelled(const QString& fileName);

  private:
    void openDelimited(int kind, int index);
    void saveAsDelimited(int kind);
    // The chosen path, or "" when the dialog counts as cancelled.
    QString askOpenPath(const QString& defaultExt, const QString& filter);
    QString askSavePath(const QString& filter);
    void keepTitleRow();
    void showCannotSave(const QString& reason);
    void showCannotOpen(const QString& path, const QString& reason);

    MainWindow& w;
};

} // namespace corvanta
