#include "terminal/views/GyroWindows.h"

#include "platform/Twips.h"
#include "terminal/views/frmGyro_Diag.h"
#include "terminal/views/frmGyro_Scale.h"

#include <QSize>
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

void GyroWindows::dock(QWidget *window, const QWidget *mainWindow, int topOffset,
                       std::optional<QSize> outerSize)
{
    // The top follows the main window's width, not its top: that is where these
    // windows have always gone.
    const QPoint place(mainWindow->frameGeometry().x(),
                       Twips::toPx(Twips::fromPx(mainWindow->width(), mainWindow) + topOffset, window));
    if (window->frameGeometry().topLeft() != place)
        window->move(place);
    if (outerSize) {
        // A top-level window's size excludes its frame; the outer size includes it.
        const QSize frame = window->frameGeometry().size() - window->size();
        const QSize inner(Twips::toPx(outerSize->width(), window) - frame.width(),
                          Twips::toPx(outerSize->height(), window) - frame.height());
        if (window->size() != inner)
            window->resize(inner);
    }
}
