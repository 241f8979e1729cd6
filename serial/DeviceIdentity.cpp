#include "serial/DeviceIdentity.h"

#include <QRegularExpression>

bool DeviceIdentity::isBuiltIn() const
{
    static const QRegularExpression builtIn(QStringLiteral("^ttyS[0-9]+$"));
    const QString &name = node.isEmpty() ? path : node;
    return !isUsb() && builtIn.match(name.mid(name.lastIndexOf(u'/') + 1)).hasMatch();
}

bool DeviceIdentity::returnOf(const DeviceIdentity &lost, const DeviceIdentity &candidate)
{
    const bool lostNodeStill = lost.stamp.inode != 0 && candidate.stamp == lost.stamp;
    if (!candidate.present() || lostNodeStill)
        return false;
    const bool bothKnown = lost.isUsb() && candidate.isUsb();
    if (bothKnown && (lost.vendorId != candidate.vendorId || lost.productId != candidate.productId
                      || lost.serialNumber != candidate.serialNumber))
        return false;
    if (candidate.path == lost.path)
        return true;
    // Two adapters of one make without serial numbers cannot be told apart: such an
    // adapter is known again only under its old name.
    if (bothKnown)
        return !lost.serialNumber.isEmpty();
    if (lost.isUsb() && lost.serialNumber.isEmpty())
        return false;
    for (const QString &link : lost.links)
        if (candidate.links.contains(link))
            return true;
    return false;
}

QString DeviceIdentity::words() const
{
    if (!isUsb())
        return path;
    // Products often carry the maker's name already.
    QString name = product;
    if (!manufacturer.isEmpty() && !name.startsWith(manufacturer, Qt::CaseInsensitive))
        name = (manufacturer + u' ' + name).trimmed();
    if (name.isEmpty())
        name = QStringLiteral("USB-Adapter %1:%2").arg(vendorId, productId);
    if (!serialNumber.isEmpty())
        name += QStringLiteral(", Seriennummer ") + serialNumber;
    return path + QStringLiteral(" – ") + name;
}
