#include "settings/StoredSettings.h"

#include "platform/Log.h"
#include "platform/SettingsStore.h"
#include "serial/CommError.h"
#include "serial/LenientNumber.h"
#include "serial/SerialComm.h"
#include "terminal/TerminalOptions.h"

StoredSettings::StoredSettings(SettingsStore &store, QString application)
    : m_store(store), m_application(std::move(application))
{
}

QString StoredSettings::value(const QString &section, const QString &key, qsizetype most) const
{
    QString v = m_store.getSetting(m_application, section, key);
    if (v.size() > most) {
        qCInfo(lcStore) << section << key << "holds" << v.size() << "characters; only" << most + 1 << "are read";
        v.truncate(most + 1);
    }
    qCDebug(lcStore) << section << key << "=" << v;
    return v;
}

StoredSettings::Loaded StoredSettings::load(SerialComm &port, TerminalOptions &options) const
{
    // Up to the echo, a failing step is skipped and remembered; the latest failure
    // counts at the two checkpoints. A number the port cannot take is refused in
    // the same way as a value it refuses.
    FailureRecorder failure;
    const auto run = [&](const auto &step) { failure.run([&] { LenientNumber::refusedAs<CommError>(step); }); };
    Loaded loaded;
    const auto stop = [&] {
        if (failure.failed())
            loaded.refused = failure.description();
        return failure.failed();
    };

    const QString settings = value(Section, KeySettings, MaxValueLength);
    if (!settings.isEmpty()) {
        run([&] { port.setSettings(settings); });
        if (stop())
            return loaded;
    }
    loaded.comPort = value(Section, KeyPort, MaxValueLength);
    if (!loaded.comPort.isEmpty())
        run([&] { port.setCommPort(LenientNumber::toInt16(loaded.comPort)); });
    const QString handshaking = value(Section, KeyHandshaking, MaxValueLength);
    if (!handshaking.isEmpty()) {
        run([&] { port.setHandshaking(LenientNumber::toInt32(handshaking)); });
        if (stop())
            return loaded;
    }
    const QString echo = value(Section, KeyEcho, MaxValueLength);
    run([&] { options.localEcho = LenientNumber::toBoolean(echo); });

    const QString mode = value(Section, KeyEmulation, MaxValueLength);
    options.setEmulationText(mode.isEmpty() ? TerminalOptions::AsciiText : mode);
    return loaded;
}

void StoredSettings::save(const SerialComm &port, const TerminalOptions &options)
{
    const auto save = [&](const QString &key, const QString &value) {
        const bool written = m_store.saveSetting(m_application, Section, key, value);
        qCInfo(lcStore) << Section << key << "=" << value << (written ? "stored" : "NOT stored");
    };
    save(KeySettings, port.settings());
    save(KeyPort, QString::number(port.commPort()));
    save(KeyHandshaking, QString::number(port.handshaking()));
    save(KeyEcho, options.localEcho ? QStringLiteral("True") : QStringLiteral("False"));
    save(KeyEmulation, options.emulationText());
}

QString StoredSettings::device(int com) const
{
    QString path = value(DeviceSection, QStringLiteral("Com%1").arg(com), MaxDeviceLength).trimmed();
    if (!path.isEmpty() && !path.contains(u'/'))
        path.prepend(QLatin1StringView("/dev/"));
    return path;
}

bool StoredSettings::setDevice(int com, const QString &path)
{
    return m_store.saveSetting(m_application, DeviceSection, QStringLiteral("Com%1").arg(com), path);
}
