#include "settings/SettingsString.h"

QString SettingsString::build(const QString &speed, const QString &parity,
                              const QString &dataBits, const QString &stopBits)
{
    return speed.trimmed() + u',' + parity.left(1) + u',' + dataBits.trimmed() + u','
         + stopBits.trimmed();
}
