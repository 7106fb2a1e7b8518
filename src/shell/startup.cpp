#include "shell/startup.h"

#include "shell/appsettings.h"
#include "shell/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

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

QString programFolder(const QString& appDir, const QString& shared, const QString& userDataDir)
{
    const QStringList shipped = {QStringLiteral("Sample_AB.cvt"), QStringLiteral("tips.vti")};
    if (QFileInfo::exists(appDir + QStringLiteral("/tips.vti")) ||
        !QFileInfo::exists(shared + QStringLiteral("/tips.vti")))
        return appDir;
    if (!QDir().mkpath(userDataDir))
        return appDir;
    for (const QString& name : shipped) {
        const QString target = userDataDir + QLatin1Char('/') + name;
        if (!QFileInfo::exists(target) && QFile::copy(shared + QLatin1Char('/') + name, target))
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                              QFile::ReadOther);
    }
    return QDir::cleanPath(userDataDir);
}

QString fileArgument(const QStringList& args, const QString& workingDir)
{
    for (const QString& a : args) {
        if (a.isEmpty() || a.startsWith(u'-'))
            continue;
        // A file manager may hand over a URL rather than a path.
        const QUrl url(a);
        const QString path = url.isLocalFile() ? url.toLocalFile() : a;
        return QDir::cleanPath(QDir(workingDir).absoluteFilePath(path));
    }
    return {};
}

} // namespace corvanta::Startup
