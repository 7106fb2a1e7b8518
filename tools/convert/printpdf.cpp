#include "printpdf.h"

#include "grid/table.h"
#include "printing/labellayout.h"
#include "printing/pagerenderer.h"
#include "printing/sheetlayout.h"

#include <algorithm>
#include <memory>

namespace corvanta::PrintPdf {

namespace {

// A column named as in layout files: a number from 0, or a title matched
// without regard to case.
int columnNamed(const Table& table, const QString& name)
{
    bool number = false;
    const int col = name.toInt(&number);
    if (number)
        return col >= 0 && col < table.colCount() ? col : -1;
    for (int c = 0; c < table.colCount(); ++c)
        if (table.text(0, c).compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

std::vector<int> recordRows(const Table& table)
{
    std::vector<int> rows;
    for (int r = 1; r < table.rowCount(); ++r)
        rows.push_back(r);
    return rows;
}

} // namespace

QString check(const PrintRequest& request, const LabelTemplates& templates)
{
    if (!request.labels.isEmpty()) {
        if (!LabelFormat::named(request.labels) && !templates.named(request.labels))
            return QStringLiteral("unknown label format '%1' (use \"3 x 10\", \"2 x 10\", "
                                  "\"2 x 5\" or a maker and product such as \"Avery "
                                  "L7160\"%2)")
                .arg(request.labels, templates.isEmpty()
                                         ? QStringLiteral("; those come with glabels-data")
                                         : QString());
        if (request.landscape || request.scale || request.columns)
            return QStringLiteral("--landscape, --scale and --columns are for the sheet, not "
                                  "for labels");
    }
    if (request.scale &&
        (*request.scale < SheetLayout::kMinScale || *request.scale > SheetLayout::kMaxScale))
        return QStringLiteral("--scale must be a whole number from 50 to 100");
    return {};
}

FileStatus write(const Table& table, const PrintRequest& request, const LabelTemplates& templates,
                 const QString& out, const QString& title)
{
    std::unique_ptr<PageSource> pages;
    if (!request.labels.isEmpty()) {
        QStringList titles;
        for (int c = 0; c < table.colCount(); ++c)
            titles.append(table.text(0, c));
        // The dialog's defaults: the standard pattern, incomplete addresses
        // skipped.
        LabelOptions options;
        options.format = request.labels;
        if (const LabelSheet* sheet = templates.named(request.labels))
            options.sheet = *sheet;
        options.paper = request.paper;
        options.skipIncomplete = true;
        pages = std::make_unique<LabelLayout>(table, LabelPattern::standard(titles),
                                              recordRows(table), options);
    } else {
        SheetOptions options;
        options.landscape = request.landscape;
        options.scale = request.scale.value_or(SheetLayout::kDefaultScale);
        options.rows = recordRows(table);
        options.paper = request.paper;
        if (request.columns) {
            // In the order given; a column named twice prints once.
            for (const QString& name : *request.columns) {
                const int col = columnNamed(table, name.trimmed());
                if (col < 0)
                    return FileStatus::fail(FileStatus::NoSuchColumn, name.trimmed());
                if (std::find(options.columns.begin(), options.columns.end(), col) ==
                    options.columns.end())
                    options.columns.push_back(col);
            }
        }
        pages = std::make_unique<SheetLayout>(table, std::move(options));
    }

    return PageRenderer::writePdfFile(*pages, out, title);
}

} // namespace corvanta::PrintPdf
