#include "grid/table.h"

#include "grid/rowblock.h"
#include "grid/tableimpl.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace corvanta {

using namespace RowBlock;
using namespace TableParts;

namespace {

CellFormat normalized(CellFormat f)
{
    f.fields &=
        CellFormat::HasAlign | CellFormat::HasBack | CellFormat::HasFore | CellFormat::HasFontSize;
    if (!(f.fields & CellFormat::HasAlign))
        f.align = 0;
    f.back = (f.fields & CellFormat::HasBack) ? (f.back & 0xffffff) : 0;
    f.fore = (f.fields & CellFormat::HasFore) ? (f.fore & 0xffffff) : 0;
    if (f.fields & CellFormat::HasFontSize) {
        if (!(f.fontSize > 0)) // also catches NaN
            f.fields &= ~CellFormat::HasFontSize;
        else if (f.fontSize > Table::kMaxFontSize)
            f.fontSize = Table::kMaxFontSize;
    }
    if (!(f.fields & CellFormat::HasFontSize))
        f.fontSize = 0;
    return f;
}

// QString::fromUtf8 swallows a leading byte order mark, but in a cell it is
// text like any other and must survive.
QString textOfUtf8(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QChar(0xFEFF) + QString::fromUtf8(bytes.sliced(3));
    return QString::fromUtf8(bytes);
}

QByteArray repairedUtf8(QByteArrayView bytes)
{
    return textOfUtf8(bytes).toUtf8();
}

} // namespace

Table::Table() : d(std::make_unique<Impl>()) {}

Table::Table(int rows, int cols) : Table()
{
    resize(rows, cols);
}

Table::~Table() = default;

Table::Table(const Table& o) : d(std::make_unique<Impl>())
{
    *this = o;
}

Table& Table::operator=(const Table& o)
{
    if (this == &o)
        return *this;
    auto n = std::make_unique<Impl>();
    n->rows = o.d->rows;
    n->cols = o.d->cols;
    n->cells.reserve(o.d->cells.size());
    for (const auto& b : o.d->cells)
        n->cells.push_back(copyBlock(b.get()));
    n->attrs = o.d->attrs;
    n->fmts = o.d->fmts; // shared until either side changes a row
    n->fmtCount = o.d->fmtCount;
    n->heights = o.d->heights;
    d = std::move(n);
    return *this;
}

// A moved-from table is a valid empty table.
Table::Table(Table&& o) noexcept : d(std::make_unique<Impl>())
{
    std::swap(d, o.d);
}

Table& Table::operator=(Table&& o) noexcept
{
    std::swap(d, o.d);
    return *this;
}

int Table::rowCount() const
{
    return d->rows;
}

int Table::colCount() const
{
    return d->cols;
}

void Table::setRowCount(int rows)
{
    rows = std::clamp(rows, 0, kMaxRows);
    if (rows == d->rows)
        return;
    if (rows < d->rows)
        removeRows(rows, d->rows - rows);
    else
        insertRows(d->rows, rows - d->rows);
}

void Table::setColCount(int cols)
{
    cols = std::clamp(cols, 0, kMaxCols);
    if (cols == d->cols)
        return;
    if (cols < d->cols)
        removeColumns(cols, d->cols - cols);
    else
        insertColumns(d->cols, cols - d->cols);
}

void Table::resize(int rows, int cols)
{
    setRowCount(rows);
    setColCount(cols);
}

void Table::clearAll()
{
    for (auto& b : d->cells)
        b.reset();
    release(d->fmts);
    d->fmtCount = 0;
    release(d->heights);
    d->attrs.assign(size_t(d->cols), ColumnAttr{});
}

QString Table::text(int row, int col) const
{
    return textOfUtf8(utf8(row, col));
}

QByteArrayView Table::utf8(int row, int col) const
{
    if (row < 0 || row >= d->rows || col >= d->cols)
        return {};
    return cellOf(d->cells[size_t(row)].get(), col);
}

int Table::usedCols(int row) const
{
    if (row < 0 || row >= d->rows)
        return 0;
    return cellCount(d->cells[size_t(row)].get());
}

