#include "sync/syncstate.h"

#include "files/vcard.h"

#include <QCryptographicHash>

#include <algorithm>

namespace corvanta::Sync {

namespace {

const QString kVcardTitle = QStringLiteral("vCard");

bool hasContent(const Table& t, int row, int linkCol, int conflictCol)
{
    for (int c = 0; c < t.usedCols(row); ++c)
        if (c != linkCol && c != conflictCol && !t.isEmpty(row, c))
            return true;
    return false;
}

void copyRow(const Table& from, int fromRow, Table& to, int toRow)
{
    std::vector<QByteArrayView> cells;
    const int n = std::min(from.usedCols(fromRow), to.colCount());
    for (int c = 0; c < n; ++c)
        cells.push_back(from.utf8(fromRow, c));
    to.setValidRowUtf8(toRow, cells.data(), n);
}

// The cards as records, in the server's order; `rowOf[i]` is the record of
// card i, or -1 for a card that makes none (only a photo, say).
Table decodeCards(const std::vector<ServerCard>& cards, std::vector<int>& rowOf)
{
    rowOf.assign(cards.size(), -1);
    Table t;
    if (cards.empty())
        return t;
    auto joined = [&](auto keep) {
        QByteArray all;
        for (size_t i = 0; i < cards.size(); ++i) {
            if (!keep(i))
                continue;
            all += cards[i].vcard;
            if (!all.endsWith('\n'))
                all += "\r\n";
        }
        return all;
    };
    if (Vcard::decode(joined([](size_t) { return true; }), t) &&
        t.rowCount() - 1 == int(cards.size())) {
        for (size_t i = 0; i < cards.size(); ++i)
            rowOf[i] = int(i) + 1;
        return t;
    }
    // Some card made no record, or more than one: only those making one
    // are taken, so every record stays with its own card.
    std::vector<bool> one(cards.size());
    for (size_t i = 0; i < cards.size(); ++i) {
        Table single;
        one[i] = Vcard::decode(cards[i].vcard, single) && single.rowCount() == 2;
    }
    t = Table();
    if (!Vcard::decode(joined([&](size_t i) { return bool(one[i]); }), t))
        return Table();
    int row = 1;
    for (size_t i = 0; i < cards.size(); ++i)
        if (one[i])
            rowOf[i] = row++;
    return t;
}

} // namespace

QString Link::text() const
{
    if (href.isEmpty())
        return {};
    return href + u'\t' + etag + u'\t' + hash;
}

Link Link::parse(const QString& cell)
{
    const QStringList parts = cell.split(u'\t');
    Link l;
    l.href = parts.value(0).trimmed();
    l.etag = parts.value(1);
    l.hash = parts.value(2);
    return l;
}

QString CollectionState::text() const
{
    if (url.isEmpty())
        return {};
    QString out = url + u'\n' + token + u'\n';
    QStringList hrefs = known.keys();
    hrefs.sort(); // one text for one state, whatever the hash order
    for (const QString& h : hrefs)
        out += h + u'\t' + known.value(h) + u'\n';
    return out;
}

CollectionState CollectionState::parse(const QString& text)
{
    CollectionState s;
    const QStringList lines = text.split(u'\n');
    if (lines.size() < 2)
        return s;
    s.url = lines[0];
    s.token = lines[1];
    for (int i = 2; i < lines.size(); ++i) {
        const qsizetype tab = lines[i].indexOf(u'\t');
        if (tab > 0)
            s.known.insert(lines[i].left(tab), lines[i].mid(tab + 1));
    }
    return s;
}

int columnTitled(const Table& table, const QString& title)
{
    for (int c = 0; c < table.colCount(); ++c)
        if (table.text(0, c) == title)
            return c;
    return -1;
}

QString rowHash(const Table& table, int row, bool contentOnly)
{
    QCryptographicHash h(QCryptographicHash::Sha1);
    for (int c = 0; c < table.usedCols(row); ++c) {
        if (table.isEmpty(row, c))
            continue;
        const QByteArrayView title = table.utf8(0, c);
        if (title == kLinkTitle.toUtf8() || title == kConflictTitle.toUtf8() ||
            (contentOnly && title == kVcardTitle.toUtf8()))
            continue;
        h.addData(title);
        h.addData("\x1f");
        h.addData(table.utf8(row, c));
        h.addData("\x1e");
    }
    return QString::fromLatin1(h.result().toBase64());
}

QByteArray cardOf(const Table& table, int row, const ColumnRoles& roles, const QString& href)
{
    // A card without a UID of its own takes its address's name, so it keeps
    // one UID however often it is sent.
    const QString uid = href.section(u'/', -1).section(u'.', 0, 0);
    Table one(2, table.colCount());
    copyRow(table, 0, one, 0);
    copyRow(table, row, one, 1);
    for (int c = 0; c < table.colCount(); ++c) {
        one.setColumn(c, table.column(c));
        const QString title = table.text(0, c);
        if (title == kLinkTitle || title == kConflictTitle)
            one.setText(1, c, QString());
    }
    QByteArray card = Vcard::encode(one, roles);
    const QByteArray upper = card.toUpper();
    if (!upper.contains("\nUID:") && !upper.contains("\nUID;")) {
        const qsizetype end = upper.lastIndexOf("END:VCARD");
        if (end >= 0)
            card.insert(end, "UID:" + uid.toUtf8() + "\r\n");
    }
    return card;
}

CollectionState stateOf(const Table& doc)
{
    const int c = columnTitled(doc, kLinkTitle);
    return c < 0 ? CollectionState() : CollectionState::parse(doc.column(c).format);
}

QHash<QString, QString> knownEtags(const Table& doc)
{
    QHash<QString, QString> known = stateOf(doc).known;
    const int c = columnTitled(doc, kLinkTitle);
    for (int r = 1; c >= 0 && r < doc.rowCount(); ++r) {
        const Link l = Link::parse(doc.text(r, c));
        if (!l.isEmpty())
            known.insert(l.href, l.etag);
    }
    return known;
}

Plan plan(const Table& doc, const ColumnRoles& roles, const ServerChanges& server,
          const std::function<QString()>& newHref)
{
    Plan p;
    const CollectionState old = stateOf(doc);
    // The document's columns, with the link column after them when it has none.
    Table layout(1, doc.colCount());
    copyRow(doc, 0, layout, 0);
    for (int c = 0; c < doc.colCount(); ++c)
        layout.setColumn(c, doc.column(c));
    p.linkCol = columnTitled(doc, kLinkTitle);
    if (p.linkCol < 0) {
        p.linkCol = layout.colCount();
        layout.setColCount(p.linkCol + 1);
        layout.setText(0, p.linkCol, kLinkTitle);
        ColumnAttr a;
        a.hidden = true;
        layout.setColumn(p.linkCol, a);
    }
    std::vector<int> cardRow;
    Table matched = Vcard::matchedTo(layout, decodeCards(server.cards, cardRow));
    const int cols = std::max(matched.colCount(), layout.colCount());
    p.conflictCol = columnTitled(doc, kConflictTitle);

    p.table = doc;
    p.documentRows = doc.rowCount();
    p.table.setColCount(cols);
    for (int c = doc.colCount(); c < cols; ++c) {
        p.table.setColumn(c, c < layout.colCount() ? layout.column(c) : matched.column(c));
        p.table.setText(0, c, c < layout.colCount() ? layout.text(0, c) : matched.text(0, c));
    }
    p.changed.assign(size_t(p.documentRows), false);

    QHash<QString, int> cardOfHref;
    for (size_t i = 0; i < server.cards.size(); ++i)
        if (cardRow[i] > 0)
            cardOfHref.insert(server.cards[i].href, int(i));

    auto setLink = [&](int row, const Link& l) {
        p.table.setText(row, p.linkCol, l.text());
        if (row < p.documentRows)
            p.changed[size_t(row)] = true;
    };
    // The server's card as a record of the plan's table, linked to it.
    auto putServerCard = [&](int row, int card) {
        const ServerCard& s = server.cards[size_t(card)];
        copyRow(matched, cardRow[size_t(card)], p.table, row);
        setLink(row, {s.href, s.etag, rowHash(p.table, row)});
        ++p.fromServer;
    };
    auto addRow = [&]() {
        p.table.setRowCount(p.table.rowCount() + 1);
        return p.table.rowCount() - 1;
    };
    auto putNew = [&](int row) {
        const QString href = newHref();
        p.uploads.push_back({Upload::Put, href, {}, cardOf(p.table, row, roles, href), row});
        setLink(row, {href, {}, {}});
    };

    QSet<QString> linked;
    std::vector<int> fresh; // records never sent
    for (int r = 1; r < p.documentRows; ++r) {
        Link l = Link::parse(doc.text(r, p.linkCol < doc.colCount() ? p.linkCol : -1));
        if (!l.isEmpty() && linked.contains(l.href)) {
            // A copy of a linked record (rows copied whole) is a new card.
            setLink(r, {});
            l = {};
        }
        if (l.isEmpty()) {
            if (hasContent(doc, r, p.linkCol, p.conflictCol) &&
                (p.conflictCol < 0 || doc.isEmpty(r, p.conflictCol)))
                fresh.push_back(r);
            continue;
        }
        linked.insert(l.href);
        const bool changedHere = l.hash.isEmpty() || rowHash(doc, r) != l.hash;
        const auto card = cardOfHref.constFind(l.href);
        if (card != cardOfHref.cend()) {
            const ServerCard& s = server.cards[size_t(*card)];
            if (!changedHere) {
                putServerCard(r, *card);
                p.changed[size_t(r)] = true;
            } else if (rowHash(matched, cardRow[size_t(*card)], true) == rowHash(doc, r, true)) {
                setLink(r, {l.href, s.etag, rowHash(doc, r)});
            } else {
                // Changed on both sides: this record goes to the server, and
                // the server's version stays beside it, marked.
                ++p.conflicts;
                setLink(r, {l.href, s.etag, {}});
                p.uploads.push_back(
                    {Upload::Put, l.href, s.etag, cardOf(doc, r, roles, l.href), r});
                const int copy = addRow();
                copyRow(matched, cardRow[size_t(*card)], p.table, copy);
                if (p.conflictCol < 0) {
                    p.conflictCol = p.table.colCount();
                    p.table.setColCount(p.conflictCol + 1);
                    p.table.setText(0, p.conflictCol, kConflictTitle);
                }
                p.table.setText(copy, p.conflictCol, kConflictText);
            }
        } else if (server.gone.contains(l.href)) {
            if (!changedHere) {
                p.removed.push_back(r);
                ++p.removedHere;
            } else {
                // Deleted there, edited here: the edit is kept as a new card.
                fresh.push_back(r);
            }
        } else if (changedHere) {
            p.uploads.push_back({Upload::Put, l.href, l.etag, cardOf(doc, r, roles, l.href), r});
        }
    }
    // Cards linked at the last sync whose records were deleted here since.
    QStringList knownHrefs = old.known.keys();
    knownHrefs.sort();
    for (const QString& h : knownHrefs) {
        if (linked.contains(h) || server.gone.contains(h))
            continue;
        if (cardOfHref.contains(h))
            continue; // changed there since: the server's version comes back
        p.uploads.push_back({Upload::Delete, h, old.known.value(h), {}, -1});
    }
    for (size_t i = 0; i < server.cards.size(); ++i)
        if (cardRow[i] > 0 && !linked.contains(server.cards[i].href))
            putServerCard(addRow(), int(i));
    for (int r : fresh)
        putNew(r);
    p.state.url = server.url;
    p.state.token = server.token;
    return p;
}

void apply(Plan& p, const std::vector<UploadResult>& results)
{
    QHash<QString, QString> pending;
    for (size_t i = 0; i < p.uploads.size(); ++i) {
        const Upload& u = p.uploads[i];
        const UploadResult r = i < results.size() ? results[i] : UploadResult();
        if (u.kind == Upload::Delete) {
            if (!r.confirmed)
                pending.insert(u.href, u.etag);
            continue;
        }
        if (!r.confirmed)
            continue; // the link says what to send again
        p.table.setText(u.row, p.linkCol, Link{u.href, r.etag, rowHash(p.table, u.row)}.text());
        if (u.row < p.documentRows)
            p.changed[size_t(u.row)] = true;
    }
    p.state.known = pending;
    std::vector<bool> gone(size_t(p.table.rowCount()), false);
    for (int r : p.removed)
        gone[size_t(r)] = true;
    for (int r = 1; r < p.table.rowCount(); ++r) {
        if (gone[size_t(r)])
            continue;
        const Link l = Link::parse(p.table.text(r, p.linkCol));
        if (!l.isEmpty())
            p.state.known.insert(l.href, l.etag);
    }
    ColumnAttr a = p.table.column(p.linkCol);
    a.format = p.state.text();
    p.table.setColumn(p.linkCol, a);
}

} // namespace corvanta::Sync
