#include "grid/clipblock.h"

#include "grid/quotedtext.h"
#include "grid/table.h"

#include <algorithm>
#include <cstring>

namespace corvanta {

namespace {

// TAB between cells, quotes only where the reader needs them; a field whose
// quoting is not well formed is foreign text and kept as it stands.
QuotedText::Dialect clipDialect()
{
    QuotedText::Dialect d;
    d.delimiter = '\t';
    d.strict = true;
    d.quoteAnyQuote = false;
    return d;
}

} // namespace

ClipBlock ClipBlock::parse(QStringView text)
{
    // The delimiters are ASCII, so the UTF-8 form can be split byte-wise and
    // each cell handed to the table without another conversion.
    const QByteArray in = text.toUtf8();

    // Unescaped cells are never longer than the text: they go straight into
    // a buffer of that size.
    struct Sink : QuotedText::RowSink
    {
        ClipBlock b;
        char* w = nullptr;
        bool row(qsizetype, const QByteArrayView* cells, int n) override
        {
            b.m_rowFirst.push_back(qsizetype(b.m_cellEnd.size()));
            char* const base = b.m_bytes.data();
            for (int i = 0; i < n; ++i) {
                if (!cells[i].isEmpty())
                    std::memcpy(w, cells[i].data(), size_t(cells[i].size()));
                w += cells[i].size();
                b.m_cellEnd.push_back(w - base);
            }
            b.m_maxCells = std::max(b.m_maxCells, n);
            return true;
        }
    } sink;
    sink.b.m_bytes.resize(in.size());
    sink.w = sink.b.m_bytes.data();
    QuotedText(clipDialect(), sink).feed(in, true);
    sink.b.m_bytes.truncate(sink.w - sink.b.m_bytes.data());
    return std::move(sink.b);
}

int ClipBlock::cellCount(int row) const
{
    if (row < 0 || row >= rowCount())
        return 0;
    const qsizetype end =
        row + 1 < rowCount() ? m_rowFirst[size_t(row) + 1] : qsizetype(m_cellEnd.size());
    return int(end - m_rowFirst[size_t(row)]);
}

QByteArrayView ClipBlock::cell(int row, int col) const
{
    if (col < 0 || col >= cellCount(row))
        return {};
    const size_t idx = size_t(m_rowFirst[size_t(row)] + col);
    const qsizetype begin = idx == 0 ? 0 : m_cellEnd[idx - 1];
    return QByteArrayView(m_bytes.constData() + begin, m_cellEnd[idx] - begin);
}

void ClipBlock::writeTo(Table& table, int row1, int col1, int row2, int col2) const
{
    if (!table.clampRange(row1, col1, row2, col2))
        return;

    const bool wholeRows = col1 == 0 && col2 == table.colCount() - 1;
    std::vector<QByteArrayView> cells;
    if (wholeRows)
        cells.resize(size_t(col2) + 1);
    for (int r = row1; r <= row2; ++r) {
        const int br = r - row1;
        if (wholeRows) {
            for (int c = 0; c <= col2; ++c)
                cells[size_t(c)] = cell(br, c);
            table.setRowUtf8(r, cells.data(), int(cells.size()));
        } else {
            for (int c = col1; c <= col2; ++c)
                table.setUtf8(r, c, cell(br, c - col1));
        }
    }
}

void ClipBlock::moveBlock(Table& table, int row1, int col1, int row2, int col2, int toRow,
                          int toCol)
{
    if (row1 > row2)
        std::swap(row1, row2);
    if (col1 > col2)
        std::swap(col1, col2);
    const ClipBlock block = parse(encode(table, row1, col1, row2, col2));
    ClipBlock().writeTo(table, row1, col1, row2, col2);
    block.writeTo(table, toRow, toCol, toRow + row2 - row1, toCol + col2 - col1);
}

QString ClipBlock::encode(const Table& table, int row1, int col1, int row2, int col2)
{
    if (!table.clampRange(row1, col1, row2, col2))
        return {};

    // One pass to size the text exactly (a whole table's worth is tens of
    // megabytes), one to write it.
    const QuotedText::Dialect dialect = clipDialect();
    qsizetype size = qsizetype(row2 - row1) + qsizetype(row2 - row1 + 1) * (col2 - col1);
    std::vector<bool> quoted; // per cell, row by row; most texts need none
    quoted.reserve(size_t(row2 - row1 + 1) * size_t(col2 - col1 + 1));
    for (int r = row1; r <= row2; ++r) {
        for (int c = col1; c <= col2; ++c) {
            const QByteArrayView v = table.utf8(r, c);
            const bool q = QuotedText::needsQuotes(v, dialect);
            size += q ? QuotedText::quotedSize(v) : v.size();
            quoted.push_back(q);
        }
    }
    QByteArray out(size, Qt::Uninitialized);
    char* w = out.data();
    size_t cell = 0;
    for (int r = row1; r <= row2; ++r) {
        if (r > row1)
            *w++ = '\n';
        for (int c = col1; c <= col2; ++c) {
            if (c > col1)
                *w++ = '\t';
            const QByteArrayView v = table.utf8(r, c);
            if (quoted[cell++]) {
                w = QuotedText::writeQuoted(w, v);
            } else {
                if (!v.isEmpty())
                    std::memcpy(w, v.data(), size_t(v.size()));
                w += v.size();
            }
        }
    }
    Q_ASSERT(w == out.data() + out.size());
    return QString::fromUtf8(out);
}

} // namespace corvanta