QByteArrayView Table::rowUtf8(int row) const
{
    if (row < 0 || row >= d->rows || !d->cells[size_t(row)])
        return {};
    return RowBlock::text(d->cells[size_t(row)].get());
}

bool Table::isEmpty(int row, int col) const
{
    return utf8(row, col).isEmpty();
}

void Table::setText(int row, int col, QStringView text)
{
    if (row < 0 || row >= d->rows || col < 0 || col >= d->cols)
        return;
    d->replaceCell(row, col, text.toUtf8());
}

void Table::setUtf8(int row, int col, QByteArrayView text)
{
    if (row < 0 || row >= d->rows || col < 0 || col >= d->cols)
        return;
    if (isValidUtf8(text))
        d->replaceCell(row, col, text);
    else
        d->replaceCell(row, col, repairedUtf8(text));
}

void Table::setRowUtf8(int row, const QByteArrayView* cells, int n)
{
    if (row < 0 || row >= d->rows)
        return;
    n = std::clamp(n, 0, d->cols);
    std::vector<QByteArray> repaired; // keeps repaired texts alive while the row is built
    std::vector<QByteArrayView> fixed;
    for (int i = 0; i < n; ++i) {
        if (isValidUtf8(cells[i]))
            continue;
        if (fixed.empty()) {
            fixed.assign(cells, cells + n);
            repaired.reserve(size_t(n));
        }
        repaired.push_back(repairedUtf8(cells[i]));
        fixed[size_t(i)] = repaired.back();
    }
    Block b;
    if (makeBlock(fixed.empty() ? cells : fixed.data(), n, b))
        d->cells[size_t(row)] = std::move(b);
}

void Table::setValidRowUtf8(int row, const QByteArrayView* cells, int n)
{
    if (row < 0 || row >= d->rows)
        return;
    n = std::clamp(n, 0, d->cols);
    Q_ASSERT(std::all_of(cells, cells + n, [](QByteArrayView c) { return isValidUtf8(c); }));
    Block b;
    if (makeBlock(cells, n, b))
        d->cells[size_t(row)] = std::move(b);
}

bool Table::setRowPacked(int row, QByteArrayView text, std::span<const uint32_t> ends)
{
    if (row < 0 || row >= d->rows || ends.size() > size_t(d->cols))
        return false;
    uint32_t start = 0;
    for (const uint32_t end : ends) {
        if (end < start || end > size_t(text.size()))
            return false;
        // The whole text is checked below; a cell boundary inside a
        // character is what would still slip through.
        if (end > start && (uchar(text[start]) & 0xc0) == 0x80)
            return false;
        start = end;
    }
    if (!ends.empty() && ends.back() > kMaxRowBytes)
        return false;
    if (!isValidUtf8(text.first(ends.empty() ? 0 : ends.back())))
        return false;
    d->cells[size_t(row)] = makePackedBlock(text, ends);
    return true;
}

const ColumnAttr& Table::column(int col) const
{
    static const ColumnAttr kDefault;
    if (col < 0 || col >= d->cols)
        return kDefault;
    return d->attrs[size_t(col)];
}

void Table::setColumn(int col, const ColumnAttr& attr)
{
    if (col < 0 || col >= d->cols)
        return;
    ColumnAttr& a = d->attrs[size_t(col)];
    a = attr;
    a.width = std::max(a.width, -1);
}

ColumnAttr* Table::columnRef(int col)
{
    if (col < 0 || col >= d->cols)
        return nullptr;
    return &d->attrs[size_t(col)];
}

CellFormat Table::format(int row, int col) const
{
    if (row < 0 || row >= d->rows || d->fmts.empty() || !d->fmts[size_t(row)])
        return {};
    const FormatRow& f = *d->fmts[size_t(row)];
    auto it =
        std::lower_bound(f.begin(), f.end(), col, [](const auto& e, int c) { return e.first < c; });
    return (it != f.end() && it->first == col) ? it->second : CellFormat{};
}

