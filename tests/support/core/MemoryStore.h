#pragma once

#include "platform/SettingsStore.h"

#include <QMap>
#include <QStringList>

// A settings store held in memory, which can refuse every write.
class MemoryStore : public SettingsStore
{
public:
    QMap<QString, QString> values;   // "application|section/key" -> text
    QStringList written;             // keys in the order they were written
    bool refuse = false;

    QString getSetting(const QString &application, const QString &section, const QString &key,
                       const QString &defaultValue = {}) const override
    {
        return values.value(application + u'|' + section + u'/' + key, defaultValue);
    }
    bool saveSetting(const QString &application, const QString &section, const QString &key,
                     const QString &value) override
    {
        written << key;
        if (!refuse)
            values.insert(application + u'|' + section + u'/' + key, value);
        return !refuse;
    }
};
