#include "serial/SerialComm.h"

#include "platform/Log.h"
#include "platform/Windows1252.h"

#include <QScopeGuard>

SerialComm::SerialComm(QObject *parent) : QObject(parent) {}

SerialComm::~SerialComm() = default;

namespace {
void requireRange(int value, int low, int high, const char *what)
{
    if (value < low || value > high)
        throw CommError(QStringLiteral("Ungültiger Wert %1 für %2: erlaubt ist %3 bis %4.")
                            .arg(value).arg(QLatin1StringView(what)).arg(low).arg(high));
}
} // namespace

void SerialComm::setCommPort(int port)
{
    if (m_open)
        throw CommError(QStringLiteral("Die Anschlussnummer kann nicht geändert werden, "
                                       "solange der Anschluss geöffnet ist."));
    if (port < 1 || port > 255)
        throw CommError(QStringLiteral("Ungültige Anschlussnummer %1: erlaubt ist 1 bis 255.").arg(port));
    m_commPort = port;
}

void SerialComm::setSettings(const QString &text)
{
    QString why;
    const auto parsed = LineSettings::parse(text, &why);
    if (!parsed)
        throw CommError(why);
    const LineSettings old = m_line;
    m_line = *parsed;
    if (m_open) {
        try {
            deviceApplyLine();
        } catch (const CommError &) {
            m_line = old;
            restoreLine();
            throw;
        }
    }
}

void SerialComm::restoreLine()
{
    // Best effort back to what worked; the caller reports the first refusal, not
    // a second one from here. The port may have been lost meanwhile.
    if (!m_open)
        return;
    try {
        deviceApplyLine();
    } catch (const CommError &) {
    }
}

void SerialComm::setHandshaking(int code)
{
    requireRange(code, comNone, comRTSXOnXOff, "Handshaking");
    const int old = m_handshaking;
    m_handshaking = code;
    if (m_open) {
        try {
            deviceApplyLine();
        } catch (const CommError &) {
            m_handshaking = old;
            restoreLine();
            throw;
        }
    }
}

void SerialComm::setPortOpen(bool open)
{
    if (open == m_open) {
        if (open)
            throw CommError(QStringLiteral("Der Anschluss Com%1 ist bereits geöffnet.").arg(m_commPort));
        return;
    }
    if (open) {
        try {
            deviceOpen();   // throws on refusal; the port stays closed
        } catch (const CommError &e) {
            qCInfo(lcSerial) << "Com" << m_commPort << "not opened:" << e.description();
            throw;
        }
        qCInfo(lcSerial) << "Com" << m_commPort << "opened," << settings() << "handshaking" << m_handshaking;
        m_open = true;
        m_in.clear();
        m_inPos = 0;
        deviceSetDtr(m_dtr);
        deviceSetRts(m_rts);
    } else {
        m_open = false;
        deviceClose();
        m_in.clear();
        m_inPos = 0;
        qCInfo(lcSerial) << "Com" << m_commPort << "closed";
    }
    emit portOpenChanged(m_open);
}

void SerialComm::openOn(const QString &device)
{
    m_deviceWanted = device;
    const auto forget = qScopeGuard([this] { m_deviceWanted.clear(); });
    setPortOpen(true);
}

void SerialComm::setInputLen(int len)
{
    requireRange(len, 0, 32767, "InputLen");
    m_inputLen = len;
}

QByteArray SerialComm::input()
{
    const qsizetype waiting = m_in.size() - m_inPos;
    const qsizetype n = m_inputLen == 0 ? waiting : qMin<qsizetype>(waiting, m_inputLen);
    QByteArray out = m_in.mid(m_inPos, n);
    m_inPos += n;
    compactInBuffer();
    return out;
}

void SerialComm::output(const QByteArray &bytes)
{
    if (!m_open)
        throw CommError(QStringLiteral("Der Anschluss ist nicht geöffnet."));
    if (deviceBytesToWrite() + bytes.size() > m_outBufferSize) {
        raiseEvent(comEventTxFull);
        return;
    }
    deviceWrite(bytes);
}

void SerialComm::setOutBufferSize(int size)
{
    requireRange(size, 1, 32767, "OutBufferSize");
    m_outBufferSize = size;
}

int SerialComm::outBufferCount() const
{
    return m_open ? int(qMin<qint64>(deviceBytesToWrite(), 32767)) : 0;
}

void SerialComm::setRThreshold(int count)
{
    requireRange(count, 0, 32767, "RThreshold");
    m_rThreshold = count;
}

void SerialComm::setSThreshold(int count)
{
    requireRange(count, 0, 32767, "SThreshold");
    m_sThreshold = count;
}

void SerialComm::setParityReplace(const QString &text)
{
    // Any one character the line can carry as a byte of the program's code page.
    if (text.size() > 1 || (text.size() == 1 && !Windows1252::encodes(text.at(0))))
        throw CommError(QStringLiteral("Das Ersetzungszeichen muss ein einzelnes Zeichen (Windows-1252) sein."));
    const QString old = m_parityReplace;
    m_parityReplace = text;
    if (m_open) {
        try {
            deviceParityReplaceChanged();
        } catch (const CommError &) {
            m_parityReplace = old;
            try {
                if (m_open)
                    deviceParityReplaceChanged();
            } catch (const CommError &) {
            }
            throw;
        }
    }
}

void SerialComm::setDTREnable(bool on)
{
    m_dtr = on;
    if (m_open)
        deviceSetDtr(on);
}

void SerialComm::setRTSEnable(bool on)
{
    m_rts = on;
    if (m_open)
        deviceSetRts(on);
}

bool SerialComm::cdHolding() const { return m_open && deviceLines().cd; }
bool SerialComm::ctsHolding() const { return m_open && deviceLines().cts; }
bool SerialComm::dsrHolding() const { return m_open && deviceLines().dsr; }

void SerialComm::receive(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    emit bytesArrived(bytes);
    const qsizetype room = MaxInBuffer - (m_in.size() - m_inPos);
    m_in.append(bytes.constData(), qMin<qsizetype>(room, bytes.size()));
    if (bytes.size() > room)
        raiseEvent(comEventRxOver);
    if (m_rThreshold > 0 && m_in.size() - m_inPos >= m_rThreshold)
        raiseEvent(comEvReceive);
}

void SerialComm::raiseEvent(int code)
{
    if (code != comEvReceive)
        qCDebug(lcSerial) << "Com" << m_commPort << "event" << code;
    m_commEvent = code;
    emit OnComm();
}

void SerialComm::lose(const QString &description)
{
    if (!m_open)
        return;
    m_open = false;
    deviceClose();
    qCInfo(lcSerial) << "Com" << m_commPort << "lost:" << description;
    emit portOpenChanged(false);
    emit portLost(description);
}

void SerialComm::compactInBuffer()
{
    if (m_inPos == m_in.size()) {
        m_in.resize(0);   // keeps the capacity: the buffer refills at line rate
        m_inPos = 0;
    } else if (m_inPos > 4096 && m_inPos * 2 > m_in.size()) {
        m_in.remove(0, m_inPos);
        m_inPos = 0;
    }
}
