#pragma once

#include "platform/Clock.h"

// A clock that moves only when a test says so.
class FakeClock : public Clock
{
public:
    qint64 now = 0;
    qint64 msecs() const override { return now; }
    void advance(qint64 ms) { now += ms; }
};
