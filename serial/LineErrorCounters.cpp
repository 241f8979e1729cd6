#include "serial/LineErrorCounters.h"

#include "serial/SerialComm.h"

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

QList<int> LineErrorCounters::events(const Counts &before, const Counts &after)
{
    QList<int> events;
    if (after.brk > before.brk)
        events.append(SerialComm::comEventBreak);
    if (after.frame > before.frame)
        events.append(SerialComm::comEventFrame);
    if (after.overrun > before.overrun)
        events.append(SerialComm::comEventOverrun);
    if (after.parity > before.parity)
        events.append(SerialComm::comEventRxParity);
    return events;
}

void LineErrorCounters::start(int fd)
{
    m_supported = read(fd, &m_counts);
    m_read.invalidate();
}

void LineErrorCounters::stop()
{
    m_supported = false;
    m_read.invalidate();
}

QList<int> LineErrorCounters::take(int fd, bool markedByte)
{
    if (!m_supported || (!markedByte && m_read.isValid() && m_read.elapsed() < IntervalMs))
        return {};
    const Counts before = m_counts;
    m_supported = read(fd, &m_counts);
    m_read.start();
    return m_supported ? events(before, m_counts) : QList<int>{};
}

bool LineErrorCounters::read(int fd, Counts *into)
{
#if defined(Q_OS_LINUX) && defined(TIOCGICOUNT)
    serial_icounter_struct c{};
    if (::ioctl(fd, TIOCGICOUNT, &c) != 0)
        return false;
    into->frame = c.frame;
    into->parity = c.parity;
    into->overrun = qint64(c.overrun) + c.buf_overrun;
    into->brk = c.brk;
    return true;
#else
    Q_UNUSED(fd);
    Q_UNUSED(into);
    return false;
#endif
}
