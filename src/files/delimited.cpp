#include "files/delimited.h"

#include "grid/table.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// The rules this reader and writer follow (quoting, line ends, encodings and
// what happens to malformed quoting) are described in docs/delimited-text.md.

namespace corvanta {
namespace Delimited {
namespace {

// Bytes that end a run of plain field text.
using StopTable = std::array<bool, 256>;

StopTable stopTable(char delimiter, bool quotes)
{
    StopTable t{};
    t[uint8_t(delimiter)] = true;
    t[uint8_t('\r')] = true;
    t[uint8_t('\n')] = true;
    t[uint8_t('"')] = quotes;
    return t;
}

// The first delimiter, CR or LF in [s, end), or `end`: the end of an
// unquoted field. The reader runs this over nearly every byte of the text.
const char* findStop(const char* s, const char* end, char delimiter, const StopTable& stop)
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

// Whether the writer must quote a cell: it holds the delimiter, a quote,
// CR or LF. Cells are mostly shorter than 16 bytes, so short ones are
// checked with two overlapping loads instead of a byte at a time.
bool needsQuotes(const char* s, qsizetype n, char delimiter, const StopTable& stop)
{
#ifdef __SSE2__
    auto special = [&](__m128i v) {
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(delimiter)),
                                                      _mm_cmpeq_epi8(v, _mm_set1_epi8('"'))),
                                         _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                                      _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
        return _mm_movemask_epi8(hit) != 0;
    };
    auto load = [](const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
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
        if (stop[uint8_t(s[i])])
            return true;
    return false;
}

// A delimiter that is itself a quote or a line end would make every file
// ambiguous.
bool usableArguments(char delimiter, int firstRow, QString* error)
{
    if (delimiter == '"' || delimiter == '\r' || delimiter == '\n') {
        if (error)
            *error = QStringLiteral("The delimiter cannot be a quote or a line break.");
        return false;
    }
    if (firstRow < 0 || firstRow > Table::kMaxRows) {
        if (error)
            *error = QStringLiteral("Invalid first row %1.").arg(firstRow);
        return false;
    }
    return true;
}

// Turns the file's bytes into UTF-8. Returns a view of `bytes` itself when
// they are UTF-8 already (the common case: no copy), otherwise a view of
// `storage`, which then holds the converted text.
QByteArrayView toUtf8(QByteArrayView bytes, QByteArray& storage)
{
    auto startsWith = [&](const char* bom, qsizetype n) {
        return bytes.size() >= n && std::memcmp(bytes.data(), bom, size_t(n)) == 0;
    };
    // A second byte-order mark right after the first is text, not a mark.
    constexpr auto flags =
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;

    if (startsWith("\xEF\xBB\xBF", 3)) {
        bytes = bytes.sliced(3);
        if (Table::isValidUtf8(bytes))
            return bytes;
        // The mark says UTF-8, so stray bytes become U+FFFD rather than
        // switching the whole file to another encoding.
        QStringDecoder dec(QStringConverter::Utf8, flags);
        storage = QString(dec(bytes)).toUtf8();
        return storage;
    }
    if (startsWith("\xFF\xFE", 2) || startsWith("\xFE\xFF", 2)) {
        const auto enc =
            uint8_t(bytes[0]) == 0xFF ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
        QStringDecoder dec(enc, flags);
        storage = QString(dec(bytes.sliced(2))).toUtf8();
        return storage;
    }
    if (Table::isValidUtf8(bytes))
        return bytes;

    // Not UTF-8: windows-1252, the usual encoding of files from older
    // programs. ICU maps its five unassigned bytes to the C1 controls, so
    // every byte still becomes a character.
    QStringDecoder dec("windows-1252", flags);
    if (dec.isValid()) {
        storage = QString(dec(bytes)).toUtf8();
        return storage;
    }
    // Qt built without ICU: the code page is Latin-1 but for 0x80..0x9F.
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uint8_t b = uint8_t(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b);
    }
    storage = text.toUtf8();
    return storage;
}

// One field of the row being read: either a slice of the input or, for a
// field whose text had to be rewritten (doubled quotes), a slice of the
// row's scratch buffer. Offsets rather than pointers into the scratch
// buffer, because it may move while the row grows.
struct FieldRef
{
    const char* data;    // into the input, when scratchAt < 0
    qsizetype scratchAt; // offset into the scratch buffer, or -1
    qsizetype size;
};

// The table keeps a row's text in one block with 32-bit offsets.
constexpr qsizetype kMaxRowBytes = 0x7fffffff;

// Writes parsed rows into the table, growing it as needed, and keeps what
// is needed to put the table back if the input turns out too large.
class RowSink
{
  public:
    RowSink(Table& table, int firstRow)
        : m_table(table), m_firstRow(firstRow), m_origRows(table.rowCount()),
          m_origCols(table.colCount()), m_maxCols(table.colCount())
    {
    }

