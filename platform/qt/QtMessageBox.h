#pragma once

#include <memory>

#include "platform/MessageBox.h"

class QMessageBox;
class QWidget;

namespace platform {

// The message box of the programs with a window: a modal QMessageBox over the given parent.
class QtMessageBox : public MessageBox {
  public:
    explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
    MessageAnswer Show(const std::string& text, const std::string& caption, MessageIcon icon,
                       MessageButtons buttons) override;

  private:
    QWidget* parent_;
};

// The box Show runs, built but not yet shown (separate so that its make-up can be checked headless).
std::unique_ptr<QMessageBox> CreateQtMessageBox(const std::string& text, const std::string& caption,
                                                MessageIcon icon, MessageButtons buttons, QWidget* parent);
// The answer for the button the box returned; a box closed without a button (Escape, the window's
// close button) answers as its cancelling button would.
MessageAnswer AnswerFromQtButton(int standardButton, MessageButtons buttons);

}  // namespace platform
