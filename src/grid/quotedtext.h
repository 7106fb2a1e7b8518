#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <limits>
#include <vector>

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
    static bool needsQuotes(QByteArrayView cell, const Dialect& dialect);
    // The quoted form's size, and writing it (quotes around, inner quotes
    // doubled) at `out`, which must hold that many bytes; returns its end.
    static qsizetype quotedSize(QByteArrayView cell);
    static char* writeQuoted(char* out, QByteArrayView cell);

  private:
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
