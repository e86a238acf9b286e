#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "MediaTestSupport.h"
#include "platform/ffmpeg/FfmpegMedia.h"

using namespace platform;
using namespace media_test;
using namespace test_support;

namespace {

std::unique_ptr<MediaClip> OpenClip(const std::string& name, MediaWindow* parent) {
    auto clip = FfmpegMedia().CreateClip();
    EXPECT_EQ(clip->Open(Clip(name), parent), kMediaOk) << name << ": " << clip->ErrorText();
    return clip;
}

// Frame indices in the order they were drawn.
std::vector<int> FramesDrawn(const RecordingWindow& window) {
    std::vector<int> frames;
    for (const auto& d : window.drawn) frames.push_back(d.frame);
    return frames;
}

}  // namespace

TEST(FfmpegMedia, OpenGivesTheFrameSizeTheLengthAndTheFirstPictureOfEveryCodec) {
    for (const char* name : kClips) {
        SCOPED_TRACE(name);
        auto source = CreateFfmpegSource();
        std::string text;
        ASSERT_EQ(source->Open(Clip(name), text), kMediaOk) << text;
        EXPECT_EQ(source->FrameSize(), (Size{32, 24}));
        EXPECT_EQ(source->Length(), 2000u);
        const DibView picture = source->Picture();
        EXPECT_EQ(picture.bitCount, 24);
        EXPECT_EQ(picture.stride, 96);
        EXPECT_EQ(FrameShown(picture), 0);
        EXPECT_TRUE(FixedBlocksIntact(picture)) << "light block must be on top";

        auto clip = OpenClip(name, nullptr);
        EXPECT_EQ(clip->FrameSize(), (Size{32, 24}));
        EXPECT_EQ(clip->Length(), 2000u);
        EXPECT_EQ(clip->Position(), 0u);
        EXPECT_EQ(clip->Mode(), MediaMode::stopped);
        EXPECT_EQ(clip->WindowHandle(), 0u) << "no parent, no window";
    }
}

TEST(FfmpegMedia, SeekingShowsExactlyThePictureAtThePositionNotTheKeyFrameBeforeIt) {
    // Frames 3, 4, 7 and 9 of the Cinepak clip are inter frames after key frames 0 and 5.
    const std::pair<uint32_t, int> targets[] = {{700, 3},  {999, 4},  {1000, 5}, {1400, 7}, {200, 1},
                                                {1999, 9}, {2000, 9}, {0, 0},    {1800, 9}, {600, 3}};
    for (const char* name : kClips) {
        SCOPED_TRACE(name);
        auto source = CreateFfmpegSource();
        std::string text;
        ASSERT_EQ(source->Open(Clip(name), text), kMediaOk);
        for (const auto& [ms, frame] : targets) {
            ASSERT_EQ(source->SeekTo(ms, text), kMediaOk) << ms;
            EXPECT_EQ(FrameShown(source->Picture()), frame) << "seek to " << ms;
            EXPECT_TRUE(FixedBlocksIntact(source->Picture())) << "seek to " << ms;
        }
    }
}

TEST(FfmpegMedia, PlayingShowsTheFramesInOrderAndCompletesOnce) {
    for (const char* name : kClips) {
        SCOPED_TRACE(name);
        RecordingWindow window;
        auto clip = OpenClip(name, &window);
        ASSERT_EQ(clip->Play(Notifying(&window)), kMediaOk);
        ASSERT_EQ(window.drawn.size(), 1u) << "playing shows the window with its picture";
        for (int i = 0; i < 12; ++i) clip->Advance(250);
        const std::vector<int> frames = FramesDrawn(window);
        EXPECT_EQ(frames.front(), 0);
        EXPECT_EQ(frames.back(), 9);
        EXPECT_TRUE(std::is_sorted(frames.begin(), frames.end()));
        EXPECT_GE(frames.size(), 9u) << "a 250 ms step shows one or two frames' worth, the newest";
        for (const auto& d : window.drawn) {
            EXPECT_TRUE(d.intact);
            EXPECT_EQ(d.placement, (Rect{0, 0, 32, 24}));
        }
        EXPECT_EQ(window.notices, std::vector<MediaNotice>{MediaNotice::successful});
        EXPECT_EQ(clip->Mode(), MediaMode::stopped);
        EXPECT_EQ(clip->Position(), 2000u);
    }
}

