#include "files/recentfiles.h"

#include <algorithm>

namespace corvanta {

namespace {

struct KindName
{
    Document::Kind kind;
    bool titles;
    const char* name;
};
constexpr KindName kKinds[] = {
    {Document::KindNative, true, "cvt"},      {Document::KindComma, true, "csv"},
    {Document::KindComma, false, "csv-data"}, {Document::KindTab, true, "txt"},
    {Document::KindTab, false, "txt-data"},
};

} // namespace

RecentFiles::RecentFiles(Document& document, QObject* parent) : QObject(parent), m_doc(document)
{
    connect(&m_doc, &Document::loaded, this, &RecentFiles::noteDocument);
    // A save clears the flag; a Save As also names the new file.
    connect(&m_doc, &Document::modifiedChanged, this, [this](bool modified) {
        if (!modified)
            noteDocument();
    });
    connect(&m_doc, &Document::pathChanged, this, &RecentFiles::noteDocument);
}

void RecentFiles::noteDocument()
{
    // The untitled book is not a file the user chose, and a changed
    // document has not been saved to its name yet.
    if (m_doc.isUntitled() || m_doc.IsModified())
        return;
    const bool titles = m_doc.FileKind() == Document::KindNative || m_doc.titlesInFirstLine();
    add({m_doc.CurrentFile(), m_doc.FileKind(), titles});
}

void RecentFiles::add(const Entry& entry)
{
    if (entry.path.isEmpty())
        return;
    if (!m_entries.isEmpty() && m_entries.first() == entry)
        return;
    m_entries.removeIf([&entry](const Entry& e) { return e.path == entry.path; });
    m_entries.prepend(entry);
    while (m_entries.size() > Max)
        m_entries.removeLast();
    emit changed();
}

void RecentFiles::remove(const QString& path)
{
    if (m_entries.removeIf([&path](const Entry& e) { return e.path == path; }) > 0)
        emit changed();
}

QString RecentFiles::toText(const Entry& entry)
{
    // A native file has no first line to read either way.
    const bool titles = entry.kind == Document::KindNative || entry.titlesInFirstLine;
    for (const KindName& k : kKinds)
        if (k.kind == entry.kind && k.titles == titles)
            return QString::fromLatin1(k.name) + QLatin1Char('|') + entry.path;
    return QString();
}

std::optional<RecentFiles::Entry> RecentFiles::fromText(const QString& text)
{
    const int bar = text.indexOf(QLatin1Char('|'));
    if (bar <= 0 || bar == text.size() - 1)
        return std::nullopt;
    const QString name = text.left(bar);
    for (const KindName& k : kKinds)
        if (name == QLatin1String(k.name))
            return Entry{text.mid(bar + 1), k.kind, k.titles};
    return std::nullopt;
}

QStringList RecentFiles::toTexts() const
{
    QStringList out;
    for (const Entry& e : m_entries)
        out << toText(e);
    return out;
}

void RecentFiles::setTexts(const QStringList& texts)
{
    m_entries.clear();
    for (const QString& t : texts) {
        const std::optional<Entry> e = fromText(t);
        if (e && m_entries.size() < Max &&
            std::none_of(m_entries.begin(), m_entries.end(),
                         [&e](const Entry& x) { return x.path == e->path; }))
            m_entries << *e;
    }
    emit changed();
}

} // namespace corvanta
