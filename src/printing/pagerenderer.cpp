#include "printing/pagerenderer.h"

#include "files/safefile.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <cmath>

namespace corvanta::PageRenderer {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr int kRuleTwips = 10; // half a point

QFont fontOf(const PageFont& f)
{
    QFont font(f.family);
    // Sized in twips, the painter's unit: 20 a point.
    font.setPixelSize(std::max(1, int(std::lround(f.points * 20))));
    font.setBold(f.bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QPageSize pageSizeOf(const PaperSize& paper)
{
    // A standard size keeps its name in the PDF and in the print dialog.
    return QPageSize(QSizeF(paper.width / 20.0, paper.height / 20.0), QPageSize::Point, paper.name,
                     QPageSize::FuzzyMatch);
}

void prepare(QPagedPaintDevice& device, const PageSource& source)
{
    device.setPageLayout(
        QPageLayout(pageSizeOf(source.paper()),
                    source.landscape() ? QPageLayout::Landscape : QPageLayout::Portrait,
                    QMarginsF(0, 0, 0, 0)));
}

bool paintAll(const PageSource& source, QPagedPaintDevice& device,
              const std::function<bool()>& stop)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const int pages = source.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        render(painter, source.page(i));
        if (stop && stop()) {
            painter.end();
            return false;
        }
    }
    return painter.end() && !(stop && stop());
}

// While the preview draws its own pages, the printer paints through the
// preview's engine, which records pictures; a real print paints on the
// printer's own engine.
bool previewing(QPrinter& printer)
{
    return printer.paintEngine() && printer.paintEngine()->type() == QPaintEngine::Picture;
}

} // namespace

void render(QPainter& painter, const Page& page)
{
    painter.save();
    const QPaintDevice* device = painter.device();
    painter.scale(device->logicalDpiX() / kTwipsPerInch, device->logicalDpiY() / kTwipsPerInch);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QList<QFont> fonts;
    for (const PageFont& f : page.fonts)
        fonts.append(fontOf(f));
    const QPen rule(Qt::black, kRuleTwips);
    int currentFont = -1;
    for (const PageItem& item : page.items) {
        switch (item.kind) {
        case PageItem::Text: {
            if (item.font != currentFont && item.font >= 0 && item.font < fonts.size()) {
                painter.setFont(fonts[item.font]);
                currentFont = item.font;
            }
            int flags = Qt::AlignVCenter | Qt::TextSingleLine;
            flags |= item.align == 4 ? Qt::AlignHCenter
                                     : (item.align == 7 ? Qt::AlignRight : Qt::AlignLeft);
            painter.setPen(Qt::black);
            // A value that does not fit is cut with an ellipsis, as the table
            // shows it, so that a cut phone number never looks whole.
            const QFontMetricsF metrics(painter.font(), painter.device());
            const QString text = metrics.horizontalAdvance(item.text) <= item.w
                                     ? item.text
                                     : metrics.elidedText(item.text, Qt::ElideRight, item.w);
            painter.drawText(QRect(item.x, item.y, item.w, item.h), flags, text);
            break;
        }
        case PageItem::Line:
            painter.setPen(rule);
            painter.drawLine(item.x, item.y, item.x + item.w, item.y + item.h);
            break;
        case PageItem::Box: {
            painter.setPen(rule);
            painter.setBrush(Qt::NoBrush);
            const QRectF box(item.x, item.y, item.w, item.h);
            painter.drawRect(box);
            if (item.checked) {
                QPainterPath tick;
                tick.moveTo(box.left() + box.width() * 0.2, box.top() + box.height() * 0.5);
                tick.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.78);
                tick.lineTo(box.left() + box.width() * 0.82, box.top() + box.height() * 0.22);
                painter.setPen(
                    QPen(Qt::black, kRuleTwips * 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                painter.drawPath(tick);
            }
            break;
        }
        }
    }
    painter.restore();
}

bool print(const PageSource& source, QPagedPaintDevice& device, const std::function<bool()>& stop)
{
    prepare(device, source);
    return paintAll(source, device, stop);
}

PaperSize paperOf(const QPrinter& printer)
{
    const QPageSize size = printer.pageLayout().pageSize();
    const QSizeF points = size.size(QPageSize::Point);
    return {size.name(), int(std::lround(points.width() * 20)),
            int(std::lround(points.height() * 20))};
}

bool print(PageSource& source, QPrinter& printer)
{
    source.setPaper(paperOf(printer));
    // The page model's positions are the paper's, not the printable area's.
    printer.setFullPage(true);
    return print(source, static_cast<QPagedPaintDevice&>(printer));
}

bool writePdf(const PageSource& source, QIODevice& out, const QString& title)
{
    QPdfWriter writer(&out);
    writer.setResolution(1440);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Corvanta Address Book"));
    // A file that failed a write fails every later one: stop there rather
    // than draw the remaining pages for nothing.
    const auto* file = dynamic_cast<const AtomicFile*>(&out);
    return print(source, writer, [file] { return file && file->failed(); });
}

bool writePdfFile(const PageSource& source, const QString& path, const QString& title,
                  QString* error)
{
    if (!AtomicFile::fitsFreeSpace(path, source.minimumPdfBytes(), error))
        return false;
    AtomicFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (!writePdf(source, file, title)) {
        *error = file.failed() ? file.errorString() : QStringLiteral("cannot write the PDF");
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

void preview(PageSource& source, QWidget* parent, const QString& title, const PrintFailed& failed)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    printer.setFullPage(true);
    // Pages for the paper in the printer, unless the source brings its own
    // (a label sheet), which the printer then takes.
    source.setPaper(paperOf(printer));
    prepare(printer, source);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("printPreview"));
    dialog.setWindowTitle(title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&source, &failed](QPrinter* p) {
                         if (previewing(*p) || p->outputFormat() != QPrinter::PdfFormat ||
                             p->outputFileName().isEmpty()) {
                             print(source, *p);
                             return;
                         }
                         // A PDF file is saved as a document is: the old file
                         // stays until the new one is whole.
                         source.setPaper(paperOf(*p));
                         QString error;
                         if (!writePdfFile(source, p->outputFileName(), p->docName(), &error) &&
                             failed)
                             failed(error);
                     });
    dialog.exec();
}

} // namespace corvanta::PageRenderer
