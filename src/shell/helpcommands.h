#pragma once

#include "shell/tipsdialog.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace corvanta {

class CommandSet;
class Platform;
class SettingsStore;

// The Help menu: the tip of the day, the user guide and the web site
// opened through the platform, and the About box.
class HelpCommands : public QObject
{
    Q_OBJECT
  public:
    // Dialogs open over `window`.
    HelpCommands(QWidget* window, Platform& platform, SettingsStore& settings,
                 const QString& programFolder, QObject* parent = nullptr);

    // The start-up switch of the tip of the day: the tip window's Close
    // writes it, and the window saves it at exit.
    bool showTips() const { return m_showTips; }
    void setShowTips(bool on) { m_showTips = on; }

    void install(CommandSet& commands);

    // Opens the tip window, or brings the open one to the front.
    void mnuTip_Click();
    void mnuHelpGuide_Click();
    void mnuWeb_Click();
    void mnuAbout_Click();

    TipsDialog* tipsDialog() const { return m_tips; }

  private:
    void open(const QString& address);

    QWidget* m_window;
    Platform& m_platform;
    SettingsStore& m_settings;
    QString m_programFolder;
    bool m_showTips = true;
    QPointer<TipsDialog> m_tips;
};

} // namespace corvanta
