#pragma once

#include <QString>

// Builds the settings string from the dialog's list texts: speed, the first letter
// of the parity item (upper case, as the list shows it), data bits and stop bits.
// An empty list text leaves its field empty, which the port then refuses.
namespace SettingsString {
QString build(const QString &speed, const QString &parity, const QString &dataBits,
              const QString &stopBits);
} // namespace SettingsString
