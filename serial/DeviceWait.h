#pragma once

#include "serial/DeviceIdentity.h"

#include <QObject>
#include <QTimer>

class DeviceInfoSource;
class DirectoryWatcher;

// Waits for a device that went away to come back. It looks whenever the folders
// where it would appear change, and at no other time, so waiting costs nothing; it
// finds it under its old name, or the same adapter under a new one, never another.
class DeviceWait : public QObject
{
    Q_OBJECT

public:
    DeviceWait(const DeviceInfoSource &devices, DirectoryWatcher &watcher, QObject *parent = nullptr);

    // Waits for `lost`, and looks at once.
    void start(const DeviceIdentity &lost);
    void stop();
    bool waiting() const { return m_waiting; }

    // The device found could not be opened (its rights not yet set, another program
    // holding it): look again a little later even if nothing changes, at growing
    // intervals, as long as it stays there and refuses.
    void retryLater();

signals:
    // The device is back, at `path`.
    void found(const QString &path);

private:
    static constexpr int FirstRetryMs = 250;
    static constexpr int LastRetryMs = 5000;

    void look();

    const DeviceInfoSource &m_devices;
    DirectoryWatcher &m_watcher;
    DeviceIdentity m_lost;
    bool m_waiting = false;
    QTimer m_retry;
    int m_retryMs = FirstRetryMs;
};
