#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <vector>

namespace corvanta {

class Table;

// The grids' selection text: TAB between cells, LF between rows. A cell that
// holds a TAB, CR or LF, or that starts with a double quote, is written in
// double quotes with its quotes doubled, the way spreadsheets put cells on
// the clipboard; so a text taken from a range and written back to a range of
// the same size restores every cell exactly, and plain TAB-separated text
// from other programs (no quotes) reads as expected.
//
// Reading accepts LF, CRLF and lone CR as row breaks; one trailing row break
// does not make an extra row. A field that opens a quote but is not a
// well-formed quoted field (no closing quote, or text after it) is read
// literally up to the next TAB or row break, so foreign text such as
// `"Hi" there` survives.
class ClipBlock
{
  public:
    // Parses `text`; any text is accepted.
    static ClipBlock parse(QStringView text);

    int rowCount() const { return int(m_rowFirst.size()); }
    int cellCount(int row) const; // cells in that row (0 outside)
    int maxCellCount() const { return m_maxCells; }
    QByteArrayView cell(int row, int col) const; // UTF-8; empty outside

    // Writes the block into rows row1..row2, columns col1..col2 of `table`
    // (the range is clipped to the table). Cells of the range that the block
    // does not reach become empty.
    void writeTo(Table& table, int row1, int col1, int row2, int col2) const;

    // Moves the texts of rows row1..row2, columns col1..col2 so that the
    // block's top-left lands on (toRow, toCol); the cells it leaves become
    // empty. Overlapping moves are fine. Formats stay where they are.
    static void moveBlock(Table& table, int row1, int col1, int row2, int col2, int toRow,
                          int toCol);

    // The text of rows row1..row2, columns col1..col2 (clipped to the table).
    static QString encode(const Table& table, int row1, int col1, int row2, int col2);

  private:
    QByteArray m_bytes;                // unescaped cells, back to back
    std::vector<qsizetype> m_cellEnd;  // end offset of each cell in m_bytes
    std::vector<qsizetype> m_rowFirst; // index of each row's first cell
    int m_maxCells = 0;
};

} // namespace corvanta
