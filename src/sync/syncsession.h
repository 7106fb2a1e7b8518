#pragma once

#include "sync/carddav.h"
#include "table/columnroles.h"

#include <QObject>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

namespace corvanta {

class EditHistory;
class TableModel;

namespace Sync {

// One two-way sync of the document's records with a CardDAV address book:
// finds the collection, asks what changed there (sync-collection with the
// kept token, or every ETag when the server keeps no tokens), fetches the
// changed cards, sends what changed here, and writes the result into the
// model as one step of its history.
class Session : public QObject
{
    Q_OBJECT
  public:
    struct Options
    {
        QUrl url;
        QString user;
        QString password;
        QList<QSslCertificate> trusted; // none: the system's
        bool useSyncToken = true;       // false: compare every ETag
    };
    struct Result
    {
        bool ok = false;
        QString message;
        int received = 0; // records added or changed from the server
        int sent = 0;     // cards sent or deleted there
        int removed = 0;  // records deleted here
        int conflicts = 0;
    };

    // What the sync changes in `model` becomes one step of `history`; with
    // no history (the converter) it is simply made.
    Session(TableModel* model, EditHistory* history, const ColumnRoles& roles,
            QObject* parent = nullptr);

    Result run(const Options& options);
    void cancel();

  signals:
    // done of total steps; total 0 while it is not known yet.
    void progress(int done, int total);

  private:
    TableModel* m_model;
    EditHistory* m_history;
    ColumnRoles m_roles;
    DavClient* m_client = nullptr;
    bool m_cancelled = false;
};

} // namespace Sync
} // namespace corvanta
