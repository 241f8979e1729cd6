#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class Clock;
class Dialogs;
class SerialComm;

// Opens and closes the serial port for the user and says how the window must look
// afterwards: which port commands are offered, the port label's caption and
// colours, the four line states, and how long the port has been open. It shows the
// failure of a flip, and the loss of a device, as one message each. The window
// binds its menus and labels to the signals and keeps no port logic of its own.
class PortController : public QObject
{
    Q_OBJECT

public:
    struct LineStates
    {
        bool dtr = false;
        bool dsr = false;
        bool rts = false;
        bool cts = false;
    };

    PortController(SerialComm &port, Dialogs &dialogs, const Clock &clock, QObject *parent = nullptr);

    // The port number the label shows, as text. Start-up and the status bar set it;
    // a flip does not read it again from the port.
    const QString &ComPort() const { return m_comPort; }
    void setComPort(const QString &comPort) { m_comPort = comPort; }

    // The flip: opens a closed port, closes an open one; then the look follows what
    // the port reports.
    void mnuOpen_Click();
    void mnuClose_Click();
    // Reads the four line states.
    void CheckUART();

    // The closed look. Start-up shows it before it knows the port number, without
    // the caption.
    void showClosed(bool withCaption = true);
    // Shows the look of the port's state again if something else (the settings
    // dialog changing the port number) opened or closed it.
    void followPort();

    // Whether the window can show the connect time. While it is minimised the clock
    // does not tick (nothing else wakes an idle program); shown again, it shows the
    // time at once and ticks on.
    void setClockShown(bool shown);

signals:
    // Which commands are offered: open, or close and nothing that needs a closed port.
    void openChanged(bool open);
    void labelChanged(const QString &caption, quint32 foreColor, quint32 backColor);
    void linesChanged(const PortController::LineStates &lines);
    // "hh:nn:ss " while the port is open, empty while it is closed.
    void connectTimeChanged(const QString &text);

private:
    void showPortState();
    void MSComm1_Lost(const QString &description);
    void StartConnectTime();
    void StopConnectTime();
    void Timer1_Timer();
    void setLabel(const QString &caption, quint32 fore, quint32 back);

    SerialComm &m_port;
    Dialogs &m_dialogs;
    const Clock &m_clock;
    QString m_comPort;
    QString m_caption = QStringLiteral("Com");
    quint32 m_fore;
    quint32 m_back;
    bool m_shownOpen = false;
    QTimer *Timer1;
    qint64 ConnectStart = 0;
    bool m_connected = false;
    bool m_clockShown = true;
};
