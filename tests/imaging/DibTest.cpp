#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <utility>
#include <vector>

#include "archive/Archive.h"
#include "imaging/Dib.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "tests/imaging/ImageTestUtil.h"
#include "tests/support/Bytes.h"
#include "tests/support/Pixels.h"
#include "tests/support/ScratchFolder.h"

using namespace imaging_test;
using namespace test_support;

TEST(Dib, DefaultIsBlack16x16TrueColour) {
    CDIB dib;
    EXPECT_EQ(dib.GetWidth(), 16);
    EXPECT_EQ(dib.GetHeight(), 16);
    EXPECT_EQ(dib.GetBitCount(), 24);
    EXPECT_EQ(dib.GetRect(), (platform::Rect{0, 0, 16, 16}));
    for (int i = 0; i < 16 * 48; ++i) ASSERT_EQ(dib.GetBits()[i], 0);
}

namespace {

// An image whose pixels are put off and then cannot be made, as when memory runs out at their first use.
class Undecodable : public CDIB {
  public:
    explicit Undecodable(int32_t width, int32_t height) {
        BITMAPINFOHEADER header;
        header.biWidth = width;
        header.biHeight = height;
        const uint8_t* raw = reinterpret_cast<const uint8_t*>(&header);
        DeferPixels(std::vector<uint8_t>(raw, raw + sizeof header));
    }
    mutable int attempts = 0;

  protected:
    bool DecodeDeferredPixels(uint8_t*, size_t) const override {
        ++attempts;
        return false;
    }
};

// An image whose put-off rows are made from the top in steps, each row grey at its own number, until the
// row `failingRow`, which cannot be made.
class MadeInSteps : public CDIB {
  public:
    MadeInSteps(int32_t height, int32_t failingRow) : failingRow_(failingRow) {
        BITMAPINFOHEADER header;
        header.biWidth = 2;
        header.biHeight = height;
        const uint8_t* raw = reinterpret_cast<const uint8_t*>(&header);
        DeferPixels(std::vector<uint8_t>(raw, raw + sizeof header));
    }
    mutable std::vector<std::pair<int32_t, int32_t>> steps;

  protected:
    bool DecodesRowsInSteps() const override { return true; }
    bool DecodeDeferredRows(uint8_t* bits, size_t stride, int32_t from, int32_t to) const override {
        steps.emplace_back(from, to);
        if (to > failingRow_) return false;
        for (int32_t y = from; y < to; ++y)
            std::memset(bits + static_cast<size_t>(CDIB::GetHeight() - 1 - y) * stride, y, stride);
        return true;
    }

  private:
    int32_t failingRow_;
};

}  // namespace

TEST(Dib, RowsMadeInStepsFromTheTopAndTheirFailure) {
    using Steps = std::vector<std::pair<int32_t, int32_t>>;
    MadeInSteps image(6, 99);
    EXPECT_EQ(std::as_const(image).GetPixelAddress(1, 1)[0], 1);
    EXPECT_EQ(std::as_const(image).GetPixelAddress(0, 3)[2], 3);
    EXPECT_EQ(std::as_const(image).GetPixelAddress(0, 2)[0], 2) << "a row made already";
    EXPECT_EQ(std::as_const(image).GetPixelAddress(0, 6), nullptr) << "outside: nothing is made";
    EXPECT_TRUE(image.PixelsDeferred());
    EXPECT_EQ(image.GetBits()[0], 5) << "the bottom row lies first";
    EXPECT_EQ(image.steps, (Steps{{0, 2}, {2, 4}, {4, 6}}));

    // A step that fails leaves no pixels at all, as a failed whole decoding does, and is not tried again.
    MadeInSteps failing(6, 4);
    failing.DecodeTopRows(3);
    EXPECT_EQ(failing.TopRowsMade(), 3);
    EXPECT_EQ(std::as_const(failing).GetPixelAddress(0, 4), nullptr);
    EXPECT_FALSE(failing.PixelsDeferred());
    EXPECT_EQ(failing.TopRowsMade(), 0);
    EXPECT_EQ(std::as_const(failing).GetPixelAddress(0, 0), nullptr) << "the rows made before went too";
    EXPECT_EQ(failing.GetBits(), nullptr);
    EXPECT_EQ(failing.steps, (Steps{{0, 3}, {3, 5}}));
    // A new image replaces it whole.
    ASSERT_TRUE(failing.Create(2, 2, 3));
    EXPECT_EQ(failing.TopRowsMade(), 2);
}

