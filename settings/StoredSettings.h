#pragma once

#include <QString>

#include <optional>

class SerialComm;
class SettingsStore;
struct TerminalOptions;

// The program's stored settings, under the application title: section
// "Einstellungen" with the port's settings string, port number and handshaking,
// local echo and the emulation mode; and section "Anschlüsse", which names the
// device of a Com number ("Com3" = "/dev/ttyUSB0"). All values are texts.
//
// Writing a device entry from a shell: the store is the INI file
//   $XDG_CONFIG_HOME/KX_Display/Kestrix II/LT - Display  V 1.1.2.ini
// ($XDG_CONFIG_HOME defaults to ~/.config; the "/" of the title makes a folder),
// whose section name is percent-encoded with the "ü" as its Latin-1 code %FC:
//   [Anschl%FCsse]
//   Com3=/dev/ttyUSB0
class StoredSettings
{
public:
    static inline const QString Section = QStringLiteral("Einstellungen");
    static inline const QString KeySettings = QStringLiteral("Einstellungen");
    static inline const QString KeyPort = QStringLiteral("COM-Anschluß");
    static inline const QString KeyHandshaking = QStringLiteral("Handshaking");
    static inline const QString KeyEcho = QStringLiteral("Echo");
    static inline const QString KeyEmulation = QStringLiteral("TermEmu");
    static inline const QString DeviceSection = QStringLiteral("Anschlüsse");

    // A stored text longer than this is no value the program ever wrote; it is cut
    // here, so that it is refused like any other invalid value without being parsed
    // or shown whole.
    static constexpr qsizetype MaxValueLength = 256;
    // A device path may be longer.
    static constexpr qsizetype MaxDeviceLength = 4096;

    StoredSettings(SettingsStore &store, QString application);

    const QString &application() const { return m_application; }

    // What start-up's reading leaves to start-up.
    struct Loaded
    {
        // The stored port number text; empty when the reading stopped before it.
        QString comPort;
        // A refused value's failure: start-up shows it and ends where it stands.
        std::optional<QString> refused;
    };

    // Start-up's reading: puts the stored values into the port object and the
    // terminal options, tolerating failures. The latest failure counts after the
    // settings string and after the handshaking, each only when that key holds a
    // value: the reading stops there and hands the failure back.
    Loaded load(SerialComm &port, TerminalOptions &options) const;

    // Confirming the settings dialog: the settings string, port number and
    // handshaking as the port object reports them, then echo and mode, in this
    // order. A key that cannot be written is skipped.
    void save(const SerialComm &port, const TerminalOptions &options);

    // The device stored for Com N (a bare name stands under /dev), or empty.
    QString device(int com) const;
    bool setDevice(int com, const QString &path);

private:
    QString value(const QString &section, const QString &key, qsizetype most) const;

    SettingsStore &m_store;
    QString m_application;
};
