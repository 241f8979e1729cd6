#include "settings/SettingsPresets.h"

namespace {
// The one character at a 0-based position, or nothing when the string is too short.
QString charAt(const QString &s, qsizetype pos)
{
    return pos >= 0 && pos < s.size() ? QString(s.at(pos)) : QString();
}
} // namespace

SettingsPresets SettingsPresets::fromSettings(const QString &s)
{
    // The only "." a reported string can hold is in the stop bits "1.5", which
    // makes the tail two characters longer.
    const qsizetype w = s.contains(u'.') ? 2 : 0;
    const qsizetype n = s.size();
    SettingsPresets p;
    if (n - 6 - w > 0)
        p.speed = s.left(n - 6 - w);

    // Only the lower-case letters the port reports count; anything else selects nothing.
    const QString letter = charAt(s, n - 5 - w);
    if (letter == u"e")
        p.parity = QStringLiteral("Even");
    else if (letter == u"o")
        p.parity = QStringLiteral("Odd");
    else if (letter == u"n")
        p.parity = QStringLiteral("None");
    else if (letter == u"m")
        p.parity = QStringLiteral("Mark");
    else if (letter == u"s")
        p.parity = QStringLiteral("Space");

    p.dataBits = charAt(s, n - 3 - w);
    p.stopBits = s.right(w + 1);
    return p;
}

int SettingsPresets::portIndex(int commPort)
{
    return commPort >= 1 && commPort <= 16 ? commPort - 1 : -1;
}
