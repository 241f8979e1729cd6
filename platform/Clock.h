#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// A monotonic clock: never jumps, never wraps at midnight.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 msecs() const = 0;
    virtual qint64 nsecs() const { return msecs() * 1000000; }
};

class SteadyClock : public Clock
{
public:
    SteadyClock() { m_timer.start(); }
    qint64 msecs() const override { return m_timer.elapsed(); }
    qint64 nsecs() const override { return m_timer.nsecsElapsed(); }

private:
    QElapsedTimer m_timer;
};
