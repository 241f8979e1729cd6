#include "platform/ColorLabel.h"

#include "terminal/Colors.h"

ColorLabel::ColorLabel(const QString &caption, QWidget *parent) : QLabel(caption, parent)
{
    // Captions are the program's own, but never read as markup all the same.
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(true);
    applyPalette();
}

void ColorLabel::setForeColor(quint32 bgr)
{
    if (bgr == m_fore)
        return;
    m_fore = bgr;
    applyPalette();
}

void ColorLabel::setBackColor(quint32 bgr)
{
    if (bgr == m_back)
        return;
    m_back = bgr;
    applyPalette();
}

void ColorLabel::applyPalette()
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(Colors::toArgb(m_fore)));
    p.setColor(QPalette::Window, QColor(Colors::toArgb(m_back)));
    setPalette(p);
}
