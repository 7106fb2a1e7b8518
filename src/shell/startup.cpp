#include "shell/startup.h"

#include "shell/settingsstore.h"

namespace corvanta::Startup {

void recordProgramFolder(SettingsStore& settings, const QString& programFolder)
{
    if (settings.read(QStringLiteral("INI")).isEmpty())
        settings.write(QStringLiteral("INI"), programFolder);
}

bool readShowTips(const SettingsStore& settings)
{
    const QString t = settings.read(QStringLiteral("ShowTips"));
    return t.isEmpty() ? true : SettingsStore::toBool(t);
}

} // namespace corvanta::Startup
