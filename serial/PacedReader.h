#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QSerialPort;

// Reads a serial port at the pace of the display. At line rate the driver hands
// over a few dozen bytes every couple of milliseconds; after a read, the next
// bytes gather until the next display frame (takeGathered) takes them together:
// one wake-up per frame instead of one per chunk. A byte after a quiet spell is
// read at once, and a big read means the program is behind, so the next one
// follows without a pause. When no frame comes, what gathered is taken after
// FallbackMs.
//
// The pause is QSerialPort's read buffer limit: a port whose buffer is full reads
// no more from the device until the buffer is read. A pausing port may hold one
// byte, so the first chunk after a read wakes the program once more and the rest
// gathers in the kernel.
class PacedReader : public QObject
{
    Q_OBJECT

public:
    static constexpr int FallbackMs = 100;
    static constexpr qsizetype CatchUpBytes = 2048;   // half a tty's input buffer

    explicit PacedReader(QSerialPort &port, QObject *parent = nullptr);

    void takeGathered();
    // The port has been closed: nothing gathers any more.
    void stop();

signals:
    void arrived(const QByteArray &bytes);

private:
    void read();
    void pause();
    void resume();

    QSerialPort &m_port;
    QTimer m_resume;   // runs while the port pauses
};
