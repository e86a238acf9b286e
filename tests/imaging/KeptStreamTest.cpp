#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/DibJpeg.h"
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

    // Putting the pixel back is a change too: the image is encoded again, to the pixels it was read with.
    image.GetPixelAddress(1, 0)[0] = 0x33;
    platform::MemoryFile again(Written(image));
    CDibPcx restored;
    ASSERT_TRUE(restored.Read(again));
    EXPECT_EQ(restored.GetPixelAddress(1, 0)[0], 0x33);
    EXPECT_EQ(restored.GetPixelAddress(1, 0)[2], 0x11);
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

// Every way of writing pixels or colours takes a new mark; reading, and copying out of the image, keep it.
TEST(KeptStreamTest, TheChangeMarkMovesWithEveryWriteAndStaysForReads) {
    CDibPcx image;
    ASSERT_TRUE(image.Create(5, 3, 3));
    const CDibPcx& constant = image;
    CDIB other;
    ASSERT_TRUE(other.Create(5, 3, 3));

    uint64_t mark = image.ChangeMark();
    auto changed = [&] {
        const bool moved = image.ChangeMark() != mark;
        mark = image.ChangeMark();
        return moved;
    };
    EXPECT_NE(image.ChangeMark(), other.ChangeMark()) << "two images never share a mark";

    (void)constant.GetBits();
    (void)constant.GetPixelAddress(1, 1);
    (void)constant.GetColorTable();
    EXPECT_FALSE(changed()) << "const access";
    image.CopyBits(&other, 0, 0, 5, 3, 0, 0, 0xFFFFFFFF);
    image.CopyBits(&other, 0, 0, 5, 3, 0, 0, 0);
    EXPECT_FALSE(changed()) << "copied from";
    const uint64_t otherMark = other.ChangeMark();
    other.CopyBits(&image, 1, 1, 2, 2, 0, 0, 0xFFFFFFFF);
    EXPECT_TRUE(changed()) << "copied into";
    EXPECT_EQ(other.ChangeMark(), otherMark);

    image.GetBits();
    EXPECT_TRUE(changed()) << "GetBits";
    image.GetPixelAddress(4, 2);
    EXPECT_TRUE(changed()) << "GetPixelAddress";
    image.Fill(0x123456);
    EXPECT_TRUE(changed()) << "Fill";
    image.FillGradient(0x000000, 0xFFFFFF);
    EXPECT_TRUE(changed()) << "FillGradient";
    ASSERT_TRUE(image.Resize(3, 2));
    EXPECT_TRUE(changed()) << "Resize";
    ASSERT_TRUE(image.Create(2, 2, 1));
    EXPECT_TRUE(changed()) << "Create";
    image.GetColorTable()[0] = 7;
    EXPECT_TRUE(changed()) << "colour table";
    ASSERT_TRUE(image.ConvertTo24());
    EXPECT_TRUE(changed()) << "ConvertTo24";
    ASSERT_TRUE(image.CopyPacked(other.GetHeader(), other.GetBits()));
    EXPECT_TRUE(changed()) << "CopyPacked";
    image.AttachBits(other.GetHeader(), other.GetBits());
    EXPECT_TRUE(changed()) << "AttachBits";
    image.Clear();
    EXPECT_TRUE(changed()) << "Clear";

    // A copy holds the same pixels and so the same mark, until either changes.
    CDibPcx copy(image);
    EXPECT_EQ(copy.ChangeMark(), image.ChangeMark());
    copy.GetBits();
    EXPECT_NE(copy.ChangeMark(), image.ChangeMark());
}

// Images read from shared bytes keep a piece of them instead of a copy, and write it back as long as they
// are unchanged, also after the file they came from has gone.
TEST(KeptStreamTest, ImagesReadFromSharedBytesKeepAPieceOfThem) {
    CDibJpeg jpeg;
    ASSERT_TRUE(jpeg.Create(8, 8, 3));
    jpeg.Fill(0x3366CC);
    platform::MemoryFile encoded;
    ASSERT_TRUE(jpeg.Write(encoded));

    Bytes title = {0xAA, 0xBB};
    title.insert(title.end(), encoded.Bytes().begin(), encoded.Bytes().end());
    const Bytes pcx = HandMadePcx();
    title.insert(title.end(), pcx.begin(), pcx.end());
    title.push_back(0x7E);
    auto shared = std::make_shared<const Bytes>(title);

    CDibJpeg background;
    CDibPcx sprite;
    {
        platform::SharedMemoryFile file(shared, "TITULO.FCA");
        file.Seek(2);
        ASSERT_TRUE(background.Read(file));
        EXPECT_EQ(file.Position(), 2 + encoded.Bytes().size());
        ASSERT_TRUE(sprite.Read(file));
        EXPECT_EQ(file.Position(), title.size() - 1) << "the next value of the title comes after the image";
    }
    EXPECT_EQ(Written(sprite), HandMadePcx());
    platform::MemoryFile rewritten;
    ASSERT_TRUE(background.Write(rewritten));
    EXPECT_EQ(rewritten.Bytes(), encoded.Bytes());
    EXPECT_GT(shared.use_count(), 1) << "kept as pieces of the shared bytes";

    sprite.GetPixelAddress(0, 0)[0] = 0x55;
    background.Create(8, 8, 3);
    EXPECT_NE(Written(sprite), HandMadePcx());
    platform::MemoryFile black;
    ASSERT_TRUE(background.Write(black));
    EXPECT_NE(black.Bytes(), encoded.Bytes());
    EXPECT_EQ(shared.use_count(), 1) << "changed images let go of the shared bytes";
}

}  // namespace
