#include "platform/Conversions.h"

#include <cmath>

namespace {
[[noreturn]] void mismatch(const QString &text)
{
    throw CommError(QStringLiteral("Typen unverträglich: \"%1\" ist keine Zahl.").arg(text));
}

// Parses a number that must take up the whole (trimmed) text.
double parseWhole(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        mismatch(text);
    if (t.size() > 2 && t[0] == u'&' && (t[1].toUpper() == u'H' || t[1].toUpper() == u'O')) {
        bool ok = false;
        const qlonglong v = t.mid(2).toLongLong(&ok, t[1].toUpper() == u'H' ? 16 : 8);
        if (!ok || t.mid(2).startsWith(u'-') || t.mid(2).startsWith(u'+'))
            mismatch(text);
        return double(v);
    }
    // Digits with an optional sign and one decimal point; no exponent, no locale.
    int i = 0, digits = 0;
    if (t[i] == u'+' || t[i] == u'-')
        ++i;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (t[i].isDigit() && t[i].unicode() < 128)
            ++digits;
        else if (t[i] == u'.' && !point)
            point = true;
        else
            mismatch(text);
    }
    if (digits == 0)
        mismatch(text);
    return t.toDouble();
}
} // namespace

int Conversions::toInteger(const QString &text, qint64 low, qint64 high)
{
    const double rounded = std::nearbyint(parseWhole(text));   // default mode: half to even
    if (rounded < double(low) || rounded > double(high))
        throw CommError(QStringLiteral("Überlauf: \"%1\" liegt außerhalb von %2 bis %3.")
                            .arg(text.trimmed()).arg(low).arg(high));
    return int(rounded);
}

bool Conversions::toBoolean(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    return parseWhole(text) != 0.0;
}
