// corvanta-convert: converts between native documents and comma- or
// TAB-delimited text with the same code the address book uses. Usage and
// the layout file are described in docs/convert.md.

#include "files/delimited.h"
#include "files/nativefile.h"
#include "files/safefile.h"
#include "files/vcard.h"
#include "grid/table.h"
#include "layoutfile.h"
#include "printpdf.h"
#include "table/valueformat.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <memory>
#include <optional>

using namespace corvanta;

namespace {

constexpr const char* kName = "corvanta-convert";

enum class Format { Native, Comma, Tab, Vcard, Pdf };

const char* kHelp = "Usage: corvanta-convert [options] IN OUT\n"
                    "\n"
                    "Converts between native address book files (.cvt), comma- or\n"
                    "TAB-delimited text and vCard files, and prints them to PDF. Delimited\n"
                    "text is read in UTF-8 (with or without a byte-order mark), UTF-16 (with\n"
                    "or without one), or windows-1252, and written as UTF-8 with CRLF line\n"
                    "ends. Comma text may be separated by semicolons or TABs instead: a first\n"
                    "line \"sep=;\" or the first 20 lines tell which. vCard 2.1, 3.0 and 4.0\n"
                    "are read; 3.0 is written unless --vcard-version says 4.0. OUT is replaced\n"
                    "only once it has been written completely.\n"
                    "\n"
                    "Formats follow the file extension, or the options:\n"
                    "  native  .cvt .vti .qrf   native document\n"
                    "  csv     .csv             comma-delimited text\n"
                    "  tab     .txt .tsv .tab   TAB-delimited text\n"
                    "  vcf     .vcf .vcard      vCard contacts\n"
                    "  pdf     .pdf             (OUT only) the print sheet, or labels\n"
                    "\n"
                    "Options:\n"
                    "  --from FORMAT   format of IN (native, csv, tab or vcf)\n"
                    "  --to FORMAT     format of OUT (native, csv, tab or vcf)\n"
                    "  --delimiter D   the delimiter of delimited IN and OUT: one character,\n"
                    "                  or tab, comma or semicolon; IN is then not sniffed\n"
                    "  --vcard-version V\n"
                    "                  vCard OUT in version V: 3.0 (the default) or 4.0\n"
                    "  --no-titles     delimited IN: the first line is a record, not the column\n"
                    "                  titles; delimited OUT: do not write the title row\n"
                    "  --layout FILE   apply column widths, types, formats and cell formatting\n"
                    "                  from FILE before writing (see docs/convert.md)\n"
                    "  --as-shown      write each cell as the table shows it: Number, Money\n"
                    "                  and Date values through their column format, Checkbox\n"
                    "                  cells as True or False\n"
                    "  --strict        fail when delimited IN holds bytes that are not valid\n"
                    "                  UTF-8 (by default they become U+FFFD, with a warning)\n"
                    "PDF options:\n"
                    "  --labels FORMAT mailing labels in the standard 3-line pattern on\n"
                    "                  \"3 x 10\", \"2 x 10\" or \"2 x 5\" sheets, instead of\n"
                    "                  the print sheet\n"
                    "  --landscape     print the sheet across the page\n"
                    "  --scale N       the sheet's scale in per cent, 50 to 100 (75)\n"
                    "  --columns LIST  the sheet's columns, numbers from 0 or titles joined\n"
                    "                  by commas (default: the columns not hidden)\n"
                    "  -h, --help      show this help and exit\n"
                    "  -v, --version   show the version and exit\n"
                    "\n"
                    "Exit status: 0 on success, 1 when a file cannot be read or written,\n"
                    "2 on a usage error.\n";

struct Options
{
    QString in, out, layout;
    std::optional<Format> from, to;
    std::optional<char> delimiter;
    Vcard::Version vcardVersion = Vcard::Version::V3;
    bool titles = true;
    bool strict = false;
    PrintRequest print;
    bool asShown = false;
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
    if (n == u"vcf" || n == u"vcard")
        return Format::Vcard;
    if (n == u"pdf")
        return Format::Pdf;
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
    if (ext == u"vcf" || ext == u"vcard")
        return Format::Vcard;
    if (ext == u"pdf")
        return Format::Pdf;
    return std::nullopt;
}

// "--delimiter" takes one character or its name; not a quote or line end.
std::optional<char> delimiterNamed(const QString& value)
{
    const QString v = value.toLower();
    if (v == u"tab" || v == u"\\t")
        return '\t';
    if (v == u"comma")
        return ',';
    if (v == u"semicolon")
        return ';';
    if (value.size() == 1 && value[0].unicode() < 0x80 && value[0] != u'"' && value[0] != u'\r' &&
        value[0] != u'\n')
        return char(value[0].unicode());
    return std::nullopt;
}

// The delimiter of delimited text: the one given, or comma text's own
// (sniffed when reading) and TAB.
char delimiterOf(Format f, const Options& o, bool reading)
{
    if (o.delimiter)
        return *o.delimiter;
    if (f == Format::Comma)
        return reading ? Delimited::kSniff : ',';
    return '\t';
}

// Where `args` (past the program name, up to a "--") first holds an option
// that `matches`, or args.size().
qsizetype indexOfOption(const QStringList& args, auto matches)
{
    for (qsizetype i = 1; i < args.size() && args[i] != u"--"; ++i)
        if (args[i].startsWith(u'-') && args[i] != u"-" && matches(args[i]))
            return i;
    return args.size();
}

// The name an argument gives, without dashes or value: "--to=tab" -> "to".
QString optionName(const QString& arg)
{
    qsizetype from = 0;
    while (from < arg.size() && arg[from] == u'-')
        ++from;
    const qsizetype eq = arg.indexOf(u'=', from);
    return arg.mid(from, eq < 0 ? -1 : eq - from);
}

// Returns 0 to go on, -1 after --help or --version, or the exit status of a usage error.
int parseArguments(const QStringList& args, Options& o)
{
    QCommandLineParser parser;
    // "-abc" is one (unknown) option, as "--abc" is, not three flags.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version(QStringList{"v", "version"});
    const QCommandLineOption noTitles("no-titles");
    const QCommandLineOption strict("strict");
    const QCommandLineOption asShown("as-shown");
    const QCommandLineOption from("from", {}, "FORMAT");
    const QCommandLineOption to("to", {}, "FORMAT");
    const QCommandLineOption layout("layout", {}, "FILE");
    const QCommandLineOption labels("labels", {}, "FORMAT");
    const QCommandLineOption landscape("landscape");
    const QCommandLineOption scale("scale", {}, "N");
    const QCommandLineOption columns("columns", {}, "LIST");
    const QCommandLineOption delimiter("delimiter", {}, "D");
    const QCommandLineOption vcardVersion("vcard-version", {}, "V");
    parser.addOptions({help, version, noTitles, strict, asShown, from, to, layout, labels,
                       landscape, scale, columns, delimiter, vcardVersion});

    const bool parsed = parser.parse(args);
    const qsizetype helpAt =
        indexOfOption(args, [](const QString& a) { return a == u"-h" || a == u"--help"; });
    if (!parsed) {
        // The parser stops at nothing; report the first argument at fault,
        // unless a request for help came before it.
        qsizetype at = args.size();
        QString text;
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            at = indexOfOption(args, [&](const QString& a) { return optionName(a) == unknown[0]; });
        } else if (const QString last = args.value(args.size() - 1);
                   last == u"--from" || last == u"--to" || last == u"--layout" ||
                   last == u"--labels" || last == u"--scale" || last == u"--columns" ||
                   last == u"--delimiter" || last == u"--vcard-version") {
            // Only the last argument can lack its value.
            at = args.size() - 1;
            text = QStringLiteral("option %1 needs a value").arg(last);
        } else {
            // A value given to an option that takes none: "--no-titles=x".
            at = indexOfOption(args, [](const QString& a) { return a.contains(u'='); });
        }
        if (helpAt < at) {
            std::fputs(kHelp, stdout);
            return -1;
        }
        if (text.isEmpty())
            text = QStringLiteral("unknown option '%1'").arg(args.value(at));
        return usageError(text);
    }
    if (parser.isSet(help)) {
        std::fputs(kHelp, stdout);
        return -1;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", kName, CORVANTA_VERSION);
        return -1;
    }
    o.titles = !parser.isSet(noTitles);
    o.strict = parser.isSet(strict);
    o.print.landscape = parser.isSet(landscape);
    if (parser.isSet(labels))
        o.print.labels = parser.value(labels);
    if (parser.isSet(scale)) {
        bool ok = false;
        o.print.scale = parser.value(scale).toInt(&ok);
        if (!ok)
            return usageError(QStringLiteral("--scale must be a whole number from 50 to 100"));
    }
    if (parser.isSet(columns))
        o.print.columns = parser.value(columns).split(u',');
    for (const QString& value : parser.values(delimiter)) {
        o.delimiter = delimiterNamed(value);
        if (!o.delimiter)
            return usageError(QStringLiteral("unusable delimiter '%1' (use one character, tab, "
                                             "comma or semicolon)")
                                  .arg(value));
    }
    for (const QString& value : parser.values(vcardVersion)) {
        if (value == u"3.0" || value == u"3")
            o.vcardVersion = Vcard::Version::V3;
        else if (value == u"4.0" || value == u"4")
            o.vcardVersion = Vcard::Version::V4;
        else
            return usageError(
                QStringLiteral("unknown vCard version '%1' (use 3.0 or 4.0)").arg(value));
    }
    o.asShown = parser.isSet(asShown);
    for (const QCommandLineOption* option : {&from, &to, &layout}) {
        for (const QString& value : parser.values(*option)) {
            const QString name = option->names().constFirst();
            if (value.isEmpty())
                return usageError(QStringLiteral("option --%1 needs a value").arg(name));
            if (option == &layout) {
                o.layout = value;
                continue;
            }
            const auto f = formatNamed(value);
            if (!f)
                return usageError(
                    QStringLiteral("unknown format '%1' (use native, csv, tab, vcf or pdf)")
                        .arg(value));
            (option == &from ? o.from : o.to) = f;
        }
    }