TEST(Dib, PixelsThatCannotBeMadeLeaveTheImageSizedButWithoutPixels) {
    Undecodable image(5, 3);
    EXPECT_TRUE(image.PixelsDeferred());
    EXPECT_EQ(image.GetWidth(), 5);
    EXPECT_EQ(image.GetStorageWidth(), 16);
    EXPECT_EQ(image.attempts, 0) << "the size needs no pixels";
    EXPECT_EQ(std::as_const(image).GetPixelAddress(0, 0), nullptr);
    EXPECT_EQ(image.attempts, 1);
    // Tried once: every later use finds no pixels at once, and nothing draws or copies from them.
    EXPECT_EQ(image.GetBits(), nullptr);
    EXPECT_EQ(image.View().bits, nullptr);
    CDIB destination;
    ASSERT_TRUE(destination.Create(5, 3, 3));
    FillRect(destination, 0, 0, 5, 3, 0x123456);
    image.CopyBits(&destination, 0, 0, 5, 3, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(PixelAt(destination, 4, 2), 0x123456u);
    image.CopyBits(&destination, 0, 0, 5, 3, 0, 0, 0);
    EXPECT_EQ(PixelAt(destination, 0, 0), 0x123456u);
    destination.CopyBits(&image, 0, 0, 5, 3, 0, 0, 0xFFFFFFFF);
    EXPECT_FALSE(image.Resize(2, 2));
    EXPECT_FALSE(image.ConvertTo24());
    platform::MemoryFile file;
    EXPECT_FALSE(image.Write(file));
    EXPECT_EQ(image.attempts, 1);
    // A new image replaces it whole.
    ASSERT_TRUE(image.Create(2, 2, 3));
    EXPECT_NE(image.GetBits(), nullptr);
}

// A buffer made black at its first use: a copy that replaces all of it makes no black first, any other use
// finds black, and a copy from an image without pixels leaves it black.
TEST(Dib, BlackOnFirstUseUnlessAWholeCopyReplacesIt) {
    CDIB source;
    ASSERT_TRUE(source.Create(8, 4, 3));
    FillRect(source, 0, 0, 8, 4, 0x102030);
    FillRect(source, 2, 1, 3, 2, 0xFF00FF);
    for (const bool opaque : {true, false}) {
        CDIB buffer;
        ASSERT_TRUE(buffer.CreateBlackOnFirstUse(8, 4));
        EXPECT_EQ(buffer.GetWidth(), 8);
        source.CopyBits(&buffer, -3, 0, 20, 9, -3, 0, opaque ? 0xFFFFFFFF : 0xFF00FF);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 8; ++x) {
                const bool hole = !opaque && x == 2 && y == 1;
                ASSERT_EQ(PixelAt(buffer, x, y), hole ? 0u : PixelAt(source, x, y)) << x << "," << y;
            }
    }
    // A copy of part of it, a buffer with row padding, and a buffer only read.
    CDIB part, padded, read;
    ASSERT_TRUE(part.CreateBlackOnFirstUse(8, 4));
    source.CopyBits(&part, 0, 0, 8, 3, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(PixelAt(part, 7, 2), 0x102030u);
    EXPECT_EQ(PixelAt(part, 7, 3), 0u);
    ASSERT_TRUE(padded.CreateBlackOnFirstUse(5, 2));
    source.CopyBits(&padded, 0, 0, 5, 2, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(PixelAt(padded, 4, 1), 0x102030u);
    EXPECT_EQ(padded.GetBits()[15], 0) << "row padding is black";
    ASSERT_TRUE(read.CreateBlackOnFirstUse(3, 3));
    EXPECT_EQ(PixelAt(read, 2, 2), 0u);
    EXPECT_FALSE(read.CreateBlackOnFirstUse(0, 3));
    EXPECT_FALSE(read.HasImage());
    // Nothing to copy: the buffer stays black.
    Undecodable broken(8, 4);
    CDIB kept;
    ASSERT_TRUE(kept.CreateBlackOnFirstUse(8, 4));
    broken.CopyBits(&kept, 0, 0, 8, 4, 0, 0, 0xFFFFFFFF);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 8; ++x) ASSERT_EQ(PixelAt(kept, x, y), 0u);
}

TEST(Dib, TheDefaultImageMakesItsBlackPixelsWhenTheyAreFirstUsed) {
    CDIB dib;
    EXPECT_TRUE(dib.PixelsDeferred());
    const uint64_t mark = dib.ChangeMark();
    EXPECT_EQ(PixelAt(dib, 15, 15), 0u);
    EXPECT_FALSE(dib.PixelsDeferred());
    EXPECT_EQ(dib.ChangeMark(), mark) << "making the pixels changes nothing in them";
    // A copy of a default image made before its pixels is black too.
    CDIB other;
    CDIB copy(other);
    EXPECT_EQ(PixelAt(copy, 3, 4), 0u);
}

TEST(Dib, StrideRuleAndPixelAddresses) {
    CDIB dib;
    ASSERT_TRUE(dib.Create(3, 2, 3));
    EXPECT_EQ(dib.GetStorageWidth(), 12);
    EXPECT_EQ(dib.GetPixelAddress(3, 0), nullptr);
    EXPECT_EQ(dib.GetPixelAddress(0, 2), nullptr);
    EXPECT_EQ(dib.GetPixelAddress(-1, 0), nullptr);
    // Rows are bottom-up: the top row is the last one in memory.
    EXPECT_EQ(dib.GetPixelAddress(1, 0), dib.GetBits() + 3 + 12);
    EXPECT_EQ(dib.GetPixelAddress(2, 1), dib.GetBits() + 6);

    ASSERT_TRUE(dib.Create(5, 1, 1));
    EXPECT_EQ(dib.GetBitCount(), 8);
    EXPECT_EQ(dib.GetStorageWidth(), 8);
    EXPECT_EQ(dib.GetNumColors(), 256);
    EXPECT_EQ(dib.GetColorTable()[4 * 200], 200);  // grey ramp
}

TEST(Dib, CreateRefusesSizesBeyondTheLimitsAndLeavesNoImage) {
    CDIB dib;
    EXPECT_FALSE(dib.Create(kMaxImageSide + 1, 1, 3));
    EXPECT_FALSE(dib.HasImage());
    EXPECT_FALSE(dib.Create(16384, 16384, 3));  // 768 MiB of pixels
    EXPECT_FALSE(dib.Create(0, 5, 3));
    EXPECT_TRUE(ImageSizeAcceptable(16384, 16384, 8));
    EXPECT_FALSE(ImageSizeAcceptable(16384, 16385, 8));
}

TEST(Dib, ColourCountOfHeaders) {
    BITMAPINFOHEADER h;
    h.biBitCount = 8;
    EXPECT_EQ(CDIB::GetNumColors(h), 256);
    h.biClrUsed = 17;
    EXPECT_EQ(CDIB::GetNumColors(h), 17);
    h.biBitCount = 4;
    h.biClrUsed = 0;
    EXPECT_EQ(CDIB::GetNumColors(h), 16);
    h.biBitCount = 24;
    EXPECT_EQ(CDIB::GetNumColors(h), 0);
    // An OS/2 core header keeps its bit count at offset 10 and has no colour-count field: neither the
    // Windows bit count nor biClrUsed (which lie beyond its 12 bytes) count.
    BITMAPINFOHEADER core;
    core.biSize = 12;
    core.biBitCount = 24;
    core.biClrUsed = 5;
    uint8_t* raw = reinterpret_cast<uint8_t*>(&core);
    raw[10] = 4, raw[11] = 0;
    EXPECT_EQ(CDIB::GetNumColors(core), 16);
    raw[10] = 8;
    EXPECT_EQ(CDIB::GetNumColors(core), 256);
}

TEST(Dib, CopyBitsOpaqueCopiesEverythingTransparentSkipsExactlyTheKey) {
    CDIB source = CoordinateImage(4, 4);
    SetPixel(source, 1, 1, 0, 0, 0);
    SetPixel(source, 2, 2, 0, 0, 1);  // nearly black, must be copied
    CDIB destination;
    destination.Create(4, 4, 3);
    destination.Fill(0x00FFFFFF);
    source.CopyBits(&destination, 0, 0, 4, 4, 0, 0, 0xFFFFFFFF);
    EXPECT_TRUE(SamePixels(source, destination));

    destination.Fill(0x00FFFFFF);
    source.CopyBits(&destination, 0, 0, 4, 4, 0, 0, 0x000000);
    EXPECT_EQ(GetPixel(destination, 1, 1), (Rgb{255, 255, 255}));
    EXPECT_EQ(GetPixel(destination, 2, 2), (Rgb{0, 0, 1}));
    EXPECT_EQ(GetPixel(destination, 3, 0), GetPixel(source, 3, 0));

    // The key packs red in the high byte: (r << 16) | (g << 8) | b.
    destination.Fill(0);
    source.CopyBits(&destination, 0, 0, 4, 4, 0, 0, (3u << 16) | (0u << 8) | 3u);
    EXPECT_EQ(GetPixel(destination, 3, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(GetPixel(destination, 2, 0), GetPixel(source, 2, 0));
}

TEST(Dib, CopyBitsEightBitComparesTheLowByte) {
    CDIB source, destination;
    source.Create(3, 1, 1);
    destination.Create(3, 1, 1);
    uint8_t* s = source.GetPixelAddress(0, 0);
    s[0] = 7, s[1] = 8, s[2] = 9;
    std::memset(destination.GetPixelAddress(0, 0), 1, 3);
    source.CopyBits(&destination, 0, 0, 3, 1, 0, 0, 0x12345608);
    const uint8_t* d = destination.GetPixelAddress(0, 0);
    EXPECT_EQ(d[0], 7);
    EXPECT_EQ(d[1], 1);
    EXPECT_EQ(d[2], 9);
}

TEST(Dib, CopyBitsClipsToBothImages) {
    CDIB source = CoordinateImage(4, 4);
    CDIB destination;
    destination.Create(4, 4, 3);
    destination.Fill(0x00FFFFFF);
    // Half over the bottom-right edge of the destination.
    source.CopyBits(&destination, 2, 2, 4, 4, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(GetPixel(destination, 1, 1), (Rgb{255, 255, 255}));
    EXPECT_EQ(GetPixel(destination, 2, 2), GetPixel(source, 0, 0));
    EXPECT_EQ(GetPixel(destination, 3, 3), GetPixel(source, 1, 1));
    // Starting left of and above the destination: the visible part comes from further in the source.
    destination.Fill(0x00FFFFFF);
    source.CopyBits(&destination, -1, -2, 3, 3, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(GetPixel(destination, 0, 0), GetPixel(source, 1, 2));
    EXPECT_EQ(GetPixel(destination, 1, 0), GetPixel(source, 2, 2));
    EXPECT_EQ(GetPixel(destination, 2, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(GetPixel(destination, 0, 1), (Rgb{255, 255, 255}));
    // A block reaching past the source, and one entirely outside, change nothing they should not.
    CDIB before = destination;
    source.CopyBits(&destination, 0, 0, 100, 100, 3, 3, 0);
    EXPECT_EQ(GetPixel(destination, 0, 0), GetPixel(source, 3, 3));
    EXPECT_EQ(GetPixel(destination, 1, 0), GetPixel(before, 1, 0));
    before = destination;
    source.CopyBits(&destination, 10, 10, 4, 4, 0, 0, 0xFFFFFFFF);
    source.CopyBits(&destination, 0, 0, 4, 4, -10, 0, 0xFFFFFFFF);
    EXPECT_TRUE(SamePixels(before, destination));
}

TEST(Dib, BlockSpansClipToBothImagesEvenAtTheEdgesOfTheIntegerRange) {
    struct Span {
        int32_t d, s, n;
        bool operator==(const Span&) const = default;
    };
    auto clip = [](Span span, int32_t destinationSize, int32_t sourceSize) {
        return ClipBlockSpan(span.d, span.s, span.n, destinationSize, sourceSize) ? span : Span{-7, -7, -7};
    };
    const Span none{-7, -7, -7};
    EXPECT_EQ(clip({2, 0, 4}, 4, 4), (Span{2, 0, 2}));
    EXPECT_EQ(clip({-1, 0, 3}, 4, 4), (Span{0, 1, 2}));  // both starts move together
    EXPECT_EQ(clip({0, -3, 5}, 4, 4), (Span{3, 0, 1}));
    EXPECT_EQ(clip({0, 3, 100}, 4, 4), (Span{0, 3, 1}));
    EXPECT_EQ(clip({4, 0, 1}, 4, 4), none);
    EXPECT_EQ(clip({0, -10, 4}, 4, 4), none);
    EXPECT_EQ(clip({0, 0, 0}, 4, 4), none);
    EXPECT_EQ(clip({0, 0, -5}, 4, 4), none);
    // Starts and lengths that would overflow 32 bits on the way.
    EXPECT_EQ(clip({INT32_MIN, 0, INT32_MAX}, 640, 16), none);
    EXPECT_EQ(clip({INT32_MAX, 0, INT32_MAX}, 640, 16), none);
    EXPECT_EQ(clip({-5, INT32_MIN, INT32_MAX}, 640, 16), none);
    EXPECT_EQ(clip({0, 0, INT32_MAX}, 640, 16), (Span{0, 0, 16}));
    EXPECT_EQ(clip({-2147483000, -2147483000, INT32_MAX}, 640, 700), (Span{0, 0, 640}));
    // A refused span leaves the values as they were.
    int32_t d = 9, s = 1, n = 3;
    EXPECT_FALSE(ClipBlockSpan(d, s, n, 4, 4));
    EXPECT_EQ(d, 9);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(n, 3);
}

TEST(Dib, ResizeHalfTakesEverySecondPixelFromTheTopLeft) {
    CDIB dib = CoordinateImage(640, 480);
    CDIB original = dib;
    ASSERT_TRUE(dib.ResizePercent(50));
    ASSERT_EQ(dib.GetWidth(), 320);
    ASSERT_EQ(dib.GetHeight(), 240);
    EXPECT_EQ(dib.GetHeader()->biSizeImage, 240u * 960u);
    for (int32_t y = 0; y < 240; y += 7)
        for (int32_t x = 0; x < 320; x += 5) ASSERT_EQ(GetPixel(dib, x, y), GetPixel(original, 2 * x, 2 * y));
    ASSERT_TRUE(dib.ResizePercent(0));
    EXPECT_EQ(dib.GetWidth(), 320);
    EXPECT_FALSE(dib.ResizePercent(100));
    EXPECT_EQ(dib.GetWidth(), 320);
}

TEST(Dib, ResizeThirdsAccumulateTheRemainder) {
    // 10 -> 4: quotient 1, remainder 2; positions 0, 2, 5, 7.
    CDIB dib = CoordinateImage(10, 1);
    ASSERT_TRUE(dib.Resize(4, 1));
    EXPECT_EQ(GetPixel(dib, 0, 0).r, 0);
    EXPECT_EQ(GetPixel(dib, 1, 0).r, 2);
    EXPECT_EQ(GetPixel(dib, 2, 0).r, 5);
    EXPECT_EQ(GetPixel(dib, 3, 0).r, 7);
}

TEST(Dib, EnlargingRepeatsPixelsInsteadOfReadingPastTheImage) {
    CDIB dib = CoordinateImage(3, 2);
    ASSERT_TRUE(dib.Resize(6, 4));
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            Rgb p = GetPixel(dib, x, y);
            EXPECT_EQ(p.r, x / 2);
            EXPECT_EQ(p.g, y / 2);
        }
    EXPECT_TRUE(dib.ResizePercent(-100));  // percentages below 0 enlarge
    EXPECT_EQ(dib.GetWidth(), 12);
}

namespace {

// Nearest-neighbour resampling written out plainly, one pixel at a time through GetPixelAddress. The
// stepping rule of Resize (steps of 1 + quotient, one more whenever the remainders add up to the new
// size) lands destination pixel i on source pixel floor(i * old / new), which is what this takes.
CDIB ReferenceResize(const CDIB& source, int32_t width, int32_t height) {
    CDIB result;
    result.Create(width, height, source.GetBitCount() / 8);
    const int bpp = source.GetBitCount() / 8;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int32_t sx = static_cast<int32_t>(int64_t{x} * source.GetWidth() / width);
            const int32_t sy = static_cast<int32_t>(int64_t{y} * source.GetHeight() / height);
            std::memcpy(result.GetPixelAddress(x, y), source.GetPixelAddress(sx, sy), bpp);
        }
    return result;
}

// An image of the given depth whose bytes, padding included, all differ from their neighbours.
CDIB PatternImage(int32_t width, int32_t height, int bytesPerPixel) {
    CDIB dib;
    dib.Create(width, height, bytesPerPixel);
    for (int32_t i = 0; i < dib.GetStorageWidth() * height; ++i)
        dib.GetBits()[i] = static_cast<uint8_t>(7 * i + 1);
    if (bytesPerPixel == 1)
        for (int i = 0; i < 1024; ++i) dib.GetColorTable()[i] = static_cast<uint8_t>(255 - i);
    return dib;
}

// Every byte the resized image holds, header and colour table included, against the reference.
void ExpectSameAsReference(const CDIB& resized, const CDIB& original, int32_t width, int32_t height) {
    CDIB reference = ReferenceResize(original, width, height);
    ASSERT_EQ(resized.GetWidth(), width);
    ASSERT_EQ(resized.GetHeight(), height);
    ASSERT_EQ(resized.GetBitCount(), original.GetBitCount());
    ASSERT_EQ(resized.GetStorageWidth(), reference.GetStorageWidth());
    const size_t size = static_cast<size_t>(reference.GetStorageWidth()) * height;
    EXPECT_EQ(resized.GetHeader()->biSizeImage, size);
    EXPECT_EQ(std::memcmp(resized.GetBits(), reference.GetBits(), size), 0);
    ASSERT_EQ(resized.GetNumColors(), original.GetNumColors());
    if (original.GetColorTable()) {
        EXPECT_EQ(std::memcmp(resized.GetColorTable(), original.GetColorTable(), 4 * original.GetNumColors()),
                  0);
    }
}

}  // namespace

TEST(Dib, ResizeGivesTheBytesOfPlainPixelByPixelResampling) {
    const int32_t sides[] = {1, 2, 3, 5, 17};
    for (int bpp : {1, 3})
        for (int32_t fromWidth : sides)
            for (int32_t fromHeight : {1, 4, 9})
                for (int32_t toWidth : sides)
                    for (int32_t toHeight : {1, 2, 7, 13}) {
                        SCOPED_TRACE(testing::Message()
                                     << bpp * 8 << " bits, " << fromWidth << "x" << fromHeight << " to "
                                     << toWidth << "x" << toHeight);
                        const CDIB original = PatternImage(fromWidth, fromHeight, bpp);
                        CDIB dib = original;
                        ASSERT_TRUE(dib.Resize(toWidth, toHeight));
                        ExpectSameAsReference(dib, original, toWidth, toHeight);
                    }
}

TEST(Dib, ResizePercentGivesTheBytesOfPlainResamplingOfItsSize) {
    for (int bpp : {1, 3})
        for (int32_t side : {1, 2, 3, 5, 17, 100})
            for (int percent : {0, 10, 33, 50, 75, 99, -1, -50, -100, -250}) {
                SCOPED_TRACE(testing::Message()
                             << bpp * 8 << " bits, " << side << "x" << side + 3 << ", " << percent << "%");
                const CDIB original = PatternImage(side, side + 3, bpp);
                const int32_t width = side - percent * side / 100,
                              height = side + 3 - percent * (side + 3) / 100;
                CDIB dib = original;
                if (width <= 0 || height <= 0) {
                    EXPECT_FALSE(dib.ResizePercent(percent));
                    EXPECT_TRUE(SamePixels(dib, original));
                    continue;
                }
                ASSERT_TRUE(dib.ResizePercent(percent));
                ExpectSameAsReference(dib, original, width, height);
            }
}

TEST(Dib, HalvingWholeRowsGivesTheBytesOfPlainResampling) {
    // Halving moves sixteen pixels at a time while they lie inside the row; the widths around those
    // pieces, odd source widths and a one-row image take every way out of that loop.
    for (int32_t toWidth : {1, 2, 3, 5, 15, 16, 17, 31, 32, 33, 47, 48, 49, 64, 100})
        for (int32_t extra : {0, 1}) {
            SCOPED_TRACE(testing::Message() << 2 * toWidth + extra << " to " << toWidth);
            const CDIB original = PatternImage(2 * toWidth + extra, 5, 3);
            CDIB dib = original;
            ASSERT_TRUE(dib.Resize(toWidth, 2));
            ExpectSameAsReference(dib, original, toWidth, 2);
            dib = original;
            ASSERT_TRUE(dib.ResizePercent(50));
            ExpectSameAsReference(dib, original, original.GetWidth() - original.GetWidth() / 2, 3);
        }
}

TEST(Dib, HalvingAResultTooLargeForTheCachesGivesTheSameBytes) {
    // A result of 16 MiB or more is written past the caches, in pieces aligned in memory, which each row
    // of this one (9,000 bytes a row) meets at another place.
    const int32_t width = 3000, height = 1900;
    CDIB original;
    ASSERT_TRUE(original.Create(2 * width + 1, 2 * height, 3));
    for (int32_t y = 0; y < original.GetHeight(); ++y) {
        uint8_t* p = original.GetPixelAddress(0, y);
        for (int32_t i = 0; i < 3 * original.GetWidth(); ++i) p[i] = static_cast<uint8_t>(i * 7 + y);
    }
    CDIB dib = original;
    ASSERT_TRUE(dib.Resize(width, height));
    ASSERT_GE(static_cast<size_t>(dib.GetStorageWidth()) * height, size_t{16} << 20);
    for (int32_t y = 0; y < height; y += 7) {
        const uint8_t* row = dib.GetPixelAddress(0, y);
        for (int32_t x = 0; x < width; ++x)
            ASSERT_EQ(std::memcmp(row + 3 * x, original.GetPixelAddress(2 * x, 2 * y), 3), 0)
                << x << "," << y;
    }
}

TEST(Dib, ConvertTo24UsesTheColourTable) {
    CDIB dib;
    dib.Create(2, 1, 1);
    uint8_t* table = dib.GetColorTable();
    table[4 * 5] = 1, table[4 * 5 + 1] = 2, table[4 * 5 + 2] = 3;
    dib.GetPixelAddress(0, 0)[0] = 5;
    dib.GetPixelAddress(1, 0)[0] = 9;
    ASSERT_TRUE(dib.ConvertTo24());
    EXPECT_EQ(dib.GetBitCount(), 24);
    EXPECT_EQ(dib.GetNumColors(), 0);
    EXPECT_EQ(dib.GetColorTable(), nullptr);
    EXPECT_EQ(GetPixel(dib, 0, 0), (Rgb{3, 2, 1}));
    EXPECT_EQ(GetPixel(dib, 1, 0), (Rgb{9, 9, 9}));
    EXPECT_EQ(dib.GetHeader()->biSizeImage, 8u);
}

TEST(Dib, MapColorsToPaletteOnATrueColourDisplay) {
    CDIB dib;
    dib.Create(2, 2, 1);
    dib.GetPixelAddress(1, 1)[0] = 42;
    EXPECT_FALSE(dib.MapColorsToPalette(nullptr));
    std::vector<PaletteEntry> palette(256);
    palette[42] = {10, 20, 30, 0};
    ASSERT_TRUE(dib.MapColorsToPalette(&palette));
    EXPECT_EQ(dib.GetPixelAddress(1, 1)[0], 42);  // identity map
    const uint8_t* entry = dib.GetColorTable() + 4 * 42;
    EXPECT_EQ(entry[0], 30);
    EXPECT_EQ(entry[1], 20);
    EXPECT_EQ(entry[2], 10);
    EXPECT_EQ(dib.GetHeader()->biClrUsed, 256u);
    CDIB trueColour;
    EXPECT_TRUE(trueColour.MapColorsToPalette(&palette));
    EXPECT_EQ(trueColour.GetNumColors(), 0);

    // An image that came with a 16-entry table counts 256 colours afterwards, and has them all.
    BITMAPINFOHEADER h = *dib.GetHeader();
    h.biClrUsed = 16;
    std::vector<uint8_t> sixteen(40 + 64, 0);
    std::memcpy(sixteen.data(), &h, 40);
    CDIB short16;
    ASSERT_TRUE(short16.CopyPacked(reinterpret_cast<BITMAPINFOHEADER*>(sixteen.data()), dib.GetBits()));
    palette[200] = {1, 2, 3, 0};
    ASSERT_TRUE(short16.MapColorsToPalette(&palette));
    EXPECT_EQ(short16.GetNumColors(), 256);
    EXPECT_EQ(short16.GetColorTable()[4 * 200 + 2], 1);
    CDIB copy;
    ASSERT_TRUE(copy.CopyPacked(short16.GetHeader(), short16.GetBits()));
    EXPECT_EQ(copy.GetColorTable()[4 * 200], 3);
}

TEST(Dib, CopyPackedAndAttachBits) {
    CDIB source = CoordinateImage(3, 3);
    CDIB copy;
    ASSERT_TRUE(copy.CopyPacked(source.GetHeader(), source.GetBits()));
    EXPECT_TRUE(copy.OwnsBits());
    EXPECT_TRUE(SamePixels(source, copy));
    EXPECT_NE(copy.GetBits(), source.GetBits());

    CDIB attached;
    attached.AttachBits(source.GetHeader(), source.GetBits());
    EXPECT_FALSE(attached.OwnsBits());
    EXPECT_EQ(attached.GetBits(), source.GetBits());
    CDIB deep(attached);
    EXPECT_TRUE(deep.OwnsBits());
    EXPECT_TRUE(SamePixels(deep, source));
}

TEST(Dib, GradientStepsEachChannelAfterItsOwnStepLength) {
    CDIB dib;
    dib.Create(1, 6, 3);
    // Red 10 -> 13 (step 2 rows), green 200 -> 198 (step 3 rows, downwards), blue stays 7.
    dib.FillGradient(0x00C80A | (7u << 16), 0x00C60D | (7u << 16));
    const std::vector<Rgb> expected = {{10, 200, 7}, {10, 200, 7}, {10, 200, 7},
                                       {11, 200, 7}, {11, 199, 7}, {12, 199, 7}};
    for (int32_t y = 0; y < 6; ++y) EXPECT_EQ(GetPixel(dib, 0, y), expected[y]) << y;
    // A channel whose colours are equal never moves.
    dib.FillGradient(0x050505, 0x050505);
    EXPECT_EQ(GetPixel(dib, 0, 5), (Rgb{5, 5, 5}));
}

TEST(Dib, FillAndGradient) {
    CDIB dib;
    dib.Create(2, 256, 3);
    dib.Fill(0x00332211);  // COLORREF: red in the low byte
    EXPECT_EQ(GetPixel(dib, 1, 100), (Rgb{0x11, 0x22, 0x33}));
    dib.FillGradient(0x000000FF, 0x0000FF00);  // red to green over 256 rows
    EXPECT_EQ(GetPixel(dib, 0, 0), (Rgb{255, 0, 0}));
    Rgb last = GetPixel(dib, 0, 255);
    EXPECT_LE(last.r, 2);
    EXPECT_GE(last.g, 253);
    EXPECT_EQ(last.b, 0);
    for (int32_t y = 1; y < 256; ++y) {
        ASSERT_LE(GetPixel(dib, 0, y).r, GetPixel(dib, 0, y - 1).r);
        ASSERT_GE(GetPixel(dib, 0, y).g, GetPixel(dib, 0, y - 1).g);
    }
}

TEST(Dib, DrawAndStretchDrawGoThroughTheDeviceContext) {
    CDIB dib = CoordinateImage(20, 10);
    platform::FakeDeviceContext dc;
    dib.Draw(dc, 5, 6);
    dib.StretchDraw(dc, 0, 0, 40, 30);
    ASSERT_EQ(dc.dibs.size(), 2u);
    EXPECT_EQ(dc.dibs[0].destination, (platform::Rect{5, 6, 25, 16}));
    EXPECT_EQ(dc.dibs[0].source, (platform::Rect{0, 0, 20, 10}));
    EXPECT_EQ(dc.dibs[1].destination, (platform::Rect{0, 0, 40, 30}));
    dib.Clear();
    dib.Draw(dc, 0, 0);
    EXPECT_EQ(dc.dibs.size(), 2u);  // an image-less DIB draws nothing
}

TEST(Dib, DrawNeverScales) {
    // A block of the given size from the image's origin, which for bottom-up rows is the bottom-left
    // corner, copied 1:1.
    CDIB dib = CoordinateImage(20, 10);
    platform::FakeDeviceContext dc;
    dib.Draw(dc, 3, 4, 10, 4);
    ASSERT_EQ(dc.dibs.size(), 1u);
    EXPECT_EQ(dc.dibs[0].destination, (platform::Rect{3, 4, 13, 8}));
    EXPECT_EQ(dc.dibs[0].source, (platform::Rect{0, 6, 10, 10}));
    // An area larger than the image: the image sits on the area's bottom edge at its own size.
    dib.Draw(dc, 0, 0, 30, 12);
    EXPECT_EQ(dc.dibs[1].destination, (platform::Rect{0, 2, 20, 12}));
    EXPECT_EQ(dc.dibs[1].source, (platform::Rect{0, 0, 20, 10}));
    // Only one of the sizes given: the other is the image's.
    dib.Draw(dc, 1, 1, 0, 5);
    EXPECT_EQ(dc.dibs[2].destination, (platform::Rect{1, 1, 21, 6}));
    EXPECT_EQ(dc.dibs[2].source, (platform::Rect{0, 5, 20, 10}));
}

TEST(DibBmp, TrueColourRoundTripWithOffset54) {
    CDIB dib = CoordinateImage(3, 2);
    platform::MemoryFile file;
    ASSERT_TRUE(dib.Write(file));
    const auto& b = file.Bytes();
    ASSERT_EQ(b.size(), 54u + 24u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(DwordAt(b, 2), 78u);
    EXPECT_EQ(DwordAt(b, 10), 54u);
    file.Bytes().push_back(0x5A);  // whatever follows the image is not consumed
    file.Seek(0);
    CDIB back;
    ASSERT_TRUE(back.Read(file));
    EXPECT_TRUE(SamePixels(dib, back));
    EXPECT_EQ(file.Position(), 78u);
}

TEST(DibBmp, EightBitImageWritesItsTableAtOffset1078AndReadsBackAs24) {
    CDIB dib;
    dib.Create(2, 2, 1);
    dib.GetColorTable()[4 * 3 + 2] = 200;  // entry 3: red 200
    dib.GetPixelAddress(1, 0)[0] = 3;
    platform::MemoryFile file;
    ASSERT_TRUE(dib.Write(file));
    EXPECT_EQ(DwordAt(file.Bytes(), 10), 1078u);
    EXPECT_EQ(file.Bytes().size(), 1078u + 8u);
    file.Seek(0);
    CDIB back;
    ASSERT_TRUE(back.Read(file));
    EXPECT_EQ(back.GetBitCount(), 24);
    EXPECT_EQ(GetPixel(back, 1, 0), (Rgb{200, 3, 3}));  // entry 3 of the grey ramp, red changed
    EXPECT_EQ(GetPixel(back, 0, 0), (Rgb{0, 0, 0}));
}

TEST(DibBmp, PixelBytesTheFileHeaderStatesBeyondTheRowsAreConsumed) {
    // A 24-bit 1 x 1 image whose writer padded the pixel block to 6 bytes and said so in bfSize.
    ByteWriter b;
    b.u16(0x4D42).u32(54 + 6).u32(0).u32(54);
    b.u32(40).u32(1).u32(1).u16(1).u16(24).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    b.u8(1).u8(2).u8(3).u8(0).u16(0xEEEE).u8(0x77);
    platform::MemoryFile file(b.v);
    CDIB dib;
    ASSERT_TRUE(dib.Read(file));
    EXPECT_EQ(GetPixel(dib, 0, 0), (Rgb{3, 2, 1}));
    EXPECT_EQ(file.Position(), 60u);  // right before the byte that follows the stated block
    // A size that states fewer bytes than the rows need still reads the whole rows, and a padding
    // that the file does not hold stops at its end.
    std::vector<uint8_t> understated = b.v;
    understated[2] = 54 + 1;
    platform::MemoryFile shortStated(understated);
    ASSERT_TRUE(dib.Read(shortStated));
    EXPECT_EQ(shortStated.Position(), 58u);
    std::vector<uint8_t> overstated = b.v;
    overstated[4] = 0x10;  // a megabyte more than the file has
    platform::MemoryFile longStated(overstated);
    ASSERT_TRUE(dib.Read(longStated));
    EXPECT_EQ(longStated.Position(), longStated.Length());
}

TEST(DibBmp, WrittenColourCountMatchesTheTableWritten) {
    // A 24-bit header that brings a two-entry table along, and an 8-bit one that counts 16 colours.
    CDIB source = CoordinateImage(3, 2);
    std::vector<uint8_t> header(40 + 8, 0x55);
    std::memcpy(header.data(), source.GetHeader(), 40);
    reinterpret_cast<BITMAPINFOHEADER*>(header.data())->biClrUsed = 2;
    CDIB trueColour;
    ASSERT_TRUE(trueColour.CopyPacked(reinterpret_cast<BITMAPINFOHEADER*>(header.data()), source.GetBits()));
    platform::MemoryFile file;
    ASSERT_TRUE(trueColour.Write(file));
    EXPECT_EQ(DwordAt(file.Bytes(), 14 + 32), 0u);
    file.Seek(0);
    CDIB back;
    ASSERT_TRUE(back.Read(file));
    EXPECT_TRUE(SamePixels(back, source));

    CDIB eight;
    eight.Create(2, 1, 1);
    BITMAPINFOHEADER h = *eight.GetHeader();
    h.biClrUsed = 16;
    std::vector<uint8_t> sixteen(40 + 64, 0);
    std::memcpy(sixteen.data(), &h, 40);
    sixteen[40 + 4 * 9 + 1] = 180;  // entry 9: green 180
    const uint8_t rows[4] = {9, 0, 0, 0};
    ASSERT_TRUE(eight.CopyPacked(reinterpret_cast<BITMAPINFOHEADER*>(sixteen.data()), rows));
    platform::MemoryFile file8;
    ASSERT_TRUE(eight.Write(file8));
    EXPECT_EQ(DwordAt(file8.Bytes(), 14 + 32), 256u);
    EXPECT_EQ(file8.Bytes()[54 + 4 * 9 + 1], 180);  // the header is written with its table
    EXPECT_EQ(DwordAt(file8.Bytes(), 6), 0u);       // both reserved words
    file8.Seek(0);
    ASSERT_TRUE(back.Read(file8));
    EXPECT_EQ(GetPixel(back, 0, 0), (Rgb{0, 180, 0}));
    EXPECT_EQ(file8.Position(), file8.Length());
}

TEST(DibBmp, Os2HeaderWithColourTriplets) {
    ByteWriter b;
    b.u16(0x4D42).u32(14 + 12 + 768 + 4).u32(0).u32(14 + 12 + 768);
    b.u32(12).u16(2).u16(1).u16(1).u16(8);
    for (int i = 0; i < 256; ++i) b.u8(static_cast<uint8_t>(i)).u8(0).u8(static_cast<uint8_t>(255 - i));
    b.u8(1).u8(254).u16(0);
    platform::MemoryFile file(b.v);
    CDIB dib;
    ASSERT_TRUE(dib.Read(file));
    EXPECT_EQ(dib.GetWidth(), 2);
    EXPECT_EQ(GetPixel(dib, 0, 0), (Rgb{254, 0, 1}));
    EXPECT_EQ(GetPixel(dib, 1, 0), (Rgb{1, 0, 254}));
    EXPECT_EQ(file.Position(), file.Length());
}

TEST(DibBmp, ShortColourTableLeavesTheMissingEntriesBlack) {
    std::vector<uint8_t> table = {10, 20, 30, 0, 40, 50, 60, 0};
    platform::MemoryFile file(Bmp(3, 1, 8, 0, table, {1, 0, 7, 0}, 2));
    CDIB dib;
    ASSERT_TRUE(dib.Read(file));
    EXPECT_EQ(GetPixel(dib, 0, 0), (Rgb{60, 50, 40}));
    EXPECT_EQ(GetPixel(dib, 1, 0), (Rgb{30, 20, 10}));
    EXPECT_EQ(GetPixel(dib, 2, 0), (Rgb{0, 0, 0}));
}

TEST(DibBmp, HostileFilesFailAndKeepThePreviousImage) {
    CDIB dib = CoordinateImage(2, 2);
    CDIB previous = dib;
    auto refused = [&](std::vector<uint8_t> bytes) {
        platform::MemoryFile file(std::move(bytes));
        bool read = dib.Read(file);
        return !read && SamePixels(dib, previous);
    };
    std::vector<uint8_t> good = Bmp(3, 1, 8, 0, std::vector<uint8_t>(1024), {1, 2, 3, 0}, 0);
    EXPECT_TRUE(refused({}));
    std::vector<uint8_t> wrongTag = good;
    wrongTag[0] = 'X';
    EXPECT_TRUE(refused(wrongTag));
    std::vector<uint8_t> truncatedPixels(good.begin(), good.end() - 1);
    EXPECT_TRUE(refused(truncatedPixels));
    std::vector<uint8_t> truncatedTable(good.begin(), good.begin() + 54 + 500);
    EXPECT_TRUE(refused(truncatedTable));
    std::vector<uint8_t> lyingHeight = good;
    lyingHeight[22] = 0xFF, lyingHeight[23] = 0x3F;  // 16383 rows in a 4-byte pixel block
    EXPECT_TRUE(refused(lyingHeight));
    std::vector<uint8_t> hugeWidth = good;
    hugeWidth[18] = 0xFF, hugeWidth[19] = 0xFF, hugeWidth[20] = 0xFF, hugeWidth[21] = 0x7F;
    EXPECT_TRUE(refused(hugeWidth));
    std::vector<uint8_t> negativeHeight = good;
    negativeHeight[22] = 0xFF, negativeHeight[23] = 0xFF, negativeHeight[24] = 0xFF,
    negativeHeight[25] = 0xFF;
    EXPECT_TRUE(refused(negativeHeight));
    std::vector<uint8_t> tooManyColours = good;
    tooManyColours[46] = 0x01, tooManyColours[47] = 0x01;  // 257
    EXPECT_TRUE(refused(tooManyColours));
    std::vector<uint8_t> fourBit = good;
    fourBit[28] = 4;
    EXPECT_TRUE(refused(fourBit));
    std::vector<uint8_t> oneBit = good;
    oneBit[28] = 1;
    EXPECT_TRUE(refused(oneBit));
    std::vector<uint8_t> runLength = good;
    runLength[30] = 1;
    EXPECT_TRUE(refused(runLength));
    std::vector<uint8_t> oddHeaderSize = good;
    oddHeaderSize[14] = 64;
    EXPECT_TRUE(refused(oddHeaderSize));
}

TEST(DibSerialize, FailedReadMakesTheDocumentLoadFail) {
    platform::MemoryFile file(std::vector<uint8_t>{'B', 'M', 1, 2, 3});
    CArchive ar(file, CArchive::load);
    CDIB dib;
    try {
        dib.Serialize(ar);
        FAIL() << "no exception";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.cause, CArchiveException::generic);
    }
}

TEST(DibSerialize, BmpBetweenArchiveValues) {
    CDIB dib = CoordinateImage(5, 3);
    platform::MemoryFile file;
    {
        CArchive ar(file, CArchive::store);
        ar.WriteDword(0xCAFEF00D);
        dib.Serialize(ar);
        ar.WriteDword(0x12345678);
        ar.Close();
    }
    file.Seek(0);
    CArchive ar(file, CArchive::load);
    EXPECT_EQ(ar.ReadDword(), 0xCAFEF00D);
    CDIB back;
    back.Serialize(ar);
    EXPECT_TRUE(SamePixels(dib, back));
    EXPECT_EQ(ar.ReadDword(), 0x12345678u);
}

class DibFiles : public testing::Test {
  protected:
    void SetUp() override { platform::SetFileDialog(&dialog); }
    void TearDown() override { platform::SetFileDialog(nullptr); }
    platform::ScriptedFileDialog dialog;
    platform::RecordingMessageBox boxes;
    platform::ScopedMessageBox guard{boxes};
    ScratchFolder scratch;
    std::string dir = scratch.Path();
};

TEST_F(DibFiles, LoadAndSaveAskWithTheirFiltersAndReportFailures) {
    CDIB dib = CoordinateImage(4, 4);
    EXPECT_FALSE(dib.Save(""));  // cancelled: no message
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_TRUE(dialog.requests[0].save);
    EXPECT_EQ(dialog.requests[0].filter, "Image files (*.DIB, *.BMP)|*.DIB;*.BMP|All files (*.*)|*.*||");
    EXPECT_TRUE(boxes.shown.empty());

    dialog.answers.push_back(dir + "/a.bmp");
    ASSERT_TRUE(dib.Save(""));
    CDIB back;
    dialog.answers.push_back(dir + "/a.bmp");
    ASSERT_TRUE(back.Load(""));
    EXPECT_EQ(dialog.requests.back().filter,
              "Archivos JPEG (*.JPG)|*.JPG|Archivos BMP (*.BMP)|*.BMP|Archivos PCX (*.PCX)|*.PCX|"
              "Todos los archivos (*.*)|*.*||");
    EXPECT_TRUE(dialog.requests.back().fileMustExist);
    EXPECT_TRUE(SamePixels(dib, back));

    EXPECT_FALSE(back.Load(dir + "/missing.bmp"));
    std::ofstream(dir + "/junk.bmp") << "not a bitmap";
    EXPECT_FALSE(back.Load(dir + "/junk.bmp"));
    EXPECT_FALSE(dib.Save(dir + "/no/such/dir/x.bmp"));
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text, "Failed to open file");
    EXPECT_EQ(boxes.shown[1].text, "Failed to load file");
    EXPECT_EQ(boxes.shown[2].text, "Failed to open file");
    EXPECT_TRUE(SamePixels(dib, back));  // the failed loads kept the image

    CDIB empty;
    empty.Clear();
    EXPECT_FALSE(empty.Save(dir + "/empty.bmp"));
    ASSERT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(boxes.shown[3].text, "Failed to save file");
}

TEST(Dib, AResultMadeInTwoHalvesAtOnceGivesTheBytesOfPlainResampling) {
    // A result of 16 MiB or more is made by two threads, each its half of the rows; here the first row
    // of the second half repeats the last of the first, which the second half cannot copy from the first.
    const CDIB original = PatternImage(1120, 1000, 3);
    CDIB dib = original;
    ASSERT_TRUE(dib.Resize(2800, 2001));
    ASSERT_GE(static_cast<size_t>(dib.GetStorageWidth()) * 2001, size_t{16} << 20);
    ExpectSameAsReference(dib, original, 2800, 2001);
}
