// corvanta-convert: converts between native documents and comma- or
// TAB-delimited text with the same code the address book uses. Usage and
// the layout file are described in docs/convert.md.

#include "files/contactcsv.h"
#include "files/delimited.h"
#include "files/fileformat.h"
#include "files/nativefile.h"
#include "files/safefile.h"
#include "files/vcard.h"
#include "grid/table.h"
#include "layoutfile.h"
#include "printing/labelsheet.h"
#include "printpdf.h"
#include "syncbook.h"
#include "table/valueformat.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>

#include <cstdio>
#include <memory>
#include <optional>

using namespace corvanta;

namespace {

constexpr const char* kName = "corvanta-convert";

// A document format, or PDF (written only).
struct Format
{
    std::optional<FileFormat> document; // none: PDF
    bool isPdf() const { return !document; }
    bool is(FileFormat f) const { return document == f; }
};

const char* kHelp = "Usage: corvanta-convert [options] IN OUT\n"
                    "\n"
                    "Converts between native address book files (.cvt), comma- or\n"
                    "TAB-delimited text and vCard files, and prints them to PDF. Delimited\n"
                    "text is read in UTF-8 (with or without a byte-order mark), UTF-16 (with\n"
                    "or without one), or windows-1252, and written as UTF-8 with CRLF line\n"
                    "ends. Comma text may be separated by semicolons or TABs instead: a first\n"
                    "line \"sep=;\" or the first 20 lines tell which. vCard 2.1, 3.0 and 4.0\n"
                    "are read; cards keep the version they had (2.1 becomes 3.0), other\n"
                    "records are 3.0, unless --vcard-version says. OUT is replaced\n"
                    "only once it has been written completely.\n"
                    "\n"
                    "Formats follow the file extension, or the options:\n"
                    "  native  .cvt .vti .qrf   native document\n"
                    "  csv     .csv             comma-delimited text\n"
                    "  tab     .txt .tsv .tab   TAB-delimited text\n"
                    "  vcf     .vcf .vcard      vCard contacts\n"
                    "  pdf     .pdf             (OUT only) the print sheet, or labels\n"
                    "\n"
                    "Or: corvanta-convert --sync URL --user NAME [--cacert FILE] BOOK.cvt\n"
                    "syncs the native document BOOK.cvt with the CardDAV address book at URL\n"
                    "and saves it; the password comes from CORVANTA_PASSWORD or the first\n"
                    "line of standard input (docs/sync.md).\n"
                    "\n"
                    "Options:\n"
                    "  --from FORMAT   format of IN (native, csv, tab or vcf)\n"
                    "  --to FORMAT     format of OUT (native, csv, tab or vcf)\n"
                    "  --delimiter D   the delimiter of delimited IN and OUT: one character,\n"
                    "                  or tab, comma or semicolon; IN is then not sniffed\n"
                    "  --vcard-version V\n"
                    "                  vCard OUT in version V for every card: 3.0 or 4.0\n"
                    "  --no-titles     delimited IN: the first line is a record, not the column\n"
                    "                  titles; delimited OUT: do not write the title row\n"
                    "  --layout FILE   apply column widths, types, formats and cell formatting\n"
                    "                  from FILE before writing (see docs/convert.md)\n"
                    "  --as-shown      write each cell as the table shows it: Number, Money\n"
                    "                  and Date values through their column format, Checkbox\n"
                    "                  cells as True or False\n"
                    "  --roles LIST    delimited IN to vCard OUT: the columns of the street (the\n"
                    "                  first of street, city, state, zip code), phone, e-mail\n"
                    "                  and web site, numbers from 0 or titles joined by commas\n"
                    "                  (an empty item for none); without it the titles of\n"
                    "                  Google, Outlook, Thunderbird and plain English contact\n"
                    "                  exports are recognised, and other text is refused\n"
                    "  --strict        fail when delimited IN holds bytes that are not valid\n"
                    "                  UTF-8 (by default they become U+FFFD, with a warning)\n"
                    "PDF options:\n"
                    "  --labels FORMAT mailing labels in the standard 3-line pattern on\n"
                    "                  \"3 x 10\", \"2 x 10\" or \"2 x 5\" sheets, or on a maker's\n"
                    "                  sheet such as \"Avery L7160\" (from the glabels-data\n"
                    "                  package), instead of the print sheet\n"
                    "  --paper PAPER   a4 or letter (default: letter where the locale measures\n"
                    "                  in inches, a4 elsewhere); a maker's sheet has its own\n"
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
    std::optional<QStringList> roles;
    Vcard::Version vcardVersion = Vcard::Version::Same;
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
    if (n.contains(u'.') || n.contains(u'/'))
        return std::nullopt;
    if (n == u"pdf")
        return Format{};
    // The names are the extensions, and a few words for them.
    if (n == u"native")
        return Format{FileFormat::Native};
    if (n == u"comma")
        return Format{FileFormat::Comma};
    if (const std::optional<FileFormat> f = corvanta::formatOfPath(QStringLiteral("x.") + n))
        return Format{f};
    return std::nullopt;
}