void Table::setFormat(int row, int col, const CellFormat& fmt)
{
    if (row < 0 || row >= d->rows || col < 0 || col >= d->cols)
        return;
    const CellFormat f = normalized(fmt);
    if (f.isDefault() && (d->fmts.empty() || !d->fmts[size_t(row)]))
        return;
    if (d->fmts.empty())
        d->fmts.resize(size_t(d->rows));
    auto& slot = d->fmts[size_t(row)];
    if (!slot)
        slot = std::make_shared<FormatRow>();
    else if (slot.use_count() > 1)
        slot = std::make_shared<FormatRow>(*slot);
    auto it = std::lower_bound(slot->begin(), slot->end(), col,
                               [](const auto& e, int c) { return e.first < c; });
    const bool found = it != slot->end() && it->first == col;
    if (f.isDefault()) {
        if (found) {
            slot->erase(it);
            --d->fmtCount;
        }
        if (slot->empty())
            slot.reset();
        if (d->fmtCount == 0)
            release(d->fmts);
    } else if (found) {
        it->second = f;
    } else {
        slot->insert(it, {col, f});
        ++d->fmtCount;
    }
}

std::span<const Table::ColumnFormat> Table::rowFormats(int row) const
{
    if (row < 0 || row >= d->rows || d->fmts.empty() || !d->fmts[size_t(row)])
        return {};
    return *d->fmts[size_t(row)];
}

void Table::changeFormats(int row1, int col1, int row2, int col2,
                          const std::function<void(CellFormat&)>& change)
{
    if (!clampRange(row1, col1, row2, col2))
        return;
    if (d->fmts.empty())
        d->fmts.resize(size_t(d->rows));
    // Rows whose lists were alike before get one new list between them.
    std::unordered_map<const FormatRow*,
                       std::pair<std::shared_ptr<FormatRow>, std::shared_ptr<FormatRow>>>
        done;
    for (int r = row1; r <= row2; ++r) {
        auto& slot = d->fmts[size_t(r)];
        auto it = done.find(slot.get());
        if (it == done.end()) {
            FormatRow neu;
            auto old = slot ? slot->begin() : FormatRow::const_iterator();
            const auto end = slot ? slot->end() : FormatRow::const_iterator();
            for (; old != end && old->first < col1; ++old)
                neu.push_back(*old);
            for (int c = col1; c <= col2; ++c) {
                CellFormat f;
                if (old != end && old->first == c)
                    f = (old++)->second;
                change(f);
                f = normalized(f);
                if (!f.isDefault())
                    neu.push_back({c, f});
            }
            neu.insert(neu.end(), old, end);
            auto shared = neu.empty() ? nullptr : std::make_shared<FormatRow>(std::move(neu));
            it = done.emplace(slot.get(), std::make_pair(slot, std::move(shared))).first;
        }
        d->fmtCount -= slot ? slot->size() : 0;
        slot = it->second.second;
        d->fmtCount += slot ? slot->size() : 0;
    }
    if (d->fmtCount == 0)
        release(d->fmts);
}

std::vector<Table::RowFormats> Table::rowFormatHandles(int row1, int row2) const
{
    std::vector<RowFormats> out;
    row1 = std::max(row1, 0);
    row2 = std::min(row2, d->rows - 1);
    for (int r = row1; r <= row2; ++r)
        out.push_back(d->fmts.empty() ? nullptr : d->fmts[size_t(r)]);
    return out;
}

void Table::setRowFormatHandles(int row1, const std::vector<RowFormats>& rows)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        const int r = row1 + int(i);
        if (r < 0 || r >= d->rows)
            continue;
        if (d->fmts.empty()) {
            if (!rows[i])
                continue;
            d->fmts.resize(size_t(d->rows));
        }
        auto& slot = d->fmts[size_t(r)];
        d->fmtCount -= slot ? slot->size() : 0;
        // Never changed in place while shared: the handle keeps it shared.
        slot = std::const_pointer_cast<FormatRow>(rows[i]);
        d->fmtCount += slot ? slot->size() : 0;
    }
    if (d->fmtCount == 0)
        release(d->fmts);
}

