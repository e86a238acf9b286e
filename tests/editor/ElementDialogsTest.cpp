#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <string>

#include "editor/AlignTextsDlg.h"
#include "editor/CommandIds.h"
#include "editor/DialogIntegerField.h"
#include "editor/FichaViewHost.h"
#include "editor/GradientDlg.h"
#include "editor/PictureDlg.h"
#include "editor/TextDlg.h"
#include "editor/VideoDlg.h"
#include "platform/Media.h"
#include "tests/editor/DrivenDialogs.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/editor/FrameTestSupport.h"
#include "tests/model/DocTestSupport.h"
#include "tests/support/ModalDialogs.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScratchFolder.h"

namespace {

using editor_test::Captions;
using editor_test::Click;
using editor_test::DrivenDialogs;
using editor_test::Type;

const std::string kRangeX = "Please enter an integer between 0 and 640.";
const std::string kRangeY = "Please enter an integer between 0 and 480.";
const std::string kNotInteger = "Please enter an integer.";

// The element dialogs over a folder with a picture, with the platform's file dialog and media scripted.
class ElementDialogsTest : public editor_test::DrivenCommandsTest {
  protected:
    void SetUp() override {
        DrivenCommandsTest::SetUp();
        doc_test::WriteBmp(folder.Path("pic.bmp"), 20, 10, 7);
    }

    test_support::ScratchFolder folder;
    platform::ScriptedFileDialog files;
    editor_test::ScopedFileDialog scopedFiles{files};
    platform::RecordingMedia media;
    platform::ScopedMediaFactory scopedMedia{media};
};

// ---------------------------------------------------------------- text properties

TEST_F(ElementDialogsTest, TextPropertiesShowTheTextAndWriteBackOnlyWhatOkConfirms) {
    CTexto* text = AddText(0, "titulo", {10, 20, 110, 70});
    text->text = "Primera\r\nSegunda";
    view.text = text;
    dialogs.Next<CTextDlg>([&](CTextDlg& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Text properties");
        EXPECT_EQ(Captions({&dlg.IdEdit(), &dlg.TextEdit(), &dlg.XField(), &dlg.YField(), &dlg.VisibleBox(),
                            &dlg.FontButton()}),
                  QStringList({"Id :", "Text :", "Position &X :", "Position &Y :", "&Visible", "Font"}));
        EXPECT_EQ(QStringList({dlg.IdEdit().text(), dlg.TextEdit().toPlainText(), dlg.XField().text(),
                               dlg.YField().text()}),
                  QStringList({"titulo", "Primera\nSegunda", "10", "20"}));
        EXPECT_EQ(dlg.XField().SpinMaximum(), 640);
        EXPECT_EQ(dlg.YField().SpinMaximum(), 480);
        // A font confirmed and then a dialog cancelled: nothing reaches the text.
        dialogs.fonts.push_back(FontChoice{"Courier New", 30, true, true, true, 0x0000FF});
        Click(dlg.FontButton());
        Type(dlg.IdEdit(), "otro");
        Click(dlg.CancelButton());
    });
    commands.RunCommand(cmd::kEditText);
    EXPECT_EQ(text->identifier, "titulo");
    EXPECT_EQ(text->fontFace, "Arial");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Steps(), 0u) << "a cancelled dialog leaves no undo step";

