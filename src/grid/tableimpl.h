#pragma once

// The inside of Table, shared by the files that implement it.

#include "grid/rowblock.h"
#include "grid/table.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

namespace corvanta {

namespace TableParts {

// Inserts `n` default elements at `at` (vector::insert needs copyable ones).
template <typename V> void insertDefaults(V& v, int at, int n)
{
    const auto oldSize = v.size();
    v.resize(oldSize + size_t(n));
    std::rotate(v.begin() + at, v.begin() + qsizetype(oldSize), v.end());
}

// Frees the storage too, not just the elements.
template <typename V> void release(V& v)
{
    V().swap(v);
}

template <typename V> void moveElement(V& v, int from, int to)
{
    if (from < to)
        std::rotate(v.begin() + from, v.begin() + from + 1, v.begin() + to + 1);
    else
        std::rotate(v.begin() + to, v.begin() + from, v.begin() + from + 1);
}

} // namespace TableParts

using FormatRow = std::vector<Table::ColumnFormat>; // sorted by column

struct Table::Impl
{
    int rows = 0;
    int cols = 0;
    std::vector<RowBlock::Block> cells; // one per row
    std::vector<ColumnAttr> attrs;      // one per column
    // Rows with alike formats may share one list (a block formatted over
    // many rows keeps one); a shared list is copied before it changes.
    std::vector<std::shared_ptr<FormatRow>> fmts; // empty, or one per row
    size_t fmtCount = 0;                          // formatted cells
    std::vector<int> heights;                     // empty, or one per row

    // Rebuilds every row that holds more than `firstAffected` cells; `remap`
    // turns the old cells into the new ones.
    template <typename F> void remapRows(int firstAffected, F&& remap)
    {
        std::vector<QByteArrayView> old, neu;
        for (auto& row : cells) {
            if (RowBlock::cellCount(row.get()) <= firstAffected)
                continue;
            RowBlock::rowViews(row.get(), old);
            neu.clear();
            remap(old, neu);
            RowBlock::Block b;
            if (RowBlock::makeBlock(neu.data(), int(neu.size()), b)) // only ever shrinks or pads
                row = std::move(b);
        }
    }

    template <typename F> void remapFormats(F&& remap)
    {
        if (fmts.empty())
            return;
        fmtCount = 0;
        // Shared lists are remapped once and stay shared; the old list is
        // kept alive so its address cannot come back as a new list's.
        std::unordered_map<const FormatRow*,
                           std::pair<std::shared_ptr<FormatRow>, std::shared_ptr<FormatRow>>>
            done;
        for (auto& row : fmts) {
            if (!row)
                continue;
            auto it = done.find(row.get());
            if (it == done.end()) {
                auto neu = row.use_count() > 1 ? std::make_shared<FormatRow>(*row) : row;
                remap(*neu);
                std::sort(neu->begin(), neu->end(),
                          [](const auto& a, const auto& b) { return a.first < b.first; });
                if (neu->empty())
                    neu.reset();
                it = done.emplace(row.get(), std::make_pair(row, neu)).first;
            }
            row = it->second.second;
            if (row)
                fmtCount += row->size();
        }
        if (fmtCount == 0)
            TableParts::release(fmts);
    }

    bool replaceCell(int row, int col, QByteArrayView text)
    {
        RowBlock::Block& b = cells[size_t(row)];
        const int n = RowBlock::cellCount(b.get());
        if (col >= n && text.isEmpty())
            return true;
        std::vector<QByteArrayView> views;
        RowBlock::rowViews(b.get(), views);
        if (col >= n)
            views.resize(size_t(col) + 1);
        views[size_t(col)] = text;
        RowBlock::Block nb;
        if (!RowBlock::makeBlock(views.data(), int(views.size()), nb))
            return false;
        b = std::move(nb);
        return true;
    }
};

} // namespace corvanta
