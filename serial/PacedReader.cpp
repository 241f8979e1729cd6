#include "serial/PacedReader.h"

#include <QSerialPort>

PacedReader::PacedReader(QSerialPort &port, QObject *parent) : QObject(parent), m_port(port)
{
    m_resume.setSingleShot(true);
    m_resume.setInterval(FallbackMs);
    m_resume.setTimerType(Qt::PreciseTimer);
    connect(&m_resume, &QTimer::timeout, this, &PacedReader::resume);
    connect(&m_port, &QSerialPort::readyRead, this, &PacedReader::read);
}

void PacedReader::read()
{
    if (!m_port.isOpen())
        return;
    const QByteArray bytes = m_port.readAll();
    if (bytes.isEmpty())
        return;
    if (bytes.size() < CatchUpBytes)
        pause();
    emit arrived(bytes);
}

void PacedReader::pause()
{
    if (!m_notifier)
        for (auto *notifier : m_port.findChildren<QSocketNotifier *>())
            if (notifier->type() == QSocketNotifier::Read && notifier->isEnabled())
                m_notifier = notifier;   // a closed port's old one is disabled
    if (!m_notifier || m_resume.isActive())
        return;
    m_notifier->setEnabled(false);
    m_resume.start();
}

void PacedReader::takeGathered()
{
    if (m_resume.isActive())
        resume();
}

void PacedReader::resume()
{
    m_resume.stop();
    if (!m_notifier || !m_port.isOpen())
        return;
    m_notifier->setEnabled(true);
    // What gathered is read in this turn of the event loop rather than in the next
    // one the port's notifier would cause: one wake-up per read, not two.
    if (!m_port.waitForReadyRead(0) && m_port.error() == QSerialPort::TimeoutError)
        m_port.clearError();
}

void PacedReader::stop()
{
    // The port deletes its notifiers later; a reopened port gets new ones.
    m_resume.stop();
    m_notifier = nullptr;
}
