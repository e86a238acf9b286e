#include "engine/BlockCopy.h"

namespace {

void ExpandRow(uint8_t* out, const uint8_t* in, int32_t w, const uint8_t* table, int colours,
               uint32_t transparent) {
    static const uint8_t kBlack[4] = {0, 0, 0, 0};
    const bool opaque = transparent == 0xFFFFFFFF;
    const uint8_t skip = static_cast<uint8_t>(transparent & 0xFF);
    for (int32_t x = 0; x < w; ++x, out += 3) {
        if (!opaque && in[x] == skip) continue;
        const uint8_t* quad = in[x] < colours ? table + 4 * in[x] : kBlack;
        out[0] = quad[0];
        out[1] = quad[1];
        out[2] = quad[2];
    }
}

}  // namespace

void CopyBlock(CDIB& source, CDIB& destination, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx,
               int32_t sy, uint32_t transparent) {
    // Sizes come from the headers: a phased sprite reports its cell size through GetWidth.
    if (!ClipBlockSpan(dx, sx, w, destination.CDIB::GetWidth(), source.CDIB::GetWidth())) return;
    if (!ClipBlockSpan(dy, sy, h, destination.CDIB::GetHeight(), source.CDIB::GetHeight())) return;
    if (source.GetBitCount() == destination.GetBitCount()) {
        source.CopyBits(&destination, dx, dy, w, h, sx, sy, transparent);
        return;
    }
    // The source is only read: its change mark stays.
    const CDIB& from = source;
    const uint8_t* table = from.GetColorTable();
    if (source.GetBitCount() != 8 || destination.GetBitCount() != 24 || !table) return;
    // A table shorter than 256 entries (as its header may say) shows the missing entries as black.
    const int colours = source.GetNumColors();
    for (int32_t row = 0; row < h; ++row) {
        const uint8_t* in = from.GetPixelAddress(sx, sy + row);
        uint8_t* out = destination.GetPixelAddress(dx, dy + row);
        if (in && out) ExpandRow(out, in, w, table, colours, transparent);
    }
}
