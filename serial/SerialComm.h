#pragma once

#include "serial/CommError.h"
#include "serial/LineSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// The serial port component behind MSComm1: the properties and the OnComm
// notification of a classic serial communications control. This base class keeps
// the configuration, validates every write and owns the receive buffer; a
// subclass drives the real device (QtSerialComm) or plays one (the tests' fake).
//
// Writes that the component refuses throw CommError with a German description.
// Reads never fail, open or closed.
class SerialComm : public QObject
{
    Q_OBJECT

public:
    // CommEvent codes.
    enum Event : int {
        comEvSend = 1,
        comEvReceive = 2,
        comEvCTS = 3,
        comEvDSR = 4,
        comEvCD = 5,
        comEvRing = 6,
        comEvEOF = 7,
        comEventBreak = 1001,
        comEventFrame = 1004,
        comEventOverrun = 1006,
        comEventRxOver = 1008,
        comEventRxParity = 1009,
        comEventTxFull = 1010,
    };
    // Handshaking codes.
    enum Handshake : int { comNone = 0, comXOnXoff = 1, comRTS = 2, comRTSXOnXOff = 3 };

    struct ModemLines
    {
        bool cd = false;
        bool cts = false;
        bool dsr = false;
    };

    static constexpr int MaxInBuffer = 65536;

    explicit SerialComm(QObject *parent = nullptr);
    ~SerialComm() override;

    int commPort() const { return m_commPort; }
    void setCommPort(int port);

    QString settings() const { return m_line.toString(); }
    void setSettings(const QString &text);
    const LineSettings &lineSettings() const { return m_line; }

    int handshaking() const { return m_handshaking; }
    void setHandshaking(int code);

    bool portOpen() const { return m_open; }
    void setPortOpen(bool open);
    // Opens the port on `device` instead of the device its number stands for: the
    // same adapter come back under another name. Refused as setPortOpen(true) is.
    void openOn(const QString &device);
    // The device the open port was opened on, named as it was found (a link stays
    // a link); empty while the port is closed.
    virtual QString devicePath() const { return {}; }

    int inputLen() const { return m_inputLen; }
    void setInputLen(int len);
    // Takes at most inputLen() waiting bytes (all of them when inputLen() is 0).
    QByteArray input();
    // Takes the next waiting byte, as input() does with InputLen 1, without
    // building a block for it. False (and nothing taken) when no byte waits.
    bool inputByte(char &byte)
    {
        if (m_inPos >= m_in.size())
            return false;
        byte = m_in.at(m_inPos++);
        if (m_inPos == m_in.size()) {
            m_in.resize(0);   // keeps the capacity: the buffer refills at line rate
            m_inPos = 0;
        }
        return true;
    }
    int inBufferCount() const { return int(qMin<qsizetype>(m_in.size() - m_inPos, 32767)); }
    // The waiting bytes, and taking the first n of them: for a reader that takes
    // a run of bytes exactly as it would take them one by one.
    QByteArrayView waitingInput() const { return QByteArrayView(m_in).sliced(m_inPos); }
    void skipInput(qsizetype n)
    {
        m_inPos = qMin(m_inPos + n, m_in.size());
        if (m_inPos == m_in.size()) {
            m_in.resize(0);
            m_inPos = 0;
        }
    }

    // Sends the bytes. A closed port refuses; output beyond the transmit buffer
    // is dropped and reported as comEventTxFull.
    void output(const QByteArray &bytes);
    int outBufferSize() const { return m_outBufferSize; }
    void setOutBufferSize(int size);
    int outBufferCount() const;

    int rThreshold() const { return m_rThreshold; }
    void setRThreshold(int count);
    int sThreshold() const { return m_sThreshold; }
    void setSThreshold(int count);

    QString parityReplace() const { return m_parityReplace; }
    void setParityReplace(const QString &text);

    bool dtrEnable() const { return m_dtr; }
    void setDTREnable(bool on);
    bool rtsEnable() const { return m_rts; }
    void setRTSEnable(bool on);

    bool cdHolding() const;
    bool ctsHolding() const;
    bool dsrHolding() const;

    int commEvent() const { return m_commEvent; }

    // A component that lets arriving bytes gather between reads hands over what
    // gathered now: called on each display frame, so that reading and drawing
    // share one wake-up.
    virtual void takeGathered() {}

signals:
    // Raised on the user-interface thread; commEvent() tells why.
    void OnComm();
    // The device went away or failed while open. The port is already closed when
    // this is raised, and it is raised once per loss.
    void portLost(const QString &description);
    // The port has been opened or closed, by a command or by a lost device.
    void portOpenChanged(bool open);
    // Bytes have arrived, exactly as the device gave them, before anyone reads them.
    void bytesArrived(const QByteArray &bytes);

protected:
    // Device side. deviceOpen and deviceApplyLine throw CommError on refusal.
    virtual void deviceOpen() = 0;
    virtual void deviceClose() = 0;
    virtual void deviceApplyLine() = 0;
    virtual void deviceWrite(const QByteArray &bytes) = 0;
    virtual qint64 deviceBytesToWrite() const = 0;
    virtual void deviceSetDtr(bool on) = 0;
    virtual void deviceSetRts(bool on) = 0;
    virtual ModemLines deviceLines() const = 0;
    // ParityReplace was written while the port is open (the default does nothing).
    // May throw CommError; the base then keeps the old value.
    virtual void deviceParityReplaceChanged() {}

    // For subclasses: the device openOn() asks for, or empty for the one the port
    // number stands for.
    const QString &deviceWanted() const { return m_deviceWanted; }
    // For subclasses: bytes have arrived.
    void receive(const QByteArray &bytes);
    // For subclasses: raise OnComm with an event or error code.
    void raiseEvent(int code);
    // For subclasses: the device is gone. Closes the port and reports it once.
    void lose(const QString &description);

private:
    void compactInBuffer();
    void restoreLine();

    int m_commPort = 1;
    LineSettings m_line;
    int m_handshaking = comNone;
    bool m_open = false;
    int m_inputLen = 1;
    int m_outBufferSize = 2048;
    int m_rThreshold = 1;
    int m_sThreshold = 0;
    QString m_parityReplace = QStringLiteral("?");
    bool m_dtr = true;
    bool m_rts = true;
    int m_commEvent = 0;
    QString m_deviceWanted;

    QByteArray m_in;   // received bytes; those before m_inPos are already taken
    qsizetype m_inPos = 0;
};
