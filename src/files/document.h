#pragma once

#include "files/fileformat.h"
#include "files/textencoding.h"
#include "table/columnroles.h"

#include <QObject>
#include <QString>

namespace corvanta {

// The open address book as a document: where it lives, in which format, the
// folder the file dialogs start in, and whether it has unsaved changes.
// Only MakeModified changes the flag, and it says so, so whatever follows
// the flag (the Save command) never falls out of step with it.
class Document : public QObject
{
    Q_OBJECT
  public:
    // File kinds that Save writes: the file formats, by their numbers.
    using Kind = FileFormat;
    static constexpr Kind KindNative = FileFormat::Native;
    static constexpr Kind KindComma = FileFormat::Comma;
    static constexpr Kind KindTab = FileFormat::Tab;
    static constexpr Kind KindVcard = FileFormat::Vcard;

    // `programFolder` holds the untitled document and is where the file
    // dialogs start; no trailing separator.
    explicit Document(const QString& programFolder, QObject* parent = nullptr);

    QString CurrentFile() const { return m_currentFile; }
    void setCurrentFile(const QString& path);
    Kind FileKind() const { return m_fileKind; }
    void setFileKind(Kind kind) { m_fileKind = kind; }
    // The native file opened at the next start.
    QString StartupFile() const { return m_startupFile; }
    void setStartupFile(const QString& path) { m_startupFile = path; }
    QString OpenFolder() const { return m_openFolder; }
    void setOpenFolder(const QString& folder) { m_openFolder = folder; }
    ColumnRoles roles() const { return m_roles; }
    void setRoles(const ColumnRoles& roles) { m_roles = roles; }
    // The encoding a delimited document was read in, and that Save writes
    // it back in. UTF-8 for anything else.
    TextEncoding textEncoding() const { return m_encoding; }
    void setTextEncoding(TextEncoding encoding) { m_encoding = encoding; }
    // The delimiter a "Comma Delimited" document was read with (a semicolon
    // file stays one); a comma for anything else.
    char textDelimiter() const { return m_delimiter; }
    void setTextDelimiter(char delimiter) { m_delimiter = delimiter; }

    bool IsModified() const { return m_modified; }
    void MakeModified(bool bWhat);

    QString untitledPath() const;
    bool isUntitled() const;

    // The document becomes the untitled native table with the default roles.
    void resetToUntitled();
    // A file was read into the table and is now the document; its encoding
    // is UTF-8 until the caller says otherwise. `titlesInFirstLine` tells
    // how a delimited file was read.
    void setLoaded(const QString& path, Kind kind, bool titlesInFirstLine = true);
    bool titlesInFirstLine() const { return m_titlesInFirstLine; }

    // "/data/a.cvt" -> "/data/"; "" when there is no separator.
    static QString FolderOfPath(const QString& path);

  signals:
    void modifiedChanged(bool modified);
    void pathChanged(const QString& path);
    void loaded();
    void reset();

  private:
    QString m_programFolder;
    QString m_currentFile;
    Kind m_fileKind = KindNative;
    QString m_startupFile;
    QString m_openFolder;
    ColumnRoles m_roles;
    TextEncoding m_encoding = TextEncoding::Utf8;
    char m_delimiter = ',';
    bool m_modified = false;
    bool m_titlesInFirstLine = true;
};

} // namespace corvanta
