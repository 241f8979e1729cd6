#pragma once

#include "PacedWriter.h"
#include "ReplayPlan.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Hands a replay's steps to the writer, each after its pause. The pauses add up
// from the start of the replay rather than from the previous step, so that a late
// timer does not make a long capture drift.
class ReplayPlayer : public QObject
{
    Q_OBJECT

public:
    ReplayPlayer(QList<ReplayPlan::Step> steps, PacedWriter &writer, QObject *parent = nullptr);

    void start();

signals:
    // Every step has been handed over and the writer has sent all of it.
    void finished();

private:
    void scheduleNext();
    void sendDue();
    void finishIfDone();

    QList<ReplayPlan::Step> m_steps;
    PacedWriter &m_writer;
    qsizetype m_next = 0;
    qint64 m_dueUs = 0;
    bool m_finished = false;
    QElapsedTimer m_clock;
    QTimer m_timer;
};
