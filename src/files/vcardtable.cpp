// The table a vCard file makes: one record per card, a column for each
// title some card has a value for, laid out once all cards are read.
#include "files/vcardcard.h"

#include "files/vcard.h"
#include "table/addressdefaults.h"

#include <algorithm>
#include <map>

namespace corvanta::VcardCards {

using namespace VcardColumns;

namespace {

constexpr char kCustomKey = '\x01';
constexpr QByteArrayView kKeptKey = "\x02";

// Where a column stands: the name, the first address, the phones, e-mails
// and web sites, then the rest, the custom fields and the hidden column.
enum CardRank {
    RankName,
    RankFirstAddress,
    RankPhone,
    RankEmail,
    RankWeb,
    RankOrganization,
    RankJobTitle,
    RankBirthday,
    RankNickname,
    RankAddress,
    RankNote,
    RankCustom,
    RankKept,
};

int charsOfFirstLine(QByteArrayView text)
{
    int n = 0;
    for (const char c : text) {
        if (c == '\n')
            break;
        if ((uchar(c) & 0xC0) != 0x80)
            ++n;
    }
    return n;
}

} // namespace

struct TableBuilder::Col
{
    QString title;
    Column parsed;
    bool custom = false;
    bool kept = false;
    int xColumn = -1;
    int maxChars = 0;
    qint64 card = -1; // the last card that put a value here
};

TableBuilder::TableBuilder() : m_table(1, 0) {}
TableBuilder::~TableBuilder() = default;

int TableBuilder::column(const QByteArray& key, const QString& title, int xColumn)
{
    if (const auto it = m_index.constFind(key); it != m_index.constEnd())
        return *it;
    // Room is left for the columns finish() may add.
    if (m_cols.size() + 8 >= size_t(Table::kMaxCols))
        return -1;
    Col c;
    c.title = title;
    c.custom = key.startsWith(kCustomKey);
    c.kept = key == kKeptKey;
    c.parsed = c.custom || c.kept ? Column{} : parse(title);
    c.xColumn = xColumn;
    const int col = int(m_cols.size());
    m_cols.push_back(std::move(c));
    m_index.insert(key, col);
    m_table.setColCount(col + 1);
    m_cells.emplace_back();
    return col;
}

void TableBuilder::set(int col, QByteArrayView text)
{
    if (col < 0) {
        m_overflow = true;
        return;
    }
    QByteArray& cell = m_cells[size_t(col)];
    if (m_cols[size_t(col)].card == m_card) {
        // Two values for one column: one cell keeps both, a line apart.
        if (!text.isEmpty()) {
            if (!cell.isEmpty())
                cell += '\n';
            cell += text;
        }
    } else {
        // Into the room the column's last value left: no allocation a value.
        cell.resize(0);
        cell.append(text);
        m_filled.push_back(col);
        m_cols[size_t(col)].card = m_card;
    }
    m_cols[size_t(col)].maxChars =
        std::max(m_cols[size_t(col)].maxChars, charsOfFirstLine(cell));
}

void TableBuilder::put(const QString& title, QByteArrayView text)
{
    set(columnFor(title), text);
}

void TableBuilder::putCustom(const QByteArray& title, int number, int xColumn, QByteArrayView text)
{
    set(customColumnFor(title, number, xColumn), text);
}

int TableBuilder::columnFor(const QString& title)
{
    return column(title.toUtf8(), title, -1);
}

int TableBuilder::customColumnFor(const QByteArray& title, int number, int xColumn)
{
    const QByteArray key = kCustomKey + QByteArray::number(number) + kCustomKey + title;
    return column(key, QString::fromUtf8(title), xColumn);
}

void TableBuilder::putAt(int col, QByteArrayView text)
{
    set(col, text);
}

void TableBuilder::keep(QByteArrayView text)
{
    set(keptColumn(), text);
}

int TableBuilder::keptColumn()
{
    return column(kKeptKey.toByteArray(), kKeptTitle, -1);
}

FileStatus TableBuilder::endCard()
{
    const bool any = std::any_of(m_filled.begin(), m_filled.end(), [&](int c) {
        return !m_cols[size_t(c)].kept && !m_cells[size_t(c)].isEmpty();
    });
    FileStatus status;
    if (m_overflow) {
        status = FileStatus::fail(FileStatus::TooManyFields, QString::number(m_table.rowCount()));
    } else if (any) {
        const int row = m_table.rowCount();
        if (row >= Table::kMaxRows) {
            status = FileStatus::fail(FileStatus::TooManyRows);
        } else {
            int used = 0;
            for (int c : m_filled)
                used = std::max(used, c + 1);
            m_views.assign(size_t(used), QByteArrayView());
            for (int c : m_filled)
                m_views[size_t(c)] = m_cells[size_t(c)];
            m_table.setRowCount(row + 1);
            m_table.setRowUtf8(row, m_views.data(), used);
        }
    }
    for (int c : m_filled)
        m_cells[size_t(c)].resize(0);
    m_filled.clear();
    m_overflow = false;
    ++m_card;
    return status;
}

Table TableBuilder::finish(ColumnRoles* roles)
{
    // The columns every address table has, when no card filled them.
    auto ensure = [&](Kind kind, const QString& label = {}, int number = 1) {
        const QString t = title(kind, label, number);
        if (!m_index.contains(t.toUtf8()))
            column(t.toUtf8(), t, -1);
    };
    auto anyOf = [&](Kind kind) {
        return std::any_of(m_cols.begin(), m_cols.end(), [&](const Col& c) {
            return !c.custom && !c.kept && c.parsed.kind == kind;
        });
    };
    ensure(Name);
    if (!anyOf(Street) && !anyOf(City) && !anyOf(State) && !anyOf(Zip))
        ensure(Street);
    // Each address keeps the four parts the map reads side by side.
    std::map<std::pair<QString, int>, int> groups; // label, number -> first seen
    for (size_t i = 0; i < m_cols.size(); ++i) {
        const Col& c = m_cols[i];
        if (!c.custom && !c.kept && isAddressPart(c.parsed.kind))
            groups.try_emplace({c.parsed.label, c.parsed.number}, int(i));
    }
    for (const auto& [group, first] : groups)
        for (Kind part : {Street, City, State, Zip})
            ensure(part, group.first, group.second);
    if (!anyOf(Phone))
        ensure(Phone);
    if (!anyOf(Email))
        ensure(Email);
    if (!anyOf(Web))
        ensure(Web);

    // Groups of one label stay together, in the order the file shows them.
    std::map<std::pair<int, QString>, int> labelSeen; // kind, label -> first seen
    for (size_t i = 0; i < m_cols.size(); ++i)
        labelSeen.try_emplace({m_cols[i].parsed.kind, m_cols[i].parsed.label}, int(i));
    int firstGroup = -1;
    for (const auto& [group, first] : groups)
        if (firstGroup < 0 || first < firstGroup)
            firstGroup = first;
    struct Key
    {
        int rank, group, number, part, seen;
        auto operator<=>(const Key&) const = default;
    };
    std::vector<Key> keys(m_cols.size());
    for (size_t i = 0; i < m_cols.size(); ++i) {
        const Col& c = m_cols[i];
        const Kind k = c.parsed.kind;
        Key key{RankCustom, 0, 0, 0, int(i)};
        if (c.kept) {
            key.rank = RankKept;
        } else if (!c.custom && isAddressPart(k)) {
            const int g = groups.at({c.parsed.label, c.parsed.number});
            key = {g == firstGroup ? RankFirstAddress : RankAddress, g, 0, int(k), int(i)};
        } else if (!c.custom && k != Other) {
            static const std::map<Kind, CardRank> kRanks = {
                {Name, RankName},         {Phone, RankPhone},
                {Email, RankEmail},       {Web, RankWeb},
                {Organization, RankOrganization}, {JobTitle, RankJobTitle},
                {Birthday, RankBirthday}, {Nickname, RankNickname},
                {Note, RankNote},         {Address, RankAddress},
            };
            key = {kRanks.at(k), labelSeen.at({int(k), c.parsed.label}), c.parsed.number, 0, int(i)};
        }
        keys[i] = key;
    }
    std::vector<int> order(m_cols.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    // A field the writer placed by number goes back to that place.
    std::vector<int> placed;
    std::erase_if(order, [&](int c) {
        if (m_cols[size_t(c)].custom && m_cols[size_t(c)].xColumn >= 1) {
            placed.push_back(c);
            return true;
        }
        return false;
    });
    std::stable_sort(placed.begin(), placed.end(),
                     [&](int a, int b) { return m_cols[a].xColumn < m_cols[b].xColumn; });
    for (int c : placed) {
        const size_t at = std::min(order.size(), size_t(m_cols[size_t(c)].xColumn));
        order.insert(order.begin() + qsizetype(at), c);
    }

    // Every row once more, its cells in the new order.
    const int cols = int(order.size());
    m_table.setColCount(cols);
    std::vector<QByteArrayView> views{size_t(cols), QByteArrayView()};
    for (int r = 1; r < m_table.rowCount(); ++r) {
        const int used = m_table.usedCols(r);
        int last = 0;
        for (int i = 0; i < cols; ++i) {
            views[size_t(i)] = order[size_t(i)] < used ? m_table.utf8(r, order[size_t(i)])
                                                       : QByteArrayView();
            if (!views[size_t(i)].isEmpty())
                last = i + 1;
        }
        m_table.setValidRowUtf8(r, views.data(), last);
    }

    const QList<AddressDefaults::Column>& defaults = AddressDefaults::columns();
    ColumnRoles found{-1, -1, -1, -1};
    // The title row in one go: a row is one packed block, rebuilt by each
    // change of a cell.
    std::vector<QByteArray> titles;
    titles.resize(size_t(cols));
    for (int i = 0; i < cols; ++i)
        titles[size_t(i)] = m_cols[size_t(order[size_t(i)])].title.toUtf8();
    std::vector<QByteArrayView> titleViews(titles.begin(), titles.end());
    m_table.setRowUtf8(0, titleViews.data(), cols);
    for (int i = 0; i < cols; ++i) {
        const Col& c = m_cols[size_t(order[size_t(i)])];
        ColumnAttr a;
        int least = 900;
        for (const AddressDefaults::Column& d : defaults)
            if (d.title == c.title)
                least = d.width;
        // Wide enough for what the column holds, within reason.
        a.width = std::clamp(c.maxChars * 100 + 300, least, 4800);
        if (c.kept) {
            a.hidden = true;
            a.width = 2400;
        } else if (!c.custom && c.parsed.kind == Birthday) {
            a.type = TypeDate;
        }
        m_table.setColumn(i, a);
        if (c.custom || c.kept)
            continue;
        const Kind k = c.parsed.kind;
        if (k == Street && found.map < 0 &&
            groups.at({c.parsed.label, c.parsed.number}) == firstGroup)
            found.map = i;
        else if (k == Phone && found.phone < 0)
            found.phone = i;
        else if (k == Email && found.mail < 0)
            found.mail = i;
        else if (k == Web && found.website < 0)
            found.website = i;
    }
    if (roles)
        *roles = found;
    return std::move(m_table);
}

} // namespace corvanta::VcardCards

namespace corvanta::Vcard {

Table matchedTo(const Table& doc, Table&& cards)
{
    // Where each column of the cards goes: the first column of doc with its
    // title that no other took, or a new one after doc's last.
    QHash<QString, std::vector<int>> free; // title -> doc's columns, left to right
    for (int c = doc.colCount() - 1; c >= 0; --c)
        free[doc.text(0, c).trimmed().toLower()].push_back(c);
    std::vector<int> to(size_t(cards.colCount()));
    int next = doc.colCount();
    for (int c = 0; c < cards.colCount(); ++c) {
        std::vector<int>& same = free[cards.text(0, c).trimmed().toLower()];
        if (!same.empty()) {
            to[size_t(c)] = same.back();
            same.pop_back();
        } else {
            to[size_t(c)] = next++;
        }
    }
    Table out(cards.rowCount(), std::min(next, int(Table::kMaxCols)));
    std::vector<QByteArrayView> views;
    for (int r = 0; r < cards.rowCount(); ++r) {
        views.assign(size_t(out.colCount()), QByteArrayView());
        int used = 0;
        for (int c = 0; c < cards.usedCols(r); ++c) {
            if (to[size_t(c)] >= out.colCount() || cards.isEmpty(r, c))
                continue;
            views[size_t(to[size_t(c)])] = cards.utf8(r, c);
            used = std::max(used, to[size_t(c)] + 1);
        }
        out.setValidRowUtf8(r, views.data(), used);
    }
    for (int c = 0; c < cards.colCount(); ++c)
        if (to[size_t(c)] < out.colCount())
            out.setColumn(to[size_t(c)], cards.column(c));
    return out;
}

} // namespace corvanta::Vcard

namespace corvanta::Vcard {

bool isKeptColumn(const Table& table, int col)
{
    return col > 0 && table.column(col).hidden && table.text(0, col) == VcardColumns::kKeptTitle;
}

std::optional<Table> withoutKept(const Table& table)
{
    std::vector<int> cols; // the columns that stay, in order
    for (int c = 0; c < table.colCount(); ++c)
        if (!isKeptColumn(table, c))
            cols.push_back(c);
    if (int(cols.size()) == table.colCount())
        return std::nullopt;
    // Row by row from views of the cells: the kept text, photos and all,
    // is never copied.
    Table out(table.rowCount(), std::max(1, int(cols.size())));
    std::vector<QByteArrayView> views(cols.size());
    for (int r = 0; r < table.rowCount(); ++r) {
        int used = 0;
        for (size_t i = 0; i < cols.size(); ++i) {
            views[i] = table.utf8(r, cols[i]);
            if (!views[i].isEmpty())
                used = int(i) + 1;
        }
        out.setValidRowUtf8(r, views.data(), used);
    }
    for (size_t i = 0; i < cols.size(); ++i)
        out.setColumn(int(i), table.column(cols[i]));
    return out;
}

} // namespace corvanta::Vcard
