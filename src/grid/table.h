#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace corvanta {

// Column data type codes, as stored in native files.
enum ColumnTypeCode : int {
    TypeNone = 0, // untyped: shown as text
    TypeNumber = 5,
    TypeMoney = 6,
    TypeDate = 7,
    TypeText = 8,
    TypeCheckbox = 11,
};

// Alignment codes of columns and cells.
enum AlignCode : int {
    AlignLeftTop = 0,
    AlignLeft = 1,
    AlignCenter = 4,
    AlignRight = 7,
    AlignGeneral = 9,
};

struct ColumnAttr
{
    int width = -1; // twips; -1 = the grid's default width
    int type = TypeNone;
    QString format;
    int align = AlignGeneral;
    bool hidden = false;
    bool operator==(const ColumnAttr&) const = default;
};

// Formatting of one cell. Only cells that differ from the default carry one,
// so a table of plain cells costs nothing here.
struct CellFormat
{
    enum Field : uint8_t {
        HasAlign = 1,
        HasBack = 2,
        HasFore = 4,
        HasFontSize = 8,
    };
    uint8_t fields = 0; // which of align/back/fore/fontSize are set
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int8_t align = 0;   // alignment code, valid with HasAlign
    uint32_t back = 0;  // 0x00BBGGRR, valid with HasBack
    uint32_t fore = 0;  // 0x00BBGGRR, valid with HasFore
    float fontSize = 0; // points, valid with HasFontSize
    bool isDefault() const { return fields == 0 && !bold && !italic && !underline; }
    bool operator==(const CellFormat&) const = default;
};

// The document's storage: cells (row 0 is the title row), column attributes,
// per-cell formatting and row heights. UI-free.
//
// Cells are held per row in one packed UTF-8 block, so an empty row costs a
// null pointer and a filled cell little more than its text: a table of
// 200,000 records must fit in a few times its text size.
class Table
{
  public:
    // Hard limits that protect readers from absurd sizes. The address book
    // allows far less (200,002 rows, 201 columns); files from elsewhere may
    // be larger, but never this large.
    static constexpr int kMaxRows = 16 * 1024 * 1024;
    static constexpr int kMaxCols = 16 * 1024;
    static constexpr float kMaxFontSize = 1638.0f;

    Table();
    Table(int rows, int cols);
    ~Table();
    Table(const Table&);
    Table& operator=(const Table&);
    Table(Table&&) noexcept;
    Table& operator=(Table&&) noexcept;

    int rowCount() const;
    int colCount() const;
    // Growing appends empty rows/columns; cutting drops them with their cells,
    // formats and heights. Existing cells are kept. Counts are clamped to
    // 0..kMaxRows / 0..kMaxCols.
    void setRowCount(int rows);
    void setColCount(int cols);
    void resize(int rows, int cols);

    // Empties every cell, format and row height and resets column attributes
    // to their defaults; the counts stay.
    void clearAll();

    QString text(int row, int col) const;        // "" outside the table
    QByteArrayView utf8(int row, int col) const; // view valid until the row changes
    bool isEmpty(int row, int col) const;
    void setText(int row, int col, QStringView text); // ignored outside the table
    void setUtf8(int row, int col, QByteArrayView text);
    // Cells of a row up to its last non-empty one (0 for an empty row), and
    // their text back to back: lets writers copy a row in one go.
    int usedCols(int row) const;
    QByteArrayView rowUtf8(int row) const;
    // Replaces a whole row's cells at once (cells beyond n become empty);
    // the fast path for readers. Does not touch formats or heights.
    void setRowUtf8(int row, const QByteArrayView* cells, int n);
    // The same for cells the caller has already checked to be valid UTF-8
    // (a reader that validated its whole input): no second pass per cell.
    void setValidRowUtf8(int row, const QByteArrayView* cells, int n);
    // The same from the cells' text back to back and each cell's end offset
    // in it (the shape rowUtf8 and usedCols give back): one copy, one pass of
    // checks. Returns false, leaving the row as it was, when the offsets do
    // not fit the text, a cell is not valid UTF-8 or there are more than
    // colCount cells; invalid text is rejected here, not repaired.
    bool setRowPacked(int row, QByteArrayView text, std::span<const uint32_t> ends);

    const ColumnAttr& column(int col) const; // a default attr outside the table
    // A width below -1 is stored as -1 (the default width).
    void setColumn(int col, const ColumnAttr& attr);
    ColumnAttr* columnRef(int col); // nullptr outside the table

