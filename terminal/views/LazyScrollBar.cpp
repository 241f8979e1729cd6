#include "terminal/views/LazyScrollBar.h"

#include <QScopedValueRollback>
#include <QScrollBar>

namespace {
constexpr int IntervalMs = 1000;
}

LazyScrollBar::LazyScrollBar(QScrollBar *bar) : m_bar(bar)
{
    m_late.setSingleShot(true);
    connect(&m_late, &QTimer::timeout, this, &LazyScrollBar::apply);
}

void LazyScrollBar::set(int maximum, int value, int pageStep, bool now)
{
    m_maximum = maximum;
    m_value = value;
    m_pageStep = pageStep;
    if (m_bar->maximum() == maximum && m_bar->value() == value && m_bar->pageStep() == pageStep) {
        m_late.stop();
        return;
    }
    if (!now && m_applied.isValid() && m_applied.elapsed() < IntervalMs) {
        if (!m_late.isActive())
            m_late.start(int(IntervalMs - m_applied.elapsed()));
        return;
    }
    apply();
}

void LazyScrollBar::apply()
{
    m_late.stop();
    m_applied.start();
    const QScopedValueRollback<bool> own(m_setting, true);
    m_bar->setPageStep(m_pageStep);
    m_bar->setSingleStep(1);
    m_bar->setRange(0, m_maximum);
    m_bar->setValue(m_value);
}
