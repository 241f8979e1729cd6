#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// A monotonic clock: never jumps, never wraps at midnight.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 msecs() const = 0;
};

class SteadyClock : public Clock
{
public:
    SteadyClock() { m_timer.start(); }
    qint64 msecs() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};
