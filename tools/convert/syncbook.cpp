#include "syncbook.h"

#include "files/filestatus.h"
#include "files/nativefile.h"
#include "grid/tablemodel.h"
#include "sync/syncsession.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSslCertificate>

#include <cstdio>

using namespace corvanta;

namespace {

void say(const QString& text)
{
    std::fprintf(stderr, "corvanta-convert: %s\n", qPrintable(text));
}

} // namespace

int syncBook(const QStringList& args, int argc, char** argv)
{
    QCommandLineParser parser;
    const QCommandLineOption url("sync", {}, "URL");
    const QCommandLineOption user("user", {}, "NAME");
    // A server with a certificate of its own (not the system's trust).
    const QCommandLineOption cacert("cacert", {}, "FILE");
    parser.addOptions({url, user, cacert});
    if (!parser.parse(args) || parser.positionalArguments().size() != 1 || !parser.isSet(user)) {
        say(parser.errorText().isEmpty()
                ? QStringLiteral("usage: --sync URL --user NAME [--cacert FILE] BOOK.cvt")
                : parser.errorText());
        return 2;
    }
    const QString path = parser.positionalArguments().first();

    // The password never on the command line, where every user can see it.
    QString password = qEnvironmentVariable("CORVANTA_PASSWORD");
    if (!qEnvironmentVariableIsSet("CORVANTA_PASSWORD")) {
        QFile in;
        if (in.open(stdin, QIODevice::ReadOnly))
            password = QString::fromUtf8(in.readLine()).remove(u'\n').remove(u'\r');
    }
    QList<QSslCertificate> trusted;
    if (parser.isSet(cacert)) {
        trusted = QSslCertificate::fromPath(parser.value(cacert));
        if (trusted.isEmpty()) {
            say(QStringLiteral("%1: no certificate").arg(parser.value(cacert)));
            return 2;
        }
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Table table;
    if (const FileStatus read = NativeFile::load(path, table); !read) {
        say(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), userText(read)));
        return 1;
    }
    TableModel model;
    model.replaceTable(std::move(table));
    Sync::Session session(&model, nullptr, ColumnRoles{});
    const Sync::Session::Result r = session.run(
        {QUrl::fromUserInput(parser.value(url)), parser.value(user), password, trusted, true});
    // What was done is saved even after a fault, so the links match what
    // the server holds.
    if (const FileStatus saved = NativeFile::save(model.table(), path); !saved) {
        say(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), userText(saved)));
        return 1;
    }
    std::fprintf(r.ok ? stdout : stderr, "%s\n", qPrintable(r.message));
    return r.ok ? 0 : 1;
}
