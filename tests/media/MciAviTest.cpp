#include <gtest/gtest.h>

#include "MediaTestSupport.h"
#include "platform/MciDevice.h"
#include "platform/MessageBox.h"
#include "platform/ffmpeg/FfmpegMedia.h"

using namespace platform;
using namespace media_test;
using namespace test_support;

namespace {

std::string LayerText(uint32_t code) {
    std::string text;
    EXPECT_TRUE(MediaErrorString(code, text));
    return text;
}

// Installs a recording message box and a media backend for one test.
struct MciTest : testing::Test {
    RecordingMessageBox boxes;
    ScopedMessageBox scopedBox{boxes};
    RecordingMedia recording;
    RecordingWindow window;
};

struct MciRecordingTest : MciTest {
    ScopedMediaFactory scopedMedia{recording};
};

struct MciFfmpegTest : MciTest {
    FfmpegMedia ffmpeg;
    ScopedMediaFactory scopedMedia{ffmpeg};
};

// A device of any kind, to see the captions of the kinds that exist only as captions.
struct AnyDevice : CMciDevice {
    explicit AnyDevice(uint32_t kind) : CMciDevice(kind) {}
};

}  // namespace

TEST_F(MciRecordingTest, EveryOperationOfAClosedDeviceDoesNothingAndReturnsZero) {
    CMciAvi avi;
    EXPECT_EQ(avi.DeviceId(), 0);
    EXPECT_EQ(avi.DeviceKind(), kMciKindAvi);
    EXPECT_EQ(avi.Close(), 0u);
    EXPECT_EQ(avi.Stop(), 0u);
    EXPECT_EQ(avi.Play(), 0u);
    EXPECT_EQ(avi.PlayFromTo(0, 100), 0u);
    EXPECT_EQ(avi.PlayNotify(&window), 0u);
    EXPECT_EQ(avi.PlayRepeatNotify(&window), 0u);
    EXPECT_EQ(avi.Pause(), 0u);
    EXPECT_EQ(avi.Resume(), 0u);
    EXPECT_EQ(avi.Seek(5000), 0u);
    EXPECT_EQ(avi.Status(MCI_STATUS_MODE), 0u);
    EXPECT_EQ(avi.Status(0xBAD), 0u);
    EXPECT_EQ(avi.Length(), 0u);
    EXPECT_EQ(avi.Position(), 0u);
    EXPECT_EQ(avi.VideoWindow(), 0u);
    EXPECT_EQ(avi.SourceRect(), Rect{});
    EXPECT_FALSE(avi.PlaceWindow(0, 0, 10, 10, nullptr, SWP_SHOWWINDOW));
    EXPECT_EQ(avi.UpdateVideoWindow(), 0u);
    EXPECT_EQ(avi.SetTimeFormat(MCI_FORMAT_FRAMES), 0u);
    EXPECT_EQ(avi.GetTimeFormat(), 0u);
    avi.Advance(1000);
    avi.Pump();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(recording.clipsCreated, 0);
    EXPECT_TRUE(recording.calls.empty());
}

TEST_F(MciRecordingTest, OpenKeepsTheParentAndSetsMilliseconds) {
    CMciAvi avi;
    ASSERT_TRUE(avi.Open("VIDEO\\INTRO.AVI", &window));
    EXPECT_NE(avi.DeviceId(), 0);
    EXPECT_EQ(avi.ParentWindow(), &window);
    EXPECT_EQ(recording.calls, (std::vector<std::string>{"Open VIDEO\\INTRO.AVI parent", "SetTimeFormat 0"}));
    EXPECT_EQ(avi.GetTimeFormat(), MCI_FORMAT_MILLISECONDS);
    EXPECT_EQ(avi.Length(), 1000u);
    EXPECT_EQ(avi.SourceRect(), (Rect{0, 0, 160, 120}));
    EXPECT_NE(avi.VideoWindow(), 0u);
    EXPECT_EQ(avi.Status(MCI_STATUS_MODE), MCI_MODE_STOP);
    EXPECT_EQ(avi.Status(MCI_STATUS_READY), 1u);
    EXPECT_TRUE(boxes.shown.empty());

    // Opening again closes the first clip rather than leaving it open.
    const uint16_t first = avi.DeviceId();
    ASSERT_TRUE(avi.Open("other.avi"));
    EXPECT_NE(avi.DeviceId(), first);
    EXPECT_EQ(recording.calls[2], "Close");
    EXPECT_EQ(avi.VideoWindow(), 0u) << "no parent this time";
}

TEST_F(MciRecordingTest, AFailedOpenShowsOneVideoAviBoxAndLeavesTheDeviceClosed) {
    recording.script.openError = kMediaErrorInvalidFile;
    CMciAvi avi;
    EXPECT_FALSE(avi.Open("broken.avi", &window));
    EXPECT_EQ(avi.DeviceId(), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Vídeo AVI");
    EXPECT_EQ(boxes.shown[0].text, LayerText(kMediaErrorInvalidFile));
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::exclamation);
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::ok);
    EXPECT_EQ(avi.Play(), 0u);
    EXPECT_EQ(boxes.shown.size(), 1u);

    // The layer's own text, when it has one, is what the user reads.
    recording.script.openErrorText = "Sin descompresor para este vídeo.";
    EXPECT_FALSE(avi.Open("broken.avi"));
    EXPECT_EQ(boxes.shown.back().text, "Sin descompresor para este vídeo.");
}

