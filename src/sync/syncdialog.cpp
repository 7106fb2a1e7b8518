#include "sync/syncdialog.h"

#include "commands/commandset.h"
#include "platform/valuestore.h"
#include "sync/syncsession.h"
#include "table/edithistory.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <qt6keychain/keychain.h>

namespace corvanta {

namespace {
const QString kUrlKey = QStringLiteral("SyncUrl");
const QString kUserKey = QStringLiteral("SyncUser");
const QString kService = QStringLiteral("Corvanta Address Book");

QString secretKey(const QString& user, const QString& url)
{
    return user + u'@' + url;
}
} // namespace

SyncDialog::SyncDialog(EditHistory& history, const ColumnRoles& roles, ValueStore& settings,
                       QWidget* parent)
    : QDialog(parent), m_history(history), m_roles(roles), m_settings(settings)
{
    setObjectName(QStringLiteral("frmSync"));
    setWindowTitle(QStringLiteral("Sync with Address Book Server"));
    m_url = new QLineEdit(settings.read(kUrlKey), this);
    m_url->setObjectName(QStringLiteral("txtUrl"));
    m_url->setPlaceholderText(QStringLiteral("https://cloud.example.org/remote.php/dav/"));
    m_user = new QLineEdit(settings.read(kUserKey), this);
    m_user->setObjectName(QStringLiteral("txtUser"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("txtPassword"));
    m_password->setEchoMode(QLineEdit::Password);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("prgSync"));
    m_progress->setVisible(false);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setWordWrap(true);
    m_sync = new QPushButton(QStringLiteral("&Sync"), this);
    m_sync->setObjectName(QStringLiteral("cmdSync"));
    m_sync->setDefault(true);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("cmdCancel"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Address book &URL:"), m_url);
    form->addRow(QStringLiteral("User &name:"), m_user);
    form->addRow(QStringLiteral("&Password:"), m_password);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_sync, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_close, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    setMinimumWidth(460);

    connect(m_sync, &QPushButton::clicked, this, &SyncDialog::sync);
    // Close while a sync runs is Cancel: it stops the sync, and what was
    // done stays done.
    connect(m_close, &QPushButton::clicked, this, &SyncDialog::reject);
    askSecretStore();
}

void SyncDialog::askSecretStore()
{
    if (m_url->text().isEmpty() || m_user->text().isEmpty())
        return;
    auto* job = new QKeychain::ReadPasswordJob(kService, this);
    job->setKey(secretKey(m_user->text(), m_url->text()));
    job->setInsecureFallback(false); // never the settings file
    connect(job, &QKeychain::Job::finished, this, [this, job] {
        if (job->error() == QKeychain::NoError && m_password->text().isEmpty())
            m_password->setText(job->textData());
    });
    job->start();
}

void SyncDialog::reject()
{
    if (m_session)
        m_session->cancel();
    else
        QDialog::reject();
}

bool SyncDialog::sync()
{
    if (m_session)
        return false;
    const QUrl url = QUrl::fromUserInput(m_url->text().trimmed());
    if (!url.isValid() || url.host().isEmpty()) {
        m_status->setText(QStringLiteral("Type the address of the address book, for example "
                                         "https://cloud.example.org/remote.php/dav/."));
        return false;
    }
    m_settings.write(kUrlKey, m_url->text().trimmed());
    m_settings.write(kUserKey, m_user->text());
    Sync::Session session(&m_history.model(), &m_history, m_roles);
    m_session = &session;
    // A quick sync shows no bar that flashes up and goes.
    QElapsedTimer started;
    started.start();
    connect(&session, &Sync::Session::progress, this, [this, &started](int done, int total) {
        if (started.elapsed() >= 1000)
            m_progress->setVisible(true);
        m_progress->setMaximum(total);
        m_progress->setValue(done);
    });
    m_sync->setEnabled(false);
    m_close->setText(QStringLiteral("Cancel"));
    m_status->setText(QStringLiteral("Syncing..."));
    const Sync::Session::Result r =
        session.run({url, m_user->text(), m_password->text(), m_trusted, true});
    m_session = nullptr;
    m_sync->setEnabled(true);
    m_close->setText(QStringLiteral("Close"));
    m_progress->setVisible(false);
    m_status->setText(r.message);
    if (r.ok) {
        auto* job = new QKeychain::WritePasswordJob(kService, this);
        job->setKey(secretKey(m_user->text(), m_url->text().trimmed()));
        job->setInsecureFallback(false);
        job->setTextData(m_password->text());
        job->start();
    }
    return r.ok;
}

SyncCommands::SyncCommands(EditHistory& history, std::function<ColumnRoles()> roles,
                           ValueStore& settings, QWidget* window)
    : QObject(window), m_history(history), m_roles(std::move(roles)), m_settings(settings),
      m_window(window)
{
}

void SyncCommands::install(CommandSet& c)
{
    c.attach(QStringLiteral("mnuSync"), this, [this] {
        SyncDialog dialog(m_history, m_roles(), m_settings, m_window);
        dialog.exec();
        emit synced();
    });
}

} // namespace corvanta
