// The vCard writer: one card per record that holds any text, in 3.0 or
// 4.0, mapped back through the roles and the added columns' titles so that
// the reader puts every value where it was (docs/vcard.md).
#include "files/safefile.h"
#include "files/vcard.h"
#include "files/vcardcolumns.h"
#include "grid/table.h"

#include <array>
#include <vector>

namespace corvanta::Vcard {

namespace {

using namespace VcardColumns;

// Lines are folded after this many octets (RFC 2426, RFC 6350).
constexpr qsizetype kFoldAt = 75;

// Which columns hold what, from the roles and the title row.
struct Columns
{
    Plan plan;
    std::array<std::vector<int>, kKinds> added; // columns of each kind, left to right
};

Columns columnsOf(const Table& t, const ColumnRoles& roles)
{
    Columns c;
    c.plan = planFor(roles);
    for (int col = 1; col < t.colCount(); ++col) {
        if (c.plan.isRoleColumn(col))
            continue;
        Kind kind = kindOfTitle(t.text(0, col));
        // The country belongs to the address the roles place. The reader
        // fills one column of each single kind: a second one keeps its
        // place as a column of its own.
        if ((kind == Country && c.plan.street < 0) || (!isRepeated(kind) && !c.added[kind].empty()))
            kind = Other;
        c.added[kind].push_back(col);
    }
    return c;
}

enum class Escape { Text, Uri };

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

// RFC 6868 inside a quoted parameter value.
QByteArray caretEncoded(QByteArrayView v)
{
    QByteArray out;
    for (const char ch : v) {
        if (ch == '^')
            out += "^^";
        else if (ch == '"')
            out += "^'";
        else if (ch == '\n')
            out += "^n";
        else if (ch != '\r')
            out += ch;
    }
    return out;
}

class CardWriter
{
  public:
    CardWriter(QByteArray& out, Version version) : m_out(out), m_v4(version == Version::V4) {}

    // One content line, folded: continuation lines start with a space and
    // never split a UTF-8 sequence.
    void line(QByteArrayView text)
    {
        qsizetype room = kFoldAt;
        while (text.size() > room) {
            qsizetype cut = room;
            while (cut > 1 && (uchar(text[cut]) & 0xC0) == 0x80)
                --cut;
            m_out += text.first(cut);
            m_out += "\r\n ";
            text = text.sliced(cut);
            room = kFoldAt - 1;
        }
        m_out += text;
        m_out += "\r\n";
    }

    void property(QByteArrayView head, QByteArrayView value, Escape how = Escape::Text)
    {
        m_buf = head.toByteArray();
        m_buf += ':';
        escapeInto(m_buf, value, how);
        line(m_buf);
    }

    void structured(QByteArrayView head, std::initializer_list<QByteArrayView> parts)
    {
        m_buf = head.toByteArray();
        m_buf += ':';
        bool first = true;
        for (QByteArrayView p : parts) {
            if (!std::exchange(first, false))
                m_buf += ';';
            escapeInto(m_buf, p, Escape::Text);
        }
        line(m_buf);
    }

    QByteArray preferred(const char* name) const
    {
        QByteArray h(name);
        h += m_v4 ? ";PREF=1" : ";TYPE=pref";
        return h;
    }
    bool v4() const { return m_v4; }

