#pragma once

#include <optional>

class QSize;
class QWidget;

// Where the gyro windows go: below the main window, as both have always placed
// themselves.
namespace GyroDock {
// Left edge on the main window's left edge, top edge at the main window's inner
// width plus topOffset. With an outer size given the window takes it too. All
// values in twips.
void place(QWidget *window, const QWidget *mainWindow, int topOffset, std::optional<QSize> outerSize);
}
