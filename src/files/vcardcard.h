#pragma once

// What the vCard reader gathers from a card before the table is laid out;
// shared by the reader (vcardread.cpp) and the table it builds
// (vcardtable.cpp).
#include "files/filestatus.h"
#include "files/vcardcolumns.h"

#include <QByteArray>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <vector>

namespace corvanta {

class Table;

namespace VcardCards {

using VcardColumns::kKinds;

// PREF runs from 1 (most preferred) to 100; a value without one comes last.
constexpr int kNoPreference = 101;

struct Value
{
    QByteArray text;
    int rank = kNoPreference;
};

// ADR: post office box, extended address, street, locality, region,
// postal code, country.
struct Adr
{
    std::array<QByteArray, 7> parts;
    int rank = kNoPreference;
};

struct Extra
{
    QByteArray title;
    int column = -1;
    QByteArray text;
};

struct Card
{
    QByteArray fn, n;
    std::array<std::vector<Value>, kKinds> values; // Phone, Email, Web
    std::vector<Adr> adrs;
    std::array<QByteArray, kKinds> single; // Organization .. Nickname, Note
    std::vector<Extra> extras;
    bool own = false;

    // Empty values at the end of a list hold no column's place.
    void trim()
    {
        for (std::vector<Value>& list : values)
            while (!list.empty() && list.back().text.isEmpty())
                list.pop_back();
        while (!adrs.empty() && std::all_of(adrs.back().parts.begin(), adrs.back().parts.end(),
                                            [](const QByteArray& t) { return t.isEmpty(); }))
            adrs.pop_back();
    }

    // A card without any text makes no record.
    bool hasText() const
    {
        auto filled = [](const QByteArray& t) { return !t.isEmpty(); };
        if (!fn.isEmpty() || !n.isEmpty() || std::any_of(single.begin(), single.end(), filled))
            return true;
        for (const std::vector<Value>& list : values)
            for (const Value& v : list)
                if (!v.text.isEmpty())
                    return true;
        for (const Adr& a : adrs)
            if (std::any_of(a.parts.begin(), a.parts.end(), filled))
                return true;
        return std::any_of(extras.begin(), extras.end(),
                           [](const Extra& e) { return !e.text.isEmpty(); });
    }
};

// The non-empty `parts` in `order`, separated by `sep`.
inline QByteArray joined(const std::vector<QByteArray>& parts, std::initializer_list<int> order,
                         QByteArrayView sep)
{
    QByteArray out;
    for (int i : order) {
        if (size_t(i) >= parts.size() || parts[size_t(i)].isEmpty())
            continue;
        if (!out.isEmpty())
            out += sep;
        out += parts[size_t(i)];
    }
    return out;
}

// Lays the cards out as the table's records: the default columns placed by
// `roles`, then the added ones (docs/vcard.md). Reorders each card's values.
FileStatus buildTable(std::vector<Card>& cards, const ColumnRoles& roles, Table& out);

} // namespace VcardCards
} // namespace corvanta
