#include "editor/TestRun.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

#include "model/ArchiveErrors.h"
#include "model/FichaDoc.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"

std::string FindLumeo(const std::string& programDirectory) {
    if (!programDirectory.empty()) {
        const QFileInfo beside(QDir(QString::fromStdString(programDirectory)), QStringLiteral("lumeo"));
        if (beside.isFile() && beside.isExecutable()) return beside.absoluteFilePath().toStdString();
    }
    const QString found = QStandardPaths::findExecutable(QStringLiteral("lumeo"));
    return found.isEmpty() ? std::string("lumeo") : found.toStdString();
}

std::vector<std::string> LumeoArguments(const std::string& titlePath, std::optional<int> fromCard) {
    std::vector<std::string> arguments;
    if (fromCard) {
        arguments.push_back("--card");
        arguments.push_back(std::to_string(std::max(0, *fromCard)));
        arguments.push_back("--windowed");
    }
    if (!titlePath.empty()) arguments.push_back(titlePath);
    return arguments;
}

bool RunTest(CFichaDoc& doc, const std::string& programDirectory, std::optional<int> fromCard) {
    const std::string path = doc.GetPathName();
    // The player is started whatever the save did, as the original did: it then shows the title as it
    // was last saved, or asks for one.
    if (path.empty())
        platform::ShowMessage(FileErrorMessage(platform::FileError::generic, path, DocumentOperation::save));
    else
        doc.OnSaveDocument(path);
    return platform::Processes().StartDetached(FindLumeo(programDirectory), LumeoArguments(path, fromCard));
}
