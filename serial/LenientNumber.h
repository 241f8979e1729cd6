#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Reading numbers as the program's users and its settings file write them: "&H"
// introduces a hexadecimal, "&O" an octal number (letters in either case), the
// decimal separator is always the point whatever the user's locale, and whole
// numbers are reached by rounding halves to the even neighbour.
//
// The lenient form reads what a technician types into an input box: blanks (and
// tabs and line breaks) are ignored wherever they stand, the longest leading part
// that forms a number is read and the rest is ignored, a text that does not begin
// with a number reads as 0, a decimal number may carry an exponent ("1e3") and a
// sign may stand before any form. The strict form reads a stored value: the whole
// text, blanks around it allowed, must be one number, without exponent and without
// a sign before "&H" or "&O".
namespace LenientNumber {

enum class Form { Lenient, Strict };

// A text that is no number, or a number out of range, with a German description
// that the program shows unchanged.
class Error : public std::exception
{
public:
    explicit Error(QString description) : m_description(std::move(description)), m_utf8(m_description.toUtf8()) {}
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_description;
    QByteArray m_utf8;
};

// Runs step, which reads numbers, for a caller whose failures are all of one type:
// a refused number is thrown on as Refusal, in the same words.
template <typename Refusal, typename Step>
void refusedAs(Step &&step)
{
    try {
        step();
    } catch (const Error &e) {
        throw Refusal(e.description());
    }
}

struct Scan
{
    double value = 0.0;
    // The part of the text that was read, without blanks; empty when nothing was.
    QString number;
    // The number took up the whole text.
    bool whole = false;
};

// The value of the leading number of the text.
Scan scan(const QString &text, Form form = Form::Lenient);

// The leading number rounded to a whole number. Throws Error with an overflow
// description when the result lies outside -32768 to 32767.
qint16 read(const QString &text);

// The whole text as a number (strict form) rounded to a whole number that must lie
// in [low, high]; throws Error with a type-mismatch or overflow description.
int toInteger(const QString &text, qint64 low, qint64 high);
inline int toInt16(const QString &text) { return toInteger(text, -32768, 32767); }
inline int toInt32(const QString &text) { return toInteger(text, INT32_MIN, INT32_MAX); }
// "True" or "False" in any letter case, or a number (strict form): 0 is false,
// any other number true.
bool toBoolean(const QString &text);

// Rounds halves to the even neighbour, independent of the floating-point mode.
double roundHalfEven(double value);

} // namespace LenientNumber
