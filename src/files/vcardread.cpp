// The vCard reader: 2.1, 3.0 and 4.0 cards into an address table. The
// mapping to columns is in docs/vcard.md; where a card is damaged the
// reader takes what it can and goes on, and it never builds a table wider
// or longer than Table allows. What a card holds that no column shows is
// kept with its record, so that a card read and written comes back whole.
#include "files/safefile.h"
#include "files/vcard.h"
#include "files/vcardcard.h"
#include "files/vcardcolumns.h"
#include "files/vcardvalues.h"
#include "grid/table.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <map>
#include <new>
#include <vector>

namespace corvanta::Vcard {

namespace {

using namespace VcardColumns;
using namespace VcardValues;
using VcardCards::TableBuilder;

// The product name this program's writer puts in every card: its cards
// keep empty values, which hold the place of an empty column.
constexpr QByteArrayView kOwnProduct = "-//Corvanta//Corvanta Address Book 1.0//EN";

bool equalsNoCase(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

bool containsNoCase(QByteArrayView text, QByteArrayView word)
{
    for (qsizetype i = 0; i + word.size() <= text.size(); ++i)
        if (equalsNoCase(text.sliced(i, word.size()), word))
            return true;
    return false;
}

QByteArrayView unquoted(QByteArrayView v)
{
    v = v.trimmed();
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
        return v.sliced(1, v.size() - 2);
    return v;
}

// RFC 6868: ^n a line break, ^' a double quote, ^^ a caret.
QByteArray caretDecoded(QByteArrayView v)
{
    QByteArray out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == '^' && i + 1 < v.size()) {
            const char next = v[i + 1];
            if (next == 'n' || next == 'N' || next == '\'' || next == '^') {
                out += next == '^' ? '^' : next == '\'' ? '"' : '\n';
                ++i;
                continue;
            }
        }
        out += v[i];
    }
    return out;
}

// Calls `part` with each piece of `text` between `sep`s outside double
// quotes.
template <typename F> void splitOutsideQuotes(QByteArrayView text, char sep, F part)
{
    bool quoted = false;
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == sep && !quoted) {
            part(text.sliced(from, i - from));
            from = i + 1;
        }
    }
    part(text.sliced(from));
}

// One property as the card holds it: its head (group, name and the
// parameters that still mean something once the value is UTF-8 text in
// 3.0 syntax) and its value in that syntax.
struct Property
{
    QByteArray group, name; // name in upper case
    QByteArray head;
    QByteArray value;
    QList<QByteArray> types; // upper case
    bool base64 = false;
    bool valueUri = false;
    QByteArray xTitle;
    int xColumn = -1;
};

// The head and value as the line has them, before decoding.
struct RawLine
{
    QByteArrayView nameAndGroup;
    QByteArrayView value;
    std::vector<QByteArrayView> params;
};

bool splitLine(QByteArrayView line, RawLine& out)
{
    // The colon that ends the name and parameters; a parameter value in
    // quotes may hold one. A stray quote falls back to the first colon.
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size() && colon < 0; ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            colon = i;
    }
    if (colon < 0)
        colon = line.indexOf(':');
    if (colon < 0)
        return false;
    out.value = line.sliced(colon + 1);
    out.params.clear();
    bool first = true;
    splitOutsideQuotes(line.first(colon), ';', [&](QByteArrayView seg) {
        if (std::exchange(first, false))
            out.nameAndGroup = seg.trimmed();
        else if (!seg.trimmed().isEmpty())
            out.params.push_back(seg.trimmed());
    });
    return true;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray quotedPrintableDecoded(QByteArrayView v)
{
    QByteArray out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == '=' && i + 2 < v.size() && hexDigit(v[i + 1]) >= 0 && hexDigit(v[i + 2]) >= 0) {
            out += char(hexDigit(v[i + 1]) * 16 + hexDigit(v[i + 2]));
            i += 2;
            continue;
        }
        out += v[i];
    }
    return out;
}

