#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>

// Works a modal window from inside its own event loop: `act` gets the active modal
// widget once it is up, if one comes. Whatever is still modal afterwards is
// rejected, so a failing check can never leave a test hanging.
inline void onModal(std::function<void(QWidget *)> act, int tries = 200)
{
    QTimer::singleShot(tries == 200 ? 0 : 5, [act, tries] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w && tries > 0) {
            onModal(act, tries - 1);
            return;
        }
        QPointer<QWidget> guard = w;
        if (w)
            act(w);
        if (guard && guard->isVisible())
            if (auto *d = qobject_cast<QDialog *>(guard.data()))
                d->reject();
    });
}
