// The vCard writer: one card per record that holds any text, in 3.0 or
// 4.0. A record read from a card is written from what its hidden column
// kept, in the card's own order, with each value taken from its column:
// an unchanged value exactly as it was read. Every other value is mapped
// through its column's title (or the roles) so that the reader puts it
// back where it was (docs/vcard.md).
#include "files/safefile.h"
#include "files/vcard.h"
#include "files/vcardcolumns.h"
#include "files/vcardvalues.h"
#include "grid/table.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace corvanta::Vcard {

namespace {

using namespace VcardColumns;
using namespace VcardValues;

// Lines are folded after this many octets (RFC 2426, RFC 6350).
constexpr qsizetype kFoldAt = 75;

struct Group
{
    std::array<int, 7> cols{-1, -1, -1, -1, -1, -1, -1}; // by ADR part
};

// Which columns hold what, from the title row and the roles.
struct Columns
{
    std::vector<Column> of;            // by column
    QHash<QString, int> byTitle;       // the first column of each title
    int kept = -1;                     // the hidden column of kept properties
    // Columns of one kind in the order they are written: by label, in the
    // order the labels first appear, then by number.
    std::array<std::vector<int>, kKinds> kinds;
    std::map<std::pair<int, int>, Group> groups; // (label order, number)
    QStringList labels;                          // label order
};

Columns columnsOf(const Table& t, const ColumnRoles& roles)
{
    Columns c;
    const Plan plan = planFor(roles);
    c.of.resize(size_t(t.colCount()));
    QHash<QString, bool> seen;
    for (int col = 0; col < t.colCount(); ++col) {
        const QString title = t.text(0, col).trimmed();
        if (col > 0 && c.kept < 0 && title == kKeptTitle) {
            c.kept = col;
            continue;
        }
        Column k = col == 0 ? Column{Name, {}, 1} : parse(title);
        if (col > 0 && k.kind == Name)
            k = {};
        // One title, one column: a second one keeps its place as a field
        // of its own.
        if (k.kind != Other && std::exchange(seen[title.toLower()], true) && col > 0)
            k = {};
        if (k.kind == Other && title.isEmpty())
            k.kind = plan.roleKind(col);
        c.of[size_t(col)] = k;
        if (!c.byTitle.contains(title))
            c.byTitle.insert(title, col);
        if (k.kind != Other && k.kind != Name && !c.labels.contains(k.label))
            c.labels << k.label;
    }
    // Role columns whose titles say nothing else.
    for (int col = 1; col < t.colCount(); ++col)
        if (c.of[size_t(col)].kind == Other && col != c.kept &&
            parse(t.text(0, col)).kind == Other && plan.roleKind(col) != Other &&
            !std::any_of(c.of.begin(), c.of.end(),
                         [&](const Column& o) { return o.kind == plan.roleKind(col); }))
            c.of[size_t(col)].kind = plan.roleKind(col);
    std::vector<int> order;
    for (int col = 0; col < t.colCount(); ++col)
        order.push_back(col);
    auto labelAt = [&](int col) { return int(c.labels.indexOf(c.of[size_t(col)].label)); };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return std::pair(labelAt(a), c.of[size_t(a)].number) <
               std::pair(labelAt(b), c.of[size_t(b)].number);
    });
    for (int col : order) {
        const Column& k = c.of[size_t(col)];
        if (col == c.kept)
            continue;
        if (isAddressPart(k.kind))
            c.groups[{labelAt(col), k.number}].cols[size_t(adrIndex(k.kind))] = col;
        else
            c.kinds[size_t(k.kind)].push_back(col);
    }
    return c;
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
    explicit CardWriter(QByteArray& out) : m_out(out) {}

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

    // `value` is ready to write: escaped, or a URI.
    void property(QByteArrayView head, QByteArrayView value)
    {
        m_buf.clear();
        m_buf += head;
        m_buf += ':';
        m_buf += value;
        line(m_buf);
    }

    bool v4 = false;

  private:
    QByteArray& m_out;
    QByteArray m_buf;
};

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
        if (!w.v4)
            w.property("BDAY", d);
        else
            w.property("BDAY", d.first(4).toByteArray() + d.sliced(5, 2).toByteArray() +
                                   d.sliced(8).toByteArray());
    } else {
        w.property(w.v4 ? "BDAY;VALUE=text" : "BDAY", escaped(d));
    }
}

QByteArray adrValue(const std::array<QByteArrayView, 7>& parts)
{
    QByteArray v;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i)
            v += ';';
        escapeInto(v, parts[i], Escape::Text);
    }
    return v;
}

