#include "table/valueformat.h"

#include "grid/table.h"

#include <QDate>
#include <QStringView>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace corvanta::ValueFormat {

namespace {

// A spreadsheet keeps 15 significant digits; rounding to them first makes a
// long value show what a spreadsheet shows for it.
constexpr int kSignificant = 15;
// Exponents past this read as "not a number": no display can use them.
constexpr int kMaxExponent = 330;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}
int digitOf(QChar c)
{
    return c.unicode() - u'0';
}

// A decimal value as written: digits * 10^exp, sign apart. Rounding on this
// rather than on a double is what keeps 0.125 rounding to 0.13.
struct Decimal
{
    bool neg = false;
    std::string digits; // no leading or trailing zeros; empty means zero
    int exp = 0;

    bool isZero() const { return digits.empty(); }

    void normalise()
    {
        size_t lead = digits.find_first_not_of('0');
        if (lead == std::string::npos) {
            digits.clear();
            exp = 0;
            return;
        }
        digits.erase(0, lead);
        size_t last = digits.find_last_not_of('0');
        exp += int(digits.size() - 1 - last);
        digits.resize(last + 1);
    }

    // Keeps the first `keep` digits, rounding half away from zero.
    void roundToDigits(int keep)
    {
        const int size = int(digits.size());
        if (keep >= size)
            return;
        if (keep < 0) {
            digits.clear();
            exp = 0;
            return;
        }
        const bool up = digits[size_t(keep)] >= '5';
        exp += size - keep;
        digits.resize(size_t(keep));
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits[size_t(i)] == '9')
                digits[size_t(i--)] = '0';
            if (i < 0)
                digits.insert(digits.begin(), '1');
            else
                ++digits[size_t(i)];
        }
        normalise();
    }

    void roundToDecimals(int decimals)
    {
        const int fraction = -exp;
        if (fraction <= decimals)
            return;
        const int keep = int(digits.size()) - (fraction - decimals);
        if (keep == 0) {
            // Every kept digit is zero: the first dropped one decides.
            const bool up = digits[0] >= '5';
            digits = up ? "1" : "";
            exp = up ? -decimals : 0;
            return;
        }
        roundToDigits(keep);
    }

    std::string integerDigits() const
    {
        if (digits.empty())
            return {};
        if (exp >= 0)
            return digits + std::string(size_t(exp), '0');
        const int intLen = int(digits.size()) + exp;
        return intLen > 0 ? digits.substr(0, size_t(intLen)) : std::string();
    }

    // Exactly `count` fraction digits, padded with zeros.
    std::string fractionDigits(int count) const
    {
        std::string out(size_t(count), '0');
        const int intLen = int(digits.size()) + exp; // digits before the point
        for (int i = 0; i < count; ++i) {
            const int idx = intLen + i; // index into digits of fraction digit i
            if (idx >= 0 && idx < int(digits.size()))
                out[size_t(i)] = digits[size_t(idx)];
        }
        return out;
    }
};

QStringView trimmed(QStringView s)
{
    return s.trimmed();
}

