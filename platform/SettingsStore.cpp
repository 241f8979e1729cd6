#include "platform/SettingsStore.h"

#include <QSettings>

namespace {
QSettings open(const QString &application)
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope,
                     QString::fromLatin1(SettingsStore::Organisation), application);
}
} // namespace

QString SettingsStore::getSetting(const QString &application, const QString &section,
                                  const QString &key, const QString &defaultValue) const
{
    QSettings s = open(application);
    if (s.status() != QSettings::NoError)
        return defaultValue;
    const QVariant v = s.value(section + u'/' + key);
    // Only text counts: an INI list or group under the key reads as the default.
    if (!v.isValid() || v.typeId() == QMetaType::QStringList)
        return defaultValue;
    return v.toString();
}

bool SettingsStore::saveSetting(const QString &application, const QString &section,
                                const QString &key, const QString &value)
{
    QSettings s = open(application);
    s.setValue(section + u'/' + key, value);
    s.sync();
    return s.status() == QSettings::NoError;
}

QString SettingsStore::fileName(const QString &application)
{
    return open(application).fileName();
}
