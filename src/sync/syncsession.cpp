#include "sync/syncsession.h"

#include "grid/tablemodel.h"
#include "sync/syncstate.h"
#include "table/edithistory.h"

#include <QUuid>

#include <memory>

namespace corvanta::Sync {

namespace {

QString dav(const char* name)
{
    return QStringLiteral("DAV: ") + QLatin1String(name);
}

QString card(const char* name)
{
    return QStringLiteral("urn:ietf:params:xml:ns:carddav ") + QLatin1String(name);
}
constexpr int kParallel = 4;
constexpr int kBatch = 500; // cards asked for in one addressbook-multiget

const QByteArray kDiscover = R"(<?xml version="1.0" encoding="utf-8"?>
<d:propfind xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:carddav">
<d:prop><d:resourcetype/><d:current-user-principal/><c:addressbook-home-set/>
<d:supported-report-set/></d:prop></d:propfind>)";

const QByteArray kEtags = R"(<?xml version="1.0" encoding="utf-8"?>
<d:propfind xmlns:d="DAV:"><d:prop><d:getetag/><d:resourcetype/></d:prop></d:propfind>)";

// With `cards`, the listing brings the cards themselves: every request
// costs the server a pass over the whole collection, so a listing that
// names only changed (or only wanted) cards saves the multigets after it.
QByteArray syncReport(const QString& token, bool cards)
{
    return R"(<?xml version="1.0" encoding="utf-8"?>
<d:sync-collection xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:carddav"><d:sync-token>)" +
           token.toHtmlEscaped().toUtf8() +
           R"(</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/>)" +
           (cards ? "<c:address-data/>" : "") + "</d:prop></d:sync-collection>";
}

QByteArray multiget(const QStringList& hrefs)
{
    QByteArray body = R"(<?xml version="1.0" encoding="utf-8"?>
<c:addressbook-multiget xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:carddav">
<d:prop><d:getetag/><c:address-data/></d:prop>)";
    for (const QString& h : hrefs)
        body += "<d:href>" + h.toHtmlEscaped().toUtf8() + "</d:href>";
    return body + "</c:addressbook-multiget>";
}

DavClient::Request xmlRequest(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                              const QByteArray& depth)
{
    return {
        verb, url, body, {{"Content-Type", "application/xml; charset=utf-8"}, {"Depth", depth}}};
}

bool isCollection(const DavResponse& r)
{
    return r.props.value(dav("resourcetype")).elements.contains(dav("collection"));
}

// Why a request failed, as the user reads it; empty when it did not.
QString faultOf(const DavClient::Reply& r, const QUrl& url)
{
    if (r.cancelled)
        return QStringLiteral("The sync was cancelled.");
    if (r.networkFailed)
        return QStringLiteral("The connection to %1 failed: %2.").arg(url.host(), r.errorText);
    if (r.status == 401 || r.status == 403)
        return QStringLiteral("The server did not accept the user name and password.");
    if (r.status >= 500)
        return QStringLiteral("The server reported an error (%1).").arg(r.status);
    if (r.status < 200 || r.status >= 300)
        return QStringLiteral("The server refused the request (%1).").arg(r.status);
    return {};
}

QString unreadable(const QString& error)
{
    return QStringLiteral("The server's answer could not be read (%1).").arg(error);
}

// PROPFIND, following redirects (the well-known address) by hand.
QString propfind(DavClient& client, QUrl url, const QByteArray& body, const QByteArray& depth,
                 Multistatus& out)
{
    for (int hops = 0; hops < 5; ++hops) {
        const DavClient::Reply r = client.send(xmlRequest("PROPFIND", url, body, depth));
        if (r.status >= 300 && r.status < 400 && r.location.isValid()) {
            url = r.location;
            continue;
        }
        if (QString f = faultOf(r, url); !f.isEmpty())
            return f;
        out = parseMultistatus(r.body);
        return out.error.isEmpty() ? QString() : unreadable(out.error);
    }
    return QStringLiteral("The server sent the request round in circles.");
}

bool isAddressBook(const DavResponse& r)
{
    return r.props.value(dav("resourcetype")).elements.contains(card("addressbook"));
}

