#include "tools/findscan.h"

#include "grid/table.h"

#include <QChar>

#include <algorithm>
#include <string_view>

namespace corvanta {

namespace {

bool isAscii(QByteArrayView s)
{
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
}

// Cells hold valid UTF-8 only (the table repairs or rejects anything else).
void decodeUpper(QByteArrayView s, std::u32string& out)
{
    out.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        char32_t c = *p;
        int extra = 0;
        if (c >= 0xF0) {
            c &= 0x07;
            extra = 3;
        } else if (c >= 0xE0) {
            c &= 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            c &= 0x1F;
            extra = 1;
        }
        ++p;
        for (; extra > 0 && p < end; --extra, ++p)
            c = (c << 6) | (*p & 0x3F);
        out.push_back(QChar::toUpper(c));
    }
}

} // namespace

FindMatcher::FindMatcher(const QString& needle, bool matchCase) : m_matchCase(matchCase)
{
    if (matchCase) {
        m_bytes = needle.toUtf8();
        return;
    }
    // Simple (one to one) upper-case mapping, the same for the needle and
    // the cells, so a letter never turns into two.
    const QByteArray utf8 = needle.toUtf8();
    decodeUpper(utf8, m_wide);
    m_asciiNeedle = isAscii(utf8);
    if (m_asciiNeedle) {
        m_bytes = utf8;
        std::transform(m_bytes.begin(), m_bytes.end(), m_bytes.begin(), upperAscii);
    }
}

bool FindMatcher::matches(QByteArrayView cell) const
{
    // An empty text is found in every cell that holds something.
    if (m_wide.empty() && m_bytes.isEmpty())
        return !cell.isEmpty();
    const std::string_view hay(cell.data(), size_t(cell.size()));
    if (m_matchCase)
        return hay.find(std::string_view(m_bytes.constData(), size_t(m_bytes.size()))) !=
               std::string_view::npos;
    return matchesFolded(cell);
}

bool FindMatcher::matchesFolded(QByteArrayView cell) const
{
    if (isAscii(cell)) {
        // An ASCII cell stays ASCII in upper case, so a needle with any
        // other letter cannot occur in it.
        if (!m_asciiNeedle)
            return false;
        const qsizetype n = m_bytes.size();
        const char first = m_bytes[0];
        for (qsizetype i = 0; i + n <= cell.size(); ++i) {
            if (upperAscii(cell[i]) != first)
                continue;
            qsizetype k = 1;
            while (k < n && upperAscii(cell[i + k]) == m_bytes[k])
                ++k;
            if (k == n)
                return true;
        }
        return false;
    }
    decodeUpper(cell, m_buffer);
    return m_buffer.find(m_wide) != std::u32string::npos;
}

FindResult findFrom(const Table& table, int col, int row, const FindMatcher& matcher)
{
    FindResult result;
    const int rows = table.rowCount();
    const int cols = table.colCount();
    for (int c = std::max(col, 0); c < cols; ++c) {
        for (int r = (c == col ? std::max(row, 1) : 1); r < rows; ++r) {
            result.examinedAny = true;
            if (matcher.matches(table.utf8(r, c))) {
                result.row = r;
                result.col = c;
                return result;
            }
        }
    }
    return result;
}

} // namespace corvanta