    const QStringList positional = parser.positionalArguments();
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
    if (*o.from == Format::Pdf)
        return usageError(QStringLiteral("cannot read PDF; IN must be native or delimited"));
    const bool printOptions =
        parser.isSet(labels) || o.print.landscape || o.print.scale || o.print.columns;
    if (printOptions && *o.to != Format::Pdf)
        return usageError(QStringLiteral("--labels, --landscape, --scale and --columns need a "
                                         "PDF output"));
    if (const QString bad = PrintPdf::check(o.print); !bad.isEmpty())
        return usageError(bad);
    return 0;
}

// Replaces every record's typed cells by the text the table shows for
// them; titles and untyped columns stay as they are.
void writeAsShown(Table& table)
{
    for (int c = 0; c < table.colCount(); ++c) {
        const ColumnAttr& a = table.column(c);
        if (a.type != TypeNumber && a.type != TypeMoney && a.type != TypeDate &&
            a.type != TypeCheckbox)
            continue;
        const ColumnAttr attr = a;
        for (int r = 1; r < table.rowCount(); ++r)
            table.setText(r, c, ValueFormat::shown(attr.type, attr.format, table.text(r, c)));
    }
}

int run(const Options& o)
{
    Table table;
    if (*o.from == Format::Native) {
        if (const FileStatus s = NativeFile::load(o.in, table); !s)
            return fileError(o.in, userText(s));
    } else if (*o.from == Format::Vcard) {
        if (const FileStatus s = Vcard::load(o.in, table); !s)
            return fileError(o.in, userText(s));
    } else {
        // The address book's own import: a one-cell table that the text
        // fills from the title row, or from the first record without titles.
        table.resize(1, 1);
        Delimited::ReadInfo info;
        if (const FileStatus s = Delimited::load(o.in, delimiterOf(*o.from, o, true), table,
                                                 o.titles ? 0 : 1, &info);
            !s)
            return fileError(o.in, userText(s));
        if (info.replacedBytes > 0) {
            const QString where = QStringLiteral("line %1: not valid UTF-8").arg(info.firstBadLine);
            if (o.strict)
                return fileError(o.in, where);
            say(QStringLiteral("%1: warning: %2; %3 %4 replaced by U+FFFD")
                    .arg(QDir::toNativeSeparators(o.in), where)
                    .arg(info.replacedBytes)
                    .arg(info.replacedBytes == 1 ? QStringLiteral("byte")
                                                 : QStringLiteral("bytes")));
        }
    }

    if (!o.layout.isEmpty()) {
        QFile file;
        if (const FileStatus s = openInputFile(file, o.layout); !s)
            return fileError(o.layout, userText(s));
        const QByteArray text = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return fileError(o.layout, file.errorString());
        QString error;
        if (!LayoutFile::apply(text, table, &error))
            return fileError(o.layout, error);
    }

    if (*o.to == Format::Pdf) {
        QString error;
        bool badColumn = false;
        if (!PrintPdf::write(table, o.print, o.out, QFileInfo(o.in).completeBaseName(), &error,
                             &badColumn)) {
            if (badColumn)
                return usageError(error);
            return fileError(o.out, error);
        }
        return 0;
    }
    if (o.asShown)
        writeAsShown(table);

    const FileStatus saved =
        *o.to == Format::Native ? NativeFile::save(table, o.out)
        : *o.to == Format::Vcard
            ? Vcard::save(table, o.out, {}, o.vcardVersion)
            : Delimited::save(table, o.out, delimiterOf(*o.to, o, false), o.titles ? 0 : 1);
    if (!saved)
        return fileError(o.out, userText(saved));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    Options options;
    const int status = parseArguments(args, options);
    if (status != 0)
        return status < 0 ? 0 : status;
    // Only PDF needs fonts and a paint engine; it draws without any screen.
    std::unique_ptr<QCoreApplication> app;
    if (*options.to == Format::Pdf) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // The platform's notes on its set-up are not the user's business;
        // the converter reports its own errors.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtFatalMsg)
                std::fputs(qPrintable(text + u'\n'), stderr);
        });
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return run(options);
}
