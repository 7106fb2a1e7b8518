// Two-way sync against a real Radicale server over HTTPS, with a second
// client (davpeer.py) changing cards between syncs as a phone would.

#include "files/nativefile.h"
#include "grid/tablemodel.h"
#include "platform/valuestore.h"
#include "radicale.h"
#include "sync/carddav.h"
#include "sync/syncdialog.h"
#include "sync/syncsession.h"
#include "sync/syncstate.h"
#include "table/edithistory.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSslCertificate>
#include <QTest>
#include <QUndoStack>

#include <memory>

using namespace corvanta;

namespace {

Table book(const QStringList& names)
{
    const QStringList titles = {"Name",     "Street", "City",  "State",
                                "Zip Code", "Phone",  "Email", "Web Site"};
    Table t(int(names.size()) + 1, int(titles.size()));
    for (int c = 0; c < titles.size(); ++c)
        t.setText(0, c, titles[c]);
    for (int r = 0; r < names.size(); ++r) {
        t.setText(r + 1, 0, names[r]);
        t.setText(r + 1, 5, QStringLiteral("+1 555 01%1").arg(r, 2, 10, QLatin1Char('0')));
    }
    return t;
}

QStringList namesOf(const Table& t)
{
    QStringList names;
    for (int r = 1; r < t.rowCount(); ++r)
        if (!t.text(r, 0).isEmpty())
            names << t.text(r, 0);
    names.sort();
    return names;
}

// A card as a phone writes it; one it changes keeps its UID.
QByteArray card(const QString& name, const QString& uid)
{
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%2\r\nN:%2;;;;\r\n"
                          "END:VCARD\r\n")
        .arg(uid, name)
        .toUtf8();
}

QString uidOf(const QString& href)
{
    return href.section(u'/', -1).section(u'.', 0, 0);
}

// A document on screen: its model, watched, with a history.
struct Doc
{
    TableModel model;
    EditHistory history{&model};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
    explicit Doc(Table t)
    {
        model.replaceTable(std::move(t));
    }
    int row(const QString& name) const
    {
        for (int r = 1; r < model.table().rowCount(); ++r)
            if (model.table().text(r, 0) == name)
                return r;
        return -1;
    }
    QString href(const QString& name) const
    {
        const int c = Sync::columnTitled(model.table(), Sync::kLinkTitle);
        return Sync::Link::parse(model.table().text(row(name), c)).href;
    }
};

struct Settings : ValueStore
{
    QHash<QString, QString> values;
    QString read(const QString& name) const override { return values.value(name); }
    bool write(const QString& name, const QString& text) override
    {
        values.insert(name, text);
        return true;
    }
};

} // namespace

class TstSync : public QObject
{
    Q_OBJECT

  private:
    std::unique_ptr<RadicaleServer> m_server;
    int m_books = 0;

    QString peer(const QStringList& args, const QByteArray& input = {})
    {
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"),
                QStringList{QStringLiteral(CORVANTA_DAVPEER), m_server->url(),
                            QStringLiteral("anna"), QStringLiteral("secret"), m_server->cert()} +
                    args);
        p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(120000);
        if (p.exitCode() != 0)
            qWarning("%s", p.readAllStandardError().constData());
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    // A new, empty address book.
    QString newBook()
    {
        const QString path = QStringLiteral("/anna/book%1/").arg(++m_books);
        peer({QStringLiteral("mkcol"), path});
        return path;
    }
    QStringList serverNames(const QString& path)
    {
        QStringList names;
        for (const QString& line :
             peer({QStringLiteral("list"), path}).split(u'\n', Qt::SkipEmptyParts))
            names << line.section(u'\t', 1);
        names.sort();
        return names;
    }
    Sync::Session::Options options(const QString& path, bool useToken = true)
    {
        return {QUrl(m_server->url(path)), QStringLiteral("anna"), QStringLiteral("secret"),
                QSslCertificate::fromPath(m_server->cert()), useToken};
    }
    Sync::Session::Result sync(Doc& doc, const Sync::Session::Options& o)
    {
        Sync::Session s(&doc.model, &doc.history, ColumnRoles{});
        return s.run(o);
    }

