#pragma once

#include <QFontMetrics>
#include <QLabel>

// A label for text that comes from outside the program (the settings file, a device
// name, a message of the line): shown as plain text, never as markup, cut short with
// "…" to the room it has, and never asking for more room than its designed width,
// however long the text is. text() keeps the whole text.
class ElidedLabel : public QLabel
{
public:
    explicit ElidedLabel(QWidget *parent = nullptr) : ElidedLabel(QString(), parent) {}
    ElidedLabel(const QString &text, QWidget *parent);

    // The width it asks for; 0 asks for no more than two characters.
    void setDesignedWidth(int px) { m_width = px; updateGeometry(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Whether a text surely fits in room pixels, told without shaping it; false
    // when in doubt.
    static bool fitsUnshaped(const QFontMetrics &fm, const QString &text, int room);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // QLabel's own hints, which depend on the font and the frame but not on which
    // line of text is shown: measured once, not on each new text (a clock panel
    // changes its text every second).
    struct Hints
    {
        QFont font;
        int frame = -1;
        int margin = 0;
        bool empty = false;
        int height = 0, minimumHeight = 0, twoChars = 0;
    };
    const Hints &labelHints() const;

    int m_width = 0;
    mutable Hints m_hints;
};