void Table::shareAlikeFormats()
{
    std::unordered_map<size_t, std::vector<std::shared_ptr<FormatRow>>> seen;
    // Neighbouring rows that share a list already are looked at once.
    const FormatRow* lastSeen = nullptr;
    std::shared_ptr<FormatRow> lastKept;
    for (auto& row : d->fmts) {
        if (!row)
            continue;
        if (row.get() == lastSeen) {
            row = lastKept;
            continue;
        }
        lastSeen = row.get();
        size_t h = row->size();
        for (const auto& [col, f] : *row)
            h = h * 1000003u ^ (size_t(col) << 16 ^ size_t(f.fields) << 8 ^
                                size_t(f.bold | f.italic << 1 | f.underline << 2) ^
                                size_t(f.back) * 31 ^ size_t(f.fore) * 131);
        auto& bucket = seen[h];
        auto it = std::find_if(bucket.begin(), bucket.end(),
                               [&](const auto& other) { return *other == *row; });
        if (it != bucket.end())
            row = *it;
        else
            bucket.push_back(row);
        lastKept = row;
    }
}

bool Table::hasAnyFormat() const
{
    return d->fmtCount > 0;
}

int Table::rowHeight(int row) const
{
    if (row < 0 || row >= d->rows || d->heights.empty())
        return -1;
    return d->heights[size_t(row)];
}

void Table::setRowHeight(int row, int twips)
{
    if (row < 0 || row >= d->rows)
        return;
    twips = std::max(twips, -1);
    if (d->heights.empty()) {
        if (twips == -1)
            return;
        d->heights.assign(size_t(d->rows), -1);
    }
    d->heights[size_t(row)] = twips;
}

void Table::insertRows(int at, int n)
{
    at = std::clamp(at, 0, d->rows);
    n = std::min(n, kMaxRows - d->rows);
    if (n <= 0)
        return;
    insertDefaults(d->cells, at, n);
    if (!d->fmts.empty())
        insertDefaults(d->fmts, at, n);
    if (!d->heights.empty())
        d->heights.insert(d->heights.begin() + at, size_t(n), -1);
    d->rows += n;
}

void Table::removeRows(int at, int n)
{
    if (at < 0 || at >= d->rows || n <= 0)
        return;
    n = std::min(n, d->rows - at);
    d->cells.erase(d->cells.begin() + at, d->cells.begin() + at + n);
    if (!d->fmts.empty()) {
        for (int r = at; r < at + n; ++r)
            if (const auto& f = d->fmts[size_t(r)])
                d->fmtCount -= f->size();
        d->fmts.erase(d->fmts.begin() + at, d->fmts.begin() + at + n);
        if (d->fmtCount == 0)
            release(d->fmts);
    }
    if (!d->heights.empty())
        d->heights.erase(d->heights.begin() + at, d->heights.begin() + at + n);
    d->rows -= n;
}

void Table::insertColumns(int at, int n)
{
    at = std::clamp(at, 0, d->cols);
    n = std::min(n, kMaxCols - d->cols);
    if (n <= 0)
        return;
    d->remapRows(at, [&](const auto& old, auto& neu) {
        neu.assign(old.begin(), old.begin() + at);
        neu.resize(size_t(at + n));
        neu.insert(neu.end(), old.begin() + at, old.end());
    });
    d->remapFormats([&](FormatRow& f) {
        for (auto& e : f)
            if (e.first >= at)
                e.first += n;
    });
    d->attrs.insert(d->attrs.begin() + at, size_t(n), ColumnAttr{});
    d->cols += n;
}

void Table::removeColumns(int at, int n)
{
    if (at < 0 || at >= d->cols || n <= 0)
        return;
    n = std::min(n, d->cols - at);
    d->remapRows(at, [&](const auto& old, auto& neu) {
        neu.assign(old.begin(), old.begin() + at);
        if (int(old.size()) > at + n)
            neu.insert(neu.end(), old.begin() + at + n, old.end());
    });
    d->remapFormats([&](FormatRow& f) {
        std::erase_if(f, [&](const auto& e) { return e.first >= at && e.first < at + n; });
        for (auto& e : f)
            if (e.first >= at + n)
                e.first -= n;
    });
    d->attrs.erase(d->attrs.begin() + at, d->attrs.begin() + at + n);
    d->cols -= n;
}

