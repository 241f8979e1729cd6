#include "serial/QtLineMapping.h"

#include "serial/SerialComm.h"

namespace QtLineMapping {

QSerialPort::DataBits dataBits(int bits)
{
    switch (bits) {
    case 5: return QSerialPort::Data5;
    case 6: return QSerialPort::Data6;
    case 7: return QSerialPort::Data7;
    default: return QSerialPort::Data8;
    }
}

QSerialPort::Parity parity(char parity)
{
    switch (parity) {
    case 'e': return QSerialPort::EvenParity;
    case 'o': return QSerialPort::OddParity;
    case 'm': return QSerialPort::MarkParity;
    case 's': return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits stopBits(LineSettings::StopBits stop)
{
    switch (stop) {
    case LineSettings::StopBits::One: return QSerialPort::OneStop;
    case LineSettings::StopBits::Two: return QSerialPort::TwoStop;
    case LineSettings::StopBits::OneAndHalf:
#ifdef Q_OS_UNIX
        // Qt takes OneAndHalfStop on Unix and sends 1 stop bit. A UART sends
        // CSTOPB with 5 data bits as 1.5; other data bits never get here.
        return QSerialPort::TwoStop;
#else
        return QSerialPort::OneAndHalfStop;
#endif
    }
    return QSerialPort::OneStop;
}

QSerialPort::FlowControl flowControl(int handshaking)
{
    switch (handshaking) {
    case SerialComm::comXOnXoff: return QSerialPort::SoftwareControl;
    case SerialComm::comRTS:
    case SerialComm::comRTSXOnXOff: return QSerialPort::HardwareControl;
    default: return QSerialPort::NoFlowControl;
    }
}

} // namespace QtLineMapping
