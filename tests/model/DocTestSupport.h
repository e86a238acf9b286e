#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/PhasedSprite.h"
#include "imaging/Dib.h"
#include "model/Classes.h"
#include "model/FichaDoc.h"
#include "model/PlayerRunState.h"
#include "platform/File.h"
#include "platform/Media.h"
#include "platform/MessageBox.h"
#include "platform/Sound.h"
#include "tests/support/Pixels.h"
#include "tests/support/ScratchFolder.h"

// Fixtures of the document tests: images written with our own writers, sprites made in memory, and the
// doubles every document test runs with.
namespace doc_test {

// A 24-bit image whose pixel (x, y) has red x, green y and blue `blue`.
inline void Gradient(CDIB& dib, int width, int height, uint8_t blue) {
    dib.Create(width, height, 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) test_support::SetPixel(dib, x, y, uint8_t(x), uint8_t(y), blue);
}

// Writes a BMP file of a gradient image with our own BMP writer.
inline void WriteBmp(const std::string& path, int width, int height, uint8_t blue) {
    CDIB dib;
    Gradient(dib, width, height, blue);
    platform::DiskFile file;
    file.Open(path, platform::DiskFile::Mode::write);
    dib.Write(file);
}

// The colour of frame f of the sprite numbered n made by MakeSprite: 0x102030 times (n + 1 + f).
constexpr uint32_t SpriteColour(int32_t number, int frame) {
    return (0x00102030u * uint32_t(number + 1 + frame)) & 0xFFFFFF;
}

// A phased sprite of `frames` frames of w x h, each frame a solid colour, at (x, y) on `plane`.
inline std::unique_ptr<CPhasedSprite> MakeSprite(int32_t number, int32_t x, int32_t y, int32_t plane,
                                                 int w = 8, int h = 6, int frames = 1) {
    auto s = std::make_unique<CPhasedSprite>();
    s->Create(w, h * frames, 3);
    for (int f = 0; f < frames; ++f)
        test_support::FillRect(*s, 0, f * h, w, (f + 1) * h, SpriteColour(number, f));
    s->ComputeTransparentColour();
    s->SetNumFrames(frames);
    s->SetPosition(x, y);
    s->SetPlane(plane);
    s->SetNumber(number);
    return s;
}

// A document test runs with recording doubles for the message box, the sound and the media device, with
// a run state of its own, and with a scratch folder for the files it writes.
class DocumentTest : public testing::Test {
  protected:
    void SetUp() override {
        RegisterTitleClasses();
        platform::SetSound(&sound);
        SetRunState(&runState);
    }
    void TearDown() override {
        platform::SetSound(nullptr);
        SetRunState(nullptr);
    }

    // The numbers of the document's sprites, in the list's order.
    static std::vector<int32_t> Numbers(const CFichaDoc& doc) {
        std::vector<int32_t> numbers;
        for (CSprite* s : doc.GetSpriteList()) numbers.push_back(s->GetNumber());
        return numbers;
    }

    test_support::ScratchFolder folder;
    platform::RecordingMessageBox box;
    platform::ScopedMessageBox scopedBox{box};
    platform::RecordingSound sound;
    platform::RecordingMedia media;
    platform::ScopedMediaFactory scopedMedia{media};
    CPlayerRunState runState;
};

}  // namespace doc_test
