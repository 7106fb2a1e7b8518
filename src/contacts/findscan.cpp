#include "contacts/findscan.h"

#include "contacts/foldedtext.h"

#include "grid/table.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <string_view>

namespace corvanta {

namespace {

char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
}

// Every byte to itself but a-z, which become A-Z.
constexpr auto kUpper = [] {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[size_t(i)] =
            (i >= 'a' && i <= 'z') ? (unsigned char)(i - ('a' - 'A')) : (unsigned char)(i);
    return t;
}();

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
    // One pass: an ASCII needle is looked for with ASCII upper-casing, and
    // the pass notes whether the cell holds anything else. Only such a cell
    // can still match another way (a few letters upper-case to ASCII, "ſ"
    // to "S"), and only such a cell is decoded.
    const auto* p = reinterpret_cast<const unsigned char*>(cell.data());
    const qsizetype size = cell.size();
    unsigned char high = 0;
    if (m_asciiNeedle) {
        const auto* needle = reinterpret_cast<const unsigned char*>(m_bytes.constData());
        const qsizetype n = m_bytes.size();
        const qsizetype lastStart = size - n;
        for (qsizetype i = 0; i < size; ++i) {
            const unsigned char c = p[i];
            high |= c;
            if (i > lastStart || kUpper[c] != needle[0])
                continue;
            qsizetype k = 1;
            while (k < n && kUpper[p[i + k]] == needle[k])
                ++k;
            if (k == n)
                return true;
        }
    } else {
        for (qsizetype i = 0; i < size; ++i)
            high |= p[i];
    }
    if (!(high & 0x80))
        return false;
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
