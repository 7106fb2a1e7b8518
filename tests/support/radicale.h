#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

namespace corvanta {

// A Radicale CardDAV server of the test's own on 127.0.0.1: a free port, a
// temporary storage folder, the plain htpasswd user "anna" with the
// password "secret", and with `tls` a self-signed certificate made for it
// (cert(), to trust exactly that one). Stopped and removed with the object.
class RadicaleServer
{
  public:
    static bool available()
    {
        return QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                 {QStringLiteral("-c"), QStringLiteral("import radicale")}) == 0;
    }

    explicit RadicaleServer(bool tls) : m_tls(tls)
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0))
            return;
        m_port = probe.serverPort();
        probe.close();
        const QString dir = m_dir.path();
        QFile users(dir + QStringLiteral("/users"));
        if (!users.open(QIODevice::WriteOnly))
            return;
        users.write("anna:secret\n");
        users.close();
        QString ssl;
        if (tls) {
            // An EC key: made at once, where RSA takes a while.
            const int made = QProcess::execute(
                QStringLiteral("openssl"),
                {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                 QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                 QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                 QStringLiteral("-keyout"), key(), QStringLiteral("-out"), cert(),
                 QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                 QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                 QStringLiteral("subjectAltName=IP:127.0.0.1")});
            if (made != 0)
                return;
            ssl = QStringLiteral("ssl = True\ncertificate = %1\nkey = %2\n").arg(cert(), key());
        }
        QFile config(dir + QStringLiteral("/config"));
        if (!config.open(QIODevice::WriteOnly))
            return;
        config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n%2"
                                    "[auth]\ntype = htpasswd\nhtpasswd_filename = %3/users\n"
                                    "htpasswd_encryption = plain\n"
                                    "[storage]\nfilesystem_folder = %3/storage\n"
                                    "[rights]\ntype = owner_only\n"
                                    "[logging]\nlevel = critical\n")
                         .arg(m_port)
                         .arg(ssl, dir)
                         .toUtf8());
        config.close();
        m_ok = start();
    }

    ~RadicaleServer() { stop(); }

    bool ok() const { return m_ok; }
    QString cert() const { return m_dir.path() + QStringLiteral("/cert.pem"); }
    QString key() const { return m_dir.path() + QStringLiteral("/key.pem"); }
    // The folder of the address book at `path` ("/anna/book/").
    QString folder(const QString& path) const
    {
        return m_dir.path() + QStringLiteral("/storage/collection-root") + path;
    }
    qint64 pid() const { return m_process.processId(); }
    QString url(const QString& path = QStringLiteral("/")) const
    {
        return QStringLiteral("%1://127.0.0.1:%2%3")
            .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"))
            .arg(m_port)
            .arg(path);
    }

    // Starts the server on its port and storage (again, after stop()).
    bool start()
    {
        // The server's own writes skip fsync: the tests' data is thrown
        // away, and syncing a shared disk would only make them slow.
        const QString script = QStringLiteral(
            "import sys\nfrom radicale import config, server\n"
            "c = config.load([(sys.argv[1], False)])\n"
            "c.update({'storage': {'_filesystem_fsync': 'False'}}, 'test', privileged=True)\n"
            "server.serve(c)\n");
        // Its log tells of the test's own probes and refusals.
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral("-c"), script, m_dir.path() + QStringLiteral("/config")});
        if (!m_process.waitForStarted())
            return false;
        // Ready once it accepts a connection; a server that died says so.
        for (int i = 0; i < 600; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, m_port);
            if (s.waitForConnected(1000))
                return true;
            if (m_process.state() == QProcess::NotRunning)
                return false;
            QThread::msleep(50);
        }
        return false;
    }

    // Ends the server at once, as a dropped connection would.
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished();
    }

  private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    bool m_tls = false;
    bool m_ok = false;
};

} // namespace corvanta
