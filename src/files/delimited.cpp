#include "files/delimited.h"

#include "files/safefile.h"
#include "grid/quotedtext.h"
#include "grid/table.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <optional>
#include <utility>
#include <vector>

// The rules this reader and writer follow (quoting, line ends, encodings and
// what happens to malformed quoting) are described in docs/delimited-text.md.

namespace corvanta {
namespace Delimited {
namespace {

// A delimiter that is itself a quote or a line end would make every file
// ambiguous.
FileStatus usableArguments(char delimiter, int firstRow)
{
    if (delimiter == '"' || delimiter == '\r' || delimiter == '\n')
        return FileStatus::fail(FileStatus::BadDelimiter);
    if (firstRow < 0 || firstRow > Table::kMaxRows)
        return FileStatus::fail(FileStatus::BadFirstRow, QString::number(firstRow));
    return {};
}

// The length of the valid UTF-8 sequence at `p`: 0 when its first byte
// cannot start one here, -1 when the bytes up to `end` are the valid start
// of one that goes on past it.
int sequenceLength(const uchar* p, const uchar* end)
{
    const uchar c = *p;
    if (c < 0x80)
        return 1;
    int n;
    uchar lo = 0x80, hi = 0xBF;   // the second byte's range (no overlong forms,
    if (c >= 0xC2 && c <= 0xDF) { // no surrogates, nothing past U+10FFFF)
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        lo = c == 0xE0 ? 0xA0 : 0x80;
        hi = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        lo = c == 0xF0 ? 0x90 : 0x80;
        hi = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    for (int i = 1; i < n; ++i) {
        if (p + i >= end)
            return -1;
        if (p[i] < (i == 1 ? lo : 0x80) || p[i] > (i == 1 ? hi : 0xBF))
            return 0;
    }
    return n;
}

// What a look at text that is not all UTF-8 finds. Lines are counted as
// the reader ends them (CRLF, LF or a lone CR), quoted line breaks
// included, so the number is the one a text editor shows.
struct Utf8Tally
{
    qint64 nonAscii = 0; // bytes of 0x80 and above, bad ones included
    qint64 bad = 0;      // bytes in no valid sequence
    qint64 line = 1;
    qint64 firstBadLine = 0;
    bool afterCR = false;

    // A file is taken for UTF-8 with a few damaged bytes, rather than for
    // windows-1252, when at most one in ten of its non-ASCII bytes is bad:
    // in windows-1252 text nearly every non-ASCII byte is, since letters
    // are followed by letters, not by the 0x80-0xBF bytes UTF-8 needs.
    bool mostlyUtf8() const { return bad * 10 <= nonAscii; }

    // Counts `in`, a piece of the text; unless `last`, a sequence cut off at
    // its end is left for the next piece. Returns the bytes counted.
    qsizetype count(QByteArrayView in, bool last)
    {
        const auto* const begin = reinterpret_cast<const uchar*>(in.data());
        const auto* const end = begin + in.size();
        const auto* p = begin;
        while (p < end) {
            const uchar c = *p;
            if (c < 0x80) {
                if (c == '\r' || (c == '\n' && !afterCR))
                    ++line;
                afterCR = c == '\r';
                ++p;
                continue;
            }
            afterCR = false;
            const int n = sequenceLength(p, end);
            if (n < 0 && !last)
                break;
            if (n > 0) {
                nonAscii += n;
                p += n;
                continue;
            }
            ++nonAscii;
            if (bad++ == 0)
                firstBadLine = line;
            ++p;
        }
        return p - begin;
    }
};

constexpr char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD

// Turns text in a known encoding into UTF-8, a piece at a time: each call
// appends what it converted to `out` and returns the bytes of `in` it
// used; unless `last`, a character cut off at the end of `in` is left for
// the next call, which must start with it.
class Converter
{
  public:
    explicit Converter(TextEncoding encoding) : m_encoding(encoding) {}

    qsizetype convert(QByteArrayView in, bool last, QByteArray& out)
    {
        switch (m_encoding) {
        case TextEncoding::Utf8:
        case TextEncoding::Utf8Bom:
            return repairUtf8(in, last, out);
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE:
            return fromUtf16(in, last, out);
        case TextEncoding::Windows1252:
            break;
        }
        // Windows-1252, the usual encoding of files from older programs.
        // ICU, which every supported Qt build has, maps its five unassigned
        // bytes to the C1 controls, so every byte still becomes a character.
        QStringDecoder dec("windows-1252", QStringDecoder::Flag::Stateless);
        Q_ASSERT(dec.isValid());
        out += QString(dec(in)).toUtf8();
        return in.size();
    }

  private:
    // UTF-8 in which each byte that belongs to no valid sequence becomes
    // U+FFFD.
    static qsizetype repairUtf8(QByteArrayView in, bool last, QByteArray& out)
    {
        const qsizetype old = out.size();
        out.resize(old + 3 * in.size());
        char* o = out.data() + old;
        const auto* const begin = reinterpret_cast<const uchar*>(in.data());
        const auto* const end = begin + in.size();
        const auto* p = begin;
        while (p < end) {
            const int n = sequenceLength(p, end);
            if (n < 0 && !last)
                break;
            if (n > 0) {
                std::memcpy(o, p, size_t(n));
                o += n;
                p += n;
            } else {
                std::memcpy(o, kReplacement, 3);
                o += 3;
                ++p;
            }
        }
        out.resize(o - out.data());
        return p - begin;
    }

    // A lone surrogate and an odd last byte become U+FFFD.
    qsizetype fromUtf16(QByteArrayView in, bool last, QByteArray& out) const
    {
        const bool le = m_encoding == TextEncoding::Utf16LE;
        const qsizetype old = out.size();
        out.resize(old + in.size() / 2 * 3 + 3);
        char* o = out.data() + old;
        const auto* const begin = reinterpret_cast<const uchar*>(in.data());
        const auto* const end = begin + in.size();
        const auto* p = begin;
        auto unit = [le](const uchar* q) -> char32_t {
            return le ? char32_t(q[0] | q[1] << 8) : char32_t(q[0] << 8 | q[1]);
        };
        auto put = [&o](char32_t c) {
            if (c < 0x80) {
                *o++ = char(c);
            } else if (c < 0x800) {
                *o++ = char(0xC0 | c >> 6);
                *o++ = char(0x80 | (c & 0x3F));
            } else if (c < 0x10000) {
                *o++ = char(0xE0 | c >> 12);
                *o++ = char(0x80 | (c >> 6 & 0x3F));
                *o++ = char(0x80 | (c & 0x3F));
            } else {
                *o++ = char(0xF0 | c >> 18);
                *o++ = char(0x80 | (c >> 12 & 0x3F));
                *o++ = char(0x80 | (c >> 6 & 0x3F));
                *o++ = char(0x80 | (c & 0x3F));
            }
        };
        while (end - p >= 2) {
            const char32_t u = unit(p);
            if (u < 0xD800 || u > 0xDFFF) {
                put(u);
                p += 2;
                continue;
            }
            if (u <= 0xDBFF && end - p < 4 && !last)
                break; // the low half may come with the next piece
            const char32_t v = end - p >= 4 ? unit(p + 2) : 0;
            if (u <= 0xDBFF && v >= 0xDC00 && v <= 0xDFFF) {
                put(0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                p += 4;
            } else {
                put(0xFFFD);
                p += 2;
            }
        }
        if (last && p < end) {
            put(0xFFFD);
            ++p;
        }
        out.resize(o - out.data());
        return p - begin;
    }

    const TextEncoding m_encoding;
};

// A control character that no text file holds: C0 and C1 controls but
// TAB, LF and CR, and DEL.
bool isStrayControl(char32_t c)
{
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || (c >= 0x7F && c <= 0x9F);
}

// Whether `head` (whole 2-byte units, cut anywhere) reads as UTF-16 text:
// no lone surrogate, no stray control, no U+FFFE or U+FFFF.
bool readsAsUtf16(QByteArrayView head, bool le)
{
    const auto* p = reinterpret_cast<const uchar*>(head.data());
    const qsizetype units = head.size() / 2;
    for (qsizetype i = 0; i < units; ++i) {
        const char32_t u =
            le ? char32_t(p[2 * i] | p[2 * i + 1] << 8) : char32_t(p[2 * i] << 8 | p[2 * i + 1]);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 == units)
                break; // its low half lies past the part looked at
            const char32_t v = le ? char32_t(p[2 * i + 2] | p[2 * i + 3] << 8)
                                  : char32_t(p[2 * i + 2] << 8 | p[2 * i + 3]);
            if (v < 0xDC00 || v > 0xDFFF)
                return false;
            ++i;
        } else if ((u >= 0xDC00 && u <= 0xDFFF) || isStrayControl(u) || u >= 0xFFFE) {
            return false;
        }
    }
    return true;
}

// Whether `head` is UTF-8 text with zero bytes strewn in: valid UTF-8
// without stray controls once its zero bytes are left out, where UTF-16
// would join two non-zero bytes into one character. ASCII in UTF-16 is
// valid UTF-8 too, but there every unit holds a zero byte; real UTF-16
// text beyond Latin-1 seldom reads as clean UTF-8 for long.
bool readsAsUtf8WithZeros(QByteArrayView head)
{
    bool joined = false;
    for (qsizetype i = 0; i + 1 < head.size(); i += 2)
        joined = joined || (head[i] != 0 && head[i + 1] != 0);
    if (!joined)
        return false;
    QByteArray text;
    text.reserve(head.size());
    for (const char c : head)
        if (c != 0)
            text.append(c);
    const auto* p = reinterpret_cast<const uchar*>(text.constData());
    const auto* const end = p + text.size();
    while (p < end) {
        const int n = sequenceLength(p, end);
        if (n < 0)
            break; // cut off where the part looked at ends
        if (n == 0)
            return false;
        char32_t c = *p;
        if (n == 2)
            c = char32_t((p[0] & 0x1F) << 6 | (p[1] & 0x3F));
        if (isStrayControl(c))
            return false;
        p += n;
    }
    return true;
}

// The encoding that the start of a text names with a byte-order mark, or
// that its zero bytes show: ASCII in UTF-16 has a zero byte in every
// 2-byte unit, always on the same side, and text in other encodings has
// none at all. Sets `markSize` to the bytes of the mark.
TextEncoding encodingOf(QByteArrayView head, qint64 totalSize, qsizetype& markSize)
{
    markSize = 0;
    if (head.startsWith("\xEF\xBB\xBF")) {
        markSize = 3;
        return TextEncoding::Utf8Bom;
    }
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        markSize = 2;
        return uchar(head[0]) == 0xFF ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
    }
    // Only the first 4 KiB are looked at; a text of odd length is not
    // UTF-16.
    const qsizetype n = std::min<qsizetype>(head.size(), 4096) & ~qsizetype(1);
    if (n == 0 || totalSize % 2 != 0)
        return TextEncoding::Utf8;
    qsizetype zeros[2] = {0, 0};
    for (qsizetype i = 0; i < n; ++i)
        zeros[i & 1] += head[i] == 0;
    const qsizetype units = n / 2;
    for (int side = 0; side < 2; ++side) {
        const qsizetype here = zeros[side], there = zeros[1 - side];
        // At least a quarter of the units, and few zeros on the other side
        // (U+0100, U+4E00 and the like have a zero low byte).
        if (here > 0 && 4 * here >= units && 8 * there <= here) {
            const bool le = side == 1;
            const QByteArrayView units16 = head.first(n);
            if (readsAsUtf16(units16, le) && !readsAsUtf8WithZeros(units16))
                return le ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
            break;
        }
    }
    return TextEncoding::Utf8;
}

// Turns a whole text into UTF-8. Returns a view of `bytes` itself when they
// are UTF-8 already (the common case: no copy), otherwise a view of
// `storage`, which then holds the converted text.
QByteArrayView toUtf8(QByteArrayView bytes, QByteArray& storage, ReadInfo& info)
{
    qsizetype mark = 0;
    info.encoding = encodingOf(bytes, bytes.size(), mark);
    // A second byte-order mark right after the first is text, not a mark.
    const QByteArrayView text = bytes.sliced(mark);
    if (info.encoding == TextEncoding::Utf8 || info.encoding == TextEncoding::Utf8Bom) {
        if (Table::isValidUtf8(text))
            return text;
        Utf8Tally tally;
        tally.count(text, true);
        // The mark says UTF-8, so stray bytes become U+FFFD rather than
        // switching the whole text to another encoding.
        if (info.encoding == TextEncoding::Utf8Bom || tally.mostlyUtf8()) {
            info.replacedBytes = qsizetype(tally.bad);
            info.firstBadLine = int(std::min<qint64>(tally.firstBadLine, INT_MAX));
        } else {
            info.encoding = TextEncoding::Windows1252;
        }
    }
    Converter(info.encoding).convert(text, true, storage);
    return storage;
}

// The table keeps a row's text in one block with 32-bit offsets.
constexpr qsizetype kMaxRowBytes = 0x7fffffff;

// Writes parsed rows into the table, growing it as needed, and keeps what
// is needed to put the table back if the input turns out too large.
class RowSink : public QuotedText::RowSink
{
  public:
    RowSink(Table& table, int firstRow)
        : m_table(table), m_firstRow(firstRow), m_origRows(table.rowCount()),
          m_origCols(table.colCount()), m_maxCols(table.colCount())
    {
    }

