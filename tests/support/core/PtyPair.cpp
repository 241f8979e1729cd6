#include "tests/support/core/PtyPair.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_error = QStringLiteral("openpty: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        m_master = m_slave = -1;
        return;
    }
    termios t{};
    ::tcgetattr(m_slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(m_slave, TCSANOW, &t);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_slavePath = QString::fromLocal8Bit(name);
}

bool PtyPair::writeMaster(const QByteArray &bytes)
{
    const QDeadlineTimer deadline(2000);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (deadline.hasExpired() || (n < 0 && errno != EAGAIN && errno != EINTR))
            return false;
        else
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

QByteArray PtyPair::readMaster(int timeoutMs, qsizetype expectedBytes)
{
    QByteArray got;
    const QDeadlineTimer deadline(timeoutMs);
    while (got.size() < expectedBytes && !deadline.hasExpired()) {
        char buf[4096];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0)
            got.append(buf, n);
        else
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return got;
}

void PtyPair::closeMaster()
{
    for (int *fd : {&m_master, &m_slave}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}
