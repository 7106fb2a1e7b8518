#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <string>

namespace corvanta {

class Table;

// The text test of Find: does a cell hold the search text? Case-blind tests
// compare upper case with upper case, one code point at a time, without
// making an upper-case copy of each cell: a scan of a large table must not
// allocate per cell.
class FindMatcher
{
  public:
    FindMatcher(const QString& needle, bool matchCase);
    bool matches(QByteArrayView cellUtf8) const;

  private:
    bool matchesFolded(QByteArrayView cell) const;

    bool m_matchCase;
    QByteArray m_bytes;              // the needle in UTF-8 (upper case when case-blind)
    bool m_asciiNeedle = true;       // every byte of m_bytes is ASCII
    std::u32string m_wide;           // the upper-case needle, for non-ASCII cells
    mutable std::u32string m_buffer; // reused for each non-ASCII cell
};

// Where a search step stops: the hit, and whether any cell was examined.
struct FindResult
{
    int row = -1;
    int col = -1;
    bool examinedAny = false;
    bool found() const { return row >= 0; }
};

// One step of the scan, column by column: the rest of column `col` from
// `row` down, then every following column from row 1. The title row is never
// examined. Each cell is read once, so a step costs one pass over the cells
// between its start and its hit.
FindResult findFrom(const Table& table, int col, int row, const FindMatcher& matcher);

} // namespace corvanta