// Finds the address book at `collection` or below it (its principal, its
// home set, the well-known address of the server's root). A fault's text,
// or empty with `collection` set to it.
QString discover(DavClient& client, QUrl& collection, bool& syncable)
{
    Multistatus ms;
    const QUrl given = collection;
    QString fault = propfind(client, collection, kDiscover, "0", ms);
    if (!fault.isEmpty() && collection.path() == u"/")
        fault = propfind(client, collection.resolved(QUrl(QStringLiteral("/.well-known/carddav"))),
                         kDiscover, "0", ms);
    if (!fault.isEmpty())
        return fault;
    DavResponse here = ms.responses.value(0);
    for (int step = 0; step < 3 && !isAddressBook(here); ++step) {
        const QStringList home = here.props.value(card("addressbook-home-set")).hrefs;
        const QStringList principal = here.props.value(dav("current-user-principal")).hrefs;
        if (!home.isEmpty()) {
            const QUrl homeUrl = collection.resolved(QUrl(home.first()));
            if (QString f = propfind(client, homeUrl, kDiscover, "1", ms); !f.isEmpty())
                return f;
            // The first address book of the home set.
            here = {};
            for (const DavResponse& r : ms.responses)
                if (isAddressBook(r)) {
                    here = r;
                    collection = homeUrl.resolved(QUrl(r.href));
                    break;
                }
            break;
        }
        if (principal.isEmpty())
            break;
        collection = collection.resolved(QUrl(principal.first()));
        if (QString f = propfind(client, collection, kDiscover, "0", ms); !f.isEmpty())
            return f;
        here = ms.responses.value(0);
    }
    if (!isAddressBook(here))
        return QStringLiteral("No address book was found at %1.").arg(given.toDisplayString());
    syncable =
        here.props.value(dav("supported-report-set")).elements.contains(dav("sync-collection"));
    return {};
}

// Writes the plan's records into the model, as one step of the history
// when there is one: the document's table exchanged for the synced one,
// so that undo gives back records, links and token together.
void writeInto(TableModel* model, EditHistory* history, const ColumnRoles& roles, Plan& p)
{
    const Table& doc = model->table();
    const int oldCols = doc.colCount();
    const int oldRows = p.documentRows;
    const bool anyRowChanged =
        std::find(p.changed.begin(), p.changed.end(), true) != p.changed.end();
    const bool anything = anyRowChanged || !p.removed.empty() || p.table.rowCount() > oldRows ||
                          p.table.colCount() != oldCols ||
                          doc.column(p.linkCol).format != p.table.column(p.linkCol).format;
    if (!anything)
        return;
    if (!p.removed.empty())
        p.table.takeRowsAt(p.removed);
    if (history)
        history->replaceTable(std::move(p.table), roles, roles, QStringLiteral("Sync"));
    else
        model->replaceTable(std::move(p.table));
}

} // namespace

Session::Session(TableModel* model, EditHistory* history, const ColumnRoles& roles, QObject* parent)
    : QObject(parent), m_model(model), m_history(history), m_roles(roles)
{
}

void Session::cancel()
{
    m_cancelled = true;
    if (m_client)
        m_client->abort();
}

