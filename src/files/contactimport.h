#pragma once

#include <QObject>
#include <QString>

namespace corvanta {

class CommandSet;
class Document;
class FileCommands;
class GridWidget;
class Platform;
struct CommonDialog;

// File > Import Contacts...: comma text exported by webmail or a mail
// program becomes an address book in one step, laid out as an opened vCard
// (ContactCsv). The file is only read: the result is a new untitled
// document, so no Save can write over the export, and the import is one
// step of the history, whose undo leaves the empty untitled table.
class ContactImport : public QObject
{
    Q_OBJECT
  public:
    // Files are read into the scratch grid `fc` through `files`' reader;
    // the address book they make replaces the table of `fa`.
    ContactImport(FileCommands& files, Document& document, GridWidget* fa, GridWidget* fc,
                  Platform& platform, CommonDialog& dialog, QObject* parent = nullptr);

    void install(CommandSet& commands);

    void mnuImportContacts_Click();
    // Imports `path` as the command does once the dialog chose it; false
    // when the document stayed as it was.
    bool importFile(const QString& path);

  signals:
    // The document is the imported table, its first record current.
    void imported();

  private:
    FileCommands& m_files;
    Document& m_doc;
    GridWidget* m_fa;
    GridWidget* m_fc;
    Platform& m_platform;
    CommonDialog& m_dialog;
};

} // namespace corvanta
