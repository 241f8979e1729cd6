#pragma once

#include <QElapsedTimer>
#include <QList>

// Receive line errors (framing, parity, overrun, break) as OnComm events, from the
// kernel's counters of the line (TIOCGICOUNT) where the driver keeps them; a
// pseudo-terminal and some USB drivers keep none, and then there are no such events.
class LineErrorCounters
{
public:
    struct Counts
    {
        qint64 frame = 0;
        qint64 parity = 0;
        qint64 overrun = 0;   // hardware and buffer overruns
        qint64 brk = 0;
    };
    // The OnComm codes for the counters that grew from `before` to `after`, in
    // the order break, framing, overrun, parity.
    static QList<int> events(const Counts &before, const Counts &after);

    // Counting starts on the open line `fd`: what it counted before is not news.
    void start(int fd);
    void stop();
    // After a read from `fd`: the events counted since the last look. The counters
    // cost a system call: they are read when a byte came marked as received with
    // an error, and otherwise at most every IntervalMs.
    QList<int> take(int fd, bool markedByte);

private:
    static constexpr int IntervalMs = 300;

    static bool read(int fd, Counts *into);

    Counts m_counts;
    QElapsedTimer m_read;
    bool m_supported = false;
};
