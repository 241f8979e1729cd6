#pragma once

#include <QString>

class SettingsStore;

// Which device Com N is: on Windows "COMN"; elsewhere the device stored under key
// "Com" + N in section "Anschlüsse" of the program's settings, else the N-th serial
// port present (USB and ACM adapters first, then built-in ports, each in name order).
// An empty result means there is no such device.
class PortDirectory
{
public:
    PortDirectory(const SettingsStore &store, QString application);
    QString device(int port) const;

private:
    const SettingsStore &m_store;
    QString m_application;
};