TEST_F(MciRecordingTest, FailingCommandsShowTheirBoxAndAreThenTreatedAsDone) {
    CMciAvi avi;
    ASSERT_TRUE(avi.Open("clip.avi", &window));
    EXPECT_EQ(avi.Seek(5000), kMediaErrorOutOfRange);
    EXPECT_EQ(avi.SetTimeFormat(MCI_FORMAT_FRAMES), kMediaErrorBadTimeFormat);
    EXPECT_EQ(avi.GetTimeFormat(), MCI_FORMAT_MILLISECONDS);
    EXPECT_EQ(avi.Status(0xBAD), 0u);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text, LayerText(kMediaErrorOutOfRange));
    EXPECT_EQ(boxes.shown[1].text, LayerText(kMediaErrorBadTimeFormat));
    EXPECT_EQ(boxes.shown[2].text, LayerText(MCIERR_UNSUPPORTED_FUNCTION));
    for (const auto& box : boxes.shown) EXPECT_EQ(box.caption, "Vídeo AVI");
    EXPECT_NE(avi.DeviceId(), 0) << "the device stays open";
}

TEST_F(MciRecordingTest, TheCommandsReachTheClipAsTheirPlaysAsk) {
    CMciAvi avi;
    ASSERT_TRUE(avi.Open("clip.avi", &window));
    EXPECT_EQ(avi.PlayFromTo(100, 400), 0u);
    EXPECT_EQ(avi.PlayFromTo(200), 0u);
    EXPECT_EQ(avi.Play(), 0u);
    EXPECT_EQ(avi.PlayNotify(&window), 0u);
    EXPECT_EQ(avi.PlayRepeatNotify(&window), 0u);
    EXPECT_EQ(avi.Pause(), 0u);
    EXPECT_EQ(avi.Status(MCI_STATUS_MODE), MCI_MODE_PAUSE);
    EXPECT_EQ(avi.Resume(), 0u);
    EXPECT_EQ(avi.Status(MCI_STATUS_MODE), MCI_MODE_PLAY);
    EXPECT_EQ(avi.Stop(), 0u);
    EXPECT_EQ(avi.Seek(300), 0u);
    EXPECT_TRUE(avi.PlaceWindow(10, 20, 50, 60, nullptr, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW));
    EXPECT_TRUE(avi.PlaceWindow(0, 0, 0, 0, nullptr, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW));
    EXPECT_TRUE(avi.PlaceWindow(0, 0, 0, 0, nullptr, SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW));
    EXPECT_EQ(avi.UpdateVideoWindow(), 0u);
    EXPECT_EQ(avi.Close(), 0u);
    EXPECT_EQ(avi.DeviceId(), 0);
    const std::vector<std::string> expected = {"Open clip.avi parent",
                                               "SetTimeFormat 0",
                                               "Play from=100 to=400",
                                               "Play from=200 to=-",
                                               "Play from=- to=-",
                                               "Play from=- to=- notify",
                                               "Play from=- to=- repeat notify",
                                               "Pause",
                                               "Resume",
                                               "Stop",
                                               "Seek 300",
                                               "PlaceWindow move size show",
                                               "PlaceWindow show",
                                               "PlaceWindow hide",
                                               "UpdateWindow",
                                               "Close"};
    EXPECT_EQ(recording.calls, expected);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MciRecordingTest, ARepeatingPlayNeverCompletesAndAPlainOneCompletesOnce) {
    CMciAvi avi;
    ASSERT_TRUE(avi.Open("clip.avi", &window));
    avi.PlayRepeatNotify(&window);
    for (int i = 0; i < 20; ++i) avi.Advance(250);
    EXPECT_TRUE(window.notices.empty());
    avi.Seek(0);
    avi.Advance(0);
    EXPECT_EQ(window.notices, std::vector<MediaNotice>{MediaNotice::aborted});
    avi.PlayNotify(&window);
    for (int i = 0; i < 20; ++i) avi.Advance(250);
    EXPECT_EQ(window.notices.back(), MediaNotice::successful);
    EXPECT_EQ(window.notices.size(), 2u);
    EXPECT_EQ(uint32_t(window.notices.back()), MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(avi.Position(), avi.Length());
    EXPECT_EQ(avi.Status(MCI_STATUS_MODE), MCI_MODE_STOP);
}

TEST_F(MciRecordingTest, TheNoticeMayCloseTheDevice) {
    CMciAvi avi;
    ASSERT_TRUE(avi.Open("clip.avi", &window));
    window.onNotice = [&](MediaNotice) { avi.Close(); };
    avi.PlayNotify(&window);
    avi.Advance(5000);
    EXPECT_EQ(avi.DeviceId(), 0);
    EXPECT_EQ(window.notices.size(), 1u);
    EXPECT_EQ(recording.calls.back(), "Close");
}

TEST_F(MciRecordingTest, DestroyingAnOpenDeviceStopsItWhenPlayingAndAlwaysClosesIt) {
    {
        CMciAvi playing;
        ASSERT_TRUE(playing.Open("a.avi", &window));
        playing.Play();
    }
    EXPECT_EQ(std::vector<std::string>(recording.calls.end() - 2, recording.calls.end()),
              (std::vector<std::string>{"Stop", "Close"}));
    {
        CMciAvi paused;
        ASSERT_TRUE(paused.Open("b.avi", &window));
        paused.Play();
        paused.Pause();
    }
    EXPECT_EQ(std::vector<std::string>(recording.calls.end() - 2, recording.calls.end()),
              (std::vector<std::string>{"Pause", "Close"}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MciRecordingTest, ErrorBoxesAreCaptionedWithTheKindOfDevice) {
    const std::pair<uint32_t, const char*> kinds[] = {
        {1, "CD Audio"},  {2, "Audio WAV"},  {3, "Audio MIDI"},   {4, "MCI Genérico"},
        {5, "Vídeo AVI"}, {6, "Vídeo MPEG"}, {0, "MCI Genérico"}, {7, "MCI Genérico"}};
    for (const auto& [kind, caption] : kinds) {
        AnyDevice device(kind);
        boxes.shown.clear();
        device.ReportError(0);
        EXPECT_TRUE(boxes.shown.empty()) << "code 0 is no error";
        device.ReportError(kMediaErrorFileNotFound);
        device.ReportError(0x7777, " (intro)");
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(boxes.shown[0].caption, caption);
        EXPECT_EQ(boxes.shown[0].text, LayerText(kMediaErrorFileNotFound));
        EXPECT_EQ(boxes.shown[0].icon, MessageIcon::exclamation);
        EXPECT_EQ(boxes.shown[1].caption, std::string(caption) + " (intro)");
        EXPECT_EQ(boxes.shown[1].text, "Error desconocido");
    }
}

TEST_F(MciFfmpegTest, ARealClipOpensPlaysSeeksAndCompletes) {
    CMciAvi avi;
    ASSERT_TRUE(avi.Open(Clip("clip-cinepak.avi"), &window)) << boxes.shown.at(0).text;
    EXPECT_EQ(avi.SourceRect(), (Rect{0, 0, 32, 24}));
    EXPECT_EQ(avi.Length(), 2000u);
    ASSERT_TRUE(avi.PlaceWindow(10, 20, 32, 24, nullptr, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW));
    ASSERT_EQ(window.drawn.size(), 1u);
    EXPECT_EQ(window.drawn[0].placement, (Rect{10, 20, 42, 44}));
    EXPECT_EQ(window.drawn[0].frame, 0);

    avi.PlayNotify(&window);
    avi.Advance(750);
    EXPECT_EQ(avi.Position(), 750u);
    EXPECT_EQ(window.drawn.back().frame, 3);
    avi.Pause();
    avi.Advance(750);
    EXPECT_EQ(avi.Position(), 750u);
    avi.PlayNotify(&window);  // the player's way of playing on from a pause
    avi.Advance(2000);
    EXPECT_EQ(window.notices, (std::vector<MediaNotice>{MediaNotice::superseded, MediaNotice::successful}));
    EXPECT_EQ(window.drawn.back().frame, 9);

    avi.Seek(1300);
    EXPECT_EQ(window.drawn.back().frame, 6);
    EXPECT_TRUE(window.drawn.back().intact);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MciFfmpegTest, AMissingGarbageOrCutClipFailsOpenWithTheVideoAviBox) {
    const std::vector<uint8_t> whole = ReadFileBytes(Clip("clip-mjpeg.avi"));
    ScratchFile garbage(std::vector<uint8_t>(3000, 0xA5), "clip.avi");
    ScratchFile cut({whole.begin(), whole.begin() + 600}, "clip.avi");
    const std::string missing = garbage.Path() + ".missing";
    for (const std::string& path : {garbage.Path(), cut.Path(), missing}) {
        CMciAvi avi;
        boxes.shown.clear();
        EXPECT_FALSE(avi.Open(path, &window)) << path;
        EXPECT_EQ(avi.DeviceId(), 0);
        ASSERT_EQ(boxes.shown.size(), 1u) << path;
        EXPECT_EQ(boxes.shown[0].caption, "Vídeo AVI");
        EXPECT_FALSE(boxes.shown[0].text.empty());
    }
    EXPECT_EQ(boxes.shown[0].text, LayerText(kMediaErrorFileNotFound));
}

TEST_F(MciFfmpegTest, TitlesNameClipsWithWindowsPathsInAnyLetterCase) {
    ScratchFile file(ReadFileBytes(Clip("clip-msvideo1.avi")), "Intro.avi");
    const std::string windowsName = "C:" + file.Path().substr(0, file.Path().rfind('/')) + "\\INTRO.AVI";
    CMciAvi avi;
    ASSERT_TRUE(avi.Open(windowsName));
    EXPECT_EQ(avi.Length(), 2000u);
}
