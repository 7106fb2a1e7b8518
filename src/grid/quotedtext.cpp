#include "grid/quotedtext.h"

#include <bit>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace corvanta {

namespace {

// The first delimiter, CR or LF in [s, end), or `end`: the end of an
// unquoted field. The reader runs this over nearly every byte of the text.
const char* findStop(const char* s, const char* end, char delimiter, const bool* stop)
{
#ifdef __SSE2__
    // Sixteen bytes at a time; most fields are short, so one step usually
    // finds the end.
    const __m128i delim = _mm_set1_epi8(delimiter);
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - s >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i hit = _mm_or_si128(
            _mm_cmpeq_epi8(v, delim), _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (const int mask = _mm_movemask_epi8(hit))
            return s + std::countr_zero(unsigned(mask));
        s += 16;
    }
#endif
    while (s < end && !stop[uint8_t(*s)])
        ++s;
    return s;
}

} // namespace

QuotedText::QuotedText(const Dialect& dialect, RowSink& sink) : m_dialect(dialect), m_sink(sink)
{
    m_stop[uint8_t(dialect.delimiter)] = true;
    m_stop[uint8_t('\r')] = true;
    m_stop[uint8_t('\n')] = true;
}

qsizetype QuotedText::feed(QByteArrayView text, bool final)
{
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    while (p < end) {
        const char* next = row(p, end, final);
        if (!next)
            break; // incomplete: wait for more text
        views();
        if (!m_sink.row(m_rowIndex, m_views.data(), int(m_views.size())))
            return -1;
        ++m_rowIndex;
        p = next;
    }
    return p - begin;
}

Q_ALWAYS_INLINE const char* QuotedText::plain(const char* s, const char* end) const
{
    return findStop(s, end, m_dialect.delimiter, m_stop);
}

// Reads one row starting at `p` into m_fields. Returns where the next row
// starts, or nullptr when the row may continue past `end`.
Q_ALWAYS_INLINE const char* QuotedText::row(const char* p, const char* const end, bool final)
{
    m_fields.clear();
    if (m_scratchUsed) {
        m_scratch.resize(0);
        m_scratchUsed = false;
    }
    for (;;) {
        FieldRef f{p, -1, 0};
        if (p < end && *p == '"') {
            p = quoted(p, end, final, f);
            if (!p)
                return nullptr;
        } else {
            const char* stop = plain(p, end);
            f.size = stop - p;
            p = stop;
        }
        if (p == end && !final)
            return nullptr;
        m_fields.push_back(f);
        if (m_fields.size() > size_t(m_dialect.maxFields))
            return p; // the sink refuses the row; don't collect the rest
        if (p < end && *p == m_dialect.delimiter) {
            ++p;
            continue;
        }
        // End of the line: CRLF, LF or a lone CR, or the end of the text.
        if (p < end) {
            if (*p == '\r') {
                if (p + 1 == end && !final)
                    return nullptr; // an LF may follow in the next piece
                if (p + 1 < end && p[1] == '\n')
                    ++p;
            }
            ++p;
        }
        return p;
    }
}

// A quoted field from its opening quote at `p`. Returns the position after
// the field, or nullptr when more text is needed.
const char* QuotedText::quoted(const char* p, const char* const end, bool final, FieldRef& f)
{
    const char* segment = p + 1;
    const char* q = segment;
    const qsizetype scratchStart = m_scratch.size();
    for (;;) {
        const char* hit = static_cast<const char*>(std::memchr(q, '"', size_t(end - q)));
        if (!hit)
            break;
        if (hit + 1 < end && hit[1] == '"') {
            if (f.scratchAt < 0)
                f.scratchAt = m_scratch.size();
            m_scratch.append(segment, hit + 1 - segment);
            m_scratchUsed = true;
            q = segment = hit + 2;
            continue;
        }
        // The closing quote (if it ends the piece, the row does not end
        // here and is read again with the next piece, so a split doubled
        // quote is never mistaken for it).
        const char* tail = plain(hit + 1, end);
        if (tail > hit + 1 && m_dialect.strict)
            return literal(p, end, f, scratchStart);
        // Lenient: text between it and the next delimiter is kept, quotes
        // and all, rather than dropped.
        if (f.scratchAt >= 0 || tail > hit + 1) {
            if (f.scratchAt < 0)
                f.scratchAt = m_scratch.size();
            m_scratch.append(segment, hit - segment);
            m_scratch.append(hit + 1, tail - (hit + 1));
            m_scratchUsed = true;
            f.size = m_scratch.size() - f.scratchAt;
        } else {
            f.data = segment;
            f.size = hit - segment;
        }
        return tail;
    }
    if (!final)
        return nullptr;
    // No closing quote before the end of the text: the opening quote was
    // not meant as one. (After this, every later quoted field is closed:
    // all quotes after this one come in pairs.)
    return literal(p, end, f, scratchStart);
}

// The field from `p` read as plain text, its opening quote included.
const char* QuotedText::literal(const char* p, const char* end, FieldRef& f, qsizetype scratchStart)
{
    m_scratch.resize(scratchStart);
    const char* stop = plain(p, end);
    f = FieldRef{p, -1, stop - p};
    return stop;
}

Q_ALWAYS_INLINE void QuotedText::views()
{
    m_views.resize(m_fields.size());
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const FieldRef& f = m_fields[i];
        const char* data = f.scratchAt >= 0 ? m_scratch.constData() + f.scratchAt : f.data;
        m_views[i] = QByteArrayView(data, f.size);
    }
}

qsizetype QuotedText::quotedSize(QByteArrayView cell)
{
    qsizetype quotes = 0;
    if (!cell.isEmpty()) {
        const char* s = cell.data();
        const char* const end = s + cell.size();
        while ((s = static_cast<const char*>(std::memchr(s, '"', size_t(end - s))))) {
            ++quotes;
            ++s;
        }
    }
    return cell.size() + quotes + 2;
}

char* QuotedText::writeQuoted(char* out, QByteArrayView cell)
{
    auto put = [&](const char* s, qsizetype n) {
        if (n > 0) // an empty cell's view may have no data pointer at all
            std::memcpy(out, s, size_t(n));
        out += n;
    };
    *out++ = '"';
    if (cell.isEmpty()) {
        *out++ = '"';
        return out;
    }
    const char* seg = cell.data();
    const char* const cellEnd = seg + cell.size();
    while (const char* hit =
               static_cast<const char*>(std::memchr(seg, '"', size_t(cellEnd - seg)))) {
        put(seg, hit + 1 - seg);
        *out++ = '"';
        seg = hit + 1;
    }
    put(seg, cellEnd - seg);
    *out++ = '"';
    return out;
}

} // namespace corvanta