  private slots:
    void initTestCase()
    {
        // No secret store of the machine's is ever reached from here.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
        if (!RadicaleServer::available())
            QSKIP("radicale is not installed (scripts/setup.sh installs it)");
        m_server = std::make_unique<RadicaleServer>(true);
        QVERIFY(m_server->ok());
    }

    void cleanupTestCase() { m_server.reset(); }

    // Records go up, cards come down, the links survive the native file,
    // and the sync is one step of the history.
    void firstSyncBothWays()
    {
        const QString path = newBook();
        peer({QStringLiteral("put"), path + QStringLiteral("grace.vcf")},
             card(QStringLiteral("Grace Hopper"), QStringLiteral("grace")));
        const Table before = book({QStringLiteral("Ada Lovelace"), QStringLiteral("Alan Turing")});
        Doc doc(before);
        // Found from the server's root by discovery.
        Sync::Session::Result r = sync(doc, options(QStringLiteral("/")));
        QVERIFY2(r.ok, qPrintable(r.message));
        const QStringList all = {"Ada Lovelace", "Alan Turing", "Grace Hopper"};
        QCOMPARE(namesOf(doc.model.table()), all);
        QCOMPARE(serverNames(path), all);
        QCOMPARE(doc.history.stack()->count(), 1);

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("book.cvt"));
        QVERIFY(NativeFile::save(doc.model.table(), file));
        Table read;
        QVERIFY(NativeFile::load(file, read));
        Doc again(std::move(read));
        r = sync(again, options(path));
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(r.sent + r.received + r.removed, 0);
        QCOMPARE(again.history.stack()->count(), 0);

