#pragma once

#include <QtGlobal>

// Every colour of the program, as the classic 0x00BBGGRR values the windows and the
// terminal work with.
namespace Colors {
inline constexpr quint32 Black = 0x000000;
inline constexpr quint32 White = 0xFFFFFF;
inline constexpr quint32 Red = 0x0000FF;
inline constexpr quint32 Green = 0x00C000;
inline constexpr quint32 Blue = 0xFF0000;
inline constexpr quint32 Grey = 0x808080;
inline constexpr quint32 LightGrey = 0xC0C0C0;
inline constexpr quint32 LightBlue = 0xFFC0C0;
inline constexpr quint32 LightGreen = 0xC0FFC0;
// A port waiting for its device: neither the open green nor the closed red, and
// dark text reads well on it.
inline constexpr quint32 Amber = 0x00A8FF;
inline constexpr quint32 Yellow = 0x00FFFF;
inline constexpr quint32 Orange = 0x0080FF;

// The same colour as an opaque 0xAARRGGBB value, which QColor takes as it is.
constexpr quint32 toArgb(quint32 bgr)
{
    return 0xFF000000u | (bgr & 0xFFu) << 16 | (bgr & 0xFF00u) | (bgr >> 16 & 0xFFu);
}
} // namespace Colors
