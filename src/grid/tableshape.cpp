#include "grid/table.h"
#include "grid/tableimpl.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <unordered_map>

// Shape changes that can be taken back: rows and columns taken out whole and
// put back, rows reordered.
namespace corvanta {

using namespace RowBlock;
using namespace TableParts;

namespace {

// The elements at `rows` (ascending) move to `out`; the rest close up.
template <typename V> void takeAt(V& v, std::span<const int> rows, V& out)
{
    out.reserve(rows.size());
    size_t w = 0, j = 0;
    for (size_t r = 0; r < v.size(); ++r) {
        if (j < rows.size() && size_t(rows[j]) == r) {
            out.push_back(std::move(v[r]));
            ++j;
        } else {
            v[w++] = std::move(v[r]);
        }
    }
    v.resize(w);
}

// The inverse of takeAt: `taken` goes back to the positions `rows` of the
// grown vector.
template <typename V> void putAt(V& v, std::span<const int> rows, V&& taken)
{
    V merged;
    merged.reserve(v.size() + taken.size());
    size_t o = 0, j = 0;
    const size_t total = v.size() + taken.size();
    for (size_t i = 0; i < total; ++i) {
        if (j < rows.size() && size_t(rows[j]) == i)
            merged.push_back(std::move(taken[j++]));
        else
            merged.push_back(std::move(v[o++]));
    }
    v.swap(merged);
}

template <typename V> void permute(V& v, int first, std::span<const int> order)
{
    V tmp;
    tmp.reserve(order.size());
    for (int i : order)
        tmp.push_back(std::move(v[size_t(first + i)]));
    std::move(tmp.begin(), tmp.end(), v.begin() + first);
}

size_t formatCells(const std::vector<std::shared_ptr<FormatRow>>& fmts)
{
    size_t n = 0;
    for (const auto& f : fmts)
        if (f)
            n += f->size();
    return n;
}

} // namespace

Table Table::takeRows(int at, int n)
{
    at = std::clamp(at, 0, d->rows);
    n = std::clamp(n, 0, d->rows - at);
    Table out;
    out.d->cols = d->cols;
    out.d->attrs.assign(size_t(d->cols), ColumnAttr{});
    if (n == 0)
        return out;
    auto& o = *out.d;
    o.rows = n;
    const auto from = d->cells.begin() + at;
    o.cells.assign(std::make_move_iterator(from), std::make_move_iterator(from + n));
    d->cells.erase(from, from + n);
    if (!d->fmts.empty()) {
        const auto f = d->fmts.begin() + at;
        o.fmts.assign(std::make_move_iterator(f), std::make_move_iterator(f + n));
        d->fmts.erase(f, f + n);
        o.fmtCount = formatCells(o.fmts);
        d->fmtCount -= o.fmtCount;
        if (o.fmtCount == 0)
            release(o.fmts);
        if (d->fmtCount == 0)
            release(d->fmts);
    }
    if (!d->heights.empty()) {
        const auto h = d->heights.begin() + at;
        o.heights.assign(h, h + n);
        d->heights.erase(h, h + n);
    }
    d->rows -= n;
    return out;
}

void Table::putRows(int at, Table&& rows)
{
    auto& t = *rows.d;
    const int n = std::min(t.rows, kMaxRows - d->rows);
    if (n <= 0)
        return;
    at = std::clamp(at, 0, d->rows);
    t.cells.resize(size_t(n));
    d->cells.insert(d->cells.begin() + at, std::make_move_iterator(t.cells.begin()),
                    std::make_move_iterator(t.cells.end()));
    if (!t.fmts.empty() || !d->fmts.empty()) {
        if (d->fmts.empty())
            d->fmts.resize(size_t(d->rows));
        t.fmts.resize(size_t(n));
        d->fmts.insert(d->fmts.begin() + at, std::make_move_iterator(t.fmts.begin()),
                       std::make_move_iterator(t.fmts.end()));
        d->fmtCount = formatCells(d->fmts);
        if (d->fmtCount == 0)
            release(d->fmts);
    }
    if (!t.heights.empty() || !d->heights.empty()) {
        if (d->heights.empty())
            d->heights.assign(size_t(d->rows), -1);
        t.heights.resize(size_t(n), -1);
        d->heights.insert(d->heights.begin() + at, t.heights.begin(), t.heights.end());
    }
    d->rows += n;
    rows = Table();
}

Table Table::takeRowsAt(std::span<const int> rows)
{
    Table out;
    out.d->cols = d->cols;
    out.d->attrs.assign(size_t(d->cols), ColumnAttr{});
    while (!rows.empty() && rows.back() >= d->rows)
        rows = rows.first(rows.size() - 1);
    if (rows.empty() || rows.front() < 0)
        return out;
    auto& o = *out.d;
    o.rows = int(rows.size());
    takeAt(d->cells, rows, o.cells);
    if (!d->fmts.empty()) {
        takeAt(d->fmts, rows, o.fmts);
        o.fmtCount = formatCells(o.fmts);
        d->fmtCount -= o.fmtCount;
        if (o.fmtCount == 0)
            release(o.fmts);
        if (d->fmtCount == 0)
            release(d->fmts);
    }
    if (!d->heights.empty())
        takeAt(d->heights, rows, o.heights);
    d->rows -= o.rows;
    return out;
}

void Table::putRowsAt(std::span<const int> rows, Table&& taken)
{
    auto& t = *taken.d;
    if (rows.size() != size_t(t.rows) || rows.empty())
        return;
    putAt(d->cells, rows, std::move(t.cells));
    if (!t.fmts.empty() || !d->fmts.empty()) {
        if (d->fmts.empty())
            d->fmts.resize(size_t(d->rows));
        t.fmts.resize(rows.size());
        putAt(d->fmts, rows, std::move(t.fmts));
        d->fmtCount += t.fmtCount;
    }
    if (!t.heights.empty() || !d->heights.empty()) {
        if (d->heights.empty())
            d->heights.assign(size_t(d->rows), -1);
        t.heights.resize(rows.size(), -1);
        putAt(d->heights, rows, std::move(t.heights));
    }
    d->rows += t.rows;
    taken = Table();
}

Table Table::takeColumns(int at, int n)
{
    Table out;
    at = std::clamp(at, 0, d->cols);
    n = std::clamp(n, 0, d->cols - at);
    auto& o = *out.d;
    o.rows = d->rows;
    o.cols = n;
    o.cells.resize(size_t(d->rows));
    if (n == 0) {
        return out;
    }
    std::vector<QByteArrayView> old, kept;
    for (size_t r = 0; r < d->cells.size(); ++r) {
        Block& row = d->cells[r];
        const int count = cellCount(row.get());
        if (count <= at)
            continue;
        rowViews(row.get(), old);
        const int end = std::min(count, at + n);
        makeBlock(old.data() + at, end - at, o.cells[r]);
        kept.assign(old.begin(), old.begin() + at);
        kept.insert(kept.end(), old.begin() + end, old.end());
        Block b;
        if (makeBlock(kept.data(), int(kept.size()), b)) // only ever shrinks
            row = std::move(b);
    }
    if (!d->fmts.empty()) {
        o.fmts.resize(size_t(d->rows));
        // Rows that shared a list share both halves of it; the old list
        // stays alive in `split` so its address cannot be reused meanwhile.
        struct Halves
        {
            std::shared_ptr<FormatRow> old, mine, theirs;
        };
        std::unordered_map<const FormatRow*, Halves> split;
        for (size_t r = 0; r < d->fmts.size(); ++r) {
            auto& f = d->fmts[r];
            if (!f)
                continue;
            auto it = split.find(f.get());
            if (it == split.end()) {
                FormatRow mine, theirs;
                for (const auto& e : *f) {
                    if (e.first < at)
                        mine.push_back(e);
                    else if (e.first < at + n)
                        theirs.push_back({e.first - at, e.second});
                    else
                        mine.push_back({e.first - n, e.second});
                }
                Halves h{f, nullptr, nullptr};
                if (!mine.empty())
                    h.mine = std::make_shared<FormatRow>(std::move(mine));
                if (!theirs.empty())
                    h.theirs = std::make_shared<FormatRow>(std::move(theirs));
                it = split.emplace(f.get(), std::move(h)).first;
            }
            if (it->second.theirs)
                o.fmtCount += it->second.theirs->size();
            o.fmts[r] = it->second.theirs;
            f = it->second.mine;
        }
        d->fmtCount -= o.fmtCount;
        if (o.fmtCount == 0)
            release(o.fmts);
        if (d->fmtCount == 0)
            release(d->fmts);
    }
    const auto a = d->attrs.begin() + at;
    o.attrs.assign(a, a + n);
    d->attrs.erase(a, a + n);
    d->cols -= n;
    return out;
}

void Table::putColumns(int at, Table&& cols)
{
    auto& t = *cols.d;
    const int n = t.cols;
    if (n <= 0 || t.rows != d->rows || n > kMaxCols - d->cols)
        return;
    at = std::clamp(at, 0, d->cols);
    std::vector<QByteArrayView> own, theirs, neu;
    for (size_t r = 0; r < d->cells.size(); ++r) {
        Block& row = d->cells[r];
        const char* in = t.cells[r].get();
        const int count = cellCount(row.get());
        if (count <= at && !in)
            continue;
        rowViews(row.get(), own);
        rowViews(in, theirs);
        neu.assign(own.begin(), own.begin() + std::min(count, at));
        neu.resize(size_t(at));
        neu.insert(neu.end(), theirs.begin(), theirs.end());
        if (count > at) {
            neu.resize(size_t(at + n));
            neu.insert(neu.end(), own.begin() + at, own.end());
        }
        Block b;
        if (makeBlock(neu.data(), int(neu.size()), b))
            row = std::move(b);
    }
    if (!t.fmts.empty() || !d->fmts.empty()) {
        if (d->fmts.empty())
            d->fmts.resize(size_t(d->rows));
        t.fmts.resize(size_t(d->rows));
        // Alike rows stay alike: each pair of lists is merged once.
        std::map<std::pair<const FormatRow*, const FormatRow*>,
                 std::pair<std::shared_ptr<FormatRow>, std::shared_ptr<FormatRow>>>
            merged;
        for (size_t r = 0; r < d->fmts.size(); ++r) {
            auto& f = d->fmts[r];
            const auto& in = t.fmts[r];
            if (!f && !in)
                continue;
            const auto key = std::make_pair(f.get(), in.get());
            auto it = merged.find(key);
            if (it == merged.end()) {
                auto neu = std::make_shared<FormatRow>();
                if (f)
                    for (const auto& e : *f)
                        neu->push_back({e.first >= at ? e.first + n : e.first, e.second});
                if (in)
                    for (const auto& e : *in)
                        neu->push_back({e.first + at, e.second});
                std::sort(neu->begin(), neu->end(),
                          [](const auto& x, const auto& y) { return x.first < y.first; });
                it = merged.emplace(key, std::make_pair(f, std::move(neu))).first;
            }
            f = it->second.second;
        }
        d->fmtCount += t.fmtCount;
        if (d->fmtCount == 0)
            release(d->fmts);
    }
    t.attrs.resize(size_t(n));
    d->attrs.insert(d->attrs.begin() + at, t.attrs.begin(), t.attrs.end());
    d->cols += n;
    cols = Table();
}

void Table::permuteRows(int first, std::span<const int> order)
{
    if (first < 0 || first + int(order.size()) > d->rows)
        return;
    permute(d->cells, first, order);
    if (!d->fmts.empty())
        permute(d->fmts, first, order);
    if (!d->heights.empty())
        permute(d->heights, first, order);
}

void Table::moveRowCells(int from, int to)
{
    if (from < 0 || from >= d->rows || to < 0 || to >= d->rows || from == to)
        return;
    moveElement(d->cells, from, to);
}

void Table::rotateRowCells(std::span<const int> rows, bool down)
{
    if (rows.size() < 2 || rows.front() < 0 || rows.back() >= d->rows)
        return;
    const size_t n = rows.size();
    auto at = [&](size_t i) -> auto&
    {
        return d->cells[size_t(rows[i])];
    };
    if (down) {
        auto last = std::move(at(n - 1));
        for (size_t i = n - 1; i > 0; --i)
            at(i) = std::move(at(i - 1));
        at(0) = std::move(last);
    } else {
        auto first = std::move(at(0));
        for (size_t i = 0; i + 1 < n; ++i)
            at(i) = std::move(at(i + 1));
        at(n - 1) = std::move(first);
    }
}

Table Table::copyRowCells(int at, int n) const
{
    Table out;
    at = std::clamp(at, 0, d->rows);
    n = std::clamp(n, 0, d->rows - at);
    out.d->rows = n;
    out.d->cols = d->cols;
    out.d->attrs.assign(size_t(d->cols), ColumnAttr{});
    out.d->cells.reserve(size_t(n));
    for (int r = at; r < at + n; ++r)
        out.d->cells.push_back(copyBlock(d->cells[size_t(r)].get()));
    return out;
}

void Table::swapRowCells(int at, Table& cells)
{
    for (int i = 0; i < cells.d->rows && at + i < d->rows; ++i)
        if (at + i >= 0)
            std::swap(d->cells[size_t(at + i)], cells.d->cells[size_t(i)]);
}

bool Table::hasRowHeights() const
{
    return !d->heights.empty();
}

} // namespace corvanta
