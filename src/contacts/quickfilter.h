#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace corvanta {

class Table;

// The quick filter's search over the records: which records hold a text in
// any of the searched columns, or in one of them, ignoring case and accents.
//
// Each record's searched cells are folded once (foldedText) into one string,
// each cell followed by a separator that no folded text holds, so a key
// press costs one byte search per record and no decoding. Typing on (the new
// text holds the old one) searches only the records the old text kept.
// Changes of the table reach the index row by row (refold, insertRows,
// removeRows); anything larger rebuilds it.
class QuickFilter
{
  public:
    // Folds the records of `table` (rows 1 on) over `columns`, the searched
    // columns in table order. The filter text stays; its result is redone
    // by the next setText.
    void build(const Table& table, std::vector<int> columns);
    const std::vector<int>& columns() const { return m_columns; }
    bool isBuilt() const { return m_built; }
    void invalidate() { m_built = false; }

    // Table rows row1..row2 changed.
    void refold(const Table& table, int row1, int row2);
    // Table rows at..at+n-1 were inserted or removed.
    void insertRows(const Table& table, int at, int n);
    void removeRows(int at, int n);

    // Sets the filter: `text` in any searched column (`column` -1) or in
    // table column `column`. Returns whether the result may have changed.
    bool setText(const QString& text, int column = -1);
    // A filter is on: its text holds more than spaces.
    bool isActive() const { return !m_needle.isEmpty(); }
    // The table rows that hold the text, ascending (every row when off).
    const std::vector<int>& matches() const { return m_matches; }
    int recordCount() const { return int(m_rows.size()); }

  private:
    bool rowMatches(int row) const;
    void search(const std::vector<int>* among);

    std::vector<int> m_columns;
    std::vector<std::string> m_rows; // index i: table row i + 1
    bool m_built = false;
    QByteArray m_needle; // folded
    int m_column = -1;
    int m_slot = -1; // m_column's place in m_columns; -1 any
    std::vector<int> m_matches;
    bool m_narrowable = false; // m_matches is the result of m_needle now
};

} // namespace corvanta
