// The sync dialog's password in a real secret store: gnome-keyring on a
// session bus of the test's own, so no keyring of the machine's user is
// ever read or written. Its own program: the bus is chosen once, at the
// first use of D-Bus in the process.

#include "grid/tablemodel.h"
#include "radicale.h"
#include "shell/settingsstore.h"
#include "sync/syncdialog.h"
#include "table/edithistory.h"

#include <QAbstractItemModelTester>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QLabel>
#include <QLineEdit>
#include <QLocalSocket>
#include <QProcess>
#include <QSslCertificate>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <qt6keychain/keychain.h>

#include <csignal>
#include <memory>
#include <optional>
#include <sys/prctl.h>

using namespace corvanta;

namespace {

constexpr int kWait = 20000; // sanitized builds on a busy machine are slow

// A session bus and gnome-keyring on it, living in one temporary folder
// (its home, data and runtime folders, so the login keyring is made and
// unlocked there). Both end with this object, or with the test if it dies
// first.
class PrivateSecretStore
{
  public:
    static QString missing()
    {
        for (const QString& tool :
             {QStringLiteral("dbus-daemon"), QStringLiteral("gnome-keyring-daemon")})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                return tool;
        return {};
    }

    PrivateSecretStore()
    {
        const QString root = m_dir.path();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* folder : {"HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"}) {
            const QString path = root + u'/' + QLatin1StringView(folder).toString().toLower();
            QDir().mkpath(path);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            env.insert(QLatin1StringView(folder).toString(), path);
        }
        m_socket = root + QStringLiteral("/bus");
        m_address = QStringLiteral("unix:path=") + m_socket;
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        // A bus of its own rules: nothing on it is started on demand, so
        // no store but the one started here can answer.
        QFile config(root + QStringLiteral("/bus.conf"));
        if (!config.open(QIODevice::WriteOnly))
            return;
        config.write(QStringLiteral("<busconfig><type>session</type><listen>%1</listen>"
                                    "<auth>EXTERNAL</auth><policy context=\"default\">"
                                    "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                    "<allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                                    "</policy></busconfig>")
                         .arg(m_address)
                         .toUtf8());
        config.close();
        for (QProcess* p : {&m_bus, &m_keyring}) {
            p->setProcessEnvironment(env);
            p->setStandardOutputFile(QProcess::nullDevice());
            p->setStandardErrorFile(QProcess::nullDevice());
            // A test that crashes or is killed takes both with it.
            p->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        }
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--config-file=") + config.fileName(),
                     QStringLiteral("--nofork"), QStringLiteral("--nopidfile")});
        if (!m_bus.waitForStarted() || !waitForBus())
            return;
        m_keyring.start(QStringLiteral("gnome-keyring-daemon"),
                        {QStringLiteral("--foreground"), QStringLiteral("--components=secrets"),
                         QStringLiteral("--unlock")});
        if (!m_keyring.waitForStarted())
            return;
        // The login keyring's password. An empty one leaves the keyring
        // unmade, and the store with no collection to write to.
        m_keyring.write("corvanta");
        m_keyring.waitForBytesWritten();
        m_keyring.closeWriteChannel();
        m_ok = waitForLoginKeyring();
    }

    // The keyring goes first: the bus must outlive the last word to it.
    ~PrivateSecretStore()
    {
        for (QProcess* p : {&m_keyring, &m_bus}) {
            if (p->state() == QProcess::NotRunning)
                continue;
            p->terminate();
            if (!p->waitForFinished(kWait)) {
                p->kill();
                p->waitForFinished();
            }
        }
    }

    bool ok() const { return m_ok; }
    QString address() const { return m_address; }

  private:
    bool waitForBus()
    {
        for (int i = 0; i < kWait / 50; ++i) {
            QLocalSocket s;
            s.connectToServer(m_socket);
            if (s.waitForConnected(1000))
                return true;
            if (m_bus.state() == QProcess::NotRunning)
                return false;
            QThread::msleep(50);
        }
        return false;
    }

    // Ready once the store names a default collection, the one QtKeychain
    // writes to. Asked on a connection of its own: the process's session
    // bus is not chosen yet.
    bool waitForLoginKeyring()
    {
        QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("probe"));
        const QDBusMessage ask =
            QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.secrets"),
                                           QStringLiteral("/org/freedesktop/secrets"),
                                           QStringLiteral("org.freedesktop.Secret.Service"),
                                           QStringLiteral("ReadAlias"))
            << QStringLiteral("default");
        bool ready = false;
        for (int i = 0; i < kWait / 50 && !ready; ++i) {
            const QDBusReply<QDBusObjectPath> alias = bus.call(ask);
            ready = alias.isValid() && alias.value().path() != QStringLiteral("/");
            if (!ready && m_keyring.state() == QProcess::NotRunning)
                break;
            if (!ready)
                QThread::msleep(50);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("probe"));
        return ready;
    }

    QTemporaryDir m_dir;
    QProcess m_bus;
    QProcess m_keyring;
    QString m_socket;
    QString m_address;
    bool m_ok = false;
};