  private:
    QByteArray& m_out;
    QByteArray m_buf;
    bool m_v4;
};

// "Ann Lee" -> family "Lee", given "Ann": a guess, which only other
// programs see; this reader takes the name from FN.
void writeName(CardWriter& w, QByteArrayView name)
{
    const QByteArrayView n = name.trimmed();
    const qsizetype space = n.lastIndexOf(' ');
    if (space < 0)
        w.structured("N", {n, {}, {}, {}, {}});
    else
        w.structured("N", {n.sliced(space + 1), n.first(space).trimmed(), {}, {}, {}});
}

bool isIsoDate(QByteArrayView d)
{
    if (d.size() != 10 || d[4] != '-' || d[7] != '-')
        return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (d[i] < '0' || d[i] > '9')
            return false;
    return true;
}

void writeBirthday(CardWriter& w, QByteArrayView d)
{
    if (isIsoDate(d)) {
        // 4.0 knows only the basic form of a date.
        if (!w.v4())
            w.property("BDAY", d);
        else
            w.property("BDAY", d.first(4).toByteArray() + d.sliced(5, 2).toByteArray() +
                                   d.sliced(8).toByteArray());
    } else {
        w.property(w.v4() ? "BDAY;VALUE=text" : "BDAY", d);
    }
}

void writeCard(CardWriter& w, const Table& t, int row, const Columns& c)
{
    const Plan& p = c.plan;
    auto cell = [&](int col) { return col >= 0 ? t.utf8(row, col) : QByteArrayView(); };
    w.line(w.v4() ? "VERSION:4.0" : "VERSION:3.0");
    w.line("PRODID:-//Corvanta//Corvanta Address Book 1.0//EN");
    w.property("FN", cell(0));
    writeName(w, cell(0));
    for (int col : c.added[Organization])
        if (!t.isEmpty(row, col))
            w.structured("ORG", {cell(col)});
    for (int col : c.added[JobTitle])
        if (!t.isEmpty(row, col))
            w.property("TITLE", cell(col));
    for (int col : c.added[Birthday])
        if (!t.isEmpty(row, col))
            writeBirthday(w, cell(col));
    for (int col : c.added[Nickname])
        if (!t.isEmpty(row, col))
            w.property("NICKNAME", cell(col));

    // Phones, e-mails, web sites and addresses: the role's value first, then
    // the added columns' in order. Empty ones in between are written too, so
    // that each value is read back into its own column.
    struct Repeated
    {
        Kind kind;
        int role;
        const char* name;
    };
    const QByteArray email = w.v4() ? "EMAIL" : "EMAIL;TYPE=INTERNET";
    for (const Repeated& r : {Repeated{Phone, p.phone, "TEL"}, Repeated{Email, p.mail, "EMAIL"},
                              Repeated{Web, p.web, "URL"}, Repeated{Address, p.street, "ADR"}}) {
        const std::vector<int>& extra = c.added[r.kind];
        qsizetype last = -1; // the last extra that holds text
        for (size_t i = 0; i < extra.size(); ++i)
            if (!t.isEmpty(row, extra[i]))
                last = qsizetype(i);
        const QByteArray plain = r.kind == Email ? email : QByteArray(r.name);
        if (r.role >= 0) {
            bool any = last >= 0;
            const int span = r.kind == Address ? 4 : 1;
            for (int i = 0; i < span; ++i)
                any = any || !t.isEmpty(row, r.role + i);
            const QByteArrayView country =
                r.kind == Address && !c.added[Country].empty() ? cell(c.added[Country][0]) : "";
            any = any || !country.isEmpty();
            if (any) {
                const QByteArray head =
                    last >= 0
                        ? w.preferred(r.kind == Email && !w.v4() ? "EMAIL;TYPE=INTERNET" : r.name)
                        : plain;
                if (r.kind == Address)
                    w.structured(head, {{},
                                        {},
                                        cell(r.role),
                                        cell(r.role + 1),
                                        cell(r.role + 2),
                                        cell(r.role + 3),
                                        country});
                else
                    w.property(head, cell(r.role), r.kind == Web ? Escape::Uri : Escape::Text);
            }
        }
        for (qsizetype i = 0; i <= last; ++i) {
            const QByteArrayView v = cell(extra[size_t(i)]);
            if (r.kind == Address)
                w.structured(plain, {{}, {}, v, {}, {}, {}, {}});
            else
                w.property(plain, v, r.kind == Web ? Escape::Uri : Escape::Text);
        }
    }
    for (int col : c.added[Note])
        if (!t.isEmpty(row, col))
            w.property("NOTE", cell(col));
    // A column with no property of its own keeps its title and place.
    for (int col : c.added[Other]) {
        if (t.isEmpty(row, col))
            continue;
        QByteArray head = "X-CORVANTA-FIELD;X-TITLE=\"" + caretEncoded(t.utf8(0, col)) +
                          "\";X-COLUMN=" + QByteArray::number(col);
        w.property(head, cell(col));
    }
}

bool hasText(const Table& t, int row)
{
    return t.usedCols(row) > 0;
}

} // namespace

QByteArray encode(const Table& table, const ColumnRoles& roles, Version version)
{
    const Columns columns = columnsOf(table, roles);
    QByteArray out;
    out.reserve(qsizetype(table.heapBytes()) * 2 + 64 * table.rowCount());
    CardWriter w(out, version);
    for (int row = 1; row < table.rowCount(); ++row) {
        if (!hasText(table, row))
            continue;
        w.line("BEGIN:VCARD");
        writeCard(w, table, row, columns);
        w.line("END:VCARD");
    }
    return out;
}

FileStatus save(const Table& table, const QString& path, const ColumnRoles& roles, Version version)
{
    QByteArray bytes;
    try {
        bytes = encode(table, roles, version);
    } catch (const std::bad_alloc&) {
        return FileStatus::fail(FileStatus::OutOfMemory);
    }
    AtomicFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return FileStatus::fail(FileStatus::Io, file.errorString());
    QString why;
    if (!AtomicFile::fitsFreeSpace(path, bytes.size(), &why))
        return FileStatus::fail(FileStatus::Io, why);
    if (file.write(bytes) != bytes.size() || file.failed())
        return FileStatus::fail(FileStatus::Io, file.errorString());
    if (!file.commit())
        return FileStatus::fail(FileStatus::Io, file.errorString());
    return {};
}

} // namespace corvanta::Vcard
