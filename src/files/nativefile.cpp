#include "files/nativefile.h"

#include "files/safefile.h"
#include "grid/table.h"

#include <QFile>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <vector>

// The layout is documented in docs/native-format.md; keep the two in step.
// Every accepted file is in the one form the writer produces, so decoding a
// file and encoding the table again gives back the same bytes (the fuzz
// target checks exactly that).

namespace corvanta::NativeFile {

namespace {

constexpr char kMagic[8] = {'\x89', 'C', 'V', 'T', '\r', '\n', '\x1a', '\n'};
// Version 2: a format record may stand for a run of rows in its column.
constexpr uint32_t kVersion = 2;
// The longest run one format record holds: its count byte.
constexpr int kMaxRun = 255;
constexpr size_t kHeaderSize = 24;
constexpr size_t kMinColumnSize = 17; // width, type, align, hidden, format length
constexpr size_t kFormatSize = 24;
constexpr size_t kHeightSize = 8;

enum StyleBit : uint8_t { StyleBold = 1, StyleItalic = 2, StyleUnderline = 4 };
constexpr uint8_t kAllFields =
    CellFormat::HasAlign | CellFormat::HasBack | CellFormat::HasFore | CellFormat::HasFontSize;

static_assert(std::endian::native == std::endian::little,
              "the file is little-endian and written with plain copies");

class Writer
{
  public:
    explicit Writer(qsizetype size) : m_out(size, Qt::Uninitialized), m_p(m_out.data()) {}
    void u8(uint8_t v) { *m_p++ = char(v); }
    void varint(uint32_t v)
    {
        while (v >= 0x80) {
            *m_p++ = char(v | 0x80);
            v >>= 7;
        }
        *m_p++ = char(v);
    }
    void u32(uint32_t v) { bytes(&v, 4); }
    void i32(int32_t v) { bytes(&v, 4); }
    void bytes(const void* data, size_t n)
    {
        if (n)
            std::memcpy(m_p, data, n);
        m_p += n;
    }
    // The size given was an upper bound: varints are often shorter.
    QByteArray finish()
    {
        Q_ASSERT(m_p <= m_out.data() + m_out.size());
        m_out.resize(m_p - m_out.data());
        return std::move(m_out);
    }

  private:
    QByteArray m_out;
    char* m_p;
};

// Reads little-endian values; every read checks the bytes that are left.
class NativeReader
{
  public:
    explicit NativeReader(QByteArrayView in) : m_p(in.data()), m_end(in.data() + in.size()) {}
    size_t left() const { return size_t(m_end - m_p); }
    const char* pos() const { return m_p; }
    bool skip(size_t n)
    {
        if (n > left())
            return false;
        m_p += n;
        return true;
    }
    bool u8(uint8_t& v)
    {
        if (left() < 1)
            return false;
        v = uint8_t(*m_p++);
        return true;
    }
    bool u32(uint32_t& v) { return raw(&v, 4); }
    // LEB128, at most 5 bytes, in its shortest form only.
    bool varint(uint32_t& v)
    {
        uint32_t value = 0;
        for (int i = 0; i < 5 && m_p < m_end; ++i) {
            const auto b = uint8_t(*m_p++);
            value |= uint32_t(b & 0x7f) << (7 * i);
            if (!(b & 0x80)) {
                if ((i > 0 && b == 0) || (i == 4 && b > 0x0f))
                    return false;
                v = value;
                return true;
            }
        }
        return false;
    }
    bool i32(int32_t& v) { return raw(&v, 4); }
    bool f32(float& v) { return raw(&v, 4); }

