#pragma once

#include <QString>

// The two program-wide values.
namespace Module1 {
inline const QString AsciiMode = QStringLiteral("Ascii-Modus");
inline const QString KestrixMode = QStringLiteral("Kestrix");

// Terminal emulation mode: AsciiMode or KestrixMode; any other text matches neither.
inline QString EmulationMode;
// Typed keys are also shown in the terminal view.
inline bool LocalEcho = false;
} // namespace Module1
