// corvanta-convert: converts between native documents and comma- or
// TAB-delimited text with the same code the address book uses. Usage and
// the layout file are described in docs/convert.md.

#include "files/delimited.h"
#include "files/nativefile.h"
#include "layoutfile.h"
#include "grid/table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <optional>

using namespace corvanta;

namespace {

constexpr const char* kName = "corvanta-convert";

enum class Format { Native, Comma, Tab };

const char* kHelp = "Usage: corvanta-convert [options] IN OUT\n"
                    "\n"
                    "Converts between native address book files (.cvt) and comma- or\n"
                    "TAB-delimited text. Delimited text is read in UTF-8 (with or without a\n"
                    "byte-order mark), UTF-16 with a byte-order mark, or windows-1252, and\n"
                    "written as UTF-8 with CRLF line ends. OUT is replaced only once it has\n"
                    "been written completely.\n"
                    "\n"
                    "Formats follow the file extension, or the options:\n"
                    "  native  .cvt .vti .qrf   native document\n"
                    "  csv     .csv             comma-delimited text\n"
                    "  tab     .txt .tsv .tab   TAB-delimited text\n"
                    "\n"
                    "Options:\n"
                    "  --from FORMAT   format of IN (native, csv or tab)\n"
                    "  --to FORMAT     format of OUT (native, csv or tab)\n"
                    "  --no-titles     delimited IN: the first line is a record, not the column\n"
                    "                  titles; delimited OUT: do not write the title row\n"
                    "  --layout FILE   apply column widths, types, formats and cell formatting\n"
                    "                  from FILE before writing (see docs/convert.md)\n"
                    "  -h, --help      show this help and exit\n"
                    "\n"
                    "Exit status: 0 on success, 1 when a file cannot be read or written,\n"
                    "2 on a usage error.\n";

struct Options
{
    QString in, out, layout;
    std::optional<Format> from, to;
    bool titles = true;
};

void say(const QString& text)
{
    std::fputs(qPrintable(QStringLiteral("%1: %2\n").arg(QLatin1StringView(kName), text)), stderr);
}

int usageError(const QString& text)
{
    say(text);
    std::fprintf(stderr, "Try '%s --help' for more information.\n", kName);
    return 2;
}

int fileError(const QString& path, const QString& reason)
{
    say(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason));
    return 1;
}

std::optional<Format> formatNamed(const QString& name)
{
    const QString n = name.toLower();
    if (n == u"native" || n == u"cvt")
        return Format::Native;
    if (n == u"csv" || n == u"comma")
        return Format::Comma;
    if (n == u"tab" || n == u"txt" || n == u"tsv")
        return Format::Tab;
    return std::nullopt;
}

std::optional<Format> formatOfPath(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == u"cvt" || ext == u"vti" || ext == u"qrf")
        return Format::Native;
    if (ext == u"csv")
        return Format::Comma;
    if (ext == u"txt" || ext == u"tsv" || ext == u"tab")
        return Format::Tab;
    return std::nullopt;
}

char delimiterOf(Format f)
{
    return f == Format::Comma ? ',' : '\t';
}

// Returns 0 to go on, -1 after --help, or the exit status of a usage error.
int parseArguments(const QStringList& args, Options& o)
{
    QStringList positional;
    bool optionsDone = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        QString arg = args[i];
        if (optionsDone || !arg.startsWith(u'-') || arg == u"-") {
            positional << arg;
            continue;
        }
        if (arg == u"--") {
            optionsDone = true;
            continue;
        }
        if (arg == u"-h" || arg == u"--help") {
            std::fputs(kHelp, stdout);
            return -1;
        }
        if (arg == u"--no-titles") {
            o.titles = false;
            continue;
        }
        // Options with a value: "--to tab" or "--to=tab".
        QString value;
        const qsizetype eq = arg.indexOf(u'=');
        if (eq > 0) {
            value = arg.mid(eq + 1);
            arg.truncate(eq);
        } else if (arg == u"--from" || arg == u"--to" || arg == u"--layout") {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("option %1 needs a value").arg(arg));
            value = args[++i];
        }
        if (value.isEmpty() && (arg == u"--from" || arg == u"--to" || arg == u"--layout"))
            return usageError(QStringLiteral("option %1 needs a value").arg(arg));
        if (arg == u"--from" || arg == u"--to") {
            const auto f = formatNamed(value);
            if (!f)
                return usageError(
                    QStringLiteral("unknown format '%1' (use native, csv or tab)").arg(value));
            (arg == u"--from" ? o.from : o.to) = f;
        } else if (arg == u"--layout") {
            o.layout = value;
        } else {
            return usageError(QStringLiteral("unknown option '%1'").arg(args[i]));
        }
    }
    if (positional.size() != 2)
        return usageError(positional.size() < 2 ? QStringLiteral("missing file operand")
                                                : QStringLiteral("too many file operands"));
    o.in = positional[0];
    o.out = positional[1];
    if (!o.from)
        o.from = formatOfPath(o.in);
    if (!o.to)
        o.to = formatOfPath(o.out);
    if (!o.from)
        return usageError(
            QStringLiteral("cannot tell the format of '%1' from its name; use --from").arg(o.in));
    if (!o.to)
        return usageError(
            QStringLiteral("cannot tell the format of '%1' from its name; use --to").arg(o.out));
    return 0;
}

int run(const Options& o)
{
    Table table;
    QString error;
    if (*o.from == Format::Native) {
        if (!NativeFile::load(o.in, table, &error))
            return fileError(o.in, error);
    } else {
        // The address book's own import: a one-cell table that the text
        // fills from the title row, or from the first record without titles.
        table.resize(1, 1);
        if (!Delimited::load(o.in, delimiterOf(*o.from), table, o.titles ? 0 : 1, &error))
            return fileError(o.in, error);
    }

    if (!o.layout.isEmpty()) {
        QFile file(o.layout);
        if (!file.open(QIODevice::ReadOnly))
            return fileError(o.layout, file.errorString());
        const QByteArray text = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return fileError(o.layout, file.errorString());
        if (!LayoutFile::apply(text, table, &error))
            return fileError(o.layout, error);
    }

    const bool saved = *o.to == Format::Native ? NativeFile::save(table, o.out, &error)
                                               : Delimited::save(table, o.out, delimiterOf(*o.to),
                                                                 o.titles ? 0 : 1, &error);
    if (!saved)
        return fileError(o.out, error);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Options options;
    const int status = parseArguments(QCoreApplication::arguments(), options);
    if (status != 0)
        return status < 0 ? 0 : status;
    return run(options);
}
