#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace platform {

bool QtShell::OpenDesktopUrl(const std::string& url) {
    // Tolerant parsing takes the addresses people type (spaces, letters outside ASCII) and encodes them.
    const QUrl address(QString::fromStdString(url), QUrl::TolerantMode);
    if (!address.isValid() || address.scheme().isEmpty()) return false;
    return QDesktopServices::openUrl(address);
}

}  // namespace platform
