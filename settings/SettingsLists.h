#pragma once

#include <QStringList>

// The items of the settings dialog's five lists, in the order the user sees them.
namespace SettingsLists {
// "Com1" to "Com16"; item i - 1 stands for port i.
QStringList ports();
QStringList speeds();
QStringList dataBits();
// "Even", "Odd", "None", "Mark", "Space": the first letter is the parity letter.
QStringList parities();
QStringList stopBits();
} // namespace SettingsLists
