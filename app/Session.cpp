#include "app/Session.h"

#include "app/ProgramInfo.h"
#include "app/WindowState.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "serial/FolderWatcher.h"
#include "serial/HostDevices.h"
#include "serial/QtSerialComm.h"

namespace {
// The service given, or else one of the host's, which owner keeps.
template <typename Service, typename Host>
Service *given(Service *service, std::unique_ptr<Service> &owner)
{
    if (!service)
        owner = std::make_unique<Host>();
    return service ? service : owner.get();
}
} // namespace

Session::Session(Dialogs &dialogs, const Services &services)
    : m_dialogs(dialogs),
      m_clock(given<Clock, SteadyClock>(services.clock, m_ownClock)),
      m_devices(given<DeviceInfoSource, HostDevices>(services.devices, m_ownDevices)),
      m_watcher(given<DirectoryWatcher, FolderWatcher>(services.watcher, m_ownWatcher)),
      m_stateFile(services.stateFile.isEmpty() ? WindowState::defaultPath() : services.stateFile),
      m_stored(*given<SettingsStore, SettingsStore>(services.store, m_ownStore), ProgramInfo::title()),
      m_directory([this](int n) { return m_stored.device(n); }),
      m_port(services.port)
{
    if (!m_port) {
        m_ownPort = std::make_unique<QtSerialComm>([this](int n) { return m_directory.device(n); }, nullptr,
                                                   services.serialLocks);
        m_port = m_ownPort.get();
    }
}

Session::Session(Dialogs &dialogs) : Session(dialogs, Services{}) {}

Session::~Session() = default;

QString Session::deviceOf(int port) const
{
    return m_directory.device(port);
}

StoredSettings::Loaded Session::loadSettings()
{
    return m_stored.load(*m_port, m_options);
}

void Session::fixPortProperties()
{
    // Neither can fail on a port object that exists: both values are in range.
    m_port->setInputLen(1);
    m_port->setOutBufferSize(2048);
}
