#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/DibJpeg.h"
#include "imaging/JpegParts.h"
#include "platform/DibStride.h"
#include "platform/File.h"
#include "platform/HelperThread.h"
#include "tests/imaging/ImageTestUtil.h"
#include "tests/support/HeldHelper.h"

namespace {

struct Encoding {
    int width, height, components;
    int lumaH, lumaV;   // the luma's sampling (the chroma's is 1 by 1)
    int restartRows;    // restart markers every so many rows of blocks, or
    int restartBlocks;  // every so many blocks
    bool progressive = false;
};

// A stream from the library itself, of a picture busy enough that every block has much to code.
std::vector<uint8_t> Encode(const Encoding& e) {
    uint32_t seed = 7;
    return imaging_test::LibraryJpeg(
        e.width, e.height, e.components, 92,
        [&e](jpeg_compress_struct& cinfo) {
            if (e.components == 3) {
                cinfo.comp_info[0].h_samp_factor = e.lumaH;
                cinfo.comp_info[0].v_samp_factor = e.lumaV;
            }
            cinfo.restart_in_rows = e.restartRows;
            cinfo.restart_interval = static_cast<unsigned>(e.restartBlocks);
            if (e.progressive) jpeg_simple_progression(&cinfo);
        },
        // Smooth slopes with noise over them.
        [&seed](size_t i, JDIMENSION row) {
            seed = seed * 1103515245u + 12345u;
            return static_cast<JSAMPLE>((i * 2 + row * 3 + (seed >> 27)) & 0xFF);
        });
}

// The image as the plain reading makes it.
CDibJpeg ReadPlain(const std::vector<uint8_t>& bytes) {
    CDibJpeg jpeg;
    jpeg.SetQuiet(true);
    platform::MemoryFile file(bytes, "part.jpg");
    EXPECT_TRUE(jpeg.Read(file));
    return jpeg;
}

const Encoding kSplittable[] = {
    {640, 480, 3, 2, 2, 1, 0},  // as this program writes its backgrounds
    {97, 61, 3, 2, 2, 1, 0},    // rows of blocks cut short at the right and at the bottom
    {97, 61, 3, 2, 1, 1, 0},    // luma two across
    {64, 50, 3, 1, 1, 2, 0},    // no subsampling, a restart every two rows of blocks
    {70, 45, 1, 1, 1, 1, 0},    // grey
    {48, 40, 3, 2, 2, 0, 3},    // a restart every three blocks: only rows of blocks starting one serve
};

}  // namespace

TEST(JpegParts, EveryPartFromARestartGivesTheRowsOfTheWholeDecoding) {
    for (const Encoding& e : kSplittable) {
        SCOPED_TRACE(testing::Message() << e.width << "x" << e.height << " components " << e.components
                                        << " luma " << e.lumaH << "x" << e.lumaV);
        const std::vector<uint8_t> bytes = Encode(e);
        const std::optional<jpeg_parts::Plan> plan = jpeg_parts::PlanOf(bytes.data(), bytes.size());
        ASSERT_TRUE(plan);
        EXPECT_EQ(plan->width, static_cast<uint32_t>(e.width));
        EXPECT_EQ(plan->height, static_cast<uint32_t>(e.height));
        const CDibJpeg whole = ReadPlain(bytes);
        const size_t stride = static_cast<size_t>(platform::DibStride(e.width, 24));
        int parts = 0;
        for (uint32_t blockRow = 0; blockRow * plan->blockRowHeight < plan->height; ++blockRow) {
            if (!plan->CanStartAt(blockRow)) continue;
            ++parts;
            const uint32_t top = blockRow * plan->blockRowHeight;
            for (const uint32_t first : {top + 1, std::min(top + 5, plan->height - 1)}) {
                std::vector<uint8_t> pixels(stride * e.height, 0xEE);
                ASSERT_TRUE(
                    jpeg_parts::DecodePart(bytes.data(), *plan, blockRow, first, pixels.data(), stride));
                // Bottom-up: image row y is at (height - 1 - y); the rows above `first` are left alone.
                for (uint32_t y = 0; y < plan->height; ++y) {
                    const uint8_t* made = pixels.data() + (e.height - 1 - y) * stride;
                    const uint8_t* want = whole.GetBits() + (e.height - 1 - y) * stride;
                    if (y < first) {
                        ASSERT_EQ(made[0], 0xEE) << "row " << y << " is not the part's";
                        continue;
                    }
                    ASSERT_EQ(std::memcmp(made, want, stride), 0) << "row " << y << " of a part from " << top;
                }
            }
        }
        // Every restart at the start of a row of blocks gives a place to start from.
        EXPECT_GE(parts,
                  e.restartBlocks == 0 ? static_cast<int>(plan->height / plan->blockRowHeight) / 2 : 1);
    }
}