        doc.history.stack()->undo();
        QVERIFY(doc.model.table() == before);
    }

    void changes_data()
    {
        QTest::addColumn<bool>("useToken");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("expected");
        const QStringList changed = {"Ada King", "Alan Turing"};
        const QStringList deleted = {"Alan Turing"};
        for (bool token : {true, false}) {
            const char* how = token ? "sync token" : "etags";
            // Changes here are found the same way with either listing.
            if (token) {
                QTest::addRow("change here, %s", how) << token << "change here" << changed;
                QTest::addRow("delete here, %s", how) << token << "delete here" << deleted;
            }
            QTest::addRow("change there, %s", how) << token << "change there" << changed;
            QTest::addRow("delete there, %s", how) << token << "delete there" << deleted;
        }
    }

    void changes()
    {
        QFETCH(bool, useToken);
        QFETCH(QString, change);
        QFETCH(QStringList, expected);
        const QString path = newBook();
        Doc doc(book({QStringLiteral("Ada Lovelace"), QStringLiteral("Alan Turing")}));
        QVERIFY(sync(doc, options(path, useToken)).ok);
        const QString ada = QStringLiteral("Ada Lovelace");
        const QString href = doc.href(ada);
        QVERIFY(!href.isEmpty());
        if (change == u"change here")
            doc.history.setText(doc.row(ada), 0, QStringLiteral("Ada King"));
        else if (change == u"change there")
            peer({QStringLiteral("put"), href}, card(QStringLiteral("Ada King"), uidOf(href)));
        else if (change == u"delete here")
            doc.history.removeRows(doc.row(ada), 1, QStringLiteral("Delete Rows"));
        else
            peer({QStringLiteral("delete"), href});
        const Sync::Session::Result r = sync(doc, options(path, useToken));
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(namesOf(doc.model.table()), expected);
        QCOMPARE(serverNames(path), expected);
    }

    // Changed on both sides: this side's version goes to the server, the
    // server's stays in the document, marked, and is not sent back.
    void conflict()
    {
        const QString path = newBook();
        const QString ada = QStringLiteral("Ada Lovelace");
        Doc doc(book({ada}));
        QVERIFY(sync(doc, options(path)).ok);
        peer({QStringLiteral("put"), doc.href(ada)},
             card(QStringLiteral("Ada Byron"), uidOf(doc.href(ada))));
        doc.history.setText(doc.row(ada), 0, QStringLiteral("Ada King"));
        Sync::Session::Result r = sync(doc, options(path));
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(r.conflicts, 1);
        QCOMPARE(namesOf(doc.model.table()), QStringList({"Ada Byron", "Ada King"}));
        const int mark = Sync::columnTitled(doc.model.table(), Sync::kConflictTitle);
        QCOMPARE(doc.model.table().text(doc.row(QStringLiteral("Ada Byron")), mark),
                 Sync::kConflictText);
        QCOMPARE(serverNames(path), QStringList({"Ada King"}));
        r = sync(doc, options(path));
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(serverNames(path), QStringList({"Ada King"}));
    }

    void interrupted_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::addRow("connection dropped while sending") << "drop"
                                                          << "The connection to 127.0.0.1 failed";
        QTest::addRow("server error while sending")
            << "PUT 5"
            << "The server reported an error (503). What the server did not confirm";
        QTest::addRow("server error while listing") << "REPORT 1"
                                                    << "The server reported an error (503).";
        // A phone changed the card just before: the sync ends well, and the
        // card goes with the next one.
        QTest::addRow("card changed on the server while sending")
            << "PUT 5 412"
            << "Synced: 0 from the server, 23 sent to it, 0 deleted here. 1 cards changed on "
               "the server meanwhile; sync again to compare them.";
        QTest::addRow("cancelled while sending")
            << "cancel"
            << "The sync was cancelled. What the server did not confirm";
    }

    // A sync cut short (the server gone, a 503 or a 412 from it, the
    // user's Cancel) leaves both sides consistent: the document keeps its
    // records, and the next sync sends the rest without doubling or losing
    // a card.
    void interrupted()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        const QString path = newBook();
        QStringList names;
        for (int i = 0; i < 24; ++i)
            names << QStringLiteral("Person %1").arg(i, 2, 10, QLatin1Char('0'));
        Doc doc(book(names));
        Sync::Session::Options o = options(path);
        QProcess proxy;
        struct Stop
        {
            QProcess& p;
            ~Stop()
            {
                p.kill();
                p.waitForFinished();
            }
        } stopProxy{proxy};
        if (fault.contains(u' ')) {
            // The Nth request of a verb answered with 503 (or the status
            // given) by a proxy.
            proxy.start(QStringLiteral("/usr/bin/python3"),
                        QStringList{QStringLiteral(CORVANTA_FAULTPROXY), m_server->cert(),
                                    m_server->key(),
                                    QString::number(QUrl(m_server->url()).port())} +
                            fault.split(u' '));
            QVERIFY(proxy.waitForReadyRead(60000));
            o.url.setPort(proxy.readLine().trimmed().toInt());
        }
        Sync::Session s(&doc.model, &doc.history, ColumnRoles{});
        connect(&s, &Sync::Session::progress, this, [&](int done, int total) {
            if (total == 0 || done != 5)
                return;
            if (fault == u"drop")
                m_server->stop();
            else if (fault == u"cancel")
                s.cancel();
        });
        const Sync::Session::Result r = s.run(o);
        QCOMPARE(r.ok, fault.endsWith(u"412"));
        QVERIFY2(r.message.startsWith(message), qPrintable(r.message));
        QCOMPARE(namesOf(doc.model.table()), names);
        if (fault == u"drop")
            QVERIFY(m_server->start());
        QCOMPARE_LT(serverNames(path).size(), names.size()); // cut short indeed
        const Sync::Session::Result again = sync(doc, o);
        QVERIFY2(again.ok, qPrintable(again.message));
        QCOMPARE(namesOf(doc.model.table()), names);
        QCOMPARE(serverNames(path), names);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("trust");
        QTest::addColumn<QString>("message");
        QTest::addRow("wrong password")
            << "wrong" << true << "The server did not accept the user name and password.";
        QTest::addRow("untrusted certificate")
            << "secret" << false << "The connection to 127.0.0.1 failed";
    }

    // Nothing changes on either side.
    void refused()
    {
        QFETCH(QString, password);
        QFETCH(bool, trust);
        QFETCH(QString, message);
        const QString path = newBook();
        const Table before = book({QStringLiteral("Ada Lovelace")});
        Doc doc(before);
        Sync::Session::Options o = options(path);
        o.password = password;
        if (!trust)
            o.trusted.clear();
        const Sync::Session::Result r = sync(doc, o);
        QVERIFY(!r.ok);
        QVERIFY2(r.message.startsWith(message), qPrintable(r.message));
        QVERIFY(doc.model.table() == before);
        QCOMPARE(serverNames(path), QStringList());
    }

    void converter_data()
    {
        QTest::addColumn<bool>("fromEnvironment");
        QTest::addRow("password from the environment") << true;
        QTest::addRow("password from standard input") << false;
    }

    // corvanta-convert --sync syncs a native file and saves it linked.
    void converter()
    {
        QFETCH(bool, fromEnvironment);
        const QString path = newBook();
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("book.cvt"));
        QVERIFY(NativeFile::save(book({QStringLiteral("Ada Lovelace")}), file));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("CORVANTA_PASSWORD"));
        if (fromEnvironment)
            env.insert(QStringLiteral("CORVANTA_PASSWORD"), QStringLiteral("secret"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(CORVANTA_CONVERT_PATH),
                {QStringLiteral("--sync"), m_server->url(path), QStringLiteral("--user"),
                 QStringLiteral("anna"), QStringLiteral("--cacert"), m_server->cert(), file});
        if (!fromEnvironment)
            p.write("secret\n");
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(120000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        QCOMPARE(serverNames(path), QStringList({"Ada Lovelace"}));
        Table read;
        QVERIFY(NativeFile::load(file, read));
        QCOMPARE(Sync::stateOf(read).url, m_server->url(path));
    }

    // The dialog syncs what its fields say, keeps the address and the name
    // in the settings and never the password.
    void dialog()
    {
        const QString path = newBook();
        Doc doc(book({QStringLiteral("Ada Lovelace")}));
        Settings settings;
        SyncDialog dialog(doc.history, ColumnRoles{}, settings);
        dialog.setTrusted(QSslCertificate::fromPath(m_server->cert()));
        dialog.show();
        QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("txtUrl")),
                         m_server->url(path));
        QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("txtUser")),
                         QStringLiteral("anna"));
        QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("txtPassword")),
                         QStringLiteral("secret"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdSync")),
                          Qt::LeftButton);
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lblStatus"))->text(),
                 QStringLiteral("Synced: 0 from the server, 1 sent to it, 0 deleted here."));
        QCOMPARE(serverNames(path), QStringList({"Ada Lovelace"}));
        QCOMPARE(settings.values.value(QStringLiteral("SyncUrl")), m_server->url(path));
        QCOMPARE(settings.values.value(QStringLiteral("SyncUser")), QStringLiteral("anna"));
        QVERIFY(
            !QStringList(settings.values.values()).join(u' ').contains(QStringLiteral("secret")));
    }

    void multistatus_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<int>("responses");
        QTest::addColumn<QString>("token");
        QTest::addColumn<bool>("readable");
        const QByteArray report =
            "<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>/a/b/1.vcf</d:href>"
            "<d:propstat><d:prop><d:getetag>\"e1\"</d:getetag></d:prop>"
            "<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
            "<d:response><d:href>/a/b/2.vcf</d:href><d:status>HTTP/1.1 404 Not Found"
            "</d:status></d:response><d:sync-token>http://x/sync/7</d:sync-token>"
            "</d:multistatus>";
        QTest::addRow("sync report") << report << 2 << "http://x/sync/7" << true;
        QTest::addRow("cut off") << report.left(report.size() / 2) << 1 << "" << false;
        QTest::addRow("not a multistatus")
            << QByteArray("<html><body>Error</body></html>") << 0 << "" << false;
        QTest::addRow("not XML") << QByteArray("Internal error\n") << 0 << "" << false;
    }

    void multistatus()
    {
        QFETCH(QByteArray, xml);
        QFETCH(int, responses);
        QFETCH(QString, token);
        QFETCH(bool, readable);
        const Sync::Multistatus m = Sync::parseMultistatus(xml);
        QCOMPARE(m.responses.size(), responses);
        QCOMPARE(m.syncToken, token);
        QCOMPARE(m.error.isEmpty(), readable);
        if (readable) {
            QCOMPARE(m.responses[0].props.value(QStringLiteral("DAV: getetag")).text,
                     QStringLiteral("\"e1\""));
            QCOMPARE(m.responses[1].status, 404);
        }
    }
};

QTEST_MAIN(TstSync)
#include "tst_sync.moc"
