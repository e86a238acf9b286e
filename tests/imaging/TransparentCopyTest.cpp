#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/Dib.h"
#include "tests/imaging/ImageTestUtil.h"
#include "tests/support/Pixels.h"

using namespace imaging_test;
using namespace test_support;

namespace {

constexpr uint32_t kKey = 0x30A0C5;  // red 0x30, green 0xA0, blue 0xC5
const int32_t kWidths[] = {1, 2, 3, 5, 15, 16, 17, 31, 32, 33, 47, 48, 49, 64, 65};

// The block copy written out plainly: rows from the bottom of the block up, pixels from the left, each
// read through GetPixelAddress just before it is written, and skipped outside either image. `source`
// null copies within the result itself.
CDIB ReferenceCopy(const CDIB* source, const CDIB& destination, int32_t dx, int32_t dy, int32_t w, int32_t h,
                   int32_t sx, int32_t sy, uint32_t transparent) {
    CDIB result = destination;
    const CDIB& from = source ? *source : result;
    const int bpp = destination.GetBitCount() / 8;
    for (int32_t row = h - 1; row >= 0; --row)
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t* in = from.GetPixelAddress(sx + x, sy + row);
            uint8_t* out = result.GetPixelAddress(dx + x, dy + row);
            if (!in || !out) continue;
            const uint32_t value = bpp == 1 ? in[0] : FromMemory(in);
            if (transparent != 0xFFFFFFFF && value == (bpp == 1 ? (transparent & 0xFF) : transparent))
                continue;
            std::memmove(out, in, bpp);
        }
    return result;
}

// Every byte of both pixel blocks, padding included: a fast path must not touch what it has no pixel for.
void ExpectSameBytes(const CDIB& actual, const CDIB& expected) {
    ASSERT_EQ(actual.GetStorageWidth(), expected.GetStorageWidth());
    ASSERT_EQ(actual.GetHeight(), expected.GetHeight());
    const size_t size = static_cast<size_t>(actual.GetStorageWidth()) * actual.GetHeight();
    for (size_t i = 0; i < size; ++i)
        ASSERT_EQ(actual.GetBits()[i], expected.GetBits()[i]) << "byte " << i << " of " << size;
}

// A destination whose every byte, padding included, differs from its neighbours and from the key.
CDIB Backdrop(int32_t width, int32_t height, int bytesPerPixel) {
    CDIB dib;
    dib.Create(width, height, bytesPerPixel);
    for (int32_t i = 0; i < dib.GetStorageWidth() * height; ++i)
        dib.GetBits()[i] = static_cast<uint8_t>(3 * i + 1);
    return dib;
}

// Copies `source` whole onto a backdrop of its size and compares with the plain copy.
void ExpectCopiedAsReference(const CDIB& source, uint32_t transparent) {
    const CDIB backdrop = Backdrop(source.GetWidth(), source.GetHeight(), source.GetBitCount() / 8);
    CDIB copied = backdrop;
    CDIB(source).CopyBits(&copied, 0, 0, source.GetWidth(), source.GetHeight(), 0, 0, transparent);
    ExpectSameBytes(copied, ReferenceCopy(&source, backdrop, 0, 0, source.GetWidth(), source.GetHeight(), 0,
                                          0, transparent));
}

// A one-row 24-bit image of `width` pixels of `fill`, with `odd` at `at`.
CDIB Row24(int32_t width, uint32_t fill, int32_t at, uint32_t odd) {
    CDIB dib;
    dib.Create(width, 1, 3);
    FillRect(dib, 0, 0, width, 1, fill);
    SetPixel(dib, at, 0, odd);
    return dib;
}

}  // namespace

