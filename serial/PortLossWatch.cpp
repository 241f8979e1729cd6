#include "serial/PortLossWatch.h"

PortLossWatch::PortLossWatch(QSerialPort &port, QObject *parent) : QObject(parent), m_port(port)
{
    connect(&m_port, &QSerialPort::errorOccurred, this, &PortLossWatch::onError);
}

void PortLossWatch::reportWriteErrorLater()
{
    QMetaObject::invokeMethod(this, [this] {
        if (m_port.error() == QSerialPort::WriteError)
            onError(QSerialPort::WriteError);
    }, Qt::QueuedConnection);
}

void PortLossWatch::onError(QSerialPort::SerialPortError error)
{
    if (m_ownCalls > 0)
        return;
    if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError
        || error == QSerialPort::WriteError)
        emit lost();
}
