#pragma once

#include "grid/table.h"
#include "printing/pagemodel.h"

#include <QString>

#include <vector>

namespace corvanta {

// What the user chose in the print-sheet dialog.
struct SheetOptions
{
    // Per table column: whether it prints. Columns past the end print unless
    // hidden.
    std::vector<bool> printed;
    bool landscape = false;
    int scale = 75;        // per cent, 50 to 100
    std::vector<int> rows; // table rows to print, in order
    // When not empty: the table columns printed, in this order (replaces
    // `printed`).
    std::vector<int> columns;
    PaperSize paper; // upright; turned here for landscape
};

// The address table as a ruled sheet on the printer's paper: the page header,
// the column titles as headings on every page, one sheet row per record and
// each printed column 1.2 times as wide as in the table, all at the chosen
// scale. A sheet wider or longer than a page flows onto further pages, down
// first, then across.
class SheetLayout : public PageSource
{
  public:
    static constexpr int kMinScale = 50;
    static constexpr int kMaxScale = 100;
    static constexpr int kDefaultScale = 75;
    // The table's default column width, for columns that keep it (-1).
    static constexpr int kDefaultColumnTwips = 960;
    // In sheet twips, before scaling.
    static constexpr int kRowHeight = 255;
    static constexpr int kCellPadding = 40;
    // Paper twips, not scaled.
    static constexpr int kMarginLeftRight = 1080;
    static constexpr int kMarginTopBottom = 1440;
    static constexpr int kHeaderTop = 560;

    static QString headerText();
    static PageFont cellFont(bool bold = false);

    // The table must outlive the layout and stay unchanged while pages are
    // made.
    SheetLayout(const Table& table, SheetOptions options);

    // A typed scale as printed: a number brought into 50..100 (rounded to a
    // whole per cent), anything else the default.
    static int scaleFromText(const QString& typed);

    // Twips of the sheet column of table column `col`: its width (or the
    // default) × 1.2, rounded; 0 when it does not print.
    int sheetColumnWidth(int col) const;
    int pagesDown() const { return m_pagesDown; }
    int pagesAcross() const { return int(m_groups.size()); }
    int rowsPerPage() const { return m_rowsPerPage; }

    int pageCount() const override;
    Page page(int index) const override;
    bool landscape() const override { return m_options.landscape; }
    PaperSize paper() const override { return m_options.paper; }
    void setPaper(const PaperSize& paper) override;
    qint64 minimumPdfBytes() const override;

  private:
    static int widthOf(const ColumnAttr& attr);
    void layOut();
    struct Group
    {
        int first = 0; // index into m_cols
        int count = 0;
    };
    int scaled(double sheetTwips) const;

    const Table& m_table;
    SheetOptions m_options;
    std::vector<int> m_cols;   // the printed table columns, in order
    std::vector<int> m_widths; // their sheet widths
    std::vector<Group> m_groups;
    int m_rowsPerPage = 1;
    int m_pagesDown = 1;
    int m_paperWidth = 0;
    int m_paperHeight = 0;
};

} // namespace corvanta
