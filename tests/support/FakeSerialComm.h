#pragma once

#include "serial/SerialComm.h"

#include <QSet>
#include <functional>

// A scriptable serial port component for tests: choose which ports exist, what is
// refused, the modem lines and whether output drains; feed received bytes.
class FakeSerialComm : public SerialComm
{
    Q_OBJECT

public:
    explicit FakeSerialComm(QObject *parent = nullptr);

    // Script
    QSet<int> presentPorts;                 // ports that open; default 1 to 16
    QString openRefusal;                    // non-empty: every open fails with this text
    // Returns a description to refuse a line configuration at open or while open.
    std::function<QString(const LineSettings &, int handshaking)> refuseLine;
    ModemLines lines;                       // what the input lines report while open
    bool drains = true;                     // false: written bytes stay in the buffer

    // Observations
    QByteArray written;                     // every byte handed to the device
    qint64 pending = 0;                     // bytes not yet sent (when !drains)
    int opens = 0;
    int closes = 0;
    int lineApplies = 0;
    bool deviceDtr = false;
    bool deviceRts = false;

    // Events from the device side
    void feed(const QByteArray &bytes) { receive(bytes); }
    void signalEvent(int code) { raiseEvent(code); }
    void unplug(const QString &description) { lose(description); }
    void drain() { pending = 0; }

protected:
    void deviceOpen() override;
    void deviceClose() override;
    void deviceApplyLine() override;
    void deviceWrite(const QByteArray &bytes) override;
    qint64 deviceBytesToWrite() const override { return pending; }
    void deviceSetDtr(bool on) override { deviceDtr = on; }
    void deviceSetRts(bool on) override { deviceRts = on; }
    ModemLines deviceLines() const override { return lines; }
};
