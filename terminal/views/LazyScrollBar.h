#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QScrollBar;

// Hands a view's range and position to its scroll bar. While text streams in, the
// range changes with nearly every frame, and drawing the bar costs as much as the
// text: its picture then follows at most once a second. What the view shows is
// never late, only the bar.
class LazyScrollBar : public QObject
{
    Q_OBJECT

public:
    explicit LazyScrollBar(QScrollBar *bar);

    // `now` for a move the user is waiting for.
    void set(int maximum, int value, int pageStep, bool now);
    // The bar is moving because of set(), not because of the user.
    bool setting() const { return m_setting; }

private:
    void apply();

    QScrollBar *m_bar;
    QElapsedTimer m_applied;
    QTimer m_late;
    bool m_setting = false;
    int m_maximum = 0;
    int m_value = 0;
    int m_pageStep = 1;
};