    bool put(qsizetype index, const QByteArrayView* cells, int n, QString* error)
    {
        const qsizetype row = m_firstRow + index;
        if (row >= Table::kMaxRows) {
            fail(error, QStringLiteral("The text has more than %1 rows.").arg(Table::kMaxRows));
            return false;
        }
        if (n > Table::kMaxCols) {
            fail(error, QStringLiteral("Row %1 has more than %2 fields.")
                            .arg(index + 1)
                            .arg(Table::kMaxCols));
            return false;
        }
        if (row >= m_table.rowCount()) {
            // Geometric growth: the final count is only known at the end.
            const qsizetype want =
                std::max<qsizetype>({row + 1, 2 * qsizetype(m_table.rowCount()), 1024});
            m_table.setRowCount(int(std::min<qsizetype>(want, Table::kMaxRows)));
        }
        if (n > m_table.colCount()) {
            // Ragged rows may widen one column at a time; grow in steps so
            // a staircase of rows does not resize the table once per row.
            const int want = std::max(n, std::min(2 * m_table.colCount(), Table::kMaxCols));
            m_table.setColCount(want);
        }
        qsizetype bytes = 0;
        for (int i = 0; i < n; ++i)
            bytes += cells[i].size();
        if (bytes > kMaxRowBytes) {
            fail(error, QStringLiteral("Row %1 holds more than 2 GB of text.").arg(index + 1));
            return false;
        }
        m_maxCols = std::max(m_maxCols, n);
        if (row < m_origRows && row >= m_nextBackup) {
            backUp(int(row));
            m_nextBackup = row + 1;
        }
        // Every reader path hands over text that was checked as a whole.
        m_table.setValidRowUtf8(int(row), cells, n);
        m_rows = std::max(m_rows, index + 1);
        return true;
    }

    // The same rows are about to be written again from the first.
    void restart() { m_rows = 0; }

    void finish()
    {
        m_table.setColCount(m_maxCols);
        m_table.setRowCount(int(std::max<qsizetype>(m_origRows, m_firstRow + m_rows)));
    }

    // Puts the table back as it was before the first row.
    void rollBack()
    {
        m_table.setColCount(std::max(m_origCols, m_table.colCount()));
        for (const auto& [row, cells] : m_backup) {
            std::vector<QByteArrayView> views(cells.begin(), cells.end());
            m_table.setRowUtf8(row, views.data(), int(views.size()));
        }
        m_table.setRowCount(m_origRows);
        m_table.setColCount(m_origCols);
    }

  private:
    void fail(QString* error, const QString& text)
    {
        if (error)
            *error = text;
        rollBack();
    }

    // Rows that held text before this read are saved before being
    // overwritten, so a failure can restore them.
    void backUp(int row)
    {
        std::vector<QByteArray> cells;
        cells.reserve(size_t(m_origCols));
        for (int c = 0; c < m_origCols; ++c)
            cells.emplace_back(m_table.utf8(row, c).toByteArray());
        m_backup.emplace_back(row, std::move(cells));
    }

    Table& m_table;
    const int m_firstRow;
    const int m_origRows;
    const int m_origCols;
    int m_maxCols;
    qsizetype m_rows = 0;
    qsizetype m_nextBackup = 0;
    std::vector<std::pair<int, std::vector<QByteArray>>> m_backup;
};

// The reader proper: splits UTF-8 text into rows and fields in one pass
// and hands each row to the sink. It can be fed the text in pieces: a row
// that runs past the end of a piece is left for the next feed, which starts
// with it.
class Parser
{
  public:
    Parser(char delimiter, RowSink& sink)
        : m_delimiter(delimiter), m_sink(sink), m_stop(stopTable(delimiter, false))
    {
    }

    // Parses the complete rows of `text`; when `final`, the end of the text
    // ends the last row. Returns the bytes consumed, or -1 when the sink
    // refused a row.
    qsizetype feed(QByteArrayView text, bool final, QString* error)
    {
        const char* const begin = text.data();
        const char* const end = begin + text.size();
        const char* p = begin;
        while (p < end) {
            const char* next = row(p, end, final);
            if (!next)
                break; // incomplete: wait for more text
            views();
            if (!m_sink.put(m_rowIndex, m_views.data(), int(m_views.size()), error))
                return -1;
            ++m_rowIndex;
            p = next;
        }
        return p - begin;
    }

  private:
    // Outside a quoted field a quote is an ordinary character: only a
    // delimiter or a line end ends the text.
    const char* plain(const char* s, const char* end) const
    {
        return findStop(s, end, m_delimiter, m_stop);
    }

