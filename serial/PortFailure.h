#pragma once

#include "serial/CommError.h"
#include "serial/LineSettings.h"
#include "serial/Termios.h"

#include <QSerialPort>
#include <QString>

// Why a port cannot be opened or used, in German sentences that name the port and
// the device and say what to do. The system's own words are added only where no
// sentence of ours fits, after it.
namespace PortFailure {

// The kind of failure from the system's error number (errno).
CommError::Cause causeOfErrno(int error);

// The kind of failure from QSerialPort's error code. QSerialPort keeps no error
// number, so `systemError` is what the system said when the device was tried
// directly (0: it opened). A device that opens for us but not for QSerialPort is
// held by another program's lock.
CommError::Cause cause(QSerialPort::SerialPortError error, int systemError);

// The sentence for Com `port` on `device`; `settings` is the line the device refused
// (Settings), `reason` the system's words (used for Other only).
QString text(CommError::Cause cause, int port, const QString &device,
             const QString &reason = {}, const QString &settings = {});

inline CommError error(CommError::Cause cause, int port, const QString &device,
                       const QString &reason = {}, const QString &settings = {})
{
    return CommError(text(cause, port, device, reason, settings), cause);
}

// The failure the system gave as errno `error`, with its words where they are needed.
CommError fromErrno(int error, int port, const QString &device, const QString &settings = {});

// The operating system's reason for the port's last failure, or nothing when
// there is none: after a successful open QSerialPort reports NoError with the
// text "Unknown error", which must never reach the user.
QString systemReason(const QSerialPort &port);

// How a sentence names an open port: "Com3 (/dev/ttyUSB0)", or "Com3" without a device.
QString where(int port, const QString &device);

// Com `port` stands for no device at all.
QString noDevice(int port);
// The folder of the component's own locks takes no link to `device`.
QString noLockLink(int port, const QString &device, const QString &folder);
// What this host cannot run at all, or empty when it can.
QString hostRefusal(int port, const LineSettings &line, int handshaking);
// QSerialPort did not take the speed, or the rest of the line, of the port `where`.
QString speedRefused(const QString &where, qint32 baud, const QSerialPort &port);
QString lineRefused(const QString &where, const LineSettings &line, const QSerialPort &port);
// The device took the line but did not keep the `missing` parts of it.
QString deviceLacks(const QString &where, const LineSettings &line, Termios::Parts missing);
// Output was not taken.
QString notSent(const QString &where, const QSerialPort &port);
// The device went away while the port was open.
QString connectionLost(const QString &where);

} // namespace PortFailure