// Reads "[+-][$]digits[,ddd...][.digits][e[+-]digits][%]". `decorated`
// allows "$", thousands groups and "%"; without it only a plain number is
// read.
std::optional<Decimal> parseDecimal(QStringView text, bool decorated)
{
    const QStringView s = trimmed(text);
    qsizetype i = 0;
    const qsizetype n = s.size();
    Decimal d;
    if (i < n && (s[i] == u'-' || s[i] == u'+'))
        d.neg = s[i++] == u'-';
    if (decorated && i < n && s[i] == u'$')
        ++i;
    int intDigits = 0;
    int groupLen = -1; // digits since the last comma; -1 before any comma
    for (; i < n; ++i) {
        const QChar c = s[i];
        if (isDigit(c)) {
            d.digits.push_back(char(c.unicode()));
            ++intDigits;
            if (groupLen >= 0)
                ++groupLen;
        } else if (decorated && c == u',' && intDigits > 0 && (groupLen < 0 || groupLen == 3) &&
                   (groupLen >= 0 || intDigits <= 3)) {
            groupLen = 0;
        } else {
            break;
        }
    }
    if (groupLen >= 0 && groupLen != 3)
        return std::nullopt;
    int fracDigits = 0;
    if (i < n && s[i] == u'.') {
        for (++i; i < n && isDigit(s[i]); ++i) {
            d.digits.push_back(char(s[i].unicode()));
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0)
        return std::nullopt;
    d.exp = -fracDigits;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        bool expNeg = false;
        if (i < n && (s[i] == u'-' || s[i] == u'+'))
            expNeg = s[i++] == u'-';
        if (i >= n || !isDigit(s[i]))
            return std::nullopt;
        int e = 0;
        for (; i < n && isDigit(s[i]); ++i) {
            e = e * 10 + digitOf(s[i]);
            if (e > 100000)
                return std::nullopt;
        }
        d.exp += expNeg ? -e : e;
    }
    if (decorated && i < n && s[i] == u'%') {
        d.exp -= 2;
        ++i;
    }
    if (i != n)
        return std::nullopt;
    d.normalise();
    if (!d.isZero() && std::abs(d.exp + int(d.digits.size())) > kMaxExponent)
        return std::nullopt;
    d.roundToDigits(kSignificant);
    return d;
}

double toDouble(const Decimal& d)
{
    if (d.isZero())
        return 0.0;
    const std::string text = (d.neg ? "-" : "") + d.digits + "e" + std::to_string(d.exp);
    return std::strtod(text.c_str(), nullptr);
}

// --- number patterns ---------------------------------------------------

struct NumberPattern
{
    QString source;
    int intPlaces = 0;    // digit places before the point
    int minIntDigits = 0; // from the first `0` place to the point
    bool grouping = false;
    bool hasPoint = false;
    QString fracPlaces; // the `0`/`#`/`?` places after the point
    int percents = 0;
};

NumberPattern analyseNumber(const QString& pattern)
{
    NumberPattern p;
    p.source = pattern;
    bool inFraction = false;
    int firstZero = -1;
    int lastIntPlace = -1;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'"') {
            const qsizetype end = pattern.indexOf(u'"', i + 1);
            i = end < 0 ? pattern.size() : end;
        } else if (c == u'\\') {
            ++i;
        } else if (c == u'0' || c == u'#' || c == u'?') {
            if (inFraction) {
                p.fracPlaces.append(c);
            } else {
                if (c == u'0' && firstZero < 0)
                    firstZero = p.intPlaces;
                ++p.intPlaces;
                lastIntPlace = int(i);
            }
        } else if (c == u'.' && !inFraction) {
            inFraction = true;
            p.hasPoint = true;
        } else if (c == u'%') {
            ++p.percents;
        }
    }
    p.minIntDigits = firstZero < 0 ? 0 : p.intPlaces - firstZero;
    // A comma between two integer places groups thousands.
    bool seenPlace = false;
    for (qsizetype i = 0; i < pattern.size() && i < lastIntPlace; ++i) {
        const QChar c = pattern[i];
        if (c == u'.')
            break;
        if (c == u'0' || c == u'#' || c == u'?')
            seenPlace = true;
        else if (c == u',' && seenPlace)
            p.grouping = true;
    }
    return p;
}

// Cells of one column share their pattern: keep the last few analysed.
template <class Pattern, Pattern (*analyse)(const QString&)>
const Pattern& cachedPattern(const QString& pattern)
{
    thread_local std::array<Pattern, 4> cache;
    thread_local unsigned next = 0;
    for (const Pattern& p : cache)
        if (p.source == pattern && !p.source.isNull())
            return p;
    Pattern& slot = cache[next++ % cache.size()];
    slot = analyse(pattern);
    return slot;
}

