#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

#include "archive/Archive.h"
#include "imaging/DibJpeg.h"
#include "imaging/DibPcx.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "tests/imaging/ImageTestUtil.h"
#include "tests/support/Bytes.h"
#include "tests/support/Pixels.h"
#include "tests/support/ScratchFolder.h"

using namespace imaging_test;
using namespace test_support;

namespace {

class Jpeg : public testing::Test {
  protected:
    platform::RecordingMessageBox boxes;
    platform::ScopedMessageBox guard{boxes};
};

}  // namespace

TEST_F(Jpeg, WriteThenReadGivesTheImageAtFullQuality) {
    CDibJpeg jpeg;
    static_cast<CDIB&>(jpeg) = CoordinateImage(33, 17);
    platform::MemoryFile file;
    ASSERT_TRUE(jpeg.Write(file));
    EXPECT_EQ(file.Bytes()[0], 0xFF);
    EXPECT_EQ(file.Bytes()[1], 0xD8);
    EXPECT_EQ(file.Bytes()[file.Bytes().size() - 1], 0xD9);
    file.Seek(0);
    CDibJpeg back;
    ASSERT_TRUE(back.Read(file));
    ASSERT_EQ(back.GetWidth(), 33);
    ASSERT_EQ(back.GetHeight(), 17);
    EXPECT_EQ(back.GetBitCount(), 24);
    int worst = 0;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 33; ++x) {
            Rgb a = GetPixel(jpeg, x, y), b = GetPixel(back, x, y);
            worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
        }
    EXPECT_LE(worst, 12);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Jpeg, GreyImageComesBackAsEqualChannels) {
    platform::MemoryFile file(LibraryJpeg(9, 4, 1));
    CDibJpeg jpeg;
    ASSERT_TRUE(jpeg.Read(file));
    EXPECT_EQ(jpeg.GetBitCount(), 24);
    bool someNonZero = false;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x) {
            Rgb p = GetPixel(jpeg, x, y);
            ASSERT_EQ(p.r, p.g);
            ASSERT_EQ(p.g, p.b);
            someNonZero |= p.r != 0;
        }
    EXPECT_TRUE(someNonZero);
}

TEST_F(Jpeg, OnePixelWideRowsTakeFourBytes) {
    platform::MemoryFile file(LibraryJpeg(1, 3, 3));
    CDibJpeg jpeg;
    ASSERT_TRUE(jpeg.Read(file));
    EXPECT_EQ(jpeg.GetStorageWidth(), 4);
    EXPECT_EQ(jpeg.GetHeader()->biSizeImage, 12u);
}

TEST_F(Jpeg, EmptyFileShowsTheLibraryMessage) {
    platform::MemoryFile file;
    CDibJpeg jpeg;
    EXPECT_FALSE(jpeg.Read(file));
    EXPECT_FALSE(jpeg.HasImage());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Empty input file");
    EXPECT_EQ(boxes.shown[0].caption, "Error JPEG");
}

TEST_F(Jpeg, NotAJpegFails) {
    platform::MemoryFile file(std::vector<uint8_t>{'B', 'M', 0, 0, 0, 0});
    CDibJpeg jpeg;
    EXPECT_FALSE(jpeg.Read(file));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Error JPEG");
    EXPECT_NE(boxes.shown[0].text.find("Not a JPEG file"), std::string::npos);
}

