// Two-way sync with a Radicale server of its own on 127.0.0.1 (HTTPS):
// a first sync of 10,000 cards down, one with 10 changes on each side,
// and a first sync up beside Python sending the same cards one request
// each, so the server's own share shows. Needs radicale (scripts/setup.sh).

#include "addressgen.h"
#include "benchutil.h"
#include "grid/tablemodel.h"
#include "radicale.h"
#include "sync/syncsession.h"
#include "sync/syncstate.h"
#include "table/edithistory.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSslCertificate>

#include <cstdio>

using namespace corvanta;
using namespace corvanta::bench;

namespace {

RadicaleServer* server = nullptr;

bool peer(const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            QStringList{QStringLiteral(CORVANTA_DAVPEER), server->url(), QStringLiteral("anna"),
                        QStringLiteral("secret"), server->cert()} +
                args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(-1);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

Table records(int n, quint32 seed)
{
    Table t;
    fillAddressTable(t, n, seed);
    return t;
}

// The records as the cards a phone holds, each with a UID.
QByteArray cardsOf(const Table& t, const QString& prefix)
{
    QByteArray all;
    for (int r = 1; r < t.rowCount(); ++r)
        all += Sync::cardOf(t, r, ColumnRoles{}, QStringLiteral("/x/%1%2.vcf").arg(prefix).arg(r));
    return all;
}

Sync::Session::Options options(const QString& path)
{
    return {QUrl(server->url(path)), QStringLiteral("anna"), QStringLiteral("secret"),
            QSslCertificate::fromPath(server->cert()), true};
}

Sync::Session::Result timed(TableModel& model, const QString& path, double& s)
{
    EditHistory history(&model); // the sync as the program records it
    Sync::Session session(&model, &history, ColumnRoles{});
    Sync::Session::Result r;
    s = seconds([&] { r = session.run(options(path)); });
    if (!r.ok)
        std::printf("  sync failed: %s\n", qPrintable(r.message));
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (!RadicaleServer::available()) {
        std::puts("radicale is not installed");
        return 1;
    }
    RadicaleServer radicale(true);
    if (!radicale.ok()) {
        std::puts("radicale did not start");
        return 1;
    }
    server = &radicale;
    const int down = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 10000;
    const int up = argc > 2 ? QString::fromLatin1(argv[2]).toInt() : 500;
    constexpr int kRuns = 3;

    std::vector<double> first, changes;
    TableModel model;
    for (int run = 0; run < kRuns; ++run) {
        const QString path = QStringLiteral("/anna/down%1/").arg(run);
        // Filled in one request (the server's own import), as a phone's
        // months of use would have.
        // The server reads new cards once, at the first request after the
        // import; a phone's cards came one by one and were read as they came.
        if (!peer({QStringLiteral("put"), path},
                  cardsOf(records(down, run + 1), QStringLiteral("c"))) ||
            !peer({QStringLiteral("etags"), path}))
            return 1;
        model.replaceTable(records(0, 1));
        double s = 0;
        const Sync::Session::Result r = timed(model, path, s);
        first.push_back(s);
        std::printf("first sync down, %d cards: %.2f s (%d records)\n", down, s, r.received);
    }
    const QString path = QStringLiteral("/anna/down%1/").arg(kRuns - 1);
    const int link = Sync::columnTitled(model.table(), Sync::kLinkTitle);
    for (int run = 0; run < kRuns; ++run) {
        for (int i = 0; i < 10; ++i) {
            const int here = 1 + run * 20 + i;
            const int there = 11 + run * 20 + i;
            model.setText(here, 0, model.table().text(here, 0) + QStringLiteral(" Jr."));
            const QString href = Sync::Link::parse(model.table().text(there, link)).href;
            const QString uid = href.section(u'/', -1).section(u'.', 0, 0);
            const QByteArray card =
                QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:Changed %2\r\n"
                               "END:VCARD\r\n")
                    .arg(uid)
                    .arg(there)
                    .toUtf8();
            if (!peer({QStringLiteral("put"), href}, card))
                return 1;
        }
        double s = 0;
        const Sync::Session::Result r = timed(model, path, s);
        changes.push_back(s);
        std::printf("10 changes each side in %d: %.2f s (%d received, %d sent)\n", down, s,
                    r.received, r.sent);
    }

    // Up: this program beside Python sending the same cards one by one.
    std::vector<double> ours, python;
    for (int run = 0; run < kRuns; ++run) {
        const Table t = records(up, 100 + run);
        const QString mine = QStringLiteral("/anna/up%1/").arg(run);
        const QString theirs = QStringLiteral("/anna/py%1/").arg(run);
        if (!peer({QStringLiteral("mkcol"), mine}) || !peer({QStringLiteral("mkcol"), theirs}))
            return 1;
        TableModel upModel;
        upModel.replaceTable(Table(t));
        double s = 0;
        timed(upModel, mine, s);
        ours.push_back(s);
        const QByteArray cards = cardsOf(t, QStringLiteral("p"));
        python.push_back(seconds([&] { peer({QStringLiteral("putmany"), theirs}, cards); }));
        std::printf("first sync up, %d records: %.2f s; Python, one PUT each: %.2f s\n", up,
                    ours.back(), python.back());
    }
    // The planning of a first sync up of 10,000 records, without the server.
    std::vector<double> planning;
    const Table big = records(10000, 7);
    for (int run = 0; run < kRuns; ++run) {
        int n = 0;
        planning.push_back(seconds([&] {
            n = int(Sync::plan(big, ColumnRoles{}, {}, [&] {
                        return QStringLiteral("/b/%1.vcf").arg(++n);
                    }).uploads.size());
        }));
    }

    std::printf("\nmedians of %d runs\n", kRuns);
    std::printf("first sync down, %d cards:        %.2f s (target <= 10 s)\n", down, median(first));
    std::printf("10 changes each side in %d cards: %.2f s (target <= 1 s)\n", down,
                median(changes));
    std::printf("first sync up, %d records:         %.2f s; Python one PUT each: %.2f s "
                "(ratio %.2f)\n",
                up, median(ours), median(python), median(ours) / median(python));
    std::printf("planning 10,000 cards up (no server):  %.3f s\n", median(planning));
    return 0;
}
