#include "ReplayPlayer.h"

#include <algorithm>
#include <climits>

namespace {
// Steps sent in one go when they are due at once (a timing file of empty reads
// can hold millions): then the event loop gets a turn.
constexpr int StepsPerTurn = 1000;
} // namespace

ReplayPlayer::ReplayPlayer(ReplayPlan &plan, PacedWriter &writer, QObject *parent)
    : QObject(parent), m_plan(plan), m_writer(writer)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ReplayPlayer::sendDue);
    // The writer may still hold the last step when it is handed over (when it paces
    // or the line is full); the replay is over only when that has gone out too.
    connect(&writer, &PacedWriter::drained, this, [this] {
        if (!m_sending && !m_timer.isActive())
            sendDue();
        finishIfDone();
    });
}

void ReplayPlayer::start()
{
    m_dueUs = 0;
    m_haveStep = false;
    m_planDone = false;
    m_finished = false;
    m_clock.start();
    sendDue();
}

void ReplayPlayer::sendDue()
{
    m_sending = true;
    for (int sent = 0; sent < StepsPerTurn; ++sent) {
        if (!m_haveStep && !m_planDone) {
            m_haveStep = m_plan.next(&m_step);
            m_planDone = !m_haveStep;
            m_dueUs += m_step.pauseUs;
        }
        if (!m_haveStep)
            break;
        // Rounded up: a step never goes out before its time.
        const qint64 waitMs = (m_dueUs - m_clock.nsecsElapsed() / 1000 + 999) / 1000;
        if (waitMs > 0) {
            m_timer.start(int(std::min<qint64>(waitMs, INT_MAX)));
            break;
        }
        if (m_writer.pending() >= ReplayPlan::MaxStepBytes)
            break;                       // on again when the writer has drained
        m_writer.write(m_step.bytes);
        m_haveStep = false;
        if (sent + 1 == StepsPerTurn)
            m_timer.start(0);
    }
    m_sending = false;
    finishIfDone();
}

void ReplayPlayer::finishIfDone()
{
    if (m_finished || !m_planDone || m_haveStep || m_writer.pending() > 0)
        return;
    m_finished = true;
    emit finished();
}
