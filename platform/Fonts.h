#pragma once

#include <QFont>

class QWidget;

// The program's two classic fonts, with the system's own where they are missing.
namespace Fonts {
// "Fixedsys" for terminal text; otherwise the system's fixed-pitch font.
QFont fixedsys();
// "MS Sans Serif" for dialogs; otherwise the default UI font at no more than
// 8 points, the size the dialogs' places are made for.
QFont msSansSerif(bool bold = false);

// Shrinks the fonts of everything in a window together, in small steps, until
// each caption (label, frame title, option and push button) fits the room its
// control gives the text, or the fonts reach 5 points. Labels that cut their
// text short themselves ask for no more than they have and are left out.
void fitCaptions(QWidget *window);
} // namespace Fonts
