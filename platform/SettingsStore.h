#pragma once

#include <QDateTime>
#include <QString>

// The per-user settings store: a map from (application, section, key) to text,
// kept in an INI file under the organisation "KX_Display" with the application
// name as file name ($XDG_CONFIG_HOME/KX_Display/<application>.ini on Linux).
// A store that cannot be read gives the defaults; one that cannot be written is
// skipped. Neither ever stops the program. A file that holds values Qt would read
// as binary objects rather than text is neither read nor written.
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

private:
    // Checked once per state of the file: start-up reads many keys.
    bool trusted(const QString &fileName) const;
    struct Checked
    {
        QString fileName;
        qint64 size = -1;
        QDateTime modified;
        bool trusted = true;
    };
    mutable Checked m_checked;
};
