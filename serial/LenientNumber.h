#pragma once

#include "serial/CommError.h"

#include <QString>

// Reading a number the way a technician types it into an input box: forgiving
// about what surrounds the number, strict about the range it must fit.
//
// Blanks (and tabs and line breaks) are ignored wherever they stand. The longest
// leading part that forms a number is read and the rest is ignored; a text that
// does not begin with a number reads as 0. The decimal separator is always the
// point, so a comma ends the number whatever the user's locale. "&H" introduces a
// hexadecimal, "&O" an octal number (letters in either case); a decimal number may
// carry an exponent ("1e3"). A sign may stand before any of these forms.
namespace LenientNumber {

struct Scan
{
    double value = 0.0;
    // The part of the text that was read, without blanks; empty when nothing was.
    QString number;
};

// The value of the leading number of the text.
Scan scan(const QString &text);

// The leading number rounded to the nearest integer, halves to the even
// neighbour. Throws CommError with an overflow description when the result lies
// outside -32768 to 32767.
qint16 read(const QString &text);

// Rounds halves to the even neighbour, independent of the floating-point mode.
double roundHalfEven(double value);

} // namespace LenientNumber
