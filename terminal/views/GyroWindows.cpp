#include "terminal/views/GyroWindows.h"

#include "terminal/views/frmGyro_Diag.h"
#include "terminal/views/frmGyro_Scale.h"

#include <QWidget>

GyroWindows::GyroWindows(QWidget *mainWindow) : QObject(mainWindow), m_main(mainWindow) {}

void GyroWindows::mnuGyro_Diagnose_Click()
{
    if (!m_diag)
        m_diag = new frmGyro_Diag(m_main);
    m_diag->show();
    m_diag->raise();
}

void GyroWindows::mnuGyro_Scale_Click()
{
    if (!m_scale)
        m_scale = new frmGyro_Scale(m_main);
    m_scale->show();
    m_scale->raise();
}
