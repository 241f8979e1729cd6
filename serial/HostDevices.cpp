#include "serial/HostDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {
// A sysfs attribute: one short line.
QString attribute(const QString &folder, const char *name)
{
    QFile f(folder + u'/' + QLatin1StringView(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.read(256)).trimmed();
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}
} // namespace

HostDevices::HostDevices(QString devRoot, QString sysRoot) : m_dev(std::move(devRoot)), m_sys(std::move(sysRoot)) {}

QString HostDevices::usbDeviceOf(const QString &ttyName) const
{
    const QString devices = QFileInfo(m_sys + QStringLiteral("/devices")).canonicalFilePath();
    QString folder = QFileInfo(m_sys + QStringLiteral("/class/tty/") + ttyName + QStringLiteral("/device"))
                         .canonicalFilePath();
    // Up from the tty's interface to the USB device that carries the ids.
    while (!devices.isEmpty() && folder.startsWith(devices + u'/')) {
        if (QFileInfo::exists(folder + QStringLiteral("/idVendor")))
            return folder;
        folder = folderOf(folder);
    }
    return {};
}

DeviceIdentity HostDevices::identify(const QString &path) const
{
    DeviceIdentity id;
    id.path = path;
    id.node = QFileInfo(path).canonicalFilePath();
    struct stat st {};
    if (id.node.isEmpty() || ::stat(QFile::encodeName(id.node).constData(), &st) != 0) {
        id.node.clear();
        return id;
    }
    id.stamp = {quint64(st.st_dev), quint64(st.st_ino), quint64(st.st_rdev),
                qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
    if (const QString usb = usbDeviceOf(QFileInfo(id.node).fileName()); !usb.isEmpty()) {
        id.vendorId = attribute(usb, "idVendor");
        id.productId = attribute(usb, "idProduct");
        id.serialNumber = attribute(usb, "serial");
        id.manufacturer = attribute(usb, "manufacturer");
        id.product = attribute(usb, "product");
    }
    const QFileInfoList links = QDir(byIdFolder()).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &link : links)
        if (link.isSymLink() && link.canonicalFilePath() == id.node)
            id.links << link.absoluteFilePath();
    return id;
}

QStringList HostDevices::adapters() const
{
    QStringList found;
    const QStringList ttys = QDir(m_sys + QStringLiteral("/class/tty")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : ttys)
        if (QFileInfo::exists(m_dev + u'/' + name) && !usbDeviceOf(name).isEmpty())
            found << m_dev + u'/' + name;
    return found;
}

QStringList HostDevices::folders(const DeviceIdentity &device) const
{
    QStringList folders{m_dev, m_dev + QStringLiteral("/serial"), byIdFolder()};
    for (const QString &path : {device.path, device.node})
        if (!path.isEmpty() && !folders.contains(folderOf(path)))
            folders << folderOf(path);
    return folders;
}
