#include "printing/labelsheet.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace corvanta {

namespace {

// The smallest margin text keeps from a label's edge, whatever the maker
// says: a sixteenth of an inch.
constexpr int kMinTextMargin = 90;
// A template file is a few hundred kilobytes; anything far larger is not one.
constexpr qint64 kMaxFileBytes = 16 << 20;

QByteArray readSmallFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxFileBytes)
        return {};
    // Read what is there, not the cap: a buffer of the cap for every sheet
    // file made each start of the converter slow under the sanitizers.
    return f.read(f.size());
}

// Paper ids of "paper-sizes.xml" ("A4", "US-Letter") with their sizes.
QHash<QString, PaperSize> paperSizes(const QString& folder)
{
    QHash<QString, PaperSize> sizes;
    QXmlStreamReader xml(readSmallFile(QDir(folder).filePath(QStringLiteral("paper-sizes.xml"))));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Paper-size") {
            const auto a = xml.attributes();
            PaperSize p{a.value(QLatin1StringView("_name")).toString(), twipsOfLength(a.value(QLatin1StringView("width"))),
                        twipsOfLength(a.value(QLatin1StringView("height")))};
            if (p.width > 0 && p.height > 0)
                sizes.insert(a.value(QLatin1StringView("id")).toString(), p);
        }
    }
    // The two everyone has, also when the file is missing.
    sizes.insert(QStringLiteral("A4"), PaperSize::a4());
    sizes.insert(QStringLiteral("US-Letter"), PaperSize::letter());
    return sizes;
}

struct Pending
{
    LabelSheet sheet;
    QString equiv; // the product of the same maker whose layout this one shares
};

// Reads one template file's <Template> elements.
void readTemplates(const QByteArray& bytes, const QHash<QString, PaperSize>& papers,
                   std::vector<Pending>& out)
{
    QXmlStreamReader xml(bytes);
    Pending current;
    bool inTemplate = false;
    bool usable = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"Template") {
            if (inTemplate && (usable || !current.equiv.isEmpty()))
                out.push_back(current);
            inTemplate = false;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (xml.name() == u"Template") {
            current = Pending();
            inTemplate = true;
            usable = false;
            LabelSheet& s = current.sheet;
            s.maker = a.value(QLatin1StringView("brand")).toString().simplified();
            s.product = a.value(QLatin1StringView("part")).toString().simplified();
            s.name = s.maker + u' ' + s.product;
            s.description = (a.hasAttribute(QLatin1StringView("_description"))
                                 ? a.value(QLatin1StringView("_description"))
                                 : a.value(QLatin1StringView("description")))
                                .toString();
            current.equiv = a.value(QLatin1StringView("equiv")).toString().simplified();
            const QString size = a.value(QLatin1StringView("size")).toString();
            if (size == u"Other") {
                s.paper = {QString(), twipsOfLength(a.value(QLatin1StringView("width"))),
                           twipsOfLength(a.value(QLatin1StringView("height")))};
            } else if (papers.contains(size)) {
                s.paper = papers.value(size);
            } else if (current.equiv.isEmpty()) {
                s.paper = {};
                s.paper.width = -1;
            }
        } else if (inTemplate && xml.name() == u"Label-rectangle") {
            LabelSheet& s = current.sheet;
            s.labelWidth = twipsOfLength(a.value(QLatin1StringView("width")));
            s.labelHeight = twipsOfLength(a.value(QLatin1StringView("height")));
            usable = s.labelWidth > 0 && s.labelHeight > 0 && s.paper.width > 0 &&
                     s.paper.height > 0;
            s.textMargin = kMinTextMargin;
        } else if (inTemplate && usable && xml.name() == u"Markup-margin") {
            current.sheet.textMargin =
                std::max(kMinTextMargin, twipsOfLength(a.value(QLatin1StringView("size"))));
        } else if (inTemplate && usable && xml.name() == u"Layout") {
            const int nx = a.value(QLatin1StringView("nx")).toInt();
            const int ny = a.value(QLatin1StringView("ny")).toInt();
            const int x0 = twipsOfLength(a.value(QLatin1StringView("x0")));
            const int y0 = twipsOfLength(a.value(QLatin1StringView("y0")));
            const int dx = twipsOfLength(a.value(QLatin1StringView("dx")));
            const int dy = twipsOfLength(a.value(QLatin1StringView("dy")));
            // A sheet of more than a few hundred labels is not a sheet.
            if (nx < 1 || ny < 1 || nx * ny > 1000 || x0 < 0 || y0 < 0 || dx < 0 || dy < 0) {
                usable = false;
                continue;
            }
            LabelSheet& s = current.sheet;
            for (int j = 0; j < ny; ++j)
                for (int i = 0; i < nx; ++i)
                    s.labels.push_back({x0 + i * dx, y0 + j * dy, s.labelWidth, s.labelHeight});
        } else if (inTemplate && (xml.name() == u"Label-round" || xml.name() == u"Label-ellipse" ||
                                  xml.name() == u"Label-cd")) {
            // An address needs lines of text side by side: round labels and
            // discs are not offered.
            usable = false;
            current.equiv.clear();
        }
    }
}

} // namespace

