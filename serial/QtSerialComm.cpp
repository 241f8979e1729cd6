#include "serial/QtSerialComm.h"

#include "serial/PortFailure.h"
#include "serial/QtLineMapping.h"
#include "serial/Termios.h"
#include "platform/Windows1252.h"

QtSerialComm::QtSerialComm(Resolver resolver, QObject *parent, QString lockFolder)
    : SerialComm(parent), m_resolver(std::move(resolver)), m_lock(std::move(lockFolder)),
      m_port(new QSerialPort(this)), m_loss(*m_port, this), m_reader(*m_port, this)
{
    connect(&m_reader, &PacedReader::arrived, this, &QtSerialComm::onArrived);
    connect(&m_loss, &PortLossWatch::lost, this, &QtSerialComm::onLost);
}

QtSerialComm::~QtSerialComm()
{
    QtSerialComm::deviceClose();
}

QString QtSerialComm::where() const
{
    return PortFailure::where(commPort(), m_named);
}

bool QtSerialComm::markingWanted() const
{
    return lineSettings().parity != 'n' && !parityReplace().isEmpty();
}

void QtSerialComm::deviceOpen()
{
    const int port = commPort();
    const QString named = deviceWanted().isEmpty() && m_resolver ? m_resolver(port) : deviceWanted();
    if (named.isEmpty())
        throw CommError(PortFailure::noDevice(port), CommError::Cause::Missing);
    const QString node = DeviceLock::node(port, named);
    const QString refusal = PortFailure::hostRefusal(port, lineSettings(), handshaking());
    if (!refusal.isEmpty())
        throw CommError(refusal, CommError::Cause::Settings);

    PortLossWatch::OwnCall call(m_loss);
    m_lock.open(*m_port, port, node);
    m_named = named;
    try {
        applyLine();
    } catch (const CommError &) {
        m_port->clear(QSerialPort::AllDirections);
        m_port->close();
        m_port->clearError();
        m_named.clear();
        throw;
    }
    m_counters.start(int(m_port->handle()));
    m_port->clearError();
}

void QtSerialComm::deviceClose()
{
    if (m_port->isOpen()) {
        PortLossWatch::OwnCall call(m_loss);
        // Unsent output is dropped; a held-up line must not stall the close.
        m_port->clear(QSerialPort::AllDirections);
        m_port->close();
    }
    m_port->clearError();
    m_reader.stop();
    m_counters.stop();
    m_named.clear();
    m_marks.reset();
    m_marking = false;
}

void QtSerialComm::deviceApplyLine()
{
    if (!m_port->isOpen())
        return;
    const QString refusal = PortFailure::hostRefusal(commPort(), lineSettings(), handshaking());
    if (!refusal.isEmpty())
        throw CommError(refusal, CommError::Cause::Settings);
    applyLine();
}

void QtSerialComm::applyLine()
{
    PortLossWatch::OwnCall call(m_loss);
    const LineSettings &line = lineSettings();
    const int hs = handshaking();
    m_port->clearError();
    if (!m_port->setBaudRate(line.baud)) {
        const QString text = PortFailure::speedRefused(where(), line.baud, *m_port);
        m_port->clearError();
        throw CommError(text, CommError::Cause::Settings);
    }
    const bool ok = m_port->setDataBits(QtLineMapping::dataBits(line.dataBits))
                    && m_port->setParity(QtLineMapping::parity(line.parity))
                    && m_port->setStopBits(QtLineMapping::stopBits(line.stopBits))
                    && m_port->setFlowControl(QtLineMapping::flowControl(hs));
    if (!ok) {
        const QString text = PortFailure::lineRefused(where(), line, *m_port);
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
    const Termios::Outcome done = Termios::apply(int(m_port->handle()), lineSettings(), handshaking(), marking);
    if (done.error != 0)
        throw PortFailure::fromErrno(done.error, commPort(), m_named, settings());
    if (done.missing)
        throw CommError(PortFailure::deviceLacks(where(), lineSettings(), done.missing),
                        CommError::Cause::Settings);
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
    PortLossWatch::OwnCall call(m_loss);
    applyNative();
}

void QtSerialComm::deviceWrite(const QByteArray &bytes)
{
    if (!m_port->isOpen())
        return;
    if (m_port->write(bytes) != bytes.size()) {
        const QSerialPort::SerialPortError error = m_port->error();
        throw CommError(PortFailure::notSent(where(), *m_port), PortFailure::cause(error, 0));
    }
    // A typed key goes to the wire now rather than on the next event-loop turn,
    // which may come only after a burst of received text has been shown.
    PortLossWatch::OwnCall call(m_loss);
    if (!m_port->flush() && m_port->error() == QSerialPort::WriteError)
        m_loss.reportWriteErrorLater();
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
    PortLossWatch::OwnCall call(m_loss);
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
    PortLossWatch::OwnCall call(m_loss);
    m_port->setRequestToSend(on);
    m_port->clearError();
}

SerialComm::ModemLines QtSerialComm::deviceLines() const
{
    if (!m_port->isOpen())
        return {};
    PortLossWatch::OwnCall call(m_loss);
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

void QtSerialComm::takeGathered()
{
    m_reader.takeGathered();
}

void QtSerialComm::onArrived(QByteArray bytes)
{
    if (!portOpen())
        return;
    const qint64 marked = m_marks.markedBytes();
    if (m_marking)
        bytes = m_marks.decode(bytes);
    const QList<int> lineErrors = m_counters.take(int(m_port->handle()), m_marks.markedBytes() != marked);

    receive(bytes);   // may run OnComm handlers that close the port

    if (portOpen()) {
        for (const int code : lineErrors)
            raiseEvent(code);
    }
}

void QtSerialComm::onLost()
{
    if (!portOpen()) {
        // Not ours to report; only make sure nothing keeps firing.
        if (m_port->isOpen()) {
            PortLossWatch::OwnCall call(m_loss);
            m_port->close();
        }
        m_port->clearError();
        return;
    }
    lose(PortFailure::connectionLost(where()));   // closes the port (deviceClose) before anything else can fire
}
