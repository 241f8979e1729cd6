#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

// Sends bytes through a sink no faster than a given rate, as a UART would: a
// pseudo-terminal takes everything at once whatever its baud rate.
//
// The sink returns how many bytes it took (0 when it is full for now, -1 on
// error); what it does not take is offered again later. A rate of 0 sends as fast
// as the sink takes it.
class PacedWriter : public QObject
{
    Q_OBJECT

public:
    using Sink = std::function<qint64(const char *data, qint64 size)>;

    PacedWriter(Sink sink, int bytesPerSecond, QObject *parent = nullptr);

    // Queues bytes. Output that nobody waits for (live menu text) may be limited:
    // beyond maxPending() queued bytes, new droppable bytes are discarded.
    void write(const QByteArray &bytes, bool droppable = false);
    qsizetype pending() const { return m_queue.size() - m_offset; }
    qsizetype dropped() const { return m_dropped; }
    void setMaxPending(qsizetype bytes) { m_maxPending = bytes; }
    qsizetype maxPending() const { return m_maxPending; }
    int rate() const { return m_rate; }

    // Sends what the rate allows now. Called by the writer's own timer; public so
    // that a caller can push without waiting for it.
    void pump();

signals:
    // Everything queued has been taken by the sink.
    void drained();
    void sinkFailed();

private:
    Sink m_sink;
    int m_rate;
    QByteArray m_queue;
    qsizetype m_offset = 0;
    qsizetype m_maxPending = 64 * 1024;
    qsizetype m_dropped = 0;
    qint64 m_sentSinceStart = 0;
    QElapsedTimer m_clock;
    QTimer m_timer;
};