void Table::moveRow(int from, int to)
{
    if (from < 0 || from >= d->rows || to < 0 || to >= d->rows || from == to)
        return;
    moveElement(d->cells, from, to);
    if (!d->fmts.empty())
        moveElement(d->fmts, from, to);
    if (!d->heights.empty())
        moveElement(d->heights, from, to);
}

void Table::moveColumn(int from, int to)
{
    if (from < 0 || from >= d->cols || to < 0 || to >= d->cols || from == to)
        return;
    // Where each old column index lands.
    auto target = [&](int c) {
        if (c == from)
            return to;
        if (from < to && c > from && c <= to)
            return c - 1;
        if (to < from && c >= to && c < from)
            return c + 1;
        return c;
    };
    d->remapRows(std::min(from, to), [&](const auto& old, auto& neu) {
        neu.assign(size_t(std::max(int(old.size()), std::max(from, to) + 1)), QByteArrayView());
        for (int c = 0; c < int(old.size()); ++c)
            neu[size_t(target(c))] = old[size_t(c)];
    });
    d->remapFormats([&](FormatRow& f) {
        for (auto& e : f)
            e.first = target(e.first);
    });
    moveElement(d->attrs, from, to);
}

void Table::takeRowsFrom(Table& other, int from)
{
    if (&other == this)
        return;
    Impl& o = *other.d;
    from = std::clamp(from, 0, o.rows);
    const int at = d->rows;
    const int n = std::min(o.rows - from, kMaxRows - at);
    const int cols = d->cols;
    d->cells.reserve(size_t(at) + size_t(std::max(n, 0)));
    for (int r = from; r < from + n; ++r) {
        Block& b = o.cells[size_t(r)];
        if (cellCount(b.get()) > cols) {
            std::vector<QByteArrayView> views;
            rowViews(b.get(), views);
            Block cut;
            if (makeBlock(views.data(), cols, cut)) // only shrinks
                b = std::move(cut);
        }
        d->cells.push_back(std::move(b));
    }
    if (!o.fmts.empty() || !d->fmts.empty()) {
        d->fmts.resize(size_t(at)); // one per row, or none at all
        for (int r = from; r < from + n; ++r) {
            std::shared_ptr<FormatRow> f = o.fmts.empty() ? nullptr : std::move(o.fmts[size_t(r)]);
            if (f) {
                o.fmtCount -= f->size();
                const auto beyond = [cols](const ColumnFormat& cf) { return cf.first >= cols; };
                // A list other rows share is cut in a copy of its own.
                if (std::any_of(f->begin(), f->end(), beyond)) {
                    if (f.use_count() > 1)
                        f = std::make_shared<FormatRow>(*f);
                    std::erase_if(*f, beyond);
                }
                d->fmtCount += f->size();
                if (f->empty())
                    f.reset();
            }
            d->fmts.push_back(std::move(f));
        }
        if (d->fmtCount == 0)
            release(d->fmts);
    }
    if (!o.heights.empty() || !d->heights.empty()) {
        d->heights.resize(size_t(at), -1);
        for (int r = from; r < from + n; ++r)
            d->heights.push_back(o.heights.empty() ? -1 : o.heights[size_t(r)]);
    }
    d->rows += std::max(n, 0);
    other.removeRows(from, o.rows - from);
}

size_t Table::heapBytes() const
{
    size_t bytes = d->cells.capacity() * sizeof(Block);
    for (const auto& b : d->cells)
        bytes += blockSize(b.get());
    bytes += d->attrs.capacity() * sizeof(ColumnAttr);
    for (const auto& a : d->attrs)
        bytes += size_t(a.format.capacity()) * sizeof(QChar);
    bytes += d->fmts.capacity() * sizeof(std::shared_ptr<FormatRow>);
    std::unordered_set<const FormatRow*> counted;
    for (const auto& f : d->fmts)
        if (f && counted.insert(f.get()).second)
            bytes += sizeof(FormatRow) + f->capacity() * sizeof(FormatRow::value_type) +
                     2 * sizeof(void*); // the shared count

    bytes += d->heights.capacity() * sizeof(int);
    return bytes;
}

