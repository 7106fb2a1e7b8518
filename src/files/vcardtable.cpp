// The table a vCard file makes: one record per card, its values in the
// columns the roles and the added columns' titles give them.
#include "files/vcardcard.h"

#include "grid/table.h"
#include "table/addressdefaults.h"

#include <map>
#include <type_traits>

namespace corvanta::VcardCards {

namespace {

using namespace VcardColumns;

// The preferred value of a list, or the first of the most preferred.
template <typename T> size_t preferred(const std::vector<T>& values)
{
    size_t best = 0;
    for (size_t i = 1; i < values.size(); ++i)
        if (values[i].rank < values[best].rank)
            best = i;
    return best;
}

QByteArray oneLine(const Adr& a)
{
    const std::vector<QByteArray> parts(a.parts.begin(), a.parts.end());
    return joined(parts, {2, 1, 0, 3, 4, 5, 6}, ", ");
}

QByteArray streetOf(const Adr& a)
{
    const std::vector<QByteArray> parts(a.parts.begin(), a.parts.end());
    return joined(parts, {2, 1, 0}, ", ");
}

int widthOf(Kind kind)
{
    switch (kind) {
    case Birthday:
        return 1100;
    case Note:
    case Address:
        return 2400;
    default:
        return 1300;
    }
}

// The cells of one record, by column.
class RowCells
{
  public:
    explicit RowCells(int cols) : m_cells(size_t(cols)) {}
    void set(int col, QByteArray text)
    {
        if (col >= 0 && size_t(col) < m_cells.size())
            m_cells[size_t(col)] = std::move(text);
    }
    qsizetype bytes() const
    {
        qsizetype n = 0;
        for (const QByteArray& c : m_cells)
            n += c.size();
        return n;
    }
    void put(Table& t, int row) const
    {
        std::vector<QByteArrayView> views(m_cells.begin(), m_cells.end());
        t.setRowUtf8(row, views.data(), int(views.size()));
    }

  private:
    std::vector<QByteArray> m_cells;
};

// Where each card's properties go, and the table they make.
class Builder
{
  public:
    Builder(std::vector<Card>& cards, const Plan& plan) : m_cards(cards), m_plan(plan) {}
    FileStatus build(Table& out);

  private:
    bool hasRole(Kind kind) const
    {
        return (kind == Phone   ? m_plan.phone
                : kind == Email ? m_plan.mail
                : kind == Web   ? m_plan.web
                                : m_plan.street) >= 0;
    }
    int count(const Card& c, Kind kind) const
    {
        const size_t n = kind == Address ? c.adrs.size() : c.values[kind].size();
        return int(std::min<size_t>(n, size_t(Table::kMaxCols)));
    }
    // Which custom column the k-th extra titled `title` of a card goes to.
    int customColumn(const Extra& e, int k);
    void fillRow(const Card& card, RowCells& cells);

    // Puts the value a role takes first, and drops the empty ones that
    // would end the list of further values: they fill no column.
    void arrange(Card& c) const;

