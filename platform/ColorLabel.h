#pragma once

#include "platform/Colors.h"

#include <QLabel>

// A label with classic ForeColor and BackColor properties (0x00BBGGRR).
class ColorLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ColorLabel(const QString &caption = {}, QWidget *parent = nullptr);

    quint32 foreColor() const { return m_fore; }
    void setForeColor(quint32 bgr);
    quint32 backColor() const { return m_back; }
    void setBackColor(quint32 bgr);

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void applyForeColor();

    quint32 m_fore = Colors::Black;
    quint32 m_back = Colors::LightGrey;
};
