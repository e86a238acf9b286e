#include "editor/QtEditorDialogs.h"

#include <gtest/gtest.h>

#include "engine/Sprite.h"
#include "imaging/Dib.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "tests/editor/EditorTestSupport.h"

namespace {

using editor_test::ScopedFileDialog;

TEST(QtEditorDialogsTest, FileChoicesGoThroughThePlatformDialogWithTheEditorsFilters) {
    platform::ScriptedFileDialog files;
    ScopedFileDialog scoped(files);
    files.answers = {std::string("/tmp/a.png"), std::nullopt};
    QtEditorDialogs dialogs;
    EXPECT_EQ(dialogs.ChooseImageFile(), std::optional<std::string>("/tmp/a.png"));
    EXPECT_EQ(dialogs.ChooseBitmapFile(), std::nullopt) << "cancelled";
    ASSERT_EQ(files.requests.size(), 2u);
    EXPECT_EQ(files.requests[0].filter,
              "Image files|*.BMP;*.JPG;*.PCX;*.PNG;*.TIF|JPEG files (*.JPG)|*.JPG|BMP files (*.BMP)|*.BMP|"
              "PCX files (*.PCX)|*.PCX|PNG files (*.PNG)|*.PNG|TIFF files (*.TIF)|*.TIF|"
              "All the files (*.*)|*.*||;");
    EXPECT_EQ(files.requests[0].defaultExtension, "jpg");
    EXPECT_TRUE(files.requests[0].fileMustExist);
    EXPECT_FALSE(files.requests[0].save);
    EXPECT_EQ(files.requests[1].filter, CSprite::BitmapFileFilter());
}

TEST(QtEditorDialogsTest, MessagesGoToThePlatformBoxAndColoursAreColourReferences) {
    platform::RecordingMessageBox box;
    platform::ScopedMessageBox scoped(box);
    QtEditorDialogs dialogs;
    box.answers.push_back(platform::MessageAnswer::no);
    EXPECT_EQ(dialogs.Message("text", platform::MessageIcon::question, platform::MessageButtons::yesNo),
              platform::MessageAnswer::no);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "text");
    EXPECT_EQ(box.shown[0].buttons, platform::MessageButtons::yesNo);
    EXPECT_EQ(ColorrefFromRgb(0x12, 0x34, 0x56), 0x00563412u) << "red in the low byte";
}

}  // namespace
