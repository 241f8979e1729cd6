#include "platform/PortDirectory.h"

#include "platform/SettingsStore.h"

PortDirectory::PortDirectory(const SettingsStore &store, QString application)
    : m_store(store), m_application(std::move(application)) {}

QString PortDirectory::device(int port) const
{
    return m_store.getSetting(m_application, QStringLiteral("Anschlüsse"),
                              QStringLiteral("Com%1").arg(port));
}
