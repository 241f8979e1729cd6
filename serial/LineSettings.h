#pragma once

#include <QString>
#include <optional>

// The serial settings string "speed,parity,databits,stopbits", e.g. "9600,n,8,1".
struct LineSettings
{
    enum class StopBits { One, OneAndHalf, Two };

    qint32 baud = 9600;
    char parity = 'n';            // always lower case: e, o, n, m, s
    int dataBits = 8;             // 4 to 8
    StopBits stopBits = StopBits::One;

    // Parses a settings string; the parity letter may be given in either case.
    // On refusal returns nothing and puts a German description into *why.
    static std::optional<LineSettings> parse(const QString &text, QString *why = nullptr);

    // The canonical form, parity in lower case: "19200,o,7,1.5".
    QString toString() const;

    bool operator==(const LineSettings &) const = default;
};
