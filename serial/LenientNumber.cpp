#include "serial/LenientNumber.h"

#include "serial/CommError.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {
// Exponents beyond this are all alike: far out of range or indistinguishable from 0.
constexpr int ExponentCap = 100000;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

int digitValue(QChar c, int base)
{
    int d = -1;
    if (c >= u'0' && c <= u'9')
        d = c.unicode() - '0';
    else if (c >= u'a' && c <= u'f')
        d = c.unicode() - 'a' + 10;
    else if (c >= u'A' && c <= u'F')
        d = c.unicode() - 'A' + 10;
    return d >= 0 && d < base ? d : -1;
}

bool isDecimalDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Reads digits of base 16 or 8 from position i on. Very long digit runs saturate
// instead of becoming infinite, which is out of range all the same.
double readRadix(const QString &s, qsizetype &i, int base)
{
    double value = 0.0;
    for (int d; i < s.size() && (d = digitValue(s[i], base)) >= 0; ++i) {
        if (value < 1e300)
            value = value * base + d;
    }
    return value;
}

// Reads a decimal number with optional fraction (and exponent, where allowed) from
// position i on; leaves i where it stopped, and at the start when there was no digit.
double readDecimal(const QString &s, qsizetype &i, bool withExponent)
{
    const qsizetype start = i;
    std::string mantissa;
    int intDigits = 0;       // integer digits after the leading zeros
    int fractionZeros = 0;   // zeros right after the point, while no other digit came
    bool nonZero = false, anyDigit = false;
    while (i < s.size() && isDecimalDigit(s[i])) {
        anyDigit = true;
        if (s[i] != u'0' || nonZero) {
            nonZero = true;
            ++intDigits;
        }
        mantissa += char(s[i].unicode());
        ++i;
    }
    if (i < s.size() && s[i] == u'.') {
        mantissa += '.';
        ++i;
        while (i < s.size() && isDecimalDigit(s[i])) {
            anyDigit = true;
            if (s[i] != u'0')
                nonZero = true;
            else if (!nonZero)
                ++fractionZeros;
            mantissa += char(s[i].unicode());
            ++i;
        }
    }
    if (!anyDigit) {
        i = start;
        return 0.0;
    }

    // An exponent counts only when at least one digit follows the letter.
    long exponent = 0;
    if (withExponent && i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        qsizetype j = i + 1;
        bool negative = false;
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            negative = s[j++] == u'-';
        if (j < s.size() && isDecimalDigit(s[j])) {
            for (; j < s.size() && isDecimalDigit(s[j]); ++j) {
                if (exponent < ExponentCap)
                    exponent = exponent * 10 + (s[j].unicode() - '0');
            }
            if (negative)
                exponent = -exponent;
            i = j;
        }
    }
    if (!nonZero)
        return 0.0;

    const std::string number = mantissa + 'e' + std::to_string(exponent);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value,
                                           std::chars_format::general);
    Q_UNUSED(end);
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: tell which from the decimal magnitude.
        const long magnitude = intDigits > 0 ? intDigits - 1 + exponent : exponent - fractionZeros - 1;
        return magnitude >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return ec == std::errc() ? value : 0.0;
}
} // namespace

LenientNumber::Scan LenientNumber::scan(const QString &text, Form form)
{
    const bool lenient = form == Form::Lenient;
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        if (!lenient || !isBlank(c))
            s += c;
    }

    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        negative = s[i++] == u'-';
    const qsizetype afterSign = i;

    double value = 0.0;
    const bool radix = i + 1 < s.size() && s[i] == u'&'
                       && (s[i + 1].toUpper() == u'H' || s[i + 1].toUpper() == u'O');
    if (radix && (lenient || (!negative && i == 0))) {
        const int base = s[i + 1].toUpper() == u'H' ? 16 : 8;
        i += 2;
        const qsizetype digitsStart = i;
        value = readRadix(s, i, base);
        if (i == digitsStart)
            i = afterSign;
    } else {
        value = readDecimal(s, i, lenient);
    }
    if (i == afterSign)
        return {0.0, {}, false};
    return {negative ? -value : value, s.left(i), i == s.size()};
}

double LenientNumber::roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5)
        return below + 1.0;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

namespace {
qint64 inRange(double value, const QString &number, qint64 low, qint64 high)
{
    const double rounded = LenientNumber::roundHalfEven(value);
    if (!(rounded >= double(low) && rounded <= double(high)))
        throw LenientNumber::Error(QStringLiteral("Überlauf: \"%1\" liegt außerhalb von %2 bis %3.")
                                       .arg(CommError::quote(number)).arg(low).arg(high));
    return qint64(rounded);
}

LenientNumber::Scan whole(const QString &text)
{
    const LenientNumber::Scan s = LenientNumber::scan(text.trimmed(), LenientNumber::Form::Strict);
    if (s.number.isEmpty() || !s.whole)
        throw LenientNumber::Error(QStringLiteral("Typen unverträglich: \"%1\" ist keine Zahl.")
                                       .arg(CommError::quote(text)));
    return s;
}
} // namespace

qint16 LenientNumber::read(const QString &text)
{
    const Scan s = scan(text);
    return qint16(inRange(s.value, s.number, -32768, 32767));
}

int LenientNumber::toInteger(const QString &text, qint64 low, qint64 high)
{
    const Scan s = whole(text);
    return int(inRange(s.value, s.number, low, high));
}

bool LenientNumber::toBoolean(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    return whole(text).value != 0.0;
}
