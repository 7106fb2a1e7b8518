#include "contacts/contactaddress.h"

#include <QLocale>

#include <QRegularExpression>
#include <QUrlQuery>

namespace corvanta::ContactAddress {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString columnIntro(const QString& what, int col, const QString& title)
{
    return QStringLiteral("The ") + what + QStringLiteral(" column is set to Column ") +
           QString::number(col + 1) + QStringLiteral(" -- '") + title + QStringLiteral("'.") +
           kCrLf;
}

// The two-letter code of a country named in English or by its code; the
// menu's own when the name says nothing QLocale knows.
QString countryCode(const QString& country, bool canada)
{
    if (country.size() == 2 && country.at(0).isLetter() && country.at(1).isLetter())
        return country.toLower();
    if (country.compare(u"USA", Qt::CaseInsensitive) == 0)
        return QStringLiteral("us");
    for (int t = 1; t <= int(QLocale::LastTerritory); ++t) {
        const auto territory = QLocale::Territory(t);
        if (QLocale::territoryToString(territory).compare(country, Qt::CaseInsensitive) == 0)
            return QLocale::territoryToCode(territory).toLower();
    }
    return canada ? QStringLiteral("ca") : QStringLiteral("us");
}

QString filled(QString text, const PostalAddress& a, bool canada, bool encode)
{
    const auto value = [encode](const QString& v) {
        return encode ? QString::fromLatin1(QUrl::toPercentEncoding(v)) : v;
    };
    text.replace(QStringLiteral("{street}"), value(a.street));
    text.replace(QStringLiteral("{city}"), value(a.city));
    text.replace(QStringLiteral("{state}"), value(a.state));
    text.replace(QStringLiteral("{zip}"), value(a.zip));
    if (!a.country.isEmpty()) {
        text.replace(QStringLiteral("{country}"), value(a.country));
        text.replace(QStringLiteral("{code}"), value(countryCode(a.country, canada)));
        return text;
    }
    text.replace(QStringLiteral("{country}"),
                 canada ? QStringLiteral("Canada") : QStringLiteral("USA"));
    text.replace(QStringLiteral("{code}"), canada ? QStringLiteral("ca") : QStringLiteral("us"));
    return text;
}

} // namespace

QString mapTemplateKey()
{
    return QStringLiteral("MapUrl");
}

QString defaultMapTemplate()
{
    return QStringLiteral(
        "https://www.openstreetmap.org/search?query={street}, {city}, {state} {zip}, {country}");
}

QUrl mapUrl(const QString& urlTemplate, const PostalAddress& address, bool canada)
{
    const QString tmpl = urlTemplate.isEmpty() ? defaultMapTemplate() : urlTemplate;
    const qsizetype mark = tmpl.indexOf(QLatin1Char('?'));
    // Fields in the path are encoded like any other; the query is built
    // pair by pair so that "&", "=", "#" and "+" in a cell stay data.
    QUrl url(filled(tmpl.left(mark < 0 ? tmpl.size() : mark), address, canada, true),
             QUrl::StrictMode);
    if (mark < 0)
        return url;
    QUrlQuery query;
    const QStringList items = tmpl.mid(mark + 1).split(QLatin1Char('&'));
    for (const QString& item : items) {
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        const QString key = eq < 0 ? item : item.left(eq);
        const QString value = eq < 0 ? QString() : filled(item.mid(eq + 1), address, canada, false);
        query.addQueryItem(QString::fromLatin1(QUrl::toPercentEncoding(key)),
                           QString::fromLatin1(QUrl::toPercentEncoding(value)));
    }
    url.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);
    return url;
}

QString streetWarning(int colMap, const QString& title)
{
    return columnIntro(QStringLiteral("street address"), colMap, title) +
           QStringLiteral("If this is not the street address column, you may reset it by going "
                          "to menu Tools->Column Define or pressing F9 key.");
}