TEST(TransparentCopy, EveryPositionOfAKeyPixelInAnOpaqueRunAndTheReverse) {
    for (int32_t width : kWidths)
        for (int32_t at = 0; at < width; ++at) {
            SCOPED_TRACE(testing::Message() << "width " << width << ", pixel " << at);
            ExpectCopiedAsReference(Row24(width, 0x123456, at, kKey), kKey);  // one hole in a run
            ExpectCopiedAsReference(Row24(width, kKey, at, 0x123456), kKey);  // one pixel in a hole
        }
}

TEST(TransparentCopy, PixelsThatDifferFromTheKeyInOneChannelAreCopied) {
    // Each channel off by one, and the key's bytes in another order: none of them is the key.
    const uint32_t nearMisses[] = {kKey ^ 0x010000, kKey ^ 0x000100, kKey ^ 0x000001, 0xC5A030, 0xA0C530};
    for (int32_t width : kWidths)
        for (int32_t at = 0; at < width; ++at)
            for (uint32_t miss : nearMisses) {
                SCOPED_TRACE(testing::Message()
                             << "width " << width << ", pixel " << at << ", " << std::hex << miss);
                CDIB row = Row24(width, kKey, at, miss);
                const CDIB backdrop = Backdrop(width, 1, 3);
                CDIB copied = backdrop;
                row.CopyBits(&copied, 0, 0, width, 1, 0, 0, kKey);
                EXPECT_EQ(PixelAt(copied, at, 0), miss);
                ExpectSameBytes(copied, ReferenceCopy(&row, backdrop, 0, 0, width, 1, 0, 0, kKey));
            }
}

TEST(TransparentCopy, KeyBytesAcrossTwoPixelsAreNotTheKey) {
    // Pixels (b, g, r) = (0, 0, 0xC5) and (0xA0, 0x30, 0): the bytes C5 A0 30 of the key lie in memory
    // across the two, one byte off the pixel grid. Every pixel must be copied, at every alignment.
    for (int32_t width : kWidths)
        for (int32_t shift = 0; shift < 2; ++shift) {
            SCOPED_TRACE(testing::Message() << "width " << width << ", shift " << shift);
            CDIB row;
            row.Create(width, 1, 3);
            for (int32_t x = 0; x < width; ++x) SetPixel(row, x, 0, (x + shift) % 2 ? 0x0030A0 : 0xC50000);
            const CDIB backdrop = Backdrop(width, 1, 3);
            CDIB copied = backdrop;
            row.CopyBits(&copied, 0, 0, width, 1, 0, 0, kKey);
            for (int32_t x = 0; x < width; ++x) ASSERT_EQ(PixelAt(copied, x, 0), PixelAt(row, x, 0)) << x;
        }
}

TEST(TransparentCopy, SpriteShapesWithBordersAndRunsOfEveryLength) {
    // Rows whose transparent runs start and end everywhere: run lengths 1 to 20 alternating with opaque
    // runs of other lengths, shifted row by row, as the borders of buttons and the holes of shapes lie.
    for (int32_t width : kWidths) {
        SCOPED_TRACE(testing::Message() << "width " << width);
        CDIB sprite;
        sprite.Create(width, 24, 3);
        for (int32_t y = 0; y < 24; ++y) {
            int32_t x = -y, run = 1;
            bool see = y % 2 == 0;
            while (x < width) {
                for (int32_t i = std::max(0, x); i < std::min(width, x + run); ++i)
                    SetPixel(sprite, i, y, see ? kKey : static_cast<uint32_t>(0x010203 * (i + y + 1)));
                x += run;
                run = run % 20 + 1 + (see ? 3 : 0);
                see = !see;
            }
        }
        ExpectCopiedAsReference(sprite, kKey);
        ExpectCopiedAsReference(sprite, 0xFFFFFFFF);
        ExpectCopiedAsReference(sprite, 0x01000000);  // no pixel can be this: all are copied
    }
}

