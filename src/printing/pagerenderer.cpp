#include "printing/pagerenderer.h"

#include "files/safefile.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRawFont>

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

// One font of a page, ready to draw lines of text in rectangles. Most
// printed values are Latin text that the font covers: their glyphs and
// advances (kerning included) come straight from the font, and all of them
// are drawn at the end of the page as one run, which costs a fraction of
// laying out each text on its own. Anything else (other scripts, combining
// marks, a character the font lacks and another font must supply) goes
// through the painter's full text layout at once.
class TextFont
{
  public:
    explicit TextFont(const QFont& font)
        : m_font(font), m_raw(QRawFont::fromFont(font)), m_metrics(font)
    {
        const QList<quint32> dots = m_raw.glyphIndexesForString(QString(QChar(0x2026)));
        if (m_raw.isValid() && dots.size() == 1 && dots[0] != 0) {
            m_ellipsis = dots[0];
            m_ellipsisAdvance = m_raw.advancesForGlyphIndexes(dots).value(0).x();
        }
    }

    // Draws a text item: vertically centred in its rectangle, aligned by
    // its `align`, cut with an ellipsis when wider than the rectangle.
    void draw(QPainter& painter, const PageItem& item)
    {
        if (add(item))
            return;
        painter.setFont(m_font);
        int flags = Qt::AlignVCenter | Qt::TextSingleLine;
        flags |= item.align == AlignCenter ? Qt::AlignHCenter
                                           : (item.align == AlignRight ? Qt::AlignRight
                                                                       : Qt::AlignLeft);
        const QFontMetricsF metrics(m_font, painter.device());
        const QString text = metrics.horizontalAdvance(item.text) <= item.w
                                 ? item.text
                                 : metrics.elidedText(item.text, Qt::ElideRight, item.w);
        painter.drawText(QRect(item.x, item.y, item.w, item.h), flags, text);
    }

    // Draws the texts gathered on this page.
    void flush(QPainter& painter)
    {
        if (m_glyphs.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(m_raw);
        run.setGlyphIndexes(m_glyphs);
        run.setPositions(m_positions);
        painter.drawGlyphRun(QPointF(0, 0), run);
        m_glyphs.clear();
        m_positions.clear();
    }

  private:
    static bool simple(const QString& text)
    {
        // Latin letters, digits and punctuation, no combining marks.
        return std::all_of(text.begin(), text.end(),
                           [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x0300; });
    }

    // Gathers the item's glyphs at their places on the page; false when it
    // needs the full text layout.
    bool add(const PageItem& item)
    {
        if (!m_ellipsis || !simple(item.text))
            return false;
        QList<quint32> glyphs = m_raw.glyphIndexesForString(item.text);
        if (glyphs.size() != item.text.size() ||
            std::find(glyphs.begin(), glyphs.end(), 0u) != glyphs.end())
            return false;
        const QList<QPointF> advances =
            m_raw.advancesForGlyphIndexes(glyphs, QRawFont::KernedAdvances);
        qsizetype keep = glyphs.size();
        double width = 0;
        for (const QPointF& a : advances)
            width += a.x();
        if (width > item.w) {
            // As many glyphs as fit with the ellipsis after them.
            width = 0;
            keep = 0;
            while (keep < glyphs.size() && width + advances[keep].x() + m_ellipsisAdvance <= item.w)
                width += advances[keep++].x();
            width += m_ellipsisAdvance;
        }
        double x = item.x;
        if (item.align == AlignCenter)
            x += (item.w - width) / 2;
        else if (item.align == AlignRight)
            x += item.w - width;
        const double y = item.y + (item.h - (m_metrics.ascent() + m_metrics.descent())) / 2 +
                         m_metrics.ascent();
        for (qsizetype i = 0; i < keep; ++i) {
            m_glyphs.append(glyphs[i]);
            m_positions.append(QPointF(x, y));
            x += advances[i].x();
        }
        if (keep < glyphs.size()) {
            m_glyphs.append(m_ellipsis);
            m_positions.append(QPointF(x, y));
        }
        return true;
    }

    QFont m_font;
    QRawFont m_raw;
    QFontMetricsF m_metrics;
    quint32 m_ellipsis = 0;
    double m_ellipsisAdvance = 0;
    QList<quint32> m_glyphs;
    QList<QPointF> m_positions;
};

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

    std::vector<TextFont> fonts;
    fonts.reserve(size_t(page.fonts.size()));
    for (const PageFont& f : page.fonts)
        fonts.emplace_back(fontOf(f));
    const QPen rule(Qt::black, kRuleTwips);
    painter.setPen(Qt::black);
    for (const PageItem& item : page.items) {
        switch (item.kind) {
        case PageItem::Text:
            // A value that does not fit is cut with an ellipsis, as the table
            // shows it, so that a cut phone number never looks whole.
            if (item.font >= 0 && item.font < int(fonts.size())) {
                painter.setPen(Qt::black);
                fonts[size_t(item.font)].draw(painter, item);
            }
            break;
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
    painter.setPen(Qt::black);
    for (TextFont& font : fonts)
        font.flush(painter);
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

FileStatus writePdfFile(const PageSource& source, const QString& path, const QString& title)
{
    QString why;
    if (!AtomicFile::fitsFreeSpace(path, source.minimumPdfBytes(), &why))
        return FileStatus::fail(FileStatus::Io, why);
    AtomicFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return FileStatus::fail(FileStatus::Io, file.errorString());
    if (!writePdf(source, file, title)) {
        const QString why = file.failed() ? file.errorString() : QStringLiteral("cannot write the PDF");
        return FileStatus::fail(FileStatus::Io, why);
    }
    if (!file.commit())
        return FileStatus::fail(FileStatus::Io, file.errorString());
    return {};
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
                         const FileStatus written =
                             writePdfFile(source, p->outputFileName(), p->docName());
                         if (!written && failed)
                             failed(written);
                     });
    dialog.exec();
}

} // namespace corvanta::PageRenderer
