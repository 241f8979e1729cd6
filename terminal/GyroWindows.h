#pragma once

#include <QObject>

class QWidget;

// The development menu's two gyro windows, each created once and shown modeless.
class GyroWindows : public QObject
{
    Q_OBJECT

public:
    explicit GyroWindows(QWidget *mainWindow);

public slots:
    void mnuGyro_Diagnose_Click();
    void mnuGyro_Scale_Click();

private:
    QWidget *m_main;
};