    bool row(qsizetype index, const QByteArrayView* cells, int n) override
    {
        if (index < m_skip)
            return true;
        // Blank lines at the end of the text are not records; one in the
        // middle is, and goes in once a line with text follows it.
        if (n == 1 && cells[0].isEmpty()) {
            if (m_blankFrom < 0)
                m_blankFrom = index;
            return true;
        }
        if (m_blankFrom >= 0) {
            const QByteArrayView blank;
            for (qsizetype i = std::exchange(m_blankFrom, -1); i < index; ++i)
                if (!put(i, &blank, 1))
                    return false;
        }
        return put(index, cells, n);
    }

    // The first line of the text ("sep=;") is no row of the table.
    void skipFirstRow() { m_skip = 1; }

    // The same rows are about to be written again from the first.
    void restart()
    {
        m_rows = 0;
        m_blankFrom = -1;
    }

    void finish()
    {
        m_table.setColCount(m_maxCols);
        m_table.setRowCount(int(std::max<qsizetype>(m_origRows, m_firstRow + m_rows)));
    }

    // Puts the table back as it was before the first row. The added rows
    // go first, so that memory run out is freed before the backups go in.
    void rollBack()
    {
        m_table.setRowCount(m_origRows);
        m_table.setColCount(std::max(m_origCols, m_table.colCount()));
        for (const auto& [row, cells] : m_backup) {
            std::vector<QByteArrayView> views(cells.begin(), cells.end());
            m_table.setRowUtf8(row, views.data(), int(views.size()));
        }
        m_table.setColCount(m_origCols);
    }

