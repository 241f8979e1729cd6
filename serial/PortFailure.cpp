#include "serial/PortFailure.h"

#include "serial/SerialComm.h"

#include <QStringList>

#include <cerrno>
#include <cstring>

namespace PortFailure {

namespace {
// A path from the store may be of any length.
QString shown(const QString &device)
{
    return CommError::quote(device, 100);
}

// The system's words follow our sentence only when we have nothing better to say.
QString withReason(const QString &text, const QSerialPort &port)
{
    const QString reason = systemReason(port);
    if (reason.isEmpty() || cause(port.error(), 0) != CommError::Cause::Other)
        return text;
    return text + QStringLiteral(" (Systemmeldung: %1)").arg(reason);
}

QString parityWords(char parity)
{
    switch (parity) {
    case 'e': return QStringLiteral("gerade Parität (Even)");
    case 'o': return QStringLiteral("ungerade Parität (Odd)");
    case 'm': return QStringLiteral("Parität Mark");
    case 's': return QStringLiteral("Parität Space");
    default: return QStringLiteral("keine Parität");
    }
}

QString stopBitWords(LineSettings::StopBits stop)
{
    switch (stop) {
    case LineSettings::StopBits::One: return QStringLiteral("1 Stopbit");
    case LineSettings::StopBits::Two: return QStringLiteral("2 Stopbits");
    case LineSettings::StopBits::OneAndHalf: break;
    }
    return QStringLiteral("1,5 Stopbits");
}
} // namespace

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
    const QString path = shown(device);
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

CommError fromErrno(int error, int port, const QString &device, const QString &settings)
{
    return PortFailure::error(causeOfErrno(error), port, device, QString::fromLocal8Bit(std::strerror(error)),
                              settings);
}

QString systemReason(const QSerialPort &port)
{
    return port.error() == QSerialPort::NoError ? QString() : port.errorString();
}

QString where(int port, const QString &device)
{
    return device.isEmpty() ? QStringLiteral("Com%1").arg(port)
                            : QStringLiteral("Com%1 (%2)").arg(port).arg(shown(device));
}

QString noDevice(int port)
{
    return QStringLiteral("Com%1 hat kein Gerät: Es ist kein serieller Anschluss dafür vorhanden. "
                          "Bitte den USB-Adapter einstecken.").arg(port);
}

QString noLockLink(int port, const QString &device, const QString &folder)
{
    return QStringLiteral("Com%1 (%2) kann nicht geöffnet werden: In %3 lässt sich keine Verknüpfung "
                          "für die Sperre anlegen.").arg(port).arg(shown(device), shown(folder));
}

QString hostRefusal(int port, const LineSettings &line, int handshaking)
{
    if (line.dataBits < 5)
        return QStringLiteral("Com%1: %2 Datenbits kann dieser Rechner nicht einstellen "
                              "(möglich sind 5 bis 8).").arg(port).arg(line.dataBits);
    if (line.stopBits == LineSettings::StopBits::OneAndHalf && line.dataBits != 5)
        return QStringLiteral("Com%1: 1,5 Stopbits gibt es nur mit 5 Datenbits, nicht mit %2. "
                              "Bitte 1 oder 2 Stopbits wählen.").arg(port).arg(line.dataBits);
#if defined(Q_OS_UNIX) && !defined(CMSPAR)
    if (line.parity == 'm' || line.parity == 's')
        return QStringLiteral("Com%1: Parität Mark und Space kann dieser Rechner nicht einstellen.")
            .arg(port);
#endif
#ifdef Q_OS_UNIX
    Q_UNUSED(handshaking);
#else
    if (handshaking == SerialComm::comRTSXOnXOff)
        return QStringLiteral("Com%1: RTS/CTS und XON/XOFF zusammen kann dieser Rechner "
                              "nicht einstellen.").arg(port);
#endif
    return {};
}

QString speedRefused(const QString &where, qint32 baud, const QSerialPort &port)
{
    return withReason(QStringLiteral("%1 kann die Geschwindigkeit %2 Baud nicht einstellen.")
                          .arg(where).arg(baud), port);
}

QString lineRefused(const QString &where, const LineSettings &line, const QSerialPort &port)
{
    return withReason(QStringLiteral("%1 kann die Einstellungen \"%2\" nicht übernehmen.")
                          .arg(where, line.toString()), port);
}

QString deviceLacks(const QString &where, const LineSettings &line, Termios::Parts missing)
{
    QStringList parts;
    if (missing.testFlag(Termios::Part::DataBits))
        parts << QStringLiteral("%1 Datenbits").arg(line.dataBits);
    if (missing.testFlag(Termios::Part::Parity))
        parts << parityWords(line.parity);
    if (missing.testFlag(Termios::Part::StopBits))
        parts << stopBitWords(line.stopBits);
    if (missing.testFlag(Termios::Part::RtsCts))
        parts << QStringLiteral("den Handshake RTS/CTS");
    if (missing.testFlag(Termios::Part::XonXoff))
        parts << QStringLiteral("den Handshake XON/XOFF");
    return QStringLiteral("%1 kann die Einstellungen \"%2\" nicht übernehmen: Das Gerät unterstützt %3 nicht.")
        .arg(where, line.toString(), parts.join(QStringLiteral(", ")));
}

QString notSent(const QString &where, const QSerialPort &port)
{
    return withReason(QStringLiteral("%1: Die Daten konnten nicht gesendet werden.").arg(where), port);
}

QString connectionLost(const QString &where)
{
    return QStringLiteral("Die Verbindung über %1 ist abgebrochen: Das Gerät wurde entfernt oder "
                          "getrennt. Der Anschluss wurde geschlossen.").arg(where);
}

} // namespace PortFailure