    dialogs.Next<CTextDlg>([&](CTextDlg& dlg) {
        dialogs.fonts.push_back(FontChoice{"Courier New", -21, true, false, true, 0x00FF00});
        Click(dlg.FontButton());
        Type(dlg.IdEdit(), "nuevo");
        // Enter in the text box makes a new paragraph instead of confirming the dialog.
        dlg.TextEdit().moveCursor(QTextCursor::End);
        QTest::keyClicks(&dlg.TextEdit(), "!");
        QTest::keyClick(&dlg.TextEdit(), Qt::Key_Return);
        QTest::keyClicks(&dlg.TextEdit(), "Tercera");
        EXPECT_TRUE(dlg.isVisible());
        Click(dlg.VisibleBox());
        Type(*dlg.YField().Edit(), "300");
        Click(dlg.OkButton());
    });
    commands.RunCommand(cmd::kEditText);
    ASSERT_EQ(dialogs.fontStarts.size(), 2u);
    EXPECT_EQ(dialogs.fontStarts[1].face, "Arial") << "the font dialog opens on the text's own font";
    EXPECT_EQ(dialogs.fontStarts[1].height, 15);
    EXPECT_EQ(text->identifier, "nuevo");
    EXPECT_EQ(text->text, "Primera\r\nSegunda!\r\nTercera");
    EXPECT_EQ(text->fontFace, "Courier New");
    EXPECT_EQ(text->height, -21);
    EXPECT_TRUE(text->bold);
    EXPECT_FALSE(text->italic);
    EXPECT_TRUE(text->underline);
    EXPECT_EQ(text->colour, 0x00FF00u);
    EXPECT_FALSE(text->visible);
    EXPECT_EQ(text->rect, (platform::Rect{10, 300, 110, 350})) << "moved, keeping its size";
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.UndoText(), "Undo Edit text");
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(ElementDialogsTest, TextPositionsOffTheCardAreRefusedAndTheDialogKeepsWhatWasTyped) {
    CTexto* text = AddText(0, "a", {10, 20, 60, 40});
    text->text = "uno\rdos";  // a lone CR that the box cannot show
    view.text = text;
    dialogs.Next<CTextDlg>([&](CTextDlg& dlg) {
        Type(dlg.IdEdit(), "typed");
        Type(*dlg.XField().Edit(), "700");
        Click(dlg.OkButton());
        EXPECT_TRUE(dlg.isVisible()) << "refused: the dialog stays open";
        EXPECT_EQ(Messages(), std::vector<std::string>{kRangeX});
        EXPECT_EQ(box.shown.back().icon, platform::MessageIcon::exclamation);
        EXPECT_EQ(dlg.IdEdit().text(), "typed") << "the author's other fields are kept";
        EXPECT_EQ(dlg.XField().text(), "700");

        Type(*dlg.XField().Edit(), "640");
        Type(*dlg.YField().Edit(), "48O");
        Click(dlg.OkButton());
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(Messages().back(), kNotInteger);
        Type(*dlg.YField().Edit(), "481");
        Click(dlg.OkButton());
        EXPECT_EQ(Messages().back(), kRangeY);
        Type(*dlg.YField().Edit(), " 480 ");
        Click(dlg.OkButton());
    });
    commands.RunCommand(cmd::kEditText);
    EXPECT_EQ(box.shown.size(), 3u);
    EXPECT_EQ(text->identifier, "typed");
    EXPECT_EQ(text->rect, (platform::Rect{640, 480, 690, 500})) << "the edges of the card are allowed";
    EXPECT_EQ(text->text, "uno\rdos") << "an untouched text keeps its bytes";
}

// ---------------------------------------------------------------- align texts and text format