TEST(FfmpegMedia, ARepeatingPlayGoesRoundAndNeverCompletes) {
    RecordingWindow window;
    auto clip = OpenClip("clip-cinepak.avi", &window);
    ASSERT_EQ(clip->Play(Notifying(&window, true)), kMediaOk);
    for (int i = 0; i < 50; ++i) clip->Advance(130);  // 6500 ms: three times round and a quarter
    EXPECT_TRUE(window.notices.empty());
    EXPECT_EQ(clip->Mode(), MediaMode::playing);
    EXPECT_EQ(clip->Position(), 6500u % 2000u);
    int wraps = 0;
    for (size_t i = 1; i < window.drawn.size(); ++i) {
        if (window.drawn[i].frame < window.drawn[i - 1].frame) ++wraps;
        EXPECT_TRUE(window.drawn[i].intact) << "drawing " << i;
    }
    EXPECT_EQ(wraps, 3);
    EXPECT_EQ(window.drawn.back().frame, 2);
}

TEST(FfmpegMedia, PauseHoldsThePictureAndResumeGoesOnFromThere) {
    RecordingWindow window;
    auto clip = OpenClip("clip-mjpeg.avi", &window);
    ASSERT_EQ(clip->Play(Notifying(&window)), kMediaOk);
    clip->Advance(450);
    EXPECT_EQ(window.drawn.back().frame, 2);
    ASSERT_EQ(clip->Pause(), kMediaOk);
    EXPECT_EQ(clip->Mode(), MediaMode::paused);
    const size_t drawnBefore = window.drawn.size();
    clip->Advance(5000);
    EXPECT_EQ(window.drawn.size(), drawnBefore);
    EXPECT_EQ(clip->Position(), 450u);
    ASSERT_EQ(clip->Resume(), kMediaOk);
    clip->Advance(300);
    EXPECT_EQ(clip->Position(), 750u);
    EXPECT_EQ(window.drawn.back().frame, 3);
    EXPECT_TRUE(window.notices.empty());
}

TEST(FfmpegMedia, AClipThatIsMissingOrNoAviFailsWithTheLayersText) {
    auto clip = FfmpegMedia().CreateClip();
    EXPECT_EQ(clip->Open(Clip("no-such-clip.avi"), nullptr), kMediaErrorFileNotFound);
    std::string text;
    ASSERT_TRUE(MediaErrorString(kMediaErrorFileNotFound, text));
    EXPECT_EQ(clip->ErrorText(), text);
    EXPECT_FALSE(clip->IsOpen());

    // A WAV file is a RIFF file too, but not one the video device plays.
    const std::vector<uint8_t> wav = {'R', 'I', 'F',  'F',  36,  0,   0,    0,    'W', 'A', 'V',
                                      'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   1,   0,
                                      1,   0,   0x40, 0x1F, 0,   0,   0x40, 0x1F, 0,   0,   1,
                                      0,   8,   0,    'd',  'a', 't', 'a',  0,    0,   0,   0};
    ScratchFile file(wav, "sound.wav");
    EXPECT_EQ(clip->Open(file.Path(), nullptr), kMediaErrorInvalidFile);
    EXPECT_FALSE(clip->ErrorText().empty());
    EXPECT_EQ(clip->Open(LUMEO_TEST_DATA, nullptr), kMediaErrorInvalidFile) << "a folder is no clip";
}

TEST(FfmpegMedia, GarbageFailsOpenCleanly) {
    std::mt19937 random(7);
    std::vector<uint8_t> garbage(4096);
    for (auto& b : garbage) b = uint8_t(random());
    std::vector<uint8_t> riffGarbage = garbage;
    std::memcpy(riffGarbage.data(), "RIFF\xF8\x0F\0\0AVI LIST", 16);
    for (const auto& bytes : {garbage, riffGarbage, std::vector<uint8_t>{}}) {
        ScratchFile file(bytes, "clip.avi");
        auto clip = FfmpegMedia().CreateClip();
        EXPECT_EQ(clip->Open(file.Path(), nullptr), kMediaErrorInvalidFile);
        EXPECT_FALSE(clip->ErrorText().empty());
        EXPECT_FALSE(clip->IsOpen());
        EXPECT_EQ(clip->Play({}), kMediaErrorInvalidDeviceId);
    }
}