// The physical lines of the text, each without its CRLF, LF or lone CR.
class Lines
{
  public:
    explicit Lines(QByteArrayView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    // The next line starts with a space or TAB: it continues this one.
    bool folded() const
    {
        return m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t');
    }
    QByteArrayView next()
    {
        const QByteArrayView line = peek();
        m_pos = m_after;
        return line;
    }
    QByteArrayView peek()
    {
        const char* d = m_text.data();
        const qsizetype n = m_text.size();
        qsizetype i = m_pos;
        while (i < n && d[i] != '\n' && d[i] != '\r')
            ++i;
        const QByteArrayView line(d + m_pos, i - m_pos);
        if (i < n)
            i += (d[i] == '\r' && i + 1 < n && d[i + 1] == '\n') ? 2 : 1;
        m_after = i;
        return line;
    }

  private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
    qsizetype m_after = 0;
};

QByteArray windows1252(QByteArrayView bytes)
{
    QStringDecoder dec("windows-1252", QStringDecoder::Flag::Stateless);
    return dec.isValid() ? QString(dec(bytes)).toUtf8() : QString::fromLatin1(bytes).toUtf8();
}

// Bytes in no charset of their own: UTF-8, each bad byte U+FFFD, when at
// most one in ten of the non-ASCII bytes is bad (as comma text is read);
// otherwise the windows-1252 of older programs.
QByteArray guessedText(QByteArrayView bytes)
{
    if (Table::isValidUtf8(bytes))
        return bytes.toByteArray();
    const QString text = QString::fromUtf8(bytes);
    const qsizetype nonAscii =
        std::count_if(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x80; });
    // A short value has few non-ASCII bytes: it is UTF-8 when its valid
    // sequences outnumber the bad bytes, which windows-1252 text never
    // shows (a letter there is followed by letters, not 0x80-0xBF bytes).
    const qsizetype marks = text.count(QChar(0xFFFD)) - bytes.count("\xEF\xBF\xBD");
    const qsizetype valid = std::count_if(text.begin(), text.end(), [](QChar c) {
        return c.unicode() >= 0x80 && c.unicode() != 0xFFFD;
    });
    return marks * 10 <= nonAscii || valid > marks ? text.toUtf8() : windows1252(bytes);
}

bool wideCharset(QByteArrayView name)
{
    return containsNoCase(name, "UTF-16") || containsNoCase(name, "UTF16") ||
           containsNoCase(name, "UTF-32") || containsNoCase(name, "UCS-");
}

class CardReader
{
  public:
    explicit CardReader(TableBuilder& builder) : m_builder(builder) {}
    FileStatus read(QByteArrayView text, ReadInfo* info);

  private:
    // The next logical line: folds undone and, for quoted-printable values,
    // soft line breaks ("=" at the end) joined.
    QByteArrayView logicalLine(Lines& lines);
    QByteArray toUtf8(QByteArrayView bytes, QByteArrayView charset);
    bool decodeLine(QByteArrayView line, Lines& lines, Property& p);
    FileStatus endCard();
    void mapCard();

    TableBuilder& m_builder;
    QByteArray m_line;
    RawLine m_raw;
    std::map<QByteArray, QStringDecoder> m_decoders;
    std::vector<Property> m_card;
    bool m_v21 = false;
    bool m_v4 = false;
};

QByteArrayView CardReader::logicalLine(Lines& lines)
{
    const QByteArrayView first = lines.next();
    if (!lines.folded() && !first.endsWith('='))
        return first;
    m_line = first.toByteArray();
    // Whether the value is quoted-printable is known once the colon is
    // seen; the search goes on where it stopped, so a long line costs one
    // pass.
    qsizetype scanned = 0;
    int qp = -1;
    for (;;) {
        if (qp < 0) {
            const qsizetype colon = m_line.indexOf(':', scanned);
            scanned = m_line.size();
            if (colon >= 0)
                qp = containsNoCase(QByteArrayView(m_line).first(colon), "QUOTED-PRINTABLE");
        }
        if (qp == 1 && m_line.endsWith('=') && !lines.atEnd()) {
            m_line.chop(1);
            m_line += lines.next();
        } else if (lines.folded()) {
            m_line += lines.next().sliced(1);
        } else {
            return m_line;
        }
    }
}