TEST_F(ElementDialogsTest, AlignTextsResizesFromEachTextsOwnCornerWhenOnlySizeIsTicked) {
    CTexto* text = AddText(0, "box", {10, 20, 110, 70});
    CTexto* other = AddText(1, "BOX", {300, 200, 320, 210});
    CTexto* second = AddText(1, "box", {1, 1, 2, 2});
    CTexto* unrelated = AddText(2, "boxes", {5, 5, 15, 15});
    view.text = text;
    dialogs.Next<CAlignTextsDlg>([&](CAlignTextsDlg& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Align texts");
        EXPECT_EQ(Captions({&dlg.TextEdit(), &dlg.PositionBox(), &dlg.XField(), &dlg.YField(), &dlg.SizeBox(),
                            &dlg.WidthField(), &dlg.HeightField()}),
                  QStringList({"&Text :", "Position", "Position &X :", "Position &Y :", "Size",
                               "&Width :", "&Height :"}));
        EXPECT_EQ(dlg.TextEdit().text(), "box");
        EXPECT_TRUE(dlg.PositionBox().isChecked());
        EXPECT_FALSE(dlg.SizeBox().isChecked());
        EXPECT_EQ(dlg.XField().text(), "10");
        EXPECT_EQ(dlg.WidthField().text(), "100");
        EXPECT_EQ(dlg.HeightField().text(), "50");
        EXPECT_FALSE(dlg.WidthField().isEnabled()) << "an unticked pair is greyed";
        EXPECT_EQ(dlg.WidthField().SpinMaximum(), 640);
        EXPECT_EQ(dlg.HeightField().SpinMaximum(), 480);
        Click(dlg.PositionBox());
        Click(dlg.SizeBox());
        EXPECT_FALSE(dlg.XField().isEnabled());
        // What an unticked pair holds is not read.
        Type(*dlg.XField().Edit(), "oops");
        Type(*dlg.WidthField().Edit(), "40");
        Type(*dlg.HeightField().Edit(), "30");
        Click(dlg.OkButton());
    });
    commands.RunCommand(cmd::kAlignTexts);
    EXPECT_TRUE(box.shown.empty());
    EXPECT_EQ(text->rect, (platform::Rect{10, 20, 50, 50}));
    EXPECT_EQ(other->rect, (platform::Rect{300, 200, 340, 230})) << "letter case ignored, own corner kept";
    EXPECT_EQ(second->rect, (platform::Rect{1, 1, 2, 2})) << "only the first match of a card";
    EXPECT_EQ(unrelated->rect, (platform::Rect{5, 5, 15, 15}));
    EXPECT_EQ(doc.UndoText(), "Undo Align texts");
}

TEST_F(ElementDialogsTest, AlignTextsWithNothingTickedOrCancelledChangesNothing) {
    CTexto* text = AddText(0, "box", {10, 20, 110, 70});
    CTexto* other = AddText(1, "box", {300, 200, 320, 210});
    view.text = text;
    dialogs.Next<CAlignTextsDlg>([&](CAlignTextsDlg& dlg) {
        Click(dlg.PositionBox());
        Type(*dlg.XField().Edit(), "0");
        Click(dlg.OkButton());
    });
    commands.RunCommand(cmd::kAlignTexts);
    EXPECT_EQ(text->rect, (platform::Rect{10, 20, 110, 70}));
    EXPECT_EQ(other->rect, (platform::Rect{300, 200, 320, 210}));

    const size_t steps = Steps();
    dialogs.Next<CAlignTextsDlg>([&](CAlignTextsDlg& dlg) {
        Type(*dlg.XField().Edit(), "700");
        Click(dlg.OkButton());
        EXPECT_EQ(Messages(), std::vector<std::string>{kRangeX});
        Type(*dlg.XField().Edit(), "7");
        Click(dlg.CancelButton());
    });
    commands.RunCommand(cmd::kAlignTexts);
    EXPECT_EQ(other->rect, (platform::Rect{300, 200, 320, 210}));
    EXPECT_EQ(Steps(), steps) << "a cancelled dialog leaves no undo step";
}

TEST_F(ElementDialogsTest, TextFormatAppliesEachConfirmedFontAtOnceAndCloseOnlyCloses) {
    CTexto* text = AddText(0, "f", {0, 0, 10, 10});
    CTexto* other = AddText(1, "G", {0, 0, 10, 10});
    CTexto* g = AddText(0, "g", {0, 0, 10, 10});
    view.text = text;
    const FontChoice times{"Times New Roman", -29, false, true, false, 0x123456};
    dialogs.Next<CTextFormatDlg>([&](CTextFormatDlg& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Align texts");
        EXPECT_EQ(Captions({&dlg.TextEdit(), &dlg.FontButton(), &dlg.CloseButton()}),
                  QStringList({"&Text :", "&Font", "&Close"}));
        EXPECT_EQ(dlg.TextEdit().text(), "f");
        Type(dlg.TextEdit(), "g");
        dialogs.fonts.push_back(times);
        Click(dlg.FontButton());
        EXPECT_EQ(other->fontFace, "Times New Roman") << "applied while the dialog is open";
        EXPECT_EQ(g->height, -29);
        dialogs.fonts.push_back(std::nullopt);
        Click(dlg.FontButton());
        Click(dlg.CloseButton());
    });
    commands.RunCommand(cmd::kTextFormat);
    ASSERT_EQ(dialogs.fontStarts.size(), 2u);
    EXPECT_EQ(dialogs.fontStarts[0].face, "Arial") << "the first font dialog opens on the current text's";
    EXPECT_EQ(dialogs.fontStarts[1].face, "Times New Roman") << "the next on the font just applied";
    EXPECT_EQ(text->fontFace, "Arial") << "another identifier";
    for (CTexto* t : {other, g}) {
        EXPECT_TRUE(t->italic);
        EXPECT_EQ(t->colour, 0x123456u);
    }
    EXPECT_EQ(Steps(), 1u);

    dialogs.Next<CTextFormatDlg>([&](CTextFormatDlg& dlg) { Click(dlg.CloseButton()); });
    commands.RunCommand(cmd::kTextFormat);
    EXPECT_EQ(Steps(), 1u) << "closed without a font: no undo step";
}