    // Why the last row was refused.
    const FileStatus& status() const { return m_status; }

  private:
    bool put(qsizetype index, const QByteArrayView* cells, int n)
    {
        const qsizetype row = m_firstRow + index - m_skip;
        if (row >= Table::kMaxRows)
            return fail(FileStatus::fail(FileStatus::TooManyRows));
        if (n > Table::kMaxCols)
            return fail(FileStatus::fail(FileStatus::TooManyFields, QString::number(index + 1)));
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
        if (bytes > kMaxRowBytes)
            return fail(FileStatus::fail(FileStatus::RowTooLong, QString::number(index + 1)));
        m_maxCols = std::max(m_maxCols, n);
        if (row < m_origRows && row >= m_nextBackup) {
            backUp(int(row));
            m_nextBackup = row + 1;
        }
        // Every reader path hands over text that was checked as a whole.
        m_table.setValidRowUtf8(int(row), cells, n);
        m_rows = std::max(m_rows, index + 1 - m_skip);
        return true;
    }

    bool fail(FileStatus status)
    {
        m_status = std::move(status);
        rollBack();
        return false;
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
    qsizetype m_blankFrom = -1; // the first of the blank lines seen last
    qsizetype m_skip = 0;       // lines of the text before the first row
    std::vector<std::pair<int, std::vector<QByteArray>>> m_backup;
    FileStatus m_status;
};

QuotedText::Dialect dialectOf(char delimiter)
{
    QuotedText::Dialect d;
    d.delimiter = delimiter;
    d.maxFields = Table::kMaxCols;
    return d;
}

// The byte windows-1252 gives `cp`, or -1. Its five unassigned bytes are
// read as the C1 controls of the same number, so those controls go back to
// them and a file read in windows-1252 is written back byte for byte.
int windows1252Byte(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return int(cp);
    static constexpr char16_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp)
            return 0x80 + i;
    return -1;
}

// Appends valid UTF-8 `text` to `out` as windows-1252; false, with `out`
// as it was, at the first character that has no byte there.
bool appendWindows1252(QByteArrayView text, QByteArray& out)
{
    const qsizetype start = out.size();
    out.resize(start + text.size()); // never longer than the UTF-8
    char* o = out.data() + start;
    const auto* s = reinterpret_cast<const uchar*>(text.data());
    const auto* end = s + text.size();
    while (s < end) {
        char32_t cp = *s;
        if (cp < 0x80) {
            *o++ = char(*s++);
            continue;
        }
        const int len = cp >= 0xF0 ? 4 : cp >= 0xE0 ? 3 : 2;
        cp &= 0x3F >> (len - 1);
        for (int i = 1; i < len; ++i)
            cp = (cp << 6) | (s[i] & 0x3F);
        s += len;
        const int b = windows1252Byte(cp);
        if (b < 0) {
            out.truncate(start);
            return false;
        }
        *o++ = char(b);
    }
    out.truncate(o - out.constData());
    return true;
}

QByteArray byteOrderMark(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return QByteArrayLiteral("\xEF\xBB\xBF");
    case TextEncoding::Utf16LE:
        return QByteArrayLiteral("\xFF\xFE");
    case TextEncoding::Utf16BE:
        return QByteArrayLiteral("\xFE\xFF");
    case TextEncoding::Utf8:
    case TextEncoding::Windows1252:
        break;
    }
    return {};
}

bool isUtf8(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf8Bom;
}

// Appends valid UTF-8 `text` to `out` in `encoding`, without a mark. Only
// windows-1252 can fail.
bool appendEncoded(QByteArrayView text, TextEncoding encoding, QByteArray& out)
{
    if (isUtf8(encoding)) {
        out += text;
        return true;
    }
    if (encoding == TextEncoding::Windows1252)
        return appendWindows1252(text, out);
    QStringEncoder encoder(encoding == TextEncoding::Utf16LE ? QStringConverter::Utf16LE
                                                             : QStringConverter::Utf16BE);
    out += encoder(QString::fromUtf8(text));
    return true;
}

// The 1-based line of the text (counting from `firstRow`) whose cells hold
// a character windows-1252 lacks, or 0.
qsizetype firstUnencodableLine(const Table& table, int firstRow)
{
    QByteArray scratch;
    for (int r = firstRow; r < table.rowCount(); ++r) {
        const QByteArrayView row = table.rowUtf8(r);
        if (std::all_of(row.begin(), row.end(), [](char c) { return uchar(c) < 0x80; }))
            continue;
        scratch.clear();
        if (!appendWindows1252(row, scratch))
            return r - firstRow + 1;
    }
    return 0;
}

// A lower bound of the size of the written text: every cell's own bytes, a
// delimiter between cells and CRLF after each row, as if no cell needed
// quotes (then it is exact for UTF-8). One pass over the rows, not the
// cells, so it costs next to nothing even for a table of empty cells.
qint64 minimumSize(const Table& table, int firstRow, TextEncoding encoding)
{
    qint64 cellBytes = 0;
    for (int r = firstRow; r < table.rowCount(); ++r)
        cellBytes += table.rowUtf8(r).size();
    const qint64 marks =
        qint64(std::max(table.rowCount() - firstRow, 0)) * (std::max(table.colCount(), 1) + 1);
    const qint64 bom = byteOrderMark(encoding).size();
    switch (encoding) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        // Up to three UTF-8 bytes make one 16-bit unit, four make two.
        return bom + 2 * marks + 2 * (cellBytes / 3);
    case TextEncoding::Windows1252:
        // One byte a character, and a character takes at most three bytes
        // of UTF-8 here.
        return marks + cellBytes / 3;
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        break;
    }
    return bom + marks + cellBytes;
}

