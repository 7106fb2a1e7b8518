#pragma once

#include "files/filestatus.h"
#include "printing/pagemodel.h"

#include <QString>

#include <functional>

class QIODevice;
class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

namespace corvanta {

// How finished pages reach the user: the print preview, or a test's probe.
// The source is laid out again on the paper the printer holds.
using Previewer = std::function<void(PageSource&, QWidget* parent, const QString& title)>;
// Told why printing failed, in words for the user.
using PrintFailed = std::function<void(const FileStatus& status)>;

} // namespace corvanta

namespace corvanta::PageRenderer {

// Draws one page on a painter whose origin is the paper's top-left corner.
void render(QPainter& painter, const Page& page);

// Prints every page of the source on a printer or a PDF writer, making one
// page at a time. The device's page size and orientation are set from the
// source; its margins become 0 so that positions are the paper's. False when
// the device could not be painted on, or as soon as `stop` says so after a
// page.
bool print(const PageSource& source, QPagedPaintDevice& device,
           const std::function<bool()>& stop = {});
// On a printer the source is first laid out on the printer's paper.
bool print(PageSource& source, QPrinter& printer);

// Writes the pages as PDF to an open device.
bool writePdf(const PageSource& source, QIODevice& out, const QString& title);

// Writes the pages as a PDF file the way a document is saved: refused when
// the file system cannot hold the pages' least size or the path is not a
// regular file, written beside the target and moved over it only when
// complete, stopped at the first failed write. On a failure the old file
// is left as it was.
FileStatus writePdfFile(const PageSource& source, const QString& path, const QString& title);

// The printer's paper, upright.
PaperSize paperOf(const QPrinter& printer);

// Shows the pages in a print preview, from which the user prints to any
// printer or to PDF. Cancelling prints nothing. Printing to a PDF file goes
// through writePdfFile; a failure is handed to `failed`.
void preview(PageSource& source, QWidget* parent, const QString& title,
             const PrintFailed& failed = {});

} // namespace corvanta::PageRenderer