  private:
    bool raw(void* v, size_t n)
    {
        if (left() < n)
            return false;
        std::memcpy(v, m_p, n);
        m_p += n;
        return true;
    }
    const char* m_p;
    const char* m_end;
};

uint8_t styleOf(const CellFormat& f)
{
    return uint8_t((f.bold ? StyleBold : 0) | (f.italic ? StyleItalic : 0) |
                   (f.underline ? StyleUnderline : 0));
}

// A format exactly as Table::setFormat stores it, and not the default.
bool isCanonical(const CellFormat& f)
{
    if (f.fields & ~kAllFields)
        return false;
    if (!(f.fields & CellFormat::HasAlign) && f.align != 0)
        return false;
    if (f.back > 0xffffff || (!(f.fields & CellFormat::HasBack) && f.back != 0))
        return false;
    if (f.fore > 0xffffff || (!(f.fields & CellFormat::HasFore) && f.fore != 0))
        return false;
    if (f.fields & CellFormat::HasFontSize) {
        if (!(f.fontSize > 0 && f.fontSize <= Table::kMaxFontSize))
            return false;
    } else if (std::bit_cast<uint32_t>(f.fontSize) != 0) {
        return false; // not even -0.0
    }
    return !f.isDefault();
}

bool decodeColumns(NativeReader& r, Table& t)
{
    for (int c = 0; c < t.colCount(); ++c) {
        ColumnAttr a;
        uint8_t hidden;
        uint32_t len;
        if (!r.i32(a.width) || !r.i32(a.type) || !r.i32(a.align) || !r.u8(hidden) || !r.u32(len))
            return false;
        if (a.width < -1 || hidden > 1 || len > r.left())
            return false;
        const QByteArrayView format(r.pos(), qsizetype(len));
        if (!Table::isValidUtf8(format))
            return false;
        r.skip(len);
        a.hidden = hidden;
        a.format = QString::fromUtf8(format);
        t.setColumn(c, a);
    }
    return true;
}

bool decodeCells(NativeReader& r, Table& t)
{
    std::vector<uint32_t> ends(size_t(t.colCount()));
    for (int row = 0; row < t.rowCount(); ++row) {
        uint32_t n;
        if (!r.varint(n) || n > uint32_t(t.colCount()))
            return false;
        if (n == 0)
            continue;
        uint64_t total = 0;
        for (uint32_t c = 0; c < n; ++c) {
            uint32_t len;
            if (!r.varint(len))
                return false;
            total += len;
            if (total > r.left())
                return false;
            ends[c] = uint32_t(total); // the row's text is at most what is left
        }
        // The writer drops trailing empty cells, so the last one has text.
        if (total == (n > 1 ? ends[n - 2] : 0))
            return false;
        if (!t.setRowPacked(row, QByteArrayView(r.pos(), qsizetype(total)),
                            std::span(ends.data(), n)))
            return false;
        r.skip(size_t(total));
    }
    return true;
}

// One record of the formats section: `format` on rows row..end-1 of `col`.
struct Run
{
    uint32_t row;
    uint32_t col;
    uint32_t end;
    CellFormat format;
};

// Reads and checks the records of the formats section.
bool readRuns(NativeReader& r, const Table& t, uint32_t version, std::vector<Run>& runs)
{
    uint32_t count;
    if (!r.u32(count) || size_t(count) * kFormatSize > r.left())
        return false;
    runs.reserve(count);
    int64_t previous = -1; // row * 2^32 + col, strictly increasing
    // Per column, the run written last: runs of one column never overlap,
    // and a run that stops short of kMaxRun rows stops because the format
    // below it differs (the writer would have gone on), so the next run
    // right below it in the column never carries the same format.
    struct LastRun
    {
        uint32_t end = 0; // the first row it does not cover
        bool full = true; // it could not have gone on
        CellFormat format;
    };
    std::vector<LastRun> last(size_t(t.colCount()));
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t row = 0, col = 0;
        uint8_t style = 0, pad = 0;
        CellFormat f;
        r.u32(row);
        r.u32(col);
        r.u8(f.fields);
        r.u8(style);
        r.u8(reinterpret_cast<uint8_t&>(f.align));
        r.u8(pad);
        r.u32(f.back);
        r.u32(f.fore);
        r.f32(f.fontSize);
        if (row >= uint32_t(t.rowCount()) || col >= uint32_t(t.colCount()))
            return false;
        const int64_t key = int64_t(row) << 32 | col;
        if (key <= previous || (style & ~7) || (pad && version < 2))
            return false;
        previous = key;
        // In version 2 the byte counts the rows below that share the format.
        const uint32_t more = pad;
        LastRun& before = last[col];
        if (row < before.end || more >= uint32_t(t.rowCount()) - row)
            return false;
        f.bold = style & StyleBold;
        f.italic = style & StyleItalic;
        f.underline = style & StyleUnderline;
        if (!isCanonical(f))
            return false;
        if (row == before.end && !before.full && f == before.format)
            return false;
        // Version 1 wrote a record per cell, alike or not.
        before = {row + more + 1, version < 2 || more == uint32_t(kMaxRun), f};
        runs.push_back({row, col, row + more + 1, f});
    }
    return true;
}

// Hands each row the list of its formats. The rows between two rows where
// a run starts or ends carry the same list and share it, and so does a
// later stretch whose list is the same again, so a block formatted over
// many rows costs a handle a row however it was cut into runs. Runs that
// start and end at many different rows still make a list at each of those
// rows: past `maxEntries` entries in all the lists the file holds more
// than memory should give it, and the load fails as out of memory.
FileStatus unfoldRuns(const std::vector<Run>& runs, Table& t, size_t maxEntries)
{
    struct Active
    {
        int col;
        uint32_t end;
        CellFormat format;
    };
    const auto byColumn = [](const Active& a, const Active& b) { return a.col < b.col; };
    const uint32_t rows = uint32_t(t.rowCount());
    std::vector<Active> active, starting, merged; // by column
    std::vector<Table::ColumnFormat> built;
    std::shared_ptr<const std::vector<Table::ColumnFormat>> list;
    std::vector<Table::RowFormats> handles;
    size_t next = 0, entries = 0;
    uint32_t row = runs.empty() ? rows : runs.front().row;
    while (row < rows && (next < runs.size() || !active.empty())) {
        std::erase_if(active, [row](const Active& a) { return a.end == row; });
        starting.clear();
        for (; next < runs.size() && runs[next].row == row; ++next) // by column already
            starting.push_back({int(runs[next].col), runs[next].end, runs[next].format});
        merged.clear();
        std::merge(active.begin(), active.end(), starting.begin(), starting.end(),
                   std::back_inserter(merged), byColumn);
        active.swap(merged);

        uint32_t stop = next < runs.size() ? runs[next].row : rows;
        for (const Active& a : active)
            stop = std::min(stop, a.end);
        if (!active.empty()) {
            built.clear();
            for (const Active& a : active)
                built.emplace_back(a.col, a.format);
            if (!list || *list != built) {
                entries += built.size();
                if (entries > maxEntries)
                    return FileStatus::fail(FileStatus::OutOfMemory);
                list = std::make_shared<const std::vector<Table::ColumnFormat>>(built);
            }
            // No run is longer than kMaxRun + 1 rows, so neither is this.
            handles.assign(stop - row, list);
            t.setRowFormatHandles(int(row), handles);
        }
        row = stop;
    }
    t.shareAlikeFormats();
    return {};
}

// What the formats of a file may unfold to in memory: a fixed allowance
// that any address book's formatting fits in however it is cut, and
// beyond it a bounded number of list entries per record, so memory stays
// in proportion to the file.
constexpr size_t kFreeFormatEntries = size_t(1) << 20;
constexpr size_t kFormatEntriesPerRecord = 16;

FileStatus decodeFormats(NativeReader& r, Table& t, uint32_t version)
{
    std::vector<Run> runs;
    if (!readRuns(r, t, version, runs))
        return FileStatus::fail(FileStatus::Damaged);
    return unfoldRuns(runs, t, kFreeFormatEntries + kFormatEntriesPerRecord * runs.size());
}

// Calls `fn(row, col, more, format)` for each record of the formats
// section, in file order: a formatted cell together with up to kMaxRun rows
// below it that carry the same format in the same column. A block
// formatted over many rows thus takes a record per 256 rows and column,
// not one per cell.
template <typename F> void forEachFormatRun(const Table& t, F&& fn)
{
    if (!t.hasAnyFormat())
        return;
    const int rows = t.rowCount();
    std::vector<int> covered(size_t(t.colCount()), 0); // first row not yet written
    for (int r = 0; r < rows; ++r) {
        for (const auto& [c, f] : t.rowFormats(r)) {
            if (r < covered[size_t(c)])
                continue;
            int more = 0;
            while (more < kMaxRun && r + more + 1 < rows && t.format(r + more + 1, c) == f)
                ++more;
            covered[size_t(c)] = r + more + 1;
            fn(r, c, more, f);
        }
    }
}

bool decodeHeights(NativeReader& r, Table& t)
{
    uint32_t count;
    if (!r.u32(count) || size_t(count) * kHeightSize > r.left())
        return false;
    int64_t previous = -1;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t row = 0;
        int32_t twips = 0;
        r.u32(row);
        r.i32(twips);
        if (row >= uint32_t(t.rowCount()) || int64_t(row) <= previous || twips < 0)
            return false;
        previous = row;
        t.setRowHeight(int(row), twips);
    }
    return true;
}

} // namespace

