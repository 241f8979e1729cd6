#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

// Whether the modal window a test waited for came at all: a test that works a
// modal window and checks nothing of what it found must still fail when none came.
class ModalVisit
{
public:
    bool came() const { return *m_came; }

private:
    friend ModalVisit onModal(std::function<void(QWidget *)> act);
    std::shared_ptr<bool> m_came = std::make_shared<bool>(false);
};

namespace modal_driver {
inline void visit(std::function<void(QWidget *)> act, std::shared_ptr<bool> came, int tries)
{
    QTimer::singleShot(tries == 200 ? 0 : 5, [act, came, tries] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w && tries > 0) {
            visit(act, came, tries - 1);
            return;
        }
        *came = w != nullptr;
        QPointer<QWidget> guard = w;
        if (w)
            act(w);
        if (guard && guard->isVisible())
            if (auto *d = qobject_cast<QDialog *>(guard.data()))
                d->reject();
    });
}
} // namespace modal_driver

// Works a modal window from inside its own event loop: `act` gets the active modal
// widget once it is up, if one comes within a second. Whatever is still modal
// afterwards is rejected, so a failing check can never leave a test hanging.
[[nodiscard]] inline ModalVisit onModal(std::function<void(QWidget *)> act)
{
    ModalVisit visit;
    modal_driver::visit(std::move(act), visit.m_came, 200);
    return visit;
}
