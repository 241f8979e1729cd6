#include "serial/QtSerialComm.h"

#include "serial/PortFailure.h"
#include "platform/Windows1252.h"

#include <QFileInfo>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

namespace {

// Errors that QSerialPort raises inside our own calls (setters, modem lines,
// close) are handled where the call is made, never taken for a lost device.
class OwnCall
{
public:
    explicit OwnCall(int &depth) : m_depth(depth) { ++m_depth; }
    ~OwnCall() { --m_depth; }
    OwnCall(const OwnCall &) = delete;
    OwnCall &operator=(const OwnCall &) = delete;

private:
    int &m_depth;
};

// A device path as a message names it; a path from the store may be of any length.
QString shown(const QString &device)
{
    return CommError::quote(device, 100);
}

// The system's words follow our sentence only when we have nothing better to say.
QString withReason(const QString &text, QSerialPort::SerialPortError error, const QString &reason)
{
    if (reason.isEmpty() || PortFailure::cause(error, 0) != CommError::Cause::Other)
        return text;
    return text + QStringLiteral(" (Systemmeldung: %1)").arg(reason);
}

#ifdef Q_OS_UNIX
QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

tcflag_t sizeFlag(int dataBits)
{
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}
#endif

QSerialPort::DataBits qtDataBits(int dataBits)
{
    switch (dataBits) {
    case 5: return QSerialPort::Data5;
    case 6: return QSerialPort::Data6;
    case 7: return QSerialPort::Data7;
    default: return QSerialPort::Data8;
    }
}

QSerialPort::Parity qtParity(char parity)
{
    switch (parity) {
    case 'e': return QSerialPort::EvenParity;
    case 'o': return QSerialPort::OddParity;
    case 'm': return QSerialPort::MarkParity;
    case 's': return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits qtStopBits(LineSettings::StopBits stop)
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

QSerialPort::FlowControl qtFlow(int handshaking)
{
    switch (handshaking) {
    case SerialComm::comXOnXoff: return QSerialPort::SoftwareControl;
    case SerialComm::comRTS:
    case SerialComm::comRTSXOnXOff: return QSerialPort::HardwareControl;
    default: return QSerialPort::NoFlowControl;
    }
}

QString parityWords(char parity)
{
    switch (parity) {
    case 'e': return QStringLiteral("gerade Parität (Even)");
    case 'o': return QStringLiteral("ungerade Parität (Odd)");
    case 'm': return QStringLiteral("Parität Mark");
    case 's': return QStringLiteral("Parität Space");
    default: return QStringLiteral("keine Parität");
    }
}

} // namespace

QtSerialComm::QtSerialComm(Resolver resolver, QObject *parent, QString lockFolder)
    : SerialComm(parent), m_resolver(std::move(resolver)), m_lockFolder(std::move(lockFolder)),
      m_port(new QSerialPort(this))
{
    m_resumeReading.setSingleShot(true);
    m_resumeReading.setInterval(GatherMs);
    m_resumeReading.setTimerType(Qt::PreciseTimer);
    connect(&m_resumeReading, &QTimer::timeout, this, &QtSerialComm::resumeReading);
    connect(m_port, &QSerialPort::readyRead, this, &QtSerialComm::onReadyRead);
    connect(m_port, &QSerialPort::errorOccurred, this, &QtSerialComm::onError);
}

QtSerialComm::~QtSerialComm()
{
    if (m_port->isOpen()) {
        OwnCall call(m_ownCalls);
        m_port->clear(QSerialPort::AllDirections);
        m_port->close();
    }
}

QString QtSerialComm::where() const
{
    return m_named.isEmpty() ? QStringLiteral("Com%1").arg(commPort())
                             : QStringLiteral("Com%1 (%2)").arg(commPort()).arg(shown(m_named));
}

QString QtSerialComm::systemReason(const QSerialPort &port)
{
    return port.error() == QSerialPort::NoError ? QString() : port.errorString();
}

QString QtSerialComm::hostRefusal(int port, const LineSettings &line)
{
    if (line.dataBits < 5)
        return QStringLiteral("Com%1: %2 Datenbits kann dieser Rechner nicht einstellen "
                              "(möglich sind 5 bis 8).").arg(port).arg(line.dataBits);
    if (line.stopBits == LineSettings::StopBits::OneAndHalf && line.dataBits != 5)
        return QStringLiteral("Com%1: 1,5 Stopbits gibt es nur mit 5 Datenbits, nicht mit %2. "
                              "Bitte 1 oder 2 Stopbits wählen.").arg(port).arg(line.dataBits);
#if defined(Q_OS_UNIX) && !defined(CMSPAR)
    if (line.parity == 'm' || line.parity == 's')
        return QStringLiteral("Com%1: Parität Mark und Space kann dieser Rechner nicht einstellen.")
            .arg(port);
#endif
    return {};
}

QList<int> QtSerialComm::lineErrorEvents(const LineCounters &before, const LineCounters &after)
{
    QList<int> events;
    if (after.brk > before.brk)
        events.append(comEventBreak);
    if (after.frame > before.frame)
        events.append(comEventFrame);
    if (after.overrun > before.overrun)
        events.append(comEventOverrun);
    if (after.parity > before.parity)
        events.append(comEventRxParity);
    return events;
}

#ifdef Q_OS_UNIX
void QtSerialComm::adjustTermios(termios &t, const LineSettings &line, int handshaking,
                                 bool markParity)
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

    if (handshaking == comRTS || handshaking == comRTSXOnXOff)
        t.c_cflag |= CRTSCTS;
    else
        t.c_cflag &= ~CRTSCTS;
    // Only XON restarts output: QSerialPort's software flow control also sets
    // IXANY, which lets any received byte release a line the device has stopped.
    t.c_iflag &= ~IXANY;
    if (handshaking == comXOnXoff || handshaking == comRTSXOnXOff)
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

QString QtSerialComm::termiosMismatch(const termios &t, const LineSettings &line, int handshaking)
{
    QStringList missing;
    if ((t.c_cflag & CSIZE) != sizeFlag(line.dataBits))
        missing << QStringLiteral("%1 Datenbits").arg(line.dataBits);

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
        missing << parityWords(line.parity);

    const bool twoStop = t.c_cflag & CSTOPB;
    if (twoStop != (line.stopBits != LineSettings::StopBits::One))
        missing << (line.stopBits == LineSettings::StopBits::One ? QStringLiteral("1 Stopbit")
                    : line.stopBits == LineSettings::StopBits::Two ? QStringLiteral("2 Stopbits")
                                                                   : QStringLiteral("1,5 Stopbits"));

    const bool rtsCts = t.c_cflag & CRTSCTS;
    if (rtsCts != (handshaking == comRTS || handshaking == comRTSXOnXOff))
        missing << QStringLiteral("den Handshake RTS/CTS");
    const bool xon = (t.c_iflag & IXON) && (t.c_iflag & IXOFF) && !(t.c_iflag & IXANY);
    const bool xoff = !(t.c_iflag & IXON) && !(t.c_iflag & IXOFF);
    const bool wantX = handshaking == comXOnXoff || handshaking == comRTSXOnXOff;
    if (wantX ? !xon : !xoff)
        missing << QStringLiteral("den Handshake XON/XOFF");
    return missing.join(QStringLiteral(", "));
}
#endif

bool QtSerialComm::markingWanted() const
{
    return lineSettings().parity != 'n' && !parityReplace().isEmpty();
}

void QtSerialComm::deviceOpen()
{
    const int port = commPort();
    const QString named = deviceWanted().isEmpty() && m_resolver ? m_resolver(port) : deviceWanted();
    if (named.isEmpty())
        throw CommError(QStringLiteral("Com%1 hat kein Gerät: Es ist kein serieller Anschluss "
                                       "dafür vorhanden. Bitte den USB-Adapter einstecken.").arg(port),
                        CommError::Cause::Missing);
    QString device = named;

#ifdef Q_OS_UNIX
    const QByteArray local = QFile::encodeName(device);
    if (::access(local.constData(), F_OK) != 0 || ::access(local.constData(), R_OK | W_OK) != 0) {
        const int e = errno;
        throw PortFailure::error(PortFailure::causeOfErrno(e), port, device, errnoText(e));
    }
    // QSerialPort's lock file is named after the path: a symlink would get a
    // lock of its own.
    const QString canonical = QFileInfo(device).canonicalFilePath();
    if (!canonical.isEmpty())
        device = canonical;
#endif
    QString opened = device;
    if (!m_lockFolder.isEmpty()) {
        opened = m_lockFolder + u'/' + QString(device).replace(u'/', u'_');
        QFile::remove(opened);
        if (!QFile::link(device, opened))
            throw CommError(QStringLiteral("Com%1 (%2) kann nicht geöffnet werden: In %3 lässt sich keine "
                                           "Verknüpfung für die Sperre anlegen.").arg(port).arg(shown(device), shown(m_lockFolder)));
    }

    const QString refusal = hostRefusal(port, lineSettings());
    if (!refusal.isEmpty())
        throw CommError(refusal, CommError::Cause::Settings);
#ifndef Q_OS_UNIX
    if (handshaking() == comRTSXOnXOff)
        throw CommError(QStringLiteral("Com%1: RTS/CTS und XON/XOFF zusammen kann dieser Rechner "
                                       "nicht einstellen.").arg(port), CommError::Cause::Settings);
#endif

    OwnCall call(m_ownCalls);
    // Open on a line every device takes; the wanted line follows, so that a
    // refusal names the setting and not just the port.
    m_port->setPortName(opened);
    m_port->setBaudRate(9600);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    m_port->clearError();
    if (!m_port->open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port->error();
        const QString reason = systemReason(*m_port);
        m_port->clearError();
        throw PortFailure::error(PortFailure::cause(error, systemErrorOpening(device)), port, device,
                                 reason);
    }
    m_device = device;
    m_named = named;

#ifdef Q_OS_UNIX
    // Holds for root too (which TIOCEXCL does not stop) and for every path to
    // the same device.
    if (::flock(int(m_port->handle()), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        m_port->close();
        m_port->clearError();
        m_device.clear();
        m_named.clear();
        throw PortFailure::error(CommError::Cause::Busy, port, device);
    }
#endif

    try {
        applyLine();
    } catch (const CommError &) {
        m_port->clear(QSerialPort::AllDirections);
        m_port->close();
        m_port->clearError();
        m_device.clear();
        m_named.clear();
        throw;
    }
    readCounters(&m_counters, &m_countersSupported);
    m_port->clearError();
}

int QtSerialComm::systemErrorOpening(const QString &device)
{
#ifdef Q_OS_UNIX
    // Without waiting for a carrier and without becoming our controlling
    // terminal; closed at once. Nobody else holds the line, or it would not open.
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
#else
    Q_UNUSED(device);
#endif
    return 0;
}

void QtSerialComm::deviceClose()
{
    if (m_port->isOpen()) {
        OwnCall call(m_ownCalls);
        // Unsent output is dropped; a held-up line must not stall the close.
        m_port->clear(QSerialPort::AllDirections);
        m_port->close();
    }
    m_port->clearError();
    m_device.clear();
    m_named.clear();
    m_marks.reset();
    m_marking = false;
    m_countersSupported = false;
    m_countersRead.invalidate();
    // The port deletes its notifiers later; a reopened port gets new ones.
    m_resumeReading.stop();
    m_readNotifier = nullptr;
}

void QtSerialComm::deviceApplyLine()
{
    if (!m_port->isOpen())
        return;
    const QString refusal = hostRefusal(commPort(), lineSettings());
    if (!refusal.isEmpty())
        throw CommError(refusal, CommError::Cause::Settings);
    applyLine();
}

void QtSerialComm::applyLine()
{
    OwnCall call(m_ownCalls);
    const LineSettings &line = lineSettings();
    const int hs = handshaking();
#ifndef Q_OS_UNIX
    if (hs == comRTSXOnXOff)
        throw CommError(QStringLiteral("%1: RTS/CTS und XON/XOFF zusammen kann dieser Rechner "
                                       "nicht einstellen.").arg(where()), CommError::Cause::Settings);
#endif

    m_port->clearError();
    if (!m_port->setBaudRate(line.baud)) {
        const QString text = withReason(QStringLiteral("%1 kann die Geschwindigkeit %2 Baud nicht "
                                                       "einstellen.").arg(where()).arg(line.baud),
                                        m_port->error(), systemReason(*m_port));
        m_port->clearError();
        throw CommError(text, CommError::Cause::Settings);
    }
    const bool ok = m_port->setDataBits(qtDataBits(line.dataBits))
                    && m_port->setParity(qtParity(line.parity))
                    && m_port->setStopBits(qtStopBits(line.stopBits))
                    && m_port->setFlowControl(qtFlow(hs));
    if (!ok) {
        const QString text = withReason(QStringLiteral("%1 kann die Einstellungen \"%2\" nicht "
                                                       "übernehmen.").arg(where(), line.toString()),
                                        m_port->error(), systemReason(*m_port));
        m_port->clearError();
        throw CommError(text, CommError::Cause::Settings);
    }
    applyNative();
    m_port->clearError();
    // Leaving RTS/CTS hands RTS back to us.
    if (hs == comNone || hs == comXOnXoff)
        deviceSetRts(rtsEnable());
}

void QtSerialComm::applyNative()
{
    const bool marking = markingWanted();
#ifdef Q_OS_UNIX
    const int fd = int(m_port->handle());
    termios t{};
    bool applied = ::tcgetattr(fd, &t) == 0;
    if (applied) {
        adjustTermios(t, lineSettings(), handshaking(), marking);
        applied = ::tcsetattr(fd, TCSANOW, &t) == 0;
    }
    if (!applied) {
        const int e = errno;
        throw PortFailure::error(PortFailure::causeOfErrno(e), commPort(), m_named, errnoText(e),
                                 settings());
    }
    termios back{};
    if (::tcgetattr(fd, &back) == 0) {
        const QString missing = termiosMismatch(back, lineSettings(), handshaking());
        if (!missing.isEmpty())
            throw CommError(QStringLiteral("%1 kann die Einstellungen \"%2\" nicht übernehmen: "
                                           "Das Gerät unterstützt %3 nicht.")
                                .arg(where(), settings(), missing), CommError::Cause::Settings);
    }
#endif
    if (marking != m_marking)
        m_marks.reset();
    m_marking = marking;
    if (marking)
        m_marks.setReplacement(char(Windows1252::fromChar(parityReplace().at(0))));
}

void QtSerialComm::deviceParityReplaceChanged()
{
    if (!m_port->isOpen())
        return;
    OwnCall call(m_ownCalls);
    applyNative();
}

void QtSerialComm::deviceWrite(const QByteArray &bytes)
{
    if (!m_port->isOpen())
        return;
    if (m_port->write(bytes) != bytes.size()) {
        const QSerialPort::SerialPortError error = m_port->error();
        throw CommError(withReason(QStringLiteral("%1: Die Daten konnten nicht gesendet werden.")
                                       .arg(where()), error, systemReason(*m_port)),
                        PortFailure::cause(error, 0));
    }
    // A typed key goes to the wire now rather than on the next event-loop turn,
    // which may come only after a burst of received text has been shown.
    OwnCall call(m_ownCalls);
    if (!m_port->flush() && m_port->error() == QSerialPort::WriteError) {
        // Reported like a failed background write, once this call has returned.
        QMetaObject::invokeMethod(this, [this] {
            if (m_port->error() == QSerialPort::WriteError)
                onError(QSerialPort::WriteError);
        }, Qt::QueuedConnection);
    }
}

qint64 QtSerialComm::deviceBytesToWrite() const
{
    return m_port->isOpen() ? m_port->bytesToWrite() : 0;
}

void QtSerialComm::deviceSetDtr(bool on)
{
    if (!m_port->isOpen())
        return;
    // A pseudo-terminal has no modem lines: the value is kept, nothing thrown.
    OwnCall call(m_ownCalls);
    m_port->setDataTerminalReady(on);
    m_port->clearError();
}

void QtSerialComm::deviceSetRts(bool on)
{
    if (!m_port->isOpen())
        return;
    // Under RTS/CTS the driver drives RTS itself.
    if (handshaking() == comRTS || handshaking() == comRTSXOnXOff)
        return;
    OwnCall call(m_ownCalls);
    m_port->setRequestToSend(on);
    m_port->clearError();
}

SerialComm::ModemLines QtSerialComm::deviceLines() const
{
    if (!m_port->isOpen())
        return {};
    OwnCall call(m_ownCalls);
    const QSerialPort::PinoutSignals pins = m_port->pinoutSignals();
    if (m_port->error() != QSerialPort::NoError) {
        m_port->clearError();
        return {};
    }
    ModemLines lines;
    lines.cd = pins.testFlag(QSerialPort::DataCarrierDetectSignal);
    lines.cts = pins.testFlag(QSerialPort::ClearToSendSignal);
    lines.dsr = pins.testFlag(QSerialPort::DataSetReadySignal);
    return lines;
}

void QtSerialComm::readCounters(LineCounters *into, bool *supported) const
{
    *supported = false;
#if defined(Q_OS_LINUX) && defined(TIOCGICOUNT)
    if (!m_port->isOpen())
        return;
    serial_icounter_struct c{};
    if (::ioctl(int(m_port->handle()), TIOCGICOUNT, &c) != 0)
        return;   // a pseudo-terminal and some USB drivers keep no counters
    into->frame = c.frame;
    into->parity = c.parity;
    into->overrun = qint64(c.overrun) + c.buf_overrun;
    into->brk = c.brk;
    *supported = true;
#else
    Q_UNUSED(into);
#endif
}

void QtSerialComm::onReadyRead()
{
    if (!m_port->isOpen() || !portOpen())
        return;
    QByteArray bytes = m_port->readAll();
    const qsizetype got = bytes.size();
    const qint64 marked = m_marks.markedBytes();
    if (m_marking)
        bytes = m_marks.decode(bytes);

    // The driver's error counters cost a system call: they are read when a byte
    // came marked, and otherwise at most once per display frame.
    const LineCounters before = m_counters;
    const bool counted = m_countersSupported
                         && (m_marks.markedBytes() != marked || !m_countersRead.isValid()
                             || m_countersRead.elapsed() >= GatherMs * 3);
    if (counted) {
        readCounters(&m_counters, &m_countersSupported);
        m_countersRead.start();
    }
    if (got < CatchUpBytes)
        pauseReading();

    receive(bytes);   // may run OnComm handlers that close the port

    if (counted && m_countersSupported && portOpen()) {
        for (const int code : lineErrorEvents(before, m_counters))
            raiseEvent(code);
    }
}

// At line rate the driver hands over a few dozen bytes every couple of
// milliseconds. After a read, the next bytes gather in the kernel until the next
// display frame (takeGathered) and are taken together: one wake-up per frame
// instead of one per chunk.
// A byte after a quiet spell is read at once, and a big read means the program is
// behind, so the next one follows without a pause. QSerialPort has no call for this, so
// its read notifier (a child of the port) is paused and resumed.
void QtSerialComm::pauseReading()
{
    if (!m_readNotifier)
        for (auto *notifier : m_port->findChildren<QSocketNotifier *>())
            if (notifier->type() == QSocketNotifier::Read && notifier->isEnabled())
                m_readNotifier = notifier;   // a closed port's old one is disabled
    if (!m_readNotifier || m_resumeReading.isActive())
        return;
    m_readNotifier->setEnabled(false);
    m_resumeReading.start();
}

void QtSerialComm::takeGathered()
{
    if (m_resumeReading.isActive()) {
        m_resumeReading.stop();
        resumeReading();
    }
}

void QtSerialComm::resumeReading()
{
    if (!m_readNotifier || !m_port->isOpen())
        return;
    m_readNotifier->setEnabled(true);
    // What gathered is read in this turn of the event loop rather than in the next
    // one the notifier would cause: one wake-up per read, not two.
    if (!m_port->waitForReadyRead(0) && m_port->error() == QSerialPort::TimeoutError)
        m_port->clearError();
}

void QtSerialComm::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || m_ownCalls > 0)
        return;
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError
        && error != QSerialPort::WriteError)
        return;
    if (!portOpen()) {
        // Not ours to report; only make sure nothing keeps firing.
        if (m_port->isOpen()) {
            OwnCall call(m_ownCalls);
            m_port->close();
        }
        m_port->clearError();
        return;
    }
    // The errno text QSerialPort gives with these errors is stale (often
    // "File exists"), so the description says what happened in our words.
    const QString text = QStringLiteral("Die Verbindung über %1 ist abgebrochen: Das Gerät wurde "
                                        "entfernt oder getrennt. Der Anschluss wurde geschlossen.")
                             .arg(where());
    lose(text);   // closes the port (deviceClose) before anything else can fire
}
