#include "printing/sheetlayout.h"

#include "printing/printedvalue.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace corvanta {

namespace {

int textAlign(const ColumnAttr& column, const QString& text)
{
    switch (column.align) {
    case AlignCenter:
        return AlignCenter;
    case AlignRight:
        return AlignRight;
    case AlignLeft:
    case AlignLeftTop:
        return AlignLeft;
    default:
        break;
    }
    // General: numbers to the right, text to the left, as in the table.
    if (column.type == TypeNumber || column.type == TypeMoney)
        return AlignRight;
    bool number = false;
    text.toDouble(&number);
    return number ? AlignRight : AlignLeft;
}

} // namespace

QString SheetLayout::headerText()
{
    return QStringLiteral("Halvorix Corvanta Address Book");
}

PageFont SheetLayout::cellFont(bool bold)
{
    return PageFont{QStringLiteral("Arial"), 10, bold};
}

SheetLayout::SheetLayout(const Table& table, SheetOptions options)
    : m_table(table), m_options(std::move(options))
{
    m_options.scale = std::clamp(m_options.scale, kMinScale, kMaxScale);
    if (m_options.columns.empty()) {
        for (int c = 0; c < table.colCount(); ++c) {
            if (const int w = sheetColumnWidth(c); w > 0) {
                m_cols.push_back(c);
                m_widths.push_back(w);
            }
        }
    } else {
        for (int c : m_options.columns) {
            if (c < 0 || c >= table.colCount())
                continue;
            m_cols.push_back(c);
            m_widths.push_back(widthOf(table.column(c)));
        }
    }
    layOut();
}

void SheetLayout::setPaper(const PaperSize& paper)
{
    m_options.paper = paper;
    layOut();
}

int SheetLayout::pageCount() const
{
    return int(std::min<qint64>(qint64(m_pagesDown) * pagesAcross(), INT_MAX));
}

qint64 SheetLayout::minimumPdfBytes() const
{
    // The pages of a sheet too large for a page count of its own.
    return qint64(m_pagesDown) * pagesAcross() * kMinPdfPageBytes;
}

void SheetLayout::layOut()
{
    m_groups.clear();
    m_paperWidth = m_options.paper.width;
    m_paperHeight = m_options.paper.height;
    if (m_options.landscape)
        std::swap(m_paperWidth, m_paperHeight);

    // Columns go onto a page while they fit; one wider than the page gets a
    // page of its own and is cut at the margin.
    const double across = (m_paperWidth - 2.0 * kMarginLeftRight) * 100.0 / m_options.scale;
    Group group;
    double used = 0;
    for (int i = 0; i < int(m_cols.size()); ++i) {
        if (group.count > 0 && used + m_widths[i] > across) {
            m_groups.push_back(group);
            group = Group{i, 0};
            used = 0;
        }
        ++group.count;
        used += m_widths[i];
    }
    m_groups.push_back(group);

    const double down = (m_paperHeight - 2.0 * kMarginTopBottom) * 100.0 / m_options.scale;
    m_rowsPerPage = std::max(1, int(down / kRowHeight) - 1); // less the headings
    const int rows = int(m_options.rows.size());
    m_pagesDown = std::max(1, (rows + m_rowsPerPage - 1) / m_rowsPerPage);
}

int SheetLayout::scaleFromText(const QString& typed)
{
    bool ok = false;
    const double v = typed.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return kDefaultScale;
    return int(std::lround(std::clamp(v, double(kMinScale), double(kMaxScale))));
}

int SheetLayout::sheetColumnWidth(int col) const
{
    if (col < 0 || col >= m_table.colCount())
        return 0;
    const ColumnAttr& attr = m_table.column(col);
    const bool printed =
        !m_options.columns.empty()
            ? std::find(m_options.columns.begin(), m_options.columns.end(), col) !=
                  m_options.columns.end()
        : col < int(m_options.printed.size()) ? bool(m_options.printed[col])
                                              : !attr.hidden;
    return printed ? widthOf(attr) : 0;
}

int SheetLayout::widthOf(const ColumnAttr& attr)
{
    const int width = attr.width < 0 ? kDefaultColumnTwips : attr.width;
    return int(std::lround(width * 1.2));
}

