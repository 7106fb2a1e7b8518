#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

// The packed form in which Table keeps a row's cells. The accessors are
// inline: the table reads cells through them on every lookup.
namespace corvanta::RowBlock {

// One heap block per non-empty row:
//   u32 header   cell count n (trailing empty cells are never stored) and,
//                in the top bit, whether the end offsets are 32-bit
//   ends[n]      end offset of each cell's bytes, u16 while the row's text
//                fits in 64 KiB (nearly always), else u32
//   bytes        the cells' UTF-8 text back to back
// An empty row is a null pointer. Blocks are immutable: an edit builds a new
// one, which keeps every row exactly as large as its text.
using Block = std::unique_ptr<char[]>;

inline constexpr uint32_t kWide = 0x80000000u;
inline constexpr size_t kMaxRowBytes = 0x7fffffff;

inline uint32_t header(const char* b)
{
    uint32_t h;
    std::memcpy(&h, b, 4);
    return h;
}

inline int cellCount(const char* b)
{
    return b ? int(header(b) & ~kWide) : 0;
}

inline uint32_t endOffset(const char* b, uint32_t h, int i)
{
    if (h & kWide) {
        uint32_t v;
        std::memcpy(&v, b + 4 + 4 * size_t(i), 4);
        return v;
    }
    uint16_t v;
    std::memcpy(&v, b + 4 + 2 * size_t(i), 2);
    return v;
}

inline const char* textStart(const char* b, uint32_t h)
{
    const size_t n = h & ~kWide;
    return b + 4 + n * ((h & kWide) ? 4 : 2);
}

inline QByteArrayView cellOf(const char* b, int col)
{
    if (!b || col < 0)
        return {};
    const uint32_t h = header(b);
    if (col >= int(h & ~kWide))
        return {};
    const uint32_t start = col ? endOffset(b, h, col - 1) : 0;
    const uint32_t end = endOffset(b, h, col);
    return QByteArrayView(textStart(b, h) + start, qsizetype(end - start));
}

// The whole text of a non-empty row, its cells back to back.
inline QByteArrayView text(const char* b)
{
    const uint32_t h = header(b);
    return QByteArrayView(textStart(b, h), qsizetype(endOffset(b, h, int(h & ~kWide) - 1)));
}

size_t blockSize(const char* b);
Block copyBlock(const char* b);
// Builds a row from its cells; false when the row's text is too large to
// hold (the caller then leaves the row as it was).
bool makeBlock(const QByteArrayView* cells, int n, Block& out);
// Builds a row from its text and cell end offsets, already checked.
Block makePackedBlock(QByteArrayView text, std::span<const uint32_t> ends);
void rowViews(const char* b, std::vector<QByteArrayView>& out);

} // namespace corvanta::RowBlock
