#include "platform/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace {
double dpi(const QWidget *w)
{
    if (w)
        return w->logicalDpiX();
    if (const QScreen *s = QGuiApplication::primaryScreen())
        return s->logicalDotsPerInchX();
    return 96.0;
}
} // namespace

int Twips::toPx(int twips, const QWidget *w)
{
    return int(std::lround(twips * dpi(w) / 1440.0));
}

int Twips::fromPx(int px, const QWidget *w)
{
    return int(std::lround(px * 1440.0 / dpi(w)));
}

QRect Twips::toPx(int left, int top, int width, int height, const QWidget *w)
{
    return QRect(toPx(left, w), toPx(top, w), toPx(width, w), toPx(height, w));
}

void Twips::place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(toPx(left, top, width, height, w));
}
