#include "terminal/ReceiveLoop.h"

#include "terminal/RichTextModel.h"
#include "serial/SerialComm.h"
#include "terminal/PageRecognizer.h"
#include "terminal/RxLine.h"
#include "platform/Colors.h"
#include "terminal/TerminalOptions.h"
#include "terminal/TextAppender.h"
#include "platform/Windows1252.h"

#include <QVarLengthArray>

namespace {
constexpr QChar BS(8);
constexpr QChar LF(10);
constexpr QChar FF(12);
constexpr QChar CR(13);
const QString StickCentring = QStringLiteral("Erkenne Mittelpositionen der Hebel...");
} // namespace

void ReceiveLoop::MSComm1_OnComm()
{
    const int event = m_port.commEvent();
    if (event == SerialComm::comEvReceive) {
        // Nothing in a pass can change the mode, so it is read once per event.
        const bool kestrix = m_options.kestrix();
        // The view hears of everything this read brought at once.
        const RichTextModel::Batch batch(m_appender.view());
        // Bytes that arrive meanwhile are taken in the same call.
        do {
            // One byte per read is the normal case; it needs no block of its own.
            char byte;
            if (m_port.inputLen() != 1) {
                pass(Windows1252::decode(m_port.input()), kestrix);
            } else if (const qsizetype run = plainRun(m_port.waitingInput(), kestrix); run > 1) {
                passPlain(m_port.waitingInput().first(run));
                m_port.skipInput(run);
            } else if (m_port.inputByte(byte)) {
                passChar(Windows1252::toChar(static_cast<unsigned char>(byte)), kestrix);
            } else {
                pass(QString(), kestrix);
            }
        } while (m_port.inBufferCount() != 0);
        return;
    }

    // A noisy line raises these over and over: they go to the status panel, which
    // the user can ignore, never into a box that has to be answered.
    const QString error = lineErrorText(event);
    if (!error.isEmpty() && m_report)
        m_report(QStringLiteral("Error: ") + error);
}

void ReceiveLoop::pass(const QString &received, bool kestrix)
{
    if (received.size() == 1) {
        passChar(received[0], kestrix);
        return;
    }
    // A block of several characters, or none, is never LF, CR or a cursor.
    m_line.append(received);
    QString RxChar = received;
    m_appender.AppendText(RxChar);
    stickCentring(kestrix);
}

qsizetype ReceiveLoop::plainRun(QByteArrayView waiting, bool kestrix) const
{
    // While the open line starts with what may become the stick-centring message,
    // every character may complete it.
    if (kestrix && (m_line.first() == StickCentring.front()
                    || (m_line.RxLen() == 0 && !waiting.isEmpty() && waiting.front() == 'E')))
        return 0;
    qsizetype n = 0;
    for (const char b : waiting) {
        if (b == '\n' || b == '\r' || b == '\b' || b == '\f' || (kestrix && b == '>'))
            break;
        ++n;
    }
    return n;
}

void ReceiveLoop::passPlain(QByteArrayView bytes)
{
    QVarLengthArray<QChar, 512> chars(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        chars[i] = Windows1252::toChar(static_cast<unsigned char>(bytes[i]));
    const QStringView run(chars.constData(), chars.size());
    m_line.append(run);
    m_appender.appendPlain(run);
}

void ReceiveLoop::passChar(QChar received, bool kestrix)
{
    if (received == LF)
        return;

    RichTextModel &view = m_appender.view();
    if (received == CR) {
        m_pages.CheckRxZeile(m_line.RxZeile());
        QString lineBreak = QStringLiteral("\r\n");
        m_appender.AppendText(lineBreak);
        m_line.clear();
        return;
    }

    // The controller's menu cursor, but not the ">" of "=>" or of a title line
    // such as "KONFIGURATIONSMENUE > AKKU".
    if (kestrix && received == u'>') {
        m_cursorMark = true;
        if (m_line.endsWith(u"="))
            m_cursorMark = false;
        else if (m_line.endsWith(u"MENUE "))
            m_cursorMark = false;
        else
            view.setSelColor(Colors::Red);
    }

    m_line.append(received);
    if (received != BS && received != FF) {
        m_appender.appendChar(received);
    } else {
        QString RxChar(received);
        m_appender.AppendText(RxChar);
    }

    if (m_cursorMark) {
        view.setSelColor(Colors::Black);
        m_cursorMark = false;
    }
    if (kestrix && m_line.first() == StickCentring.front())
        stickCentring(kestrix);
}

void ReceiveLoop::stickCentring(bool kestrix)
{
    // The stick-centring message turns red the moment it is complete; what
    // follows on the same line starts a new open line.
    if (!kestrix || !m_line.startsWith(StickCentring))
        return;
    RichTextModel &view = m_appender.view();
    const int erase = m_line.RxLen();
    for (int i = 0; i < erase; ++i) {
        QString backspace(BS);
        m_appender.AppendText(backspace);
    }
    view.setSelColor(Colors::Red);
    m_appender.AppendText(m_line.RxZeile());
    view.setSelColor(Colors::Black);
    m_line.clear();
}

QString ReceiveLoop::lineErrorText(int commEvent)
{
    switch (commEvent) {
    case SerialComm::comEventBreak:
        return QStringLiteral("Unterbrechung der Leitung (Break) empfangen");
    case SerialComm::comEventFrame:
        return QStringLiteral("Rahmenfehler (Framing)");
    case SerialComm::comEventOverrun:
        return QStringLiteral("Überlauf der Schnittstelle (Overrun), Zeichen verloren");
    case SerialComm::comEventRxOver:
        return QStringLiteral("Empfangspuffer übergelaufen, Zeichen verloren");
    case SerialComm::comEventRxParity:
        return QStringLiteral("Paritätsfehler");
    case SerialComm::comEventTxFull:
        return QStringLiteral("Sendepuffer voll, Zeichen nicht gesendet");
    default:
        return {};
    }
}
