#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class SettingsStore;

// Which device Com N is. On Windows Com N is "COMN". Elsewhere it is the device
// stored under key "Com" + N in section "Anschlüsse" of the program's settings;
// without such an entry it is the N-th serial port present on the host, USB and
// ACM adapters first, then built-in ports, each group in name order (numbers
// compared as numbers: ttyS2 before ttyS10). An empty result means no device.
//
// Writing the entry from a shell: QSettings keeps the settings as INI in
//   $XDG_CONFIG_HOME/KX_Display/Kestrix II/LT - Display  V 1.1.2.ini
// ($XDG_CONFIG_HOME defaults to ~/.config; the "/" of the title makes a folder).
// It writes the section name percent-encoded, the "ü" as its Latin-1 code %FC:
//   [Anschl%FCsse]
//   Com3=/dev/ttyUSB0
// A stored value without a "/" is taken as a name under /dev ("ttyUSB0").
// Pseudo-terminals are never listed by the host, so a simulator's pty is
// reached only through such an entry.
class PortDirectory
{
public:
    // The system paths of the serial ports present, in any order.
    using Lister = std::function<QStringList()>;

    static constexpr int FirstPort = 1;
    static constexpr int LastPort = 16;

    // Without a lister the host's ports are asked (QSerialPortInfo).
    PortDirectory(const SettingsStore &store, QString application, Lister lister = {});

    QString device(int port) const;
    // Whether Com N's device comes from a stored entry.
    bool isStored(int port) const;

    struct Entry
    {
        int port = 0;
        QString device;      // empty: no device
        bool stored = false;
    };
    // The mapping of Com first..last, for display.
    QList<Entry> entries(int first = FirstPort, int last = LastPort) const;
    // "Com3 → /dev/ttyUSB0", or "Com3 → kein Gerät".
    static QString describe(const Entry &entry);
    QString describe(int port) const;

    static QString section() { return QStringLiteral("Anschlüsse"); }
    static QString key(int port) { return QStringLiteral("Com%1").arg(port); }

    // The counting order of the present ports: adapters (ttyUSB*, ttyACM*, any
    // name with "usb" in it) first, then the others, each group in name order.
    // Works on names or paths; of a macOS pair cu.X / tty.X only cu.X counts.
    static QStringList orderPorts(const QStringList &ports);
    // The host's serial ports as system paths (QSerialPortInfo).
    static QStringList presentPorts();

private:
    QString stored(int port) const;
    QStringList ordered() const;

    const SettingsStore &m_store;
    QString m_application;
    Lister m_lister;
};
