#pragma once

#include "PacedWriter.h"
#include "ReplayPlan.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Hands a replay's steps to the writer, each after its pause. The pauses add up
// from the start of the replay rather than from the previous step, so that a late
// timer does not make a long capture drift. A step is taken from the plan only
// when it is due and the writer has room for it, so that what waits in memory
// stays bounded when nobody reads.
class ReplayPlayer : public QObject
{
    Q_OBJECT

public:
    ReplayPlayer(ReplayPlan &plan, PacedWriter &writer, QObject *parent = nullptr);

    void start();

signals:
    // Every step has been handed over and the writer has sent all of it.
    void finished();

private:
    void sendDue();
    void finishIfDone();

    ReplayPlan &m_plan;
    PacedWriter &m_writer;
    ReplayPlan::Step m_step;
    bool m_haveStep = false;           // m_step is taken from the plan but not yet sent
    bool m_planDone = false;
    bool m_sending = false;
    bool m_finished = false;
    qint64 m_dueUs = 0;
    QElapsedTimer m_clock;
    QTimer m_timer;
};
