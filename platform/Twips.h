#pragma once

#include <QRect>

class QWidget;

// Positions and sizes are given in twips (1440 to the inch) and become pixels
// through the screen's logical DPI, so the layout keeps its proportions on any screen.
namespace Twips {
int toPx(int twips, const QWidget *w = nullptr);
int fromPx(int px, const QWidget *w = nullptr);
QRect toPx(int left, int top, int width, int height, const QWidget *w = nullptr);
// Moves and sizes a widget inside its parent.
void place(QWidget *w, int left, int top, int width, int height);
} // namespace Twips
