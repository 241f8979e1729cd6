#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

class Clock;
class Dialogs;
class SerialComm;

// The port's part of shutting down: give the transmit buffer up to ten seconds
// to drain, ask the user when it does not, then close the port. The wait yields
// to the event loop on every pass so received data, timers and menus keep working.
class DrainWait
{
public:
    static constexpr qint64 WaitMsecs = 10000;
    static inline const QString Message = QStringLiteral("Daten können nicht gesendet werden");

    DrainWait(SerialComm &port, const Clock &clock, Dialogs &dialogs, std::function<void()> yield);

    // False when the user chose Abort: the port stays open with its unsent data.
    // Otherwise the port is closed (unsent data is discarded) and the window may close.
    bool run();

private:
    SerialComm &m_port;
    const Clock &m_clock;
    Dialogs &m_dialogs;
    std::function<void()> m_yield;
};
