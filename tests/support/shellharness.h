#pragma once

#include "fakeplatform.h"
#include "grid/gridwidget.h"
#include "shell/mainwindow.h"
#include "shell/settingsstore.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

namespace corvanta {

// One isolated world for a GUI test: a temporary program folder, its own
// settings file and the scripted platform. The main window is made on
// demand, after the test has put settings and files in place; from then on
// a model tester watches every grid's model.
struct ShellHarness
{
    QTemporaryDir dir;
    QString programFolder;
    QString settingsPath;
    FakePlatform platform;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<MainWindow> window;

    ShellHarness()
    {
        QStandardPaths::setTestModeEnabled(true);
        programFolder = dir.filePath(QStringLiteral("program"));
        QDir().mkpath(programFolder);
        settingsPath = dir.filePath(QStringLiteral("settings/AddressBook.ini"));
        settings = std::make_unique<SettingsStore>(settingsPath);
    }

    MainWindow& start()
    {
        window = std::make_unique<MainWindow>(ShellContext{&platform, settings.get(), programFolder,
                                                           recoveryFolder(), recoveryIntervalMs});
        for (GridWidget* grid : {window->fa(), window->fb(), window->fc()}) {
            // Parented to the model, so it goes with the window.
            new QAbstractItemModelTester(grid->model(),
                                         QAbstractItemModelTester::FailureReportingMode::QtTest,
                                         grid->model());
        }
        return *window;
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    QString recoveryFolder() const { return dir.filePath(QStringLiteral("recovery")); }
    int recoveryIntervalMs = 2 * 60 * 1000;
    QString inProgram(const QString& name) const { return programFolder + QLatin1Char('/') + name; }
};

} // namespace corvanta
