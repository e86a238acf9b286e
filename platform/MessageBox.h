#pragma once

#include <deque>
#include <string>
#include <vector>

namespace platform {

enum class MessageIcon { none, information, exclamation, stop, question };
enum class MessageButtons { ok, okCancel, yesNo, yesNoCancel };
enum class MessageAnswer { ok, cancel, yes, no };

// The message box of the platform: text and caption (UTF-8), icon and buttons in, the answer out.
class MessageBox {
  public:
    virtual ~MessageBox() = default;
    virtual MessageAnswer Show(const std::string& text, const std::string& caption, MessageIcon icon,
                               MessageButtons buttons) = 0;
};

// For programs without a window (fcatool): the text goes to stderr and the default button answers.
class ConsoleMessageBox : public MessageBox {
  public:
    MessageAnswer Show(const std::string& text, const std::string& caption, MessageIcon icon,
                       MessageButtons buttons) override;
};

// Test double: records every box and answers from a script (the first button when the script is empty).
class RecordingMessageBox : public MessageBox {
  public:
    struct Shown {
        std::string text;
        std::string caption;
        MessageIcon icon;
        MessageButtons buttons;
    };
    MessageAnswer Show(const std::string& text, const std::string& caption, MessageIcon icon,
                       MessageButtons buttons) override;

    // The texts of the messages shown, in order.
    std::vector<std::string> Texts() const;

    std::vector<Shown> shown;
    std::deque<MessageAnswer> answers;
};

// The message box every layer reports through. Programs install their backend at start; until then the
// console one serves. Installing nullptr restores the console box.
MessageBox& Messages();
void SetMessageBox(MessageBox* box);

// Installs a message box for the lifetime of the guard (tests), restoring the previous one afterwards.
class ScopedMessageBox {
  public:
    explicit ScopedMessageBox(MessageBox& box);
    ~ScopedMessageBox();
    ScopedMessageBox(const ScopedMessageBox&) = delete;
    ScopedMessageBox& operator=(const ScopedMessageBox&) = delete;

  private:
    MessageBox* previous_;
};

// Shorthand for the common case of a plain box with an OK button.
inline void ShowMessage(const std::string& text, const std::string& caption = "",
                        MessageIcon icon = MessageIcon::exclamation) {
    Messages().Show(text, caption, icon, MessageButtons::ok);
}

}  // namespace platform
