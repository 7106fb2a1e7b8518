#include "layoutfile.h"

#include "grid/table.h"

#include <QStringList>

#include <optional>

namespace corvanta {
namespace {

// Splits a line into words at blanks. Double quotes group a word that holds
// blanks (a doubled quote inside them is one quote); '#' outside quotes
// starts a comment.
std::optional<QStringList> words(QStringView line, QString* error)
{
    QStringList out;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar ch = line[i];
        if (quoted) {
            if (ch == u'"') {
                if (i + 1 < line.size() && line[i + 1] == u'"') {
                    word += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                word += ch;
            }
            continue;
        }
        if (ch == u'"') {
            quoted = true;
            inWord = true;
        } else if (ch.isSpace()) {
            if (inWord)
                out << word;
            word.clear();
            inWord = false;
        } else if (ch == u'#' && !inWord) {
            break;
        } else {
            word += ch;
            inWord = true;
        }
    }
    if (quoted) {
        *error = QStringLiteral("missing closing quote");
        return std::nullopt;
    }
    if (inWord)
        out << word;
    return out;
}

std::optional<int> integer(const QString& text, int min, int max)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < min || v > max)
        return std::nullopt;
    return v;
}

std::optional<int> typeCode(const QString& text)
{
    static const QList<std::pair<QString, int>> names = {
        {"none", TypeNone}, {"number", TypeNumber}, {"money", TypeMoney},
        {"date", TypeDate}, {"text", TypeText},     {"checkbox", TypeCheckbox}};
    for (const auto& [name, code] : names)
        if (text.compare(name, Qt::CaseInsensitive) == 0 || text == QString::number(code))
            return code;
    return std::nullopt;
}

std::optional<int> alignCode(const QString& text)
{
    static const QList<std::pair<QString, int>> names = {
        {"lefttop", AlignLeftTop}, {"left", AlignLeft},   {"center", AlignCenter},
        {"centre", AlignCenter},   {"right", AlignRight}, {"general", AlignGeneral}};
    for (const auto& [name, code] : names)
        if (text.compare(name, Qt::CaseInsensitive) == 0 || text == QString::number(code))
            return code;
    return std::nullopt;
}

// "#RRGGBB" as the web writes colours, stored the table's way (0x00BBGGRR).
std::optional<uint32_t> colour(const QString& text)
{
    if (text.size() != 7 || text[0] != u'#')
        return std::nullopt;
    bool ok = false;
    const uint32_t rgb = text.mid(1).toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return ((rgb & 0xff) << 16) | (rgb & 0xff00) | ((rgb >> 16) & 0xff);
}

class Applier
{
  public:
    explicit Applier(Table& table) : m_table(table) {}

    // Returns an empty text on success, else the reason.
    QString line(const QStringList& w)
    {
        const QString keyword = w[0].toLower();
        if (keyword == u"column")
            return column(w);
        if (keyword == u"cell")
            return cell(w);
        if (keyword == u"row")
            return row(w);
        return QStringLiteral("unknown statement \"%1\" (expected column, cell or row)").arg(w[0]);
    }

  private:
    // A column by its 0-based number or by its title.
    std::optional<int> columnOf(const QString& ref, QString& reason) const
    {
        if (!ref.isEmpty() && ref.front().isDigit()) {
            if (auto c = integer(ref, 0, m_table.colCount() - 1))
                return c;
            reason = QStringLiteral("column %1 does not exist (the table has %2 columns)")
                         .arg(ref)
                         .arg(m_table.colCount());
            return std::nullopt;
        }
        for (int c = 0; c < m_table.colCount(); ++c)
            if (m_table.text(0, c).compare(ref, Qt::CaseInsensitive) == 0)
                return c;
        reason = QStringLiteral("no column is titled \"%1\"").arg(ref);
        return std::nullopt;
    }

    std::optional<int> rowOf(const QString& ref, QString& reason) const
    {
        if (auto r = integer(ref, 0, m_table.rowCount() - 1))
            return r;
        reason = QStringLiteral("row %1 does not exist (the table has %2 rows)")
                     .arg(ref)
                     .arg(m_table.rowCount());
        return std::nullopt;
    }

    static bool split(const QString& word, QString& key, QString& value)
    {
        const qsizetype eq = word.indexOf(u'=');
        key = (eq < 0 ? word : word.left(eq)).toLower();
        value = eq < 0 ? QString() : word.mid(eq + 1);
        return eq >= 0;
    }

