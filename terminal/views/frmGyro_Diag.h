#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class ColorLabel;

// "Gyro-Sensor - Diagnose": a fixed picture of a gyro axis scale. It keeps its
// place below the main window and its size.
class frmGyro_Diag : public QWidget
{
    Q_OBJECT

public:
    // Designed outer size in twips; every resize returns to it.
    static constexpr int FormWidth = 5055;
    static constexpr int FormHeight = 3165;
    static constexpr int TopBelowMain = 4700;

    explicit frmGyro_Diag(QWidget *mainWindow);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Resize();

    QWidget *m_main;
    bool m_placing = false;

    QFrame *Line1 = nullptr;
    QFrame *Line2 = nullptr;
    QFrame *Line3 = nullptr;
    QFrame *Line4 = nullptr;
    QFrame *Line5 = nullptr;
    QLabel *lbl_Max = nullptr;
    QLabel *lbl_Hub = nullptr;
    QLabel *lbl_Min = nullptr;
    QLabel *lbl_Gyro_Achse = nullptr;
    ColorLabel *lbl_RxString = nullptr;
};