TEST(TransparentCopy, EightBitIndicesAtEveryPosition) {
    for (int32_t width : kWidths)
        for (int32_t at = 0; at < width; ++at) {
            SCOPED_TRACE(testing::Message() << "width " << width << ", pixel " << at);
            for (bool hole : {true, false}) {
                CDIB row;
                row.Create(width, 2, 1);
                for (int32_t x = 0; x < width; ++x) {
                    row.GetPixelAddress(x, 0)[0] = hole ? 9 : 0x42;
                    row.GetPixelAddress(x, 1)[0] = static_cast<uint8_t>(x % 3 ? 0x42 : x);
                }
                row.GetPixelAddress(at, 0)[0] = hole ? 0x42 : 9;
                // Only the low byte of the value counts for 8-bit images.
                ExpectCopiedAsReference(row, 0x77665542);
            }
        }
}

TEST(TransparentCopy, BlocksClippedAtEveryEdge) {
    const CDIB source = [] {
        CDIB dib = CoordinateImage(37, 21);
        FillRect(dib, 0, 0, 37, 3, kKey);
        FillRect(dib, 0, 0, 4, 21, kKey);
        FillRect(dib, 30, 5, 37, 9, kKey);
        return dib;
    }();
    const CDIB backdrop = Backdrop(40, 30, 3);
    const int32_t places[][2] = {{-20, -10}, {-3, 0},  {0, -15}, {10, 12},
                                 {25, 20},   {39, 29}, {-36, 5}, {3, 29}};
    for (const auto& place : places)
        for (int32_t sx : {0, 5})
            for (uint32_t transparent : {kKey, 0xFFFFFFFFu}) {
                SCOPED_TRACE(testing::Message() << "at " << place[0] << "," << place[1] << " from " << sx);
                CDIB copied = backdrop;
                CDIB(source).CopyBits(&copied, place[0], place[1], 37, 21, sx, 1, transparent);
                ExpectSameBytes(
                    copied, ReferenceCopy(&source, backdrop, place[0], place[1], 37, 21, sx, 1, transparent));
            }
}

TEST(TransparentCopy, WithinOneImageEachPixelIsReadBeforeTheOnesAfterItAreWritten) {
    // An image copied onto itself one pixel to the right and one row down: the plain walk, reading each
    // pixel as it comes, repeats the first pixel of each row along it; the fast paths must give the same.
    for (int32_t width : {5, 17, 33, 64}) {
        SCOPED_TRACE(testing::Message() << "width " << width);
        CDIB image = CoordinateImage(width, 6);
        FillRect(image, 2, 0, 4, 6, kKey);
        for (int32_t d : {1, -1}) {
            CDIB copied = image;
            copied.CopyBits(&copied, std::max(0, d), 1, width - 1, 4, std::max(0, -d), 0, kKey);
            ExpectSameBytes(copied, ReferenceCopy(nullptr, image, std::max(0, d), 1, width - 1, 4,
                                                  std::max(0, -d), 0, kKey));
        }
    }
}

TEST(TransparentCopy, WholeRowsMoveAsOneBlockButWithinOneImageRowByRow) {
    // Rows of 64 pixels have no padding, so a copy of whole rows between two images is one piece; within
    // one image, shifted a row up or down, the rows still go one by one from the bottom of the block.
    CDIB image = CoordinateImage(64, 9);
    const CDIB backdrop = Backdrop(64, 9, 3);
    CDIB copied = backdrop;
    image.CopyBits(&copied, 0, 2, 64, 6, 0, 1, 0xFFFFFFFF);
    ExpectSameBytes(copied, ReferenceCopy(&image, backdrop, 0, 2, 64, 6, 0, 1, 0xFFFFFFFF));
    for (int32_t d : {1, -1}) {
        SCOPED_TRACE(testing::Message() << "shifted by " << d);
        CDIB within = image;
        within.CopyBits(&within, 0, 2 + d, 64, 6, 0, 2, 0xFFFFFFFF);
        ExpectSameBytes(within, ReferenceCopy(nullptr, image, 0, 2 + d, 64, 6, 0, 2, 0xFFFFFFFF));
    }
}
