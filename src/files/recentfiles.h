#pragma once

#include "files/document.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvanta {

// The documents opened or saved most recently, newest first, with how each
// was read so that reopening one reads it the same way again.
class RecentFiles : public QObject
{
    Q_OBJECT
  public:
    static constexpr int Max = 8;

    struct Entry
    {
        QString path;
        Document::Kind kind = Document::KindNative;
        bool titlesInFirstLine = true;
        bool operator==(const Entry&) const = default;
    };

    // Follows `document`: every file it is loaded from or saved to goes to
    // the top of the list.
    explicit RecentFiles(Document& document, QObject* parent = nullptr);

    const QList<Entry>& entries() const { return m_entries; }
    // The list as stored, one text an entry; unreadable texts are skipped.
    QStringList toTexts() const;
    void setTexts(const QStringList& texts);

    void add(const Entry& entry);
    void remove(const QString& path);

    // "csv-data|/home/ann/book.csv"
    static QString toText(const Entry& entry);
    static std::optional<Entry> fromText(const QString& text);

  signals:
    void changed();

  private:
    void noteDocument();

    Document& m_doc;
    QList<Entry> m_entries;
};

} // namespace corvanta
