#pragma once

#include "grid/table.h"
#include "printing/pagemodel.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace corvanta {

// One line of a label as the user describes it: up to three columns, named
// by their titles, joined by two separators, named as in the pattern grid.
struct LabelLine
{
    bool used = false;
    std::array<QString, 3> columns;
    std::array<QString, 2> separators;
    bool operator==(const LabelLine&) const = default;
};

struct LabelPattern
{
    static constexpr int kLines = 5;
    std::array<LabelLine, kLines> lines;

    // The standard 3-line pattern over these column titles: lines 2 to 4
    // ticked, line 2 the first column, line 3 the second, line 4 the third,
    // ", " the fourth, " " the fifth. Lines 1 and 5 keep their tick.
    void reset(const QStringList& titles);
    static LabelPattern standard(const QStringList& titles);
    // The text a separator name stands for ("comma+space" -> ", ").
    static QString separatorText(const QString& name);
};

// A line resolved against the table's titles: column indexes (-1 for none)
// and separator texts.
struct ResolvedLine
{
    std::array<int, 3> columns{-1, -1, -1};
    std::array<QString, 2> separators;
};

// A label sheet: how many labels across, the sheet's row height and column
// widths in twips, and its font.
struct LabelFormat
{
    QString name;
    int across = 3;
    int rowHeight = 240;
    std::vector<int> widths;
    QString font;
    double points = 10;

    static const std::vector<LabelFormat>& all(); // "3 x 10", "2 x 10", "2 x 5"
    static const LabelFormat* named(const QString& name);
};

struct LabelOptions
{
    QString format = QStringLiteral("3 x 10");
    // Skip a record whose street or city cell is empty (columns -1: none).
    bool skipIncomplete = false;
    int streetColumn = 1;
    int cityColumn = 2;
    // Printed as the address's fourth line when not empty.
    QString country;
    double fontPoints = 0; // 0: the format's size
    // Where the printer feeds the sheet off: the whole page moves by this.
    double offsetRightMm = 0;
    double offsetDownMm = 0;
};

// Mailing labels laid out as a sheet of cells: label k of n sits in sheet
// column (k mod across) + 1 and in the band of six rows after row
// 6 × (k div across); its five lines fill the band's first five rows, and the
// sixth is the gap to the next label. Pages hold whole bands: ten of them on
// US Letter for the 240-twip rows, five for the 480-twip ones.
class LabelLayout : public PageSource
{
  public:
    static constexpr int kBandRows = 6;
    static constexpr int kMarginTop = 720; // 0.5 inch
    static constexpr int kMarginBottom = 720;
    static constexpr int kMarginLeft = 576; // 0.4 inch
    static constexpr int kCellPadding = 30;

    // `rows` are the table rows to print, in order. The table must outlive
    // the layout.
    LabelLayout(const Table& table, const LabelPattern& pattern, const std::vector<int>& rows,
                const LabelOptions& options);

    static std::array<ResolvedLine, LabelPattern::kLines> resolve(const LabelPattern& pattern,
                                                                  const Table& table);
    static QString compose(const ResolvedLine& line, const Table& table, int row);

    const LabelFormat& format() const { return m_format; }
    int labelCount() const { return int(m_rows.size()); }
    const std::vector<int>& printedRows() const { return m_rows; }
    // The five lines of the label of a table row.
    QStringList lines(int tableRow) const;

    // The sheet: its last row and column, the print area ("A1:C8") and the
    // text of a cell, rows and columns counted from 1.
    int lastRow() const;
    int lastCol() const { return m_format.across; }
    QString printArea() const;
    QString cellText(int row, int col) const;

    // Whole bands of labels that fit between the page's margins.
    static int bandsPerPage(const LabelFormat& format);
    int labelsPerPage() const { return bandsPerPage(m_format) * m_format.across; }
    int pageCount() const override;
    Page page(int index) const override;

  private:
    const Table& m_table;
    LabelFormat m_format;
    LabelOptions m_options;
    std::array<ResolvedLine, LabelPattern::kLines> m_lines;
    std::vector<int> m_rows;
    int m_countryLine = -1; // 0-based, -1 without a country
};

} // namespace corvanta
