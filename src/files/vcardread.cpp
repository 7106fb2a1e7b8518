// The vCard reader: 2.1, 3.0 and 4.0 cards into an address table. The
// mapping to columns is in docs/vcard.md; where a card is damaged the
// reader takes what it can and goes on, and it never builds a table wider
// or longer than Table allows.
#include "files/safefile.h"
#include "files/vcard.h"
#include "files/vcardcard.h"
#include "files/vcardcolumns.h"
#include "grid/table.h"
#include "table/addressdefaults.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <map>
#include <new>
#include <type_traits>
#include <vector>

namespace corvanta::Vcard {

namespace {

using namespace VcardColumns;
using namespace VcardCards;

// The product name this program's writer puts in every card: its cards
// keep empty values, which hold the place of an empty column.
constexpr QByteArrayView kOwnProduct = "-//Corvanta//Corvanta Address Book 1.0//EN";

bool equalsNoCase(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 32);
        if (y >= 'a' && y <= 'z')
            y = char(y - 32);
        if (x != y)
            return false;
    }
    return true;
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

int smallNumber(QByteArrayView v, int fallback)
{
    bool ok = false;
    const int n = unquoted(v).toInt(&ok);
    return ok ? n : fallback;
}

struct Property
{
    QByteArrayView name; // without its group
    QByteArrayView value;
    bool quotedPrintable = false;
    bool base64 = false;
    QByteArray charset;
    int rank = kNoPreference;
    QByteArray xTitle;
    int xColumn = -1;
};

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

void encodingWord(QByteArrayView w, Property& p)
{
    if (equalsNoCase(w, "QUOTED-PRINTABLE"))
        p.quotedPrintable = true;
    else if (equalsNoCase(w, "BASE64") || equalsNoCase(w, "B"))
        p.base64 = true;
}

void parameter(QByteArrayView seg, Property& p)
{
    const qsizetype eq = seg.indexOf('=');
    if (eq < 0) {
        // vCard 2.1 names the type or encoding alone: "TEL;WORK;PREF".
        const QByteArrayView w = seg.trimmed();
        if (equalsNoCase(w, "PREF"))
            p.rank = std::min(p.rank, 1);
        encodingWord(w, p);
        return;
    }
    const QByteArrayView name = seg.first(eq).trimmed();
    const QByteArrayView value = seg.sliced(eq + 1);
    if (equalsNoCase(name, "TYPE")) {
        splitOutsideQuotes(value, ',', [&](QByteArrayView t) {
            if (equalsNoCase(unquoted(t), "PREF"))
                p.rank = std::min(p.rank, 1);
        });
        if (equalsNoCase(unquoted(value), "PREF"))
            p.rank = std::min(p.rank, 1);
    } else if (equalsNoCase(name, "PREF")) {
        p.rank = std::min(p.rank, std::clamp(smallNumber(value, 1), 1, 100));
    } else if (equalsNoCase(name, "ENCODING")) {
        encodingWord(unquoted(value), p);
    } else if (equalsNoCase(name, "CHARSET")) {
        p.charset = unquoted(value).toByteArray();
    } else if (equalsNoCase(name, "X-TITLE")) {
        p.xTitle = caretDecoded(unquoted(value));
    } else if (equalsNoCase(name, "X-COLUMN")) {
        p.xColumn = smallNumber(value, -1);
    }
}

bool parseProperty(QByteArrayView line, Property& p)
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
    p.value = line.sliced(colon + 1);
    bool first = true;
    splitOutsideQuotes(line.first(colon), ';', [&](QByteArrayView seg) {
        if (first) {
            first = false;
            // "item1.EMAIL": the group only ties properties together.
            p.name = seg.sliced(seg.lastIndexOf('.') + 1).trimmed();
            return;
        }
        parameter(seg, p);
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
        if (v[i] == '=' && i + 2 < v.size() + 0 && hexDigit(v[i + 1]) >= 0 &&
            hexDigit(v[i + 2]) >= 0) {
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
        const char* d = m_text.data();
        const qsizetype n = m_text.size();
        const qsizetype start = m_pos;
        qsizetype i = start;
        while (i < n && d[i] != '\n' && d[i] != '\r')
            ++i;
        const QByteArrayView line(d + start, i - start);
        if (i < n)
            i += (d[i] == '\r' && i + 1 < n && d[i + 1] == '\n') ? 2 : 1;
        m_pos = i;
        return line;
    }

  private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

class Reader
{
  public:
    FileStatus read(QByteArrayView text, std::vector<Card>& cards);

  private:
    // The next logical line: folds undone and, for quoted-printable values,
    // soft line breaks ("=" at the end) joined.
    QByteArrayView logicalLine(Lines& lines);
    QByteArray toUtf8(QByteArrayView bytes, const QByteArray& charset);
    QByteArray textOf(const Property& p);
    QByteArray unescaped(QByteArrayView v) const;
    std::vector<QByteArray> parts(QByteArrayView v) const;
    void take(const Property& p, Card& card);

    QByteArray m_line;
    std::map<QByteArray, QStringDecoder> m_decoders;
    bool m_v21 = false;
};

QByteArrayView Reader::logicalLine(Lines& lines)
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

QByteArray windows1252(QByteArrayView bytes)
{
    QStringDecoder dec("windows-1252", QStringDecoder::Flag::Stateless);
    return dec.isValid() ? QString(dec(bytes)).toUtf8() : QString::fromLatin1(bytes).toUtf8();
}

QByteArray Reader::toUtf8(QByteArrayView bytes, const QByteArray& charset)
{
    const bool utf8 = charset.isEmpty() || equalsNoCase(charset, "UTF-8") ||
                      equalsNoCase(charset, "UTF8") || equalsNoCase(charset, "US-ASCII");
    if (!utf8) {
        auto it = m_decoders.find(charset);
        if (it == m_decoders.end())
            it = m_decoders
                     .emplace(charset,
                              QStringDecoder(charset.constData(), QStringDecoder::Flag::Stateless))
                     .first;
        if (it->second.isValid()) {
            const QString s = it->second(bytes);
            if (!it->second.hasError())
                return s.toUtf8();
            it->second.resetState();
        }
    }
    // No charset, or one that does not fit: UTF-8 when the bytes are, else
    // the windows-1252 of older programs.
    if (Table::isValidUtf8(bytes))
        return bytes.toByteArray();
    return windows1252(bytes);
}

QByteArray Reader::textOf(const Property& p)
{
    if (p.quotedPrintable)
        return toUtf8(quotedPrintableDecoded(p.value), p.charset);
    return toUtf8(p.value, p.charset);
}

QByteArray Reader::unescaped(QByteArrayView v) const
{
    QByteArray out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        char c = v[i];
        if (c == '\\' && i + 1 < v.size()) {
            const char next = v[i + 1];
            // vCard 2.1 escapes only the semicolon; its backslashes are text.
            if (m_v21 ? next == ';'
                      : (next == ';' || next == ',' || next == '\\' || next == ':' || next == 'n' ||
                         next == 'N')) {
                out += next == 'n' || next == 'N' ? '\n' : next;
                ++i;
                continue;
            }
        }
        if (c == '\r') {
            // A line break is one LF, whatever ended it in the file.
            if (i + 1 < v.size() && v[i + 1] == '\n')
                continue;
            c = '\n';
        }
        out += c;
    }
    return out;
}

std::vector<QByteArray> Reader::parts(QByteArrayView v) const
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
    if (from <= v.size())
        out.push_back(unescaped(v.sliced(std::min(from, v.size()))));
    return out;
}

void appendLine(QByteArray& to, const QByteArray& text)
{
    if (text.isEmpty())
        return;
    if (!to.isEmpty())
        to += '\n';
    to += text;
}

bool isDigits(QByteArrayView v)
{
    return std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A birthday as YYYY-MM-DD when it is a full date in either ISO form
// (a time after it is dropped); anything else stays as written.
QByteArray birthday(const QByteArray& v)
{
    const QByteArray t = v.trimmed();
    QByteArrayView d = t;
    if (const qsizetype at = d.indexOf('T'); at >= 0)
        d = d.first(at);
    if (d.size() == 8 && isDigits(d))
        return d.first(4).toByteArray() + '-' + d.sliced(4, 2).toByteArray() + '-' +
               d.sliced(6).toByteArray();
    if (d.size() == 10 && d[4] == '-' && d[7] == '-' && isDigits(d.first(4)) &&
        isDigits(d.sliced(5, 2)) && isDigits(d.sliced(8)))
        return d.toByteArray();
    return t;
}

void Reader::take(const Property& p, Card& card)
{
    const QByteArrayView name = p.name;
    auto single = [&](Kind kind, const QByteArray& text) { appendLine(card.single[kind], text); };
    auto value = [&](Kind kind) {
        Value v{unescaped(textOf(p)), p.rank};
        if (!v.text.isEmpty() || card.own || v.rank < kNoPreference)
            card.values[kind].push_back(std::move(v));
    };
    if (equalsNoCase(name, "FN")) {
        if (card.fn.isEmpty())
            card.fn = unescaped(textOf(p));
    } else if (equalsNoCase(name, "N")) {
        // Prefix, given, additional, family, suffix: the name as it is said.
        if (card.n.isEmpty())
            card.n = joined(parts(textOf(p)), {3, 1, 2, 0, 4}, " ");
    } else if (equalsNoCase(name, "TEL")) {
        value(Phone);
    } else if (equalsNoCase(name, "EMAIL")) {
        value(Email);
    } else if (equalsNoCase(name, "URL")) {
        value(Web);
    } else if (equalsNoCase(name, "ADR")) {
        Adr a;
        a.rank = p.rank;
        const std::vector<QByteArray> got = parts(textOf(p));
        bool any = false;
        for (size_t i = 0; i < a.parts.size() && i < got.size(); ++i) {
            a.parts[i] = got[i];
            any = any || !got[i].isEmpty();
        }
        if (any || card.own || a.rank < kNoPreference)
            card.adrs.push_back(std::move(a));
    } else if (equalsNoCase(name, "ORG")) {
        single(Organization, joined(parts(textOf(p)), {0, 1, 2, 3, 4, 5, 6, 7}, ", "));
    } else if (equalsNoCase(name, "TITLE")) {
        single(JobTitle, unescaped(textOf(p)));
    } else if (equalsNoCase(name, "NICKNAME")) {
        single(Nickname, unescaped(textOf(p)));
    } else if (equalsNoCase(name, "NOTE")) {
        single(Note, unescaped(textOf(p)));
    } else if (equalsNoCase(name, "BDAY")) {
        if (card.single[Birthday].isEmpty())
            card.single[Birthday] = birthday(unescaped(textOf(p)));
    } else if (equalsNoCase(name, "X-CORVANTA-FIELD")) {
        // A field titled like the phones or addresses is one of them: that
        // is where its column is written back.
        const Kind kind = kindOfTitle(QString::fromUtf8(p.xTitle));
        if (kind == Address) {
            Adr a;
            a.parts[2] = unescaped(textOf(p));
            card.adrs.push_back(std::move(a));
        } else if (isRepeated(kind)) {
            card.values[kind].push_back({unescaped(textOf(p)), kNoPreference});
        } else if (QByteArray text = unescaped(textOf(p)); !text.isEmpty()) {
            // An empty field fills no column, so it makes none.
            card.extras.push_back({p.xTitle, p.xColumn, std::move(text)});
        }
    } else if (equalsNoCase(name, "PRODID")) {
        card.own = p.value.trimmed() == kOwnProduct;
    }
}

void finish(std::vector<Card>& cards)
{
    cards.back().trim();
    if (!cards.back().hasText())
        cards.pop_back();
}

FileStatus Reader::read(QByteArrayView text, std::vector<Card>& cards)
{
    Lines lines(text);
    int depth = 0; // a 2.1 AGENT may hold a whole card of its own
    bool sawCard = false;
    while (!lines.atEnd()) {
        const QByteArrayView line = logicalLine(lines);
        Property p;
        if (!parseProperty(line, p))
            continue;
        const bool begin = equalsNoCase(p.name, "BEGIN");
        if (begin || equalsNoCase(p.name, "END")) {
            if (!equalsNoCase(p.value.trimmed(), "VCARD"))
                continue;
            if (begin && depth++ == 0) {
                if (cards.size() >= size_t(Table::kMaxRows - 1))
                    return FileStatus::fail(FileStatus::TooManyRows);
                cards.emplace_back();
                sawCard = true;
                m_v21 = false;
            } else if (!begin && depth > 0 && --depth == 0) {
                finish(cards);
            }
            continue;
        }
        if (depth != 1)
            continue;
        if (equalsNoCase(p.name, "VERSION")) {
            m_v21 = p.value.trimmed().startsWith('2');
            continue;
        }
        // Photos, logos, sounds and keys in BASE64 are never decoded.
        if (p.base64)
            continue;
        take(p, cards.back());
    }
    if (!sawCard)
        return FileStatus::fail(FileStatus::NotVcard);
    if (depth > 0)
        finish(cards); // cut off before its END
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

FileStatus decode(QByteArrayView bytes, Table& out, const ColumnRoles& roles)
{
    try {
        QByteArray storage;
        const QByteArrayView text = withoutMark(bytes, storage);
        std::vector<Card> cards;
        Reader reader;
        if (FileStatus s = reader.read(text, cards); !s)
            return s;
        return VcardCards::buildTable(cards, roles, out);
    } catch (const std::bad_alloc&) {
        return FileStatus::fail(FileStatus::OutOfMemory);
    }
}

FileStatus load(const QString& path, Table& out, const ColumnRoles& roles)
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
    return decode(bytes, out, roles);
}

} // namespace corvanta::Vcard
