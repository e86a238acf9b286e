#pragma once

#include <cstdint>

#include "imaging/Dib.h"

// Copies a w x h block from (sx, sy) of `source` to (dx, dy) of `destination`, top-down coordinates,
// skipping source pixels equal to `transparent` unless it is 0xFFFFFFFF. Same formats go through
// CDIB::CopyBits. An 8-bit source on a 24-bit destination (an 8-bit background or sprite over the
// true-colour back buffer) is expanded through the source's colour table, its transparent value being
// the low byte as for 8-bit images. Other mixes draw nothing. The block is clipped to both images.
void CopyBlock(CDIB& source, CDIB& destination, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx,
               int32_t sy, uint32_t transparent);