    // Reads one row starting at `p` into m_fields. Returns where the next
    // row starts, or nullptr when the row may continue past `end`.
    const char* row(const char* p, const char* const end, bool final)
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
            if (m_fields.size() > size_t(Table::kMaxCols))
                return p; // the sink refuses the row; don't collect the rest
            if (p < end && *p == m_delimiter) {
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

    // A quoted field from its opening quote at `p`: delimiters and line
    // breaks are text, a doubled quote is one quote, a lone quote closes
    // it. Returns the position after the field, or nullptr when more text
    // is needed.
    const char* quoted(const char* p, const char* const end, bool final, FieldRef& f)
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
            // The closing quote (if it ends the piece, the row does not
            // end here and is read again with the next piece, so a split
            // doubled quote is never mistaken for it). Text between it and
            // the next delimiter is kept, quotes and all, rather than dropped.
            const char* tail = plain(hit + 1, end);
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
        // No closing quote before the end of the text: the opening quote
        // was not meant as one. Read the field again as plain text, the
        // quote included, so the rest of the file is not swallowed into
        // this one cell. (After this, every later quoted field is closed:
        // all quotes after this one come in pairs.)
        m_scratch.resize(scratchStart);
        f = FieldRef{p, -1, 0};
        const char* stop = plain(p, end);
        f.size = stop - p;
        return stop;
    }

    void views()
    {
        m_views.resize(m_fields.size());
        for (size_t i = 0; i < m_fields.size(); ++i) {
            const FieldRef& f = m_fields[i];
            const char* data = f.scratchAt >= 0 ? m_scratch.constData() + f.scratchAt : f.data;
            m_views[i] = QByteArrayView(data, f.size);
        }
    }

    const char m_delimiter;
    RowSink& m_sink;
    const StopTable m_stop;
    std::vector<FieldRef> m_fields;
    std::vector<QByteArrayView> m_views;
    QByteArray m_scratch; // rewritten fields of the current row
    bool m_scratchUsed = false;
    qsizetype m_rowIndex = 0;
};

// Output buffer written through a raw pointer: QByteArray::append's checks
// cost more than the copying itself for short cells. With a device, the
// buffer is written out whenever it fills, so a save never holds the whole
// text; without one, it grows to hold all of it.
class Output
{
  public:
    Output(qsizetype capacity, QIODevice* device) : m_device(device)
    {
        m_buf.resize(std::max<qsizetype>(capacity, 256));
    }

    void reserveMore(qsizetype n)
    {
        if (m_pos + n <= m_buf.size())
            return;
        if (m_device) {
            flush();
            if (n <= m_buf.size())
                return;
        }
        m_buf.resize(std::max(m_pos + n, m_buf.size() + m_buf.size() / 2));
    }
    void put(char c) { m_buf.data()[m_pos++] = c; }
    void put(const char* s, qsizetype n)
    {
        if (n > 0) // an empty cell's view may have no data pointer at all
            std::memcpy(m_buf.data() + m_pos, s, size_t(n));
        m_pos += n;
    }
    // Writes what is buffered to the device; false once any write failed.
    bool flush()
    {
        if (m_ok && m_pos > 0)
            m_ok = m_device->write(m_buf.constData(), m_pos) == m_pos;
        m_pos = 0;
        return m_ok;
    }
    QByteArray take()
    {
        m_buf.truncate(m_pos);
        return std::move(m_buf);
    }

  private:
    QIODevice* const m_device;
    QByteArray m_buf;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

// The writer: every row as one line of `cols` fields.
void write(const Table& table, char delimiter, int firstRow, Output& out)
{
    const int rows = table.rowCount();
    const int cols = table.colCount();
    const StopTable stop = stopTable(delimiter, true);
    for (int r = firstRow; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const QByteArrayView cell = table.utf8(r, c);
            const char* s = cell.data();
            const qsizetype n = cell.size();
            out.reserveMore(2 * n + 4);
            if (c > 0)
                out.put(delimiter);
            bool quote = needsQuotes(s, n, delimiter, stop);
            // A leading U+FEFF in the very first cell would read back as a
            // byte-order mark and vanish; quoting keeps it text.
            if (!quote && r == firstRow && c == 0 && n >= 3 &&
                std::memcmp(s, "\xEF\xBB\xBF", 3) == 0)
                quote = true;
            if (!quote) {
                out.put(s, n);
                continue;
            }
            out.put('"');
            const char* seg = s;
            const char* const cellEnd = s + n;
            while (const char* hit =
                       static_cast<const char*>(std::memchr(seg, '"', size_t(cellEnd - seg)))) {
                out.put(seg, hit + 1 - seg);
                out.put('"');
                seg = hit + 1;
            }
            out.put(seg, cellEnd - seg);
            out.put('"');
        }
        out.reserveMore(2);
        out.put("\r\n", 2);
    }
}

} // namespace

