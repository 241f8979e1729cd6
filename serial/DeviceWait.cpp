#include "serial/DeviceWait.h"

#include "platform/Log.h"
#include "serial/DeviceWatch.h"

DeviceWait::DeviceWait(const DeviceInfoSource &devices, DirectoryWatcher &watcher, QObject *parent)
    : QObject(parent), m_devices(devices), m_watcher(watcher)
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &DeviceWait::look);
    connect(&m_watcher, &DirectoryWatcher::changed, this, [this] {
        // Something new: the next refusal is tried again soon.
        m_retry.stop();
        m_retryMs = FirstRetryMs;
        look();
    });
}

void DeviceWait::start(const DeviceIdentity &lost)
{
    m_lost = lost;
    m_waiting = true;
    m_retry.stop();
    m_retryMs = FirstRetryMs;
    qCInfo(lcSerial) << "waiting for" << lost.path << lost.vendorId << lost.productId << lost.serialNumber;
    m_watcher.watch(m_devices.folders(lost));
    look();
}

void DeviceWait::stop()
{
    if (!m_waiting)
        return;
    m_waiting = false;
    m_retry.stop();
    m_watcher.watch({});
}

void DeviceWait::retryLater()
{
    if (!m_waiting)
        return;
    m_retry.start(m_retryMs);
    m_retryMs = qMin(m_retryMs * 2, LastRetryMs);
}

void DeviceWait::look()
{
    if (!m_waiting)
        return;
    // The old name first; a USB adapter may also be under any other name.
    QStringList candidates{m_lost.path};
    candidates << m_lost.links;
    if (m_lost.isUsb() || !m_lost.links.isEmpty())
        candidates << m_devices.adapters();
    candidates.removeDuplicates();
    for (const QString &path : std::as_const(candidates)) {
        const DeviceIdentity candidate = m_devices.identify(path);
        // Once the lost node has been seen gone, a node like it is a new one:
        // pseudo-terminals come back with the same number and inode, and within
        // one tick of the clock, with the same time.
        if (path == m_lost.path && !(candidate.present() && candidate.stamp == m_lost.stamp))
            m_lost.stamp = {};
        if (DeviceIdentity::returnOf(m_lost, candidate)) {
            qCInfo(lcSerial) << "device back at" << path;
            emit found(path);
            return;
        }
    }
}