QByteArray encode(const Table& t)
{
    const int rows = t.rowCount(), cols = t.colCount();
    std::vector<QByteArray> formats(static_cast<size_t>(cols));
    size_t size = kHeaderSize + 4 + 4; // header, format and height counts
    for (int c = 0; c < cols; ++c) {
        formats[size_t(c)] = t.column(c).format.toUtf8();
        size += kMinColumnSize + size_t(formats[size_t(c)].size());
    }
    for (int r = 0; r < rows; ++r) // varints take at most 5 bytes
        size += 5 + 5 * size_t(t.usedCols(r)) + size_t(t.rowUtf8(r).size());
    size_t formatCount = 0, heightCount = 0;
    for (int r = 0; r < rows; ++r)
        heightCount += t.rowHeight(r) >= 0;
    forEachFormatRun(t, [&formatCount](int, int, int, const CellFormat&) { ++formatCount; });
    size += formatCount * kFormatSize + heightCount * kHeightSize;

    Writer w(static_cast<qsizetype>(size));
    w.bytes(kMagic, sizeof kMagic);
    w.u32(kVersion);
    w.u32(0); // flags
    w.u32(uint32_t(rows));
    w.u32(uint32_t(cols));
    for (int c = 0; c < cols; ++c) {
        const ColumnAttr& a = t.column(c);
        w.i32(std::max(a.width, -1));
        w.i32(a.type);
        w.i32(a.align);
        w.u8(a.hidden ? 1 : 0);
        w.u32(uint32_t(formats[size_t(c)].size()));
        w.bytes(formats[size_t(c)].constData(), size_t(formats[size_t(c)].size()));
    }
    for (int r = 0; r < rows; ++r) {
        const int n = t.usedCols(r);
        w.varint(uint32_t(n));
        for (int c = 0; c < n; ++c)
            w.varint(uint32_t(t.utf8(r, c).size()));
        const QByteArrayView text = t.rowUtf8(r);
        w.bytes(text.data(), size_t(text.size()));
    }
    w.u32(uint32_t(formatCount));
    forEachFormatRun(t, [&w](int r, int c, int more, const CellFormat& f) {
        w.u32(uint32_t(r));
        w.u32(uint32_t(c));
        w.u8(f.fields);
        w.u8(styleOf(f));
        w.u8(uint8_t(f.align));
        w.u8(uint8_t(more));
        w.u32(f.back);
        w.u32(f.fore);
        w.bytes(&f.fontSize, 4);
    });
    w.u32(uint32_t(heightCount));
    for (int r = 0; r < rows; ++r) {
        if (t.rowHeight(r) >= 0) {
            w.u32(uint32_t(r));
            w.i32(t.rowHeight(r));
        }
    }
    return w.finish();
}

