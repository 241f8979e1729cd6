#include "serial/Termios.h"

#include "serial/SerialComm.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <termios.h>

namespace Termios {

namespace {
tcflag_t sizeFlag(int dataBits)
{
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

bool rtsCtsWanted(int handshaking)
{
    return handshaking == SerialComm::comRTS || handshaking == SerialComm::comRTSXOnXOff;
}

bool xonXoffWanted(int handshaking)
{
    return handshaking == SerialComm::comXOnXoff || handshaking == SerialComm::comRTSXOnXOff;
}
} // namespace

void adjust(termios &t, const LineSettings &line, int handshaking, bool markParity)
{
    t.c_cflag = (t.c_cflag & ~CSIZE) | sizeFlag(line.dataBits);

    t.c_cflag &= ~(PARENB | PARODD);
#ifdef CMSPAR
    // QSerialPort sets CMSPAR for Mark/Space and never clears it: a later Even
    // would go out as Space.
    t.c_cflag &= ~CMSPAR;
#endif
    switch (line.parity) {
    case 'e': t.c_cflag |= PARENB; break;
    case 'o': t.c_cflag |= PARENB | PARODD; break;
#ifdef CMSPAR
    case 'm': t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 's': t.c_cflag |= PARENB | CMSPAR; break;
#endif
    default: break;
    }

    if (line.stopBits == LineSettings::StopBits::One)
        t.c_cflag &= ~CSTOPB;
    else
        t.c_cflag |= CSTOPB;

    if (rtsCtsWanted(handshaking))
        t.c_cflag |= CRTSCTS;
    else
        t.c_cflag &= ~CRTSCTS;
    // Only XON restarts output: QSerialPort's software flow control also sets
    // IXANY, which lets any received byte release a line the device has stopped.
    t.c_iflag &= ~IXANY;
    if (xonXoffWanted(handshaking))
        t.c_iflag |= IXON | IXOFF;
    else
        t.c_iflag &= ~(IXON | IXOFF);

    if (markParity) {
        t.c_iflag |= INPCK | PARMRK;
        t.c_iflag &= ~(IGNPAR | ISTRIP);
    } else {
        // Without parity checking every byte is passed on as received.
        t.c_iflag &= ~(INPCK | PARMRK);
    }
}

Parts mismatch(const termios &t, const LineSettings &line, int handshaking)
{
    Parts missing;
    if ((t.c_cflag & CSIZE) != sizeFlag(line.dataBits))
        missing |= Part::DataBits;

    bool parityOk = false;
    const bool enabled = t.c_cflag & PARENB;
    const bool odd = t.c_cflag & PARODD;
#ifdef CMSPAR
    const bool stick = t.c_cflag & CMSPAR;
#else
    const bool stick = false;
#endif
    switch (line.parity) {
    case 'n': parityOk = !enabled; break;
    case 'e': parityOk = enabled && !odd && !stick; break;
    case 'o': parityOk = enabled && odd && !stick; break;
    case 'm': parityOk = enabled && odd && stick; break;
    case 's': parityOk = enabled && !odd && stick; break;
    }
    if (!parityOk)
        missing |= Part::Parity;

    const bool twoStop = t.c_cflag & CSTOPB;
    if (twoStop != (line.stopBits != LineSettings::StopBits::One))
        missing |= Part::StopBits;

    const bool rtsCts = t.c_cflag & CRTSCTS;
    if (rtsCts != rtsCtsWanted(handshaking))
        missing |= Part::RtsCts;
    const bool xon = (t.c_iflag & IXON) && (t.c_iflag & IXOFF) && !(t.c_iflag & IXANY);
    const bool xoff = !(t.c_iflag & IXON) && !(t.c_iflag & IXOFF);
    if (xonXoffWanted(handshaking) ? !xon : !xoff)
        missing |= Part::XonXoff;
    return missing;
}

Outcome apply(int fd, const LineSettings &line, int handshaking, bool markParity)
{
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return {errno, {}};
    adjust(t, line, handshaking, markParity);
    if (::tcsetattr(fd, TCSANOW, &t) != 0)
        return {errno, {}};
    termios back{};
    if (::tcgetattr(fd, &back) != 0)
        return {};
    return {0, mismatch(back, line, handshaking)};
}

} // namespace Termios
#endif
