#include "files/vcardvalues.h"

#include <algorithm>

namespace corvanta::VcardValues {

using namespace VcardColumns;

QByteArray unescaped(QByteArrayView v)
{
    QByteArray out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (c == '\\' && i + 1 < v.size()) {
            const char next = v[++i];
            out += next == 'n' || next == 'N' ? '\n' : next;
            continue;
        }
        out += c;
    }
    return out;
}

std::vector<QByteArray> parts(QByteArrayView v)
{
    std::vector<QByteArray> out;
    qsizetype from = 0;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == '\\')
            ++i;
        else if (v[i] == ';') {
            out.push_back(unescaped(v.sliced(from, i - from)));
            from = i + 1;
        }
    }
    out.push_back(unescaped(v.sliced(std::min(from, v.size()))));
    return out;
}

void escapeInto(QByteArray& out, QByteArrayView v, Escape how)
{
    for (qsizetype i = 0; i < v.size(); ++i) {
        const char ch = v[i];
        switch (ch) {
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            if (i + 1 < v.size() && v[i + 1] == '\n')
                break;
            [[fallthrough]];
        case '\n':
            out += "\\n";
            break;
        case ',':
        case ';':
            if (how == Escape::Text)
                out += '\\';
            out += ch;
            break;
        default:
            out += ch;
        }
    }
}

QByteArray escaped(QByteArrayView v, Escape how)
{
    QByteArray out;
    out.reserve(v.size() + 8);
    escapeInto(out, v, how);
    return out;
}

namespace {

bool startsWithNoCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() &&
           text.first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0;
}

bool isDigits(QByteArrayView v)
{
    return !v.isEmpty() &&
           std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
}

constexpr QByteArrayView kExt = " ext. ";

} // namespace

QByteArray phoneOfUri(QByteArrayView v)
{
    if (!startsWithNoCase(v, "tel:"))
        return v.toByteArray();
    const QByteArrayView rest = v.sliced(4);
    const qsizetype semi = rest.indexOf(';');
    QByteArray out = rest.first(semi < 0 ? rest.size() : semi).toByteArray();
    if (semi < 0)
        return out;
    // Of the URI's parameters only the extension belongs to the number a
    // person dials; the others stay in the value the card keeps.
    for (QByteArrayView p : QByteArrayView(rest.sliced(semi + 1)).toByteArray().split(';')) {
        if (startsWithNoCase(p, "ext="))
            out += kExt.toByteArray() + p.sliced(4).toByteArray();
    }
    return out;
}

QByteArray uriOfPhone(QByteArrayView number)
{
    QByteArrayView main = number.trimmed();
    QByteArrayView ext;
    if (const qsizetype at = main.indexOf(kExt); at >= 0) {
        ext = main.sliced(at + kExt.size()).trimmed();
        main = main.first(at).trimmed();
        if (!isDigits(ext))
            return {};
    }
    QByteArray out = "tel:";
    for (qsizetype i = 0; i < main.size(); ++i) {
        const char c = main[i];
        if ((c >= '0' && c <= '9') || c == '-' || c == '.' || c == '(' || c == ')' ||
            (c == '+' && i == 0) || c == '*' || c == '#')
            out += c;
        else if (c == ' ')
            out += '-';
        else
            return {};
    }
    if (out.size() == 4)
        return {};
    if (!ext.isEmpty())
        out += ";ext=" + ext.toByteArray();
    return out;
}

QByteArray birthday(QByteArrayView v)
{
    const QByteArrayView t = v.trimmed();
    QByteArrayView d = t;
    if (const qsizetype at = d.indexOf('T'); at >= 0)
        d = d.first(at);
    if (d.size() == 8 && isDigits(d))
        return d.first(4).toByteArray() + '-' + d.sliced(4, 2).toByteArray() + '-' +
               d.sliced(6).toByteArray();
    if (d.size() == 10 && d[4] == '-' && d[7] == '-' && isDigits(d.first(4)) &&
        isDigits(d.sliced(5, 2)) && isDigits(d.sliced(8)))
        return d.toByteArray();
    return t.toByteArray();
}

QByteArray nameOfN(QByteArrayView rawN)
{
    const std::vector<QByteArray> p = parts(rawN);
    QByteArray out;
    for (size_t i : {3u, 1u, 2u, 0u, 4u}) {
        if (i >= p.size() || p[i].trimmed().isEmpty())
            continue;
        if (!out.isEmpty())
            out += ' ';
        out += p[i].trimmed();
    }
    return out;
}

QByteArray guessedN(QByteArrayView name)
{
    const QByteArrayView n = name.trimmed();
    const qsizetype space = n.lastIndexOf(' ');
    if (space < 0)
        return escaped(n) + ";;;;";
    return escaped(n.sliced(space + 1)) + ';' + escaped(n.first(space).trimmed()) + ";;;";
}

QByteArray cellText(Kind kind, QByteArrayView upperName, QByteArrayView raw, bool valueUri)
{
    if (upperName == "N")
        return nameOfN(raw);
    switch (kind) {
    case Organization: {
        QByteArray out;
        for (const QByteArray& unit : parts(raw)) {
            if (unit.isEmpty())
                continue;
            if (!out.isEmpty())
                out += ", ";
            out += unit;
        }
        return out;
    }
    case Birthday:
        return birthday(unescaped(raw));
    case Phone: {
        const QByteArray text = unescaped(raw);
        return valueUri || startsWithNoCase(text, "tel:") ? phoneOfUri(text) : text;
    }
    default:
        return unescaped(raw);
    }
}

QByteArray valueOf(Kind kind, QByteArrayView text, bool asUri)
{
    if (kind == Phone && asUri) {
        if (QByteArray uri = uriOfPhone(text); !uri.isEmpty())
            return uri;
    }
    return escaped(text, kind == Web ? Escape::Uri : Escape::Text);
}

QByteArray defaultHead(Kind kind, QStringView label, bool v4, bool uri)
{
    QByteArray head;
    switch (kind) {
    case Name:
        return "FN";
    case Phone:
        head = v4 && uri ? "TEL;VALUE=uri" : "TEL";
        break;
    case Email:
        head = "EMAIL";
        break;
    case Web:
        head = "URL";
        break;
    case Organization:
        return "ORG";
    case JobTitle:
        return "TITLE";
    case Birthday:
        return "BDAY";
    case Nickname:
        return "NICKNAME";
    case Note:
        return "NOTE";
    default:
        head = "ADR";
    }
    bool known = true;
    QList<QByteArray> types = typesOfLabel(label, &known);
    if (!known) {
        // A label of the user's own: its words as TYPE tokens, which a
        // reader shows as they were typed.
        types.clear();
        for (QStringView w : label.split(u' ', Qt::SkipEmptyParts)) {
            const QByteArray word = w.toUtf8().toUpper();
            if (std::all_of(word.begin(), word.end(), [](char c) {
                    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
                }))
                types << word;
        }
    }
    if (kind == Email && !v4)
        types.prepend("INTERNET");
    if (!types.isEmpty())
        head += ";TYPE=" + types.join(',');
    return head;
}

} // namespace corvanta::VcardValues
