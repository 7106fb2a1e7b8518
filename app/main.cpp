// The start routine: settings check, main window, tip of the day.
#include "platform/platform.h"
#include "shell/helpcommands.h"
#include "shell/mainwindow.h"
#include "shell/settingsstore.h"
#include "shell/startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>

using namespace corvanta;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvanta Address Book"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));

    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("corvanta"), QIcon(QStringLiteral(":/corvanta.svg"))));
    QApplication::setDesktopFileName(QStringLiteral("corvanta"));

    const QString appDir = QDir::cleanPath(QCoreApplication::applicationDirPath());
    const QString programFolder = Startup::programFolder(
        appDir, QDir::cleanPath(appDir + QStringLiteral("/" CORVANTA_INSTALLED_DATA)),
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
    QDir().mkpath(QFileInfo(SettingsStore::defaultPath()).absolutePath());
    SettingsStore settings(SettingsStore::defaultPath());
    Startup::recordProgramFolder(settings, programFolder);

    QtPlatform platform;
    const QString named =
        Startup::fileArgument(QCoreApplication::arguments().mid(1), QDir::currentPath());
    MainWindow window(ShellContext{.platform = &platform,
                                   .settings = &settings,
                                   .programFolder = programFolder,
                                   .fileToOpen = named});
    window.setStatusPanel(1, QStringLiteral("Corvanta Address Book 1.0"));
    window.show();
    if (Startup::readShowTips(settings))
        window.help().mnuTip_Click();
    return app.exec();
}
