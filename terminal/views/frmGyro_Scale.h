#pragma once

#include <QWidget>

class ColorLabel;
class RichTextView;

// "Gyro Display": a red-writing text view on light green and a check label. It
// keeps its place below the main window; its size is the user's.
class frmGyro_Scale : public QWidget
{
    Q_OBJECT

public:
    static constexpr int TopBelowMain = 2700;
    // Designed client size in twips.
    static constexpr int FormWidth = 5055;
    static constexpr int FormHeight = 3165;

    explicit frmGyro_Scale(QWidget *mainWindow);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();

    QWidget *m_main;
    bool m_placing = false;

    RichTextView *RichText_Gyro = nullptr;
    ColorLabel *lbl_Check = nullptr;
};
