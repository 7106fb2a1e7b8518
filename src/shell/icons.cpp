#include "shell/icons.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace corvanta {

namespace {

// Every picture is drawn on a 16-unit grid with one line colour and a few
// flat fills, so the set looks like one family at any size.
const char* const Head = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16" )"
                         R"(fill="none" stroke="#394656" stroke-linejoin="round" )"
                         R"(stroke-linecap="round">)";
const char* const Tail = "</svg>";

// A page with a folded corner; `band` colours a strip across it.
QByteArray page(const char* band)
{
    QByteArray s = R"(<path d="M3.5 1.5h6l3 3v10h-9z" fill="#ffffff"/>)"
                   R"(<path d="M9.5 1.5v3h3" fill="#dde4ec"/>)";
    if (band)
        s += QByteArray(R"(<rect x="4" y="8.5" width="8" height="3.5" stroke="none" fill=")") +
             band + R"("/>)";
    return s;
}

QByteArray body(const QString& key)
{
    static const QHash<QString, QByteArray> bodies = {
        {QStringLiteral("New"),
         page(nullptr) +
             R"(<path d="M11.5 10.5v4M9.5 12.5h4" stroke="#3f9e4d" stroke-width="1.6"/>)"},
        {QStringLiteral("Open"),
         R"(<path d="M1.5 13.5v-10h4l1.5 1.5h5.5v2.5" fill="#e9a825" stroke="#8a6414"/>)"
         R"(<path d="M1.5 13.5l2.5-6h11l-2.5 6z" fill="#f7cf5f" stroke="#8a6414"/>)"},
        {QStringLiteral("Save"),
         R"(<path d="M1.5 1.5h11l2 2v11h-13z" fill="#2f74d0" stroke="#1d4f91"/>)"
         R"(<rect x="4" y="2" width="7" height="4.5" stroke="none" fill="#e9eef5"/>)"
         R"(<rect x="8.5" y="2.8" width="1.5" height="2.8" stroke="none" fill="#1d4f91"/>)"
         R"(<rect x="3.5" y="9.5" width="9" height="5" fill="#ffffff" stroke="#1d4f91"/>)"},
        {QStringLiteral("Cut"),
         R"(<path d="M6 9.8L11.2 1.5M10 9.8L4.8 1.5" stroke-width="1.4"/>)"
         R"(<circle cx="4.6" cy="12" r="2.2" stroke="#d64541" stroke-width="1.5"/>)"
         R"(<circle cx="11.4" cy="12" r="2.2" stroke="#d64541" stroke-width="1.5"/>)"},
        {QStringLiteral("Copy"), R"(<path d="M2.5 1.5h6v9h-6z" fill="#ffffff"/>)"
                                 R"(<path d="M6.5 5.5h7v9h-7z" fill="#ffffff"/>)"
                                 R"(<path d="M8.5 8h3M8.5 10h3M8.5 12h2" stroke="#8e9bab"/>)"},
        {QStringLiteral("Paste"),
         R"(<rect x="1.5" y="2.5" width="10" height="12" rx="1" fill="#c99a5b" stroke="#7a5a2a"/>)"
         R"(<rect x="4.5" y="1.5" width="4" height="2.5" rx="0.5" fill="#dde4ec"/>)"
         R"(<path d="M7.5 6.5h7v8h-7z" fill="#ffffff"/>)"
         R"(<path d="M9 9h4M9 11h4M9 13h2.5" stroke="#8e9bab"/>)"},
        {QStringLiteral("Find"),
         R"(<circle cx="6.5" cy="6.5" r="4.5" fill="#dbe9fa" stroke-width="1.5"/>)"
         R"(<path d="M10 10l4.5 4.5" stroke-width="2.2"/>)"},
        {QStringLiteral("Bold"),
         R"(<path d="M4.5 2.5v11M4.5 2.5h3.7a2.6 2.6 0 0 1 0 5.2H4.5M4.5 7.7h4.3a2.9 2.9 0 0 1 0 5.8H4.5")"
         R"( stroke="#1e2733" stroke-width="2.2"/>)"},
        {QStringLiteral("Italic"),
         R"(<path d="M7.5 2.5h5M3.5 13.5h5M10 2.5l-4 11" stroke="#1e2733" stroke-width="1.6"/>)"},
        {QStringLiteral("Underline"),
         R"(<path d="M4.5 1.5v6a3.5 3.5 0 0 0 7 0v-6" stroke="#1e2733" stroke-width="1.8"/>)"
         R"(<path d="M3 14.5h10" stroke="#1e2733" stroke-width="1.5"/>)"},
        {QStringLiteral("Acolor"),
         R"(<path d="M8 1.5a6.5 6.5 0 1 0 0 13c1.3 0 1.7-1 1.1-2s0-2.3 1.2-2.3h2)"
         R"(A2.2 2.2 0 0 0 14.5 8 6.5 6.5 0 0 0 8 1.5z" fill="#f3e3c3" stroke="#7a5a2a"/>)"
         R"(<circle cx="4.8" cy="7" r="1.3" stroke="none" fill="#d64541"/>)"
         R"(<circle cx="7.5" cy="4.5" r="1.3" stroke="none" fill="#2f74d0"/>)"
         R"(<circle cx="10.8" cy="5.5" r="1.3" stroke="none" fill="#3f9e4d"/>)"
         R"(<circle cx="5.5" cy="10.8" r="1.3" stroke="none" fill="#9c3fb0"/>)"},
        {QStringLiteral("Flood"),
         R"(<path d="M2 8l5.5-5.5 5.5 5.5-5.5 5.5z" fill="#ffffff"/>)"
         R"(<path d="M3 9h9l-4.5 4.5z" stroke="none" fill="#2f74d0"/>)"
         R"(<path d="M2 8l5.5-5.5 5.5 5.5-5.5 5.5z"/>)"
         R"(<path d="M13.5 9.5s1.5 2 1.5 3a1.5 1.5 0 0 1-3 0c0-1 1.5-3 1.5-3z")"
         R"( fill="#2f74d0" stroke="#1d4f91" stroke-width="0.8"/>)"},
        {QStringLiteral("RowMode"),
         R"(<rect x="1.5" y="2.5" width="13" height="11" fill="#ffffff"/>)"
         R"(<rect x="2" y="6.5" width="12" height="3" stroke="none" fill="#2f74d0"/>)"
         R"(<path d="M6 2.5v11M10 2.5v11M1.5 6.5h13M1.5 9.5h13" stroke="#8e9bab" stroke-width="0.8"/>)"
         R"(<rect x="1.5" y="2.5" width="13" height="11"/>)"},
        {QStringLiteral("BlockMode"),
         R"(<rect x="1.5" y="2.5" width="13" height="11" fill="#ffffff"/>)"
         R"(<rect x="6" y="6" width="8" height="7" stroke="none" fill="#2f74d0"/>)"
         R"(<path d="M6 2.5v11M10 2.5v11M1.5 6h13M1.5 9.5h13" stroke="#8e9bab" stroke-width="0.8"/>)"
         R"(<rect x="1.5" y="2.5" width="13" height="11"/>)"},
        {QStringLiteral("DragMode"),
         R"(<path d="M5.5 9V3.5a1 1 0 0 1 2 0V8V2.5a1 1 0 0 1 2 0V8V3.5a1 1 0 0 1 2 0V8.5V5.5)"
         R"(a1 1 0 0 1 2 0v4.5c0 2.6-2 4.5-4.5 4.5c-2 0-3-1-4.2-2.7L2.3 9.6a1 1 0 0 1 1.6-1.2z")"
         R"( fill="#fbdcbb" stroke="#7a4a2a"/>)"},
        {QStringLiteral("AlternateColor"),
         R"(<rect x="1.5" y="2.5" width="13" height="11" fill="#ffffff"/>)"
         R"(<path d="M2 5h12M2 10.5h12" stroke="#a6dba6" stroke-width="2.6" stroke-linecap="butt"/>)"
         R"(<rect x="1.5" y="2.5" width="13" height="11"/>)"},
        {QStringLiteral("map"),
         R"(<path d="M8 15s-5-5.2-5-9a5 5 0 0 1 10 0c0 3.8-5 9-5 9z" fill="#d64541" stroke="#8e2a27"/>)"
         R"(<circle cx="8" cy="6" r="1.8" stroke="none" fill="#ffffff"/>)"},
        {QStringLiteral("phone"),
         R"(<path d="M3.5 1.5h2.3l1.3 3.3-1.7 1.2a8 8 0 0 0 4.6 4.6l1.2-1.7 3.3 1.3v2.3)"
         R"(a1.5 1.5 0 0 1-1.5 1.5A11.5 11.5 0 0 1 2 3a1.5 1.5 0 0 1 1.5-1.5z")"
         R"( fill="#3f9e4d" stroke="#28652f"/>)"},
        {QStringLiteral("email"),
         R"(<rect x="1.5" y="3.5" width="13" height="9" rx="0.5" fill="#ffffff"/>)"
         R"(<path d="M1.5 3.5l6.5 5.5 6.5-5.5"/>)"},
        {QStringLiteral("website"),
         R"(<circle cx="8" cy="8" r="6.5" fill="#dbe9fa" stroke="#1d4f91"/>)"
         R"(<ellipse cx="8" cy="8" rx="2.8" ry="6.5" stroke="#1d4f91"/>)"
         R"(<path d="M1.5 8h13M2.7 4.7h10.6M2.7 11.3h10.6" stroke="#1d4f91"/>)"},
        {QStringLiteral("Up"),
         R"(<path d="M8 1.5l5.5 6.5H10v6.5H6V8H2.5z" fill="#2f74d0" stroke="#1d4f91"/>)"},
        {QStringLiteral("Down"),
         R"(<path d="M8 14.5l5.5-6.5H10V1.5H6V8H2.5z" fill="#2f74d0" stroke="#1d4f91"/>)"},
        {QStringLiteral("OPEN_CVT"), page("#2f74d0")},
        {QStringLiteral("OPEN_CSV"), page("#3f9e4d")},
        {QStringLiteral("OPEN_TXT"), page("#8e9bab")},
    };
    return bodies.value(key);
}

// The swatches as the program stores them, 0x00BBGGRR.
constexpr quint32 Swatches[Icons::FontColorCount] = {
    0x000000, 0x0000FF, 0x000080, 0x008000, 0x800000, 0x800080, 0xFF00FF, 0xFF0000,
};

} // namespace

const QList<int>& Icons::sizes()
{
    static const QList<int> all = {16, 24, 32, 48};
    return all;
}

QIcon Icons::fromSvg(const QByteArray& svg)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return QIcon();
    QIcon icon;
    for (int size : sizes()) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QColor Icons::fontColorValue(int index)
{
    if (index < 0 || index >= FontColorCount)
        return QColor();
    const quint32 bgr = Swatches[index];
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QIcon Icons::fontColor(int index)
{
    const QColor colour = fontColorValue(index);
    if (!colour.isValid())
        return QIcon();
    const QByteArray svg =
        QByteArray(Head) +
        R"(<path d="M3.5 11L8 1.5l4.5 9.5M5.2 7.5h5.6" stroke="#1e2733" stroke-width="1.8"/>)" +
        R"(<rect x="1.5" y="12.5" width="13" height="3" stroke="#8e9bab" stroke-width="0.6" fill=")" +
        colour.name().toLatin1() + R"("/>)" + Tail;
    return fromSvg(svg);
}

QIcon Icons::forKey(const QString& key)
{
    if (key == QLatin1String("A"))
        return fontColor(0);
    const QByteArray b = body(key);
    if (b.isEmpty())
        return QIcon();
    return fromSvg(QByteArray(Head) + b + Tail);
}

} // namespace corvanta
