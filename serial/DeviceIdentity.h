#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Who a serial device is, beyond the name it has today: what is needed to know the
// same adapter again when it comes back, perhaps under another name (ttyUSB0 then
// ttyUSB1), and to tell it from any other adapter.
struct DeviceIdentity
{
    // One particular device node: a node made anew differs, even under the same name.
    struct Node
    {
        quint64 device = 0;
        quint64 inode = 0;
        quint64 rdev = 0;
        qint64 changedNs = 0;
        bool operator==(const Node &) const = default;
    };

    QString path;   // as the port was named (a link stays a link)
    QString node;   // the device node it leads to; empty: not there
    Node stamp;
    // A USB adapter's own, as the system knows them; empty for built-in ports and
    // pseudo-terminals.
    QString vendorId, productId, serialNumber, manufacturer, product;
    QStringList links;   // the /dev/serial/by-id links to the node

    bool present() const { return !node.isEmpty(); }
    bool isUsb() const { return !vendorId.isEmpty() && !productId.isEmpty(); }
    // A built-in serial port of the computer (ttyS0...).
    bool isBuiltIn() const;

    // Whether `candidate` is the `lost` device come back: the same name again, or the
    // same USB adapter (vendor, product and serial number, or the same by-id link)
    // under any name. Never another adapter, and never the lost node itself if it is
    // still there: only a device that has come again.
    static bool returnOf(const DeviceIdentity &lost, const DeviceIdentity &candidate);

    // For people: the path and, for a USB adapter, maker, product and serial number.
    QString words() const;
};
