#pragma once

#include "platform/RichTextModel.h"

#include <QAbstractScrollArea>
#include <QTimer>

// The terminal view: shows a RichTextModel in a fixed-pitch font and takes typed
// characters. Changes to the model are painted at most once per display frame,
// however many arrive in between.
class RichTextView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit RichTextView(QWidget *parent = nullptr);

    RichTextModel &model() { return m_model; }
    const RichTextModel &model() const { return m_model; }

    quint32 backColor() const { return m_back; }
    void setBackColor(quint32 bgr);

signals:
    // Raised for every typed character with its ANSI code (1 to 255) before the
    // view inserts it; a handler that sets the code to 0 suppresses the insertion.
    void KeyPress(int &keyAscii);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void scheduleRepaint();
    void insertTyped(int keyAscii);

    RichTextModel m_model;
    QTimer m_frame;
    quint32 m_back = 0xFFFFFF;
};
