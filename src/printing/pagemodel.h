#pragma once

#include "grid/table.h"

#include <QList>
#include <QLocale>
#include <QString>

#include <optional>
#include <vector>

namespace corvanta {

// A font of a printed page; the renderer maps the family to what the system
// has.
struct PageFont
{
    QString family;
    double points = 10;
    bool bold = false;
    bool operator==(const PageFont&) const = default;
};

// A sheet of paper, upright, in twips.
struct PaperSize
{
    QString name = QStringLiteral("Letter");
    int width = 12240; // US Letter, 8.5 x 11 inches
    int height = 15840;
    bool operator==(const PaperSize&) const = default;

    static PaperSize letter();
    static PaperSize a4();
    // "a4" or "letter", in any case; nothing for another name.
    static std::optional<PaperSize> named(const QString& name);
    // Letter where the locale measures in inches (the US), A4 elsewhere.
    static PaperSize forLocale(const QLocale& locale);
};

// One thing drawn on a page. Positions and sizes are in twips from the
// paper's top-left corner, so a page can be checked without a printer.
struct PageItem
{
    enum Kind : uint8_t {
        Text, // one line in the rectangle, vertically centred; a text wider
              // than the rectangle is cut with an ellipsis, as on screen
        Line, // from (x, y) to (x + w, y + h)
        Box,  // a check box filling the rectangle, ticked or not
    };
    Kind kind = Text;
    int x = 0, y = 0, w = 0, h = 0;
    int font = 0;          // Text: index into Page::fonts
    int align = AlignLeft; // Text: AlignLeft, AlignCenter or AlignRight
    bool checked = false;  // Box
    QString text;          // Text
};

// One printed page: the paper size (already turned for landscape), its
// fonts and what is drawn on it.
struct Page
{
    int width = PaperSize().width;
    int height = PaperSize().height;
    QList<PageFont> fonts;
    std::vector<PageItem> items;

    int addFont(const PageFont& font);
    void addText(int x, int y, int w, int h, const QString& text, int font, int align = AlignLeft);
    void addLine(int x1, int y1, int x2, int y2);
    void addBox(int x, int y, int w, int h, bool checked);
    // Moves everything on the page by (dx, dy) twips.
    void shift(int dx, int dy);
};

// The fewest bytes a page adds to a PDF: its page object, its content
// stream and its place in the cross-reference table.
inline constexpr qint64 kMinPdfPageBytes = 160;

// Pages made one at a time, so that printing holds one page, not the whole
// document. Every page is computed from its index alone.
class PageSource
{
  public:
    virtual ~PageSource();
    virtual int pageCount() const = 0;
    virtual Page page(int index) const = 0;
    virtual bool landscape() const { return false; }
    // The paper the pages are laid out on, upright.
    virtual PaperSize paper() const = 0;
    // Lays the pages out again on the paper the printer holds. A source whose
    // paper is part of what it prints (a label sheet) keeps its own.
    virtual void setPaper(const PaperSize& paper) = 0;
    // A lower bound of the bytes a PDF of these pages takes, for refusing a
    // file that cannot fit before a byte is written. Cheap: no page is made.
    virtual qint64 minimumPdfBytes() const;
};

// Twips from millimetres, rounded once.
int twipsFromMm(double mm);

} // namespace corvanta