namespace {

// Checks the fixed header at the start of `r`, which holds at least the
// header or else the whole file of `fileSize` bytes. Each column and each
// row takes some bytes, so the counts are checked against the bytes the
// file holds after the header: they cannot ask for more memory than the
// input can justify.
FileStatus readHeader(NativeReader& r, size_t fileSize, uint32_t& rows, uint32_t& cols, uint32_t& version)
{
    if (r.left() < sizeof kMagic || std::memcmp(r.pos(), kMagic, sizeof kMagic) != 0)
        return FileStatus::fail(FileStatus::NotNative);
    r.skip(sizeof kMagic);
    uint32_t flags;
    if (!r.u32(version))
        return FileStatus::fail(FileStatus::Damaged);
    if (version > kVersion)
        return FileStatus::fail(FileStatus::Newer);
    if (version < 1 || !r.u32(flags) || flags != 0 || !r.u32(rows) || !r.u32(cols))
        return FileStatus::fail(FileStatus::Damaged);
    if (rows > uint32_t(Table::kMaxRows) || cols > uint32_t(Table::kMaxCols))
        return FileStatus::fail(FileStatus::TooLarge);
    if (size_t(cols) * kMinColumnSize + size_t(rows) > fileSize - kHeaderSize)
        return FileStatus::fail(FileStatus::Damaged);
    return {};
}

} // namespace