    CellFormat format(int row, int col) const;
    // Stores the format in a canonical form: values whose field flag is not
    // set become 0, colours keep their low 24 bits, a font size that is not
    // a positive number drops HasFontSize and one past kMaxFontSize is cut to
    // it. A format that ends up default removes the cell's format.
    void setFormat(int row, int col, const CellFormat& fmt);
    bool hasAnyFormat() const;
    // The formatted cells of a row as (column, format), by column; valid
    // until the row's formats change. Lets writers skip unformatted cells.
    using ColumnFormat = std::pair<int, CellFormat>;
    std::span<const ColumnFormat> rowFormats(int row) const;

    // One change over the formats of a range in one pass. Rows whose
    // formats were alike before share one list afterwards, so a block
    // formatted over 200,000 rows costs a handle a row, not a format a cell.
    void changeFormats(int row1, int col1, int row2, int col2,
                       const std::function<void(CellFormat&)>& change);
    // The formats of rows row1..row2 as shared, unchangeable handles, and
    // putting such handles back: what an undoable formatting change keeps.
    using RowFormats = std::shared_ptr<const std::vector<ColumnFormat>>;
    std::vector<RowFormats> rowFormatHandles(int row1, int row2) const;
    void setRowFormatHandles(int row1, const std::vector<RowFormats>& rows);
    // Lets rows with alike formats share one list (after a load that set
    // them cell by cell).
    void shareAlikeFormats();

    int rowHeight(int row) const;          // twips; -1 = default
    void setRowHeight(int row, int twips); // any negative value means the default

    void insertRows(int at, int n);
    void removeRows(int at, int n);
    void insertColumns(int at, int n);
    void removeColumns(int at, int n);
    // Moves one row (with its cells, formats and height) so that it ends at
    // index `to`; the rows between shift by one.
    void moveRow(int from, int to);
    void moveColumn(int from, int to);
    // Moves the rows of `other` from `from` on below this table's last row,
    // cells, formats and heights with them, and cuts `other` to `from` rows.
    // The rows' blocks change hands, so 200,000 appended records cost no
    // copy. Cells and formats beyond this table's columns are dropped, and
    // rows past kMaxRows too.
    void takeRowsFrom(Table& other, int from);

    // Shape changes that can be taken back. The rows or columns taken out
    // come back as a table of their own (the same column count, or the same
    // row count), which the matching put restores exactly: cells, formats,
    // heights and, for columns, attributes. The cost follows what moves,
    // never a copy of the whole table.
    Table takeRows(int at, int n);
    void putRows(int at, Table&& rows);
    // The same for scattered rows, given ascending and without repeats; one
    // pass over the table whatever their number.
    Table takeRowsAt(std::span<const int> rows);
    void putRowsAt(std::span<const int> rows, Table&& taken);
    Table takeColumns(int at, int n);
    void putColumns(int at, Table&& cols);
    // Row first + i becomes the old row first + order[i] (order is a
    // permutation of 0..order.size() - 1), with its formats and height.
    void permuteRows(int first, std::span<const int> order);
    // Moves only the cells of a row; formats and heights stay where they are.
    void moveRowCells(int from, int to);
    // The cells of `rows` (ascending, no repeats) pass one place along
    // them: the last row's to the first and each other's to the next
    // (`down`), or the other way round. Rows between them stay as they are,
    // and so do all formats and heights.
    void rotateRowCells(std::span<const int> rows, bool down);
    bool hasRowHeights() const;
    // A copy of the cells of rows at..at+n-1 (nothing else), and the swap
    // of such a set of cells with the same rows: what a change of many cell
    // texts keeps to be undone, without copying them again at each step.
    Table copyRowCells(int at, int n) const;
    void swapRowCells(int at, Table& cells);

    // Orders the corners of a range and cuts it to the table; false when
    // nothing of it lies inside.
    bool clampRange(int& row1, int& col1, int& row2, int& col2) const;

    // Bytes held on the heap by the cells, formats and attributes: what the
    // benchmarks report next to the process's resident size.
    size_t heapBytes() const;

    // Same counts, cells, column attributes, formats and row heights.
    bool operator==(const Table& other) const;

    // Strict UTF-8 check (no overlongs, surrogates or code points past
    // U+10FFFF). Cells only ever hold valid UTF-8: setUtf8 and setRowUtf8
    // repair invalid input with U+FFFD, file readers reject it.
    static bool isValidUtf8(QByteArrayView bytes);

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace corvanta
