// The start routine: settings check, main window, tip of the day.
#include "platform/platform.h"
#include "shell/helpcommands.h"
#include "shell/mainwindow.h"
#include "shell/settingsstore.h"
#include "shell/startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>

using namespace corvanta;

namespace {

// Whether the command line only asks for the help or the version text,
// which must print in a terminal that has no display.
bool onlyAsksForText(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--")
            break;
        if (a == "-h" || a == "--help" || a == "-?" || a == "--help-all" || a == "-v" ||
            a == "--version")
            return true;
    }
    return false;
}

// The file named on the command line, made absolute; "" when none. Exits
// after printing the help or the version, or on an unknown option.
QString parseCommandLine(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A desktop address book: your contacts in a table, one record a row, "
                       "with a form for the current record."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("The address book to open instead of the last one: a native .cvt file, "
                       "comma-delimited .csv or TAB-delimited .txt text, or vCard .vcf "
                       "contacts."),
        QStringLiteral("[file]"));
    parser.process(app);
    return Startup::fileArgument(parser.positionalArguments(), QDir::currentPath());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("Corvanta Address Book"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANTA_VERSION));
    if (onlyAsksForText(argc, argv)) {
        QCoreApplication text(argc, argv);
        parseCommandLine(text);
    }
    QApplication app(argc, argv);
    const QString named = parseCommandLine(app);

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
