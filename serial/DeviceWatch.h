#pragma once

#include "serial/DeviceIdentity.h"

#include <QObject>
#include <QStringList>

// What the host tells about its serial devices, for waiting on one that went away.
class DeviceInfoSource
{
public:
    virtual ~DeviceInfoSource() = default;
    // The device behind a path as it is now; not present() when nothing is there.
    virtual DeviceIdentity identify(const QString &path) const = 0;
    // The USB serial adapters plugged in now, as device paths.
    virtual QStringList adapters() const = 0;
    // The folders in which the device's return would show.
    virtual QStringList folders(const DeviceIdentity &device) const = 0;
};

// Says when something in a set of folders changed: a node or link came, went or
// changed its rights. Costs nothing while nothing changes.
class DirectoryWatcher : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    // Watches these folders from now on (those that exist, and those that appear
    // later in a watched one); an empty list stops watching.
    virtual void watch(const QStringList &folders) = 0;

signals:
    void changed();
};
