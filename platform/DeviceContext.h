#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Geometry.h"

namespace platform {

// A font asked for the way the Windows font request asks: a positive height is the cell height (ascent
// plus descent), a negative one the character height (cell height minus internal leading), 0 the default
// size. Weight 400 is normal, 700 bold. The face name is Windows-1252 bytes.
struct FontRequest {
    int32_t height = 0;
    int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    uint8_t outputPrecision = 0;
    uint8_t quality = 0;
    std::string faceName;
    friend bool operator==(const FontRequest&, const FontRequest&) = default;
};

// A read-only look at a device-independent bitmap: rows bottom-up, `stride` bytes each, 24 bits (blue,
// green, red) or 8 bits with a 256-entry table of blue, green, red, 0 quads.
struct DibView {
    int32_t width = 0;
    int32_t height = 0;
    int bitCount = 24;
    int32_t stride = 0;
    const uint8_t* bits = nullptr;
    const uint8_t* colorTable = nullptr;
};

// What text and images are drawn on: a window, an image in memory or a recording fake. Strings are
// Windows-1252 bytes, as the model keeps them.
class DeviceContext {
  public:
    virtual ~DeviceContext() = default;

    // Creates a font from the request and selects it; it stays until the next SelectFont.
    virtual void SelectFont(const FontRequest& request) = 0;
    virtual FontRequest SelectedFont() const = 0;
    // Extent of the string on one line in the selected font; cy is the font's line height even for "".
    virtual Size MeasureText(std::string_view text) = 0;
    // Names the way this context measures when its measurements depend on nothing but the selected font:
    // every context with the same key measures every string in every font alike, so a layout found on one
    // holds on the others. Nothing when they depend on the context itself.
    virtual std::optional<uint64_t> MeasuringKey() const { return std::nullopt; }
    // The advance of one character in the selected font, when the context can tell it far more cheaply
    // than MeasureText; negative when it cannot (the default). The sum over a string is only a guess at
    // its measure: a layout lets it choose which lengths to measure and then measures those, so a guess
    // that is a little off costs a measure or two more, never a different layout.
    virtual double CharacterAdvance(uint8_t character) { return -1; }
    virtual void SetTextColor(uint32_t colorref) = 0;  // 0x00BBGGRR
    virtual uint32_t TextColor() const = 0;
    virtual void SetTransparentBackground(bool transparent) = 0;
    virtual bool TransparentBackground() const = 0;
    // Draws one line of text with its top-left corner at (x, y), clipped to `clip`.
    virtual void DrawTextLine(int32_t x, int32_t y, std::string_view text, const Rect& clip) = 0;

    // Copies the source rectangle (top-down coordinates of the DIB) into the destination rectangle,
    // scaling when the sizes differ (colour-on-colour: nearest pixel).
    virtual void StretchDib(const DibView& dib, const Rect& destination, const Rect& source) = 0;
    // The area that drawing can reach.
    virtual Rect ClipBox() const = 0;
};

// The deterministic device context of the algorithm tests: every character advances `advance` units and
// every line is `lineHeight` high, whatever the font. Drawing is recorded, not rendered.
class FakeDeviceContext : public DeviceContext {
  public:
    FakeDeviceContext(int32_t advance = 10, int32_t lineHeight = 15)
        : advance_(advance), lineHeight_(lineHeight) {}

    struct DrawnLine {
        int32_t x, y;
        std::string text;
        uint32_t colour;
        FontRequest font;
    };
    struct DrawnDib {
        Rect destination, source;
        int32_t width, height;
    };

    void SelectFont(const FontRequest& request) override {
        font_ = request;
        ++fontsSelected;
    }
    FontRequest SelectedFont() const override { return font_; }
    Size MeasureText(std::string_view text) override {
        ++measurements;
        return {static_cast<int32_t>(text.size()) * advance_, lineHeight_};
    }
    void SetTextColor(uint32_t colorref) override { colour_ = colorref; }
    uint32_t TextColor() const override { return colour_; }
    void SetTransparentBackground(bool transparent) override { transparent_ = transparent; }
    bool TransparentBackground() const override { return transparent_; }
    void DrawTextLine(int32_t x, int32_t y, std::string_view text, const Rect&) override {
        lines.push_back({x, y, std::string(text), colour_, font_});
    }
    void StretchDib(const DibView& dib, const Rect& destination, const Rect& source) override {
        dibs.push_back({destination, source, dib.width, dib.height});
    }
    Rect ClipBox() const override { return clip; }

    std::vector<DrawnLine> lines;
    std::vector<DrawnDib> dibs;
    int fontsSelected = 0;
    int measurements = 0;
    Rect clip{0, 0, 640, 480};

  private:
    int32_t advance_;
    int32_t lineHeight_;
    FontRequest font_;
    uint32_t colour_ = 0;
    bool transparent_ = false;
};

// Where the screen device contexts come from (the text element measures on one). Programs with a window
// install the Qt backend; without one, a fake with the metrics above serves.
class ScreenContextFactory {
  public:
    virtual ~ScreenContextFactory() = default;
    virtual std::unique_ptr<DeviceContext> CreateScreenContext() = 0;
};
ScreenContextFactory& ScreenContexts();
void SetScreenContextFactory(ScreenContextFactory* factory);

}  // namespace platform
