#pragma once

#include "serial/DeviceWatch.h"

// The host's serial devices as /dev and sysfs show them. The roots can be moved for
// a look at another tree.
class HostDevices : public DeviceInfoSource
{
public:
    explicit HostDevices(QString devRoot = QStringLiteral("/dev"), QString sysRoot = QStringLiteral("/sys"));

    DeviceIdentity identify(const QString &path) const override;
    QStringList adapters() const override;
    QStringList folders(const DeviceIdentity &device) const override;

private:
    // The sysfs folder of the USB device a tty belongs to, or empty.
    QString usbDeviceOf(const QString &ttyName) const;
    QString byIdFolder() const { return m_dev + QStringLiteral("/serial/by-id"); }

    QString m_dev;
    QString m_sys;
};
