#pragma once

#include <QString>

// The per-user settings store: a map from (application, section, key) to text,
// kept in an INI file under the organisation "KX_Display" with the application
// name as file name ($XDG_CONFIG_HOME/KX_Display/<application>.ini on Linux).
// A store that cannot be read gives the defaults; one that cannot be written is
// skipped. Neither ever stops the program.
class SettingsStore
{
public:
    static constexpr const char *Organisation = "KX_Display";

    virtual ~SettingsStore() = default;
    virtual QString getSetting(const QString &application, const QString &section,
                               const QString &key, const QString &defaultValue = {}) const;
    // Returns false when the value could not be written; callers may ignore it.
    virtual bool saveSetting(const QString &application, const QString &section,
                             const QString &key, const QString &value);
    // Where the file for this application lives.
    static QString fileName(const QString &application);
};