// What the store holds under `key` of the address book's service, or the
// error that reading it gave.
struct Stored
{
    QKeychain::Error error = QKeychain::OtherError;
    QString text;
};

} // namespace

class TstSecretStore : public QObject
{
    Q_OBJECT

    std::unique_ptr<PrivateSecretStore> m_store;
    std::unique_ptr<RadicaleServer> m_server;

    static Stored read(const QString& key)
    {
        auto* job = new QKeychain::ReadPasswordJob(QStringLiteral("Corvanta Address Book"));
        job->setKey(key);
        job->setInsecureFallback(false);
        auto result = std::make_shared<std::optional<Stored>>();
        QObject::connect(job, &QKeychain::Job::finished, job, [job, result] {
            *result = Stored{job->error(), job->textData()};
        });
        job->start();
        if (!QTest::qWaitFor([&] { return result->has_value(); }, kWait))
            return {};
        return **result;
    }

    // The dialog's own keychain jobs (its read when it opens, its write
    // after a sync) are done once none is left: they delete themselves.
    static bool settled(const SyncDialog& dialog)
    {
        return QTest::qWaitFor([&] { return dialog.findChildren<QKeychain::Job*>().isEmpty(); },
                               kWait);
    }

  private slots:
    void initTestCase()
    {
        if (const QString tool = PrivateSecretStore::missing(); !tool.isEmpty())
            QSKIP(qPrintable(tool +
                             QStringLiteral(" is not installed (scripts/setup.sh installs it)")));
        if (!RadicaleServer::available())
            QSKIP("radicale is not installed (scripts/setup.sh installs it)");
        m_store = std::make_unique<PrivateSecretStore>();
        QVERIFY(m_store->ok());
        // Before anything in this process connects to a bus. The desktop
        // named is one whose store QtKeychain reaches through libsecret,
        // whatever desktop the test was started from.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_store->address().toUtf8());
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        qunsetenv("DESKTOP_SESSION");
        qunsetenv("KDE_FULL_SESSION");
        m_server = std::make_unique<RadicaleServer>(true);
        QVERIFY(m_server->ok());
        QProcess mkcol;
        mkcol.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(CORVANTA_DAVPEER), m_server->url(), QStringLiteral("anna"),
                     QStringLiteral("secret"), m_server->cert(), QStringLiteral("mkcol"),
                     QStringLiteral("/anna/book/")});
        QVERIFY(mkcol.waitForFinished(120000));
        QCOMPARE(mkcol.exitCode(), 0);
    }

    // Last of all, with no turn of the event loop after it: libsecret's
    // connection to the bus ends the process (SIGTERM) at the next turn
    // once the bus is gone.
    void cleanupTestCase()
    {
        m_server.reset();
        m_store.reset();
    }

    // A password the server refused is not kept; one it accepted is kept
    // in the store under user@URL, and the next dialog for that address
    // and user fills it in, while the settings file never holds it.
    void passwordKeptOnlyAfterSuccess()
    {
        TableModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        EditHistory history(&model);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("settings.ini"));
        SettingsStore settings(ini);
        const QString url = m_server->url(QStringLiteral("/anna/book/"));
        const QString key = QStringLiteral("anna@") + url;
        {
            SyncDialog dialog(history, ColumnRoles{}, settings);
            dialog.setTrusted(QSslCertificate::fromPath(m_server->cert()));
            QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("txtUrl")), url);
            QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("txtUser")),
                             QStringLiteral("anna"));
            auto* password = dialog.findChild<QLineEdit*>(QStringLiteral("txtPassword"));
            QTest::keyClicks(password, QStringLiteral("wrong"));
            QVERIFY(!dialog.sync());
            QVERIFY(settled(dialog));
            QCOMPARE(read(key).error, QKeychain::EntryNotFound);

            password->clear();
            QTest::keyClicks(password, QStringLiteral("secret"));
            QVERIFY2(dialog.sync(),
                     qPrintable(dialog.findChild<QLabel*>(QStringLiteral("lblStatus"))->text()));
            QVERIFY(settled(dialog));
        }
        const Stored stored = read(key);
        QCOMPARE(stored.error, QKeychain::NoError);
        QCOMPARE(stored.text, QStringLiteral("secret"));

        SyncDialog again(history, ColumnRoles{}, settings);
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("txtUrl"))->text(), url);
        QTRY_COMPARE_WITH_TIMEOUT(
            again.findChild<QLineEdit*>(QStringLiteral("txtPassword"))->text(),
            QStringLiteral("secret"), kWait);
        QFile file(ini);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY(written.contains("anna"));
        QVERIFY(!written.contains("secret"));
    }
};

QTEST_MAIN(TstSecretStore)
#include "tst_secretstore.moc"
