#include <gtest/gtest.h>

#include "platform/DibStride.h"
#include "platform/LittleEndian.h"

using namespace platform;

TEST(DibStride, RowsAreWholeWordsOfTheirPixelBits) {
    struct Case {
        int bitCount;
        int64_t strides[5];  // widths 1 to 5
    };
    const Case cases[] = {
        {1, {4, 4, 4, 4, 4}},     {4, {4, 4, 4, 4, 4}},     {8, {4, 4, 4, 4, 8}},
        {24, {4, 8, 12, 12, 16}}, {32, {4, 8, 12, 16, 20}},
    };
    for (const Case& c : cases)
        for (int64_t width = 1; width <= 5; ++width)
            EXPECT_EQ(DibStride(width, c.bitCount), c.strides[width - 1]) << c.bitCount << " bits, " << width;
    // The word boundary itself, and the widest image any reader takes.
    EXPECT_EQ(DibStride(32, 1), 4);
    EXPECT_EQ(DibStride(33, 1), 8);
    EXPECT_EQ(DibStride(8, 4), 4);
    EXPECT_EQ(DibStride(9, 4), 8);
    EXPECT_EQ(DibStride(16384, 24), 49152);
    EXPECT_EQ(DibStride(16383, 24), 49152);
}

TEST(LittleEndian, LowByteFirstWithTheHighBitsKept) {
    const uint8_t bytes[] = {0x01, 0x02, 0x03, 0x84, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(LoadLe16(bytes), 0x0201);
    EXPECT_EQ(LoadLe32(bytes), 0x84030201u);
    EXPECT_EQ(LoadLe16(bytes + 3), 0xFF84);
    EXPECT_EQ(LoadLe32(bytes + 4), 0xFFFFFFFFu);

    uint8_t out[6] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    StoreLe32(out, 0x80FF0102u);
    StoreLe16(out + 4, 0xC0DE);
    const uint8_t expected[] = {0x02, 0x01, 0xFF, 0x80, 0xDE, 0xC0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], expected[i]) << i;
    EXPECT_EQ(LoadLe32(out), 0x80FF0102u);
    EXPECT_EQ(LoadLe16(out + 4), 0xC0DE);
}
