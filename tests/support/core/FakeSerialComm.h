#pragma once

#include "serial/SerialComm.h"

#include <QSet>
#include <functional>

// A scriptable serial port component for tests: which ports exist, what is refused,
// the modem lines and whether output drains; received bytes are fed by the test.
class FakeSerialComm : public SerialComm
{
public:
    QSet<int> presentPorts{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    QString openRefusal;   // non-empty: every open fails with this text
    CommError::Cause refusalCause = CommError::Cause::Other;
    QString path = QStringLiteral("/dev/ttyUSB0");   // the device a plain open opens
    QString openedOn;      // the device of the last open
    // A description to refuse a line configuration with, at open or while open.
    std::function<QString(const LineSettings &, int handshaking)> refuseLine;
    ModemLines lines;      // what the input lines report while open
    bool drains = true;    // false: written bytes stay in the buffer

    QByteArray written;    // every byte handed to the device
    qint64 pending = 0;
    bool deviceDtr = false;

    void feed(const QByteArray &bytes) { receive(bytes); }
    void signalEvent(int code) { raiseEvent(code); }
    void unplug(const QString &description) { lose(description); }
    void drain() { pending = 0; }
    QString devicePath() const override { return portOpen() ? openedOn : QString(); }

protected:
    void deviceOpen() override
    {
        if (!openRefusal.isEmpty())
            throw CommError(openRefusal, refusalCause);
        if (!presentPorts.contains(commPort()))
            throw CommError(QStringLiteral("Com%1 ist nicht vorhanden.").arg(commPort()));
        deviceApplyLine();
        pending = 0;
        openedOn = deviceWanted().isEmpty() ? path : deviceWanted();
    }
    void deviceClose() override { pending = 0; }
    void deviceApplyLine() override
    {
        if (const QString why = refuseLine ? refuseLine(lineSettings(), handshaking()) : QString(); !why.isEmpty())
            throw CommError(why);
    }
    void deviceWrite(const QByteArray &bytes) override
    {
        written += bytes;
        pending += drains ? 0 : bytes.size();
    }
    qint64 deviceBytesToWrite() const override { return pending; }
    void deviceSetDtr(bool on) override { deviceDtr = on; }
    void deviceSetRts(bool) override {}
    ModemLines deviceLines() const override { return lines; }
};
