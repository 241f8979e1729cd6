#pragma once

#include "serial/CommError.h"
#include "serial/DeviceIdentity.h"

#include <QObject>
#include <QString>
#include <QTimer>

class Clock;
class DeviceInfoSource;
class DeviceWait;
class Dialogs;
class DirectoryWatcher;
class SerialComm;

// Opens and closes the serial port for the user and says which state the window must
// show afterwards: closed, open, or waiting for a device that went away; with the
// port label's caption, the four line states, how long the port has been open and
// which device it is. It shows the failure of a flip as one message. A device lost
// while open is waited for without a message, and the port opens again by itself
// when the device comes back; what happens meanwhile is told in the status bar. The
// window binds its menus, labels and panels to the signals and keeps no port logic.
class PortController : public QObject
{
    Q_OBJECT

public:
    enum class State { Closed, Open, Waiting };

    struct LineStates
    {
        bool dtr = false;
        bool dsr = false;
        bool rts = false;
        bool cts = false;
    };

    PortController(SerialComm &port, Dialogs &dialogs, const Clock &clock, const DeviceInfoSource &devices,
                   DirectoryWatcher &watcher, QObject *parent = nullptr);

    // The port number the label shows, as text. Start-up and the status bar set it;
    // a flip does not read it again from the port.
    const QString &ComPort() const { return m_comPort; }
    void setComPort(const QString &comPort) { m_comPort = comPort; }

    State state() const { return m_state; }

    // The flip: opens a closed port, closes an open one, ends a wait; then the look
    // follows what the port reports.
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

    // A key was typed while the port waits for its device: it was not sent.
    void keyNotSent();

    // Whether the window can show the connect time. While it is minimised the clock
    // does not tick (nothing else wakes an idle program); shown again, it shows the
    // time at once and ticks on.
    void setClockShown(bool shown);

signals:
    // The state to show, and the port label's caption for it.
    void stateChanged(PortController::State state, const QString &caption);
    void linesChanged(const PortController::LineStates &lines);
    // "hh:nn:ss " while the port is open, empty otherwise.
    void connectTimeChanged(const QString &text);
    // The device while the port is open or waiting for it, in words; empty while closed.
    void deviceChanged(const QString &words);
    // What has become of the link, lasting until the next such note; empty: nothing
    // to say. Every flip begins with an empty one.
    void noteChanged(const QString &text);
    // A passing remark.
    void message(const QString &text);

private:
    void showPortState();
    void showOpen();
    void setState(State state, const QString &caption);
    void MSComm1_Lost();
    void deviceFound(const QString &path);
    void StartConnectTime();
    void StopConnectTime();
    void Timer1_Timer();
    void setNote(const QString &text);

    SerialComm &m_port;
    Dialogs &m_dialogs;
    const Clock &m_clock;
    const DeviceInfoSource &m_devices;
    DeviceWait *m_wait;
    QString m_comPort;
    State m_state = State::Closed;
    DeviceIdentity m_device;   // the device of the open port, or the one waited for
    bool m_failed = false;                   // a reopen has failed since the wait began
    bool m_failureSaid = false;              // the last failure has been told
    CommError::Cause m_failure = CommError::Cause::Other;
    QString m_failureText;
    qint64 m_keyNoticeAt = 0;
    bool m_keyNoticed = false;
    QTimer *Timer1;
    qint64 ConnectStart = 0;
    bool m_connected = false;
    bool m_clockShown = true;
};
