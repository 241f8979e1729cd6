#pragma once

#include <QColor>
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

// Colours are 0x00BBGGRR values.
inline QColor fromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}
inline quint32 toBgr(const QColor &c)
{
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}
