#include "printing/labellayout.h"

#include "printing/printedvalue.h"

#include <algorithm>
#include <cmath>

namespace corvanta {

void LabelPattern::reset(const QStringList& titles)
{
    for (int i : {1, 2, 3})
        lines[i].used = true;
    for (int i = 1; i < kLines; ++i) {
        lines[i].columns = {};
        lines[i].separators = {};
    }
    lines[1].columns[0] = titles.value(0);
    lines[2].columns[0] = titles.value(1);
    lines[3].columns = {titles.value(2), titles.value(3), titles.value(4)};
    lines[3].separators = {QStringLiteral("comma+space"), QStringLiteral("space")};
}

LabelPattern LabelPattern::standard(const QStringList& titles)
{
    LabelPattern pattern;
    pattern.reset(titles);
    return pattern;
}

QString LabelPattern::separatorText(const QString& name)
{
    if (name == u"comma+space")
        return QStringLiteral(", ");
    if (name == u"comma")
        return QStringLiteral(",");
    if (name == u"space")
        return QStringLiteral(" ");
    if (name == u"double space")
        return QStringLiteral("  ");
    return {};
}

const std::vector<LabelFormat>& LabelFormat::all()
{
    static const std::vector<LabelFormat> formats{
        // The US address sheets these cells were made for: 2 5/8 x 1 inch
        // labels 2 25/32 inches apart from 5/32 inch in; 4 x 1 and 4 x 2
        // inch labels 4 3/16 inches apart.
        {QStringLiteral("3 x 10"), 3, 240, {3976, 3976, 3300}, QStringLiteral("Arial"), 10, 225,
         4005, 3780},
        {QStringLiteral("2 x 10"), 2, 240, {6120, 5100}, QStringLiteral("Arial"), 10, 225, 6030,
         5760},
        {QStringLiteral("2 x 5"), 2, 480, {6120, 5100}, QStringLiteral("Times New Roman"), 16, 234,
         6030, 5760},
    };
    return formats;
}

const LabelFormat* LabelFormat::named(const QString& name)
{
    for (const LabelFormat& f : all())
        if (f.name == name)
            return &f;
    return nullptr;
}

LabelLayout::LabelLayout(const Table& table, const LabelPattern& pattern,
                         const std::vector<int>& rows, const LabelOptions& options)
    : m_table(table), m_options(options), m_lines(resolve(pattern, table))
{
    const LabelFormat* format = LabelFormat::named(options.format);
    m_format = format ? *format : LabelFormat::all().front();
    if (options.fontPoints > 0)
        m_format.points = options.fontPoints;

    auto blank = [&](int row, int col) {
        return col >= 0 && table.text(row, col).trimmed().isEmpty();
    };
    m_rows.reserve(rows.size());
    for (int row : rows) {
        if (options.skipIncomplete &&
            (blank(row, options.streetColumn) || blank(row, options.cityColumn)))
            continue;
        m_rows.push_back(row);
    }

    // The address is the lines that name a column; the country goes on the
    // line below its last one, never over a used line: below a fifth used
    // line it takes the label's sixth row.
    for (int i = 0; i < LabelPattern::kLines; ++i) {
        if (m_lines[i].columns[0] >= 0) {
            if (m_lastLine < 0)
                m_firstLine = i;
            m_lastLine = i;
        }
    }
    if (!options.country.isEmpty()) {
        m_countryLine = m_lastLine + 1;
        if (m_lastLine < 0)
            m_firstLine = 0;
        m_lastLine = m_countryLine;
    }

    if (const LabelSheet* s = sheet()) {
        m_format.across = std::max(1, s->across());
        m_templatePoints = m_format.points;
        // A line is 1.2 times its font; smaller type when the block of
        // lines would not fit inside the label's text margin.
        const int rows = std::max(1, m_lastLine - m_firstLine + 1);
        const double room = double(s->labelHeight - 2 * s->textMargin) / rows / 24.0;
        m_templatePoints = std::max(1.0, std::min(m_templatePoints, room));
        m_templateRow = int(std::lround(m_templatePoints * 24));
    }
}

std::array<ResolvedLine, LabelPattern::kLines> LabelLayout::resolve(const LabelPattern& pattern,
                                                                    const Table& table)
{
    auto columnTitled = [&](const QString& title) {
        if (title.isEmpty() || table.rowCount() == 0)
            return -1;
        for (int c = 0; c < table.colCount(); ++c)
            if (table.text(0, c) == title)
                return c;
        return -1;
    };
    std::array<ResolvedLine, LabelPattern::kLines> resolved;
    for (int i = 0; i < LabelPattern::kLines; ++i) {
        const LabelLine& line = pattern.lines[i];
        if (!line.used)
            continue;
        for (int k = 0; k < 3; ++k)
            resolved[i].columns[k] = columnTitled(line.columns[k]);
        for (int k = 0; k < 2; ++k)
            resolved[i].separators[k] = LabelPattern::separatorText(line.separators[k]);
    }
    return resolved;
}

QString LabelLayout::compose(const ResolvedLine& line, const Table& table, int row)
{
    const auto& c = line.columns;
    // Values print as the table shows them, through their column's format.
    auto cell = [&](int col) {
        return PrintedValue::shown(table.column(col), table.text(row, col));
    };
    if (c[0] < 0)
        return {};
    QString text = cell(c[0]);
    if (c[1] < 0)
        return text;
    text += line.separators[0] + cell(c[1]);
    if (c[2] < 0)
        return text;
    return text + line.separators[1] + cell(c[2]);
}

QStringList LabelLayout::lines(int tableRow) const
{
    QStringList out;
    for (const ResolvedLine& line : m_lines)
        out.append(compose(line, m_table, tableRow));
    if (m_countryLine >= LabelPattern::kLines)
        out.append(m_options.country);
    else if (m_countryLine >= 0)
        out[m_countryLine] = m_options.country;
    return out;
}

int LabelLayout::lastRow() const
{
    return labelCount() * kBandRows / m_format.across + kBandRows;
}

QString LabelLayout::printArea() const
{
    return QStringLiteral("A1:%1%2").arg(QChar(u'A' + lastCol() - 1)).arg(lastRow());
}

QString LabelLayout::cellText(int row, int col) const
{
    if (row < 1 || col < 1 || col > m_format.across)
        return {};
    const int line = (row - 1) % kBandRows;
    const qsizetype k = qsizetype((row - 1) / kBandRows) * m_format.across + (col - 1);
    if (k >= qsizetype(m_rows.size()))
        return {};
    return lines(m_rows[k]).value(line);
}

int LabelLayout::bandsPerPage(const LabelFormat& format, const PaperSize& paper)
{
    const int bandHeight = kBandRows * format.rowHeight;
    return std::max(1, (paper.height - kMarginTop - kMarginBottom) / bandHeight);
}

int LabelLayout::labelsPerPage() const
{
    if (const LabelSheet* s = sheet())
        return std::max(1, s->perSheet());
    return bandsPerPage(m_format, m_options.paper) * m_format.across;
}

int LabelLayout::pageCount() const
{
    const int per = labelsPerPage();
    return std::max(1, (labelCount() + per - 1) / per);
}

PaperSize LabelLayout::paper() const
{
    return sheet() ? sheet()->paper : m_options.paper;
}

void LabelLayout::setPaper(const PaperSize& paper)
{
    if (!sheet())
        m_options.paper = paper;
}

LabelRect LabelLayout::labelRect(int onPage) const
{
    if (const LabelSheet* s = sheet())
        return s->labels.at(size_t(std::clamp(onPage, 0, s->perSheet() - 1)));
    const int col = onPage % m_format.across;
    const int band = onPage / m_format.across;
    const int h = kBandRows * m_format.rowHeight;
    return {m_format.labelX0 + col * m_format.labelPitch, kMarginTop + band * h,
            m_format.labelWidth, h};
}

void LabelLayout::placeTemplateLabel(Page& page, const LabelRect& label, const QStringList& text,
                                     int font) const
{
    const int margin = sheet()->textMargin;
    const int rows = m_lastLine - m_firstLine + 1;
    const int top = label.y + (label.h - rows * m_templateRow) / 2;
    const int x = label.x + margin;
    const int w = std::max(0, label.w - 2 * margin);
    for (int line = m_firstLine; line <= m_lastLine; ++line) {
        const QString value = text.value(line);
        if (!value.isEmpty())
            page.addText(x, top + (line - m_firstLine) * m_templateRow, w, m_templateRow, value,
                         font);
    }
}

Page LabelLayout::page(int index) const
{
    Page page;
    const PaperSize on = paper();
    page.width = on.width;
    page.height = on.height;
    if (index < 0 || index >= pageCount())
        return page;
    const int per = labelsPerPage();
    const int first = index * per;
    const int last = std::min(labelCount(), first + per);
    if (const LabelSheet* s = sheet()) {
        const int font = page.addFont(PageFont{m_format.font, m_templatePoints, false});
        for (int k = first; k < last; ++k)
            placeTemplateLabel(page, s->labels[size_t(k - first)], lines(m_rows[k]), font);
        page.shift(twipsFromMm(m_options.offsetRightMm), twipsFromMm(m_options.offsetDownMm));
        return page;
    }
    const int font = page.addFont(PageFont{m_format.font, m_format.points, false});
    std::vector<int> columnX{kMarginLeft};
    for (int w : m_format.widths)
        columnX.push_back(columnX.back() + w);
    for (int k = first; k < last; ++k) {
        // From the label's place on its page alone, so a label on page 3
        // sits where the same label on page 1 does.
        const int onPage = k - first;
        const int col = onPage % m_format.across;
        const int band = onPage / m_format.across;
        const int x = columnX[col] + kCellPadding;
        const int labelRight = m_format.labelX0 + col * m_format.labelPitch + m_format.labelWidth;
        const int w = std::max(0, std::min(columnX[col + 1], labelRight - kLabelMargin) - x);
        const QStringList text = lines(m_rows[k]);
        for (int line = 0; line < text.size(); ++line) {
            if (text[line].isEmpty())
                continue;
            const int y = kMarginTop + (band * kBandRows + line) * m_format.rowHeight;
            page.addText(x, y, w, m_format.rowHeight, text[line], font);
        }
    }
    page.shift(twipsFromMm(m_options.offsetRightMm), twipsFromMm(m_options.offsetDownMm));
    return page;
}

} // namespace corvanta