QByteArray CardReader::toUtf8(QByteArrayView bytes, QByteArrayView charset)
{
    const bool utf8 = charset.isEmpty() || equalsNoCase(charset, "UTF-8") ||
                      equalsNoCase(charset, "UTF8") || equalsNoCase(charset, "US-ASCII");
    // A line of text cannot hold UTF-16 or UTF-32: such a name is wrong.
    if (!utf8 && !wideCharset(charset)) {
        auto it = m_decoders.find(charset.toByteArray());
        if (it == m_decoders.end())
            it = m_decoders
                     .emplace(charset.toByteArray(),
                              QStringDecoder(charset.toByteArray().constData(),
                                             QStringDecoder::Flag::Stateless))
                     .first;
        if (it->second.isValid()) {
            const QString s = it->second(bytes);
            const bool clean = !it->second.hasError() && !s.contains(QChar(0xFFFD));
            it->second.resetState();
            if (clean)
                return s.toUtf8();
        }
    }
    return guessedText(bytes);
}

// 2.1 escapes only the semicolon; its other backslashes are text, and a
// line break in a decoded value is one. In 3.0 syntax both are escaped.
QByteArray from21(QByteArrayView v)
{
    QByteArray out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (c == '\\')
            out += i + 1 < v.size() && v[i + 1] == ';' ? (++i, "\\;") : "\\\\";
        else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < v.size() && v[i + 1] == '\n')
                ++i;
            out += "\\n";
        } else
            out += c;
    }
    return out;
}

// Line breaks that quoted-printable put into a 3.0 value.
QByteArray breaksEscaped(QByteArray v)
{
    if (!v.contains('\n') && !v.contains('\r'))
        return v;
    QByteArray out;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == '\r' || v[i] == '\n') {
            if (v[i] == '\r' && i + 1 < v.size() && v[i + 1] == '\n')
                ++i;
            out += "\\n";
        } else {
            out += v[i];
        }
    }
    return out;
}

bool CardReader::decodeLine(QByteArrayView line, Lines& lines, Property& p)
{
    if (!splitLine(line, m_raw))
        return false;
    const QByteArrayView ng = m_raw.nameAndGroup;
    // Names and groups are letters, digits and dashes; anything else is
    // no property.
    if (ng.isEmpty() || !std::all_of(ng.begin(), ng.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                   c == '-' || c == '_' || c == '.';
        }))
        return false;
    const qsizetype dot = ng.lastIndexOf('.');
    p.group = dot < 0 ? QByteArray() : ng.first(dot).toByteArray();
    const QByteArrayView name = ng.sliced(dot + 1);
    p.name = name.toByteArray().toUpper();
    p.head = ng.toByteArray();
    bool qp = false;
    QByteArrayView charset;
    auto typeWord = [&](QByteArrayView w) {
        const QByteArray upper = unquoted(w).toByteArray().toUpper();
        if (!upper.isEmpty())
            p.types << upper;
    };
    auto encodingWord = [&](QByteArrayView w) {
        if (equalsNoCase(w, "QUOTED-PRINTABLE")) {
            qp = true;
        } else if (equalsNoCase(w, "BASE64") || equalsNoCase(w, "B")) {
            p.base64 = true;
            p.head += ";ENCODING=b";
        } else {
            return equalsNoCase(w, "8BIT") || equalsNoCase(w, "7BIT");
        }
        return true;
    };
    for (QByteArrayView seg : m_raw.params) {
        const qsizetype eq = seg.indexOf('=');
        if (eq < 0) {
            // vCard 2.1 names the type or encoding alone: "TEL;WORK;PREF".
            if (!encodingWord(seg)) {
                typeWord(seg);
                p.head += ";TYPE=" + seg.toByteArray();
            }
            continue;
        }
        const QByteArrayView pname = seg.first(eq).trimmed();
        const QByteArrayView pvalue = seg.sliced(eq + 1).trimmed();
        if (equalsNoCase(pname, "ENCODING")) {
            encodingWord(unquoted(pvalue));
        } else if (equalsNoCase(pname, "CHARSET")) {
            charset = unquoted(pvalue);
        } else if (equalsNoCase(pname, "X-TITLE")) {
            p.xTitle = caretDecoded(unquoted(pvalue));
        } else if (equalsNoCase(pname, "X-COLUMN")) {
            bool ok = false;
            p.xColumn = unquoted(pvalue).toInt(&ok);
            if (!ok)
                p.xColumn = -1;
        } else {
            if (equalsNoCase(pname, "TYPE"))
                splitOutsideQuotes(unquoted(pvalue), ',', typeWord);
            else if (equalsNoCase(pname, "VALUE") && equalsNoCase(unquoted(pvalue), "URI"))
                p.valueUri = true;
            p.head += ';' + seg.toByteArray();
        }
    }
    QByteArray bytes = qp ? quotedPrintableDecoded(m_raw.value) : m_raw.value.toByteArray();
    if (p.base64) {
        // A 2.1 photo runs on over lines without an indent, up to a blank
        // line; none of them holds a colon.
        if (m_v21) {
            while (!lines.atEnd()) {
                const QByteArrayView more = lines.peek();
                if (more.trimmed().isEmpty()) {
                    lines.next();
                    break;
                }
                if (more.contains(':'))
                    break;
                bytes += lines.next().trimmed();
            }
        }
        bytes.replace(' ', "").replace('\t', "");
        p.value = std::move(bytes);
        return true;
    }
    const QByteArray text = toUtf8(bytes, charset);
    p.value = m_v21 ? from21(text) : breaksEscaped(text);
    return true;
}

