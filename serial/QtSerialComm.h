#pragma once

#include "serial/ParityMarks.h"
#include "serial/SerialComm.h"

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>

struct termios;

// The serial port component on the host's serial devices, through QSerialPort.
// Com N is found by the resolver (see PortDirectory); an empty answer means
// there is no device for that number.
//
// What QSerialPort (Qt 6.4) does not do, or does wrongly, is done here on the
// native handle:
// - Handshaking 3 (RTS/CTS and XON/XOFF together): CRTSCTS|IXON|IXOFF, put back
//   after every open and every setFlowControl(), which overwrite it.
// - XON/XOFF (handshaking 1 and 3) without IXANY: only XON restarts output.
// - Mark/Space parity leaves CMSPAR set; it is cleared for None/Even/Odd.
// - 1.5 stop bits are sent as CSTOPB with 5 data bits (UARTs send that as 1.5);
//   with other data bit counts they are refused, never sent as 1.
// - With parity on and a ParityReplace character, INPCK|PARMRK mark bad bytes
//   and ParityMarkDecoder puts the character in their place; with an empty
//   ParityReplace the bytes are passed on as received.
// - Every line setting is read back after it is applied; what the device did
//   not take (a pseudo-terminal is always 8N1) is refused, not sent otherwise.
// - A device that goes away (read/write/resource error) closes the port on the
//   first error and is reported once through portLost(); QSerialPort would
//   otherwise repeat the error at full CPU forever.
// - Receive line errors (framing, parity, overrun, break) come from the
//   kernel's counters (TIOCGICOUNT) where the driver has them, as OnComm events.
// - A port is never shared: besides QSerialPort's lock file (keyed by the
//   path, so the path is resolved first) the device is flock()ed, which holds
//   for root and across processes.
class QtSerialComm : public SerialComm
{
    Q_OBJECT

public:
    using Resolver = std::function<QString(int port)>;
    // lockFolder gives the component locks of its own: it opens a device through
    // a link there, named after the device, so that QSerialPort's lock file (in
    // the machine's lock folder, named after the path opened) is one that only
    // components with the same folder share, while the flock() still holds for
    // all. For tests, whose pseudo-terminal numbers other programs may have held
    // and locked before. Empty: the lock every serial program on the host honours.
    explicit QtSerialComm(Resolver resolver, QObject *parent = nullptr, QString lockFolder = {});
    ~QtSerialComm() override;

    // The kernel's receive error counters of a serial line.
    struct LineCounters
    {
        qint64 frame = 0;
        qint64 parity = 0;
        qint64 overrun = 0;   // hardware and buffer overruns
        qint64 brk = 0;
    };
    // The OnComm codes for the counters that grew from `before` to `after`, in
    // the order break, framing, overrun, parity.
    static QList<int> lineErrorEvents(const LineCounters &before, const LineCounters &after);

    // The operating system's reason for the port's last failure, or nothing when
    // there is none: after a successful open QSerialPort reports NoError with the
    // text "Unknown error", which must never reach the user.
    static QString systemReason(const QSerialPort &port);

    // Whether this host can run the line at all; the German refusal, or empty.
    static QString hostRefusal(int port, const LineSettings &line);

#ifdef Q_OS_UNIX
    // What the native handle must carry beyond QSerialPort's own settings.
    static void adjustTermios(termios &t, const LineSettings &line, int handshaking,
                              bool markParity);
    // What of the wanted line the device did not take, in German words
    // ("7 Datenbits"), or empty when it took everything.
    static QString termiosMismatch(const termios &t, const LineSettings &line, int handshaking);
#endif

    void takeGathered() override;
    QString devicePath() const override { return m_named; }

protected:
    void deviceOpen() override;
    void deviceClose() override;
    void deviceApplyLine() override;
    void deviceWrite(const QByteArray &bytes) override;
    qint64 deviceBytesToWrite() const override;
    void deviceSetDtr(bool on) override;
    void deviceSetRts(bool on) override;
    ModemLines deviceLines() const override;
    void deviceParityReplaceChanged() override;

private:
    // Normally the display frame takes what gathered; this is for when no frame comes.
    static constexpr int GatherMs = 100;
    static constexpr qsizetype CatchUpBytes = 2048;   // half a tty's input buffer

    void onReadyRead();
    void pauseReading();
    void resumeReading();
    void onError(QSerialPort::SerialPortError error);
    void applyLine();
    void applyNative();
    void readCounters(LineCounters *into, bool *supported) const;
    bool markingWanted() const;
    QString where() const;   // "Com3 (/dev/ttyUSB0)"
    // What the system says when the device is opened directly; 0 when it opens.
    static int systemErrorOpening(const QString &device);

    Resolver m_resolver;
    QString m_lockFolder;
    QSerialPort *m_port;
    QString m_device;   // the device node, with links resolved
    QString m_named;    // the device as it was named to us
    ParityMarkDecoder m_marks;
    bool m_marking = false;
    LineCounters m_counters;
    QElapsedTimer m_countersRead;
    QPointer<QSocketNotifier> m_readNotifier;
    QTimer m_resumeReading;
    bool m_countersSupported = false;
    mutable int m_ownCalls = 0;   // errors raised inside our own calls are handled there
};
