#pragma once

#include "grid/table.h"
#include "table/columnroles.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <vector>

namespace corvanta::Sync {

// The hidden column that ties each record to its card on the server: the
// card's address, its ETag and the hash of the record as last synced, a
// TAB between them. Its column format holds the collection's state.
inline const QString kLinkTitle = QStringLiteral("CardDAV");
// The column that marks the server's copy of a card changed on both sides.
inline const QString kConflictTitle = QStringLiteral("Sync Conflict");
inline const QString kConflictText = QStringLiteral("Server copy: changed here and on the server");

struct Link
{
    QString href;
    QString etag;
    QString hash; // empty: changed here since the last sync (or never sent)
    bool isEmpty() const { return href.isEmpty(); }
    QString text() const;
    static Link parse(const QString& cell);
};

// Where and at what point the document last met its address book: the
// collection, the sync token it gave (empty without one) and every card
// address then linked with its ETag, so a record deleted here since can
// be deleted there.
struct CollectionState
{
    QString url;
    QString token;
    QHash<QString, QString> known; // href -> ETag
    QString text() const;
    static CollectionState parse(const QString& text);
};

// Column of `title` in row 0, or -1.
int columnTitled(const Table& table, const QString& title);

// The hash that tells a record changed: its titles and texts, leaving out
// the link and conflict columns (and the hidden vCard column with
// `contentOnly`, for comparing a record with the server's copy).
QString rowHash(const Table& table, int row, bool contentOnly = false);

// One record as a vCard for the card at `href`, with a UID (the name of
// the address when it has none of its own).
QByteArray cardOf(const Table& table, int row, const ColumnRoles& roles, const QString& href);

// What the server holds that changed since the last sync.
struct ServerCard
{
    QString href;
    QString etag;
    QByteArray vcard;
};

// A request the plan makes of the server.
struct Upload
{
    enum Kind { Put, Delete };
    Kind kind = Put;
    QString href;
    QString etag;     // If-Match; empty: If-None-Match: * (a new card)
    QByteArray vcard; // Put only
    int row = -1;     // the record in Plan::table, Put only
};

// The outcome of one Upload as the server confirmed it.
struct UploadResult
{
    bool confirmed = false;
    QString etag; // of a confirmed Put, when the server said
};

// A sync's effect on the document, built before anything is sent: the
// records as they will be (`table`, the document's records then those
// added), which rows of the document go, and what to send. apply() then
// writes the server's answers into the links.
struct Plan
{
    Table table;               // row 0 titles; rows of the document first, in order
    int documentRows = 0;      // rows of `table` that were rows of the document
    std::vector<int> removed;  // document rows to remove, ascending
    std::vector<bool> changed; // per row of `table` below documentRows: cells changed
    std::vector<Upload> uploads;
    int linkCol = -1;
    int conflictCol = -1;
    int conflicts = 0;
    int fromServer = 0; // records added or changed from the server
    int removedHere = 0;
    CollectionState state; // as it will be once the uploads are answered
    std::vector<QString> pendingDeletes;
};

struct ServerChanges
{
    QString url;
    QString token;                 // the new one; empty when the server keeps none
    std::vector<ServerCard> cards; // new or changed since the last sync
    QSet<QString> gone;            // deleted since the last sync
};

// Plans a sync of `doc` with the changes the server reported. `newHref`
// makes the address of a new card.
Plan plan(const Table& doc, const ColumnRoles& roles, const ServerChanges& server,
          const std::function<QString()>& newHref);

// Writes the answers (one per Upload, in order; missing ones unconfirmed)
// into the plan's links and collection state.
void apply(Plan& plan, const std::vector<UploadResult>& results);

// The collection state kept in the document (empty when it was never synced).
CollectionState stateOf(const Table& doc);

// Hrefs the document knows with their ETags: the linked records' and the
// collection state's.
QHash<QString, QString> knownEtags(const Table& doc);

} // namespace corvanta::Sync
