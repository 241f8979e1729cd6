#pragma once

#include <QList>
#include <QRect>
#include <QString>

// What the main window was like when the program last ended: where it stood, how
// big it was, and the folder of the last capture. It lives in a file of its own
// under the XDG state folder, never in the settings store, which only the settings
// dialog writes. Only a small regular file in exactly the format written here is
// read; anything else is ignored as a whole, and the window starts as designed.
struct WindowState
{
    static constexpr qint64 MaxBytes = 8192;

    QRect geometry;   // the frame's position with the inner size; null: none
    QString captureFolder;

    // $XDG_STATE_HOME/KX_Display/fenster (~/.local/state/... without XDG_STATE_HOME).
    static QString defaultPath();
    static WindowState read(const QString &path);
    bool write(const QString &path) const;

    // Whether a window there can be seen and taken by its title bar on one of the
    // screens (their available areas).
    static bool reachable(const QRect &geometry, const QList<QRect> &screens);
};
