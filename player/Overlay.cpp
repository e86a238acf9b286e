#include "player/Overlay.h"

namespace overlay {

void FillRect(platform::DeviceContext& dc, const platform::Rect& r, uint32_t colorref) {
    if (r.IsEmpty()) return;
    // One pixel of the colour, stretched: the device context draws images, and nearest-pixel scaling
    // of a single pixel fills the rectangle exactly.
    const uint8_t pixel[4] = {static_cast<uint8_t>(colorref >> 16), static_cast<uint8_t>(colorref >> 8),
                              static_cast<uint8_t>(colorref), 0};
    platform::DibView dib;
    dib.width = 1;
    dib.height = 1;
    dib.bitCount = 24;
    dib.stride = 4;
    dib.bits = pixel;
    dc.StretchDib(dib, r, {0, 0, 1, 1});
}

void FrameRect(platform::DeviceContext& dc, const platform::Rect& r, int32_t width, uint32_t colorref) {
    const platform::Rect n = r.Normalized();
    if (n.Width() <= 2 * width || n.Height() <= 2 * width) return FillRect(dc, n, colorref);
    FillRect(dc, {n.left, n.top, n.right, n.top + width}, colorref);
    FillRect(dc, {n.left, n.bottom - width, n.right, n.bottom}, colorref);
    FillRect(dc, {n.left, n.top + width, n.left + width, n.bottom - width}, colorref);
    FillRect(dc, {n.right - width, n.top + width, n.right, n.bottom - width}, colorref);
}

}  // namespace overlay