// Every cut of a clip either fails Open with an error text or opens as a 32 x 24 clip that plays to its
// end; cuts inside the headers must fail.
TEST(FfmpegMedia, TruncatedClipsFailOpenOrPlayWhatTheyHave) {
    for (const char* name : kClips) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> whole = ReadFileBytes(Clip(name));
        ASSERT_GT(whole.size(), 4000u);
        int opened = 0;
        for (size_t size = 0; size < whole.size(); size += 97) {
            ScratchFile file({whole.begin(), whole.begin() + std::ptrdiff_t(size)}, "clip.avi");
            RecordingWindow window;
            auto clip = FfmpegMedia().CreateClip();
            const uint32_t code = clip->Open(file.Path(), &window);
            if (size < 2048) {
                EXPECT_NE(code, kMediaOk) << "cut at " << size;
            }
            if (code != kMediaOk) {
                EXPECT_FALSE(clip->ErrorText().empty());
                continue;
            }
            ++opened;
            EXPECT_EQ(clip->FrameSize(), (Size{32, 24}));
            ASSERT_EQ(clip->Play(Notifying(&window)), kMediaOk);
            clip->Advance(clip->Length() + 1);
            EXPECT_EQ(window.notices, std::vector<MediaNotice>{MediaNotice::successful}) << "cut at " << size;
            EXPECT_EQ(clip->Seek(clip->Length() / 2), kMediaOk)
                << "cut at " << size << ": " << clip->ErrorText();
        }
        EXPECT_GT(opened, 5) << "cuts in the last frames still open";
    }
}

namespace {

// The Motion JPEG clip with the picture size in the frame headers (start-of-frame markers) replaced: in
// every frame, or only in frame `only`.
std::vector<uint8_t> WithJpegSize(std::vector<uint8_t> bytes, uint16_t width, uint16_t height,
                                  int only = -1) {
    int frame = 0;
    for (size_t i = 0; i + 9 < bytes.size(); ++i) {
        if (bytes[i] != 0xFF || bytes[i + 1] != 0xC0) continue;
        if (only < 0 || frame == only) {
            bytes[i + 5] = uint8_t(height >> 8), bytes[i + 6] = uint8_t(height);
            bytes[i + 7] = uint8_t(width >> 8), bytes[i + 8] = uint8_t(width);
        }
        ++frame;
    }
    EXPECT_EQ(frame, kClipFrames);
    return bytes;
}

}  // namespace

TEST(FfmpegMedia, PicturesBeyondTheSizeLimitAreRefused) {
    const std::vector<uint8_t> clip = ReadFileBytes(Clip("clip-mjpeg.avi"));
    for (const auto& [w, h] : {std::pair<uint16_t, uint16_t>{20000, 24}, {32, 20000}, {16000, 16000}}) {
        ScratchFile huge(WithJpegSize(clip, w, h), "clip.avi");
        auto source = CreateFfmpegSource();
        std::string text;
        EXPECT_EQ(source->Open(huge.Path(), text), kMediaErrorInvalidFile) << w << " x " << h;
        EXPECT_FALSE(text.empty());
    }
}

// A frame that comes in another size than the clip's is stretched to the clip's size.
TEST(FfmpegMedia, AFrameOfAnotherSizeIsFittedToTheClip) {
    ScratchFile changing(WithJpegSize(ReadFileBytes(Clip("clip-mjpeg.avi")), 64, 48, 5), "clip.avi");
    auto source = CreateFfmpegSource();
    std::string text;
    ASSERT_EQ(source->Open(changing.Path(), text), kMediaOk) << text;
    ASSERT_EQ(source->FrameSize(), (Size{32, 24}));
    for (uint32_t ms = 0; ms <= 2000; ms += 100) {
        EXPECT_EQ(source->SeekTo(ms, text), kMediaOk) << ms;
        EXPECT_EQ(source->Picture().width, 32);
        EXPECT_EQ(source->Picture().stride, 96);
    }
    EXPECT_EQ(source->SeekTo(1800, text), kMediaOk);
    EXPECT_EQ(FrameShown(source->Picture()), 9) << "the frames after it are as they were";
}
