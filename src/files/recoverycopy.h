#pragma once

#include "files/document.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

namespace corvanta {

class TableModel;

// A copy of the unsaved document, kept in the user's state folder while the
// document has changes, so that a crash or a killed session costs at most a
// couple of minutes of typing. The copy is native whatever the document's
// own format, and says which document it belongs to in a small file beside
// it. It goes away as soon as the changes are saved or discarded; only an
// end that never reached those points leaves it behind.
class RecoveryCopy : public QObject
{
    Q_OBJECT
  public:
    // Two minutes after the first unsaved change, then every two minutes
    // while changes continue.
    static constexpr int DefaultIntervalMs = 2 * 60 * 1000;

    // One copy found at start, and how its document was read, so that
    // Save after restoring it writes the file as it was.
    struct Found
    {
        QString copyPath;     // the native copy
        QString documentPath; // the document it was taken of
        Document::Kind kind = Document::KindNative;
        TextEncoding encoding = TextEncoding::Utf8;
        char delimiter = ',';
        bool titlesInFirstLine = true;
        QDateTime written;
    };

    // `folder` holds the copies (created when the first one is written).
    RecoveryCopy(Document& document, const TableModel& model, const QString& folder,
                 QObject* parent = nullptr);
    ~RecoveryCopy() override;

    // The user's state folder for copies.
    static QString defaultFolder();
    // Copies that are newer than their documents (or whose document is gone),
    // newest first. Copies that are not newer are stale: they are removed.
    // A note that is no small regular file (a FIFO, a link to a device) is
    // not read; its copy is skipped with a line in the log.
    static QList<Found> findNewer(const QString& folder);
    // Removes a found copy and its note.
    static void remove(const Found& found);

    void setInterval(int ms);
    // Writes the copy now; false when it could not be written.
    bool writeNow();
    // Removes this document's copy, if one was written.
    void discard();
    QString copyPath() const { return m_copyPath; }

  signals:
    // A copy could not be written; `reason` names the system's cause.
    void writeFailed(const QString& reason);

  private:
    void onTableChanged();
    void onModifiedChanged(bool modified);
    static QString copyNameFor(const QString& documentPath);

    Document& m_doc;
    const TableModel& m_model;
    QString m_folder;
    QString m_copyPath; // "" while no copy of this document exists
    QTimer m_timer;
};

} // namespace corvanta
