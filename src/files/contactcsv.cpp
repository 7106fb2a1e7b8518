#include "files/contactcsv.h"

#include "files/vcardcard.h"
#include "files/vcardcolumns.h"
#include "files/vcardvalues.h"
#include "grid/table.h"

#include <QHash>
#include <QRegularExpression>

#include <array>
#include <vector>

namespace corvanta::ContactCsv {

using namespace VcardColumns;

namespace {

enum NamePart { NoName = -1, Prefix, Given, Middle, Family_, Suffix, Full };

// What one source column holds.
struct Source
{
    Kind kind = Other; // Other: kept under its own title
    QString label;
    NamePart name = NoName;
    int google = 0;          // Google's "Phone 2 - Value": 2
    bool googleLabel = false; // Google's "Phone 2 - Label" (or "- Type")
    int birthPart = -1;       // Thunderbird's Birth Year (0), Month (1), Day (2)
    bool skip = false;        // said again by other columns (Google's "Formatted")
};

const QHash<QString, NamePart>& nameTitles()
{
    static const QHash<QString, NamePart> t = {
        {"name", Full},          {"full name", Full},        {"display name", Full},
        {"first name", Given},   {"given name", Given},      {"middle name", Middle},
        {"additional name", Middle}, {"last name", Family_},  {"family name", Family_},
        {"surname", Family_},    {"name prefix", Prefix},
        {"name suffix", Suffix}, {"suffix", Suffix},
    };
    return t;
}

// Titles of one kind, without a place ("Home", "Business") before them.
const QHash<QString, std::pair<Kind, QString>>& plainTitles()
{
    static const QHash<QString, std::pair<Kind, QString>> t = {
        {"street", {Street, {}}},        {"address", {Street, {}}},
        {"street address", {Street, {}}}, {"street 2", {Extended, {}}},
        {"street 3", {Extended, {}}},    {"address 2", {Extended, {}}},
        {"city", {City, {}}},            {"town", {City, {}}},
        {"state", {State, {}}},          {"region", {State, {}}},
        {"province", {State, {}}},       {"zip", {Zip, {}}},
        {"zip code", {Zip, {}}},         {"zipcode", {Zip, {}}},
        {"postal code", {Zip, {}}},      {"postcode", {Zip, {}}},
        {"country", {Country, {}}},      {"country/region", {Country, {}}},
        {"address po box", {PoBox, {}}}, {"po box", {PoBox, {}}},
        {"phone", {Phone, {}}},          {"telephone", {Phone, {}}},
        {"phone number", {Phone, {}}},   {"primary phone", {Phone, "Main"}},
        {"mobile", {Phone, "Mobile"}},   {"mobile phone", {Phone, "Mobile"}},
        {"mobile number", {Phone, "Mobile"}}, {"cell phone", {Phone, "Mobile"}},
        {"fax", {Phone, "Fax"}},         {"fax number", {Phone, "Fax"}},
        {"pager", {Phone, "Pager"}},     {"pager number", {Phone, "Pager"}},
        {"car phone", {Phone, "Car"}},   {"company main phone", {Phone, "Work Main"}},
        {"assistant's phone", {Phone, "Assistant"}}, {"isdn", {Phone, "ISDN"}},
        {"callback", {Phone, "Callback"}}, {"radio phone", {Phone, "Radio"}},
        {"tty/tdd phone", {Phone, "Textphone"}}, {"telex", {Phone, "Telex"}},
        {"e-mail", {Email, {}}},         {"email", {Email, {}}},
        {"e-mail address", {Email, {}}}, {"email address", {Email, {}}},
        {"primary email", {Email, {}}},  {"secondary email", {Email, {}}},
        {"e-mail 2 address", {Email, {}}}, {"e-mail 3 address", {Email, {}}},
        {"web page", {Web, {}}},         {"web site", {Web, {}}},
        {"website", {Web, {}}},          {"url", {Web, {}}},
        {"web page 1", {Web, {}}},       {"web page 2", {Web, {}}},
        {"company", {Organization, {}}}, {"organization", {Organization, {}}},
        {"organization name", {Organization, {}}}, {"job title", {JobTitle, {}}},
        {"organization title", {JobTitle, {}}}, {"birthday", {Birthday, {}}},
        {"nickname", {Nickname, {}}},    {"notes", {Note, {}}},
        {"note", {Note, {}}},
    };
    return t;
}

// The places mail programs put before a field: "Home Street", "Business Fax".
const std::array<std::pair<const char*, const char*>, 4> kPlaces = {{
    {"home ", "Home"}, {"business ", "Work"}, {"work ", "Work"}, {"other ", "Other"},
}};

Source classify(const QString& rawTitle, bool outlook)
{
    static const QRegularExpression google(
        QStringLiteral("^(e-mail|phone|address|website|organization) (\\d+) - (.+)$"),
        QRegularExpression::CaseInsensitiveOption);
    const QString t = rawTitle.simplified().toLower();
    Source s;
    if (const auto m = google.match(t); m.hasMatch()) {
        const QString what = m.captured(1);
        const QString field = m.captured(3);
        s.google = m.captured(2).toInt();
        if (field == u"type" || field == u"label") {
            s.googleLabel = true;
            s.kind = what == u"e-mail" ? Email
                     : what == u"phone" ? Phone
                     : what == u"website" ? Web
                     : what == u"address" ? Street
                                          : Other;
            if (s.kind == Other)
                s = {};
            return s;
        }
        if (what == u"organization") {
            s.google = 0;
            if (field == u"name")
                s.kind = Organization;
            else if (field == u"title")
                s.kind = JobTitle;
            return s;
        }
        if (what == u"address") {
            static const QHash<QString, Kind> parts = {
                {"street", Street}, {"city", City},       {"po box", PoBox},
                {"region", State},  {"postal code", Zip}, {"country", Country},
                {"extended address", Extended},
            };
            if (field == u"formatted")
                s.skip = true;
            else if (parts.contains(field))
                s.kind = parts.value(field);
            else
                s = {};
            return s;
        }
        if (field == u"value")
            s.kind = what == u"e-mail" ? Email : what == u"phone" ? Phone : Web;
        else
            s = {};
        return s;
    }
    // Outlook's "Title" is the one before the name; elsewhere, the job's.
    if (t == u"title") {
        if (outlook)
            s.name = Prefix;
        else
            s.kind = JobTitle;
        return s;
    }
    // The titles this program gives its own columns.
    if (const Column own = parse(rawTitle);
        own.kind != Other && own.kind != Name && !nameTitles().contains(t)) {
        s.kind = own.kind == Address ? Street : own.kind;
        s.label = own.label;
        return s;
    }
    if (nameTitles().contains(t)) {
        s.name = nameTitles().value(t);
        return s;
    }
    if (t == u"birth year" || t == u"birth month" || t == u"birth day") {
        s.birthPart = t == u"birth year" ? 0 : t == u"birth month" ? 1 : 2;
        return s;
    }
    QString rest = t;
    QString place;
    for (const auto& [prefix, label] : kPlaces) {
        if (t.startsWith(QLatin1StringView(prefix))) {
            rest = t.sliced(qstrlen(prefix));
            place = QLatin1StringView(label);
            break;
        }
    }
    // "Home Phone 2": another home phone.
    static const QRegularExpression numbered(QStringLiteral("^(.+) \\d$"));
    const QString base = numbered.match(rest).hasMatch() && !plainTitles().contains(rest)
                             ? numbered.match(rest).captured(1)
                             : rest;
    if (!plainTitles().contains(base))
        return {};
    const auto& [kind, label] = plainTitles().value(base);
    if (!place.isEmpty() && kind != Phone && kind != Email && kind != Web && !isAddressPart(kind))
        return {};
    s.kind = kind;
    s.label = place;
    if (!label.isEmpty())
        s.label = place.isEmpty() ? label : place + u' ' + label;
    // "Home Phone" and "Home Fax" are the same place's phone and fax.
    if (s.label == u"Work Work Main")
        s.label = QStringLiteral("Work Main");
    return s;
}

bool hasTitle(const Table& t, const char* title)
{
    for (int c = 0; c < t.colCount(); ++c)
        if (t.text(0, c).simplified().compare(QLatin1StringView(title), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isOutlook(const Table& t)
{
    return hasTitle(t, "E-mail Address") || hasTitle(t, "Business Street");
}

// Google writes "* Mobile" for the first of a kind, and lower case for its
// own words.
QString googleLabel(QStringView raw)
{
    QString l = raw.trimmed().toString();
    if (l.startsWith(u"* "))
        l = l.sliced(2);
    l.replace(u'(', u'[').replace(u')', u']');
    l = l.simplified();
    if (!l.isEmpty())
        l[0] = l[0].toUpper();
    return l;
}

// The values of a cell that holds several, as Google writes them.
std::vector<QByteArrayView> values(QByteArrayView cell)
{
    std::vector<QByteArrayView> out;
    for (;;) {
        const qsizetype at = cell.indexOf(" ::: ");
        const QByteArrayView v = (at < 0 ? cell : cell.first(at)).trimmed();
        if (!v.isEmpty())
            out.push_back(v);
        if (at < 0)
            return out;
        cell = cell.sliced(at + 5);
    }
}

} // namespace

QString familyName(Family family)
{
    switch (family) {
    case Family::Google:
        return QStringLiteral("Google CSV");
    case Family::Outlook:
        return QStringLiteral("Outlook CSV");
    case Family::Thunderbird:
        return QStringLiteral("Thunderbird CSV");
    case Family::Plain:
        return QStringLiteral("contact titles");
    case Family::None:
        break;
    }
    return {};
}

Family recognise(const Table& source)
{
    int named = 0;
    int contact = 0;
    bool google = false;
    const bool outlook = isOutlook(source);
    for (int c = 0; c < source.colCount(); ++c) {
        const Source s = classify(source.text(0, c), outlook);
        google = google || s.google > 0;
        if (s.name != NoName)
            ++named;
        else if (s.kind != Other || s.birthPart >= 0)
            ++contact;
    }
    if (google && (named > 0 || contact > 1))
        return Family::Google;
    if (outlook)
        return Family::Outlook;
    if (hasTitle(source, "Primary Email") || hasTitle(source, "Work ZipCode"))
        return Family::Thunderbird;
    // Plain titles: a name and one way to reach the person, or three fields.
    if ((named > 0 && contact > 0) || contact >= 3)
        return Family::Plain;
    return Family::None;
}

Table convert(const Table& source, ColumnRoles* layout, Report* report, const Roles* roles)
{
    std::vector<Source> cols(size_t(source.colCount()));
    const bool outlook = isOutlook(source);
    for (int c = 0; c < source.colCount(); ++c) {
        if (!roles) {
            cols[size_t(c)] = classify(source.text(0, c), outlook);
            continue;
        }
        Source& s = cols[size_t(c)];
        if (c == 0)
            s.name = Full;
        else if (roles->street >= 0 && c >= roles->street && c < roles->street + 4)
            s.kind = Kind(Street + (c - roles->street));
        else if (c == roles->phone)
            s.kind = Phone;
        else if (c == roles->email)
            s.kind = Email;
        else if (c == roles->web)
            s.kind = Web;
    }
    // A full date wins over its parts.
    int birth[3] = {-1, -1, -1};
    for (size_t c = 0; c < cols.size(); ++c)
        if (cols[c].birthPart >= 0)
            birth[cols[c].birthPart] = int(c);
    const bool birthDate = birth[0] >= 0 && birth[1] >= 0 && birth[2] >= 0;
    // Google's labels: "Phone 2 - Label" says what "Phone 2 - Value" is.
    QHash<std::pair<int, int>, int> googleLabels; // kind, index -> column
    for (size_t c = 0; c < cols.size(); ++c)
        if (cols[c].googleLabel)
            googleLabels.insert({int(cols[c].kind), cols[c].google}, int(c));

    VcardCards::TableBuilder builder;
    // The columns in the order the file has them, before any record.
    auto titleOf = [&](const Source& s) { return title(s.kind, s.label, 1); };
    builder.put(title(Name), {});
    for (size_t c = 0; c < cols.size(); ++c) {
        const Source& s = cols[c];
        const QString src = source.text(0, int(c));
        if (s.skip || s.googleLabel || (s.name != NoName) || (s.birthPart >= 0 && birthDate))
            continue;
        if (s.kind == Other)
            builder.putCustom(src.toUtf8(), 1, -1, {});
        else if (s.google == 0)
            builder.put(titleOf(s), {});
    }
    if (birthDate)
        builder.put(title(Birthday), {});
    builder.endCard();

    Report r;
    r.family = roles ? Family::None : recognise(source);
    for (size_t c = 0; c < cols.size(); ++c) {
        const Source& s = cols[c];
        const QString src = source.text(0, int(c));
        if (s.skip || s.googleLabel)
            continue;
        if (s.name != NoName)
            r.recognised << src + QStringLiteral(" -> ") + title(Name);
        else if (s.kind == Other && !(s.birthPart >= 0 && birthDate))
            ++r.kept;
        else if (s.birthPart >= 0)
            r.recognised << src + QStringLiteral(" -> ") + title(Birthday);
        else
            r.recognised << src + QStringLiteral(" -> ") +
                                (s.google > 0 ? title(s.kind, u"…") : titleOf(s));
    }

    // Where values go, found once: a slot is a kind with a label, and its
    // columns by number; Google's labels are the records' own, so theirs
    // are found by the label as written.
    struct Slot
    {
        Kind kind;
        QString label;
        std::vector<int> columns; // builder columns, by number - 1
    };
    std::vector<Slot> slotList;
    QHash<QString, int> slotOf; // title(kind, label) -> slot
    auto slotFor = [&](Kind kind, const QString& label) {
        const QString t = title(kind, label);
        if (const auto it = slotOf.constFind(t); it != slotOf.constEnd())
            return *it;
        slotList.push_back({kind, label, {}});
        slotOf.insert(t, int(slotList.size()) - 1);
        return int(slotList.size()) - 1;
    };
    auto columnOf = [&](int slot, int number) {
        std::vector<int>& columns = slotList[size_t(slot)].columns;
        while (int(columns.size()) < number) {
            const Slot& s = slotList[size_t(slot)];
            columns.push_back(builder.columnFor(title(s.kind, s.label, int(columns.size()) + 1)));
        }
        return columns[size_t(number - 1)];
    };
    QHash<std::pair<int, QByteArray>, std::pair<int, int>> googleSlots; // kind, label -> slotList
    // What each source column is, once: its slot (and its address's slot
    // for the numbering), or the column of its own title.
    struct Target
    {
        int slot = -1;
        int street = -1; // an address part's street slot: parts of one place share a number
        int custom = -1; // a column kept under its own title
        int googleLabel = -1;
        struct Seen
        {
            QByteArray raw; // the last Google label, and its slots
            int slot = -1, street = -1;
        } seen;
    };
    std::vector<Target> targets(cols.size());
    for (size_t c = 0; c < cols.size(); ++c) {
        const Source& s = cols[c];
        Target& t = targets[c];
        if (s.skip || s.googleLabel || s.name != NoName || s.birthPart >= 0)
            continue;
        if (s.kind == Other) {
            t.custom = builder.customColumnFor(source.text(0, int(c)).toUtf8(), 1, -1);
        } else if (s.google > 0) {
            t.googleLabel =
                googleLabels.value({int(isAddressPart(s.kind) ? Street : s.kind), s.google}, -1);
        } else {
            t.slot = slotFor(s.kind, s.label);
            if (isAddressPart(s.kind))
                t.street = slotFor(Street, s.label);
        }
    }
    static const QRegularExpression digit(QStringLiteral("[1-9]"));
    const int nameColumn = builder.columnFor(title(Name));
    const QByteArray nHead = "=" + title(Name).toUtf8() + "\tN:";
    int keptColumn = -2; // made with the first N

    std::vector<int> counts; // per slot, in the record being read
    std::vector<int> touched;
    // The numbers of a record's addresses: street slot, Google's n -> number.
    std::vector<std::pair<std::pair<int, int>, int>> addressNumber;
    auto next = [&](int slot) {
        if (size_t(slot) >= counts.size())
            counts.resize(slotList.size(), 0);
        if (counts[size_t(slot)]++ == 0)
            touched.push_back(slot);
        return counts[size_t(slot)];
    };
    for (int row = 1; row < source.rowCount(); ++row) {
        // The name: as written, or put together from its parts.
        QByteArrayView parts[5];
        QByteArrayView name;
        for (size_t c = 0; c < cols.size(); ++c) {
            const NamePart n = cols[c].name;
            if (n == Full && name.isEmpty())
                name = source.utf8(row, int(c)).trimmed();
            else if (n != NoName && n != Full && parts[n].isEmpty())
                parts[n] = source.utf8(row, int(c)).trimmed();
        }
        QByteArray joined;
        if (name.isEmpty()) {
            for (QByteArrayView p : parts) {
                if (p.isEmpty())
                    continue;
                if (!joined.isEmpty())
                    joined += ' ';
                joined += p;
            }
            name = joined;
        }
        builder.putAt(nameColumn, name);
        // The parts of the name are what a vCard's N says; the writer keeps
        // it while the name stands as it was.
        if (std::any_of(std::begin(parts), std::end(parts),
                        [](QByteArrayView p) { return !p.isEmpty(); })) {
            QByteArray n = nHead;
            for (int i : {Family_, Given, Middle, Prefix, Suffix}) {
                if (i != Family_)
                    n += ';';
                if (!parts[i].isEmpty())
                    n += VcardValues::escaped(parts[i]);
            }
            if (keptColumn == -2)
                keptColumn = builder.keptColumn();
            builder.putAt(keptColumn, n);
        }
        const size_t used = size_t(source.usedCols(row));
        for (size_t c = 0; c < used && c < cols.size(); ++c) {
            const Source& s = cols[c];
            const Target& t = targets[c];
            if (s.skip || s.googleLabel || s.name != NoName || s.birthPart >= 0)
                continue;
            const QByteArrayView text = source.utf8(row, int(c));
            if (text.isEmpty())
                continue;
            if (t.custom >= 0 || s.kind == Other) {
                builder.putAt(t.custom, text);
                continue;
            }
            // Outlook writes "0.0.00" (or "0/0/00") for no birthday.
            if (s.kind == Birthday && !QString::fromUtf8(text).contains(digit))
                continue;
            int slot = t.slot;
            int street = t.street;
            if (s.google > 0) {
                const QByteArrayView raw =
                    t.googleLabel < 0 ? QByteArrayView() : source.utf8(row, t.googleLabel);
                // Most records say the label the one before said.
                Target::Seen& seen = targets[c].seen;
                if (seen.slot < 0 || raw != seen.raw) {
                    const std::pair<int, QByteArray> key{int(s.kind), raw.toByteArray()};
                    auto it = googleSlots.constFind(key);
                    if (it == googleSlots.constEnd()) {
                        const QString label = googleLabel(QString::fromUtf8(raw));
                        it = googleSlots.insert(
                            key, {slotFor(s.kind, label),
                                  isAddressPart(s.kind) ? slotFor(Street, label) : -1});
                    }
                    seen = {key.second, it->first, it->second};
                }
                slot = seen.slot;
                street = seen.street;
            }
            if (street >= 0) {
                const std::pair<int, int> place{street, s.google};
                auto at = std::find_if(addressNumber.begin(), addressNumber.end(),
                                       [&](const auto& a) { return a.first == place; });
                if (at == addressNumber.end())
                    at = addressNumber.insert(addressNumber.end(), {place, next(street)});
                builder.putAt(columnOf(slot, at->second), text);
            } else if (s.kind == Phone || s.kind == Email || s.kind == Web) {
                for (QByteArrayView v : values(text))
                    builder.putAt(columnOf(slot, next(slot)), v);
            } else {
                builder.putAt(columnOf(slot, next(slot)), text);
            }
        }
        for (int slot : touched)
            counts[size_t(slot)] = 0;
        touched.clear();
        addressNumber.clear();
        if (birthDate) {
            const QString y = source.text(row, birth[0]), m = source.text(row, birth[1]),
                          d = source.text(row, birth[2]);
            if (!y.isEmpty() || !m.isEmpty() || !d.isEmpty())
                builder.put(title(Birthday),
                            QStringLiteral("%1-%2-%3")
                                .arg(y, 4, u'0')
                                .arg(m, 2, u'0')
                                .arg(d, 2, u'0')
                                .toUtf8());
        } else {
            for (int p : birth)
                if (p >= 0 && !source.isEmpty(row, p))
                    builder.putCustom(source.utf8(0, p).toByteArray(), 1, -1, source.utf8(row, p));
        }
        builder.endCard();
    }
    if (report)
        *report = r;
    return builder.finish(layout);
}

} // namespace corvanta::ContactCsv
