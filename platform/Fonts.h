#pragma once

#include <QFont>

// The program's two classic fonts, with the system's own where they are missing.
namespace Fonts {
// "Fixedsys" for terminal text; otherwise the system's fixed-pitch font.
QFont fixedsys();
// "MS Sans Serif" for dialogs; otherwise the default UI font at no more than
// 8 points, the size the dialogs' places are made for.
QFont msSansSerif(bool bold = false);
} // namespace Fonts
