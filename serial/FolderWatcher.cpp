#include "serial/FolderWatcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

FolderWatcher::FolderWatcher(QObject *parent) : DirectoryWatcher(parent) {}

FolderWatcher::~FolderWatcher() = default;


void FolderWatcher::watch(const QStringList &folders)
{
    m_wanted = folders;
    if (m_watcher) {
        // This may run inside the old watcher's own signal.
        m_watcher->disconnect(this);
        m_watcher.release()->deleteLater();
    }
    if (folders.isEmpty())
        return;
    m_watcher = std::make_unique<QFileSystemWatcher>();
    connect(m_watcher.get(), &QFileSystemWatcher::directoryChanged, this, &FolderWatcher::onChanged);
    addPresent();
}

void FolderWatcher::addPresent()
{
    const QStringList watched = m_watcher->directories();
    for (const QString &folder : std::as_const(m_wanted))
        if (!watched.contains(folder) && QFileInfo(folder).isDir())
            m_watcher->addPath(folder);
}

void FolderWatcher::onChanged()
{
    // A folder that was missing (/dev/serial/by-id before the first adapter) may
    // have come with this change.
    addPresent();
    emit changed();
}