// ---------------------------------------------------------------- pictures and the video

TEST_F(ElementDialogsTest, InsertingAPictureOpensItsDialogAndBrowsesForTheFile) {
    dialogs.Next<CPictureDlg>([&](CPictureDlg& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Picture properties");
        EXPECT_EQ(Captions({&dlg.FileEdit(), &dlg.XField(), &dlg.YField(), &dlg.ReduceField(),
                            &dlg.BrowseButton()}),
                  QStringList({"&File :", "Position &X :", "Position &Y :", "&Reduce % :", "&Browse"}));
        EXPECT_EQ(dlg.XField().text(), "50") << "the point of the insertion";
        EXPECT_EQ(dlg.YField().text(), "60");
        EXPECT_EQ(dlg.ReduceField().text(), "0");
        Type(*dlg.XField().Edit(), "55");
        files.answers.push_back(std::nullopt);
        Click(dlg.BrowseButton());
        EXPECT_EQ(dlg.FileEdit().text(), "") << "a cancelled browse changes nothing";
        files.answers.push_back(folder.Path("pic.bmp"));
        Click(dlg.BrowseButton());
        EXPECT_EQ(dlg.FileEdit().text().toStdString(), folder.Path("pic.bmp"));
        EXPECT_EQ(dlg.XField().text(), "55") << "the other fields keep what was typed";
        Type(*dlg.ReduceField().Edit(), "101");
        Click(dlg.OkButton());
        EXPECT_EQ(Messages(), std::vector<std::string>{"Please enter an integer between 0 and 100."});
        Type(*dlg.ReduceField().Edit(), "50");
        Click(dlg.OkButton());
    });
    ASSERT_TRUE(commands.InsertPicture({50, 60}));
    ASSERT_EQ(files.requests.size(), 2u);
    // The same request as every image choice of the editor (whose filter QtEditorDialogsTest spells out).
    dialogs.ChooseImageFile();
    ASSERT_EQ(files.requests.size(), 3u);
    EXPECT_EQ(files.requests[0].filter, files.requests[2].filter);
    EXPECT_EQ(files.requests[0].defaultExtension, "jpg");
    EXPECT_TRUE(files.requests[0].fileMustExist);
    ASSERT_EQ(Card(0).pictures.GetSize(), 1u);
    const CFoto& picture = *Card(0).PictureAt(0);
    EXPECT_EQ(picture.fileName, folder.Path("pic.bmp"));
    EXPECT_EQ(picture.x, 55);
    EXPECT_EQ(picture.reduction, 50);
    CSprite* proxy = doc.GetSpriteList().FindByNumber(-2);
    ASSERT_NE(proxy, nullptr);
    EXPECT_EQ(proxy->GetWidth(), 10) << "the 20 pixel picture reduced by half";
    EXPECT_EQ(doc.UndoText(), "Undo Insert picture");

    // Its properties, reached through its proxy: a cancelled dialog changes nothing.
    view.sprite = proxy;
    const size_t steps = Steps();
    dialogs.Next<CPictureDlg>([&](CPictureDlg& dlg) {
        EXPECT_EQ(dlg.ReduceField().text(), "50");
        Type(*dlg.ReduceField().Edit(), "0");
        Click(dlg.CancelButton());
    });
    commands.RunCommand(cmd::kPictureProperties);
    EXPECT_EQ(Card(0).PictureAt(0)->reduction, 50);
    EXPECT_EQ(Steps(), steps);

    // A cancelled insertion leaves no picture.
    dialogs.Next<CPictureDlg>([&](CPictureDlg& dlg) { Click(dlg.CancelButton()); });
    EXPECT_FALSE(commands.InsertPicture({1, 1}));
    EXPECT_EQ(Card(0).pictures.GetSize(), 1u);
    EXPECT_EQ(Steps(), steps);
}

