#include "terminal/views/GyroDock.h"

#include "platform/Twips.h"

#include <QSize>
#include <QWidget>

void GyroDock::place(QWidget *window, const QWidget *mainWindow, int topOffset, std::optional<QSize> outerSize)
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
