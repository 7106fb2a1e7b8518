#pragma once

#include <QString>

namespace corvanta {

// The system clipboard as plain text. Writing reports whether the text
// really got there, so that a Cut never empties cells whose text the
// clipboard did not take. Tests put a clipboard of their own in its place.
class SystemClipboard
{
  public:
    virtual ~SystemClipboard();
    virtual void clear();
    // True when the clipboard now holds `text`.
    virtual bool put(const QString& text);
    virtual QString text() const;
};

} // namespace corvanta