int LabelSheet::across() const
{
    if (labels.empty())
        return 0;
    return int(std::count_if(labels.begin(), labels.end(),
                             [&](const LabelRect& r) { return r.y == labels.front().y; }));
}

int twipsOfLength(QStringView text)
{
    text = text.trimmed();
    qsizetype end = 0;
    while (end < text.size() && (text[end].isDigit() || text[end] == u'.' || text[end] == u'-'))
        ++end;
    bool ok = false;
    const double value = text.left(end).toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0 || value > 1e5)
        return -1;
    const QStringView unit = text.mid(end).trimmed();
    double perUnit = 0;
    if (unit.isEmpty() || unit == u"pt")
        perUnit = 20;
    else if (unit == u"in")
        perUnit = 1440;
    else if (unit == u"mm")
        perUnit = 1440 / 25.4;
    else if (unit == u"cm")
        perUnit = 1440 / 2.54;
    else if (unit == u"pc")
        perUnit = 240;
    else
        return -1;
    return int(std::lround(value * perUnit));
}

QString LabelTemplates::defaultFolder()
{
    return QStringLiteral("/usr/share/libglabels-3.0/templates");
}

const LabelTemplates& LabelTemplates::system()
{
    static const LabelTemplates library = load(defaultFolder());
    return library;
}

LabelTemplates LabelTemplates::load(const QString& folder)
{
    const QDir dir(folder);
    const QHash<QString, PaperSize> papers = paperSizes(folder);
    std::vector<Pending> pending;
    for (const QString& file :
         dir.entryList({QStringLiteral("*-templates.xml")}, QDir::Files, QDir::Name))
        readTemplates(readSmallFile(dir.filePath(file)), papers, pending);

    // A product that names an equivalent takes its layout from that product
    // of the same maker, keeping its own name.
    QHash<QString, const LabelSheet*> byName;
    for (const Pending& p : pending)
        if (p.equiv.isEmpty() && !p.sheet.labels.empty())
            byName.insert(p.sheet.name.toCaseFolded(), &p.sheet);
    LabelTemplates library;
    QSet<QString> seen;
    for (const Pending& p : pending) {
        LabelSheet sheet = p.sheet;
        if (!p.equiv.isEmpty()) {
            const LabelSheet* base = byName.value((sheet.maker + u' ' + p.equiv).toCaseFolded());
            if (!base)
                continue;
            const LabelSheet own = sheet;
            sheet = *base;
            sheet.name = own.name;
            sheet.maker = own.maker;
            sheet.product = own.product;
            if (!own.description.isEmpty())
                sheet.description = own.description;
        }
        if (sheet.labels.empty() || seen.contains(sheet.name.toCaseFolded()))
            continue;
        seen.insert(sheet.name.toCaseFolded());
        std::stable_sort(sheet.labels.begin(), sheet.labels.end(),
                         [](const LabelRect& a, const LabelRect& b) {
                             return a.y != b.y ? a.y < b.y : a.x < b.x;
                         });
        library.m_sheets.push_back(std::move(sheet));
    }
    // Products sort by their numbers: 5160 before 15160. (The C locale's
    // collator would compare code points.)
    QCollator order{QLocale(QLocale::English, QLocale::UnitedStates)};
    order.setNumericMode(true);
    order.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(library.m_sheets.begin(), library.m_sheets.end(),
              [&order](const LabelSheet& a, const LabelSheet& b) {
                  if (const int c = order.compare(a.maker, b.maker); c != 0)
                      return c < 0;
                  return order.compare(a.product, b.product) < 0;
              });
    return library;
}

QStringList LabelTemplates::makers() const
{
    QStringList out;
    // One entry for a maker the files spell in two ways ("APLI", "Apli").
    for (const LabelSheet& s : m_sheets)
        if (out.isEmpty() || out.last().compare(s.maker, Qt::CaseInsensitive) != 0)
            out.append(s.maker);
    return out;
}

const LabelSheet* LabelTemplates::named(const QString& name) const
{
    const QString wanted = name.simplified();
    for (const LabelSheet& s : m_sheets)
        if (s.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

} // namespace corvanta
