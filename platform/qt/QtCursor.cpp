#include "platform/qt/QtCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform {

void QtCursor::BeginWait() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void QtCursor::EndWait() {
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace platform
