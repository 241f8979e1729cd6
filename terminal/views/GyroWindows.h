#pragma once

#include <QObject>
#include <QPointer>

class QWidget;
class frmGyro_Diag;
class frmGyro_Scale;

// The development menu's two gyro windows. Each exists at most once: it is
// created on first use and shown modeless; choosing it again brings the same
// window forward. A closed window is deleted, and the next choice creates and
// loads it afresh.
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
    QPointer<frmGyro_Diag> m_diag;
    QPointer<frmGyro_Scale> m_scale;
};
