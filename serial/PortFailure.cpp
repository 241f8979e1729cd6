#include "serial/PortFailure.h"

#include <cerrno>

namespace PortFailure {

CommError::Cause causeOfErrno(int error)
{
    using C = CommError::Cause;
    switch (error) {
    case ENOENT:
        return C::Missing;
    case ENXIO:
    case ENODEV:
        return C::NoHardware;
    case EACCES:
    case EPERM:
    case EROFS:
        return C::Permission;
    case EBUSY:
    case EWOULDBLOCK:   // a held flock()
        return C::Busy;
    case EIO:
    case EPIPE:
        return C::Io;
    case EINVAL:
        return C::Settings;
    case ENOTTY:
        return C::NotSerial;
    default:
        return C::Other;
    }
}

CommError::Cause cause(QSerialPort::SerialPortError error, int systemError)
{
    using C = CommError::Cause;
    if (systemError != 0)
        return causeOfErrno(systemError);
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return C::Missing;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return C::Busy;
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        return C::Io;
    case QSerialPort::UnsupportedOperationError:
        return C::Settings;
    default:
        return C::Other;
    }
}

QString text(CommError::Cause cause, int port, const QString &device, const QString &reason,
             const QString &settings)
{
    // A path from the store may be of any length.
    const QString path = CommError::quote(device, 100);
    const QString at = QStringLiteral("Com%1 (%2)").arg(port).arg(path);
    const QString elsewhere = QStringLiteral("in den Einstellungen einen anderen Anschluss wählen");
    switch (cause) {
    case CommError::Cause::Missing:
        return QStringLiteral("Com%1 hat kein Gerät: %2 ist nicht vorhanden. Bitte den USB-Adapter "
                              "einstecken oder %3.").arg(port).arg(path, elsewhere);
    case CommError::Cause::NoHardware:
        return QStringLiteral("%1: Hinter diesem Anschluss steckt kein Gerät. Bitte den Adapter "
                              "prüfen oder %2.").arg(at, elsewhere);
    case CommError::Cause::Permission:
        return QStringLiteral("Keine Berechtigung für %1: Benutzer zur Gruppe \"dialout\" "
                              "hinzufügen und neu anmelden.").arg(at);
    case CommError::Cause::Busy:
        return QStringLiteral("%1 gehört einer anderen Anwendung: Der Anschluss wird bereits von "
                              "einem anderen Programm benutzt. Bitte das andere Programm beenden "
                              "oder dort den Anschluss schließen.").arg(at);
    case CommError::Cause::Settings:
        return QStringLiteral("%1 nimmt die Einstellungen%2 nicht an: Das Gerät unterstützt sie "
                              "nicht. Bitte in den Einstellungen andere wählen.")
            .arg(at, settings.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(settings));
    case CommError::Cause::Io:
        return QStringLiteral("%1 antwortet nicht (Ein-/Ausgabefehler): Das Gerät wurde getrennt "
                              "oder ist gestört. Bitte Kabel und Adapter prüfen und neu "
                              "einstecken.").arg(at);
    case CommError::Cause::NotSerial:
        return QStringLiteral("%1 ist keine serielle Schnittstelle. Bitte %2.").arg(at, elsewhere);
    case CommError::Cause::Other:
        break;
    }
    const QString plain = QStringLiteral("%1 kann nicht geöffnet werden.").arg(at);
    return reason.isEmpty() ? plain : plain + QStringLiteral(" (Systemmeldung: %1)").arg(reason);
}

} // namespace PortFailure
