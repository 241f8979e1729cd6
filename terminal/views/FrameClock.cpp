#include "terminal/views/FrameClock.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

FrameClock::FrameClock(QWidget *widget, int intervalMs) : m_widget(widget), m_intervalMs(intervalMs)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FrameClock::fire);
}

bool FrameClock::onScreen() const
{
    return m_widget->isVisible() && !m_widget->window()->isMinimized();
}

void FrameClock::request()
{
    if (m_timer.isActive() || m_waiting)
        return;
    if (!onScreen()) {
        // The window it sits in now; a widget can change windows.
        m_waiting = true;
        if (m_window != m_widget->window()) {
            if (m_window)
                m_window->removeEventFilter(this);
            m_window = m_widget->window();
            m_window->installEventFilter(this);
        }
        if (m_window != m_widget)
            m_widget->installEventFilter(this);
        return;
    }
    // Under a stream, frames keep their distance.
    const qint64 since = m_sinceFrame.isValid() ? m_sinceFrame.elapsed() : m_intervalMs;
    m_timer.start(int(std::clamp<qint64>(m_intervalMs - since, 0, m_intervalMs)));
}

bool FrameClock::eventFilter(QObject *watched, QEvent *event)
{
    if (m_waiting && (event->type() == QEvent::Show || event->type() == QEvent::WindowStateChange)) {
        // Looked at once the event has had its effect.
        QMetaObject::invokeMethod(this, [this] {
            if (m_waiting && onScreen()) {
                m_waiting = false;
                request();
            }
        }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void FrameClock::fire()
{
    // A frame may be all it takes to be hidden: what it would draw waits.
    if (!onScreen()) {
        request();
        return;
    }
    m_sinceFrame.start();
    emit due();
}
