#include "serial/DrainWait.h"

#include "platform/Clock.h"
#include "serial/CommError.h"
#include "platform/Dialogs.h"
#include "serial/SerialComm.h"

DrainWait::DrainWait(SerialComm &port, const Clock &clock, Dialogs &dialogs,
                     std::function<void()> yield)
    : m_port(port), m_clock(clock), m_dialogs(dialogs), m_yield(std::move(yield))
{
}

bool DrainWait::run()
{
    if (!m_port.portOpen())
        return true;
    // A monotonic clock: a wait across midnight ends like any other.
    qint64 deadline = m_clock.msecs() + WaitMsecs;
    // The port may also go away while we yield (a device unplugged); then there is
    // nothing left to wait for.
    while (m_port.portOpen() && m_port.outBufferCount() != 0) {
        if (m_yield)
            m_yield();
        if (m_clock.msecs() <= deadline)
            continue;
        const Dialogs::Answer answer = m_dialogs.msgBox(Message, Dialogs::Buttons::AbortRetryIgnore,
                                                        Dialogs::Icon::Question);
        if (answer == Dialogs::Answer::Retry) {
            deadline = m_clock.msecs() + WaitMsecs;
            continue;
        }
        if (answer != Dialogs::Answer::Ignore)
            return false;   // Abort, and a box closed without a choice: keep everything
        break;
    }
    try {
        m_port.setPortOpen(false);
    } catch (const CommError &) {
        // Closing is the last thing the program does with the port; a refusal here
        // must not keep the window from closing.
    }
    return true;
}
