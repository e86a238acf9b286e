#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/AnimView.h"
#include "engine/PhasedSprite.h"
#include "engine/Sprite.h"
#include "engine/SpriteList.h"
#include "imaging/Dib.h"
#include "tests/support/Pixels.h"

namespace enginetest {

// A 24-bit sprite of one colour, its transparent colour computed from it.
template <class Sprite = CPhasedSprite>
std::unique_ptr<Sprite> MakeSprite(int32_t w, int32_t h, uint32_t rgb, int32_t x = 0, int32_t y = 0,
                                   int32_t plane = 50) {
    auto sprite = std::make_unique<Sprite>();
    EXPECT_TRUE(sprite->Create(w, h, 3));
    test_support::FillRect(*sprite, 0, 0, w, h, rgb);
    sprite->ComputeTransparentColour();
    sprite->SetPosition(x, y);
    sprite->SetPlane(plane);
    return sprite;
}

// A white, transparent w x h sprite with an opaque coloured block in its middle.
inline std::unique_ptr<CPhasedSprite> MakeButton(int32_t w, int32_t h, uint32_t rgb, int32_t x, int32_t y,
                                                 int32_t plane = 50) {
    auto sprite = MakeSprite(w, h, test_support::kWhite, x, y, plane);
    test_support::FillRect(*sprite, w / 4, h / 4, w - w / 4, h - h / 4, rgb);
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

// A view that counts the hooks its scene's changes call: new backgrounds and updates.
class CountingView : public CAnimView {
  public:
    bool NewBackground(CDIB& background) override {
        ++backgrounds;
        return CAnimView::NewBackground(background);
    }
    void OnUpdate() override {
        ++updates;
        CAnimView::OnUpdate();
    }
    int backgrounds = 0;
    int updates = 0;
};

class RecordingReceiver : public DirtyRectReceiver {
  public:
    void AddDirty(const platform::Rect& r) override { rects.push_back(r); }
    std::vector<platform::Rect> rects;
};

}  // namespace enginetest
