#pragma once

#include <QChar>
#include <QString>

#include <array>

// The program's code page, the controller's ANSI code page: one character per byte.
// 0x80 to 0x9F carry the typographic characters of that code page; the five codes it
// leaves undefined stand for the C1 control of the same number, so no byte is ever
// lost or merged with another.
namespace Windows1252 {

inline constexpr std::array<char16_t, 256> Table = [] {
    std::array<char16_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[size_t(i)] = char16_t(i);
    constexpr char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (int i = 0; i < 32; ++i)
        t[size_t(0x80 + i)] = high[i];
    return t;
}();

inline QChar toChar(unsigned char byte) { return QChar(Table[byte]); }

// The byte a character stands for, or 0 when the code page has none (or it is NUL).
inline int fromChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int code = 0x80; code < 0xA0; ++code)
        if (Table[size_t(code)] == u)
            return code;
    return 0;
}

inline bool encodes(QChar c) { return c.isNull() || fromChar(c) != 0; }

// One byte as a one-character text that points into the table: no allocation.
inline QString oneChar(unsigned char byte)
{
    return QString::fromRawData(reinterpret_cast<const QChar *>(&Table[byte]), 1);
}

inline QString decode(const QByteArray &bytes)
{
    if (bytes.size() == 1)
        return oneChar(static_cast<unsigned char>(bytes[0]));
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        d[i] = toChar(static_cast<unsigned char>(bytes[i]));
    return out;
}

} // namespace Windows1252
