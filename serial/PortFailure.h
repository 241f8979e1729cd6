#pragma once

#include "serial/CommError.h"

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

} // namespace PortFailure
