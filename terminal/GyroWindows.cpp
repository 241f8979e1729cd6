#include "terminal/GyroWindows.h"

#include <QWidget>

GyroWindows::GyroWindows(QWidget *mainWindow) : QObject(mainWindow), m_main(mainWindow) {}
void GyroWindows::mnuGyro_Diagnose_Click() {}
void GyroWindows::mnuGyro_Scale_Click() {}
