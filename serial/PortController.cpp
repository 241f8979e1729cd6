#include "serial/PortController.h"

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "serial/DeviceWait.h"
#include "serial/DeviceWatch.h"
#include "serial/SerialComm.h"

#include <QTime>

PortController::PortController(SerialComm &port, Dialogs &dialogs, const Clock &clock,
                               const DeviceInfoSource &devices, DirectoryWatcher &watcher, QObject *parent)
    : QObject(parent), m_port(port), m_dialogs(dialogs), m_clock(clock), m_devices(devices),
      m_wait(new DeviceWait(devices, watcher, this)), Timer1(new QTimer(this))
{
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &PortController::Timer1_Timer);
    // Queued, so that the port is never opened again inside its own read handler.
    connect(&m_port, &SerialComm::portLost, this, &PortController::MSComm1_Lost, Qt::QueuedConnection);
    connect(m_wait, &DeviceWait::found, this, &PortController::deviceFound);
}

void PortController::mnuOpen_Click()
{
    setNote(QString());
    if (m_state == State::Waiting) {
        // The port is closed already: the flip ends the wait.
        showClosed();
        CheckUART();
        return;
    }
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
}

void PortController::CheckUART()
{
    emit linesChanged({m_port.dtrEnable(), m_port.dsrHolding(), m_port.rtsEnable(), m_port.ctsHolding()});
}

void PortController::setState(State state, const QString &caption)
{
    m_state = state;
    emit stateChanged(state, caption);
}

void PortController::showClosed(bool withCaption)
{
    m_wait->stop();
    setState(State::Closed, withCaption ? QStringLiteral("Com ") + m_comPort + QStringLiteral("  closed")
                                        : QStringLiteral("Com"));
    StopConnectTime();
    m_device = {};
    emit deviceChanged(QString());
}

void PortController::showPortState()
{
    if (m_port.portOpen())
        showOpen();
    else
        showClosed();
}

void PortController::showOpen()
{
    m_wait->stop();
    setState(State::Open, QStringLiteral("Com ") + m_comPort + QStringLiteral("  open "));
    StartConnectTime();
    // Known now, while the device is there: after a loss it is what is waited for.
    m_device = m_devices.identify(m_port.devicePath());
    if (m_device.isBuiltIn() && m_devices.adapters().isEmpty())
        emit deviceChanged(QStringLiteral("Com %1 ist die eingebaute Schnittstelle %2 – kein USB-Adapter gefunden")
                               .arg(m_comPort, m_device.path));
    else
        emit deviceChanged(m_device.words());
}

void PortController::followPort()
{
    if (m_state != State::Waiting && m_port.portOpen() != (m_state == State::Open)) {
        showPortState();
        CheckUART();
    }
}

void PortController::MSComm1_Lost()
{
    // The component has closed the port already. Unless the user has done something
    // with it meanwhile, the device is waited for.
    if (m_state != State::Open || m_port.portOpen())
        return;
    setState(State::Waiting, QStringLiteral("Com ") + m_comPort + QStringLiteral("  wartet"));
    StopConnectTime();
    CheckUART();
    m_failed = false;
    setNote(QStringLiteral("Verbindung zu %1 getrennt – warte auf das Gerät").arg(m_device.path));
    m_wait->start(m_device);
}

void PortController::deviceFound(const QString &path)
{
    try {
        m_port.openOn(path);
    } catch (const CommError &e) {
        // Right after a device node appears the system may not have given it its
        // rights yet, and a modem manager may be probing it: a refusal is said when
        // the next try, moments later, meets it again, and then not again. Other has
        // no cause of its own to compare, so its words are compared.
        const bool again = m_failed && e.cause() == m_failure
                           && (e.cause() != CommError::Cause::Other || e.description() == m_failureText);
        if (!again) {
            m_failureSaid = false;
        } else if (!m_failureSaid) {
            m_failureSaid = true;
            setNote(e.description() + QStringLiteral(" Warte weiter auf das Gerät."));
        }
        m_failed = true;
        m_failure = e.cause();
        m_failureText = e.description();
        m_wait->retryLater();
        return;
    }
    showOpen();
    CheckUART();
    setNote(QStringLiteral("Com %1 wieder verbunden um %2").arg(m_comPort, QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
}

void PortController::keyNotSent()
{
    const qint64 now = m_clock.msecs();
    if (m_keyNoticed && now - m_keyNoticeAt < 1000)
        return;
    m_keyNoticed = true;
    m_keyNoticeAt = now;
    emit message(QStringLiteral("nicht verbunden – Taste nicht gesendet"));
}

void PortController::setNote(const QString &text)
{
    emit noteChanged(text);
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