FileStatus decode(QByteArrayView bytes, Table& out)
{
    NativeReader r(bytes);
    uint32_t rows, cols, version;
    if (FileStatus s = readHeader(r, size_t(bytes.size()), rows, cols, version); !s)
        return s;

    Table t(static_cast<int>(rows), static_cast<int>(cols));
    if (!decodeColumns(r, t) || !decodeCells(r, t))
        return FileStatus::fail(FileStatus::Damaged);
    if (FileStatus s = decodeFormats(r, t, version); !s)
        return s;
    if (!decodeHeights(r, t) || r.left() != 0)
        return FileStatus::fail(FileStatus::Damaged);
    out = std::move(t);
    return {};
}

FileStatus save(const Table& table, const QString& path)
{
    AtomicFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return FileStatus::fail(FileStatus::Io, file.errorString());
    const QByteArray bytes = encode(table);
    // The whole size is known: a file that cannot fit is refused before
    // the disk fills up.
    QString why;
    if (!AtomicFile::fitsFreeSpace(path, bytes.size(), &why))
        return FileStatus::fail(FileStatus::Io, why);
    if (file.write(bytes) != bytes.size() || !file.commit())
        return FileStatus::fail(FileStatus::Io, file.errorString());
    return {};
}

FileStatus load(const QString& path, Table& out)
{
    QFile file;
    if (FileStatus s = openInputFile(file, path); !s)
        return s;
    auto readError = [&] { return FileStatus::fail(FileStatus::Io, file.errorString()); };
    // The header says whether this is a document at all and how large its
    // table claims to be, so nothing else is read (or allocated) for a file
    // that is not one.
    const qint64 size = file.size();
    char head[kHeaderSize];
    const qint64 got = file.read(head, qint64(std::min<qint64>(size, kHeaderSize)));
    if (got < 0)
        return readError();
    NativeReader r(QByteArrayView(head, got));
    uint32_t rows, cols, version;
    if (FileStatus s = readHeader(r, size_t(std::max<qint64>(size, got)), rows, cols, version); !s)
        return s;

    // Read rather than map: a file cut short by another program while it is
    // mapped would crash us instead of failing the load. A file that
    // changed size since it was opened is reported as cut short or as
    // holding bytes after its end.
    // The table is built beside `out`, which a failure leaves as it was.
    try {
        QByteArray bytes(size, Qt::Uninitialized);
        std::memcpy(bytes.data(), head, size_t(got));
        for (qint64 at = got; at < size;) {
            const qint64 n = file.read(bytes.data() + at, size - at);
            if (n < 0)
                return readError();
            if (n == 0)
                return FileStatus::fail(FileStatus::Damaged);
            at += n;
        }
        char extra;
        if (file.read(&extra, 1) != 0)
            return file.error() != QFileDevice::NoError ? readError()
                                                        : FileStatus::fail(FileStatus::Damaged);
        return decode(bytes, out);
    } catch (const std::bad_alloc&) {
        return FileStatus::fail(FileStatus::OutOfMemory);
    }
}

} // namespace corvanta::NativeFile
