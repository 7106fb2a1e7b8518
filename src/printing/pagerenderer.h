#pragma once

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
using Previewer = std::function<void(const PageSource&, QWidget* parent, const QString& title)>;

} // namespace corvanta

namespace corvanta::PageRenderer {

// Draws one page on a painter whose origin is the paper's top-left corner.
void render(QPainter& painter, const Page& page);

// Prints every page of the source on a printer or a PDF writer, making one
// page at a time. The device's page size and orientation are set from the
// source; its margins become 0 so that positions are the paper's. False when
// the device could not be painted on.
bool print(const PageSource& source, QPagedPaintDevice& device);
bool print(const PageSource& source, QPrinter& printer);

// Writes the pages as PDF to an open device.
bool writePdf(const PageSource& source, QIODevice& out, const QString& title);

// Shows the pages in a print preview, from which the user prints to any
// printer or to PDF. Cancelling prints nothing.
void preview(const PageSource& source, QWidget* parent, const QString& title);

} // namespace corvanta::PageRenderer