TEST_F(ElementDialogsTest, TheVideoDialogWritesEveryFieldOnOkAndACancelledInsertionPutsItBack) {
    Card(0).video.x = 5;
    Card(0).video.y = 6;
    Card(0).video.MarkChanged();
    dialogs.Next<CVideoDlg>([&](CVideoDlg& dlg) {
        EXPECT_EQ(dlg.XField().text(), "70");
        EXPECT_EQ(dlg.YField().text(), "80");
        Click(dlg.CancelButton());
    });
    EXPECT_FALSE(commands.InsertVideo({70, 80}));
    EXPECT_EQ(Card(0).video.x, 5);
    EXPECT_EQ(Steps(), 0u);

    media.script.frameSize = {32, 24};
    dialogs.Next<CVideoDlg>([&](CVideoDlg& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Video properties");
        EXPECT_EQ(Captions({&dlg.FileEdit(), &dlg.ActivateEdit(), &dlg.LoopBox(), &dlg.AutomaticInitBox(),
                            &dlg.CloseWhenFinishesBox()}),
                  QStringList({"&File :", "When close activate sprites :", "&Loop", "Automatic &Init",
                               "&Close when finishes"}));
        files.answers.push_back(std::string("/media/clip.avi"));
        Click(dlg.BrowseButton());
        Click(dlg.LoopBox());
        Click(dlg.CloseWhenFinishesBox());
        Type(dlg.ActivateEdit(), "3,4");
        Type(*dlg.YField().Edit(), "-12");
        Click(dlg.OkButton());
    });
    ASSERT_TRUE(commands.InsertVideo({70, 80}));
    ASSERT_EQ(files.requests.size(), 1u);
    EXPECT_EQ(files.requests[0].filter, "AVI files (*.AVI)|*.AVI|All files (*.*)|*.*||");
    EXPECT_EQ(files.requests[0].defaultExtension, "");
    EXPECT_TRUE(files.requests[0].fileMustExist);
    const CVideo& video = Card(0).video;
    EXPECT_EQ(video.file, "/media/clip.avi");
    EXPECT_EQ(video.x, 70);
    EXPECT_EQ(video.y, -12) << "the video's position has no range";
    EXPECT_TRUE(video.loop);
    EXPECT_FALSE(video.automaticInit);
    EXPECT_TRUE(video.closeWhenFinishes);
    EXPECT_EQ(video.activateOnClose, "3,4");
    EXPECT_NE(doc.GetSpriteList().FindByNumber(-1), nullptr);
    EXPECT_EQ(doc.UndoText(), "Undo Insert video");

    dialogs.Next<CVideoDlg>([&](CVideoDlg& dlg) {
        EXPECT_TRUE(dlg.LoopBox().isChecked());
        EXPECT_EQ(dlg.ActivateEdit().text(), "3,4");
        Type(*dlg.XField().Edit(), "");
        Click(dlg.OkButton());
        EXPECT_EQ(Messages(), std::vector<std::string>{kNotInteger});
        Click(dlg.CancelButton());
    });
    commands.RunCommand(cmd::kVideoProperties);
    EXPECT_EQ(Card(0).video.x, 70);
    EXPECT_EQ(Steps(), 1u);
}

// ---------------------------------------------------------------- gradient

