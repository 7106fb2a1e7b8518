#include "printing/pagerenderer.h"

#include <QPageLayout>
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

void prepare(QPagedPaintDevice& device, const PageSource& source)
{
    device.setPageLayout(
        QPageLayout(QPageSize(QPageSize::Letter),
                    source.landscape() ? QPageLayout::Landscape : QPageLayout::Portrait,
                    QMarginsF(0, 0, 0, 0)));
}

bool paintAll(const PageSource& source, QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const int pages = source.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !device.newPage())
            return false;
        render(painter, source.page(i));
    }
    return painter.end();
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
            painter.drawText(QRect(item.x, item.y, item.w, item.h), flags, item.text);
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

bool print(const PageSource& source, QPagedPaintDevice& device)
{
    prepare(device, source);
    return paintAll(source, device);
}

bool print(const PageSource& source, QPrinter& printer)
{
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
    return print(source, writer);
}

void preview(const PageSource& source, QWidget* parent, const QString& title)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    printer.setFullPage(true);
    prepare(printer, source);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("printPreview"));
    dialog.setWindowTitle(title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&source](QPrinter* p) { print(source, *p); });
    dialog.exec();
}

} // namespace corvanta::PageRenderer
