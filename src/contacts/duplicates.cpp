#include "contacts/duplicates.h"

#include "contacts/foldedtext.h"
#include "grid/table.h"

#include <QHash>

#include <algorithm>
#include <numeric>

namespace corvanta {

namespace {

// Fewer digits than this are an extension or a typing slip, not a number
// two records could share by chance of being one person.
constexpr int kMinPhoneDigits = 7;
constexpr int kPhoneDigitsCompared = 9;

QByteArray mailKeyUtf8(QByteArrayView utf8)
{
    QByteArray folded;
    appendFolded(utf8, folded);
    folded = folded.trimmed();
    return folded.contains('@') ? folded : QByteArray();
}

QByteArray phoneKeyUtf8(QByteArrayView utf8)
{
    QByteArray digits;
    for (char c : utf8)
        if (c >= '0' && c <= '9')
            digits.append(c);
    if (digits.size() < kMinPhoneDigits)
        return {};
    return digits.right(kPhoneDigitsCompared);
}

QByteArray nameKeyUtf8(QByteArrayView utf8)
{
    QByteArray folded;
    appendFolded(utf8, folded);
    // Punctuation separates words like a space does ("Jones,Priya").
    std::vector<QByteArrayView> words;
    QByteArrayView rest(folded);
    qsizetype start = -1;
    const auto isWordByte = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
    };
    for (qsizetype i = 0; i <= rest.size(); ++i) {
        const bool word = i < rest.size() && isWordByte(rest[i]);
        if (word && start < 0)
            start = i;
        else if (!word && start >= 0) {
            words.push_back(rest.sliced(start, i - start));
            start = -1;
        }
    }
    std::sort(words.begin(), words.end());
    QByteArray key;
    for (QByteArrayView w : words) {
        if (!key.isEmpty())
            key.append(' ');
        key.append(w);
    }
    return key;
}

// Union-find over the records, by index from 0.
struct Groups
{
    std::vector<int> parent;
    explicit Groups(int n) : parent(size_t(n)) { std::iota(parent.begin(), parent.end(), 0); }
    int root(int i)
    {
        while (parent[size_t(i)] != i)
            i = parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
        return i;
    }
    void join(int a, int b)
    {
        a = root(a);
        b = root(b);
        if (a != b)
            parent[size_t(std::max(a, b))] = std::min(a, b);
    }
};

} // namespace

QByteArray mailKey(QStringView text)
{
    return mailKeyUtf8(text.toUtf8());
}

QByteArray phoneKey(QStringView text)
{
    return phoneKeyUtf8(text.toUtf8());
}

QByteArray nameKey(QStringView text)
{
    return nameKeyUtf8(text.toUtf8());
}

std::vector<DuplicateGroup> findDuplicates(const Table& table, const DuplicateColumns& columns)
{
    const int records = std::max(0, table.rowCount() - 1);
    Groups groups(records);
    // A key shared by records: the first record that has it, and whether a
    // second one came.
    struct Shared
    {
        int first;
        bool repeated = false;
    };
    struct Pass
    {
        DuplicateReason::Kind kind;
        int col;
        QByteArray (*key)(QByteArrayView);
    };
    const Pass passes[] = {{DuplicateReason::Mail, columns.mail, mailKeyUtf8},
                           {DuplicateReason::Phone, columns.phone, phoneKeyUtf8},
                           {DuplicateReason::Name, columns.name, nameKeyUtf8}};
    struct Found
    {
        DuplicateReason::Kind kind;
        int first;
    };
    std::vector<Found> found;
    for (const Pass& pass : passes) {
        if (pass.col < 0 || pass.col >= table.colCount())
            continue;
        QHash<QByteArray, Shared> seen;
        seen.reserve(records);
        for (int i = 0; i < records; ++i) {
            QByteArray key = pass.key(table.utf8(i + 1, pass.col));
            if (key.isEmpty())
                continue;
            const auto it = seen.find(key);
            if (it == seen.end()) {
                seen.insert(std::move(key), Shared{i});
                continue;
            }
            groups.join(it->first, i);
            if (!it->repeated) {
                it->repeated = true;
                found.push_back({pass.kind, it->first});
            }
        }
    }
    if (found.empty())
        return {};

    // Each record in a group goes to its group, which is numbered by its
    // first record.
    QHash<int, int> groupOfRoot;
    std::vector<bool> shared(size_t(records), false);
    for (const Found& f : found)
        shared[size_t(f.first)] = true;
    for (int i = 0; i < records; ++i)
        if (shared[size_t(i)])
            shared[size_t(groups.root(i))] = true;
    std::vector<DuplicateGroup> result;
    for (int i = 0; i < records; ++i) {
        const int root = groups.root(i);
        if (!shared[size_t(root)])
            continue;
        auto it = groupOfRoot.find(root);
        if (it == groupOfRoot.end()) {
            it = groupOfRoot.insert(root, int(result.size()));
            result.emplace_back();
        }
        result[size_t(*it)].rows.push_back(i + 1);
    }
    // Reasons in the order mail, phone, name, as the passes found them.
    for (const Found& f : found) {
        const Pass& pass = passes[f.kind];
        result[size_t(groupOfRoot.value(groups.root(f.first)))].reasons.append(
            {f.kind, table.text(f.first + 1, pass.col).trimmed()});
    }
    return result;
}

} // namespace corvanta

namespace corvanta {

std::vector<MergeChoice> mergeChoices(const Table& table, const std::vector<int>& rows)
{
    std::vector<MergeChoice> choices;
    for (int c = 0; c < table.colCount(); ++c) {
        QStringList values;
        for (int r : rows) {
            const QString text = table.text(r, c);
            if (!text.isEmpty() && !values.contains(text))
                values.append(text);
        }
        if (values.size() > 1)
            choices.push_back({c, values});
    }
    return choices;
}

QStringList mergedRecord(const Table& table, const std::vector<int>& rows,
                         const std::vector<MergeChoice>& choices, const std::vector<int>& picked)
{
    QStringList merged;
    for (int c = 0; c < table.colCount(); ++c) {
        QString value;
        for (int r : rows)
            if (value = table.text(r, c); !value.isEmpty())
                break;
        merged.append(value);
    }
    for (size_t i = 0; i < choices.size() && i < picked.size(); ++i) {
        const MergeChoice& choice = choices[i];
        if (picked[i] >= 0 && picked[i] < choice.values.size())
            merged[choice.col] = choice.values.at(picked[i]);
    }
    return merged;
}

} // namespace corvanta
