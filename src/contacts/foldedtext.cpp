#include "contacts/foldedtext.h"

#include <QChar>
#include <QString>

#include <algorithm>
#include <array>

namespace corvanta {

namespace {

// Every byte to itself but A-Z, which become a-z, and the control
// characters, which become spaces.
constexpr auto kLower = [] {
    std::array<char, 128> t{};
    for (int i = 0; i < 128; ++i)
        t[size_t(i)] = i < 0x20 || i == 0x7F    ? ' '
                       : (i >= 'A' && i <= 'Z') ? char(i + ('a' - 'A'))
                                                : char(i);
    return t;
}();

// Letters that no decomposition takes apart, as a reader of names would
// spell them without the stroke.
QStringView plainLetter(char32_t c)
{
    switch (c) {
    case U'ß':
        return u"ss";
    case U'æ':
        return u"ae";
    case U'œ':
        return u"oe";
    case U'ø':
        return u"o";
    case U'ł':
        return u"l";
    case U'đ':
        return u"d";
    case U'ħ':
        return u"h";
    case U'ı':
        return u"i";
    case U'þ':
        return u"th";
    default:
        return {};
    }
}

} // namespace

bool isAscii(QByteArrayView s)
{
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

QByteArray foldedText(QStringView text)
{
    QByteArray out;
    appendFolded(text.toUtf8(), out);
    return out;
}

void appendFolded(QByteArrayView utf8, QByteArray& out)
{
    if (isAscii(utf8)) {
        const qsizetype at = out.size();
        out.resize(at + utf8.size());
        char* d = out.data() + at;
        for (char c : utf8)
            *d++ = kLower[size_t(c)];
        return;
    }
    // Compatibility decomposition splits "é" into "e" and its accent and
    // turns ligatures and full-width forms into plain letters.
    const QString decomposed =
        QString::fromUtf8(utf8).normalized(QString::NormalizationForm_KD).toCaseFolded();
    QString kept;
    kept.reserve(decomposed.size());
    for (qsizetype i = 0; i < decomposed.size(); ++i) {
        char32_t c = decomposed.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < decomposed.size()) {
            c = QChar::surrogateToUcs4(decomposed.at(i).unicode(), decomposed.at(i + 1).unicode());
            ++i;
        }
        if (QChar::category(c) == QChar::Mark_NonSpacing)
            continue;
        if (c < 0x20 || c == 0x7F) {
            kept.append(QLatin1Char(' '));
        } else if (const QStringView plain = plainLetter(c); !plain.isEmpty()) {
            kept.append(plain);
        } else if (QChar::requiresSurrogates(c)) {
            kept.append(QChar::highSurrogate(c));
            kept.append(QChar::lowSurrogate(c));
        } else {
            kept.append(QChar(char16_t(c)));
        }
    }
    out.append(kept.toUtf8());
}

} // namespace corvanta