    std::vector<Card>& m_cards;
    const Plan& m_plan;
    std::array<int, kKinds> m_width{}; // columns of each added kind
    std::array<int, kKinds> m_start{};
    std::vector<QByteArray> m_customTitles;               // Other columns, in order
    std::map<QByteArray, std::vector<int>> m_customIndex; // title -> its columns
};

int Builder::customColumn(const Extra& e, int k)
{
    const auto it = m_customIndex.find(e.title);
    if (it == m_customIndex.end() || size_t(k) >= it->second.size())
        return -1;
    return it->second[size_t(k)];
}

// Base columns a written file names by number: free ones of the defaults.
bool freeBaseColumn(const Plan& plan, int col)
{
    return col >= 1 && col < plan.baseCols && !plan.isRoleColumn(col);
}

void Builder::arrange(Card& c) const
{
    auto blank = [](const auto& v) {
        if constexpr (std::is_same_v<std::decay_t<decltype(v)>, Adr>)
            return std::all_of(v.parts.begin(), v.parts.end(),
                               [](const QByteArray& t) { return t.isEmpty(); });
        else
            return v.text.isEmpty();
    };
    auto tidy = [&](auto& list, bool role) {
        if (role && !list.empty())
            std::rotate(list.begin(), list.begin() + qsizetype(preferred(list)),
                        list.begin() + qsizetype(preferred(list)) + 1);
        while (list.size() > (role ? 1u : 0u) && blank(list.back()))
            list.pop_back();
    };
    for (Kind kind : {Phone, Email, Web})
        tidy(c.values[kind], hasRole(kind));
    tidy(c.adrs, hasRole(Address));
}

FileStatus Builder::build(Table& out)
{
    for (Card& c : m_cards)
        arrange(c);
    for (size_t i = 0; i < m_cards.size(); ++i) {
        const Card& c = m_cards[i];
        for (Kind kind : {Phone, Email, Web, Address})
            m_width[kind] = std::max(m_width[kind], count(c, kind) - (hasRole(kind) ? 1 : 0));
        for (Kind kind : {Organization, JobTitle, Birthday, Nickname, Note})
            m_width[kind] = std::max(m_width[kind], c.single[kind].isEmpty() ? 0 : 1);
        if (m_plan.street >= 0 && !c.adrs.empty() && !c.adrs.front().parts[6].isEmpty())
            m_width[Country] = 1;
        // Custom columns: the k-th extra of a title needs k + 1 columns of it.
        std::map<QByteArray, int> seen;
        for (const Extra& e : c.extras) {
            if (freeBaseColumn(m_plan, e.column))
                continue;
            const int k = seen[e.title]++;
            if (customColumn(e, k) < 0) {
                if (m_customTitles.size() >= size_t(Table::kMaxCols))
                    return FileStatus::fail(FileStatus::TooManyFields, QString::number(i + 1));
                m_customIndex[e.title].push_back(int(m_customTitles.size()));
                m_customTitles.push_back(e.title);
            }
        }
        qint64 total = m_plan.baseCols + qint64(m_customTitles.size());
        for (int w : m_width)
            total += w;
        if (total > Table::kMaxCols)
            return FileStatus::fail(FileStatus::TooManyFields, QString::number(i + 1));
    }
    m_width[Other] = int(m_customTitles.size());
    int at = m_plan.baseCols;
    for (int k = 0; k < kKinds; ++k) {
        m_start[size_t(k)] = at;
        at += m_width[size_t(k)];
    }
    const int cols = at;

    Table t(int(m_cards.size()) + 1, cols);
    const QList<AddressDefaults::Column>& defaults = AddressDefaults::columns();
    auto base = [&](int col, int index) {
        if (col < 0)
            return;
        t.setText(0, col, defaults[index].title);
        ColumnAttr a;
        a.width = defaults[index].width;
        t.setColumn(col, a);
    };
    base(0, 0);
    for (int i = 0; i < 4 && m_plan.street >= 0; ++i)
        base(m_plan.street + i, 1 + i);
    base(m_plan.phone, 5);
    base(m_plan.mail, 6);
    base(m_plan.web, 7);
    for (int k = 0; k < Other; ++k) {
        const auto kind = Kind(k);
        const int first = isRepeated(kind) && hasRole(kind) ? 2 : 1;
        for (int j = 0; j < m_width[kind]; ++j) {
            const int col = m_start[kind] + j;
            t.setText(0, col, title(kind, first + j));
            ColumnAttr a;
            a.width = widthOf(kind);
            if (kind == Birthday)
                a.type = TypeDate;
            t.setColumn(col, a);
        }
    }
    for (size_t i = 0; i < m_customTitles.size(); ++i)
        t.setUtf8(0, m_start[Other] + int(i), m_customTitles[i]);

    for (size_t i = 0; i < m_cards.size(); ++i) {
        RowCells cells(cols);
        fillRow(m_cards[i], cells);
        // A row's text is kept with 32-bit offsets.
        if (cells.bytes() > 0x7fffffff)
            return FileStatus::fail(FileStatus::RowTooLong, QString::number(i + 1));
        cells.put(t, int(i) + 1);
        // A written file names the free default columns by number, with
        // their titles.
        for (const Extra& e : m_cards[i].extras)
            if (freeBaseColumn(m_plan, e.column) && t.isEmpty(0, e.column) && !e.title.isEmpty())
                t.setUtf8(0, e.column, e.title);
    }
    out = std::move(t);
    return {};
}

void Builder::fillRow(const Card& c, RowCells& cells)
{
    cells.set(0, c.fn.isEmpty() ? c.n : c.fn);
    for (Kind kind : {Phone, Email, Web, Address}) {
        const int n = count(c, kind);
        if (n == 0)
            continue;
        const size_t chosen = hasRole(kind) ? 0 : size_t(n); // arrange() put it first
        int extra = 0;
        for (int i = 0; i < n; ++i) {
            if (size_t(i) == chosen)
                continue;
            const int col = m_start[kind] + extra++;
            cells.set(col, kind == Address ? oneLine(c.adrs[size_t(i)])
                                           : c.values[kind][size_t(i)].text);
        }
        if (chosen == size_t(n))
            continue;
        if (kind != Address) {
            const int role = kind == Phone   ? m_plan.phone
                             : kind == Email ? m_plan.mail
                                             : m_plan.web;
            cells.set(role, c.values[kind][chosen].text);
            continue;
        }
        const Adr& a = c.adrs[chosen];
        cells.set(m_plan.street, streetOf(a));
        for (int j = 0; j < 3; ++j)
            cells.set(m_plan.street + 1 + j, a.parts[size_t(3 + j)]);
        if (m_width[Country] > 0)
            cells.set(m_start[Country], a.parts[6]);
    }
    for (Kind kind : {Organization, JobTitle, Birthday, Nickname, Note})
        if (m_width[kind] > 0)
            cells.set(m_start[kind], c.single[kind]);
    std::map<QByteArray, int> seen;
    for (const Extra& e : c.extras) {
        if (freeBaseColumn(m_plan, e.column)) {
            cells.set(e.column, e.text);
            continue;
        }
        const int k = customColumn(e, seen[e.title]++);
        if (k >= 0)
            cells.set(m_start[Other] + k, e.text);
    }
}

} // namespace

FileStatus buildTable(std::vector<Card>& cards, const ColumnRoles& roles, Table& out)
{
    const Plan plan = planFor(roles);
    return Builder(cards, plan).build(out);
}

} // namespace corvanta::VcardCards
