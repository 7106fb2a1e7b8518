#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// The addresses the contact tools hand to the browser and the mail program,
// built from cell texts, and the warnings they give when a column role
// points at the wrong column. UI-free, so every rule is tested on its own.
namespace corvanta::ContactAddress {

// --- map ---

struct PostalAddress
{
    QString street;
    QString city;
    QString state;
    QString zip;
    QString country; // the record's own; empty: the one the Tools menu names
};

// The map address template's settings key and its default. The template is
// plain text with the fields {street}, {city}, {state}, {zip}, {country}
// ("USA" or "Canada", or the address's own country) and {code} ("us" or
// "ca", or the code of the address's country when its English name or
// two-letter code says it); each query value is percent-encoded whole
// after the fields are filled in.
QString mapTemplateKey();
QString defaultMapTemplate();
// An empty template means the default.
QUrl mapUrl(const QString& urlTemplate, const PostalAddress& address, bool canada);
QString streetWarning(int colMap, const QString& title);

// --- mail ---

// An address is taken when it holds "@" and "." anywhere.
bool isMailAddress(const QString& text);
// The addresses a mail cell holds: split at ";" and "," (not inside a
// quoted name), trimmed, and only those isMailAddress takes.
QStringList mailAddresses(const QString& cell);
// "mailto:" and the addresses, each percent-encoded, separated by commas.
QByteArray mailtoTarget(const QStringList& addresses);
// Longer targets are dropped or cut by many mail programs without a word.
inline constexpr int kMailtoLimit = 2000;
// How many of the addresses, from the first, fit into a target of at most
// `limit` characters.
int recipientsThatFit(const QStringList& addresses, int limit = kMailtoLimit);
QString mailWarning(int colMail, const QString& title);
QString tooManyRecipients(int all, int fit);

// --- web link ---

// The address a web site cell opens: http or https (any case) with a host,
// "http://" put in front when the text names no scheme; nothing for any
// other scheme, for blanks or control characters inside, for a text without
// a "." or one that is no valid address.
std::optional<QUrl> webAddress(const QString& cell);
QString webWarning(int colWebsite, const QString& title);

// --- phone ---

// The number the dialer dials: the long-distance prefix (trimmed) in front
// when `dialOne` is on, nothing else added or removed.
QString composeNumber(const QString& phone, const QString& prefix, bool dialOne);
// The characters of `number` a modem would misread, each once, in order of
// appearance: anything but digits, the dial modifiers and the usual
// punctuation of written numbers. Empty when the number can be dialled.
QString undialable(const QString& number);

} // namespace corvanta::ContactAddress
