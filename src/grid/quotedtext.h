#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace corvanta {

// The one reader of delimited, double-quoted text (files and the clipboard
// alike): splits UTF-8 text into rows and fields in one pass and hands each
// row to a sink. A row ends at LF, CRLF or a lone CR; a row break at the end
// of the text makes no extra row. A field that starts with a quote is quoted:
// delimiters and row breaks inside are text and a doubled quote is one
// quote. A quote anywhere else is an ordinary character.
//
// The dialect says what happens to a quoted field that goes wrong. Without a
// closing quote it always reads literally, opening quote included, up to the
// next delimiter or row break, so one stray quote cannot swallow the rest of
// the text. Text between a closing quote and the next delimiter is appended
// to the field (lenient) or makes the whole field read literally (strict).
//
// The text may be fed in pieces: a row that runs past the end of a piece is
// left for the next feed, which starts with it.
class QuotedText
{
  public:
    struct Dialect
    {
        char delimiter = ',';
        bool strict = false;
        // Writing: whether a quote anywhere in a cell calls for quotes, or
        // only one that starts the cell (which is all the reader needs).
        bool quoteAnyQuote = true;
        // A row with more fields is handed over with maxFields + 1 of them,
        // for the sink to refuse, rather than collected to its end.
        int maxFields = std::numeric_limits<int>::max();
    };

    class RowSink
    {
      public:
        virtual ~RowSink() = default;
        // Row `index` (0-based, counted from the first feed); false stops
        // the reading.
        virtual bool row(qsizetype index, const QByteArrayView* cells, int n) = 0;
    };

    QuotedText(const Dialect& dialect, RowSink& sink);

    // Parses the complete rows of `text`; when `final`, the end of the text
    // ends the last row. Returns the bytes consumed, or -1 when the sink
    // refused a row.
    qsizetype feed(QByteArrayView text, bool final);

    // The writing side. Whether `cell` must be quoted to read back as itself.
    // Inline: writers ask it of every cell.
    static bool needsQuotes(QByteArrayView cell, const Dialect& dialect)
    {
        if (dialect.quoteAnyQuote)
            return holdsSpecial(cell.data(), cell.size(), dialect.delimiter, '"');
        return (!cell.isEmpty() && cell.front() == '"') ||
               holdsSpecial(cell.data(), cell.size(), dialect.delimiter, dialect.delimiter);
    }
    // The quoted form's size, and writing it (quotes around, inner quotes
    // doubled) at `out`, which must hold that many bytes; returns its end.
    static qsizetype quotedSize(QByteArrayView cell);
    static char* writeQuoted(char* out, QByteArrayView cell);

  private:
    // Whether [s, s + n) holds the delimiter, `quote`, CR or LF. Cells are
    // mostly shorter than 16 bytes, so short ones are checked with two
    // overlapping loads instead of a byte at a time.
    static bool holdsSpecial(const char* s, qsizetype n, char delimiter, char quote)
    {
#ifdef __SSE2__
        auto special = [&](__m128i v) {
            const __m128i hit =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(delimiter)),
                                          _mm_cmpeq_epi8(v, _mm_set1_epi8(quote))),
                             _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                          _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
            return _mm_movemask_epi8(hit) != 0;
        };
        auto load = [](const char* p) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        };
        if (n >= 16) {
            for (qsizetype i = 0; i + 16 <= n; i += 16)
                if (special(load(s + i)))
                    return true;
            return special(load(s + n - 16));
        }
        if (n >= 8) {
            long long a, b;
            std::memcpy(&a, s, 8);
            std::memcpy(&b, s + n - 8, 8);
            return special(_mm_set_epi64x(b, a));
        }
        if (n >= 4) {
            uint32_t a, b;
            std::memcpy(&a, s, 4);
            std::memcpy(&b, s + n - 4, 4);
            return special(_mm_set1_epi64x((long long)(uint64_t(b) << 32 | a)));
        }
#endif
        for (qsizetype i = 0; i < n; ++i)
            if (s[i] == delimiter || s[i] == quote || s[i] == '\r' || s[i] == '\n')
                return true;
        return false;
    }

    // One field of the row being read: either a slice of the input or, for
    // a field whose text had to be rewritten (doubled quotes), a slice of
    // the row's scratch buffer. Offsets rather than pointers into the
    // scratch buffer, because it may move while the row grows.
    struct FieldRef
    {
        const char* data;    // into the input, when scratchAt < 0
        qsizetype scratchAt; // offset into the scratch buffer, or -1
        qsizetype size;
    };

    const char* plain(const char* s, const char* end) const;
    const char* row(const char* p, const char* end, bool final);
    const char* quoted(const char* p, const char* end, bool final, FieldRef& f);
    const char* literal(const char* p, const char* end, FieldRef& f, qsizetype scratchStart);
    void views();

    const Dialect m_dialect;
    RowSink& m_sink;
    bool m_stop[256] = {}; // bytes that end a run of plain field text
    std::vector<FieldRef> m_fields;
    std::vector<QByteArrayView> m_views;
    QByteArray m_scratch; // rewritten fields of the current row
    bool m_scratchUsed = false;
    qsizetype m_rowIndex = 0;
};

} // namespace corvanta