TEST_F(Jpeg, TruncatedStreamWarnsAndStillGivesAnImage) {
    std::vector<uint8_t> bytes = LibraryJpeg(64, 64, 3);
    bytes.resize(bytes.size() / 2);
    platform::MemoryFile file(bytes);
    CDibJpeg jpeg;
    ASSERT_TRUE(jpeg.Read(file));
    EXPECT_EQ(jpeg.GetWidth(), 64);
    ASSERT_GE(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Premature end of JPEG file");
    EXPECT_EQ(boxes.shown[0].caption, "Error JPEG");
    EXPECT_EQ(boxes.shown[0].icon, platform::MessageIcon::none);
    // The supplied end-of-image marker is not in the file: the file stands at its end, not before it.
    EXPECT_EQ(file.Position(), bytes.size());
    // The completed stream is not written back as it was read: that would run into what follows.
    platform::MemoryFile out;
    ASSERT_TRUE(jpeg.Write(out));
    EXPECT_NE(out.Bytes(), bytes);
    EXPECT_EQ(out.Bytes().back(), 0xD9);
}

TEST_F(Jpeg, UnchangedImageIsWrittenBackByteForByte) {
    std::vector<uint8_t> stream = LibraryJpeg(40, 30, 3, 55);
    std::vector<uint8_t> withTail = stream;
    withTail.insert(withTail.end(), {1, 2, 3, 4, 5});
    platform::MemoryFile file(withTail);
    CDibJpeg jpeg;
    ASSERT_TRUE(jpeg.Read(file));
    EXPECT_EQ(file.Position(), stream.size());
    platform::MemoryFile out;
    ASSERT_TRUE(jpeg.Write(out));
    EXPECT_EQ(out.Bytes(), stream);
    // A copy is just as unchanged.
    CDibJpeg copy(jpeg);
    platform::MemoryFile outCopy;
    ASSERT_TRUE(copy.Write(outCopy));
    EXPECT_EQ(outCopy.Bytes(), stream);
    // Any change of pixels means encoding afresh.
    jpeg.GetPixelAddress(3, 3)[0] ^= 0x80;
    platform::MemoryFile changed;
    ASSERT_TRUE(jpeg.Write(changed));
    EXPECT_NE(changed.Bytes(), stream);
    ASSERT_TRUE(copy.Resize(20, 15));
    platform::MemoryFile resized;
    ASSERT_TRUE(copy.Write(resized));
    EXPECT_NE(resized.Bytes(), stream);
}

TEST_F(Jpeg, TwoStreamsOneAfterTheOther) {
    std::vector<uint8_t> first = LibraryJpeg(8, 8, 3), second = LibraryJpeg(5, 3, 1);
    std::vector<uint8_t> both = first;
    both.insert(both.end(), second.begin(), second.end());
    platform::MemoryFile file(both);
    CDibJpeg a, b;
    ASSERT_TRUE(a.Read(file));
    EXPECT_EQ(file.Position(), first.size());
    ASSERT_TRUE(b.Read(file));
    EXPECT_EQ(file.Position(), both.size());
    EXPECT_EQ(a.GetWidth(), 8);
    EXPECT_EQ(b.GetWidth(), 5);
}

// What a read leaves: whether it took, where the file stands, the pixels, and what the image writes back.
struct ReadResult {
    bool read = false;
    uint64_t position = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> written;
};

ReadResult Result(CDibJpeg& jpeg, bool read, const platform::File& file) {
    ReadResult r;
    r.read = read;
    r.position = file.Position();
    if (!read || !jpeg.HasImage()) return r;
    const uint8_t* bits = std::as_const(jpeg).GetBits();
    r.pixels.assign(bits, bits + static_cast<size_t>(jpeg.GetStorageWidth()) * jpeg.GetHeight());
    platform::MemoryFile out;
    EXPECT_TRUE(jpeg.Write(out));
    r.written = out.Bytes();
    return r;
}

// Read ahead (decoded on the helper thread while the caller goes on), a stream gives exactly what Read
// gives: taken or refused alike, the file left at the same place, the same pixels, the same bytes
// written back. Streams whose markers do not plainly end are simply read at once.
TEST_F(Jpeg, ReadAheadGivesWhatReadGives) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> streams = {
        {"baseline, odd size", LibraryJpeg(37, 23, 3)},
        {"grey", LibraryJpeg(19, 41, 1)},
        {"full quality", LibraryJpeg(64, 48, 3, 100)},
        {"progressive",
         LibraryJpeg(50, 33, 3, 90, [](jpeg_compress_struct& c) { jpeg_simple_progression(&c); })},
        {"restart markers",
         LibraryJpeg(48, 40, 3, 75, [](jpeg_compress_struct& c) { c.restart_interval = 1; })},
        {"4:4:4", LibraryJpeg(33, 17, 3, 85,
                              [](jpeg_compress_struct& c) {
                                  c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;
                              })},
    };
    std::vector<uint8_t> commented = LibraryJpeg(21, 13, 3);
    // A comment with an end-of-image marker in it: its length carries the reader over it.
    const std::vector<uint8_t> comment = {0xFF, 0xFE, 0x00, 0x06, 0xFF, 0xD9, 0xFF, 0xD9};
    commented.insert(commented.begin() + 2, comment.begin(), comment.end());
    streams.push_back({"comment holding an end marker", commented});
    std::vector<uint8_t> truncated = LibraryJpeg(64, 64, 3);
    truncated.resize(truncated.size() * 2 / 3);
    streams.push_back({"truncated", truncated});
    std::vector<uint8_t> precision = LibraryJpeg(16, 16, 3);
    for (size_t i = 2; i + 4 < precision.size(); ++i)
        if (precision[i] == 0xFF && precision[i + 1] == 0xC0) {
            precision[i + 4] = 13;  // a sample precision the decoder refuses after the markers are walked
            break;
        }
    streams.push_back({"refused by the decoder", precision});
    streams.push_back({"no start marker", {0x00, 0xFF, 0xD8, 0xFF, 0xD9}});

    for (const auto& [name, stream] : streams) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> bytes = stream;
        bytes.insert(bytes.end(), {0x12, 0x34, 0x56});  // what follows in a title
        const auto shared = std::make_shared<const std::vector<uint8_t>>(bytes);
        platform::SharedMemoryFile plainFile(shared), aheadFile(shared), earlyFile(shared);
        CDibJpeg plain, ahead, early;
        for (CDibJpeg* j : {&plain, &ahead, &early}) j->SetQuiet(true);
        const ReadResult expected = Result(plain, plain.Read(plainFile), plainFile);

        bool read = ahead.ReadAhead(aheadFile);
        const uint64_t position = aheadFile.Position();
        read = read && ahead.FinishReading() == CDibJpeg::Outcome::read;
        ReadResult got = Result(ahead, read, aheadFile);
        got.position = position;
        EXPECT_EQ(got.read, expected.read);
        if (expected.read) {
            EXPECT_EQ(got.position, expected.position);
        }
        EXPECT_EQ(got.pixels, expected.pixels);
        EXPECT_EQ(got.written, expected.written);
        if (!expected.read) {
            EXPECT_FALSE(ahead.HasImage());
        }

        // Pixels asked for before the read is finished wait for the decoding.
        read = early.ReadAhead(earlyFile);
        if (read && expected.read) {
            ASSERT_EQ(early.GetWidth(), plain.GetWidth());
            const uint8_t* bits = std::as_const(early).GetBits();
            ASSERT_NE(bits, nullptr);
            EXPECT_TRUE(std::equal(expected.pixels.begin(), expected.pixels.end(), bits));
        }
        read = read && early.FinishReading() == CDibJpeg::Outcome::read;
        EXPECT_EQ(Result(early, read, earlyFile).written, expected.written);
    }
    EXPECT_TRUE(boxes.shown.empty()) << "a quiet read shows nothing, on any thread";
}

