#pragma once

#include <QStringList>
#include <memory>
#include <string>

#include "platform/FileDialog.h"

class QFileDialog;
class QWidget;

namespace platform {

// The open and save dialogs of the programs with a window, on QFileDialog.
class QtFileDialog : public FileDialog {
  public:
    explicit QtFileDialog(QWidget* parent = nullptr) : parent_(parent) {}
    std::optional<std::string> Ask(const FileDialogRequest& request) override;

  private:
    QWidget* parent_;
};

// Turns the Windows filter form "Name (*.X)|*.X;*.Y|...||" into Qt name filters ("Name (*.X *.Y)"). Qt
// takes the patterns from the parentheses of the name, so the name's own parenthesised part is replaced
// by the patterns that the Windows form lists after it. "*.*" becomes "*", which also matches names
// without a dot, as it did on Windows.
QStringList WindowsFilterToQt(const std::string& filter);

// The answer of a closed dialog: its first chosen file when it was accepted, nothing otherwise.
std::optional<std::string> AnswerFromQtFileDialog(int result, const QStringList& chosen);

// The dialog Ask runs, configured but not shown.
std::unique_ptr<QFileDialog> CreateQtFileDialog(const FileDialogRequest& request, QWidget* parent);

}  // namespace platform
