#include "platform/FileDialog.h"

namespace platform {

namespace {
NoFileDialog noDialog;
FileDialog* current = nullptr;
}  // namespace

std::optional<std::string> ScriptedFileDialog::Ask(const FileDialogRequest& request) {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
}

FileDialog& FileDialogs() {
    return current ? *current : noDialog;
}
void SetFileDialog(FileDialog* dialog) {
    current = dialog;
}

}  // namespace platform