bool Table::operator==(const Table& o) const
{
    if (d->rows != o.d->rows || d->cols != o.d->cols || d->attrs != o.d->attrs ||
        d->fmtCount != o.d->fmtCount)
        return false;
    for (int r = 0; r < d->rows; ++r) {
        const char* a = d->cells[size_t(r)].get();
        const char* b = o.d->cells[size_t(r)].get();
        const int n = cellCount(a);
        if (n != cellCount(b))
            return false;
        for (int c = 0; c < n; ++c)
            if (cellOf(a, c) != cellOf(b, c))
                return false;
        if (rowHeight(r) != o.rowHeight(r))
            return false;
        if (d->fmtCount) {
            const FormatRow* fa = d->fmts[size_t(r)].get();
            const FormatRow* fb = o.d->fmts[size_t(r)].get();
            if (!fa != !fb || (fa && *fa != *fb))
                return false;
        }
    }
    return true;
}

namespace {

// Most cells are short and plain ASCII; OR-ing whole words settles those
// without looking at single bytes.
bool allAscii(const unsigned char* p, size_t n)
{
    uint64_t acc = 0;
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        acc |= w;
    }
    if (n >= 4) {
        uint32_t a, b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + n - 4, 4);
        acc |= a | b;
    } else {
        for (size_t i = 0; i < n; ++i)
            acc |= p[i];
    }
    return (acc & 0x8080808080808080ull) == 0;
}

} // namespace

bool Table::isValidUtf8(QByteArrayView bytes)
{
    // Qt's QByteArrayView::isValidUtf8() is as strict, and as fast on a
    // whole file, but slower on the short cells that setUtf8 and
    // setRowUtf8 check one at a time (pasting 200,000 records took a
    // quarter longer with it): the ASCII fast paths below settle most
    // cells with a few word loads.
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() <= 64 && allAscii(p, size_t(bytes.size())))
        return true;
    const auto* end = p + bytes.size();
    while (p < end) {
        while (end - p >= 16) {
            uint64_t a, b;
            std::memcpy(&a, p, 8);
            std::memcpy(&b, p + 8, 8);
            if ((a | b) & 0x8080808080808080ull)
                break;
            p += 16;
        }
        while (end - p >= 8) {
            uint64_t w;
            std::memcpy(&w, p, 8);
            if (w & 0x8080808080808080ull)
                break;
            p += 8;
        }
        if (p >= end)
            break;
        const unsigned c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        auto cont = [&](int i) { return (p[i] & 0xc0) == 0x80; };
        if (c < 0xc2) {
            return false; // stray continuation byte or overlong 2-byte form
        } else if (c < 0xe0) {
            if (end - p < 2 || !cont(1))
                return false;
            p += 2;
        } else if (c < 0xf0) {
            if (end - p < 3 || !cont(1) || !cont(2))
                return false;
            if ((c == 0xe0 && p[1] < 0xa0) || (c == 0xed && p[1] >= 0xa0))
                return false; // overlong, or a UTF-16 surrogate
            p += 3;
        } else if (c < 0xf5) {
            if (end - p < 4 || !cont(1) || !cont(2) || !cont(3))
                return false;
            if ((c == 0xf0 && p[1] < 0x90) || (c == 0xf4 && p[1] >= 0x90))
                return false; // overlong, or past U+10FFFF
            p += 4;
        } else {
            return false;
        }
    }
    return true;
}

bool Table::clampRange(int& row1, int& col1, int& row2, int& col2) const
{
    if (row1 > row2)
        std::swap(row1, row2);
    if (col1 > col2)
        std::swap(col1, col2);
    row1 = std::max(row1, 0);
    col1 = std::max(col1, 0);
    row2 = std::min(row2, rowCount() - 1);
    col2 = std::min(col2, colCount() - 1);
    return row1 <= row2 && col1 <= col2;
}

} // namespace corvanta
