#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The common open and save dialogs. Filters use the Windows form "Name (*.X)|*.X|...||"; the answer is
// a path on this file system, or nothing when the user cancelled.
struct FileDialogRequest {
    bool save = false;
    std::string filter;
    std::string defaultExtension;
    std::string initialName;
    bool fileMustExist = false;
    bool overwritePrompt = false;
};

class FileDialog {
  public:
    virtual ~FileDialog() = default;
    virtual std::optional<std::string> Ask(const FileDialogRequest& request) = 0;
};

// Without a window there is nobody to ask: every request is cancelled.
class NoFileDialog : public FileDialog {
  public:
    std::optional<std::string> Ask(const FileDialogRequest&) override { return std::nullopt; }
};

// Test double: records the requests and answers from a script (cancel when the script is empty).
class ScriptedFileDialog : public FileDialog {
  public:
    std::optional<std::string> Ask(const FileDialogRequest& request) override;
    std::vector<FileDialogRequest> requests;
    std::deque<std::optional<std::string>> answers;
};

FileDialog& FileDialogs();
void SetFileDialog(FileDialog* dialog);

}  // namespace platform
