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
    // A pausing port's byte waits for the others.
    if (m_resume.isActive() || !m_port.isOpen())
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
    m_port.setReadBufferSize(1);
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
    if (!m_port.isOpen())
        return;
    m_port.setReadBufferSize(0);
    // What gathered is read in this turn of the event loop rather than in the next
    // one the port's notifier would cause: one wake-up per read, not two.
    if (!m_port.waitForReadyRead(0) && m_port.error() == QSerialPort::TimeoutError)
        m_port.clearError();
    // The byte the pausing port took when nothing followed it.
    if (m_port.isOpen() && m_port.bytesAvailable() > 0)
        read();
}

void PacedReader::stop()
{
    m_resume.stop();
    m_port.setReadBufferSize(0);
}
