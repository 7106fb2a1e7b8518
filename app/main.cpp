// The start routine: settings check, main window, tip of the day.
#include "platform/platform.h"
#include "shell/helpcommands.h"
#include "shell/mainwindow.h"
#include "shell/settingsstore.h"
#include "shell/startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

using namespace corvanta;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvanta Address Book"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));

    const QString programFolder = QDir::cleanPath(QCoreApplication::applicationDirPath());
    QDir().mkpath(QFileInfo(SettingsStore::defaultPath()).absolutePath());
    SettingsStore settings(SettingsStore::defaultPath());
    Startup::recordProgramFolder(settings, programFolder);

    QtPlatform platform;
    MainWindow window(ShellContext{
        .platform = &platform, .settings = &settings, .programFolder = programFolder});
    window.setStatusPanel(1, QStringLiteral("Corvanta Address Book 1.0"));
    window.show();
    if (Startup::readShowTips(settings))
        window.help().mnuTip_Click();
    return app.exec();
}