TEST_F(Jpeg, FailedReadLeavesNoImage) {
    std::vector<uint8_t> bytes = LibraryJpeg(16, 16, 3);
    bytes.resize(20);  // inside the headers: the library cannot go on
    platform::MemoryFile file(bytes);
    CDibJpeg jpeg;
    EXPECT_FALSE(jpeg.Read(file));
    EXPECT_FALSE(jpeg.HasImage());
    EXPECT_FALSE(boxes.shown.empty());
}

TEST_F(Jpeg, QuietCodecShowsNothing) {
    platform::MemoryFile file;
    CDibJpeg jpeg;
    jpeg.SetQuiet(true);
    EXPECT_FALSE(jpeg.Read(file));
    EXPECT_TRUE(boxes.shown.empty());
}

// A sprite's PCX and the background's JFIF lie in one archive stream with nothing framing them; each
// reader must stop exactly where its image ends.
TEST_F(Jpeg, PcxAndJfifEmbeddedInOneArchive) {
    CDibPcx sprite;
    static_cast<CDIB&>(sprite) = CoordinateImage(13, 7);
    CDibJpeg background;
    platform::MemoryFile jfif(LibraryJpeg(32, 24, 3));
    ASSERT_TRUE(background.Read(jfif));
    platform::MemoryFile file;
    {
        CArchive ar(file, CArchive::store);
        ar.WriteDword(1);
        sprite.Serialize(ar);
        ar.WriteDword(2);
        background.Serialize(ar);
        ar.WriteDword(3);
        ar.WriteString("end");
        ar.Close();
    }
    file.Seek(0);
    CArchive ar(file, CArchive::load);
    CDibPcx spriteBack;
    CDibJpeg backgroundBack;
    EXPECT_EQ(ar.ReadDword(), 1u);
    spriteBack.Serialize(ar);
    EXPECT_EQ(ar.ReadDword(), 2u);
    backgroundBack.Serialize(ar);
    EXPECT_EQ(ar.ReadDword(), 3u);
    EXPECT_EQ(ar.ReadString(), "end");
    EXPECT_TRUE(SamePixels(sprite, spriteBack));
    EXPECT_TRUE(SamePixels(background, backgroundBack));
}

TEST_F(Jpeg, SamePixelBytesInAnotherShapeAreAChange) {
    std::vector<uint8_t> stream = LibraryJpeg(4, 2, 3);
    platform::MemoryFile file(stream);
    CDibJpeg jpeg;
    ASSERT_TRUE(jpeg.Read(file));
    // 4 x 2 and 2 x 3 both take 24 bytes of rows.
    BITMAPINFOHEADER header = *jpeg.GetHeader();
    header.biWidth = 2;
    header.biHeight = 3;
    std::vector<uint8_t> bytes(jpeg.GetBits(), jpeg.GetBits() + 24);
    ASSERT_TRUE(jpeg.CopyPacked(&header, bytes.data()));
    platform::MemoryFile out;
    ASSERT_TRUE(jpeg.Write(out));
    EXPECT_NE(out.Bytes(), stream);
    out.Seek(0);
    CDibJpeg back;
    ASSERT_TRUE(back.Read(out));
    EXPECT_EQ(back.GetWidth(), 2);
}

