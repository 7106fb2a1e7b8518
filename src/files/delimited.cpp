#include "files/delimited.h"

#include "grid/quotedtext.h"
#include "grid/table.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
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
    // programs. ICU, which every supported Qt build has, maps its five
    // unassigned bytes to the C1 controls, so every byte still becomes a
    // character.
    QStringDecoder dec("windows-1252", flags);
    Q_ASSERT(dec.isValid());
    storage = QString(dec(bytes)).toUtf8();
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
        const qsizetype row = m_firstRow + index;
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

    // Why the last row was refused.
    const FileStatus& status() const { return m_status; }

  private:
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
    const QuotedText::Dialect dialect = dialectOf(delimiter);
    for (int r = firstRow; r < rows; ++r) {
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
            if (!quote && r == firstRow && c == 0 && n >= 3 &&
                std::memcmp(s, "\xEF\xBB\xBF", 3) == 0)
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

FileStatus decode(QByteArrayView bytes, char delimiter, Table& out, int firstRow)
{
    if (FileStatus s = usableArguments(delimiter, firstRow); !s)
        return s;
    QByteArray converted;
    const QByteArrayView text = toUtf8(bytes, converted);
    RowSink sink(out, firstRow);
    QuotedText parser(dialectOf(delimiter), sink);
    if (parser.feed(text, true) < 0)
        return sink.status();
    sink.finish();
    return {};
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

FileStatus load(const QString& path, char delimiter, Table& out, int firstRow)
{
    if (FileStatus s = usableArguments(delimiter, firstRow); !s)
        return s;
    QFile file(path);
    auto readError = [&] { return FileStatus::fail(FileStatus::Io, file.errorString()); };
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return readError();

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
    auto whole = [&](RowSink* sink) -> FileStatus {
        if (!file.seek(0))
            return readError();
        buf = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return readError();
        if (!sink)
            return decode(buf, delimiter, out, firstRow);
        QByteArray converted;
        const QByteArrayView text = toUtf8(buf, converted);
        QuotedText parser(dialectOf(delimiter), *sink);
        if (parser.feed(text, true) < 0)
            return sink->status();
        sink->finish();
        return {};
    };

    if (!fill(kPiece))
        return readError();
    if (buf.startsWith("\xFF\xFE") || buf.startsWith("\xFE\xFF"))
        return whole(nullptr);

    RowSink sink(out, firstRow);
    QuotedText parser(dialectOf(delimiter), sink);
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
            const FileStatus s = whole(&sink);
            if (!s)
                sink.rollBack();
            return s;
        }
        const qsizetype used = parser.feed(rest, eof);
        if (used < 0)
            return sink.status();
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
    return {};
}

FileStatus save(const Table& table, const QString& path, char delimiter, int firstRow)
{
    if (FileStatus s = usableArguments(delimiter, 0); !s)
        return s;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return FileStatus::fail(FileStatus::Io, file.errorString());
    Output out(qsizetype(1) << 20, &file);
    write(table, delimiter, std::max(firstRow, 0), out);
    if (!out.flush() || !file.commit()) {
        const FileStatus s = FileStatus::fail(FileStatus::Io, file.errorString());
        file.cancelWriting();
        return s;
    }
    return {};
}

} // namespace Delimited
} // namespace corvanta
