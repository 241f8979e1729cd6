#pragma once

#include "platform/RegularFile.h"

#include <QSettings>
#include <QString>

// The per-user settings store: a map from (application, section, key) to text,
// kept in an INI file under the organisation "KX_Display" with the application
// name as file name ($XDG_CONFIG_HOME/KX_Display/<application>.ini on Linux).
// The file is read and written as text only (see IniText): nothing in it is ever
// decoded as an object.
//
// A store that cannot be read gives the defaults; one that cannot be written is
// skipped. Neither ever stops the program. The file is taken only when it is a
// regular file (or a link to one) of at most IniText::MaxBytes, and it is read
// once for as long as it stays as it is. A file that is not taken or not
// understood is left as it is, never rewritten, and reported once.
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
    // What the file held when it was last read, while it stays as it was then.
    struct Read
    {
        QString application;
        RegularFile::Look look;
        bool usable = false;   // taken and understood; missing counts as empty
        QSettings::SettingsMap values;
    };
    const Read &current(const QString &application) const;

    mutable Read m_read;
    mutable bool m_haveRead = false;
};
