#include "platform/ElidedLabel.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyle>

ElidedLabel::ElidedLabel(const QString &text, QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setText(text);
    // It paints all of its area, so a new text repaints the label alone and not the
    // status bar and window behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const ElidedLabel::Hints &ElidedLabel::labelHints() const
{
    const bool empty = text().isEmpty();   // an empty label is a pixel lower
    if (m_hints.frame != frameWidth() || m_hints.margin != margin() || m_hints.empty != empty
        || m_hints.font != font()) {
        m_hints = {font(), frameWidth(), margin(), empty, QLabel::sizeHint().height(),
                   QLabel::minimumSizeHint().height(), fontMetrics().horizontalAdvance(QStringLiteral("MM"))};
    }
    return m_hints;
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QMargins m = contentsMargins();
    return {labelHints().twoChars + m.left() + m.right(), labelHints().minimumHeight};
}

QSize ElidedLabel::sizeHint() const
{
    return {qMax(m_width, minimumSizeHint().width()), labelHints().height};
}

// Whether the text fits without measuring it as a whole: shaping a line costs more
// than the rest of a repaint, and the clock panel gets a new text each second.
// Latin characters side by side, with one widest character to spare for kerning,
// tell it from the font's cached advances; other scripts go the long way.
bool ElidedLabel::fitsUnshaped(const QFontMetrics &fm, const QString &text, int room)
{
    int width = fm.maxWidth();
    for (const QChar c : text) {
        if (c.unicode() >= 0x0300)
            return false;
        width += fm.horizontalAdvance(c);
        if (width > room)
            return false;
    }
    return true;
}

void ElidedLabel::paintEvent(QPaintEvent *event)
{
    {
        QPainter background(this);
        background.fillRect(event->rect(), palette().color(backgroundRole()));
    }
    QFrame::paintEvent(event);   // the frame only; the text is drawn here, cut to fit
    QPainter p(this);
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QFontMetrics fm = fontMetrics();
    const QString shown = fitsUnshaped(fm, text(), room.width()) ? text() : fm.elidedText(text(), Qt::ElideRight, room.width());
    style()->drawItemText(&p, room, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}