TEST_F(Jpeg, ImageTooLargeForMemoryIsReportedAsSuch) {
    std::vector<uint8_t> bytes = LibraryJpeg(16, 16, 3);
    // The frame header (FF C0, length, precision) gives height and width: claim 60000 x 60000.
    size_t sof = 2;
    while (sof + 8 < bytes.size() && !(bytes[sof] == 0xFF && bytes[sof + 1] == 0xC0)) ++sof;
    ASSERT_LT(sof + 8, bytes.size());
    bytes[sof + 5] = 0xEA, bytes[sof + 6] = 0x60, bytes[sof + 7] = 0xEA, bytes[sof + 8] = 0x60;
    platform::MemoryFile file(bytes);
    CDibJpeg jpeg;
    EXPECT_FALSE(jpeg.Read(file));
    EXPECT_FALSE(jpeg.HasImage());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Memoria insuficiente para descomprimir JPEG.");
}

TEST_F(Jpeg, LoadChoosesTheReaderByTheNameAndSaveWritesJpeg) {
    platform::ScriptedFileDialog dialog;
    platform::SetFileDialog(&dialog);
    ScratchFolder scratch;
    std::string dir = scratch.Path();
    CDibJpeg jpeg;
    static_cast<CDIB&>(jpeg) = CoordinateImage(6, 4);
    EXPECT_FALSE(jpeg.Save(""));
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].filter, "Jpeg files (*.JPG)|*.JPG|All files (*.*)|*.*||");
    EXPECT_TRUE(dialog.requests[0].save);
    ASSERT_TRUE(jpeg.Save(dir + "/a.bmp"));  // always JPEG, whatever the name says
    ASSERT_TRUE(CDIB(jpeg).Save(dir + "/b.bmp"));
    CDibJpeg back;
    dialog.answers.push_back(dir + "/b.bmp");
    ASSERT_TRUE(back.Load(""));  // not "JPG": the BMP reader
    EXPECT_EQ(dialog.requests.back().filter,
              "JPEG files (*.JPG)|*.JPG|BMP files (*.BMP)|*.BMP|All files (*.*)|*.*||");
    EXPECT_TRUE(SamePixels(back, jpeg));
    EXPECT_FALSE(back.Load(dir + "/a.bmp"));  // a JFIF stream is no BMP
    EXPECT_EQ(boxes.shown.back().text, "Failed to load file");
    std::rename((dir + "/a.bmp").c_str(), (dir + "/a.jpg").c_str());
    ASSERT_TRUE(back.Load(dir + "/a.jpg"));
    EXPECT_EQ(back.GetWidth(), 6);
    platform::SetFileDialog(nullptr);
}

namespace {

// The library's own plain decode of a stream: top-down rows of red, green, blue (or grey) samples.
std::vector<uint8_t> PlainDecode(const std::vector<uint8_t>& stream, int& components) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, stream.data(), stream.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    components = cinfo.output_components;
    const size_t rowBytes = static_cast<size_t>(cinfo.output_width) * components;
    std::vector<uint8_t> samples(rowBytes * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = samples.data() + cinfo.output_scanline * rowBytes;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return samples;
}

}  // namespace

TEST_F(Jpeg, RowsGoStraightIntoTheImageAsTheLibraryDecodesThem) {
    // Whatever the width, each pixel is the library's plain decode of the same stream, the rows upright in
    // the bottom-up image, blue first, and the padding after them zero.
    for (int components : {3, 1})
        for (int width : {1, 2, 3, 5, 17}) {
            SCOPED_TRACE(testing::Message() << width << " wide, " << components << " components");
            const std::vector<uint8_t> stream = LibraryJpeg(width, 7, components);
            int decoded = 0;
            const std::vector<uint8_t> samples = PlainDecode(stream, decoded);
            ASSERT_EQ(decoded, components);
            platform::MemoryFile file(stream);
            CDibJpeg jpeg;
            ASSERT_TRUE(jpeg.Read(file));
            ASSERT_EQ(jpeg.GetWidth(), width);
            for (int y = 0; y < 7; ++y) {
                const uint8_t* row = jpeg.GetPixelAddress(0, y);
                for (int x = 0; x < width; ++x) {
                    const uint8_t* s = samples.data() + (y * width + x) * components;
                    const Rgb expected = components == 3 ? Rgb{s[0], s[1], s[2]} : Rgb{s[0], s[0], s[0]};
                    ASSERT_EQ(GetPixel(jpeg, x, y), expected) << x << "," << y;
                }
                for (int i = 3 * width; i < jpeg.GetStorageWidth(); ++i)
                    ASSERT_EQ(row[i], 0) << "padding of row " << y;
            }
        }
}
