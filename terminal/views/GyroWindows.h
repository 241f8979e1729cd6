#pragma once

#include <QObject>
#include <QPointer>

#include <optional>

class QSize;
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

    // Puts a gyro window below the main window as both windows place themselves:
    // left edge on the main window's left edge, top edge at the main window's
    // inner width plus topOffset. With an outer size given the window takes it too.
    // All values in twips.
    static void dock(QWidget *window, const QWidget *mainWindow, int topOffset,
                     std::optional<QSize> outerSize);

public slots:
    void mnuGyro_Diagnose_Click();
    void mnuGyro_Scale_Click();

private:
    QWidget *m_main;
    QPointer<frmGyro_Diag> m_diag;
    QPointer<frmGyro_Scale> m_scale;
};
