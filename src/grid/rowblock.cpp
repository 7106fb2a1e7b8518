#include "grid/rowblock.h"

namespace corvanta::RowBlock {

size_t blockSize(const char* b)
{
    if (!b)
        return 0;
    const uint32_t h = header(b);
    const int n = int(h & ~kWide);
    return size_t(textStart(b, h) - b) + endOffset(b, h, n - 1);
}

Block copyBlock(const char* b)
{
    if (!b)
        return nullptr;
    const size_t size = blockSize(b);
    Block copy(new char[size]);
    std::memcpy(copy.get(), b, size);
    return copy;
}

bool makeBlock(const QByteArrayView* cells, int n, Block& out)
{
    while (n > 0 && cells[n - 1].isEmpty())
        --n;
    if (n == 0) {
        out.reset();
        return true;
    }
    size_t total = 0;
    for (int i = 0; i < n; ++i)
        total += size_t(cells[i].size());
    if (total > kMaxRowBytes)
        return false;
    const bool wide = total > 0xffff;
    const size_t offsetBytes = size_t(n) * (wide ? 4 : 2);
    Block b(new char[4 + offsetBytes + total]);
    const uint32_t h = uint32_t(n) | (wide ? kWide : 0);
    std::memcpy(b.get(), &h, 4);
    char* offsets = b.get() + 4;
    char* text = offsets + offsetBytes;
    uint32_t end = 0;
    for (int i = 0; i < n; ++i) {
        const auto len = size_t(cells[i].size());
        if (len)
            std::memcpy(text + end, cells[i].data(), len);
        end += uint32_t(len);
        if (wide) {
            std::memcpy(offsets + 4 * size_t(i), &end, 4);
        } else {
            const auto e16 = uint16_t(end);
            std::memcpy(offsets + 2 * size_t(i), &e16, 2);
        }
    }
    out = std::move(b);
    return true;
}

Block makePackedBlock(QByteArrayView text, std::span<const uint32_t> ends)
{
    size_t n = ends.size();
    while (n > 0 && ends[n - 1] == (n > 1 ? ends[n - 2] : 0))
        --n;
    if (n == 0)
        return nullptr;
    const size_t total = ends[n - 1];
    const bool wide = total > 0xffff;
    const size_t offsetBytes = n * (wide ? 4 : 2);
    Block b(new char[4 + offsetBytes + total]);
    const uint32_t h = uint32_t(n) | (wide ? kWide : 0);
    std::memcpy(b.get(), &h, 4);
    char* offsets = b.get() + 4;
    if (wide) {
        std::memcpy(offsets, ends.data(), 4 * n);
    } else {
        for (size_t i = 0; i < n; ++i) {
            const auto e16 = uint16_t(ends[i]);
            std::memcpy(offsets + 2 * i, &e16, 2);
        }
    }
    std::memcpy(offsets + offsetBytes, text.data(), total);
    return b;
}

void rowViews(const char* b, std::vector<QByteArrayView>& out)
{
    const int n = cellCount(b);
    out.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        out[size_t(i)] = cellOf(b, i);
}

} // namespace corvanta::RowBlock
