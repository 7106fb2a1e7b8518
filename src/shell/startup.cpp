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

namespace {

bool sameContent(const QString& a, const QString& b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    return fa.readAll() == fb.readAll();
}

} // namespace

QString programFolder(const QString& appDir, const QString& shared, const QString& userDataDir)
{
    if (QFileInfo::exists(appDir + QStringLiteral("/tips.vti")) ||
        !QFileInfo::exists(shared + QStringLiteral("/tips.vti")))
        return appDir;
    if (!QDir().mkpath(userDataDir))
        return appDir;
    // The sample is the user's to change once copied; the tips and the
    // guide are only read, so they follow the installed package (a newer
    // version brings newer ones).
    const struct
    {
        QString name;
        bool refresh;
    } shipped[] = {{QStringLiteral("Sample_AB.cvt"), false},
                   {QStringLiteral("tips.vti"), true},
                   {QStringLiteral("guide.html"), true}};
    for (const auto& file : shipped) {
        const QString source = shared + QLatin1Char('/') + file.name;
        const QString target = userDataDir + QLatin1Char('/') + file.name;
        if (!QFileInfo::exists(source))
            continue;
        if (QFileInfo::exists(target)) {
            if (!file.refresh || sameContent(source, target))
                continue;
            QFile::remove(target);
        }
        if (QFile::copy(source, target))
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
