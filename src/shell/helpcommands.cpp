#include "shell/helpcommands.h"

#include "commands/commandset.h"
#include "platform/platform.h"
#include "shell/aboutdialog.h"
#include "shell/appsettings.h"
#include "shell/tipsdialog.h"

#include <QFileInfo>
#include <QUrl>

namespace corvanta {

HelpCommands::HelpCommands(QWidget* window, Platform& platform, SettingsStore& settings,
                           const QString& programFolder, bool& showTips, QObject* parent)
    : QObject(parent), m_window(window), m_platform(platform), m_settings(settings),
      m_programFolder(programFolder), m_showTips(showTips)
{
}

void HelpCommands::install(CommandSet& c)
{
    c.attach(QStringLiteral("mnuTip"), this, [this] { mnuTip_Click(); });
    c.attach(QStringLiteral("mnuHelpGuide"), this, [this] { mnuHelpGuide_Click(); });
    c.attach(QStringLiteral("mnuWeb"), this, [this] { mnuWeb_Click(); });
    c.attach(QStringLiteral("mnuAbout"), this, [this] { mnuAbout_Click(); });
}

void HelpCommands::mnuTip_Click()
{
    if (m_tips) {
        m_tips->raise();
        m_tips->activateWindow();
        return;
    }
    m_tips = new TipsDialog(m_programFolder, m_showTips, m_platform, m_window);
    connect(m_tips, &TipsDialog::showTipsChosen, this, [this](bool on) { m_showTips = on; });
    m_tips->show();
}

void HelpCommands::mnuHelpGuide_Click()
{
    open(AppSettings(m_settings).guideUrl(m_programFolder));
}

void HelpCommands::mnuWeb_Click()
{
    open(AppSettings(m_settings).webUrl(m_programFolder));
}

void HelpCommands::open(const QString& address)
{
    const QUrl url = QUrl::fromUserInput(address);
    // The desktop hands a missing file to a browser without complaint, so
    // a guide that is not there must be caught here.
    const bool missing = url.isLocalFile() && !QFileInfo::exists(url.toLocalFile());
    if (url.isValid() && !missing && m_platform.openUrl(url))
        return;
    m_platform.messageBox(QStringLiteral("Cannot open ") + address + QLatin1Char('.'), QString(),
                          MsgIcon::Exclamation, MsgButtons::Ok);
}

void HelpCommands::mnuAbout_Click()
{
    auto* about = new AboutDialog(m_window);
    about->open();
}

} // namespace corvanta