// Output buffer written through a raw pointer: QByteArray::append's checks
// cost more than the copying itself for short cells. With a device, the
// buffer is written out whenever it fills, so a save never holds the whole
// text; without one, it grows to hold all of it. The buffer holds UTF-8
// and always ends on a cell's end, so each piece converts on its own.
class Output
{
  public:
    Output(qsizetype capacity, AtomicFile* device, TextEncoding encoding = TextEncoding::Utf8)
        : m_device(device), m_encoding(encoding)
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
    void putQuoted(QByteArrayView cell)
    {
        char* const at = m_buf.data() + m_pos;
        m_pos += QuotedText::writeQuoted(at, cell) - at;
    }
    void put(const char* s, qsizetype n)
    {
        if (n > 0) // an empty cell's view may have no data pointer at all
            std::memcpy(m_buf.data() + m_pos, s, size_t(n));
        m_pos += n;
    }
    // Writes what is buffered to the device; false once any write failed.
    bool flush()
    {
        if (m_status && m_pos > 0)
            write(QByteArrayView(m_buf.constData(), m_pos));
        m_pos = 0;
        return bool(m_status);
    }
    // Bytes that go out as they are (a byte order mark).
    void writeRaw(QByteArrayView bytes)
    {
        if (m_status && !bytes.isEmpty())
            writeDevice(bytes);
    }
    // True from the first failed write on: the writer stops formatting.
    bool failed() const { return !m_status; }
    const FileStatus& status() const { return m_status; }
    QByteArray take()
    {
        m_buf.truncate(m_pos);
        return std::move(m_buf);
    }

