#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "engine/AnimView.h"
#include "tests/engine/EngineTestUtil.h"
#include "tests/support/Pixels.h"
#include "tests/support/QtApp.h"
#include "ui/ViewClient.h"

// Helpers of the presentation tests: a small scene shown by a real animation view, and a client that
// records what the widget hands it.
namespace ui_test {

// A background whose every pixel differs from its neighbours (red x * 5, green y * 7, blue 90), so that
// a shifted or stretched copy cannot pass for the right one.
inline void PaintGradient(CDIB& dib, int width, int height) {
    ASSERT_TRUE(dib.Create(width, height, 3));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) test_support::SetPixel(dib, x, y, uint8_t(x * 5), uint8_t(y * 7), 90);
}

// A background of 40 x 30 and one opaque green sprite of 6 x 4 at (8, 5), composed by a CAnimView.
class Scene : public AnimScene {
  public:
    explicit Scene(int width = 40, int height = 30) {
        PaintGradient(background, width, height);
        auto sprite = enginetest::MakeSprite(6, 4, test_support::kGreen, 8, 5);
        sprite->SetVisible(true);
        sprites.Insert(std::move(sprite));
    }
    CDIB* Background() override { return &background; }
    CSpriteList& Sprites() override { return sprites; }

    CDIB background;
    CSpriteList sprites;
};

// The buffer's pixel (x, y), counted from the top, as Qt gives colours.
inline QRgb BufferPixel(const COSBView& view, int x, int y) {
    const uint32_t rrggbb = test_support::PixelAt(*view.GetBuffer(), x, y);
    return rrggbb == test_support::kNoPixel ? qRgb(1, 2, 3) : QRgb(0xFF000000u | rrggbb);
}

inline QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Records the input it receives and, when given an overlay, draws it.
class RecordingClient : public ui::ViewClient {
  public:
    struct Mouse {
        char kind;  // 'p' press, 'r' release, 'm' move, 'd' double click
        ui::MouseEvent event;
    };
    void PaintOverlay(platform::DeviceContext& dc, const platform::Rect& area) override {
        overlays.push_back(area);
        if (overlay) overlay(dc, area);
    }
    void MousePress(const ui::MouseEvent& e) override { mice.push_back({'p', e}); }
    void MouseRelease(const ui::MouseEvent& e) override { mice.push_back({'r', e}); }
    void MouseMove(const ui::MouseEvent& e) override { mice.push_back({'m', e}); }
    void MouseDoubleClick(const ui::MouseEvent& e) override { mice.push_back({'d', e}); }
    bool KeyPress(const ui::KeyEvent& e) override {
        keys.push_back(e);
        return takeKeys;
    }

    std::function<void(platform::DeviceContext&, const platform::Rect&)> overlay;
    std::vector<platform::Rect> overlays;
    std::vector<Mouse> mice;
    std::vector<ui::KeyEvent> keys;
    bool takeKeys = true;
};

}  // namespace ui_test
