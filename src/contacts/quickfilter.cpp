#include "contacts/quickfilter.h"

#include "contacts/foldedtext.h"
#include "grid/table.h"

#include <algorithm>
#include <string_view>

namespace corvanta {

namespace {

// Ends each folded cell of a record; folding turns control characters into
// spaces, so neither a cell nor a search text holds it.
constexpr char kCellEnd = '\x1f';

std::string foldRow(const Table& table, int row, const std::vector<int>& columns)
{
    QByteArray folded;
    for (int c : columns) {
        appendFolded(table.utf8(row, c), folded);
        folded.append(kCellEnd);
    }
    return std::string(folded.constData(), size_t(folded.size()));
}

} // namespace

void QuickFilter::build(const Table& table, std::vector<int> columns)
{
    m_columns = std::move(columns);
    const int records = std::max(0, table.rowCount() - 1);
    m_rows.assign(size_t(records), {});
    for (int r = 1; r <= records; ++r)
        m_rows[size_t(r - 1)] = foldRow(table, r, m_columns);
    m_built = true;
    m_narrowable = false;
    const auto it = std::find(m_columns.begin(), m_columns.end(), m_column);
    m_slot = m_column < 0 || it == m_columns.end() ? -1 : int(it - m_columns.begin());
}

void QuickFilter::refold(const Table& table, int row1, int row2)
{
    if (!m_built)
        return;
    row1 = std::max(row1, 1);
    row2 = std::min(row2, int(m_rows.size()));
    for (int r = row1; r <= row2; ++r)
        m_rows[size_t(r - 1)] = foldRow(table, r, m_columns);
    m_narrowable = false;
}

void QuickFilter::insertRows(const Table& table, int at, int n)
{
    if (!m_built || at < 1 || at > int(m_rows.size()) + 1 || n <= 0) {
        m_built = false;
        return;
    }
    m_rows.insert(m_rows.begin() + (at - 1), size_t(n), std::string());
    refold(table, at, at + n - 1);
}

void QuickFilter::removeRows(int at, int n)
{
    if (!m_built || at < 1 || at + n - 1 > int(m_rows.size()) || n <= 0) {
        m_built = false;
        return;
    }
    m_rows.erase(m_rows.begin() + (at - 1), m_rows.begin() + (at - 1 + n));
    m_narrowable = false;
}

bool QuickFilter::setText(const QString& text, int column)
{
    QByteArray needle = foldedText(text.trimmed());
    const auto it = std::find(m_columns.begin(), m_columns.end(), column);
    const int slot = column < 0 || it == m_columns.end() ? -1 : int(it - m_columns.begin());
    // A column that is not searched (hidden) holds nothing to find.
    const bool unsearched = column >= 0 && slot < 0;
    const bool narrower =
        m_narrowable && column == m_column && !m_needle.isEmpty() && needle.contains(m_needle);
    if (needle == m_needle && column == m_column && m_narrowable)
        return false;
    m_needle = std::move(needle);
    m_column = column;
    m_slot = slot;
    if (m_needle.isEmpty()) {
        m_matches.resize(m_rows.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_matches[i] = int(i) + 1;
    } else if (unsearched) {
        m_matches.clear();
    } else if (narrower) {
        const std::vector<int> before = std::move(m_matches);
        search(&before);
    } else {
        search(nullptr);
    }
    m_narrowable = m_built;
    return true;
}

bool QuickFilter::rowMatches(int row) const
{
    const std::string_view text = m_rows[size_t(row - 1)];
    const std::string_view needle(m_needle.constData(), size_t(m_needle.size()));
    if (m_slot < 0)
        return text.find(needle) != std::string_view::npos;
    size_t begin = 0;
    for (int s = 0; s < m_slot; ++s)
        begin = text.find(kCellEnd, begin) + 1;
    const size_t end = text.find(kCellEnd, begin);
    return text.substr(begin, end - begin).find(needle) != std::string_view::npos;
}

void QuickFilter::search(const std::vector<int>* among)
{
    m_matches.clear();
    if (among) {
        for (int r : *among)
            if (rowMatches(r))
                m_matches.push_back(r);
        return;
    }
    for (int r = 1; r <= int(m_rows.size()); ++r)
        if (rowMatches(r))
            m_matches.push_back(r);
}

} // namespace corvanta