QString renderNumber(const NumberPattern& p, Decimal value)
{
    const bool negative = value.neg && !value.isZero();
    value.exp += 2 * p.percents;
    value.roundToDecimals(int(p.fracPlaces.size()));
    std::string intDigits = value.integerDigits();
    if (int(intDigits.size()) < p.minIntDigits)
        intDigits.insert(0, size_t(p.minIntDigits) - intDigits.size(), '0');
    std::string frac = value.fractionDigits(int(p.fracPlaces.size()));
    // Trailing `#` places drop their zeros, `?` places turn them to blanks.
    int fracShown = int(frac.size());
    for (int j = fracShown - 1; j >= 0 && frac[size_t(j)] == '0'; --j) {
        const QChar place = p.fracPlaces[j];
        if (place == u'#')
            fracShown = j;
        else if (place == u'?')
            frac[size_t(j)] = ' ';
        else
            break;
    }

    const QString& pattern = p.source;
    QString out;
    out.reserve(pattern.size() + qsizetype(intDigits.size() + frac.size()) + 8);
    if (negative)
        out.append(u'-');
    const int n = int(intDigits.size());
    int emitted = 0; // integer digits written so far
    auto emitDigits = [&](int count) {
        for (int k = 0; k < count; ++k, ++emitted) {
            out.append(QChar(intDigits[size_t(emitted)]));
            const int fromRight = n - 1 - emitted;
            if (p.grouping && fromRight > 0 && fromRight % 3 == 0)
                out.append(u',');
        }
    };
    // Without integer places the integer digits stand before the point (or
    // the percent sign, or at the end).
    bool placedLoose = p.intPlaces > 0;
    int intPlace = 0;
    int fracPlace = 0;
    bool inFraction = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'"') {
            const qsizetype end = pattern.indexOf(u'"', i + 1);
            const qsizetype stop = end < 0 ? pattern.size() : end;
            out.append(QStringView(pattern).mid(i + 1, stop - i - 1));
            i = stop;
        } else if (c == u'\\') {
            if (i + 1 < pattern.size())
                out.append(pattern[++i]);
        } else if (c == u'0' || c == u'#' || c == u'?') {
            if (inFraction) {
                if (fracPlace < fracShown)
                    out.append(QChar(frac[size_t(fracPlace)]));
                ++fracPlace;
                continue;
            }
            // The first place takes every digit beyond the places.
            const int placesLeft = p.intPlaces - intPlace;
            const int digitsLeft = n - emitted;
            if (intPlace == 0 && digitsLeft > placesLeft)
                emitDigits(digitsLeft - placesLeft + 1);
            else if (digitsLeft >= placesLeft)
                emitDigits(1);
            else if (c == u'?')
                out.append(u' ');
            ++intPlace;
        } else if (c == u'.' && !inFraction) {
            if (!placedLoose) {
                emitDigits(n);
                placedLoose = true;
            }
            inFraction = true;
            out.append(u'.');
        } else if (c == u',' && p.grouping && !inFraction) {
            // consumed by the grouping
        } else {
            if (c == u'%' && !placedLoose) {
                emitDigits(n);
                placedLoose = true;
            }
            out.append(c);
        }
    }
    if (!placedLoose)
        emitDigits(n);
    return out;
}

// --- date values ---------------------------------------------------------

