#pragma once

#include "serial/CommError.h"

#include <QString>

// Strict conversions of stored texts, as the program's start-up needs them. Each
// throws CommError with a German description when the text is not a fitting value.
namespace Conversions {
// A whole number, blanks around it allowed, "&H" hexadecimal and "&O" octal
// accepted, a decimal fraction rounded half to even. Must fit in [low, high].
int toInteger(const QString &text, qint64 low, qint64 high);
inline int toInt16(const QString &text) { return toInteger(text, -32768, 32767); }
inline int toInt32(const QString &text) { return toInteger(text, INT32_MIN, INT32_MAX); }
// "True" or "False" in any letter case, or a number: 0 is false, any other true.
bool toBoolean(const QString &text);
} // namespace Conversions
