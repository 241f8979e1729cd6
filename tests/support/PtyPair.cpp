#include "tests/support/PtyPair.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        m_error = QStringLiteral("openpty: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    termios t{};
    if (::tcgetattr(slave, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    m_master = master;
    m_slave = slave;
    m_slavePath = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    closeMaster();
    closeSlave();
}

bool PtyPair::writeMaster(const QByteArray &bytes)
{
    if (m_master < 0)
        return false;
    const QDeadlineTimer deadline(2000);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        if (deadline.hasExpired())
            return false;
        // Full: let the reader (possibly this thread's event loop) take some.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd p{m_master, POLLOUT, 0};
        ::poll(&p, 1, 5);
    }
    return true;
}

QByteArray PtyPair::readMaster(int timeoutMs, qsizetype expectedBytes)
{
    QByteArray got;
    if (m_master < 0)
        return got;
    const QDeadlineTimer deadline(qMax(0, timeoutMs));
    QDeadlineTimer quiet = QDeadlineTimer::Forever;
    for (;;) {
        char buf[4096];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            got.append(buf, n);
            if (expectedBytes >= 0 && got.size() >= expectedBytes)
                return got;
            quiet = QDeadlineTimer(30);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // n == 0, EAGAIN, or EIO (no slave open): nothing now.
        if (deadline.hasExpired() || (expectedBytes < 0 && !got.isEmpty() && quiet.hasExpired()))
            return got;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd p{m_master, POLLIN, 0};
        ::poll(&p, 1, 2);
    }
}

void PtyPair::closeMaster()
{
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    closeSlave();
}

void PtyPair::closeSlave()
{
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
}
