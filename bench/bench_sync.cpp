// Two-way sync with a Radicale server of its own on 127.0.0.1 (HTTPS):
// a first sync of 10,000 cards down, one with 10 changes on each side,
// and a first sync up. Beside each, Python making the same requests of
// the same server, and the CPU time the server spent, so the server's own
// share shows. Needs radicale (scripts/setup.sh).

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
#include <unistd.h>

using namespace corvanta;
using namespace corvanta::bench;

namespace {

RadicaleServer* server = nullptr;

// The CPU seconds the server has used so far.
double serverCpu()
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(server->pid()));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    // utime and stime, the 14th and 15th fields, in clock ticks
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) /
           double(sysconf(_SC_CLK_TCK));
}

bool peer(const QStringList& args, const QByteArray& input = {}, QByteArray* output = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            QStringList{QStringLiteral(CORVANTA_DAVPEER), server->url(), QStringLiteral("anna"),
                        QStringLiteral("secret"), server->cert()} +
                args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(-1);
    if (output)
        *output = p.readAllStandardOutput();
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

// A copy of the address book `from` at `to`, as it is on the server's disk.
bool copyBook(const QString& from, const QString& to)
{
    return QProcess::execute(QStringLiteral("cp"),
                             {QStringLiteral("-a"), server->folder(from), server->folder(to)}) == 0;
}

Sync::Session::Result timed(TableModel& model, const QString& path, double& s, double& cpu)
{
    EditHistory history(&model); // the sync as the program records it
    Sync::Session session(&model, &history, ColumnRoles{});
    Sync::Session::Result r;
    const double before = serverCpu();
    s = seconds([&] { r = session.run(options(path)); });
    cpu = serverCpu() - before;
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

    // The cards of a phone's months of use, stored in one request (the
    // server's own import) and read once, as the server reads cards that
    // came one by one as they came; every run then starts from a copy.
    if (!peer({QStringLiteral("put"), QStringLiteral("/anna/seed/")},
              cardsOf(records(down, 1), QStringLiteral("c"))) ||
        !peer({QStringLiteral("etags"), QStringLiteral("/anna/seed/")}))
        return 1;
    std::vector<double> first, firstCpu, pyFirst, pyFirstCpu;
    TableModel model;
    for (int run = 0; run < kRuns; ++run) {
        const QString path = QStringLiteral("/anna/down%1/").arg(run);
        const QString py = QStringLiteral("/anna/pydown%1/").arg(run);
        if (!copyBook(QStringLiteral("/anna/seed/"), path) ||
            !copyBook(QStringLiteral("/anna/seed/"), py))
            return 1;
        model.replaceTable(records(0, 1));
        double s = 0, cpu = 0;
        const Sync::Session::Result r = timed(model, path, s, cpu);
        first.push_back(s);
        firstCpu.push_back(cpu);
        const double before = serverCpu();
        pyFirst.push_back(seconds([&] { peer({QStringLiteral("synccards"), py}); }));
        pyFirstCpu.push_back(serverCpu() - before);
        std::printf("first sync down, %d cards: %.2f s, server CPU %.2f s (%d records); "
                    "Python listing them: %.2f s, server CPU %.2f s\n",
                    down, s, cpu, r.received, pyFirst.back(), pyFirstCpu.back());
    }
    const QString path = QStringLiteral("/anna/down%1/").arg(kRuns - 1);
    const int link = Sync::columnTitled(model.table(), Sync::kLinkTitle);
    std::vector<double> changes, changesCpu, pyChanges, pyChangesCpu;
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
        double s = 0, cpu = 0;
        const Sync::Session::Result r = timed(model, path, s, cpu);
        changes.push_back(s);
        changesCpu.push_back(cpu);
        // Python's 10 PUTs and listing since a token, timed inside it.
        QByteArray out;
        const double before = serverCpu();
        if (!peer({QStringLiteral("resync"), QStringLiteral("/anna/pydown%1/").arg(run),
                   QStringLiteral("10")},
                  {}, &out))
            return 1;
        pyChangesCpu.push_back(serverCpu() - before);
        const QList<QByteArray> parts = out.trimmed().split(' ');
        pyChanges.push_back(parts.value(0).toDouble() + parts.value(1).toDouble());
        std::printf("10 changes each side in %d: %.2f s, server CPU %.2f s (%d received, %d "
                    "sent); Python's 10 PUTs %.2f s + listing %.2f s\n",
                    down, s, cpu, r.received, r.sent, parts.value(0).toDouble(),
                    parts.value(1).toDouble());
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
        double s = 0, cpu = 0;
        timed(upModel, mine, s, cpu);
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

    std::printf("\nmedians of %d runs (Python: the same requests, one process)\n", kRuns);
    std::printf("first sync down, %d cards:        %.2f s, server CPU %.2f s (target <= 10 s); "
                "Python %.2f s, server CPU %.2f s\n",
                down, median(first), median(firstCpu), median(pyFirst), median(pyFirstCpu));
    std::printf("10 changes each side in %d cards: %.2f s, server CPU %.2f s (target <= 1 s); "
                "Python %.2f s, server CPU %.2f s\n",
                down, median(changes), median(changesCpu), median(pyChanges), median(pyChangesCpu));
    std::printf("first sync up, %d records:         %.2f s; Python one PUT each: %.2f s "
                "(ratio %.2f)\n",
                up, median(ours), median(python), median(ours) / median(python));
    std::printf("planning 10,000 cards up (no server):  %.3f s\n", median(planning));
    return 0;
}
