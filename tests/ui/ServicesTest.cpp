#include <gtest/gtest.h>

#include <QWidget>
#include <string>

#include "archive/Object.h"
#include "platform/ffmpeg/FfmpegMedia.h"
#include "platform/qt/QtCursor.h"
#include "platform/qt/QtDeviceContext.h"
#include "platform/qt/QtFileDialog.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtProcess.h"
#include "platform/qt/QtShell.h"
#include "platform/sdl/SdlSound.h"
#include "tests/support/Environment.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScratchFolder.h"
#include "ui/Services.h"

namespace {

// Doubles installed before the start-up, to see that they come back afterwards.
class ServicesTest : public testing::Test {
  protected:
    void SetUp() override {
        test_support::EnsureQtApplication();
        platform::SetMessageBox(&box);
        platform::SetFileDialog(&dialog);
        platform::SetCursorService(&cursor);
        platform::SetShell(&shell);
        platform::SetSound(&sound);
        platform::SetMediaFactory(&media);
        platform::SetScreenContextFactory(&screens);
        platform::SetProcessStarter(&processes);
    }
    void TearDown() override {
        platform::SetMessageBox(nullptr);
        platform::SetFileDialog(nullptr);
        platform::SetCursorService(nullptr);
        platform::SetShell(nullptr);
        platform::SetSound(nullptr);
        platform::SetMediaFactory(nullptr);
        platform::SetScreenContextFactory(nullptr);
        platform::SetProcessStarter(nullptr);
    }

    void ExpectDoublesInstalled() {
        EXPECT_EQ(&platform::Messages(), &box);
        EXPECT_EQ(&platform::FileDialogs(), &dialog);
        EXPECT_EQ(&platform::Cursors(), &cursor);
        EXPECT_EQ(&platform::Shells(), &shell);
        EXPECT_EQ(&platform::Sounds(), &sound);
        EXPECT_EQ(&platform::Media(), &media);
        EXPECT_EQ(&platform::ScreenContexts(), &screens);
        EXPECT_EQ(&platform::Processes(), &processes);
    }

    class FakeScreens : public platform::ScreenContextFactory {
      public:
        std::unique_ptr<platform::DeviceContext> CreateScreenContext() override {
            return std::make_unique<platform::FakeDeviceContext>();
        }
    };

    platform::RecordingMessageBox box;
    platform::ScriptedFileDialog dialog;
    platform::RecordingCursor cursor;
    platform::RecordingShell shell;
    platform::RecordingSound sound;
    platform::RecordingMedia media;
    platform::RecordingProcessStarter processes;
    FakeScreens screens;
};

TEST_F(ServicesTest, InstallsEveryRealBackendAndPutsBackWhatWasThere) {
    for (int round = 0; round < 2; ++round) {  // made and dropped twice, as tests and programs do
        {
            ui::Services services;
            EXPECT_NE(dynamic_cast<platform::QtMessageBox*>(&platform::Messages()), nullptr);
            EXPECT_NE(dynamic_cast<platform::QtFileDialog*>(&platform::FileDialogs()), nullptr);
            EXPECT_NE(dynamic_cast<platform::QtCursor*>(&platform::Cursors()), nullptr);
            EXPECT_NE(dynamic_cast<platform::QtShell*>(&platform::Shells()), nullptr);
            EXPECT_NE(dynamic_cast<platform::QtProcessStarter*>(&platform::Processes()), nullptr);
            EXPECT_EQ(&platform::Sounds(), &services.Sound());
            EXPECT_NE(dynamic_cast<platform::FfmpegMedia*>(&platform::Media()), nullptr);
            auto context = platform::ScreenContexts().CreateScreenContext();
            EXPECT_NE(dynamic_cast<platform::QtDeviceContext*>(context.get()), nullptr);
            // The dummy audio driver of the tests is a device.
            EXPECT_EQ(platform::Sounds().WaveDeviceCount(), 1);
            // Titles can be read: their classes are known by name.
            EXPECT_NE(ClassRegistry::Instance().Find("CFicha"), nullptr);
            EXPECT_NE(ClassRegistry::Instance().Find("CPhasedSprite"), nullptr);
            // Clips open through FFmpeg: a missing file is reported as such, not as a missing decoder.
            auto clip = platform::Media().CreateClip();
            EXPECT_EQ(clip->Open("/nonexistent/clip.avi", nullptr), platform::kMediaErrorFileNotFound);
        }
        ExpectDoublesInstalled();
    }
}

TEST_F(ServicesTest, ADialogParentReplacesTheBoxesOnlyWhileTheyAreTheOnesInstalled) {
    ui::Services services;
    platform::MessageBox* first = &platform::Messages();
    QWidget frame;
    services.SetDialogParent(&frame);
    EXPECT_NE(dynamic_cast<platform::QtMessageBox*>(&platform::Messages()), nullptr);
    EXPECT_NE(dynamic_cast<platform::QtFileDialog*>(&platform::FileDialogs()), nullptr);
    EXPECT_NE(&platform::Messages(), first);

    platform::RecordingMessageBox later;
    platform::SetMessageBox(&later);
    services.SetDialogParent(nullptr);
    EXPECT_EQ(&platform::Messages(), &later);
}

TEST_F(ServicesTest, WithoutASoundDeviceTheProgramRunsSilent) {
    {
        test_support::ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
        ui::Services services;
        EXPECT_EQ(platform::Sounds().WaveDeviceCount(), 0);
        test_support::ScratchFolder dir;
        EXPECT_FALSE(platform::Sounds().PlayFile(dir.Write("musica.wav"), true));
        platform::Sounds().Stop();
    }
    EXPECT_EQ(&platform::Sounds(), &sound);
}

TEST_F(ServicesTest, TextMeasuringAloneInstallsTheRealFontsAndRestores) {
    {
        ui::TextMeasuring measuring;
        auto dc = platform::ScreenContexts().CreateScreenContext();
        ASSERT_NE(dynamic_cast<platform::QtDeviceContext*>(dc.get()), nullptr);
        dc->SelectFont(platform::FontRequest{20, 400, false, false, 0, 0, "Arial"});
        EXPECT_EQ(dc->MeasureText("").cy, 20);
        // Real glyphs: a narrow letter is narrower than a wide one, which the fake never says.
        EXPECT_LT(dc->MeasureText("i").cx, dc->MeasureText("W").cx);
        EXPECT_EQ(&platform::Messages(), &box);  // nothing else is touched
    }
    ExpectDoublesInstalled();
}

}  // namespace
