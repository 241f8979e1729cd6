#include "platform/SettingsStore.h"

#include "platform/Log.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {
// The user's own file only: no organisation-wide or system file can put values in
// the program's way.
struct UserFile : QSettings
{
    explicit UserFile(const QString &application)
        : QSettings(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(SettingsStore::Organisation),
                    application)
    {
        setFallbacksEnabled(false);
    }
};

bool isSafeEscape(char c)
{
    return QByteArrayView("abfnrtv\"'?\\;,").contains(c);
}

// QSettings builds an object from a binary stream for a value, or an element of a
// value list, whose text starts with "@Variant(" or "@DateTime(", and a crafted
// stream makes it allocate without bound. This looks at the file before Qt
// unescapes anything, so it counts any "@" (but the "@@" that stands for a plain
// "@") and any escape that may stand for one at the start of an element, after
// blanks and quotes, as such a value. An element starts after a line's first "=",
// after any ",", and at the start of a line (which may go on a value). Text the
// program writes never looks so, unless it holds a comma followed by "@".
bool mayHoldObjects(const QByteArray &ini)
{
    bool elementStart = true;
    bool keyDone = false;   // the line's "=" has been seen
    for (qsizetype i = 0; i < ini.size(); ++i) {
        const char c = ini[i];
        const char next = i + 1 < ini.size() ? ini[i + 1] : '\0';
        if (c == '\n' || c == '\r') {
            elementStart = true;
            keyDone = false;
        } else if (c == ',' || (c == '=' && !keyDone)) {
            elementStart = true;
            keyDone = true;
        } else if (elementStart && c != ' ' && c != '\t' && c != '"') {
            elementStart = false;
            if ((c == '@' && next != '@') || (c == '\\' && !isSafeEscape(next)))
                return true;
            if (c == '@' || c == '\\')
                ++i;   // "@@" or a safe escape: its second character starts nothing
        }
    }
    return false;
}
} // namespace

bool SettingsStore::trusted(const QString &fileName) const
{
    const QFileInfo info(fileName);
    if (info.size() == m_checked.size && info.lastModified() == m_checked.modified
        && fileName == m_checked.fileName)
        return m_checked.trusted;
    QFile file(fileName);
    // A file that cannot be read is QSettings' to report.
    const bool trusted = !file.open(QIODevice::ReadOnly) || !mayHoldObjects(file.readAll());
    if (!trusted)
        qCWarning(lcStore) << "not reading or writing" << fileName << "- it holds values that are not text";
    m_checked = {fileName, info.size(), info.lastModified(), trusted};
    return trusted;
}

QString SettingsStore::getSetting(const QString &application, const QString &section,
                                  const QString &key, const QString &defaultValue) const
{
    UserFile s(application);
    if (s.status() != QSettings::NoError || !trusted(s.fileName()))
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
    UserFile s(application);
    // Writing parses every value of the file; one that is not ours stays as it is.
    if (!trusted(s.fileName()))
        return false;
    s.setValue(section + u'/' + key, value);
    s.sync();
    return s.status() == QSettings::NoError;
}

QString SettingsStore::fileName(const QString &application)
{
    return UserFile(application).fileName();
}