  private:
    void write(QByteArrayView text)
    {
        if (isUtf8(m_encoding)) {
            writeDevice(text);
            return;
        }
        m_converted.clear();
        if (!appendEncoded(text, m_encoding, m_converted)) {
            // save() checks the whole table first; this only keeps a "?"
            // out of the file should that check ever be skipped.
            m_status = FileStatus::fail(FileStatus::Unencodable);
            return;
        }
        writeDevice(m_converted);
    }
    void writeDevice(QByteArrayView bytes)
    {
        if (m_device->write(bytes.data(), bytes.size()) != bytes.size() || m_device->failed())
            m_status = FileStatus::fail(FileStatus::Io, m_device->errorString());
    }

    AtomicFile* const m_device;
    const TextEncoding m_encoding;
    QByteArray m_buf;
    QByteArray m_converted;
    qsizetype m_pos = 0;
    FileStatus m_status;
};

// The writer: every row as one line of `cols` fields.
void write(const Table& table, char delimiter, int firstRow, Output& out)
{
    const int rows = table.rowCount();
    const int cols = table.colCount();
    const QuotedText::Dialect dialect = dialectOf(delimiter);
    for (int r = firstRow; r < rows; ++r) {
        // Once a write failed, the rest would be formatted for nothing: a
        // full disk must not cost minutes of work on a huge export.
        if (out.failed())
            return;
        for (int c = 0; c < cols; ++c) {
            const QByteArrayView cell = table.utf8(r, c);
            const char* s = cell.data();
            const qsizetype n = cell.size();
            out.reserveMore(2 * n + 4);
            if (c > 0)
                out.put(delimiter);
            bool quote = QuotedText::needsQuotes(cell, dialect);
            // A leading U+FEFF in the very first cell would read back as a
            // byte-order mark and vanish; quoting keeps it text.
            // So would a first cell "sep=;" as the comma import's sep line.
            if (!quote && r == firstRow && c == 0 &&
                ((n >= 3 && std::memcmp(s, "\xEF\xBB\xBF", 3) == 0) ||
                 (n >= 4 && qstrnicmp(s, 4, "sep=", 4) == 0)))
                quote = true;
            if (!quote) {
                out.put(s, n);
                continue;
            }
            out.putQuoted(cell);
        }
        out.reserveMore(2);
        out.put("\r\n", 2);
    }
}

} // namespace

