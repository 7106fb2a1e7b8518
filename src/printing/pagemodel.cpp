#include "printing/pagemodel.h"

#include <cmath>

namespace corvanta {

PageSource::~PageSource() = default;

qint64 PageSource::minimumPdfBytes() const
{
    return qint64(pageCount()) * kMinPdfPageBytes;
}

PaperSize PaperSize::letter()
{
    return {};
}

PaperSize PaperSize::a4()
{
    // 210 x 297 mm.
    return {QStringLiteral("A4"), 11906, 16838};
}

std::optional<PaperSize> PaperSize::named(const QString& name)
{
    if (name.compare(u"letter", Qt::CaseInsensitive) == 0)
        return letter();
    if (name.compare(u"a4", Qt::CaseInsensitive) == 0)
        return a4();
    return std::nullopt;
}

PaperSize PaperSize::forLocale(const QLocale& locale)
{
    return locale.measurementSystem() == QLocale::ImperialUSSystem ? letter() : a4();
}

int Page::addFont(const PageFont& font)
{
    const qsizetype at = fonts.indexOf(font);
    if (at >= 0)
        return int(at);
    fonts.append(font);
    return int(fonts.size() - 1);
}

void Page::addText(int x, int y, int w, int h, const QString& text, int font, int align)
{
    PageItem item;
    item.kind = PageItem::Text;
    item.x = x;
    item.y = y;
    item.w = w;
    item.h = h;
    item.font = font;
    item.align = align;
    item.text = text;
    items.push_back(std::move(item));
}

void Page::addLine(int x1, int y1, int x2, int y2)
{
    PageItem item;
    item.kind = PageItem::Line;
    item.x = x1;
    item.y = y1;
    item.w = x2 - x1;
    item.h = y2 - y1;
    items.push_back(std::move(item));
}

void Page::addBox(int x, int y, int w, int h, bool checked)
{
    PageItem item;
    item.kind = PageItem::Box;
    item.x = x;
    item.y = y;
    item.w = w;
    item.h = h;
    item.checked = checked;
    items.push_back(std::move(item));
}

void Page::shift(int dx, int dy)
{
    for (PageItem& item : items) {
        item.x += dx;
        item.y += dy;
    }
}

int twipsFromMm(double mm)
{
    return int(std::lround(mm * 1440.0 / 25.4));
}

} // namespace corvanta