Session::Result Session::run(const Options& o)
{
    Result res;
    DavClient client;
    m_client = &client;
    m_cancelled = false;
    struct Reset
    {
        DavClient*& c;
        ~Reset() { c = nullptr; }
    } reset{m_client};
    client.setCredentials(o.user, o.password);
    client.setTrusted(o.trusted);
    emit progress(0, 0);

    auto fail = [&](const QString& message) {
        res.message = message;
        return res;
    };
    // --- the collection: the address given, or found below it ---
    QUrl collection = o.url;
    if (!collection.path().endsWith(u'/'))
        collection.setPath(collection.path() + u'/');
    const Table& doc = m_model->table();
    const CollectionState state = stateOf(doc);
    bool syncable = false;
    QString fault;
    Multistatus ms;
    if (o.useSyncToken && !state.token.isEmpty() && state.url == collection.toString()) {
        // Synced here before with a token: the server said all it needs to.
        syncable = true;
    } else {
        fault = discover(client, collection, syncable);
        if (!fault.isEmpty())
            return fail(fault);
        syncable = syncable && o.useSyncToken;
    }
    const QString collectionUrl = collection.toString();

    if (!state.url.isEmpty() && state.url != collectionUrl)
        return fail(QStringLiteral("These records are linked to the address book at %1; sync "
                                   "with that one, or delete the hidden column \"%2\" to link "
                                   "them to another.")
                        .arg(state.url, kLinkTitle));

    // --- what changed there ---
    const QHash<QString, QString> known = knownEtags(doc);
    ServerChanges server;
    server.url = collectionUrl;
    QHash<QString, QString> changed; // href -> ETag
    bool complete = true;            // a full listing: what it lacks is gone
    QSet<QString> listed;
    const QString collectionPath = collection.path(QUrl::FullyEncoded);
    auto take = [&](const Multistatus& m) {
        for (const DavResponse& r : m.responses) {
            if (r.href == collectionPath || isCollection(r) || r.href.isEmpty())
                continue;
            if (r.status == 404) {
                server.gone.insert(r.href);
                continue;
            }
            const DavProp etag = r.props.value(dav("getetag"));
            if (etag.status == 404)
                continue;
            if (!known.contains(r.href) || known.value(r.href) != etag.text) {
                // A card the listing brought needs no multiget; a server that
                // lists without cards is asked for them after.
                const DavProp data = r.props.value(card("address-data"));
                if (data.status == 200 && !data.text.isEmpty())
                    server.cards.push_back({r.href, etag.text, data.text.toUtf8()});
                else
                    changed.insert(r.href, etag.text);
            }
            listed.insert(r.href);
        }
    };
    if (syncable) {
        // Cards come with the listing when it names only what is wanted:
        // what changed since the token, or everything for a document that
        // knows no card yet.
        DavClient::Reply r = client.send(
            xmlRequest("REPORT", collection,
                       syncReport(state.token, !state.token.isEmpty() || known.isEmpty()), "0"));
        if (!state.token.isEmpty() && (r.status == 403 || r.status == 409 || r.status == 400)) {
            // The token is too old for the server: start from every card.
            r = client.send(xmlRequest("REPORT", collection, syncReport({}, known.isEmpty()), "0"));
        } else {
            complete = state.token.isEmpty();
        }
        if (QString f = faultOf(r, collection); !f.isEmpty())
            return fail(f);
        ms = parseMultistatus(r.body);
        if (!ms.error.isEmpty())
            return fail(unreadable(ms.error));
        server.token = ms.syncToken;
    } else {
        if (QString f = propfind(client, collection, kEtags, "1", ms); !f.isEmpty())
            return fail(f);
    }
    take(ms);
    if (complete) {
        // Everything listed is there; everything known and not listed is gone.
        for (auto it = known.cbegin(); it != known.cend(); ++it)
            if (!listed.contains(it.key()))
                server.gone.insert(it.key());
    } else if (server.cards.empty() && changed.isEmpty() && server.gone.isEmpty()) {
        // Nothing new since the token, or only the cards this document sent
        // last time, known by their ETags: the old token lists those few
        // again next time, and a sync that changes nothing is no step in
        // the document's history.
        server.token = state.token;
    }

    // --- the changed cards ---
    QStringList wanted = changed.keys();
    wanted.sort();
    int total = int(wanted.size());
    int done = 0;
    emit progress(done, total);
    std::vector<DavClient::Request> gets;
    for (qsizetype i = 0; i < wanted.size(); i += kBatch)
        gets.push_back(xmlRequest("REPORT", collection, multiget(wanted.mid(i, kBatch)), "1"));
    client.sendAll(gets, 2, [&](size_t, const DavClient::Reply& r) {
        if (fault.isEmpty())
            fault = faultOf(r, collection);
        if (!fault.isEmpty())
            return false;
        const Multistatus m = parseMultistatus(r.body);
        if (!m.error.isEmpty()) {
            fault = unreadable(m.error);
            return false;
        }
        for (const DavResponse& resp : m.responses) {
            const DavProp data = resp.props.value(card("address-data"));
            if (resp.status == 404 || data.status == 404) {
                server.gone.insert(resp.href);
                continue;
            }
            server.cards.push_back(
                {resp.href, resp.props.value(dav("getetag")).text, data.text.toUtf8()});
        }
        done += kBatch;
        emit progress(std::min(done, total), total);
        return true;
    });
    if (m_cancelled)
        return fail(QStringLiteral("The sync was cancelled; nothing was changed."));
    if (!fault.isEmpty())
        return fail(fault);

    // --- what to send ---
    Plan p = plan(doc, m_roles, server, [&] {
        return collectionPath + QUuid::createUuid().toString(QUuid::WithoutBraces) +
               QStringLiteral(".vcf");
    });
    std::vector<UploadResult> results(p.uploads.size());
    std::vector<DavClient::Request> sends;
    for (const Upload& u : p.uploads) {
        DavClient::Request r{u.kind == Upload::Put ? "PUT" : "DELETE",
                             collection.resolved(QUrl(u.href)),
                             u.vcard,
                             {}};
        if (u.kind == Upload::Put)
            r.headers.append({QByteArray("Content-Type"), QByteArray("text/vcard; charset=utf-8")});
        if (u.etag.isEmpty())
            r.headers.append({QByteArray("If-None-Match"), QByteArray("*")});
        else
            r.headers.append({QByteArray("If-Match"), u.etag.toUtf8()});
        sends.push_back(std::move(r));
    }
    total = int(sends.size());
    done = 0;
    emit progress(0, total);
    int refused = 0;
    QString sendFault;
    client.sendAll(sends, kParallel, [&](size_t i, const DavClient::Reply& r) {
        emit progress(++done, total);
        const bool isDelete = p.uploads[i].kind == Upload::Delete;
        if (r.status == 412) {
            ++refused; // changed there meanwhile: the next sync compares again
            return true;
        }
        if (isDelete && r.status == 404) {
            results[i].confirmed = true;
            return true;
        }
        if (QString f = faultOf(r, collection); !f.isEmpty()) {
            if (sendFault.isEmpty())
                sendFault = f;
            // A refusal of one card leaves the others to go; a fault of the
            // connection, the password or the server ends the sync.
            return r.status >= 400 && r.status < 500 && r.status != 401 && r.status != 403;
        }
        results[i] = {true, QString::fromUtf8(r.etag)};
        return true;
    });
    // A card sent without an ETag in the answer (the server changed it as
    // it stored it) looks changed there at the next sync.
    bool etagMissing = false;
    for (size_t i = 0; i < p.uploads.size(); ++i)
        etagMissing = etagMissing || (results[i].confirmed && p.uploads[i].kind == Upload::Put &&
                                      results[i].etag.isEmpty());
    if (syncable && etagMissing && !server.token.isEmpty() && sendFault.isEmpty() && !m_cancelled &&
        refused == 0) {
        // The token taken before sending reports this sync's own cards as
        // changed the next time; those sent with an ETag are then known and
        // not fetched, the others would be. When nothing but our cards
        // changed since, the newer token is as good, and the next sync has
        // nothing to fetch. Asked only then: the server pays a pass over the
        // whole collection for every listing.
        QHash<QString, QString> ours; // href -> ETag; empty for a delete
        for (size_t i = 0; i < p.uploads.size(); ++i)
            if (results[i].confirmed)
                ours.insert(p.uploads[i].href, results[i].etag);
        const DavClient::Reply r =
            client.send(xmlRequest("REPORT", collection, syncReport(server.token, false), "0"));
        const Multistatus m = parseMultistatus(r.body);
        bool onlyOurs =
            faultOf(r, collection).isEmpty() && m.error.isEmpty() && !m.syncToken.isEmpty();
        for (const DavResponse& resp : m.responses) {
            if (resp.href == collectionPath || isCollection(resp))
                continue;
            const auto own = ours.constFind(resp.href);
            const QString etag =
                resp.status == 404 ? QString() : resp.props.value(dav("getetag")).text;
            if (own == ours.cend() || *own != etag || (*own).isEmpty() != (resp.status == 404))
                onlyOurs = false;
        }
        if (onlyOurs)
            p.state.token = m.syncToken;
    }
    Sync::apply(p, results);

    // --- the document, in one step of its history ---
    res.conflicts = p.conflicts;
    res.received = p.fromServer;
    res.removed = p.removedHere;
    for (const UploadResult& r : results)
        res.sent += r.confirmed ? 1 : 0;
    writeInto(m_model, m_history, m_roles, p);

    QStringList notes;
    notes << QStringLiteral("Synced: %1 from the server, %2 sent to it, %3 deleted here.")
                 .arg(res.received)
                 .arg(res.sent)
                 .arg(res.removed);
    if (p.conflicts > 0)
        notes << QStringLiteral("%1 records were changed here and on the server: the server's "
                                "versions were added, marked in the column \"%2\".")
                     .arg(p.conflicts)
                     .arg(kConflictTitle);
    if (refused > 0)
        notes << QStringLiteral("%1 cards changed on the server meanwhile; sync again to "
                                "compare them.")
                     .arg(refused);
    if (m_cancelled)
        sendFault = QStringLiteral("The sync was cancelled.");
    if (!sendFault.isEmpty())
        notes.prepend(sendFault + QStringLiteral(" What the server did not confirm is sent "
                                                 "at the next sync."));
    res.ok = sendFault.isEmpty();
    res.message = notes.join(u' ');
    return res;
}

} // namespace corvanta::Sync