// Apple's own words for its labels: "_$!<Mobile>!$_" is "Mobile".
QString labelText(QByteArrayView raw)
{
    QByteArray t = unescaped(raw).trimmed();
    if (t.startsWith("_$!<") && t.endsWith(">!$_"))
        t = t.sliced(4, t.size() - 8);
    QString label = QString::fromUtf8(t).simplified();
    label.replace(u'(', u'[').replace(u')', u']');
    return label;
}

void CardReader::mapCard()
{
    bool own = false;
    const Property* fn = nullptr;
    const Property* n = nullptr;
    QHash<QByteArray, QString> groupLabels; // group -> X-ABLabel
    for (const Property& p : m_card) {
        if (p.name == "PRODID")
            own = p.value.trimmed() == kOwnProduct;
        else if (p.name == "FN" && !fn && !p.base64 && !p.value.trimmed().isEmpty())
            fn = &p;
        else if (p.name == "N" && !n && !p.base64)
            n = &p;
        else if (p.name == "X-ABLABEL" && !p.group.isEmpty())
            groupLabels.insert(p.group, labelText(p.value));
    }
    QByteArray nameText = fn ? unescaped(fn->value) : n ? nameOfN(n->value) : QByteArray();
    // This program writes a record without a name with its organization
    // or first e-mail in FN and an empty N; the name stays empty.
    bool standIn = false;
    if (own && fn && n && nameOfN(n->value).isEmpty()) {
        const auto first = [&](const char* name) -> const Property* {
            for (const Property& p : m_card)
                if (p.name == name)
                    return &p;
            return nullptr;
        };
        const Property* org = first("ORG");
        const Property* email = first("EMAIL");
        standIn = (org && cellText(Organization, "ORG", org->value, false) == nameText) ||
                  (email && unescaped(email->value) == nameText);
        if (standIn)
            nameText.clear();
    }

    // Each line of the kept text: a property no column shows, as it is
    // written back; or "@title<TAB>head" for one whose value is in the
    // column `title`, with ":value" after the head (and "=" first) when
    // the value as read is needed to write it back unchanged.
    QByteArray kept;
    bool needed = false;
    auto line = [&](QByteArrayView text) {
        if (!kept.isEmpty())
            kept += '\n';
        kept += text;
    };
    auto mapped = [&](const QString& ref, const Property& p, bool rawNeeded) {
        if (!kept.isEmpty())
            kept += '\n';
        kept += rawNeeded ? '=' : '@';
        kept += ref.toUtf8();
        kept += '\t';
        kept += p.head;
        if (rawNeeded) {
            kept += ':';
            kept += p.value;
        }
    };
    QHash<QString, int> counts;
    auto numbered = [&](Kind kind, const QString& label) {
        return ++counts[title(kind, label)];
    };
    bool haveBirthday = false;
    QHash<QByteArray, int> customCounts;
    for (const Property& p : m_card) {
        const QByteArray& name = p.name;
        if (name == "VERSION" || name == "PRODID" ||
            (name == "FN" && &p != fn && p.value.trimmed().isEmpty()))
            continue;
        if (p.base64 || name == "X-ABLABEL" || (name == "FN" && &p != fn) ||
            (name == "N" && &p != n) || (name == "BDAY" && haveBirthday)) {
            // Whatever has no column comes back as it was.
            line(p.head + ':' + p.value);
            needed = true;
            continue;
        }
        Kind kind = Other;
        if (name == "FN" || name == "N")
            kind = Name;
        else if (name == "TEL")
            kind = Phone;
        else if (name == "EMAIL")
            kind = Email;
        else if (name == "URL")
            kind = Web;
        else if (name == "ADR")
            kind = Street;
        else if (name == "ORG")
            kind = Organization;
        else if (name == "TITLE")
            kind = JobTitle;
        else if (name == "NICKNAME")
            kind = Nickname;
        else if (name == "NOTE")
            kind = Note;
        else if (name == "BDAY")
            kind = Birthday;
        if (name == "X-CORVANTA-FIELD") {
            const QByteArray text = unescaped(p.value);
            const int k = ++customCounts[p.xTitle];
            m_builder.putCustom(p.xTitle, k, p.xColumn, text);
            continue;
        }
        if (kind == Other) {
            line(p.head + ':' + p.value);
            needed = true;
            continue;
        }
        if (kind == Name) {
            if (&p == fn || (!fn && &p == n))
                m_builder.put(title(Name), nameText);
            // The name as read: N is written back unchanged unless the
            // name is edited. An FN that N says already needs no line.
            if (&p == fn && !standIn && equalsNoCase(p.head, name) &&
                escaped(nameText) == p.value && (!n || nameOfN(n->value) == nameText))
                continue;
            mapped(title(Name), p, true);
            needed = needed || (!standIn && !equalsNoCase(p.head, name)) ||
                     (!standIn &&
                      (&p == fn ? escaped(nameText) != p.value : p.value != guessedN(nameText)));
            continue;
        }
        QString label;
        if (kind == Phone || kind == Email || kind == Web || kind == Street)
            label = p.group.isEmpty() || !groupLabels.contains(p.group)
                        ? labelOfTypes(p.types)
                        : groupLabels.value(p.group);
        QString ref;
        bool lossy = false;
        bool any = false;
        if (kind == Street) {
            const std::vector<QByteArray> got = parts(p.value);
            any = std::any_of(got.begin(), got.end(), [](const QByteArray& t) { return !t.isEmpty(); });
            if (!any && !own)
                continue;
            const int k = numbered(Street, label);
            ref = title(Street, label, k);
            QByteArray again;
            for (Kind part : {PoBox, Extended, Street, City, State, Zip, Country}) {
                const size_t at = size_t(adrIndex(part));
                const QByteArray text = at < got.size() ? got[at] : QByteArray();
                if (!text.isEmpty() || (own && part <= Zip))
                    m_builder.put(title(part, label, k), text);
            }
            for (size_t i = 0; i < 7; ++i) {
                if (i)
                    again += ';';
                if (i < got.size())
                    escapeInto(again, got[i], Escape::Text);
            }
            lossy = again != p.value;
        } else {
            const QByteArray text = cellText(kind, name, p.value, p.valueUri);
            any = !text.isEmpty();
            if (!any && !own)
                continue;
            if (kind == Birthday)
                haveBirthday = true;
            const int k = numbered(kind, label);
            ref = title(kind, label, k);
            m_builder.put(ref, text);
            lossy = valueOf(kind, text, p.valueUri) != p.value;
        }
        mapped(ref, p, lossy);
        const bool plain = equalsNoCase(p.head, defaultHead(kind, label, m_v4, p.valueUri)) ||
                           (kind == Birthday && m_v4 && equalsNoCase(p.head, "BDAY;VALUE=text"));
        needed = needed || !plain || lossy;
    }
    if (m_v4)
        kept.prepend(kept.isEmpty() ? "VERSION:4.0" : "VERSION:4.0\n");
    if (needed && !kept.isEmpty())
        m_builder.keep(kept);
}

