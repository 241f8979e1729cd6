#pragma once

#include "serial/LineSettings.h"

#include <QSerialPort>

// The line as QSerialPort's setters take it. What they cannot say or say wrongly
// (1.5 stop bits on Unix, RTS/CTS with XON/XOFF, Mark/Space after each other) is
// put on the native handle afterwards (see Termios).
namespace QtLineMapping {

QSerialPort::DataBits dataBits(int bits);
QSerialPort::Parity parity(char parity);
QSerialPort::StopBits stopBits(LineSettings::StopBits stop);
QSerialPort::FlowControl flowControl(int handshaking);

} // namespace QtLineMapping
