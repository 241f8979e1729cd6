#include "serial/LineSettings.h"

#include "serial/CommError.h"

#include <QStringList>

namespace {
std::optional<LineSettings> refuse(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return std::nullopt;
}

bool allDigits(const QString &s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}
} // namespace

std::optional<LineSettings> LineSettings::parse(const QString &text, QString *why)
{
    const QStringList f = text.split(u',');
    if (f.size() != 4)
        return refuse(why, QStringLiteral("Ungültige Einstellungen \"%1\": erwartet werden "
                                          "Geschwindigkeit, Parität, Datenbits und Stopbits, "
                                          "durch Kommas getrennt (z. B. 9600,N,8,1).").arg(CommError::quote(text)));
    LineSettings s;
    bool ok = false;
    const qint64 baud = f[0].toLongLong(&ok);
    if (!allDigits(f[0]) || !ok || baud < 1 || baud > 4000000)
        return refuse(why, QStringLiteral("Ungültige Geschwindigkeit \"%1\".").arg(CommError::quote(f[0])));
    s.baud = qint32(baud);

    const QString p = f[1].toLower();
    if (p.size() != 1 || !QStringLiteral("eonms").contains(p))
        return refuse(why, QStringLiteral("Ungültige Parität \"%1\": erlaubt sind E, O, N, M und S.")
                               .arg(CommError::quote(f[1])));
    s.parity = p.at(0).toLatin1();

    if (!allDigits(f[2]) || f[2].size() != 1 || f[2].toInt() < 4 || f[2].toInt() > 8)
        return refuse(why, QStringLiteral("Ungültige Anzahl Datenbits \"%1\": erlaubt sind 4 bis 8.")
                               .arg(CommError::quote(f[2])));
    s.dataBits = f[2].toInt();

    if (f[3] == u"1")
        s.stopBits = StopBits::One;
    else if (f[3] == u"1.5")
        s.stopBits = StopBits::OneAndHalf;
    else if (f[3] == u"2")
        s.stopBits = StopBits::Two;
    else
        return refuse(why, QStringLiteral("Ungültige Stopbits \"%1\": erlaubt sind 1, 1.5 und 2.")
                               .arg(CommError::quote(f[3])));
    return s;
}

QString LineSettings::toString() const
{
    const char *stop = stopBits == StopBits::One ? "1" : stopBits == StopBits::Two ? "2" : "1.5";
    return QStringLiteral("%1,%2,%3,%4").arg(baud).arg(QChar::fromLatin1(parity)).arg(dataBits)
        .arg(QLatin1StringView(stop));
}
