#pragma once

#include <QFont>
#include <QImage>
#include <memory>

#include "platform/DeviceContext.h"

class QPainter;
class QPaintDevice;

namespace platform {

// A device context that draws through QPainter. On a paint device (an image, a widget while it paints)
// each drawing call opens its own painter; given a painter (inside a paintEvent), it draws through that
// one. Measuring needs neither.
class QtDeviceContext : public DeviceContext {
  public:
    explicit QtDeviceContext(QPaintDevice& device);
    explicit QtDeviceContext(QPainter& painter);

    void SelectFont(const FontRequest& request) override;
    FontRequest SelectedFont() const override { return request_; }
    Size MeasureText(std::string_view text) override;
    // Measuring takes the font's own metrics, whatever the device: one key for every Qt context.
    std::optional<uint64_t> MeasuringKey() const override { return 0x5174; }
    // The character's advance in the font, measured once for every context that selects the font.
    double CharacterAdvance(uint8_t character) override;
    void SetTextColor(uint32_t colorref) override { textColour_ = colorref; }
    uint32_t TextColor() const override { return textColour_; }
    void SetTransparentBackground(bool transparent) override { transparent_ = transparent; }
    bool TransparentBackground() const override { return transparent_; }
    void DrawTextLine(int32_t x, int32_t y, std::string_view text, const Rect& clip) override;
    void StretchDib(const DibView& dib, const Rect& destination, const Rect& source) override;
    Rect ClipBox() const override;

    // The colour that fills behind the text when the background is not transparent (white at first).
    void SetBackgroundColor(uint32_t colorref) { backgroundColour_ = colorref; }
    uint32_t BackgroundColor() const { return backgroundColour_; }
    // The Qt font that stands for the selected request.
    const QFont& Font() const { return font_; }
    // The line height that measuring reports: the requested cell height for a positive request (the
    // platform's font mapper always gave exactly that, and text layout counts lines by it), else the
    // font's ascent plus descent.
    int32_t LineHeight() const { return lineHeight_; }

  private:
    template <typename Draw>
    void Paint(Draw&& draw);
    // StretchDib at the DIB's own size, source = destination + (dx, dy): the card's buffer shown on its
    // window on every paint. Converts whole rows at once; false, with nothing drawn, when `visible` does
    // not lie wholly inside the DIB.
    bool CopyDibRows(const DibView& dib, const Rect& visible, int32_t dx, int32_t dy);

    struct CharacterAdvances;
    static std::shared_ptr<CharacterAdvances> AdvancesFor(const FontRequest& request);

    QPaintDevice* device_ = nullptr;
    QPainter* painter_ = nullptr;
    FontRequest request_;
    QFont font_;
    int32_t lineHeight_ = 0;
    std::shared_ptr<CharacterAdvances> advances_;  // of the selected font, looked up when first asked
    uint32_t textColour_ = 0;
    uint32_t backgroundColour_ = 0x00FFFFFF;
    bool transparent_ = false;
};

namespace detail {
struct ImageHolder {
    explicit ImageHolder(QImage image) : image(std::move(image)) {}
    QImage image;
};
}  // namespace detail

// A device context on an image of its own (32-bit RGB, white at first).
class QtImageDeviceContext : private detail::ImageHolder, public QtDeviceContext {
  public:
    QtImageDeviceContext(int width, int height);
    QImage& Image() { return image; }
    const QImage& Image() const { return image; }
};

// The font that the Windows font mapper would give for the request: the face (Windows-1252) or its
// metric-compatible stand-in, a pixel size chosen so that a positive height is the cell height (ascent
// plus descent) and a negative height the character height (the em size), 16 pixels of cell for 0.
// Qt sizes fonts in whole pixels and rounds ascent and descent apart, so for some positive heights the
// nearest font's cell is one pixel short; the largest font whose cell does not exceed the request is
// chosen.
QFont QtFontForRequest(const FontRequest& request);
// The line height of a request served by `font` (see QtDeviceContext::LineHeight).
int32_t LineHeightForRequest(const FontRequest& request, const QFont& font);

// The DIB as a top-down 32-bit image; a null image when the view is not a valid 8- or 24-bit DIB.
QImage DibViewToQImage(const DibView& dib);
// Writes the part `source` of the DIB (top-down coordinates) into the top left of `image`, a 32-bit image
// at least that large, pixel for pixel. False, writing nothing, when the part does not lie wholly inside
// the DIB or the image.
bool CopyDibInto(const DibView& dib, const Rect& source, QImage& image);

// Screen device contexts for measuring: each one draws on a small image of its own.
class QtScreenContextFactory : public ScreenContextFactory {
  public:
    std::unique_ptr<DeviceContext> CreateScreenContext() override;
};

}  // namespace platform