TEST(JpegParts, StreamsThatCannotBeEnteredInTheMiddleHaveNoPlan) {
    const std::vector<uint8_t> noRestarts = Encode({64, 48, 3, 2, 2, 0, 0});
    EXPECT_FALSE(jpeg_parts::PlanOf(noRestarts.data(), noRestarts.size()));
    const std::vector<uint8_t> progressive = Encode({64, 48, 3, 2, 2, 1, 0, true});
    EXPECT_FALSE(jpeg_parts::PlanOf(progressive.data(), progressive.size()));
    std::vector<uint8_t> good = Encode({64, 48, 3, 2, 2, 1, 0});
    ASSERT_TRUE(jpeg_parts::PlanOf(good.data(), good.size()));
    // Cut anywhere, or with a restart marker missing, the markers no longer add up.
    for (size_t cut : {size_t{2}, size_t{20}, good.size() / 2, good.size() - 1})
        EXPECT_FALSE(jpeg_parts::PlanOf(good.data(), cut)) << cut;
    const std::optional<jpeg_parts::Plan> plan = jpeg_parts::PlanOf(good.data(), good.size());
    std::vector<uint8_t> lost = good;
    lost[plan->restarts[1] + 1] = 0x00;  // the marker becomes a coded 0xFF
    EXPECT_FALSE(jpeg_parts::PlanOf(lost.data(), lost.size()));
    std::vector<uint8_t> junk(300, 0xFF);
    EXPECT_FALSE(jpeg_parts::PlanOf(junk.data(), junk.size()));
    // A damaged byte inside a part: the part says so rather than giving other pixels.
    std::vector<uint8_t> damaged = good;
    const size_t inside = plan->restarts[1] + 4;
    damaged[inside] = 0xFF;
    damaged[inside + 1] = 0xC8;  // a marker that has no business in the data
    std::vector<uint8_t> pixels(static_cast<size_t>(platform::DibStride(64, 24)) * 48);
    EXPECT_FALSE(
        jpeg_parts::DecodePart(damaged.data(), *plan, 1, 17, pixels.data(), platform::DibStride(64, 24)));
}

// The waiting thread takes the lower rows while the helper makes the upper ones; the image is the one a
// plain read makes, and so is it when the stream turns out damaged in either part.
TEST(JpegParts, ASharedDecodingGivesThePlainReadsImage) {
    if (!platform::HelperTask::Parallel()) GTEST_SKIP() << "one processor: nothing to share";
    CDibJpeg source;
    source.Create(320, 240, 3);
    for (int32_t y = 0; y < 240; ++y) {
        uint8_t* row = source.GetPixelAddress(0, y);
        for (int i = 0; i < 3 * 320; ++i) row[i] = static_cast<uint8_t>(i * 7 + y * 13 + (i * y >> 5));
    }
    platform::MemoryFile written;
    ASSERT_TRUE(source.Write(written));
    const std::vector<uint8_t> good = written.Bytes();
    const std::optional<jpeg_parts::Plan> plan = jpeg_parts::PlanOf(good.data(), good.size());
    ASSERT_TRUE(plan) << "this program's writer puts a restart at every row of blocks";
    std::vector<uint8_t> upperDamage = good, lowerDamage = good;
    upperDamage[plan->restarts[2] + 9] ^= 0x5A;
    lowerDamage[plan->restarts[plan->restarts.size() - 3] + 9] ^= 0x5A;
    for (const std::vector<uint8_t>* bytes :
         std::initializer_list<const std::vector<uint8_t>*>{&good, &upperDamage, &lowerDamage}) {
        const CDibJpeg plain = ReadPlain(*bytes);
        // The helper is held, so that the share is taken before it begins.
        test_support::HeldHelper held;
        CDibJpeg shared;
        shared.SetQuiet(true);
        platform::SharedMemoryFile file(std::make_shared<const std::vector<uint8_t>>(*bytes), "shared.jpg");
        ASSERT_TRUE(shared.ReadAhead(file));
        EXPECT_TRUE(shared.ShareDecoding());
        held.Join();
        EXPECT_EQ(shared.FinishReading(), CDibJpeg::Outcome::read);
        EXPECT_EQ(file.Position(), bytes->size());
        ASSERT_EQ(shared.GetWidth(), 320);
        EXPECT_EQ(std::memcmp(shared.GetBits(), plain.GetBits(), plain.GetHeader()->biSizeImage), 0)
            << (bytes == &good          ? "sound"
                : bytes == &upperDamage ? "damaged above"
                                        : "damaged below");
    }
}
