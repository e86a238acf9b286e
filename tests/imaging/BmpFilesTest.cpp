#include <gtest/gtest.h>

#include "imaging/Dib.h"
#include "imaging/ImageFiles.h"
#include "platform/MessageBox.h"
#include "tests/imaging/ImageTestUtil.h"
#include "tests/support/Bytes.h"
#include "tests/support/Pixels.h"
#include "tests/support/ScratchFolder.h"

using namespace imaging_test;
using namespace test_support;

namespace {

// Colour table entries (blue, green, red, 0) whose entry i is (red 10i, green 100, blue 255 - i).
std::vector<uint8_t> Table(int entries) {
    ByteWriter b;
    for (int i = 0; i < entries; ++i)
        b.u8(static_cast<uint8_t>(255 - i)).u8(100).u8(static_cast<uint8_t>(10 * i)).u8(0);
    return b.v;
}

Rgb Entry(int i) {
    return {static_cast<uint8_t>(10 * i), 100, static_cast<uint8_t>(255 - i)};
}

bool Read(const std::vector<uint8_t>& bytes, CDIB& dib) {
    platform::MemoryFile file(bytes);
    return ReadBmpImage(file, dib);
}

}  // namespace

TEST(BmpFiles, OneAndFourBitIndicesInBothRowOrders) {
    // 3 x 2, bottom row first: bottom 0 1 1, top 1 0 1.
    CDIB dib;
    ASSERT_TRUE(Read(Bmp(3, 2, 1, 0, Table(2), {0x60, 0, 0, 0, 0xA0, 0, 0, 0}), dib));
    EXPECT_EQ(dib.GetBitCount(), 24);
    EXPECT_EQ(GetPixel(dib, 0, 0), Entry(1));
    EXPECT_EQ(GetPixel(dib, 1, 0), Entry(0));
    EXPECT_EQ(GetPixel(dib, 0, 1), Entry(0));
    EXPECT_EQ(GetPixel(dib, 2, 1), Entry(1));
    // 3 x 2 top-down (negative height), 16 colours: top 1 2 3, bottom 15 0 0.
    ASSERT_TRUE(Read(Bmp(3, -2, 4, 0, Table(16), {0x12, 0x30, 0, 0, 0xF0, 0, 0, 0}), dib));
    EXPECT_EQ(dib.GetHeight(), 2);
    EXPECT_EQ(GetPixel(dib, 0, 0), Entry(1));
    EXPECT_EQ(GetPixel(dib, 2, 0), Entry(3));
    EXPECT_EQ(GetPixel(dib, 0, 1), Entry(15));
    // A table shorter than the bit count allows leaves the other indices black.
    ASSERT_TRUE(Read(Bmp(2, 1, 4, 0, Table(2), {0x15, 0, 0, 0}, 2), dib));
    EXPECT_EQ(GetPixel(dib, 0, 0), Entry(1));
    EXPECT_EQ(GetPixel(dib, 1, 0), (Rgb{0, 0, 0}));
}

TEST(BmpFiles, RunLengthEightAndFour) {
    // RLE8, 4 x 2. Bottom row: a run of two 5s, a literal 1 2 3 (padded; its third pixel falls off the
    // row), end of line. Top row: a jump one to the right, a single 7, end of image.
    std::vector<uint8_t> rle8 = {2, 5, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 0, 1, 7, 0, 1};
    CDIB dib;
    ASSERT_TRUE(Read(Bmp(4, 2, 8, 1, Table(256), rle8), dib));
    EXPECT_EQ(GetPixel(dib, 0, 1), Entry(5));
    EXPECT_EQ(GetPixel(dib, 1, 1), Entry(5));
    EXPECT_EQ(GetPixel(dib, 2, 1), Entry(1));
    EXPECT_EQ(GetPixel(dib, 3, 1), Entry(2));
    EXPECT_EQ(GetPixel(dib, 0, 0), (Rgb{0, 0, 0}));  // skipped by the jump
    EXPECT_EQ(GetPixel(dib, 1, 0), Entry(7));
    EXPECT_EQ(GetPixel(dib, 2, 0), (Rgb{0, 0, 0}));
    // RLE4, 5 x 1: a run of two alternating 1 and 2, then a literal 3 4 5 padded to a word.
    std::vector<uint8_t> rle4 = {2, 0x12, 0, 3, 0x34, 0x50, 0, 1};
    ASSERT_TRUE(Read(Bmp(5, 1, 4, 2, Table(16), rle4), dib));
    for (int x = 0; x < 5; ++x) EXPECT_EQ(GetPixel(dib, x, 0), Entry(x + 1)) << x;
}

