#pragma once

#include <cstdint>

#include "platform/DeviceContext.h"
#include "platform/Geometry.h"

// The drawing of the player's decorations over the card (the keyboard's focus ring, the outlines, the
// inspector): plain rectangles on any device context, in card pixels, so that they scale with the card.
namespace overlay {

// Fills `r` with one colour (0x00BBGGRR).
void FillRect(platform::DeviceContext& dc, const platform::Rect& r, uint32_t colorref);
// A frame `width` pixels thick just inside `r`.
void FrameRect(platform::DeviceContext& dc, const platform::Rect& r, int32_t width, uint32_t colorref);

}  // namespace overlay
