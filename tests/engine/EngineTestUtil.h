#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/PhasedSprite.h"
#include "engine/Sprite.h"
#include "engine/SpriteList.h"
#include "imaging/Dib.h"

namespace enginetest {

// Colours in the transparent-colour form: (red << 16) | (green << 8) | blue.
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kBlack = 0x000000;

inline void SetPixel(CDIB& dib, int32_t x, int32_t y, uint32_t rgb) {
    uint8_t* p = dib.GetPixelAddress(x, y);
    ASSERT_NE(p, nullptr) << x << "," << y;
    p[0] = static_cast<uint8_t>(rgb);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb >> 16);
}

inline uint32_t PixelAt(const CDIB& dib, int32_t x, int32_t y) {
    const uint8_t* p = dib.GetPixelAddress(x, y);
    if (!p) return 0xDEADBEEF;
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

inline void FillRect(CDIB& dib, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t rgb) {
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x) SetPixel(dib, x, y, rgb);
}

// A 24-bit sprite of one colour, its transparent colour computed from it.
template <class Sprite = CPhasedSprite>
std::unique_ptr<Sprite> MakeSprite(int32_t w, int32_t h, uint32_t rgb, int32_t x = 0, int32_t y = 0,
                                   int32_t plane = 50) {
    auto sprite = std::make_unique<Sprite>();
    EXPECT_TRUE(sprite->Create(w, h, 3));
    FillRect(*sprite, 0, 0, w, h, rgb);
    sprite->ComputeTransparentColour();
    sprite->SetPosition(x, y);
    sprite->SetPlane(plane);
    return sprite;
}

// A white, transparent w x h sprite with an opaque coloured block in its middle.
inline std::unique_ptr<CPhasedSprite> MakeButton(int32_t w, int32_t h, uint32_t rgb, int32_t x, int32_t y,
                                                 int32_t plane = 50) {
    auto sprite = MakeSprite(w, h, kWhite, x, y, plane);
    FillRect(*sprite, w / 4, h / 4, w - w / 4, h - h / 4, rgb);
    sprite->SetTransparent(true);
    return sprite;
}

struct Notice {
    CSprite* sprite;
    int code;
    platform::Rect r1, r2;
};

class RecordingSink : public SpriteChangeSink {
  public:
    void Change(CSprite* sprite, int code, const platform::Rect& r1, const platform::Rect& r2) override {
        notices.push_back({sprite, code, r1, r2});
    }
    std::vector<Notice> notices;
};

class RecordingReceiver : public DirtyRectReceiver {
  public:
    void AddDirty(const platform::Rect& r) override { rects.push_back(r); }
    std::vector<platform::Rect> rects;
};

}  // namespace enginetest