TEST(BmpFiles, SixteenAndThirtyTwoBitsWithDefaultAndGivenMasks) {
    // 16 bits, default 5-5-5: red, green, blue and a middle grey.
    CDIB dib;
    ASSERT_TRUE(Read(Bmp(4, 1, 16, 0, {}, {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0x42}), dib));
    EXPECT_EQ(GetPixel(dib, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(GetPixel(dib, 1, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(GetPixel(dib, 2, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(GetPixel(dib, 3, 0), (Rgb{132, 132, 132}));
    // 16 bits, bit fields 5-6-5 after the 40-byte header.
    ByteWriter masks565;
    masks565.u32(0xF800).u32(0x07E0).u32(0x001F);
    ASSERT_TRUE(Read(Bmp(2, 1, 16, 3, masks565.v, {0xE0, 0x07, 0x00, 0xF8}), dib));
    EXPECT_EQ(GetPixel(dib, 0, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(GetPixel(dib, 1, 0), (Rgb{255, 0, 0}));
    // 32 bits with the channels in the high bytes; the low byte is ignored.
    ByteWriter masks32;
    masks32.u32(0xFF000000).u32(0x00FF0000).u32(0x0000FF00);
    ASSERT_TRUE(Read(Bmp(1, 1, 32, 3, masks32.v, {0x99, 0x33, 0x22, 0x11}), dib));
    EXPECT_EQ(GetPixel(dib, 0, 0), (Rgb{0x11, 0x22, 0x33}));
    // 32 bits without masks: blue, green, red, unused.
    ASSERT_TRUE(Read(Bmp(1, 1, 32, 0, {}, {0x33, 0x22, 0x11, 0xFF}), dib));
    EXPECT_EQ(GetPixel(dib, 0, 0), (Rgb{0x11, 0x22, 0x33}));
}

TEST(BmpFiles, LaterHeaderVersionsAndTheRowOffset) {
    // A 108-byte (version 4) header with 24-bit rows placed after a gap that the offset skips.
    ByteWriter b;
    b.u16(0x4D42).u32(0).u32(0).u32(14 + 108 + 6);
    b.u32(108).u32(2).u32(1).u16(1).u16(24).u32(0).fill(108 - 20);
    b.fill(6, 0xEE);
    b.u8(1).u8(2).u8(3).u8(4).u8(5).u8(6).u16(0);
    CDIB dib;
    ASSERT_TRUE(Read(b.v, dib));
    EXPECT_EQ(GetPixel(dib, 0, 0), (Rgb{3, 2, 1}));
    EXPECT_EQ(GetPixel(dib, 1, 0), (Rgb{6, 5, 4}));
}

TEST(BmpFiles, HostileFilesFailAndLeaveTheImage) {
    CDIB dib = CoordinateImage(2, 2);
    const CDIB before = dib;
    auto refused = [&](const std::vector<uint8_t>& bytes) {
        return !Read(bytes, dib) && SamePixels(dib, before);
    };
    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused(Bmp(2, 1, 2, 0, Table(4), {0, 0, 0, 0})));         // 2 bits
    EXPECT_TRUE(refused(Bmp(2, 1, 8, 4, Table(256), {0, 0, 0, 0})));       // embedded JPEG
    EXPECT_TRUE(refused(Bmp(2, -1, 8, 1, Table(256), {2, 0, 0, 1})));      // top-down run-length
    EXPECT_TRUE(refused(Bmp(2, 1, 24, 3, {}, {0, 0, 0, 0, 0, 0, 0, 0})));  // bit fields at 24 bits
    EXPECT_TRUE(refused(Bmp(2, 2, 24, 0, {}, {1, 2, 3, 4, 5, 6, 0, 0})));  // one row short
    EXPECT_TRUE(refused(Bmp(100000, 1, 24, 0, {}, {1, 2, 3})));            // beyond the limits
    EXPECT_TRUE(refused(Bmp(2, 1, 8, 0, Table(100), {0, 0, 0, 0})));       // table cut off
    EXPECT_TRUE(refused(Bmp(2, 1, 8, 1, Table(256), {})));                 // no run-length data
    std::vector<uint8_t> oddHeader = Bmp(1, 1, 24, 0, {}, {1, 2, 3, 0});
    oddHeader[14] = 41;
    EXPECT_TRUE(refused(oddHeader));
    // Run-length data that runs off the row, jumps past its end, and stops inside a literal without an
    // end of image: what lies inside the image is kept and nothing is written outside it.
    std::vector<uint8_t> wild = {255, 1, 0, 0, 0, 2, 200, 0, 2, 2, 0, 255, 1, 2, 3};
    ASSERT_TRUE(Read(Bmp(3, 2, 8, 1, Table(256), wild), dib));
    EXPECT_EQ(GetPixel(dib, 2, 1), Entry(1));
    EXPECT_EQ(GetPixel(dib, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(GetPixel(dib, 2, 0), (Rgb{0, 0, 0}));
    std::vector<uint8_t> farJump = {0, 2, 255, 255, 1, 1, 0, 2, 0, 255, 1, 1};
    ASSERT_TRUE(Read(Bmp(3, 2, 8, 1, Table(256), farJump), dib));
    EXPECT_EQ(GetPixel(dib, 0, 1), (Rgb{0, 0, 0}));
}

TEST(BmpFiles, TinyRunLengthFileOfAHugeImageIsReadAndHalved) {
    // 130 bytes found by fuzzing: a 4-bit run-length file that describes 16383 x 5376 pixels. Halving
    // it once took longer than ten seconds; it is fuzz/corpus/bmp_reader/rle-huge-halved.bmp.
    const std::vector<uint8_t> bytes = {
        0x42, 0x4D, 0xA0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x76, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00,
        0x00, 0xFF, 0x3F, 0x00, 0x00, 0x00, 0x15, 0x00, 0x00, 0x01, 0x00, 0x04, 0x00, 0x02, 0x00, 0x00, 0x00,
        0x2A, 0x00, 0x00, 0x00, 0x2A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0xF1, 0x07, 0x00, 0x0F, 0xF0, 0x07, 0x00, 0x03, 0x00, 0x12, 0x30, 0x56, 0x00, 0x04, 0x00, 0x03,
        0x12, 0x35, 0x56, 0x00, 0x04, 0x00, 0x03, 0x12, 0x00, 0x04, 0x34, 0x56, 0x02, 0x04, 0x34, 0x56, 0x00,
        0x00, 0x03, 0x12, 0x00, 0x04, 0x34, 0x56, 0x04, 0x34, 0x56, 0x86, 0x00, 0x00, 0x03, 0x12, 0x00, 0x0A,
        0x34, 0x56, 0x09, 0x00, 0xFD, 0xED, 0x00, 0x04, 0x34, 0x56, 0x00, 0x00, 0x03, 0x12, 0x00, 0x04, 0x34,
        0x56, 0x00, 0x12, 0x00, 0x04, 0x34, 0x56, 0x00, 0x00, 0x00, 0x01};
    CDIB dib;
    ASSERT_TRUE(Read(bytes, dib));
    ASSERT_EQ(dib.GetWidth(), 16383);
    ASSERT_EQ(dib.GetHeight(), 5376);
    // Its data is one run of 52 pixels on the bottom row, then a literal that the file cuts short.
    EXPECT_NE(GetPixel(dib, 51, 5375), (Rgb{0, 0, 0}));
    EXPECT_EQ(GetPixel(dib, 52, 5375), (Rgb{0, 0, 0}));
    ASSERT_TRUE(dib.ResizePercent(50));
    EXPECT_EQ(dib.GetWidth(), 8192);
    EXPECT_EQ(dib.GetHeight(), 2688);
    EXPECT_EQ(dib.GetBitCount(), 24);
    EXPECT_EQ(dib.GetHeader()->biSizeImage, 8192u * 3 * 2688);
}

TEST(BmpFiles, LoadByExtensionTakesSixteenColourBitmaps) {
    platform::RecordingMessageBox boxes;
    platform::ScopedMessageBox guard(boxes);
    ScratchFolder scratch;
    std::string path = scratch.Write("sixteen.bmp", Bmp(2, 1, 4, 0, Table(16), {0x9A, 0, 0, 0}));
    CDIB dib;
    ASSERT_TRUE(dib.LoadByExtension(path));
    EXPECT_EQ(GetPixel(dib, 0, 0), Entry(9));
    EXPECT_EQ(GetPixel(dib, 1, 0), Entry(10));
    EXPECT_EQ(dib.GetNumColors(), 0);
    EXPECT_TRUE(boxes.shown.empty());
}
