#pragma once

#include "platform/SerialComm.h"

#include <functional>

// The serial port component on the host's serial devices, through QSerialPort.
// Com N is found by the resolver (see PortDirectory).
class QtSerialComm : public SerialComm
{
    Q_OBJECT

public:
    using Resolver = std::function<QString(int port)>;
    explicit QtSerialComm(Resolver resolver, QObject *parent = nullptr);
    ~QtSerialComm() override;

protected:
    void deviceOpen() override;
    void deviceClose() override;
    void deviceApplyLine() override;
    void deviceWrite(const QByteArray &bytes) override;
    qint64 deviceBytesToWrite() const override;
    void deviceSetDtr(bool on) override;
    void deviceSetRts(bool on) override;
    ModemLines deviceLines() const override;

private:
    Resolver m_resolver;
};
