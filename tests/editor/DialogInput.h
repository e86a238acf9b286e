#pragma once

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <algorithm>
#include <initializer_list>

// The author's hand on the editor's real dialogs: typing into their boxes, clicking their buttons, and
// reading the labels that name their controls.
namespace editor_test {

// The text of the label that names `field` (the label whose mnemonic leads to it).
inline QString LabelOf(QWidget& field) {
    for (QLabel* label : field.window()->findChildren<QLabel*>())
        if (label->buddy() == &field) return label->text();
    return QString();
}

// What names each control: a button's or box's own text, else the text of the label that leads to it.
inline QStringList Captions(std::initializer_list<QWidget*> controls) {
    QStringList captions;
    for (QWidget* control : controls) {
        auto* button = qobject_cast<QAbstractButton*>(control);
        captions.push_back(button ? button->text() : LabelOf(*control));
    }
    return captions;
}

// Replaces what a line or an integer box shows by `text`, typed key by key. The focus stays where it
// was, so that a test sees where the dialog itself puts it.
inline void Type(QWidget& edit, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(&edit)) line->clear();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(&edit)) spin->clear();
    QTest::keyClicks(&edit, text);
}

// A click near the left end of a button, where a check box has its box.
inline void Click(QWidget& button) {
    QTest::mouseClick(&button, Qt::LeftButton, {},
                      QPoint(std::min(8, button.width() / 2), button.height() / 2));
}

}  // namespace editor_test
