#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

// Modal dialogs in tests: exec() blocks the test, so the test's steps run from a timer once the dialog is up.
namespace test_support {

// Runs `act` on the modal dialog of type T once it is up (exec() blocks the test until then), and again
// every half second for as long as the dialog stays open, since a dialog that is barely up may not take
// the action yet on a busy machine. After ten seconds the dialog is rejected, so that a dialog that never
// closes fails the test instead of hanging it.
template <typename T>
inline void WhenModal(std::function<void(T*)> act) {
    auto* timer = new QTimer(qApp);
    auto target = std::make_shared<QPointer<T>>();
    auto ticks = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, target, ticks] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!target->isNull() || *ticks > 0) {
            // Only the dialog first seen is ours; once it is gone, so is this timer.
            if (!dialog || dialog != target->data()) {
                timer->stop();
                timer->deleteLater();
                return;
            }
        }
        if (!dialog) return;
        *target = dialog;
        ++*ticks;
        if (*ticks > 1000)
            dialog->reject();
        else if (*ticks % 50 == 1)
            act(dialog);
    });
    timer->start(10);
}

}  // namespace test_support
