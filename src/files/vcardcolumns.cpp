#include "files/vcardcolumns.h"

#include <algorithm>
#include <array>

namespace corvanta::VcardColumns {

namespace {

constexpr std::array<const char*, kKinds> kTitles = {
    "Name",     "Street",       "City",      "State",    "Zip Code", "Country",
    "PO Box",   "Extended Address", "Phone", "Email",    "Web Site", "Organization",
    "Job Title", "Birthday",    "Nickname",  "Note",     "Address",  "",
};

struct LabelWord
{
    const char* type;
    const char* label;
};

// TYPE words and the words of a label, in the order a label puts them:
// where first, then what.
constexpr LabelWord kLabelWords[] = {
    {"HOME", "Home"},   {"WORK", "Work"},     {"OTHER", "Other"}, {"CELL", "Mobile"},
    {"IPHONE", "iPhone"}, {"MAIN", "Main"},   {"FAX", "Fax"},     {"PAGER", "Pager"},
    {"CAR", "Car"},     {"VIDEO", "Video"},   {"TEXT", "Text"},   {"MSG", "Message"},
    {"ISDN", "ISDN"},   {"MODEM", "Modem"},   {"BBS", "BBS"},     {"PCS", "PCS"},
    {"TEXTPHONE", "Textphone"}, {"DOM", "Domestic"}, {"INTL", "International"},
    {"POSTAL", "Postal"}, {"PARCEL", "Parcel"},
};

// Words that tell another program nothing a column needs to show.
bool silentType(QByteArrayView w)
{
    return w == "PREF" || w == "VOICE" || w == "INTERNET" || w == "X400" || w == "X-INTERNET";
}

} // namespace

int adrIndex(Kind part)
{
    switch (part) {
    case PoBox:
        return 0;
    case Extended:
        return 1;
    case Street:
        return 2;
    case City:
        return 3;
    case State:
        return 4;
    case Zip:
        return 5;
    default:
        return 6;
    }
}

QString title(Kind kind, QStringView label, int number)
{
    QString t = QString::fromLatin1(kTitles[size_t(kind)]);
    if (!label.isEmpty())
        t += QStringLiteral(" (") + label.toString() + QLatin1Char(')');
    if (number > 1)
        t += QLatin1Char(' ') + QString::number(number);
    return t;
}

Column parse(QStringView title)
{
    const QStringView t = title.trimmed();
    for (int k = 0; k < Other; ++k) {
        const QLatin1StringView name(kTitles[size_t(k)]);
        if (!t.startsWith(name, Qt::CaseInsensitive))
            continue;
        QStringView rest = t.sliced(name.size());
        Column c;
        c.kind = Kind(k);
        if (rest.startsWith(u" (")) {
            const qsizetype close = rest.lastIndexOf(u')');
            if (close < 2)
                continue;
            c.label = rest.sliced(2, close - 2).toString();
            rest = rest.sliced(close + 1);
        }
        if (!rest.isEmpty()) {
            bool ok = false;
            if (!rest.startsWith(u' ') || (c.number = rest.sliced(1).toInt(&ok), !ok) ||
                c.number < 2 || rest.sliced(1).startsWith(u'+') || rest.sliced(1).startsWith(u'0'))
                continue;
        }
        if (c.label.contains(u'(') || c.label.contains(u')'))
            continue;
        return c;
    }
    return {};
}

QString labelOfTypes(const QList<QByteArray>& upperWords)
{
    QStringList words;
    for (const LabelWord& lw : kLabelWords)
        if (upperWords.contains(QByteArrayView(lw.type)))
            words << QLatin1StringView(lw.label);
    // Words no table knows keep their place after the known ones, as written.
    for (const QByteArray& w : upperWords) {
        if (silentType(w) || w.startsWith("X-") ||
            std::any_of(std::begin(kLabelWords), std::end(kLabelWords),
                        [&](const LabelWord& lw) { return w == lw.type; }))
            continue;
        // Brackets would end the label inside a title.
        QString word = QString::fromUtf8(w).toLower().replace(u'(', u'[').replace(u')', u']');
        if (!word.isEmpty())
            word[0] = word[0].toUpper();
        if (!words.contains(word))
            words << word;
    }
    return words.join(u' ');
}

QList<QByteArray> typesOfLabel(QStringView label, bool* known)
{
    QList<QByteArray> out;
    *known = true;
    for (QStringView w : label.split(u' ', Qt::SkipEmptyParts)) {
        const auto it = std::find_if(std::begin(kLabelWords), std::end(kLabelWords),
                                     [&](const LabelWord& lw) {
                                         return w.compare(QLatin1StringView(lw.label),
                                                          Qt::CaseInsensitive) == 0;
                                     });
        if (it == std::end(kLabelWords)) {
            *known = false;
            return {};
        }
        out << QByteArray(it->type);
    }
    return out;
}

bool Plan::isRoleColumn(int col) const
{
    return roleKind(col) != Other;
}

Kind Plan::roleKind(int col) const
{
    if (col == 0)
        return Name;
    if (col == phone)
        return Phone;
    if (col == mail)
        return Email;
    if (col == web)
        return Web;
    if (street >= 0 && col >= street && col < street + 4)
        return Kind(Street + (col - street));
    return Other;
}

Plan planFor(const ColumnRoles& roles)
{
    Plan p;
    std::array<bool, kMaxRoleColumn + 4> taken{};
    taken[0] = true;
    // The first role to claim a column keeps it.
    auto claim = [&](int at, int span) {
        if (at < 1 || at + span - 1 > kMaxRoleColumn)
            return -1;
        for (int c = at; c < at + span; ++c)
            if (taken[size_t(c)])
                return -1;
        for (int c = at; c < at + span; ++c)
            taken[size_t(c)] = true;
        return at;
    };
    p.street = claim(roles.map, 4);
    p.phone = claim(roles.phone, 1);
    p.mail = claim(roles.mail, 1);
    p.web = claim(roles.website, 1);
    return p;
}

} // namespace corvanta::VcardColumns
