#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace corvanta {

// The pictures of the main window's toolbars, drawn from small vector
// sources at every size a screen may ask for, so they stay sharp on HiDPI.
class Icons
{
  public:
    static constexpr int FontColorCount = 8;

    // The picture of a toolbar key ("New", "Open", ..., "website", the Open
    // drop-down keys "OPEN_CVT", "OPEN_CSV", "OPEN_TXT", and Toolbar2's "Up"
    // and "Down"). "A" shows the first font colour. Null for unknown keys.
    static QIcon forKey(const QString& key);

    // The "A" button for swatch `index` (0..7) of the font colour palette;
    // null outside that range.
    static QIcon fontColor(int index);

    // The colour of swatch `index`, as the palette's 0x00BBGGRR value
    // becomes on screen; invalid outside 0..7.
    static QColor fontColorValue(int index);

    // The sizes each icon carries, in device pixels.
    static const QList<int>& sizes();

  private:
    static QIcon fromSvg(const QByteArray& svg);
};

} // namespace corvanta