FileStatus decode(QByteArrayView bytes, char delimiter, Table& out, int firstRow, ReadInfo* info)
{
    if (FileStatus s = usableArguments(delimiter, firstRow); !s)
        return s;
    RowSink sink(out, firstRow);
    ReadInfo found;
    try {
        QByteArray converted;
        const QByteArrayView text = toUtf8(bytes, converted, found);
        if (delimiter == kSniff) {
            const Sniffed sniffed = sniff(text, true);
            delimiter = sniffed.delimiter;
            if (sniffed.sepLine)
                sink.skipFirstRow();
        }
        found.delimiter = delimiter;
        QuotedText parser(dialectOf(delimiter), sink);
        if (parser.feed(text, true) < 0)
            return sink.status();
    } catch (const std::bad_alloc&) {
        // The converted text and the parser's buffers are gone by now.
        sink.rollBack();
        return FileStatus::fail(FileStatus::OutOfMemory);
    }
    sink.finish();
    if (info)
        *info = found;
    return {};
}

QByteArray encode(const Table& table, char delimiter, int firstRow, TextEncoding encoding)
{
    firstRow = std::max(firstRow, 0);
    if (encoding == TextEncoding::Windows1252 && firstUnencodableLine(table, firstRow) > 0)
        return {};
    QByteArray text;
    if (firstRow < table.rowCount()) {
        // The cells' own bytes are most of the output; the rest is separators.
        Output out(qsizetype(table.heapBytes()) +
                       qsizetype(table.rowCount() - firstRow) * (table.colCount() + 2),
                   nullptr);
        write(table, delimiter, firstRow, out);
        text = out.take();
    }
    if (encoding == TextEncoding::Utf8)
        return text;
    QByteArray result = byteOrderMark(encoding);
    if (isUtf8(encoding))
        return result + text;
    result.reserve(result.size() + 2 * text.size());
    appendEncoded(text, encoding, result);
    return result;
}

