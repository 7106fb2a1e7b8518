#pragma once

#include "files/filestatus.h"
#include "printing/pagemodel.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace corvanta {

class LabelTemplates;
class Table;

// What the converter prints when OUT is a PDF: the print sheet, or with a
// label format the mailing labels.
struct PrintRequest
{
    // "3 x 10", "2 x 10", "2 x 5" or a sheet of the template library
    // ("Avery L7160"); empty for the sheet
    QString labels;
    // The paper of the sheet and the built-in label formats; a template
    // brings its own.
    PaperSize paper;
    bool landscape = false;
    std::optional<int> scale;           // the sheet's scale, default 75
    std::optional<QStringList> columns; // the sheet's columns, default the visible ones
};

namespace PrintPdf {

// Checks a request before anything is read: an unknown label format, a
// scale outside 50..100, or sheet options given with labels. Empty when
// it is sound, else the usage error.
QString check(const PrintRequest& request, const LabelTemplates& templates);

// Lays out and writes the PDF as a document is saved (see
// PageRenderer::writePdfFile). A column named that the table lacks gives
// NoSuchColumn, before anything is written.
FileStatus write(const Table& table, const PrintRequest& request, const LabelTemplates& templates,
                 const QString& out, const QString& title);

} // namespace PrintPdf

} // namespace corvanta
