#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/DibPcx.h"
#include "platform/File.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A 2 x 1 PCX of three planes whose equal pixel pairs are written as two literal bytes each, not as the
// run our own encoder makes of them, followed by a byte of what comes next in a title.
Bytes HandMadePcx() {
    Bytes pcx(128, 0);
    pcx[0] = 10;
    pcx[1] = 5;
    pcx[2] = 1;
    pcx[3] = 8;
    pcx[8] = 1;   // xmax 1
    pcx[10] = 0;  // ymax 0
    pcx[65] = 3;
    pcx[66] = 2;  // bytes per plane line
    for (uint8_t v : {0x11, 0x11, 0x22, 0x22, 0x33, 0x33}) pcx.push_back(v);
    return pcx;
}

Bytes Written(CDibPcx& image) {
    platform::MemoryFile out;
    EXPECT_TRUE(image.Write(out));
    return out.Bytes();
}

TEST(KeptStreamTest, AnUnchangedPcxIsWrittenAsTheBytesItWasReadFrom) {
    Bytes stream = HandMadePcx();
    Bytes file = stream;
    file.push_back(0x7E);
    platform::MemoryFile in(file);
    CDibPcx image;
    ASSERT_TRUE(image.Read(in));
    EXPECT_EQ(in.Position(), stream.size()) << "the reader stops after its own bytes";
    EXPECT_EQ(Written(image), stream);

    // A copy of the image is unchanged too.
    CDibPcx copy(image);
    EXPECT_EQ(Written(copy), stream);

    // Any changed pixel makes the image encoded again, with runs.
    image.GetPixelAddress(1, 0)[0] = 0x44;
    Bytes encoded = Written(image);
    EXPECT_NE(encoded, stream);
    platform::MemoryFile back(encoded);
    CDibPcx reread;
    ASSERT_TRUE(reread.Read(back));
    EXPECT_EQ(reread.GetPixelAddress(1, 0)[0], 0x44);
    EXPECT_EQ(reread.GetPixelAddress(0, 0)[2], 0x11) << "red of the unchanged pixel";

    // Putting the pixel back makes the kept bytes good again.
    image.GetPixelAddress(1, 0)[0] = 0x33;
    EXPECT_EQ(Written(image), stream);
}

TEST(KeptStreamTest, ANewImageOfTheSameSizeIsNotTakenForTheOldOne) {
    platform::MemoryFile in(HandMadePcx());
    CDibPcx image;
    ASSERT_TRUE(image.Read(in));
    image.Create(2, 1, 3);  // black pixels now
    Bytes written = Written(image);
    EXPECT_NE(written, HandMadePcx());
    platform::MemoryFile back(written);
    CDibPcx reread;
    ASSERT_TRUE(reread.Read(back));
    EXPECT_EQ(reread.GetPixelAddress(0, 0)[2], 0);
}

}  // namespace
