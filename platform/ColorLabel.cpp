#include "platform/ColorLabel.h"

#include "platform/Colors.h"

#include <QPaintEvent>
#include <QPainter>

ColorLabel::ColorLabel(const QString &caption, QWidget *parent) : QLabel(caption, parent)
{
    // Captions are the program's own, but never read as markup all the same.
    setTextFormat(Qt::PlainText);
    // The label paints its whole area itself: the gyro test recolours cells many
    // times a second, and a palette change per colour would cost far more than the
    // repaint of one cell.
    setAttribute(Qt::WA_OpaquePaintEvent);
    applyForeColor();
}

void ColorLabel::setForeColor(quint32 bgr)
{
    if (bgr == m_fore)
        return;
    m_fore = bgr;
    applyForeColor();
}

void ColorLabel::setBackColor(quint32 bgr)
{
    if (bgr == m_back)
        return;
    m_back = bgr;
    update();
}

void ColorLabel::paintEvent(QPaintEvent *event)
{
    {
        QPainter p(this);
        p.fillRect(event->rect(), QColor(Colors::toArgb(m_back)));
    }
    // A bare cell (the indicator row's) is its colour and nothing else.
    if (!text().isEmpty() || frameShape() != QFrame::NoFrame)
        QLabel::paintEvent(event);
}

void ColorLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLabel::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void ColorLabel::applyForeColor()
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(Colors::toArgb(m_fore)));
    setPalette(p);
}
