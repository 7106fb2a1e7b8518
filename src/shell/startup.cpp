#include "shell/startup.h"

#include "shell/appsettings.h"
#include "shell/settingsstore.h"

namespace corvanta::Startup {

void recordProgramFolder(SettingsStore& settings, const QString& programFolder)
{
    if (settings.read(AppSettings::ProgramFolderKey).isEmpty())
        settings.write(AppSettings::ProgramFolderKey, programFolder);
}

bool readShowTips(const SettingsStore& settings)
{
    const QString t = settings.read(AppSettings::ShowTipsKey);
    return t.isEmpty() ? true : SettingsStore::toBool(t);
}

} // namespace corvanta::Startup
