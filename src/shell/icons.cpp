#include "shell/icons.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// Q_INIT_RESOURCE names a function at global scope.
static void registerIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace corvanta {

namespace {

// The swatches as the palette stores them, 0x00BBGGRR.
constexpr quint32 Swatches[Icons::FontColorCount] = {
    0x000000, 0x0000FF, 0x000080, 0x008000, 0x800000, 0x800080, 0xFF00FF, 0xFF0000,
};

// The font colour picture is one file whose bar carries this fill; each
// swatch gets its own copy with the colour put in.
const QByteArray SwatchFill = QByteArrayLiteral(R"(fill="#000000")");

QByteArray readSvg(const QString& name)
{
    // The pictures live in the UI library, a static library: its resources
    // are only registered when asked for by name.
    static const bool registered = [] {
        registerIconResources();
        return true;
    }();
    Q_UNUSED(registered);
    QFile f(QStringLiteral(":/icons/") + name + QStringLiteral(".svg"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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
    QByteArray svg = readSvg(QStringLiteral("fontcolor"));
    svg.replace(SwatchFill, "fill=\"" + colour.name().toLatin1() + '"');
    return fromSvg(svg);
}

QIcon Icons::forKey(const QString& key)
{
    if (key == QLatin1String("A"))
        return fontColor(0);
    // Keys come from the toolbar tree; anything else has no picture.
    if (key.isEmpty() || key == QLatin1String("fontcolor") || !key.front().isLetter())
        return QIcon();
    const QByteArray svg = readSvg(key);
    if (svg.isEmpty())
        return QIcon();
    return fromSvg(svg);
}

} // namespace corvanta