std::optional<Format> formatOfPath(const QString& path)
{
    if (QFileInfo(path).suffix().toLower() == u"pdf")
        return Format{};
    if (const std::optional<FileFormat> f = corvanta::formatOfPath(path))
        return Format{f};
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
    if (f.is(FileFormat::Comma))
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
    const QCommandLineOption paper("paper", {}, "PAPER");
    const QCommandLineOption delimiter("delimiter", {}, "D");
    const QCommandLineOption vcardVersion("vcard-version", {}, "V");
    const QCommandLineOption roles("roles", {}, "LIST");
    parser.addOptions({help, version, noTitles, strict, asShown, from, to, layout, labels,
                       landscape, scale, columns, paper, delimiter, vcardVersion, roles});

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
                   last == u"--paper" ||
                   last == u"--delimiter" || last == u"--vcard-version" ||
                   last == u"--roles") {
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
    o.print.paper = PaperSize::forLocale(QLocale::system());
    if (parser.isSet(paper)) {
        const auto named = PaperSize::named(parser.value(paper));
        if (!named)
            return usageError(
                QStringLiteral("unknown paper '%1' (use a4 or letter)").arg(parser.value(paper)));
        o.print.paper = *named;
    }
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
    if (parser.isSet(roles)) {
        o.roles = parser.value(roles).split(u',');
        if (o.roles->size() != 4)
            return usageError(QStringLiteral("--roles needs four items: street,phone,email,web"));
    }
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
    if (o.from->isPdf())
        return usageError(QStringLiteral("cannot read PDF; IN must be native or delimited"));
    if (o.roles && ((!o.from->is(FileFormat::Comma) && !o.from->is(FileFormat::Tab)) ||
                    !o.to->is(FileFormat::Vcard)))
        return usageError(QStringLiteral("--roles needs delimited IN and vCard OUT"));
    const bool printOptions = parser.isSet(labels) || o.print.landscape || o.print.scale ||
                              o.print.columns || parser.isSet(paper);
    if (printOptions && !o.to->isPdf())
        return usageError(QStringLiteral("--labels, --paper, --landscape, --scale and --columns "
                                         "need a PDF output"));
    // Only a PDF reads the label sheets; other conversions need not load them.
    if (o.to->isPdf()) {
        if (const QString bad = PrintPdf::check(o.print, LabelTemplates::system()); !bad.isEmpty())
            return usageError(bad);
    }
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

// A column named by its number from 0 or by its title; -1 for an empty
// item, -2 for one the table does not have.
int columnNamed(const Table& table, const QString& item)
{
    const QString t = item.trimmed();
    if (t.isEmpty())
        return -1;
    bool ok = false;
    const int n = t.toInt(&ok);
    if (ok)
        return n >= 0 && n < table.colCount() ? n : -2;
    for (int c = 0; c < table.colCount(); ++c)
        if (table.text(0, c).trimmed().compare(t, Qt::CaseInsensitive) == 0)
            return c;
    return -2;
}

// Comma text from webmail and mail programs becomes contacts by what its
// titles say (or by the roles given): no name in an address, no phone lost.
int asContacts(const Options& o, Table& table)
{
    if (o.roles) {
        ContactCsv::Roles roles;
        int* const at[] = {&roles.street, &roles.phone, &roles.email, &roles.web};
        for (int i = 0; i < 4; ++i) {
            *at[i] = columnNamed(table, o.roles->at(i));
            if (*at[i] == -2)
                return usageError(
                    QStringLiteral("--roles: no column '%1' in %2")
                        .arg(o.roles->at(i).trimmed(), QDir::toNativeSeparators(o.in)));
        }
        table = ContactCsv::convert(table, nullptr, nullptr, &roles);
        return 0;
    }
    if (ContactCsv::recognise(table) == ContactCsv::Family::None)
        return fileError(o.in, QStringLiteral("the column titles name no contact fields; give "
                                              "the columns with --roles street,phone,email,web"));
    table = ContactCsv::convert(table, nullptr, nullptr);
    return 0;
}

int run(const Options& o)
{
    Table table;
    if (o.from->is(FileFormat::Native)) {
        if (const FileStatus s = NativeFile::load(o.in, table); !s)
            return fileError(o.in, userText(s));
    } else if (o.from->is(FileFormat::Vcard)) {
        Vcard::ReadInfo info;
        if (const FileStatus s = Vcard::load(o.in, table, &info); !s)
            return fileError(o.in, userText(s));
        if (info.repairedCards > 0)
            say(QStringLiteral("%1: warning: %2 without END:VCARD, closed where the next began")
                    .arg(QDir::toNativeSeparators(o.in))
                    .arg(info.repairedCards == 1
                             ? QStringLiteral("1 card")
                             : QStringLiteral("%1 cards").arg(info.repairedCards)));
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

    // What a card kept beyond its columns is vCard text: of use to a vCard
    // or a native document only.
    if (o.from->is(FileFormat::Vcard) && !o.to->is(FileFormat::Vcard) &&
        !o.to->is(FileFormat::Native)) {
        for (int c = table.colCount() - 1; c > 0; --c)
            if (Vcard::isKeptColumn(table, c))
                table.removeColumns(c, 1);
    }
    if ((o.from->is(FileFormat::Comma) || o.from->is(FileFormat::Tab)) &&
        o.to->is(FileFormat::Vcard)) {
        if (const int status = asContacts(o, table); status != 0)
            return status;
    }

    if (!o.layout.isEmpty()) {
        QFile file;
        if (const FileStatus s = openInputFile(file, o.layout); !s)
            return fileError(o.layout, userText(s));
        const QByteArray text = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return fileError(o.layout, file.errorString());
        if (const FileStatus s = LayoutFile::apply(text, table); !s)
            return fileError(o.layout, userText(s));
    }

    if (o.to->isPdf()) {
        const FileStatus s = PrintPdf::write(table, o.print, LabelTemplates::system(), o.out,
                                             QFileInfo(o.in).completeBaseName());
        if (s.code == FileStatus::NoSuchColumn)
            return usageError(userText(s));
        if (!s)
            return fileError(o.out, userText(s));
        return 0;
    }
    if (o.asShown)
        writeAsShown(table);

    const FileStatus saved =
        o.to->is(FileFormat::Native) ? NativeFile::save(table, o.out)
        : o.to->is(FileFormat::Vcard)
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
    if (args.contains(QStringLiteral("--sync")))
        return syncBook(args, argc, argv);
    Options options;
    const int status = parseArguments(args, options);
    if (status != 0)
        return status < 0 ? 0 : status;
    // Only PDF needs fonts and a paint engine; it draws without any screen.
    std::unique_ptr<QCoreApplication> app;
    if (options.to->isPdf()) {
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
