#include "PacedWriter.h"

#include <algorithm>

PacedWriter::PacedWriter(Sink sink, int bytesPerSecond, QObject *parent)
    : QObject(parent), m_sink(std::move(sink)), m_rate(std::max(0, bytesPerSecond))
{
    // A few milliseconds between pushes keeps the stream even at high rates
    // without waking up more than a couple of hundred times a second.
    m_timer.setInterval(5);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PacedWriter::pump);
}

void PacedWriter::write(const QByteArray &bytes, bool droppable)
{
    if (bytes.isEmpty())
        return;
    if (droppable && pending() + bytes.size() > m_maxPending) {
        m_dropped += bytes.size();
        return;
    }
    if (pending() == 0) {
        // Idle time earns no credit: the rate counts from the first new byte.
        m_queue.clear();
        m_offset = 0;
        m_sentSinceStart = 0;
        m_clock.start();
    }
    m_queue.append(bytes);
    if (!m_timer.isActive())
        m_timer.start();
    pump();
}

void PacedWriter::pump()
{
    if (pending() == 0) {
        m_timer.stop();
        return;
    }
    qint64 allowed = pending();
    if (m_rate > 0) {
        // +1: the first byte goes out at once, like a UART starting to send.
        const qint64 due = m_clock.elapsed() * m_rate / 1000 + 1;
        allowed = std::min<qint64>(allowed, due - m_sentSinceStart);
    }
    while (allowed > 0) {
        const qint64 n = m_sink(m_queue.constData() + m_offset, allowed);
        if (n < 0) {
            m_timer.stop();
            m_queue.clear();
            m_offset = 0;
            emit sinkFailed();
            return;
        }
        if (n == 0)
            break;                       // full for now; try again on the next push
        m_offset += n;
        m_sentSinceStart += n;
        allowed -= n;
    }
    if (pending() == 0) {
        m_queue.clear();
        m_offset = 0;
        m_timer.stop();
        emit drained();
    } else if (m_offset > 64 * 1024) {
        m_queue.remove(0, m_offset);
        m_offset = 0;
    }
}
