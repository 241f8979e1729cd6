#pragma once

#include <QtGlobal>

// Colours of the terminal and the indicator row, 0x00BBGGRR.
namespace TerminalColors {
inline constexpr quint32 Black = 0x000000;
inline constexpr quint32 Red = 0x0000FF;
inline constexpr quint32 Blue = 0xFF0000;
inline constexpr quint32 LightBlue = 0xFFC0C0;
inline constexpr quint32 LightGrey = 0xC0C0C0;
} // namespace TerminalColors