// Writes the values of one record's columns as new properties; with
// `used`, only those of columns no kept property took.
class RecordWriter
{
  public:
    RecordWriter(CardWriter& w, const Table& t, int row, const Columns& c)
        : m_w(w), m_t(t), m_row(row), m_c(c), m_used(size_t(t.colCount()), false)
    {
    }

    QByteArrayView cell(int col) const { return col >= 0 ? m_t.utf8(m_row, col) : QByteArrayView(); }
    void use(int col)
    {
        if (col >= 0)
            m_used[size_t(col)] = true;
    }
    bool free(int col) const { return col >= 0 && !m_used[size_t(col)]; }

    void writeKept(QByteArrayView kept);
    void writeColumns();
    // FN and N of a record without its own: never an empty FN, so the
    // organization or the first e-mail stands in for a missing name.
    void writeName(bool fn, bool n);

  private:
    void labelled(Kind kind);
    void writeKeptLine(QByteArrayView line, bool nameEdited);
    void writeMapped(QByteArrayView ref, QByteArrayView head, const QByteArray* raw,
                     bool nameEdited);

    CardWriter& m_w;
    const Table& m_t;
    int m_row;
    const Columns& m_c;
    std::vector<bool> m_used;
    bool m_wroteFn = false;
    bool m_wroteN = false;
};

void RecordWriter::labelled(Kind kind)
{
    const std::vector<int>& cols = m_c.kinds[size_t(kind)];
    // The values of one label in number order; an empty one before a
    // filled one of the same label holds its place. One pass from the end
    // finds which those are.
    std::vector<bool> write(cols.size(), false);
    QHash<QString, bool> filledAfter;
    for (size_t i = cols.size(); i-- > 0;) {
        if (!free(cols[i]))
            continue;
        bool& after = filledAfter[m_c.of[size_t(cols[i])].label];
        after = after || !m_t.isEmpty(m_row, cols[i]);
        write[i] = after;
    }
    for (size_t i = 0; i < cols.size(); ++i) {
        if (!write[i])
            continue;
        const Column& k = m_c.of[size_t(cols[i])];
        const QByteArrayView text = cell(cols[i]);
        const bool uri = m_w.v4 && kind == Phone && !uriOfPhone(text).isEmpty();
        m_w.property(defaultHead(kind, k.label, m_w.v4, uri), valueOf(kind, text, uri));
    }
}

void RecordWriter::writeColumns()
{
    for (Kind kind : {Organization, JobTitle, Nickname})
        for (int col : m_c.kinds[size_t(kind)])
            if (free(col) && !m_t.isEmpty(m_row, col))
                m_w.property(defaultHead(kind, {}, m_w.v4, false), valueOf(kind, cell(col), false));
    for (int col : m_c.kinds[Birthday])
        if (free(col) && !m_t.isEmpty(m_row, col))
            writeBirthday(m_w, cell(col));
    labelled(Phone);
    labelled(Email);
    labelled(Web);
    // Addresses: an empty one before a filled one of its label holds its
    // place, as for phones.
    for (auto it = m_c.groups.begin(); it != m_c.groups.end(); ++it) {
        std::array<QByteArrayView, 7> parts;
        bool any = false;
        for (size_t i = 0; i < 7; ++i) {
            if (free(it->second.cols[i])) {
                parts[i] = cell(it->second.cols[i]);
                any = any || !parts[i].isEmpty();
            }
        }
        bool later = any;
        for (auto j = std::next(it); j != m_c.groups.end() && !later; ++j)
            if (j->first.first == it->first.first)
                for (int col : j->second.cols)
                    later = later || (free(col) && !m_t.isEmpty(m_row, col));
        if (!later)
            continue;
        const QString label = it->first.first < 0 ? QString() : m_c.labels.value(it->first.first);
        m_w.property(defaultHead(Street, label, m_w.v4, false), adrValue(parts));
    }
    for (int col : m_c.kinds[Address])
        if (free(col) && !m_t.isEmpty(m_row, col))
        {
            std::array<QByteArrayView, 7> parts;
            parts[size_t(adrIndex(Street))] = cell(col);
            m_w.property("ADR", adrValue(parts));
        }
    for (int col : m_c.kinds[Note])
        if (free(col) && !m_t.isEmpty(m_row, col))
            m_w.property("NOTE", escaped(cell(col)));
    // A column with no property of its own keeps its title and place.
    for (int col : m_c.kinds[Other]) {
        if (!free(col) || m_t.isEmpty(m_row, col) || col == m_c.kept)
            continue;
        const QByteArray head = "X-CORVANTA-FIELD;X-TITLE=\"" + caretEncoded(m_t.utf8(0, col)) +
                                "\";X-COLUMN=" + QByteArray::number(col);
        m_w.property(head, escaped(cell(col)));
    }
}

