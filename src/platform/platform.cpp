#include "platform/platform.h"

#include <QStringList>

namespace corvanta {

Platform::~Platform() = default;

QString qtFilterFromCommon(const QString& filter)
{
    // The common dialog's filter alternates description and pattern:
    // "Text (*.x)|*.x|All Files (*.*)|*.*". Qt only wants the descriptions,
    // which already carry the patterns in brackets; where a description has
    // none, the pattern is appended so the filter still works.
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!desc.contains(QLatin1Char('(')))
            desc += QStringLiteral(" (") + pattern + QLatin1Char(')');
        else if (!desc.contains(pattern))
            desc = desc.left(desc.indexOf(QLatin1Char('('))) + QLatin1Char('(') + pattern +
                   QLatin1Char(')');
        out << desc;
    }
    if (parts.size() % 2 == 1 && !parts.last().isEmpty())
        out << parts.last();
    return out.join(QStringLiteral(";;"));
}

QString defaultSuffixOf(const CommonDialog& dlg, bool save)
{
    // A name typed without an extension gets the one of the format being
    // saved, not whatever an earlier open dialog left behind: "book" saved
    // as a native file must not become "book.csv".
    QString ext = dlg.DefaultExt;
    if (save) {
        const QStringList parts = dlg.Filter.split(QLatin1Char('|'));
        ext = parts.size() > 1 ? parts[1].section(QLatin1Char(';'), 0, 0) : QString();
    }
    // Commands write the extension as a pattern, "*.cvt"; the dialog wants "cvt".
    while (ext.startsWith(QLatin1Char('*')) || ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    return ext.contains(QLatin1Char('*')) ? QString() : ext;
}

} // namespace corvanta
