#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// A JFIF stream decoded in two parts at once: the rows from the top by one decoder, and the rows from the
// start of some row of blocks down by another. The entropy-coded data can only be entered where a restart
// marker lies (the decoder's state starts afresh there), so this serves streams whose restart markers fall
// at the start of rows of blocks: those this program writes, and those of many other writers.
namespace jpeg_parts {

// What the markers of a splittable stream tell: a baseline (or extended) sequential stream of one scan with
// every component, of 8-bit grey or of YCbCr whose chroma is not sampled finer than 2 by 2 luma.
struct Plan {
    uint32_t width = 0, height = 0;
    uint32_t blockRowHeight = 0;  // pixel rows in a row of blocks (MCUs)
    uint32_t blocksPerRow = 0;    // MCUs in such a row
    uint32_t restartInterval = 0;
    size_t scanStart = 0;          // the first byte after the start-of-scan segment
    size_t heightField = 0;        // where the frame header keeps the height
    size_t length = 0;             // through the end-of-image marker
    std::vector<size_t> restarts;  // the offset of every restart marker, in order

    // The rows of blocks from whose first row a part may start: those a restart interval begins with.
    bool CanStartAt(uint32_t blockRow) const;
};

// The plan of the stream at `begin` of `length` bytes (the end-of-image marker its last two), or nothing
// when it cannot be split: another kind of stream, no restart interval, or markers that do not add up.
std::optional<Plan> PlanOf(const uint8_t* begin, size_t length);

// A stream of the image's rows from the start of `blockRow` down: the headers with the height cut, and the
// entropy-coded data from the restart marker there on, its later markers numbered afresh.
std::vector<uint8_t> PartStream(const uint8_t* begin, const Plan& plan, uint32_t blockRow);

// Decodes the part of the image from `blockRow` down into the rows of a bottom-up 24-bit image of the
// whole size (`bits`, `stride`), keeping only the rows from `firstRow` on (firstRow > blockRow's first row:
// that first row is upsampled without the rows above it, so it is the other part's to make). False when
// the part does not decode cleanly, warnings included.
bool DecodePart(const uint8_t* begin, const Plan& plan, uint32_t blockRow, uint32_t firstRow, uint8_t* bits,
                size_t stride);

}  // namespace jpeg_parts
