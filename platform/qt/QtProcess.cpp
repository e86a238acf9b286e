#include "platform/qt/QtProcess.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace platform {

bool QtProcessStarter::StartDetached(const std::string& program, const std::vector<std::string>& arguments) {
    QStringList list;
    for (const std::string& argument : arguments) list << QString::fromStdString(argument);
    return QProcess::startDetached(QString::fromStdString(program), list);
}

}  // namespace platform
