#include "editing/systemclipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace corvanta {

SystemClipboard::~SystemClipboard() = default;

void SystemClipboard::clear()
{
    if (QClipboard* cb = QGuiApplication::clipboard())
        cb->clear();
}

bool SystemClipboard::put(const QString& text)
{
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb)
        return false;
    cb->setText(text);
    // Another program may hold the clipboard open: only what reads back
    // is there.
    return cb->text() == text;
}

QString SystemClipboard::text() const
{
    const QClipboard* cb = QGuiApplication::clipboard();
    return cb ? cb->text() : QString();
}

} // namespace corvanta
