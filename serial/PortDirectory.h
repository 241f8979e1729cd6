#pragma once

#include <QList>
#include <QSerialPortInfo>
#include <QString>
#include <QStringList>

#include <functional>

// Which device Com N is. On Windows Com N is "COMN". Elsewhere it is the device
// the user stored for it; without such an entry it is the N-th serial
// port present on the host, USB and ACM adapters first, then built-in ports, each
// group in name order (numbers compared as numbers: ttyS2 before ttyS10). An empty
// result means no device. Pseudo-terminals are never listed by the host, so a
// simulator's pty is reached only through a stored entry.
class PortDirectory
{
public:
    // The device the user stored for Com N, or empty.
    using Stored = std::function<QString(int port)>;
    // The system paths of the serial ports present, in any order.
    using Lister = std::function<QStringList()>;

    // Without a lister the host's ports are asked (QSerialPortInfo).
    explicit PortDirectory(Stored stored, Lister lister = {});

    QString device(int port) const;

    // The counting order of the present ports: adapters (ttyUSB*, ttyACM*, any
    // name with "usb" in it) first, then the others, each group in name order.
    // Works on names or paths; of a macOS pair cu.X / tty.X only cu.X counts.
    static QStringList orderPorts(const QStringList &ports);
    // The host's serial ports as system paths (QSerialPortInfo).
    static QStringList presentPorts();
    // A device in words for people: its path and, for a USB adapter among the
    // host's ports, maker, product and serial number; "kein Gerät" for no device.
    // A path through a link (/dev/serial/by-id/...) finds the adapter it leads to.
    static QString describe(const QString &device,
                            const QList<QSerialPortInfo> &ports = QSerialPortInfo::availablePorts());

private:
    Stored m_stored;
    Lister m_lister;
};