QByteArrayView nameOfHead(QByteArrayView head)
{
    const qsizetype semi = head.indexOf(';');
    QByteArrayView n = semi < 0 ? head : head.first(semi);
    return n.sliced(n.lastIndexOf('.') + 1);
}

// A binary value in the syntax of the version written: 3.0's ENCODING=b
// with a TYPE, 4.0's data: URI.
void writeBinary(CardWriter& w, QByteArrayView line)
{
    const qsizetype colon = line.indexOf(':');
    QByteArrayView head = line.first(colon);
    QByteArrayView value = line.sliced(colon + 1);
    const bool isData = value.startsWith("data:");
    if (w.v4 && head.contains(";ENCODING=b")) {
        QByteArray h;
        QByteArray media;
        for (QByteArrayView seg : head.toByteArray().split(';')) {
            if (h.isEmpty()) {
                h = seg.toByteArray();
            } else if (seg.compare("ENCODING=b", Qt::CaseInsensitive) == 0) {
            } else if (seg.size() > 5 && seg.first(5).compare("TYPE=", Qt::CaseInsensitive) == 0 &&
                       media.isEmpty()) {
                media = "image/" + seg.sliced(5).toByteArray().toLower();
            } else {
                h += ';' + seg.toByteArray();
            }
        }
        w.property(h, "data:" + media + ";base64," + value.toByteArray());
    } else if (!w.v4 && isData && value.contains(";base64,")) {
        const qsizetype at = value.indexOf(";base64,");
        const QByteArrayView media = value.sliced(5, at - 5);
        const QByteArray type = media.sliced(media.indexOf('/') + 1).toByteArray().toUpper();
        w.property(head.toByteArray() + ";ENCODING=b" + (type.isEmpty() ? "" : ";TYPE=" + type),
                   value.sliced(at + 8));
    } else {
        w.line(line);
    }
}

void RecordWriter::writeMapped(QByteArrayView ref, QByteArrayView head, const QByteArray* raw,
                               bool nameEdited)
{
    const QByteArray name = nameOfHead(head).toByteArray().toUpper();
    if (name == "FN") {
        use(0);
        m_wroteFn = true;
        if (raw && !nameEdited)
            m_w.property(head, *raw);
        else if (!m_t.isEmpty(m_row, 0))
            m_w.property(head, escaped(cell(0)));
        else
            m_wroteFn = false;
        return;
    }
    if (name == "N") {
        m_wroteN = true;
        m_w.property(head, raw && !nameEdited ? *raw : guessedN(cell(0)));
        return;
    }
    const Column k = parse(QString::fromUtf8(ref));
    if (name == "ADR") {
        const int labelAt = int(m_c.labels.indexOf(k.label));
        const auto g = m_c.groups.find({labelAt, k.number});
        if (g == m_c.groups.end())
            return;
        std::array<QByteArrayView, 7> parts;
        bool any = false;
        for (size_t i = 0; i < 7; ++i) {
            use(g->second.cols[i]);
            parts[i] = cell(g->second.cols[i]);
            any = any || !parts[i].isEmpty();
        }
        if (!any)
            return;
        const QByteArray value = adrValue(parts);
        if (raw) {
            const std::vector<QByteArray> was = VcardValues::parts(*raw);
            bool same = true;
            for (size_t i = 0; i < 7; ++i)
                same = same && (i < was.size() ? QByteArrayView(was[i]) : QByteArrayView()) ==
                                   parts[i];
            if (same) {
                m_w.property(head, *raw);
                return;
            }
        }
        m_w.property(head, value);
        return;
    }
    const int col = m_c.byTitle.value(QString::fromUtf8(ref), -1);
    if (col < 0 || !free(col))
        return;
    use(col);
    const QByteArrayView text = cell(col);
    if (text.isEmpty())
        return;
    const bool uri = head.contains(";VALUE=uri") || head.contains(";VALUE=URI");
    if (raw && cellText(k.kind, name, *raw, uri) == text)
        m_w.property(head, *raw);
    else if (k.kind == Birthday && m_w.v4 && isIsoDate(text))
        m_w.property(head, text.first(4).toByteArray() + text.sliced(5, 2).toByteArray() +
                               text.sliced(8).toByteArray());
    else
        m_w.property(head, valueOf(k.kind, text, uri));
}

