#include "serial/PortController.h"

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "serial/CommError.h"
#include "serial/SerialComm.h"
#include "terminal/Colors.h"

PortController::PortController(SerialComm &port, Dialogs &dialogs, const Clock &clock, QObject *parent)
    : QObject(parent), m_port(port), m_dialogs(dialogs), m_clock(clock), m_fore(Colors::Black),
      m_back(Colors::LightGrey), Timer1(new QTimer(this))
{
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &PortController::Timer1_Timer);
    // Queued, so that the message never opens inside the component's own read handler.
    connect(&m_port, &SerialComm::portLost, this, &PortController::MSComm1_Lost, Qt::QueuedConnection);
}

void PortController::mnuOpen_Click()
{
    FailureRecorder failure;
    failure.run([&] { m_port.setPortOpen(!m_port.portOpen()); });
    if (failure.failed())
        m_dialogs.msgBox(failure.description(), Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
    showPortState();
    CheckUART();
}

void PortController::mnuClose_Click()
{
    mnuOpen_Click();
    CheckUART();
    setLabel(m_caption, Colors::White, m_back);
}

void PortController::CheckUART()
{
    emit linesChanged({m_port.dtrEnable(), m_port.dsrHolding(), m_port.rtsEnable(), m_port.ctsHolding()});
}

void PortController::showClosed(bool withCaption)
{
    m_shownOpen = false;
    setLabel(withCaption ? QStringLiteral("Com ") + m_comPort + QStringLiteral("  closed") : m_caption,
             Colors::White, Colors::Red);
    emit openChanged(false);
    StopConnectTime();
}

void PortController::showPortState()
{
    if (!m_port.portOpen()) {
        showClosed();
        return;
    }
    m_shownOpen = true;
    // The text keeps its colour: white, as start-up and every close leave it.
    setLabel(QStringLiteral("Com ") + m_comPort + QStringLiteral("  open "), m_fore, Colors::Green);
    emit openChanged(true);
    StartConnectTime();
}

void PortController::followPort()
{
    if (m_port.portOpen() != m_shownOpen) {
        showPortState();
        CheckUART();
    }
}

void PortController::MSComm1_Lost(const QString &description)
{
    // The component has closed the port already; the user sees it the way a failed
    // flip shows: the closed look and one message.
    showPortState();
    CheckUART();
    m_dialogs.msgBox(description, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
}

void PortController::setLabel(const QString &caption, quint32 fore, quint32 back)
{
    m_caption = caption;
    m_fore = fore;
    m_back = back;
    emit labelChanged(caption, fore, back);
}

void PortController::StartConnectTime()
{
    ConnectStart = m_clock.msecs();
    m_connected = true;
    emit connectTimeChanged(QStringLiteral("00:00:00 "));
    if (m_clockShown)
        Timer1->start();
}

void PortController::StopConnectTime()
{
    m_connected = false;
    Timer1->stop();
    emit connectTimeChanged(QString());
}

void PortController::setClockShown(bool shown)
{
    if (shown == m_clockShown)
        return;
    m_clockShown = shown;
    if (!m_connected)
        return;
    if (shown) {
        Timer1_Timer();
        Timer1->start();
    } else {
        Timer1->stop();
    }
}

void PortController::Timer1_Timer()
{
    const qint64 seconds = qMax<qint64>(0, (m_clock.msecs() - ConnectStart) / 1000);
    emit connectTimeChanged(QStringLiteral("%1:%2:%3 ")
                                .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                                .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}