FileStatus CardReader::endCard()
{
    mapCard();
    m_card.clear();
    return m_builder.endCard();
}

FileStatus CardReader::read(QByteArrayView text, ReadInfo* info)
{
    Lines lines(text);
    int depth = 0; // a 2.1 AGENT may hold a whole card of its own
    bool sawCard = false;
    bool agentOpen = false; // the last property was an AGENT without a value
    int repaired = 0;
    Property p;
    auto begin = [&]() -> FileStatus {
        sawCard = true;
        m_v21 = false;
        m_v4 = false;
        depth = 1;
        return {};
    };
    while (!lines.atEnd()) {
        const QByteArrayView line = logicalLine(lines);
        RawLine raw;
        if (!splitLine(line, raw))
            continue;
        const QByteArrayView name = raw.nameAndGroup.sliced(raw.nameAndGroup.lastIndexOf('.') + 1);
        const bool isBegin = equalsNoCase(name, "BEGIN");
        if (isBegin || equalsNoCase(name, "END")) {
            QByteArrayView value = raw.value.trimmed();
            // "END:VCARDBEGIN:VCARD": two files joined where the first
            // lacked its last line break.
            const bool joined = !isBegin && value.size() > 5 &&
                                equalsNoCase(value.first(5), "VCARD") &&
                                equalsNoCase(value.sliced(5).trimmed(), "BEGIN:VCARD");
            if (joined)
                value = value.first(5);
            if (!equalsNoCase(value, "VCARD"))
                continue;
            if (isBegin) {
                if (depth == 0) {
                    begin();
                } else if (depth == 1 && agentOpen) {
                    ++depth; // the agent's card, skipped with it
                } else if (depth == 1) {
                    // A card without END: the next BEGIN ends it.
                    ++repaired;
                    if (FileStatus s = endCard(); !s)
                        return s;
                    begin();
                }
                agentOpen = false;
                continue;
            }
            agentOpen = false;
            if (depth > 0 && --depth == 0) {
                if (FileStatus s = endCard(); !s)
                    return s;
            }
            if (joined) {
                begin();
            }
            continue;
        }
        if (depth != 1)
            continue;
        agentOpen = equalsNoCase(name, "AGENT") && raw.value.trimmed().isEmpty();
        if (equalsNoCase(name, "VERSION")) {
            m_v21 = raw.value.trimmed().startsWith('2');
            m_v4 = raw.value.trimmed().startsWith('4');
            continue;
        }
        if (agentOpen)
            continue;
        p = Property();
        if (decodeLine(line, lines, p))
            m_card.push_back(std::move(p));
    }
    if (!sawCard)
        return FileStatus::fail(FileStatus::NotVcard);
    if (depth > 0) {
        ++repaired; // cut off before its END
        if (FileStatus s = endCard(); !s)
            return s;
    }
    if (info)
        info->repairedCards = repaired;
    return {};
}

