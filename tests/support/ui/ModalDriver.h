#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

// Whether the modal window a test waited for came at all: a test that works a
// modal window must fail when none came, whatever it checks of what it found.
struct ModalVisit
{
    std::shared_ptr<bool> came = std::make_shared<bool>(false);
    bool cameUp() const { return *came; }
};

// Works a modal window from inside its own event loop: `act` gets the active modal
// widget once it is up, if one comes within a second. Whatever is still modal
// afterwards is rejected, so a failing check can never leave a test hanging.
[[nodiscard]] inline ModalVisit onModal(std::function<void(QWidget *)> act, ModalVisit visit = {}, int tries = 200)
{
    QTimer::singleShot(tries == 200 ? 0 : 5, [act, visit, tries] {
        QPointer<QWidget> w = QApplication::activeModalWidget();
        if (!w && tries > 0)
            return (void)onModal(act, visit, tries - 1);
        if ((*visit.came = !w.isNull()))
            act(w);
        if (auto *d = qobject_cast<QDialog *>(w.data()); d && d->isVisible())
            d->reject();
    });
    return visit;
}
