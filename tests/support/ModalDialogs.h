#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <type_traits>
#include <vector>

// Modal dialogs in tests: exec() blocks the test, so the test's steps run from a timer once the dialog is up.
namespace test_support {

// The dialogs WhenModal still waits for.
inline std::vector<QPointer<QTimer>>& PendingModalWaits() {
    static std::vector<QPointer<QTimer>> waits;
    return waits;
}

// Runs `act` on the next modal dialog of type T other than `outer` once it shows, from inside its own
// event loop. A dialog that `act` leaves open is a failure and is cancelled, so that a failing test never
// hangs; a dialog that never shows fails the test when it ends (ModalWaitsCheck).
template <typename T = QDialog>
inline void WhenModal(std::type_identity_t<std::function<void(T&)>> act, QWidget* outer = nullptr) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act, outer] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || dialog == outer || !dialog->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog was left open";
            dialog->reject();
        }
    });
    PendingModalWaits().push_back(poll);
    poll->start(5);
}

// Ends the waits of a test that is ending: each dialog it waited for that never showed is a failure of
// that test, and no wait is left to act on a dialog of the next one.
inline void EndModalWaits() {
    for (QPointer<QTimer>& wait : PendingModalWaits()) {
        if (!wait) continue;
        if (wait->isActive()) ADD_FAILURE() << "a dialog the test waited for never showed";
        delete wait.data();
    }
    PendingModalWaits().clear();
}

// Ends every test's waits; a failure raised here still counts against the test that is ending.
class ModalWaitsCheck : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override { EndModalWaits(); }
};

}  // namespace test_support
