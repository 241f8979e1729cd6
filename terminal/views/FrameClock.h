#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include "terminal/views/DisplayFrame.h"

class QWidget;

// The display frames of one widget. A change asks for a frame; frames come at
// most once per interval (DisplayFrame::Ms unless given) however many changes
// arrive, the first after a quiet spell at once (a typed echo feels direct), and
// none while the widget is hidden or its window minimised: one that was asked for
// then comes as soon as it is shown again.
class FrameClock : public QObject
{
    Q_OBJECT

public:
    explicit FrameClock(QWidget *widget, int intervalMs = DisplayFrame::Ms);

    void request();

signals:
    void due();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool onScreen() const;
    void fire();

    QWidget *m_widget;
    int m_intervalMs;
    QPointer<QWidget> m_window;   // watched for being shown or restored
    QTimer m_timer;
    QElapsedTimer m_sinceFrame;
    bool m_waiting = false;       // asked for while off screen
};
