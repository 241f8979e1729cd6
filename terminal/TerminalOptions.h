#pragma once

#include <QString>

// The two program-wide values of the terminal: the emulation mode and local echo.
// The main window owns one and hands it to whoever needs it.
//
// The mode is one of two known modes or, as a stored text can make it, any other
// text, which matches neither mode and is shown and stored back unchanged.
struct TerminalOptions
{
    enum class Emulation { Ascii, Kestrix, Other };

    static inline const QString AsciiText = QStringLiteral("Ascii-Modus");
    static inline const QString KestrixText = QStringLiteral("Kestrix");

    Emulation emulation = Emulation::Other;   // empty until start-up has read the store
    QString otherText;                        // the text of an Other mode
    bool localEcho = false;

    bool kestrix() const { return emulation == Emulation::Kestrix; }

    // The mode as it is shown and stored: "Ascii-Modus", "Kestrix" or the other text.
    QString emulationText() const
    {
        switch (emulation) {
        case Emulation::Ascii: return AsciiText;
        case Emulation::Kestrix: return KestrixText;
        case Emulation::Other: break;
        }
        return otherText;
    }
    // Takes a mode text, compared exactly.
    void setEmulationText(const QString &text)
    {
        emulation = text == AsciiText ? Emulation::Ascii
                  : text == KestrixText ? Emulation::Kestrix : Emulation::Other;
        otherText = emulation == Emulation::Other ? text : QString();
    }
    void setEmulation(Emulation mode)
    {
        emulation = mode;
        otherText.clear();
    }
};