bool decode(QByteArrayView bytes, char delimiter, Table& out, int firstRow, QString* error)
{
    if (!usableArguments(delimiter, firstRow, error))
        return false;
    QByteArray converted;
    const QByteArrayView text = toUtf8(bytes, converted);
    RowSink sink(out, firstRow);
    Parser parser(delimiter, sink);
    if (parser.feed(text, true, error) < 0)
        return false;
    sink.finish();
    return true;
}

QByteArray encode(const Table& table, char delimiter, int firstRow)
{
    firstRow = std::max(firstRow, 0);
    if (firstRow >= table.rowCount())
        return {};
    // The cells' own bytes are most of the output; the rest is separators.
    Output out(qsizetype(table.heapBytes()) +
                   qsizetype(table.rowCount() - firstRow) * (table.colCount() + 2),
               nullptr);
    write(table, delimiter, firstRow, out);
    return out.take();
}

namespace {

// The length of `text` without a UTF-8 sequence cut off at its end.
qsizetype completeUtf8Prefix(QByteArrayView text)
{
    const qsizetype n = text.size();
    for (qsizetype back = 1; back <= 4 && back <= n; ++back) {
        const auto c = uchar(text[n - back]);
        if (c < 0x80)
            return n; // ASCII ends the text: nothing is cut off
        if (c >= 0xc0) {
            const qsizetype need = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : 2;
            return need > back ? n - back : n;
        }
    }
    return n;
}

} // namespace

bool load(const QString& path, char delimiter, Table& out, int firstRow, QString* error)
{
    if (!usableArguments(delimiter, firstRow, error))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    auto readError = [&] {
        if (error)
            *error = file.errorString();
        return false;
    };

    // The file is read a piece at a time, so that an import holds little
    // more than the table it builds rather than the file and the table.
    constexpr qsizetype kPiece = qsizetype(1) << 20;
    QByteArray buf;
    bool eof = false;
    auto fill = [&](qsizetype want) {
        const qsizetype old = buf.size();
        buf.resize(old + want);
        qsizetype got = 0;
        while (got < want) {
            const qint64 n = file.read(buf.data() + old + got, want - got);
            if (n < 0) {
                buf.resize(old + got);
                return false;
            }
            if (n == 0) {
                eof = true;
                break;
            }
            got += qsizetype(n);
        }
        buf.resize(old + got);
        return true;
    };
    // Text that is not plain UTF-8 is converted as a whole.
    auto whole = [&](RowSink* sink) {
        if (!file.seek(0))
            return readError();
        buf = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return readError();
        if (!sink)
            return decode(buf, delimiter, out, firstRow, error);
        QByteArray converted;
        const QByteArrayView text = toUtf8(buf, converted);
        Parser parser(delimiter, *sink);
        if (parser.feed(text, true, error) < 0)
            return false;
        sink->finish();
        return true;
    };

    if (!fill(kPiece))
        return readError();
    if (buf.startsWith("\xFF\xFE") || buf.startsWith("\xFE\xFF"))
        return whole(nullptr);

    RowSink sink(out, firstRow);
    Parser parser(delimiter, sink);
    qsizetype pos = buf.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {
        const QByteArrayView rest = QByteArrayView(buf).sliced(pos);
        // Checked before any of its rows go in, up to a character that the
        // next piece completes. Complete rows end at an ASCII byte, so they
        // never reach into that tail. Bytes that are not UTF-8 send the
        // whole file through the conversion; the rows written so far are
        // written again.
        if (!Table::isValidUtf8(rest.first(eof ? rest.size() : completeUtf8Prefix(rest)))) {
            sink.restart();
            if (!whole(&sink)) {
                sink.rollBack();
                return false;
            }
            return true;
        }
        const qsizetype used = parser.feed(rest, eof, error);
        if (used < 0)
            return false;
        if (eof)
            break;
        buf.remove(0, pos + used);
        pos = 0;
        // A row longer than a piece doubles the read, which keeps the
        // re-scanning of its start linear in its length.
        if (!fill(std::max(kPiece, buf.size()))) {
            sink.rollBack();
            return readError();
        }
    }
    sink.finish();
    return true;
}

bool save(const Table& table, const QString& path, char delimiter, int firstRow, QString* error)
{
    if (!usableArguments(delimiter, 0, error))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    Output out(qsizetype(1) << 20, &file);
    write(table, delimiter, std::max(firstRow, 0), out);
    if (!out.flush() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace Delimited
} // namespace corvanta
