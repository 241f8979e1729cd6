#pragma once

#include "serial/DeviceWatch.h"

#include <memory>

class QFileSystemWatcher;

// Watches folders through the system's change notification (inotify on Linux):
// nothing runs until a folder changes. Not watching, it holds nothing open.
class FolderWatcher : public DirectoryWatcher
{
    Q_OBJECT

public:
    explicit FolderWatcher(QObject *parent = nullptr);
    ~FolderWatcher() override;

    void watch(const QStringList &folders) override;

private:
    void onChanged();
    // Watches the wanted folders that exist now and are not watched yet.
    void addPresent();

    QStringList m_wanted;
    std::unique_ptr<QFileSystemWatcher> m_watcher;
};
