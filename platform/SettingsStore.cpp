#include "platform/SettingsStore.h"

#include "platform/IniText.h"
#include "platform/Log.h"

#include <QStandardPaths>

namespace {
// The program's own format, registered once: QSettings' INI format would decode
// "@Variant(…)" and its kin into objects.
QSettings::Format textFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("ini"), IniText::read, IniText::write);
    return format;
}

// Why the file at `look` is not taken, or nothing when it may be read and written.
QString refusal(const RegularFile::Look &look)
{
    switch (look.kind) {
    case RegularFile::Kind::Missing:
        return {};
    case RegularFile::Kind::Regular:
        return look.size > IniText::MaxBytes ? QStringLiteral("it is larger than %1 bytes").arg(IniText::MaxBytes)
                                             : QString();
    case RegularFile::Kind::Unknown:
        return QStringLiteral("it cannot be looked at: ") + look.reason;
    default:
        return QStringLiteral("it is no regular file");
    }
}
// Every value of `file`, as long as each is text: one that is not means that the
// file was not understood (or read, elsewhere in the process, by QSettings' own
// INI format, whose reading QSettings shares by file name).
bool take(const QSettings &file, QSettings::SettingsMap *values)
{
    for (const QString &key : file.allKeys()) {
        const QVariant v = file.value(key);
        if (v.typeId() != QMetaType::QString)
            return false;
        values->insert(key, v);
    }
    return true;
}
} // namespace

const SettingsStore::Read &SettingsStore::current(const QString &application) const
{
    const QString path = fileName(application);
    const RegularFile::Look look = RegularFile::look(path);
    if (m_haveRead && m_read.application == application && m_read.look == look)
        return m_read;
    m_read = {application, look, false, {}};
    m_haveRead = true;
    if (const QString why = refusal(look); !why.isEmpty()) {
        qCWarning(lcStore) << "not reading or writing" << path << "-" << why;
        return m_read;
    }
    // By its name only: no organisation-wide or system file can put values in the way.
    const QSettings file(path, textFormat());
    m_read.usable = file.status() == QSettings::NoError && take(file, &m_read.values);
    if (!m_read.usable)
        qCWarning(lcStore) << "not reading or writing" << path << "-"
                           << (file.status() == QSettings::NoError ? "it is no settings file of this program"
                                                                   : "it cannot be read");
    return m_read;
}

QString SettingsStore::getSetting(const QString &application, const QString &section,
                                  const QString &key, const QString &defaultValue) const
{
    const QVariant v = current(application).values.value(section + u'/' + key);
    return v.isValid() ? v.toString() : defaultValue;
}

bool SettingsStore::saveSetting(const QString &application, const QString &section,
                                const QString &key, const QString &value)
{
    if (!current(application).usable)
        return false;
    // Read again right before writing: what another program wrote meanwhile stays.
    const QString path = fileName(application);
    QSettings file(path, textFormat());
    QSettings::SettingsMap values;
    m_haveRead = false;
    if (file.status() != QSettings::NoError || !take(file, &values))
        return false;
    file.setValue(section + u'/' + key, value);
    file.sync();
    if (file.status() != QSettings::NoError)
        return false;
    // What was written is what the file holds now: no need to read it again.
    values.insert(section + u'/' + key, value);
    m_read = {application, RegularFile::look(path), true, std::move(values)};
    m_haveRead = true;
    return true;
}

QString SettingsStore::fileName(const QString &application)
{
    // Where QSettings keeps a user's INI file, worked out without QSettings, which
    // would open the file (and wait on a FIFO) to find out.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/'
           + QLatin1StringView(Organisation) + u'/' + application + QStringLiteral(".ini");
}
