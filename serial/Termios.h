#pragma once

#include "serial/LineSettings.h"

#include <QFlags>

struct termios;

// What the native handle of a POSIX serial line must carry beyond what QSerialPort
// (Qt 6.4) sets, and whether the device kept it:
// - Handshaking 3 (RTS/CTS and XON/XOFF together) is CRTSCTS|IXON|IXOFF, which
//   QSerialPort's open() and setFlowControl() overwrite: it is put back after each.
// - XON/XOFF goes without IXANY: only XON restarts output.
// - Mark/Space parity leaves CMSPAR set; it is cleared for None/Even/Odd.
// - 1.5 stop bits are CSTOPB with 5 data bits, which UARTs send as 1.5.
// - With parity on and a ParityReplace character, INPCK|PARMRK mark bad bytes for
//   ParityMarkDecoder; otherwise every byte is passed on as received.
// Every setting is read back after it is applied: what the device did not take (a
// pseudo-terminal is always 8N1) is refused, never sent otherwise.
namespace Termios {

// The parts of a line a device may not keep.
enum class Part { DataBits = 0x1, Parity = 0x2, StopBits = 0x4, RtsCts = 0x8, XonXoff = 0x10 };
Q_DECLARE_FLAGS(Parts, Part)

#ifdef Q_OS_UNIX
void adjust(termios &t, const LineSettings &line, int handshaking, bool markParity);
// The parts of the wanted line that `t` does not carry.
Parts mismatch(const termios &t, const LineSettings &line, int handshaking);

struct Outcome
{
    int error = 0;   // errno when the line could not be read or written
    Parts missing;   // what the device did not keep
};
// Adjusts the line of the open descriptor `fd` and reads it back.
Outcome apply(int fd, const LineSettings &line, int handshaking, bool markParity);
#endif

} // namespace Termios

Q_DECLARE_OPERATORS_FOR_FLAGS(Termios::Parts)
