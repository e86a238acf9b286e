#include "platform/qt/QtMessageBox.h"

#include <QMessageBox>

namespace platform {

namespace {

QMessageBox::Icon QtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::information:
            return QMessageBox::Information;
        case MessageIcon::exclamation:
            return QMessageBox::Warning;
        case MessageIcon::stop:
            return QMessageBox::Critical;
        case MessageIcon::question:
            return QMessageBox::Question;
        case MessageIcon::none:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::okCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::yesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::yesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::ok:
            break;
    }
    return QMessageBox::Ok;
}

// The first button is the default one, as on the platform the programs were written for.
QMessageBox::StandardButton DefaultButton(MessageButtons buttons) {
    return buttons == MessageButtons::yesNo || buttons == MessageButtons::yesNoCancel ? QMessageBox::Yes
                                                                                      : QMessageBox::Ok;
}

}  // namespace

std::unique_ptr<QMessageBox> CreateQtMessageBox(const std::string& text, const std::string& caption,
                                                MessageIcon icon, MessageButtons buttons, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setIcon(QtIcon(icon));
    box->setWindowTitle(QString::fromStdString(caption));
    box->setText(QString::fromStdString(text));
    box->setTextFormat(Qt::PlainText);
    box->setStandardButtons(QtButtons(buttons));
    box->setDefaultButton(DefaultButton(buttons));
    if (buttons == MessageButtons::yesNo) box->setEscapeButton(QMessageBox::No);
    return box;
}

MessageAnswer AnswerFromQtButton(int standardButton, MessageButtons buttons) {
    switch (standardButton) {
        case QMessageBox::Ok:
            return MessageAnswer::ok;
        case QMessageBox::Cancel:
            return MessageAnswer::cancel;
        case QMessageBox::Yes:
            return MessageAnswer::yes;
        case QMessageBox::No:
            return MessageAnswer::no;
        default:
            break;
    }
    switch (buttons) {
        case MessageButtons::ok:
            return MessageAnswer::ok;
        case MessageButtons::yesNo:
            return MessageAnswer::no;
        default:
            return MessageAnswer::cancel;
    }
}

MessageAnswer QtMessageBox::Show(const std::string& text, const std::string& caption, MessageIcon icon,
                                 MessageButtons buttons) {
    auto box = CreateQtMessageBox(text, caption, icon, buttons, parent_);
    return AnswerFromQtButton(box->exec(), buttons);
}

}  // namespace platform
