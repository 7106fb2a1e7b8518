#include "files/document.h"

namespace corvanta {

Document::Document(const QString& programFolder, QObject* parent)
    : QObject(parent), m_programFolder(programFolder), m_currentFile(untitledPath()),
      m_openFolder(programFolder)
{
}

void Document::setCurrentFile(const QString& path)
{
    if (path == m_currentFile)
        return;
    m_currentFile = path;
    emit pathChanged(path);
}

void Document::MakeModified(bool bWhat)
{
    if (bWhat == m_modified)
        return;
    m_modified = bWhat;
    emit modifiedChanged(bWhat);
}

QString Document::untitledPath() const
{
    return m_programFolder + QStringLiteral("/Untitled.cvt");
}

bool Document::isUntitled() const
{
    return m_currentFile.compare(untitledPath(), Qt::CaseInsensitive) == 0;
}

void Document::resetToUntitled()
{
    setCurrentFile(untitledPath());
    m_fileKind = KindNative;
    m_titlesInFirstLine = true;
    m_encoding = TextEncoding::Utf8;
    MakeModified(false);
    m_roles = ColumnRoles();
    emit reset();
}

void Document::setLoaded(const QString& path, Kind kind, bool titlesInFirstLine)
{
    m_fileKind = kind;
    m_titlesInFirstLine = titlesInFirstLine;
    setCurrentFile(path);
    m_encoding = TextEncoding::Utf8;
    emit loaded();
}

QString Document::FolderOfPath(const QString& path)
{
    const int i = path.lastIndexOf(QLatin1Char('/'));
    if (i < 0)
        return QString();
    return path.left(i + 1);
}

} // namespace corvanta
