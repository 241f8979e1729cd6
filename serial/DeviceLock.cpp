#include "serial/DeviceLock.h"

#include "serial/PortFailure.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

DeviceLock::DeviceLock(QString folder) : m_folder(std::move(folder)) {}

QString DeviceLock::node(int port, const QString &named)
{
#ifdef Q_OS_UNIX
    const QByteArray local = QFile::encodeName(named);
    if (::access(local.constData(), F_OK) != 0 || ::access(local.constData(), R_OK | W_OK) != 0)
        throw PortFailure::fromErrno(errno, port, named);
    const QString canonical = QFileInfo(named).canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
#else
    Q_UNUSED(port);
#endif
    return named;
}

void DeviceLock::open(QSerialPort &serial, int port, const QString &node) const
{
    QString opened = node;
    if (!m_folder.isEmpty()) {
        opened = m_folder + u'/' + QString(node).replace(u'/', u'_');
        QFile::remove(opened);
        if (!QFile::link(node, opened))
            throw CommError(PortFailure::noLockLink(port, node, m_folder));
    }
    serial.setPortName(opened);
    serial.setBaudRate(9600);
    serial.setDataBits(QSerialPort::Data8);
    serial.setParity(QSerialPort::NoParity);
    serial.setStopBits(QSerialPort::OneStop);
    serial.setFlowControl(QSerialPort::NoFlowControl);
    serial.clearError();
    if (!serial.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = serial.error();
        const QString reason = PortFailure::systemReason(serial);
        serial.clearError();
        throw PortFailure::error(PortFailure::cause(error, systemErrorOpening(node)), port, node, reason);
    }
#ifdef Q_OS_UNIX
    if (::flock(int(serial.handle()), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        serial.close();
        serial.clearError();
        throw PortFailure::error(CommError::Cause::Busy, port, node);
    }
#endif
}

int DeviceLock::systemErrorOpening(const QString &node)
{
#ifdef Q_OS_UNIX
    // Without waiting for a carrier and without becoming our controlling
    // terminal; closed at once. Nobody else holds the line, or it would not open.
    const int fd = ::open(QFile::encodeName(node).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
#else
    Q_UNUSED(node);
#endif
    return 0;
}