bool isMailAddress(const QString& text)
{
    return text.contains(QLatin1Char('@')) && text.contains(QLatin1Char('.'));
}

QStringList mailAddresses(const QString& cell)
{
    // People keep a contact's second address in the same cell, separated
    // as mail programs separate recipients; a quoted name such as
    // "Lee, Ann" <ann@x.org> keeps its comma.
    QStringList found;
    QString current;
    bool quoted = false;
    const auto take = [&found, &current] {
        const QString address = current.trimmed();
        if (isMailAddress(address))
            found << address;
        current.clear();
    };
    for (const QChar ch : cell) {
        if (ch == QLatin1Char('"'))
            quoted = !quoted;
        if (!quoted && (ch == QLatin1Char(';') || ch == QLatin1Char(',')))
            take();
        else
            current += ch;
    }
    take();
    return found;
}

QByteArray mailtoTarget(const QStringList& addresses)
{
    QByteArray target("mailto:");
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        if (i)
            target += ',';
        // A comma inside one address would split it in two.
        target += QUrl::toPercentEncoding(addresses[i], "@");
    }
    return target;
}

int recipientsThatFit(const QStringList& addresses, int limit)
{
    qsizetype length = qsizetype(qstrlen("mailto:"));
    int fit = 0;
    for (const QString& a : addresses) {
        length += QUrl::toPercentEncoding(a, "@").size() + (fit ? 1 : 0);
        if (length > limit)
            break;
        ++fit;
    }
    return fit;
}

QString mailWarning(int colMail, const QString& title)
{
    return columnIntro(QStringLiteral("Email address"), colMail, title) +
           QStringLiteral("If this is not the email address column, you may reset it by going to "
                          "menu Tools->Column Define (F9). Or, highlight rows that contain valid "
                          "email address and try again. ");
}

QString tooManyRecipients(int all, int fit)
{
    return QStringLiteral("The selected records hold %1 email addresses, more than a mail "
                          "program takes in one go (the first %2 would fit).")
               .arg(all)
               .arg(fit) +
           kCrLf +
           QStringLiteral("The full list has been copied to the clipboard: paste it into the To "
                          "field of the new message.");
}

std::optional<QUrl> webAddress(const QString& cell)
{
    QString text = cell.trimmed();
    if (!text.contains(QLatin1Char('.')))
        return std::nullopt;
    for (const QChar ch : text)
        if (ch.isSpace() || ch.category() == QChar::Other_Control)
            return std::nullopt;
    // "name:" begins a scheme unless a port number follows ("x.org:8080").
    static const QRegularExpression scheme(
        QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(?!\\d+(?:[/?#]|$))"));
    const QRegularExpressionMatch m = scheme.match(text);
    if (!m.hasMatch())
        text.prepend(QStringLiteral("http://"));
    const QUrl url(text, QUrl::StrictMode);
    const QString s = url.scheme();
    if (!url.isValid() || (s != QLatin1String("http") && s != QLatin1String("https")) ||
        url.host().isEmpty())
        return std::nullopt;
    return url;
}

QString webWarning(int colWebsite, const QString& title)
{
    return columnIntro(QStringLiteral("Web site address"), colWebsite, title) +
           QStringLiteral("If this is not the web site address column, you may reset it by going "
                          "to menu Tools->Column Define or pressing F9 key.");
}

QString composeNumber(const QString& phone, const QString& prefix, bool dialOne)
{
    return dialOne ? prefix.trimmed() + phone : phone;
}

QString undialable(const QString& number)
{
    // Digits, the tone keys *#ABCD, the modifiers P T W R , ! @ and what
    // people write between digits; ";" would end the dial command early.
    static const QString allowed = QStringLiteral("0123456789*#ABCDPTWR,!@ -()+./");
    QString refused;
    for (const QChar ch : number) {
        if (!allowed.contains(ch.toUpper()) && !refused.contains(ch))
            refused += ch;
    }
    return refused;
}

} // namespace corvanta::ContactAddress
