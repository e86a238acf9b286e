#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>

#include "editor/DialogIntegerField.h"
#include "model/FichaDoc.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "tests/editor/DialogInput.h"
#include "tests/model/DocTestSupport.h"
#include "tests/support/ModalDialogs.h"
#include "tests/support/QtApp.h"
#include "ui/Services.h"

// Helpers of the property sheets' tests: an editor title with sprites, the message box and the file
// dialog answered by doubles, and the author's typing and button presses on the real controls.
namespace sheet_test {

// An editor document with one card, saved nowhere yet.
class SheetTest : public doc_test::DocumentTest {
  protected:
    void SetUp() override {
        doc_test::DocumentTest::SetUp();
        ASSERT_TRUE(doc.OnNewDocument());
    }
    void TearDown() override {
        doc.OnCloseDocument();
        doc_test::DocumentTest::TearDown();
    }
    // Adds an authored sprite and gives it back.
    CPhasedSprite& AddSprite(int32_t number, int32_t plane, int frames = 1) {
        auto sprite = doc_test::MakeSprite(number, 10, 20, plane, 8, 6, frames);
        CPhasedSprite& added = *sprite;
        doc.GetSpriteList().Insert(std::move(sprite));
        return added;
    }
    std::vector<std::string> Messages() const { return box.Texts(); }

    CFichaDoc doc{Variant::editor};
    platform::ScriptedFileDialog files;
    ui::ScopedService<platform::FileDialog, platform::FileDialogs, platform::SetFileDialog> scopedFiles{
        files};
};

// Presses OK or Cancel of the dialog's button box with the mouse.
inline void Press(QDialog& dialog, QDialogButtonBox::StandardButton which) {
    auto* box = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    QPushButton* button = box->button(which);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace sheet_test
