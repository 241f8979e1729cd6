#pragma once

#include <QString>

class QSerialPort;

// Opens a serial device for this program alone. QSerialPort's lock file is named
// after the path opened, so the path is resolved first (a link would get a lock of
// its own); besides, the device is flock()ed, which holds for root (whom TIOCEXCL
// does not stop), across processes and for every path to the same device.
class DeviceLock
{
public:
    // `folder` gives the locks a folder of their own: the device is opened through
    // a link there, named after the device, so that QSerialPort's lock file (in the
    // machine's lock folder, named after the path opened) is one that only users of
    // the same folder share, while the flock() still holds for all. For tests,
    // whose pseudo-terminal numbers other programs may have held and locked before.
    // Empty: the lock every serial program on the host honours.
    explicit DeviceLock(QString folder = {});

    // The device node behind `named` (links resolved) once it is there and may be
    // opened by this user; otherwise throws CommError saying why, for Com `port`.
    static QString node(int port, const QString &named);
    // Opens `serial` on `node` with a line every device takes, so that a device
    // refusing the wanted line is told apart from one that does not open at all.
    // Throws CommError when the device does not open or another program holds it.
    void open(QSerialPort &serial, int port, const QString &node) const;

private:
    // What the system says when the device is opened directly; 0 when it opens.
    static int systemErrorOpening(const QString &node);

    QString m_folder;
};
