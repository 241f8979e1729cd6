#pragma once

#include <QString>

// Which program this is. The title is the main window's caption and the
// application title, and the settings are stored under it, so another version
// starts from its own settings.
namespace ProgramInfo {
inline const QString Version = QStringLiteral("1.1.2");
inline const QString Stand = QStringLiteral("26.12.09");
inline QString title() { return QStringLiteral("Kestrix II/LT - Display  V ") + Version; }
} // namespace ProgramInfo
