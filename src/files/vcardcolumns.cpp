#include "files/vcardcolumns.h"

#include "table/addressdefaults.h"

#include <algorithm>
#include <array>

namespace corvanta::VcardColumns {

namespace {

constexpr std::array<const char*, kKinds> kTitles = {
    "Country", "Organization", "Job Title", "Birthday", "Nickname", "Phone",
    "Email",   "Web Site",     "Address",   "Note",     "",
};

} // namespace

bool Plan::isRoleColumn(int col) const
{
    return col == 0 || col == phone || col == mail || col == web ||
           (street >= 0 && col >= street && col < street + 4);
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
    p.baseCols =
        std::max({AddressDefaults::ColCount, p.street + 4, p.phone + 1, p.mail + 1, p.web + 1});
    return p;
}

bool isRepeated(Kind kind)
{
    return kind == Phone || kind == Email || kind == Web || kind == Address;
}

QString title(Kind kind, int number)
{
    const QString plain = QString::fromLatin1(kTitles[size_t(kind)]);
    return number <= 1 ? plain : plain + QLatin1Char(' ') + QString::number(number);
}

Kind kindOfTitle(QStringView title, int* number)
{
    const QStringView t = title.trimmed();
    for (int k = 0; k < Other; ++k) {
        const auto kind = Kind(k);
        const QLatin1StringView name(kTitles[size_t(k)]);
        if (t.compare(name, Qt::CaseInsensitive) == 0) {
            if (number)
                *number = 1;
            return kind;
        }
        if (!isRepeated(kind) || t.size() <= name.size() + 1 ||
            !t.startsWith(name, Qt::CaseInsensitive) || t[name.size()] != u' ')
            continue;
        bool ok = false;
        const int n = t.sliced(name.size() + 1).toInt(&ok);
        if (ok && n >= 2) {
            if (number)
                *number = n;
            return kind;
        }
    }
    return Other;
}

} // namespace corvanta::VcardColumns
