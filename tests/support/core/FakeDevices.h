#pragma once

#include "serial/DeviceWatch.h"

#include <QMap>

// The host's devices as a test sets them: which paths are there, as which device.
class FakeDevices : public DeviceInfoSource
{
public:
    QMap<QString, DeviceIdentity> nodes;

    // A node at `path`, made anew: a USB adapter with this serial number, or with
    // an empty serial a built-in port or pty.
    void plug(const QString &path, const QString &serial = {})
    {
        DeviceIdentity id;
        id.path = id.node = path;
        id.stamp.inode = ++m_made;
        if (!serial.isEmpty()) {
            id.vendorId = QStringLiteral("0403");
            id.productId = QStringLiteral("6001");
            id.serialNumber = serial;
            id.manufacturer = QStringLiteral("FTDI");
            id.product = QStringLiteral("FT232R USB UART");
        }
        nodes.insert(path, id);
    }
    void pull(const QString &path) { nodes.remove(path); }

    DeviceIdentity identify(const QString &path) const override
    {
        DeviceIdentity absent;
        absent.path = path;
        return nodes.value(path, absent);
    }
    QStringList adapters() const override
    {
        QStringList out;
        for (const DeviceIdentity &id : nodes)
            if (id.isUsb())
                out << id.path;
        return out;
    }
    QStringList folders(const DeviceIdentity &) const override { return {QStringLiteral("/dev")}; }

private:
    quint64 m_made = 0;
};

// A directory watcher that reports a change when the test says so.
class FakeWatcher : public DirectoryWatcher
{
public:
    QStringList folders;
    void watch(const QStringList &f) override { folders = f; }
    void change() { if (!folders.isEmpty()) emit changed(); }
};