    static QString badValue(const QString& key, const QString& value)
    {
        return QStringLiteral("bad value \"%1\" for %2").arg(value, key);
    }

    QString column(const QStringList& w)
    {
        if (w.size() < 2)
            return QStringLiteral("column needs a column number or title");
        QString reason;
        const auto col = columnOf(w[1], reason);
        if (!col)
            return reason;
        ColumnAttr attr = m_table.column(*col);
        QString title = m_table.text(0, *col);
        for (qsizetype i = 2; i < w.size(); ++i) {
            QString key, value;
            const bool hasValue = split(w[i], key, value);
            if (key == u"hidden" && !hasValue) {
                attr.hidden = true;
            } else if (key == u"title" && hasValue) {
                title = value;
            } else if (key == u"width" && hasValue) {
                const auto v = integer(value, -1, 1000000);
                if (!v)
                    return badValue(key, value);
                attr.width = *v;
            } else if (key == u"type" && hasValue) {
                const auto v = typeCode(value);
                if (!v)
                    return badValue(key, value);
                attr.type = *v;
            } else if (key == u"format" && hasValue) {
                attr.format = value;
            } else if (key == u"align" && hasValue) {
                const auto v = alignCode(value);
                if (!v)
                    return badValue(key, value);
                attr.align = *v;
            } else {
                return QStringLiteral("unknown column attribute \"%1\"").arg(w[i]);
            }
        }
        m_table.setColumn(*col, attr);
        if (m_table.rowCount() > 0)
            m_table.setText(0, *col, title);
        return {};
    }

    QString cell(const QStringList& w)
    {
        if (w.size() < 3)
            return QStringLiteral("cell needs a row and a column");
        QString reason;
        const auto row = rowOf(w[1], reason);
        if (!row)
            return reason;
        const auto col = columnOf(w[2], reason);
        if (!col)
            return reason;
        CellFormat f = m_table.format(*row, *col);
        for (qsizetype i = 3; i < w.size(); ++i) {
            QString key, value;
            const bool hasValue = split(w[i], key, value);
            if (!hasValue && key == u"bold") {
                f.bold = true;
            } else if (!hasValue && key == u"italic") {
                f.italic = true;
            } else if (!hasValue && key == u"underline") {
                f.underline = true;
            } else if (hasValue && (key == u"fore" || key == u"back")) {
                const auto c = colour(value);
                if (!c)
                    return badValue(key, value);
                (key == u"fore" ? f.fore : f.back) = *c;
                f.fields |= key == u"fore" ? CellFormat::HasFore : CellFormat::HasBack;
            } else if (hasValue && key == u"size") {
                bool ok = false;
                const float size = value.toFloat(&ok);
                if (!ok || !(size > 0) || size > Table::kMaxFontSize)
                    return badValue(key, value);
                f.fontSize = size;
                f.fields |= CellFormat::HasFontSize;
            } else if (hasValue && key == u"align") {
                const auto v = alignCode(value);
                if (!v)
                    return badValue(key, value);
                f.align = int8_t(*v);
                f.fields |= CellFormat::HasAlign;
            } else {
                return QStringLiteral("unknown cell attribute \"%1\"").arg(w[i]);
            }
        }
        m_table.setFormat(*row, *col, f);
        return {};
    }

    QString row(const QStringList& w)
    {
        if (w.size() != 3)
            return QStringLiteral("row needs a row number and height=TWIPS");
        QString reason;
        const auto row = rowOf(w[1], reason);
        if (!row)
            return reason;
        QString key, value;
        if (!split(w[2], key, value) || key != u"height")
            return QStringLiteral("unknown row attribute \"%1\"").arg(w[2]);
        const auto v = integer(value, -1, 1000000);
        if (!v)
            return badValue(key, value);
        m_table.setRowHeight(*row, *v);
        return {};
    }

    Table& m_table;
};

} // namespace

FileStatus LayoutFile::apply(QByteArrayView text, Table& table)
{
    Table work = table;
    Applier applier(work);
    const QStringList lines = QString::fromUtf8(text).split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString reason;
        const auto w = words(lines[i], &reason);
        if (w && !w->isEmpty())
            reason = applier.line(*w);
        if (!reason.isEmpty())
            return FileStatus::fail(FileStatus::BadLayout,
                                    QStringLiteral("line %1: %2").arg(i + 1).arg(reason));
    }
    table = std::move(work);
    return {};
}

} // namespace corvanta
