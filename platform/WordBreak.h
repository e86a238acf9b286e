#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/DeviceContext.h"
#include "platform/Geometry.h"

namespace platform {

// One line of word-broken text: the bytes [begin, end) of the laid-out string. The blank or line break
// that ended the line is not part of it.
struct TextLine {
    size_t begin = 0;
    size_t end = 0;
};

// The lines of a text laid out the way the Windows DrawText lays it out with word breaking and no prefix
// processing: CR LF (or a lone CR or LF) ends a paragraph; inside a paragraph a line takes as many
// blank-separated words as fit in `width` in the font selected on `dc`, and the blank at a break is
// dropped. A single word wider than the line is not split: it stands alone on its line and overflows.
// There is always at least one line, empty for an empty text. Drawing, line counting and scrolling all use
// this one layout, so that what scrolls is what is drawn.
std::vector<TextLine> WordBreakLayout(DeviceContext& dc, std::string_view text, int32_t width);

// The height of one line in the font selected on `dc`.
int32_t WordBreakLineHeight(DeviceContext& dc);

// Draws `lines` of `text`, starting with line `first`, into `rect`: the first drawn line at the top, each
// next one a line height lower, each clipped to the rectangle and to the device's clip box; lines that lie
// wholly outside these are not drawn.
void DrawWordBreakLines(DeviceContext& dc, std::string_view text, const std::vector<TextLine>& lines,
                        size_t first, const Rect& rect);

// Lays the text out for the rectangle's width and draws all of it (DrawText with word break, no prefix).
void DrawWordBreakText(DeviceContext& dc, std::string_view text, const Rect& rect);

}  // namespace platform