constexpr std::array<const char16_t*, 12> kMonths = {
    u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
constexpr std::array<const char16_t*, 12> kMonthNames = {
    u"January", u"February", u"March",     u"April",   u"May",      u"June",
    u"July",    u"August",   u"September", u"October", u"November", u"December"};
constexpr std::array<const char16_t*, 7> kDays = {u"Mon", u"Tue", u"Wed", u"Thu",
                                                  u"Fri", u"Sat", u"Sun"};
constexpr std::array<const char16_t*, 7> kDayNames = {
    u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday", u"Sunday"};

const QDate& epoch()
{
    static const QDate e(1899, 12, 30);
    return e;
}
// Serials of 0100-01-01 and the day after 9999-12-31.
constexpr double kMinSerial = -657434.0;
constexpr double kEndSerial = 2958466.0;

struct Scanner
{
    QStringView s;
    qsizetype i = 0;

    bool atEnd() const { return i >= s.size(); }
    bool take(QChar c)
    {
        if (!atEnd() && s[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
    // Between min and max digits; -1 when there are fewer than min.
    int number(int minDigits, int maxDigits, int* count = nullptr)
    {
        int value = 0;
        int k = 0;
        while (k < maxDigits && !atEnd() && isDigit(s[i])) {
            value = value * 10 + digitOf(s[i++]);
            ++k;
        }
        if (count)
            *count = k;
        return k < minDigits ? -1 : value;
    }
    int month()
    {
        if (s.size() - i < 3)
            return -1;
        const QStringView word = s.mid(i, 3);
        for (int m = 0; m < 12; ++m) {
            if (word.compare(QStringView(kMonths[size_t(m)]), Qt::CaseInsensitive) == 0) {
                i += 3;
                return m + 1;
            }
        }
        return -1;
    }
    void skipBlanks()
    {
        while (!atEnd() && s[i] == u' ')
            ++i;
    }
};

int fullYear(int year, int digits)
{
    if (digits == 2)
        return year < 30 ? 2000 + year : 1900 + year;
    return digits == 4 && year >= 100 ? year : -1;
}

// "h:mm", "h:mm:ss", optionally with AM/PM; seconds of the day or -1.
int readTime(Scanner& sc, bool allowMarker)
{
    int hour = sc.number(1, 2);
    if (hour < 0 || !sc.take(u':'))
        return -1;
    const int minute = sc.number(2, 2);
    int second = 0;
    if (minute < 0)
        return -1;
    if (sc.take(u':') && (second = sc.number(2, 2)) < 0)
        return -1;
    if (allowMarker) {
        const qsizetype mark = sc.i;
        sc.skipBlanks();
        const QStringView rest = sc.s.mid(sc.i);
        const bool am = rest.compare(u"AM", Qt::CaseInsensitive) == 0;
        const bool pm = rest.compare(u"PM", Qt::CaseInsensitive) == 0;
        if (am || pm) {
            if (hour < 1 || hour > 12)
                return -1;
            hour = hour % 12 + (pm ? 12 : 0);
            sc.i = sc.s.size();
        } else {
            sc.i = mark;
        }
    }
    if (hour > 23 || minute > 59 || second > 59)
        return -1;
    return hour * 3600 + minute * 60 + second;
}

std::optional<double> serialOf(int year, int month, int day, int seconds)
{
    if (year < 100 || !QDate::isValid(year, month, day))
        return std::nullopt;
    return double(epoch().daysTo(QDate(year, month, day))) + seconds / 86400.0;
}

// The date part at the scanner: ISO, US slashes, dd-Mmm-yyyy or Mmm-dd-yyyy.
// Returns false when none fits; `iso` tells the time separator allowed.
bool readDate(Scanner& sc, int& year, int& month, int& day, bool& iso)
{
    const qsizetype start = sc.i;
    int digits = 0;
    iso = false;
    if (const int m = sc.month(); m > 0) { // Mmm-dd-yyyy
        month = m;
        if (!sc.take(u'-') || (day = sc.number(1, 2)) < 0 || !sc.take(u'-'))
            return false;
        const int y = sc.number(2, 4, &digits);
        year = y < 0 ? -1 : fullYear(y, digits);
        return year > 0;
    }
    const int first = sc.number(1, 4, &digits);
    if (first < 0)
        return false;
    if (digits == 4) { // yyyy-mm-dd
        iso = true;
        year = first;
        if (!sc.take(u'-') || (month = sc.number(1, 2)) < 0 || !sc.take(u'-'))
            return false;
        day = sc.number(1, 2);
        return day >= 0 && year >= 100;
    }
    if (digits > 2)
        return false;
    if (sc.take(u'/')) { // m/d/yy or m/d/yyyy
        month = first;
        if ((day = sc.number(1, 2)) < 0 || !sc.take(u'/'))
            return false;
        const int y = sc.number(2, 4, &digits);
        year = y < 0 ? -1 : fullYear(y, digits);
        return year > 0;
    }
    if (sc.take(u'-')) { // dd-Mmm-yyyy
        day = first;
        if ((month = sc.month()) < 0 || !sc.take(u'-'))
            return false;
        const int y = sc.number(2, 4, &digits);
        year = y < 0 ? -1 : fullYear(y, digits);
        return year > 0;
    }
    sc.i = start;
    return false;
}

// --- date patterns -------------------------------------------------------

enum class DateToken : uint8_t {
    Literal,
    Day,
    Day2,
    DayName,
    DayFull,
    Month,
    Month2,
    MonthName,
    MonthFull,
    Year2,
    Year4,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    AmPm,
};

struct DatePart
{
    DateToken token;
    QString text; // literal text
};

struct DatePattern
{
    QString source;
    std::vector<DatePart> parts;
    bool twelveHour = false;
};

bool isTimeToken(DateToken t, bool hour)
{
    return hour ? (t == DateToken::Hour || t == DateToken::Hour2)
                : (t == DateToken::Second || t == DateToken::Second2);
}

DatePattern analyseDate(const QString& pattern)
{
    DatePattern p;
    p.source = pattern;
    auto literal = [&](QStringView text) {
        if (!p.parts.empty() && p.parts.back().token == DateToken::Literal)
            p.parts.back().text.append(text);
        else
            p.parts.push_back({DateToken::Literal, text.toString()});
    };
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = pattern[i];
        const QChar lower = c.toLower();
        if (QStringView(pattern).mid(i, 4).compare(u"AMPM", Qt::CaseInsensitive) == 0 ||
            QStringView(pattern).mid(i, 5).compare(u"AM/PM", Qt::CaseInsensitive) == 0) {
            const bool slash = pattern.mid(i + 2, 1) == u"/";
            p.parts.push_back({DateToken::AmPm, {}});
            p.twelveHour = true;
            i += slash ? 5 : 4;
            continue;
        }
        if (c == u'"') {
            const qsizetype end = pattern.indexOf(u'"', i + 1);
            const qsizetype stop = end < 0 ? n : end;
            literal(QStringView(pattern).mid(i + 1, stop - i - 1));
            i = stop + 1;
            continue;
        }
        if (c == u'\\' && i + 1 < n) {
            literal(QStringView(pattern).mid(i + 1, 1));
            i += 2;
            continue;
        }
        qsizetype run = 1;
        while (i + run < n && pattern[i + run].toLower() == lower)
            ++run;
        DateToken t = DateToken::Literal;
        if (lower == u'd')
            t = run == 1   ? DateToken::Day
                : run == 2 ? DateToken::Day2
                : run == 3 ? DateToken::DayName
                           : DateToken::DayFull;
        else if (lower == u'm')
            t = run == 1   ? DateToken::Month
                : run == 2 ? DateToken::Month2
                : run == 3 ? DateToken::MonthName
                           : DateToken::MonthFull;
        else if (lower == u'y')
            t = run <= 2 ? DateToken::Year2 : DateToken::Year4;
        else if (lower == u'h')
            t = run == 1 ? DateToken::Hour : DateToken::Hour2;
        else if (lower == u's')
            t = run == 1 ? DateToken::Second : DateToken::Second2;
        if (t == DateToken::Literal)
            literal(QStringView(pattern).mid(i, run));
        else
            p.parts.push_back({t, {}});
        i += run;
    }
    // `m`/`mm` right after an hour or right before seconds means minutes.
    DateToken previous = DateToken::Literal;
    for (size_t k = 0; k < p.parts.size(); ++k) {
        DatePart& part = p.parts[k];
        if (part.token == DateToken::Literal)
            continue;
        if (part.token == DateToken::Month || part.token == DateToken::Month2) {
            DateToken next = DateToken::Literal;
            for (size_t j = k + 1; j < p.parts.size() && next == DateToken::Literal; ++j)
                next = p.parts[j].token;
            if (isTimeToken(previous, true) || isTimeToken(next, false))
                part.token =
                    part.token == DateToken::Month ? DateToken::Minute : DateToken::Minute2;
        }
        previous = part.token;
    }
    return p;
}

void appendNumber(QString& out, int value, int width)
{
    if (width == 2 && value < 10)
        out.append(u'0');
    out.append(QString::number(value));
}

} // namespace

std::optional<double> number(const QString& text)
{
    const std::optional<Decimal> d = parseDecimal(text, true);
    if (!d)
        return std::nullopt;
    return toDouble(*d);
}

bool ticked(const QString& stored)
{
    const std::optional<Decimal> d = parseDecimal(stored, false);
    return d && d->digits == "1" && d->exp == 0;
}

std::optional<double> dateSerial(const QString& text)
{
    const QStringView s = trimmed(text);
    if (s.isEmpty())
        return std::nullopt;
    if (const std::optional<Decimal> plain = parseDecimal(s, false)) {
        const double serial = toDouble(*plain);
        if (serial < kMinSerial || serial >= kEndSerial)
            return std::nullopt;
        return serial;
    }
    Scanner sc{s};
    int year = 0, month = 0, day = 0;
    bool iso = false;
    if (!readDate(sc, year, month, day, iso))
        return std::nullopt;
    int seconds = 0;
    if (!sc.atEnd()) {
        if (iso && sc.take(u'T')) {
            seconds = readTime(sc, false);
        } else {
            if (!sc.take(u' '))
                return std::nullopt;
            sc.skipBlanks();
            seconds = readTime(sc, !iso);
        }
        if (seconds < 0 || !sc.atEnd())
            return std::nullopt;
    }
    return serialOf(year, month, day, seconds);
}

QString formatNumber(const QString& pattern, const QString& stored)
{
    if (pattern.isEmpty())
        return stored;
    const std::optional<Decimal> value = parseDecimal(stored, true);
    if (!value)
        return stored;
    return renderNumber(cachedPattern<NumberPattern, analyseNumber>(pattern), *value);
}

QString formatSerial(const QString& pattern, double serial)
{
    if (!(serial >= kMinSerial && serial < kEndSerial))
        return {};
    const qint64 total = std::llround(serial * 86400.0);
    if (total >= qint64(kEndSerial) * 86400)
        return {};
    qint64 days = total / 86400;
    qint64 secs = total % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    const QDate date = epoch().addDays(days);
    const int hour = int(secs / 3600);
    const int minute = int(secs / 60 % 60);
    const int second = int(secs % 60);
    const DatePattern& p = cachedPattern<DatePattern, analyseDate>(pattern);
    QString out;
    out.reserve(pattern.size() + 8);
    for (const DatePart& part : p.parts) {
        switch (part.token) {
        case DateToken::Literal:
            out.append(part.text);
            break;
        case DateToken::Day:
        case DateToken::Day2:
            appendNumber(out, date.day(), part.token == DateToken::Day2 ? 2 : 1);
            break;
        case DateToken::DayName:
            out.append(QStringView(kDays[size_t(date.dayOfWeek() - 1)]));
            break;
        case DateToken::DayFull:
            out.append(QStringView(kDayNames[size_t(date.dayOfWeek() - 1)]));
            break;
        case DateToken::Month:
        case DateToken::Month2:
            appendNumber(out, date.month(), part.token == DateToken::Month2 ? 2 : 1);
            break;
        case DateToken::MonthName:
            out.append(QStringView(kMonths[size_t(date.month() - 1)]));
            break;
        case DateToken::MonthFull:
            out.append(QStringView(kMonthNames[size_t(date.month() - 1)]));
            break;
        case DateToken::Year2:
            appendNumber(out, date.year() % 100, 2);
            break;
        case DateToken::Year4:
            out.append(QString::number(date.year()));
            break;
        case DateToken::Hour:
        case DateToken::Hour2: {
            const int h = p.twelveHour ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
            appendNumber(out, h, part.token == DateToken::Hour2 ? 2 : 1);
            break;
        }
        case DateToken::Minute:
        case DateToken::Minute2:
            appendNumber(out, minute, part.token == DateToken::Minute2 ? 2 : 1);
            break;
        case DateToken::Second:
        case DateToken::Second2:
            appendNumber(out, second, part.token == DateToken::Second2 ? 2 : 1);
            break;
        case DateToken::AmPm:
            out.append(hour < 12 ? u"AM" : u"PM");
            break;
        }
    }
    return out;
}

QString formatDate(const QString& pattern, const QString& stored)
{
    if (pattern.isEmpty())
        return stored;
    const std::optional<double> serial = dateSerial(stored);
    if (!serial)
        return stored;
    const QString out = formatSerial(pattern, *serial);
    return out.isEmpty() ? stored : out;
}

QString shown(int type, const QString& format, const QString& stored)
{
    switch (type) {
    case TypeNumber:
    case TypeMoney:
        return formatNumber(format, stored);
    case TypeDate:
        return formatDate(format, stored);
    case TypeCheckbox:
        return ticked(stored) ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return stored;
    }
}

} // namespace corvanta::ValueFormat
