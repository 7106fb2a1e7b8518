#include "table/sortorder.h"

#include "grid/table.h"
#include "table/valueformat.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QHash>

#include <algorithm>
#include <numeric>
#include <optional>

namespace corvanta::SortOrder {

namespace {

enum Rank : unsigned char { Typed, Text, Empty };

// A number as the formatter reads it, or in accounting brackets.
std::optional<double> numberOf(const QString& text)
{
    const QString t = text.trimmed();
    if (t.size() > 2 && t.startsWith(u'(') && t.endsWith(u')')) {
        if (const auto v = ValueFormat::number(t.mid(1, t.size() - 2)))
            return -*v;
        return std::nullopt;
    }
    return ValueFormat::number(t);
}

std::optional<double> typedValue(int type, const QString& text)
{
    switch (type) {
    case TypeNumber:
    case TypeMoney:
        return numberOf(text);
    case TypeDate:
        return ValueFormat::dateSerial(text);
    case TypeCheckbox:
        return ValueFormat::ticked(text) ? 1.0 : 0.0;
    default:
        return std::nullopt;
    }
}

// The order of n records, record i in table row rowOf(i).
template <typename RowOf>
std::vector<int> orderOf(const Table& table, int n, RowOf rowOf, int col, bool ascending,
                         const QLocale& locale)
{
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    if (n < 2 || col < 0 || col >= table.colCount())
        return order;

    const int type = table.column(col).type;
    const bool typed =
        type == TypeNumber || type == TypeMoney || type == TypeDate || type == TypeCheckbox;
    std::vector<Rank> rank(static_cast<size_t>(n), Empty);
    // Typed cells sort by their value, text cells by the place of their
    // text among the column's distinct texts.
    std::vector<double> value(static_cast<size_t>(n));

    // Address columns repeat their texts (names, cities, states) many times
    // over: each distinct text is read and ordered by the locale once, and
    // the rows then sort by a plain number.
    QHash<QByteArrayView, int> distinct;
    std::vector<QByteArrayView> texts;
    std::vector<int> textOf(static_cast<size_t>(n), -1);
    for (int i = 0; i < n; ++i) {
        const QByteArrayView utf8 = table.utf8(rowOf(i), col);
        if (utf8.isEmpty())
            continue;
        if (typed) {
            if (const auto v = typedValue(type, QString::fromUtf8(utf8))) {
                rank[size_t(i)] = Typed;
                value[size_t(i)] = *v;
                continue;
            }
        }
        rank[size_t(i)] = Text;
        const auto it = distinct.constFind(utf8);
        if (it != distinct.constEnd()) {
            textOf[size_t(i)] = *it;
        } else {
            textOf[size_t(i)] = int(texts.size());
            distinct.insert(utf8, int(texts.size()));
            texts.push_back(utf8);
        }
    }
    if (!texts.empty()) {
        // Sort keys computed once per text: comparing them is a byte
        // compare, where the collator would redo the locale's work at every
        // step of the sort.
        // The C locale knows no order but the code points'; people
        // reading an address book expect "Ärger" beside "apple".
        QCollator collator(locale.language() == QLocale::C ? QLocale(QLocale::English) : locale);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::vector<QCollatorSortKey> keys;
        keys.reserve(texts.size());
        for (QByteArrayView t : texts)
            keys.push_back(collator.sortKey(QString::fromUtf8(t)));
        std::vector<int> byKey(texts.size());
        std::iota(byKey.begin(), byKey.end(), 0);
        std::sort(byKey.begin(), byKey.end(),
                  [&](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
        // Texts the locale holds equal ("smith", "Smith") share a place, so
        // the stable sort keeps their rows in the order they had.
        std::vector<int> place(texts.size());
        int p = 0;
        for (size_t k = 0; k < byKey.size(); ++k) {
            if (k > 0 && keys[size_t(byKey[k - 1])].compare(keys[size_t(byKey[k])]) != 0)
                ++p;
            place[size_t(byKey[k])] = p;
        }
        for (int i = 0; i < n; ++i)
            if (textOf[size_t(i)] >= 0)
                value[size_t(i)] = place[size_t(textOf[size_t(i)])];
    }

    const auto less = [&](int a, int b) {
        const Rank ra = rank[size_t(a)], rb = rank[size_t(b)];
        if (ra != rb)
            return ra < rb;
        if (ra == Empty)
            return false;
        return ascending ? value[size_t(a)] < value[size_t(b)]
                         : value[size_t(b)] < value[size_t(a)];
    };
    std::stable_sort(order.begin(), order.end(), less);
    return order;
}

} // namespace

std::vector<int> rows(const Table& table, int first, int last, int col, bool ascending,
                      const QLocale& locale)
{
    first = std::max(first, 0);
    last = std::min(last, table.rowCount() - 1);
    return orderOf(
        table, std::max(0, last - first + 1), [first](int i) { return first + i; }, col, ascending,
        locale);
}

std::vector<int> rows(const Table& table, std::span<const int> among, int col, bool ascending,
                      const QLocale& locale)
{
    return orderOf(
        table, int(among.size()), [among](int i) { return among[size_t(i)]; }, col, ascending,
        locale);
}

} // namespace corvanta::SortOrder
