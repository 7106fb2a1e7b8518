#pragma once

#include "table/columnroles.h"

#include <QDialog>
#include <QSslCertificate>

#include <functional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace corvanta {

class CommandSet;
class EditHistory;
class ValueStore;

namespace Sync {
class Session;
}

// File > Sync with Address Book Server...: the address book's URL, the
// user name and the password, and Sync. The URL and the name are kept in
// the settings, the password only in the desktop's secret store.
class SyncDialog : public QDialog
{
    Q_OBJECT
  public:
    SyncDialog(EditHistory& history, const ColumnRoles& roles, ValueStore& settings,
               QWidget* parent = nullptr);

    // Runs a sync with what the fields hold; the status line says how it went.
    bool sync();
    // Escape or the window's close button while a sync runs cancel it.
    void reject() override;
    // Certificates to trust instead of the system's.
    void setTrusted(const QList<QSslCertificate>& certificates) { m_trusted = certificates; }

  private:
    void askSecretStore();

    EditHistory& m_history;
    ColumnRoles m_roles;
    ValueStore& m_settings;
    QLineEdit* m_url;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QPushButton* m_sync;
    QPushButton* m_close;
    QProgressBar* m_progress;
    QLabel* m_status;
    Sync::Session* m_session = nullptr;
    QList<QSslCertificate> m_trusted;
};

// Installs File > Sync with Address Book Server...
class SyncCommands : public QObject
{
    Q_OBJECT
  public:
    SyncCommands(EditHistory& history, std::function<ColumnRoles()> roles, ValueStore& settings,
                 QWidget* window);
    void install(CommandSet& commands);

  signals:
    void synced();

  private:
    EditHistory& m_history;
    std::function<ColumnRoles()> m_roles;
    ValueStore& m_settings;
    QWidget* m_window;
};

} // namespace corvanta
