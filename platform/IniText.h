#pragma once

#include <QSettings>

// The settings file as text: INI sections, keys and plain text values, written
// byte for byte as QSettings' own INI format writes strings, so that files of
// earlier versions read the same and look the same after a rewrite. Only text is
// read and only text is written: a value in one of Qt's typed forms ("@Variant(…)",
// "@ByteArray(…)", "@Rect(…)", …) makes the whole file unreadable instead of being
// decoded, so no byte of the file ever reaches a binary decoder.
//
// Values are UTF-8 with the C-like escapes QSettings uses ("\n", "\x1b", "\0", …),
// quoted when they hold ";", "," or "=" or start or end with a blank; a value that
// starts with "@" is written with a second one. A comma is part of the text (Qt
// would read a list). Keys and section names are percent-encoded, "%FC" for "ü".
class IniText
{
public:
    // The program writes well under a kilobyte; a larger file is no settings file.
    static constexpr qsizetype MaxBytes = 1024 * 1024;

    // The settings in `text`: "section/key" (just "key" in [General]) to the value
    // as a QString. False when a line is neither a section, a key with its value, a
    // comment nor blank, or a value is no text; *line then says which line. Every
    // value of a map that came from a file is a QString, unless the file was not
    // understood.
    static bool parse(QByteArrayView text, QSettings::SettingsMap *settings, int *line = nullptr);
    // The file for `settings`, sections and keys each in order. False when a value
    // is not a QString.
    static bool compose(const QSettings::SettingsMap &settings, QByteArray *text);

    // The format's read and write functions for QSettings::registerFormat. Reading
    // takes at most MaxBytes + 1 bytes, once; a file that is larger or not
    // understood reads as a single value that is not text (see parse()).
    static bool read(QIODevice &device, QSettings::SettingsMap &settings);
    static bool write(QIODevice &device, const QSettings::SettingsMap &settings);
};