TEST_F(ElementDialogsTest, TheGradientSwatchesStartBlackAndWhiteAndOpenTheColourDialog) {
    dialogs.Next<CGradientDlg>([&](CGradientDlg& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Gradient");
        EXPECT_EQ(Captions({&dlg.InitialSwatch(), &dlg.FinalSwatch()}), QStringList({"Inicial", "Final"}));
        auto* initialGroup = qobject_cast<QGroupBox*>(dlg.InitialSwatch().parentWidget());
        auto* finalGroup = qobject_cast<QGroupBox*>(dlg.FinalSwatch().parentWidget());
        ASSERT_TRUE(initialGroup && finalGroup);
        EXPECT_EQ(initialGroup->title(), "&Initial Color");
        EXPECT_EQ(finalGroup->title(), "&Final Color");
        EXPECT_EQ(dlg.InitialSwatch().Colour(), 0x000000u);
        EXPECT_EQ(dlg.FinalSwatch().Colour(), 0xFFFFFFu);
        dialogs.colours = {0x0000FFu, std::nullopt};
        Click(dlg.InitialSwatch());
        Click(dlg.FinalSwatch());
        EXPECT_EQ(dlg.InitialSwatch().Colour(), 0x0000FFu);
        EXPECT_EQ(dlg.FinalSwatch().Colour(), 0xFFFFFFu) << "a cancelled colour dialog keeps the colour";
        Click(dlg.OkButton());
    });
    commands.RunCommand(cmd::kBackgroundGradient);
    EXPECT_EQ(dialogs.colourStarts, (std::vector<uint32_t>{0x000000u, 0xFFFFFFu}));
    const uint8_t* top = doc.GetBackground()->GetPixelAddress(0, 0);
    EXPECT_EQ(top[0], 0) << "blue";
    EXPECT_EQ(top[2], 255) << "red: the top row has the initial colour";
    EXPECT_EQ(doc.UndoText(), "Undo Fill with gradient");

    const size_t steps = Steps();
    dialogs.Next<CGradientDlg>([&](CGradientDlg& dlg) { Click(dlg.CancelButton()); });
    commands.RunCommand(cmd::kBackgroundGradient);
    EXPECT_EQ(doc.GetBackground()->GetPixelAddress(0, 0)[2], 255) << "cancelled: the background stays";
    EXPECT_EQ(Steps(), steps);
}

// The running editor shows the dialog modally; pressing its real OK ends it.
TEST(ElementDialogsModal, TheGradientDialogRunsModallyInTheEditor) {
    QtEditorDialogs dialogs;
    test_support::WhenModal<CGradientDlg>([](CGradientDlg& dlg) { Click(dlg.OkButton()); });
    EXPECT_EQ(dialogs.ChooseGradient(0x010203u, 0x040506u), std::make_pair(0x010203u, 0x040506u));
    test_support::WhenModal<CGradientDlg>([](CGradientDlg& dlg) { Click(dlg.CancelButton()); });
    EXPECT_EQ(dialogs.ChooseGradient(0, 0xFFFFFF), std::nullopt);
}

}  // namespace

namespace {

// The running editor, end to end: a double click on a text of the real editing view opens the real text
// dialog modally, and its OK reaches the document as one undo step.
TEST(ElementDialogsInTheFrame, ADoubleClickOnATextOpensItsDialogAndOkIsOneUndoStep) {
    frame_test::FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    CChildFrame* child = frame.NewDocument();
    ASSERT_NE(child, nullptr);
    CFichaDoc& doc = child->Document();
    auto made = std::make_unique<CTexto>("Texto", platform::Rect{100, 100, 200, 140});
    CTexto* text = made.get();
    doc.GetCurrentCardPtr()->AddText(std::move(made));
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    auto* host = qobject_cast<CFichaViewHost*>(child->Parts().widget);
    ASSERT_NE(host, nullptr);
    CFichaViewWidget& widget = host->Widget();
    const QPoint at = widget.Layout().ClientToWidget({150, 120, 151, 121}).center();

    test_support::WhenModal<CTextDlg>([](CTextDlg& dlg) {
        Type(dlg.IdEdit(), "titulo");
        Click(dlg.OkButton());
    });
    QTest::mouseDClick(&widget, Qt::LeftButton, {}, at);
    EXPECT_EQ(text->identifier, "titulo");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.UndoText(), "Undo Edit text");
}

}  // namespace