void RecordWriter::writeKept(QByteArrayView kept)
{
    const QList<QByteArray> lines = kept.toByteArray().split('\n');
    // The name as it was read: while it stands, N stays as the card had it.
    QByteArray was;
    for (const QByteArray& l : lines) {
        if (!l.startsWith('='))
            continue;
        const qsizetype tab = l.indexOf('\t');
        const qsizetype colon = l.indexOf(':', tab);
        if (tab < 0 || colon < 0)
            continue;
        const QByteArray n = nameOfHead(QByteArrayView(l).sliced(tab + 1, colon - tab - 1))
                                 .toByteArray()
                                 .toUpper();
        if (n == "FN") {
            was = unescaped(QByteArrayView(l).sliced(colon + 1));
            break;
        }
        if (n == "N" && was.isEmpty())
            was = nameOfN(QByteArrayView(l).sliced(colon + 1));
    }
    const bool nameEdited = was != cell(0);
    // FN leads when the card kept none of its own.
    if (std::none_of(lines.begin(), lines.end(), [](const QByteArray& l) {
            const qsizetype tab = l.indexOf('\t');
            return (l.startsWith('=') || l.startsWith('@')) && tab > 0 &&
                   nameOfHead(QByteArrayView(l).sliced(tab + 1).first(
                                  l.indexOf(':', tab) < 0 ? l.size() - tab - 1
                                                          : l.indexOf(':', tab) - tab - 1))
                           .compare("FN", Qt::CaseInsensitive) == 0;
        })) {
        writeName(true, false);
        m_wroteFn = true;
    }
    for (const QByteArray& l : lines) {
        if (l == "VERSION:4.0" || l.isEmpty())
            continue;
        if (l.startsWith('@') || l.startsWith('=')) {
            const qsizetype tab = l.indexOf('\t');
            if (tab < 0)
                continue;
            const QByteArrayView ref = QByteArrayView(l).sliced(1, tab - 1);
            QByteArrayView head = QByteArrayView(l).sliced(tab + 1);
            QByteArray raw;
            if (l.startsWith('=')) {
                // The head's own colons sit inside quotes.
                qsizetype colon = -1;
                bool quoted = false;
                for (qsizetype i = 0; i < head.size() && colon < 0; ++i) {
                    if (head[i] == '"')
                        quoted = !quoted;
                    else if (head[i] == ':' && !quoted)
                        colon = i;
                }
                if (colon < 0)
                    continue;
                raw = head.sliced(colon + 1).toByteArray();
                head = head.first(colon);
            }
            writeMapped(ref, head, l.startsWith('=') ? &raw : nullptr, nameEdited);
            continue;
        }
        writeBinary(m_w, l);
    }
    writeName(!m_wroteFn, !m_wroteN && !m_w.v4);
    use(0);
    writeColumns();
}

void RecordWriter::writeName(bool fn, bool n)
{
    if (!m_t.isEmpty(m_row, 0)) {
        if (fn)
            m_w.property("FN", escaped(cell(0)));
        if (n)
            m_w.property("N", guessedN(cell(0)));
        return;
    }
    QByteArrayView stand;
    for (Kind kind : {Organization, Email})
        for (int col : m_c.kinds[size_t(kind)])
            if (stand.isEmpty() && col > 0)
                stand = cell(col);
    if (fn)
        m_w.property("FN", escaped(stand));
    if (n)
        m_w.property("N", ";;;;");
}

void writeCard(CardWriter& w, const Table& t, int row, const Columns& c, Version version)
{
    const QByteArrayView kept = c.kept >= 0 ? t.utf8(row, c.kept) : QByteArrayView();
    w.v4 = version == Version::V4 || (version == Version::Same && kept.startsWith("VERSION:4.0"));
    w.line(w.v4 ? "VERSION:4.0" : "VERSION:3.0");
    w.line("PRODID:-//Corvanta//Corvanta Address Book 1.0//EN");
    RecordWriter r(w, t, row, c);
    if (!kept.isEmpty()) {
        r.writeKept(kept);
        return;
    }
    r.writeName(true, true);
    r.use(0);
    r.writeColumns();
}

bool hasText(const Table& t, int row, int kept)
{
    const int used = t.usedCols(row);
    for (int c = 0; c < used; ++c)
        if (c != kept && !t.isEmpty(row, c))
            return true;
    return false;
}

} // namespace

QByteArray encode(const Table& table, const ColumnRoles& roles, Version version)
{
    const Columns columns = columnsOf(table, roles);
    QByteArray out;
    out.reserve(qsizetype(table.heapBytes()) * 2 + 64 * table.rowCount());
    CardWriter w(out);
    for (int row = 1; row < table.rowCount(); ++row) {
        if (!hasText(table, row, columns.kept))
            continue;
        w.line("BEGIN:VCARD");
        writeCard(w, table, row, columns, version);
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
