#pragma once

#include <QObject>
#include <QSerialPort>

// Tells from the errors of a QSerialPort that its device went away (a USB adapter
// pulled, the other side of a pseudo-terminal closed). QSerialPort 6.4 then raises
// a read, write or resource error hundreds of thousands of times a second at full
// CPU, the port still open, and its error text is a stale errno ("File exists"):
// the owner closes the port on the first lost() and says what happened in its own
// words.
class PortLossWatch : public QObject
{
    Q_OBJECT

public:
    explicit PortLossWatch(QSerialPort &port, QObject *parent = nullptr);

    // While one lives, the port's errors are raised inside the owner's own call (a
    // setter, the modem lines, a close) and handled there, never taken for a loss.
    class OwnCall
    {
    public:
        explicit OwnCall(const PortLossWatch &watch) : m_depth(watch.m_ownCalls) { ++m_depth; }
        ~OwnCall() { --m_depth; }
        OwnCall(const OwnCall &) = delete;
        OwnCall &operator=(const OwnCall &) = delete;

    private:
        int &m_depth;
    };

    // A flush() inside an own call failed to write: reported like a failed
    // background write, once the call has returned.
    void reportWriteErrorLater();

signals:
    void lost();

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort &m_port;
    mutable int m_ownCalls = 0;
};
