#pragma once

#include "grid/table.h"
#include "printing/labelsheet.h"
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
// widths in twips, and its font; and the labels the cells are printed on:
// where the first starts, the pitch across and a label's width.
struct LabelFormat
{
    QString name;
    int across = 3;
    int rowHeight = 240;
    std::vector<int> widths;
    QString font;
    double points = 10;
    int labelX0 = 0;
    int labelPitch = 0;
    int labelWidth = 0;

    static const std::vector<LabelFormat>& all(); // "3 x 10", "2 x 10", "2 x 5"
    static const LabelFormat* named(const QString& name);
};

struct LabelOptions
{
    QString format = QStringLiteral("3 x 10");
    // A sheet of the template library; when set it replaces the format.
    std::optional<LabelSheet> sheet;
    // The printer's paper, for the built-in formats; a template brings its own.
    PaperSize paper;
    // Skip a record whose street or city cell is empty (columns -1: none).
    bool skipIncomplete = false;
    int streetColumn = 1;
    int cityColumn = 2;
    // Printed on the first line below the address when not empty.
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
// US Letter or A4 for the 240-twip rows, five for the 480-twip ones. A line
// is cut at the right edge of its label, less a small margin.
//
// On a sheet of the template library each label is the maker's rectangle:
// the used lines sit in it as one block, vertically centred within its text
// margin, their font made smaller when the block would not fit.
class LabelLayout : public PageSource
{
  public:
    static constexpr int kBandRows = 6;
    static constexpr int kMarginTop = 720; // 0.5 inch
    static constexpr int kMarginBottom = 720;
    static constexpr int kMarginLeft = 576; // 0.4 inch
    static constexpr int kCellPadding = 30;
    // What text keeps from the right edge of a label (a sixteenth of an inch).
    static constexpr int kLabelMargin = 90;

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
    // The lines of the label of a table row: five, or six when the country
    // goes below a fifth used line.
    QStringList lines(int tableRow) const;

    // The sheet: its last row and column, the print area ("A1:C8") and the
    // text of a cell, rows and columns counted from 1.
    int lastRow() const;
    int lastCol() const { return m_format.across; }
    QString printArea() const;
    QString cellText(int row, int col) const;

    // Whole bands of labels that fit between the page's margins.
    static int bandsPerPage(const LabelFormat& format, const PaperSize& paper = {});
    int labelsPerPage() const;
    int pageCount() const override;
    Page page(int index) const override;
    PaperSize paper() const override;
    void setPaper(const PaperSize& paper) override;
    // The rectangle of the label at a place on a page (0 the first).
    LabelRect labelRect(int onPage) const;
    // The template's sheet, or null for a built-in format.
    const LabelSheet* sheet() const { return m_options.sheet ? &*m_options.sheet : nullptr; }

  private:
    void placeTemplateLabel(Page& page, const LabelRect& label, const QStringList& text,
                            int font) const;

    const Table& m_table;
    LabelFormat m_format;
    LabelOptions m_options;
    std::array<ResolvedLine, LabelPattern::kLines> m_lines;
    std::vector<int> m_rows;
    int m_countryLine = -1; // 0-based, -1 without a country
    // On a template: the lines from the first used to the last, the font
    // size and the height of a line.
    int m_firstLine = 0;
    int m_lastLine = -1;
    double m_templatePoints = 10;
    int m_templateRow = 240;
};

} // namespace corvanta