QByteArrayView withoutMark(QByteArrayView bytes, QByteArray& storage)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return bytes.sliced(3);
    // Some programs write their contacts in UTF-16, always with a mark.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder dec(uchar(bytes[0]) == 0xFF ? QStringConverter::Utf16LE
                                                   : QStringConverter::Utf16BE);
        storage = QString(dec(bytes.sliced(2))).toUtf8();
        return storage;
    }
    return bytes;
}

} // namespace

FileStatus decode(QByteArrayView bytes, Table& out, ReadInfo* info)
{
    try {
        QByteArray storage;
        const QByteArrayView text = withoutMark(bytes, storage);
        TableBuilder builder;
        CardReader reader(builder);
        ReadInfo found;
        if (FileStatus s = reader.read(text, &found); !s)
            return s;
        out = builder.finish(&found.roles);
        if (info)
            *info = found;
        return {};
    } catch (const std::bad_alloc&) {
        return FileStatus::fail(FileStatus::OutOfMemory);
    }
}

FileStatus load(const QString& path, Table& out, ReadInfo* info)
{
    QFile file;
    if (FileStatus s = openInputFile(file, path); !s)
        return s;
    QByteArray bytes;
    try {
        bytes = file.readAll();
    } catch (const std::bad_alloc&) {
        return FileStatus::fail(FileStatus::OutOfMemory);
    }
    if (file.error() != QFileDevice::NoError)
        return FileStatus::fail(FileStatus::Io, file.errorString());
    return decode(bytes, out, info);
}

} // namespace corvanta::Vcard
