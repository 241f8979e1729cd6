#pragma once

#include "serial/PortDirectory.h"
#include "settings/StoredSettings.h"
#include "terminal/TerminalOptions.h"

#include <QString>

#include <memory>

class Clock;
class DeviceInfoSource;
class Dialogs;
class DirectoryWatcher;
class SerialComm;
class SettingsStore;

// One run of the program without its windows: the services it works with, the
// serial port object over the ports the stored settings name, the stored settings
// and the terminal options, and the steps of start-up that concern them. main()
// makes it before the main window, which binds to it, and ends it after the window,
// so that nothing the window made outlives the port it works with.
class Session
{
public:
    // What the session works with. Anything left null is the host's: the serial
    // component over the host's ports, the user's settings store, a steady clock,
    // the host's devices and a watch on their folders.
    struct Services
    {
        SerialComm *port = nullptr;
        SettingsStore *store = nullptr;
        Clock *clock = nullptr;
        DeviceInfoSource *devices = nullptr;
        DirectoryWatcher *watcher = nullptr;
        QString stateFile;   // where the window's place is kept; empty: the user's state folder
        // The folder in which the host's serial component keeps its locks (see
        // QtSerialComm): for tests on pseudo-terminals.
        QString serialLocks;
    };

    // The dialogs are always given: message boxes stand over a window, which the
    // session knows nothing of.
    Session(Dialogs &dialogs, const Services &services);
    explicit Session(Dialogs &dialogs);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    SerialComm &port() const { return *m_port; }
    Dialogs &dialogs() const { return m_dialogs; }
    Clock &clock() const { return *m_clock; }
    const DeviceInfoSource &devices() const { return *m_devices; }
    DirectoryWatcher &watcher() const { return *m_watcher; }
    StoredSettings &stored() { return m_stored; }
    TerminalOptions &options() { return m_options; }
    // The device a port number stands for; empty when there is none.
    QString deviceOf(int port) const;
    const QString &stateFile() const { return m_stateFile; }

    // Start-up: the stored values into the port object and the options.
    StoredSettings::Loaded loadSettings();
    // Start-up: what the port object is given whatever is stored.
    void fixPortProperties();

private:
    Dialogs &m_dialogs;
    std::unique_ptr<SettingsStore> m_ownStore;
    std::unique_ptr<Clock> m_ownClock;
    std::unique_ptr<DeviceInfoSource> m_ownDevices;
    std::unique_ptr<DirectoryWatcher> m_ownWatcher;
    Clock *m_clock;
    DeviceInfoSource *m_devices;
    DirectoryWatcher *m_watcher;
    QString m_stateFile;
    TerminalOptions m_options;
    // The stored settings belong to this exact title: another version starts afresh.
    StoredSettings m_stored;
    PortDirectory m_directory;
    std::unique_ptr<SerialComm> m_ownPort;
    SerialComm *m_port;
};
