#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "imaging/DibJpeg.h"
#include "imaging/DibPcx.h"
#include "imaging/PixelBlock.h"
#include "tests/imaging/ImageTestUtil.h"
#include "tests/support/Pixels.h"

using namespace imaging_test;
using namespace test_support;

namespace {

constexpr size_t kLarge = 300 * 1024;

class PixelBlockTest : public ::testing::Test {
  protected:
    void SetUp() override { PixelBlock::ReleaseKept(); }
    void TearDown() override { PixelBlock::ReleaseKept(); }
};

}  // namespace

TEST_F(PixelBlockTest, AGivenBackBlockServesTheNextImageOfAboutItsSize) {
    PixelBlock first = PixelBlock::Uninitialized(kLarge);
    const uint8_t* memory = first.data();
    first.reset();
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(PixelBlock::KeptBlocks(), 1u);
    EXPECT_EQ(PixelBlock::KeptBytes(), kLarge);

    // A little smaller still fits; the block keeps the size it is asked for.
    PixelBlock second = PixelBlock::Uninitialized(kLarge - 1000);
    EXPECT_EQ(second.data(), memory);
    EXPECT_EQ(second.size(), kLarge - 1000);
    EXPECT_EQ(PixelBlock::KeptBlocks(), 0u);
    second.reset();

    // Much smaller or larger images do not take it: a small image would hold a large one's memory.
    PixelBlock small = PixelBlock::Uninitialized(kLarge / 2);
    EXPECT_NE(small.data(), memory);
    PixelBlock larger = PixelBlock::Uninitialized(kLarge + 1);
    EXPECT_NE(larger.data(), memory);
    EXPECT_EQ(PixelBlock::KeptBlocks(), 1u);
}

TEST_F(PixelBlockTest, SmallBlocksAreLeftToTheHeapAndTheKeepingHasALimit) {
    PixelBlock::Uninitialized(1000).reset();
    EXPECT_EQ(PixelBlock::KeptBlocks(), 0u);
    // Sixty blocks of 5 MiB given back: the keeping holds the newest it has room for, never more than
    // 128 MiB and 16 blocks.
    std::vector<PixelBlock> blocks;
    for (int i = 0; i < 60; ++i) blocks.push_back(PixelBlock::Uninitialized(5u << 20));
    blocks.clear();
    EXPECT_EQ(PixelBlock::KeptBlocks(), 16u);
    EXPECT_LE(PixelBlock::KeptBytes(), size_t{128} << 20);
    PixelBlock::ReleaseKept();
    EXPECT_EQ(PixelBlock::KeptBytes(), 0u);
}

TEST_F(PixelBlockTest, MovedBlocksAreGivenBackOnce) {
    PixelBlock a = PixelBlock::Zeroed(kLarge);
    EXPECT_EQ(a.data()[kLarge - 1], 0);
    PixelBlock b = std::move(a);
    EXPECT_TRUE(a.empty());
    PixelBlock c;
    c = std::move(b);
    EXPECT_EQ(PixelBlock::KeptBlocks(), 0u);
    c = PixelBlock::CopyOf(std::vector<uint8_t>(kLarge, 9).data(), kLarge);
    EXPECT_EQ(PixelBlock::KeptBlocks(), 1u);  // the zeroed block, given back when c took the copy
    EXPECT_EQ(c.data()[100], 9);
}

namespace {

// Gives back a block of `bytes` full of 0xAB, then makes an image with `make`, which must take that very
// block; every byte of the result outside its pixels (the padding of each row) must be zero, as in an
// image made from fresh memory, and `pixelsToo` says the pixels must be zero as well.
void ExpectNoTraceOfTheOldImage(size_t bytes, const std::function<std::unique_ptr<CDIB>()>& make,
                                bool pixelsToo = false) {
    PixelBlock::ReleaseKept();
    PixelBlock old = PixelBlock::Uninitialized(bytes);
    std::memset(old.data(), 0xAB, bytes);
    const uint8_t* memory = old.data();
    old.reset();
    const std::unique_ptr<CDIB> image = make();
    const CDIB& made = *image;
    ASSERT_TRUE(made.HasImage());
    ASSERT_EQ(made.GetBits(), memory) << "the image did not take the old block; the test proves nothing";
    const size_t stride = static_cast<size_t>(made.GetStorageWidth());
    const size_t pixelBytes = static_cast<size_t>(made.GetWidth()) * made.GetBitCount() / 8;
    ASSERT_GT(stride, pixelBytes) << "choose a width whose rows have padding";
    for (int32_t y = 0; y < made.GetHeight(); ++y) {
        const uint8_t* row = made.GetPixelAddress(0, y);
        for (size_t i = pixelsToo ? 0 : pixelBytes; i < stride; ++i)
            ASSERT_EQ(row[i], 0) << "row " << y << ", byte " << i;
    }
}

// The stored bytes of a 301 x 300 image in its own format.
template <class Codec>
std::vector<uint8_t> Stored() {
    Codec codec;
    static_cast<CDIB&>(codec) = CoordinateImage(301, 300);
    platform::MemoryFile file;
    EXPECT_TRUE(codec.Write(file));
    return file.Bytes();
}

}  // namespace

TEST_F(PixelBlockTest, ImagesMadeInAGivenBackBlockShowNothingOfTheOldOne) {
    // 301 pixels of 3 bytes take 904-byte rows: 1 byte of padding; 301 of 1 byte take 304: 3 bytes.
    const size_t rows24 = 904 * 300, rows8 = 304 * 300;
    auto created = [](int bytesPerPixel) {
        auto dib = std::make_unique<CDIB>();
        dib->Create(301, 300, bytesPerPixel);
        return dib;
    };
    ExpectNoTraceOfTheOldImage(
        rows24, [&] { return created(3); }, true);
    ExpectNoTraceOfTheOldImage(
        rows8, [&] { return created(1); }, true);
    ExpectNoTraceOfTheOldImage(rows24, [&] {
        auto dib = created(1);
        dib->GetPixelAddress(5, 5)[0] = 200;
        dib->ConvertTo24();
        return dib;
    });
    const CDIB large = CoordinateImage(602, 600);
    ExpectNoTraceOfTheOldImage(rows24, [&] {
        auto dib = std::make_unique<CDIB>(large);
        dib->Resize(301, 300);
        return dib;
    });
    const std::vector<uint8_t> pcx = Stored<CDibPcx>();
    ExpectNoTraceOfTheOldImage(rows24, [&] {
        platform::MemoryFile file(pcx);
        auto dib = std::make_unique<CDibPcx>();
        EXPECT_TRUE(dib->Read(file));
        return dib;
    });
    const std::vector<uint8_t> jpeg = Stored<CDibJpeg>();
    ExpectNoTraceOfTheOldImage(rows24, [&] {
        platform::MemoryFile file(jpeg);
        auto dib = std::make_unique<CDibJpeg>();
        EXPECT_TRUE(dib->Read(file));
        return dib;
    });
}
