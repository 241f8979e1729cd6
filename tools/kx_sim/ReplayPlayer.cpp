#include "ReplayPlayer.h"

#include <algorithm>
#include <climits>

ReplayPlayer::ReplayPlayer(QList<ReplayPlan::Step> steps, PacedWriter &writer, QObject *parent)
    : QObject(parent), m_steps(std::move(steps)), m_writer(writer)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ReplayPlayer::sendDue);
    // The writer may still hold the last step when it is handed over (when it paces
    // or the line is full); the replay is over only when that has gone out too.
    connect(&writer, &PacedWriter::drained, this, &ReplayPlayer::finishIfDone);
}

void ReplayPlayer::start()
{
    m_next = 0;
    m_dueUs = 0;
    m_finished = false;
    m_clock.start();
    scheduleNext();
}

void ReplayPlayer::scheduleNext()
{
    if (m_next == m_steps.size()) {
        finishIfDone();
        return;
    }
    m_dueUs += m_steps[m_next].pauseUs;
    // Rounded up: a step never goes out before its time.
    const qint64 waitMs = (m_dueUs - m_clock.nsecsElapsed() / 1000 + 999) / 1000;
    m_timer.start(int(std::clamp<qint64>(waitMs, 0, INT_MAX)));
}

void ReplayPlayer::sendDue()
{
    m_writer.write(m_steps[m_next++].bytes);
    scheduleNext();
}

void ReplayPlayer::finishIfDone()
{
    if (m_finished || m_next < m_steps.size() || m_writer.pending() > 0)
        return;
    m_finished = true;
    emit finished();
}