int SheetLayout::scaled(double sheetTwips) const
{
    return int(std::lround(sheetTwips * m_options.scale / 100.0));
}

Page SheetLayout::page(int index) const
{
    Page page;
    page.width = m_paperWidth;
    page.height = m_paperHeight;
    if (index < 0 || index >= pageCount())
        return page;

    const int headerFont = page.addFont(cellFont());
    page.addText(kMarginLeftRight, kHeaderTop, m_paperWidth - 2 * kMarginLeftRight, 300,
                 headerText(), headerFont, AlignCenter);

    PageFont body = cellFont();
    body.points = body.points * m_options.scale / 100.0;
    PageFont heading = body;
    heading.bold = true;
    const int bodyFont = page.addFont(body);
    const int headingFont = page.addFont(heading);

    const Group& group = m_groups[index / m_pagesDown];
    const int firstRow = (index % m_pagesDown) * m_rowsPerPage;
    const int rowCount =
        std::min(m_rowsPerPage, std::max(0, int(m_options.rows.size()) - firstRow));
    const double across = (m_paperWidth - 2.0 * kMarginLeftRight) * 100.0 / m_options.scale;

    // Every position comes from the sheet's own coordinates, scaled once:
    // nothing accumulates from page to page or from row to row.
    auto xAt = [&](double sheetX) { return kMarginLeftRight + scaled(sheetX); };
    auto yAt = [&](int sheetRow) {
        return kMarginTopBottom + scaled(double(sheetRow) * kRowHeight);
    };

    std::vector<double> edges{0};
    for (int i = 0; i < group.count; ++i)
        edges.push_back(std::min(across, edges.back() + m_widths[group.first + i]));

    for (int i = 0; i < group.count; ++i) {
        const int col = m_cols[group.first + i];
        const ColumnAttr& attr = m_table.column(col);
        const int x1 = xAt(edges[i]);
        const int x2 = xAt(edges[i + 1]);
        const int pad = scaled(kCellPadding);
        const int textW = std::max(0, x2 - x1 - 2 * pad);
        page.addText(x1 + pad, yAt(0), textW, yAt(1) - yAt(0), m_table.text(0, col), headingFont,
                     AlignCenter);
        for (int r = 0; r < rowCount; ++r) {
            const int tableRow = m_options.rows[firstRow + r];
            const int y1 = yAt(r + 1);
            const int y2 = yAt(r + 2);
            const QString stored = m_table.text(tableRow, col);
            if (attr.type == TypeCheckbox) {
                // The box sits 0.4 into the cell, 0.2 of a default-width
                // column wide, over 0.1 to 0.9 of the row.
                const double cellX = edges[i];
                const double boxW = 0.2 * kDefaultColumnTwips * 1.2;
                const double boxX = cellX + 0.4 * m_widths[group.first + i];
                if (boxX < across) {
                    const int bx1 = xAt(boxX);
                    const int bx2 = xAt(std::min(across, boxX + boxW));
                    const double rowY = double(r + 1) * kRowHeight;
                    const int by1 = kMarginTopBottom + scaled(rowY + 0.1 * kRowHeight);
                    const int by2 = kMarginTopBottom + scaled(rowY + 0.9 * kRowHeight);
                    page.addBox(bx1, by1, bx2 - bx1, by2 - by1, PrintedValue::readsTrue(stored));
                }
                continue;
            }
            if (stored.isEmpty())
                continue;
            const QString shown = PrintedValue::shown(attr, stored);
            page.addText(x1 + pad, y1, textW, y2 - y1, shown, bodyFont, textAlign(attr, shown));
        }
    }

    // The rules: around every cell of the headings and the rows on this page.
    const int top = yAt(0);
    const int bottom = yAt(rowCount + 1);
    for (double edge : edges)
        page.addLine(xAt(edge), top, xAt(edge), bottom);
    for (int r = 0; r <= rowCount + 1; ++r)
        page.addLine(xAt(0), yAt(r), xAt(edges.back()), yAt(r));
    return page;
}

} // namespace corvanta
