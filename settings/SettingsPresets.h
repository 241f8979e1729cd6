#pragma once

#include <QString>

// Which list items the settings dialog preselects for the port's settings string.
// The string is read from its end ("...,p,d,s" or "...,p,d,1.5"), as the port
// reports it: parity in lower case. A field that fits no item stays empty, and
// the dialog then leaves that list without a selection.
struct SettingsPresets
{
    QString speed;
    QString parity;     // "Even", "Odd", "None", "Mark", "Space" or empty
    QString dataBits;
    QString stopBits;

    static SettingsPresets fromSettings(const QString &settings);
    // The cboPort index for a port number; -1 (no selection) outside Com1 to Com16.
    static int portIndex(int commPort);
};