bool canEncode(const Table& table, TextEncoding encoding, int firstRow)
{
    return encoding != TextEncoding::Windows1252 ||
           firstUnencodableLine(table, std::max(firstRow, 0)) == 0;
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

namespace {

// The reading behind load(): the rows go to `sink`, and `found` learns the
// encoding.
FileStatus loadInto(const QString& path, char delimiter, RowSink& sink, ReadInfo& found)
{
    QFile file;
    if (FileStatus s =
            openInputFile(file, path, kMaxInputBytes, QIODevice::ReadOnly | QIODevice::Unbuffered);
        !s)
        return s;
    auto readError = [&] { return FileStatus::fail(FileStatus::Io, file.errorString()); };

    // The file is read a piece at a time, so that an import holds little
    // more than the table it builds rather than the file and the table.
    constexpr qsizetype kPiece = qsizetype(1) << 20;
    QByteArray buf;
    bool eof = false;
    auto fill = [&](QByteArray& into, qsizetype want) {
        const qsizetype old = into.size();
        into.resize(old + want);
        qsizetype got = 0;
        while (got < want) {
            const qint64 n = file.read(into.data() + old + got, want - got);
            if (n < 0) {
                into.resize(old + got);
                return false;
            }
            if (n == 0) {
                eof = true;
                break;
            }
            got += qsizetype(n);
        }
        into.resize(old + got);
        return true;
    };
    // Counts the bad bytes of the whole file, for the choice between UTF-8
    // and windows-1252 and for the line the user is told about; the read
    // goes on where it was.
    auto tallyFile = [&](qsizetype from, Utf8Tally& tally) {
        const qint64 resume = file.pos();
        const bool wasEof = eof;
        if (!file.seek(from))
            return false;
        eof = false;
        QByteArray piece;
        while (!eof) {
            if (!fill(piece, kPiece))
                return false;
            piece.remove(0, tally.count(piece, eof));
        }
        eof = wasEof;
        return file.seek(resume);
    };

    if (!fill(buf, kPiece))
        return readError();
    qsizetype pos = 0;
    found.encoding = encodingOf(buf, file.size(), pos);
    if (delimiter == kSniff) {
        // The first piece holds the lines looked at: UTF-16 is looked at
        // as UTF-8, and windows-1252 needs no change for it.
        QByteArray head;
        const bool utf16 =
            found.encoding == TextEncoding::Utf16LE || found.encoding == TextEncoding::Utf16BE;
        if (utf16)
            Converter(found.encoding).convert(QByteArrayView(buf).sliced(pos), eof, head);
        const Sniffed sniffed =
            sniff(utf16 ? QByteArrayView(head) : QByteArrayView(buf).sliced(pos), eof);
        delimiter = sniffed.delimiter;
        if (sniffed.sepLine)
            sink.skipFirstRow();
    }
    found.delimiter = delimiter;
    std::optional<QuotedText> parser;
    parser.emplace(dialectOf(delimiter), sink);

    if (found.encoding == TextEncoding::Utf8 || found.encoding == TextEncoding::Utf8Bom) {
        const qsizetype mark = pos;
        for (;;) {
            const QByteArrayView rest = QByteArrayView(buf).sliced(pos);
            // Checked before any of its rows go in, up to a character that
            // the next piece completes. Complete rows end at an ASCII byte,
            // so they never reach into that tail. Bytes that are not UTF-8
            // end this loop, the one for plain UTF-8.
            if (!Table::isValidUtf8(rest.first(eof ? rest.size() : completeUtf8Prefix(rest))))
                break;
            const qsizetype used = parser->feed(rest, eof);
            if (used < 0)
                return sink.status();
            if (eof)
                return {};
            buf.remove(0, pos + used);
            pos = 0;
            // A row longer than a piece doubles the read, which keeps the
            // re-scanning of its start linear in its length.
            if (!fill(buf, std::max(kPiece, buf.size()))) {
                sink.rollBack();
                return readError();
            }
        }
        Utf8Tally tally;
        if (!tallyFile(mark, tally)) {
            sink.rollBack();
            return readError();
        }
        if (found.encoding == TextEncoding::Utf8Bom || tally.mostlyUtf8()) {
            // The rows so far were valid: the rest goes on with each bad
            // byte replaced. A mark that says UTF-8 is always believed.
            found.replacedBytes = qsizetype(tally.bad);
            found.firstBadLine = int(std::min<qint64>(tally.firstBadLine, INT_MAX));
            buf.remove(0, pos);
        } else {
            // Windows-1252: the rows written so far are written again.
            found.encoding = TextEncoding::Windows1252;
            sink.restart();
            parser.emplace(dialectOf(delimiter), sink);
            buf.clear();
            eof = false;
            if (!file.seek(0) || !fill(buf, kPiece)) {
                sink.rollBack();
                return readError();
            }
        }
    } else {
        buf.remove(0, pos);
    }

    // Everything but plain UTF-8: each piece is converted before parsing.
    Converter converter(found.encoding);
    QByteArray text;
    for (;;) {
        buf.remove(0, converter.convert(buf, eof, text));
        const qsizetype used = parser->feed(text, eof);
        if (used < 0)
            return sink.status();
        if (eof)
            break;
        text.remove(0, used);
        if (!fill(buf, std::max(kPiece, text.size()))) {
            sink.rollBack();
            return readError();
        }
    }
    return {};
}

} // namespace

FileStatus load(const QString& path, char delimiter, Table& out, int firstRow, ReadInfo* info)
{
    if (FileStatus s = usableArguments(delimiter, firstRow); !s)
        return s;
    RowSink sink(out, firstRow);
    ReadInfo found;
    FileStatus status;
    try {
        status = loadInto(path, delimiter, sink, found);
    } catch (const std::bad_alloc&) {
        // What the read held is freed by now; the table goes back as it was.
        sink.rollBack();
        return FileStatus::fail(FileStatus::OutOfMemory);
    }
    if (!status)
        return status;
    sink.finish();
    if (info)
        *info = found;
    return {};
}

FileStatus save(const Table& table, const QString& path, char delimiter, int firstRow,
                TextEncoding encoding, const FreeSpaceQuery& freeSpace)
{
    if (FileStatus s = usableArguments(delimiter, 0); !s)
        return s;
    firstRow = std::max(firstRow, 0);
    if (encoding == TextEncoding::Windows1252) {
        if (const qsizetype line = firstUnencodableLine(table, firstRow); line > 0)
            return FileStatus::fail(FileStatus::Unencodable, QString::number(line));
    }
    AtomicFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return FileStatus::fail(FileStatus::Io, file.errorString());
    QString why;
    if (!AtomicFile::fitsFreeSpace(path, minimumSize(table, firstRow, encoding), &why, freeSpace))
        return FileStatus::fail(FileStatus::Io, why);
    Output out(qsizetype(1) << 20, &file, encoding);
    out.writeRaw(byteOrderMark(encoding));
    write(table, delimiter, firstRow, out);
    if (!out.flush())
        return out.status();
    if (!file.commit())
        return FileStatus::fail(FileStatus::Io, file.errorString());
    return {};
}

} // namespace Delimited
} // namespace corvanta
