#include "platform/MessageBox.h"

#include <cstdio>

namespace platform {

namespace {
ConsoleMessageBox consoleBox;
MessageBox* current = nullptr;

MessageAnswer FirstButton(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::yesNo:
        case MessageButtons::yesNoCancel:
            return MessageAnswer::yes;
        default:
            return MessageAnswer::ok;
    }
}
}  // namespace

MessageAnswer ConsoleMessageBox::Show(const std::string& text, const std::string& caption, MessageIcon,
                                      MessageButtons buttons) {
    if (caption.empty())
        std::fprintf(stderr, "%s\n", text.c_str());
    else
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return FirstButton(buttons);
}

MessageAnswer RecordingMessageBox::Show(const std::string& text, const std::string& caption, MessageIcon icon,
                                        MessageButtons buttons) {
    shown.push_back({text, caption, icon, buttons});
    if (answers.empty()) return FirstButton(buttons);
    MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
}

std::vector<std::string> RecordingMessageBox::Texts() const {
    std::vector<std::string> texts;
    for (const Shown& message : shown) texts.push_back(message.text);
    return texts;
}

MessageBox& Messages() {
    return current ? *current : consoleBox;
}
void SetMessageBox(MessageBox* box) {
    current = box;
}

ScopedMessageBox::ScopedMessageBox(MessageBox& box) : previous_(current) {
    current = &box;
}
ScopedMessageBox::~ScopedMessageBox() {
    current = previous_;
}

}  // namespace platform
