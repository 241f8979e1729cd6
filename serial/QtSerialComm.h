#pragma once

#include "serial/DeviceLock.h"
#include "serial/LineErrorCounters.h"
#include "serial/PacedReader.h"
#include "serial/ParityMarks.h"
#include "serial/PortLossWatch.h"
#include "serial/SerialComm.h"

#include <QSerialPort>

#include <functional>

// The serial port component on the host's serial devices, through QSerialPort.
// Com N is found by the resolver (see PortDirectory); an empty answer means
// there is no device for that number.
//
// It puts together what QSerialPort (Qt 6.4) does not do, or does wrongly:
// - opening a device for this program alone (DeviceLock);
// - the line settings QSerialPort leaves wrong or cannot make, read back after
//   they are applied, so that what the device did not take is refused (Termios);
// - bytes received with a parity error, given as the ParityReplace character
//   (ParityMarkDecoder), and the kernel's counts of line errors as OnComm events
//   (LineErrorCounters);
// - reading at the pace of the display (PacedReader);
// - a device that goes away closes the port on the first error and is reported
//   once through portLost() (PortLossWatch).
// The German descriptions of refusals are PortFailure's.
class QtSerialComm : public SerialComm
{
    Q_OBJECT

public:
    using Resolver = std::function<QString(int port)>;
    // `lockFolder`: see DeviceLock; empty for the lock every serial program honours.
    explicit QtSerialComm(Resolver resolver, QObject *parent = nullptr, QString lockFolder = {});
    ~QtSerialComm() override;

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
    void onArrived(QByteArray bytes);
    void onLost();
    void applyLine();
    void applyNative();
    bool markingWanted() const;
    QString where() const;   // "Com3 (/dev/ttyUSB0)"

    Resolver m_resolver;
    DeviceLock m_lock;
    QSerialPort *m_port;
    PortLossWatch m_loss;
    PacedReader m_reader;
    LineErrorCounters m_counters;
    QString m_named;   // the device as it was named to us
    ParityMarkDecoder m_marks;
    bool m_marking = false;
};
