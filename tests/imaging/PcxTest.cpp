#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <utility>

#include "imaging/DibPcx.h"
#include "imaging/ImageFiles.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "tests/imaging/ImageTestUtil.h"
#include "tests/support/Bytes.h"
#include "tests/support/Pixels.h"
#include "tests/support/ScratchFolder.h"

using namespace imaging_test;
using namespace test_support;

namespace {

// A PCX header of the given geometry (xmin = ymin = 0), followed by `data`.
std::vector<uint8_t> PcxFile(int32_t width, int32_t height, int planes, int32_t lineLength,
                             const std::vector<uint8_t>& data) {
    ByteWriter b;
    b.u8(10).u8(5).u8(1).u8(8).u16(0).u16(0).u16(width - 1).u16(height - 1).u16(0).u16(0).fill(48).u8(0);
    b.u8(static_cast<uint8_t>(planes)).u16(static_cast<uint16_t>(lineLength)).fill(60);
    return b.raw(data).v;
}

std::vector<uint8_t> Data(const std::vector<uint8_t>& bytes) {
    return {bytes.begin() + 128, bytes.end()};
}

std::vector<uint8_t> Written(CDibPcx& pcx) {
    platform::MemoryFile file;
    EXPECT_TRUE(pcx.Write(file));
    EXPECT_EQ(file.Position(), file.Length());
    return file.Bytes();
}

CDibPcx Solid(int32_t width, uint8_t r, uint8_t g, uint8_t b) {
    CDibPcx pcx;
    pcx.Create(width, 1, 3);
    for (int32_t x = 0; x < width; ++x) SetPixel(pcx, x, 0, r, g, b);
    return pcx;
}

}  // namespace

TEST(PcxWrite, AllWhite4x1) {
    CDibPcx pcx = Solid(4, 255, 255, 255);
    std::vector<uint8_t> bytes = Written(pcx);
    ASSERT_EQ(bytes.size(), 128u + 6u);
    std::vector<uint8_t> header = PcxFile(4, 1, 3, 4, {});
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 128), header);
    EXPECT_EQ(Data(bytes), (std::vector<uint8_t>{0xC4, 0xFF, 0xC4, 0xFF, 0xC4, 0xFF}));
}

TEST(PcxWrite, RunsOf63_64And126) {
    CDibPcx pcx64 = Solid(64, 0x10, 0xD0, 0x20);
    EXPECT_EQ(Data(Written(pcx64)),
              (std::vector<uint8_t>{0xFF, 0x10, 0x10, 0xFF, 0xD0, 0xC1, 0xD0, 0xFF, 0x20, 0x20}));
    CDibPcx pcx63 = Solid(63, 0x10, 0x10, 0x10);
    EXPECT_EQ(Data(Written(pcx63)), (std::vector<uint8_t>{0xFF, 0x10, 0xFF, 0x10, 0xFF, 0x10}));
    CDibPcx pcx126 = Solid(126, 0x10, 0xC0, 0x00);
    EXPECT_EQ(Data(Written(pcx126)),
              (std::vector<uint8_t>{0xFF, 0x10, 0xFF, 0x10, 0xFF, 0xC0, 0xFF, 0xC0, 0xFF, 0x00, 0xFF, 0x00}));
}

TEST(PcxWrite, SingleBytesAndRunsDoNotCrossLines) {
    CDibPcx pcx = Solid(1, 0xC5, 0x05, 0xBF);
    EXPECT_EQ(Data(Written(pcx)), (std::vector<uint8_t>{0xC1, 0xC5, 0x05, 0xBF}));
    // Two rows of the same colour: each row starts its own runs.
    CDibPcx rows;
    rows.Create(2, 2, 3);
    rows.Fill(0);
    EXPECT_EQ(Data(Written(rows)),
              (std::vector<uint8_t>{0xC2, 0, 0xC2, 0, 0xC2, 0, 0xC2, 0, 0xC2, 0, 0xC2, 0}));
}

TEST(PcxWrite, AFullRunOf63EndsWithNothingLeftOver) {
    // 63 equal bytes then another value: the run of 63 leaves a count of 0, which emits nothing, so
    // the next byte follows directly; a lone 0xC0 needs a run header of its own.
    CDibPcx pcx;
    pcx.Create(65, 1, 3);
    for (int32_t x = 0; x < 63; ++x) SetPixel(pcx, x, 0, 0x10, 0xC0, 0x10);
    SetPixel(pcx, 63, 0, 0x20, 0x11, 0xC0);
    SetPixel(pcx, 64, 0, 0x20, 0x11, 0xC0);
    EXPECT_EQ(Data(Written(pcx)), (std::vector<uint8_t>{0xFF, 0x10, 0xC2, 0x20,     // red
                                                        0xFF, 0xC0, 0xC2, 0x11,     // green
                                                        0xFF, 0x10, 0xC2, 0xC0}));  // blue
    pcx.Create(2, 1, 3);
    SetPixel(pcx, 0, 0, 0xC0, 0xBF, 0xFF);
    SetPixel(pcx, 1, 0, 0x00, 0xC0, 0xBF);
    EXPECT_EQ(Data(Written(pcx)),
              (std::vector<uint8_t>{0xC1, 0xC0, 0x00, 0xBF, 0xC1, 0xC0, 0xC1, 0xFF, 0xBF}));
}

TEST(PcxWrite, OddWidthKeepsItsLineLength) {
    CDibPcx pcx = Solid(5, 1, 2, 3);
    std::vector<uint8_t> bytes = Written(pcx);
    EXPECT_EQ(bytes[8] | (bytes[9] << 8), 4);    // xmax
    EXPECT_EQ(bytes[66] | (bytes[67] << 8), 5);  // bytes per line, not rounded to even
    EXPECT_EQ(bytes[65], 3);
}

TEST(PcxWrite, RefusesEightBitImages) {
    CDibPcx pcx;
    pcx.Create(2, 2, 1);
    platform::MemoryFile file;
    EXPECT_FALSE(pcx.Write(file));
}

TEST(PcxRead, RoundTripStopsExactlyAfterTheImage) {
    CDibPcx pcx;
    static_cast<CDIB&>(pcx) = CoordinateImage(70, 9);
    platform::MemoryFile file;
    ASSERT_TRUE(pcx.Write(file));
    uint64_t end = file.Position();
    file.Write("\x01\x02", 2);
    file.Seek(0);
    CDibPcx back;
    ASSERT_TRUE(back.Read(file));
    EXPECT_EQ(file.Position(), end);
    EXPECT_TRUE(SamePixels(pcx, back));
    EXPECT_EQ(back.GetHeader()->biSizeImage, static_cast<uint32_t>(back.GetStorageWidth() * 9));
}

TEST(PcxRead, LongerLinesDropTheirExtraBytes) {
    // Width 5 with 6 bytes per line: the sixth byte of every plane line is dropped.
    std::vector<uint8_t> data;
    for (int plane = 0; plane < 3; ++plane)
        for (int x = 0; x < 6; ++x) data.push_back(static_cast<uint8_t>(10 * plane + x));
    platform::MemoryFile file(PcxFile(5, 1, 3, 6, data));
    CDibPcx pcx;
    ASSERT_TRUE(pcx.Read(file));
    EXPECT_EQ(pcx.GetWidth(), 5);
    EXPECT_EQ(GetPixel(pcx, 4, 0), (Rgb{4, 14, 24}));
    EXPECT_EQ(file.Position(), file.Length());
}

TEST(PcxRead, ShorterLinesLeaveTheRestOfTheRowBlack) {
    platform::MemoryFile file(PcxFile(4, 1, 3, 2, {1, 2, 3, 4, 5, 6}));
    CDibPcx pcx;
    ASSERT_TRUE(pcx.Read(file));
    EXPECT_EQ(GetPixel(pcx, 1, 0), (Rgb{2, 4, 6}));
    EXPECT_EQ(GetPixel(pcx, 2, 0), (Rgb{0, 0, 0}));
}

TEST(PcxRead, OnePlaneWithPaletteComesBackTrueColour) {
    std::vector<uint8_t> data = {0xC3, 7, 1, 0x0C};  // row: 7 7 7 1, then the palette marker
    for (int i = 0; i < 256; ++i)
        data.insert(data.end(), {static_cast<uint8_t>(i), 100, static_cast<uint8_t>(255 - i)});
    data.push_back(0xEE);  // the next value after the image
    platform::MemoryFile file(PcxFile(4, 1, 1, 4, data));
    CDibPcx pcx;
    ASSERT_TRUE(pcx.Read(file));
    EXPECT_EQ(pcx.GetBitCount(), 24);
    EXPECT_EQ(GetPixel(pcx, 0, 0), (Rgb{7, 100, 248}));
    EXPECT_EQ(GetPixel(pcx, 3, 0), (Rgb{1, 100, 254}));
    EXPECT_EQ(file.Position(), file.Length() - 1);
}

TEST(PcxRead, OnePlaneWithoutPaletteStaysEightBit) {
    platform::MemoryFile file(PcxFile(2, 1, 1, 2, {5, 6, 0x0C, 1, 2}));
    CDibPcx pcx;
    ASSERT_TRUE(pcx.Read(file));
    EXPECT_EQ(pcx.GetBitCount(), 8);
    EXPECT_EQ(pcx.GetPixelAddress(1, 0)[0], 6);
}

TEST(PcxRead, HostileFilesFailWithoutImage) {
    auto refused = [](std::vector<uint8_t> bytes) {
        CDibPcx pcx;
        platform::MemoryFile file(std::move(bytes));
        return !pcx.Read(file) && !pcx.HasImage();
    };
    std::vector<uint8_t> good = PcxFile(2, 1, 3, 2, {1, 2, 3, 4, 5, 6});
    std::vector<uint8_t> wrongManufacturer = good;
    wrongManufacturer[0] = 11;
    EXPECT_TRUE(refused(wrongManufacturer));
    EXPECT_TRUE(refused(std::vector<uint8_t>(good.begin(), good.begin() + 100)));  // short header
    EXPECT_TRUE(refused(std::vector<uint8_t>(good.begin(), good.end() - 1)));      // short data
    EXPECT_TRUE(refused(PcxFile(2, 1, 2, 2, {1, 2, 3, 4})));                       // two planes
    EXPECT_TRUE(refused(PcxFile(2, 1, 3, 0, {})));                                 // empty lines
    EXPECT_TRUE(refused(PcxFile(2, 1, 3, -4, {})));                                // negative lines
    EXPECT_TRUE(refused(PcxFile(0, 1, 3, 2, {1, 2, 3, 4, 5, 6})));                 // xmax < xmin
    EXPECT_TRUE(refused(PcxFile(20000, 1, 3, 2, {1, 2, 3, 4, 5, 6})));             // beyond the side limit
    EXPECT_TRUE(refused(PcxFile(4000, 4000, 3, 4000, {0xFF, 0})));     // lines that cannot be there
    EXPECT_TRUE(refused(PcxFile(2, 1, 3, 2, {0xC3, 9, 1, 2, 3, 4})));  // a run past the line
    EXPECT_TRUE(refused(PcxFile(2, 1, 3, 2, {1, 0xC1})));              // run without its value
    // A read failure discards the image that was there before.
    CDibPcx pcx;
    platform::MemoryFile bad(wrongManufacturer);
    EXPECT_FALSE(pcx.Read(bad));
    EXPECT_FALSE(pcx.HasImage());
    EXPECT_EQ(pcx.GetWidth(), 0);
}

TEST(PcxRead, ImageBeyondTheMemoryLimitsIsReportedAsSuch) {
    platform::RecordingMessageBox boxes;
    platform::ScopedMessageBox guard(boxes);
    CDibPcx pcx;
    platform::MemoryFile tooLarge(PcxFile(16384, 16384, 3, 16384, {0xFF, 0}));
    EXPECT_FALSE(pcx.Read(tooLarge));
    EXPECT_FALSE(pcx.HasImage());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Memoria insuficiente para descomprimir PCX.");
    // A header that describes no image at all is refused without a message.
    platform::MemoryFile empty(PcxFile(0, 1, 3, 2, {}));
    EXPECT_FALSE(pcx.Read(empty));
    EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST(PcxRead, ZeroCountRunsProduceNothing) {
    platform::MemoryFile file(PcxFile(2, 1, 3, 2, {0xC0, 77, 1, 2, 0xC2, 3, 4, 0xC0, 9, 5}));
    CDibPcx pcx;
    ASSERT_TRUE(pcx.Read(file));
    EXPECT_EQ(GetPixel(pcx, 0, 0), (Rgb{1, 3, 4}));
    EXPECT_EQ(GetPixel(pcx, 1, 0), (Rgb{2, 3, 5}));
}

TEST(PcxFiles, LoadChoosesTheReaderByTheNameAndSaveWritesPcx) {
    platform::RecordingMessageBox boxes;
    platform::ScopedMessageBox guard(boxes);
    platform::ScriptedFileDialog dialog;
    platform::SetFileDialog(&dialog);
    ScratchFolder scratch;
    std::string dir = scratch.Path();
    CDibPcx pcx;
    static_cast<CDIB&>(pcx) = CoordinateImage(6, 4);
    ASSERT_TRUE(pcx.Save(dir + "/a.pcx"));
    ASSERT_TRUE(CDIB(pcx).Save(dir + "/a.bmp"));
    CDibPcx back;
    dialog.answers.push_back(dir + "/a.pcx");
    ASSERT_TRUE(back.Load(""));
    EXPECT_EQ(dialog.requests[0].filter,
              "PCX files (*.PCX)|*.PCX|BMP files (*.BMP)|*.BMP|All files (*.*)|*.*||");
    EXPECT_TRUE(SamePixels(pcx, back));
    back.Clear();
    ASSERT_TRUE(back.Load(dir + "/a.bmp"));
    EXPECT_TRUE(SamePixels(pcx, back));
    EXPECT_FALSE(back.Load(dir + "/a.bmp.pcx"));
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_FALSE(pcx.Save(""));
    EXPECT_EQ(dialog.requests.back().filter, "PCX files (*.PCX)|*.PCX|All files (*.*)|*.*||");
    platform::SetFileDialog(nullptr);
}

namespace {

// A PCX file of `bits` bits per plane with the 16-entry header palette entry i = (16i, 255 - i, i).
std::vector<uint8_t> LowColourPcx(int32_t width, int32_t height, int bits, int planes, int32_t lineLength,
                                  const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes = PcxFile(width, height, planes, lineLength, data);
    bytes[3] = static_cast<uint8_t>(bits);
    for (int i = 0; i < 16; ++i) {
        bytes[16 + 3 * i] = static_cast<uint8_t>(16 * i);
        bytes[17 + 3 * i] = static_cast<uint8_t>(255 - i);
        bytes[18 + 3 * i] = static_cast<uint8_t>(i);
    }
    return bytes;
}

Rgb HeaderEntry(int i) {
    return {static_cast<uint8_t>(16 * i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i)};
}

}  // namespace

TEST(PcxImage, MonochromeIsBlackAndWhite) {
    // 10 x 2 with 2 bytes a line: top row 1 0 1 0 0 0 0 0 0 1, bottom row a run of white.
    platform::MemoryFile file(LowColourPcx(10, 2, 1, 1, 2, {0xA0, 0x40, 0xC2, 0xFF}));
    CDIB dib;
    ASSERT_TRUE(ReadPcxImage(file, dib));
    EXPECT_EQ(dib.GetBitCount(), 24);
    const Rgb white{255, 255, 255}, black{0, 0, 0};
    const std::vector<Rgb> top = {white, black, white, black, black, black, black, black, black, white};
    for (int32_t x = 0; x < 10; ++x) EXPECT_EQ(GetPixel(dib, x, 0), top[x]) << x;
    EXPECT_EQ(GetPixel(dib, 4, 1), white);
}

TEST(PcxImage, SixteenColoursInFourPlanesOrPacked) {
    // Indices 5, 10, 15 spread over four bit planes (plane 0 the lowest bit).
    platform::MemoryFile planar(LowColourPcx(3, 1, 1, 4, 1, {0xA0, 0x60, 0xA0, 0x60}));
    CDIB dib;
    ASSERT_TRUE(ReadPcxImage(planar, dib));
    EXPECT_EQ(GetPixel(dib, 0, 0), HeaderEntry(5));
    EXPECT_EQ(GetPixel(dib, 1, 0), HeaderEntry(10));
    EXPECT_EQ(GetPixel(dib, 2, 0), HeaderEntry(15));
    // The same indices packed two to a byte in one plane.
    platform::MemoryFile packed(LowColourPcx(3, 1, 4, 1, 2, {0x5A, 0xC1, 0xF0}));
    ASSERT_TRUE(ReadPcxImage(packed, dib));
    EXPECT_EQ(GetPixel(dib, 0, 0), HeaderEntry(5));
    EXPECT_EQ(GetPixel(dib, 2, 0), HeaderEntry(15));
    // Eight-bit files still go through the sprite codec.
    platform::MemoryFile eight(PcxFile(2, 1, 3, 2, {1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(ReadPcxImage(eight, dib));
    EXPECT_EQ(GetPixel(dib, 1, 0), (Rgb{2, 4, 6}));
}

TEST(PcxImage, UnknownOrShortLowColourFilesFail) {
    CDIB dib = CoordinateImage(2, 2);
    const CDIB before = dib;
    auto refused = [&](std::vector<uint8_t> bytes) {
        platform::MemoryFile file(std::move(bytes));
        return !ReadPcxImage(file, dib) && SamePixels(dib, before);
    };
    EXPECT_TRUE(refused(LowColourPcx(3, 1, 1, 5, 1, {0, 0, 0, 0, 0})));  // five bit planes
    EXPECT_TRUE(refused(LowColourPcx(3, 1, 2, 2, 1, {0, 0})));           // two bits in two planes
    EXPECT_TRUE(refused(LowColourPcx(3, 1, 1, 4, 1, {0xA0, 0x60})));     // planes missing
    EXPECT_TRUE(refused(LowColourPcx(3, 1, 1, 1, 0, {})));               // empty lines
    EXPECT_TRUE(refused(LowColourPcx(3, 1, 1, 1, 1, {0xC3, 0})));        // a run past the line
}

TEST(PcxImage, LoadByExtensionTakesSixteenColourFiles) {
    platform::RecordingMessageBox boxes;
    platform::ScopedMessageBox guard(boxes);
    ScratchFolder scratch;
    std::string path = scratch.Path("ega.pcx");
    platform::DiskFile out;
    ASSERT_EQ(out.Open(path, platform::DiskFile::Mode::write), platform::FileError::none);
    std::vector<uint8_t> bytes = LowColourPcx(3, 1, 1, 4, 1, {0xA0, 0x60, 0xA0, 0x60});
    out.Write(bytes.data(), bytes.size());
    out.Close();
    CDIB dib;
    ASSERT_TRUE(dib.LoadByExtension(path));
    EXPECT_EQ(GetPixel(dib, 1, 0), HeaderEntry(10));
    EXPECT_TRUE(boxes.shown.empty());
}

namespace {

// The run coder written out plainly, one byte at a time: a run grows to 62, the 63rd equal byte emits a
// run of 63 and starts again from nothing; a run of one below 0xC0 is the plain byte.
void ReferenceEncodeLine(const uint8_t* line, size_t n, std::vector<uint8_t>& out) {
    auto emit = [&out](uint8_t value, int count) {
        if (count == 0) return;
        if (count == 1 && value < 0xC0) {
            out.push_back(value);
            return;
        }
        out.push_back(static_cast<uint8_t>(0xC0 | count));
        out.push_back(value);
    };
    uint8_t value = line[0];
    int count = 1;
    for (size_t i = 1; i < n; ++i) {
        if (line[i] != value) {
            emit(value, count);
            value = line[i];
            count = 1;
        } else if (count == 62) {
            emit(value, 63);
            count = 0;
        } else {
            ++count;
        }
    }
    emit(value, count);
}

// The data of an image as the plain coder writes it: for each row, its red, green and blue lines.
std::vector<uint8_t> ReferenceData(const CDIB& image) {
    std::vector<uint8_t> data, line(image.GetWidth());
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int channel = 2; channel >= 0; --channel) {
            for (int32_t x = 0; x < image.GetWidth(); ++x) line[x] = image.GetPixelAddress(x, y)[channel];
            ReferenceEncodeLine(line.data(), line.size(), data);
        }
    return data;
}

// Rows of runs of every length from 1 to 130, starting anywhere in a word of 8 bytes, of values on both
// sides of 0xC0; each channel has runs of its own lengths.
CDibPcx Runs(int32_t width, int32_t height) {
    CDibPcx pcx;
    pcx.Create(width, height, 3);
    for (int channel = 0; channel < 3; ++channel)
        for (int32_t y = 0; y < height; ++y) {
            int32_t x = 0, length = 1 + y + channel * 7;
            uint8_t value = static_cast<uint8_t>(0xB8 + y * 5 + channel);
            while (x < width) {
                for (int32_t i = x; i < std::min(width, x + length); ++i)
                    pcx.GetPixelAddress(i, y)[channel] = value;
                x += length;
                length = length * 5 % 131 + 1;
                value = static_cast<uint8_t>(value * 37 + 11);
            }
        }
    return pcx;
}

}  // namespace

TEST(PcxWrite, EveryRunLengthAtEveryPlaceCodesAsThePlainCoder) {
    for (int32_t width : {1, 2, 3, 5, 7, 8, 9, 17, 63, 64, 65, 126, 127, 200, 333}) {
        SCOPED_TRACE(testing::Message() << "width " << width);
        CDibPcx pcx = Runs(width, 12);
        const std::vector<uint8_t> written = Written(pcx);
        EXPECT_EQ(Data(written), ReferenceData(pcx));
        // And the reader takes it back to the same pixels, ending exactly after it.
        platform::MemoryFile file(written);
        CDibPcx back;
        ASSERT_TRUE(back.Read(file));
        EXPECT_TRUE(SamePixels(back, pcx));
        EXPECT_EQ(file.Position(), file.Length());
    }
}

TEST(PcxRead, RunsSplitByTheEndOfAnInputBufferDecodeWhole) {
    // The reader takes the data 4096 bytes at a time. A run header as the last byte of a buffer finds
    // its value in the next one; a header just before it finds it in the same buffer.
    for (size_t literals : {4093u, 4094u, 4095u, 4096u}) {
        SCOPED_TRACE(testing::Message() << literals << " literal bytes first");
        const int32_t width = static_cast<int32_t>(literals) + 5;
        std::vector<uint8_t> data;
        for (size_t i = 0; i < literals; ++i) data.push_back(static_cast<uint8_t>(i % 0xC0));
        data.insert(data.end(), {0xC5, 0xEE});     // red: five times 0xEE
        for (int plane = 0; plane < 2; ++plane) {  // green and blue: runs of 63 and the rest
            for (int32_t left = width; left > 0; left -= 63)
                data.insert(data.end(), {uint8_t(0xC0 | std::min(left, 63)), 0x33});
        }
        data.push_back(0x7E);  // the next value after the image
        platform::MemoryFile file(PcxFile(width, 1, 3, width, data));
        CDibPcx pcx;
        ASSERT_TRUE(pcx.Read(file));
        EXPECT_EQ(GetPixel(pcx, 0, 0), (Rgb{0, 0x33, 0x33}));
        EXPECT_EQ(GetPixel(pcx, static_cast<int32_t>(literals) - 1, 0).r, (literals - 1) % 0xC0);
        for (int32_t x = static_cast<int32_t>(literals); x < width; ++x)
            ASSERT_EQ(GetPixel(pcx, x, 0), (Rgb{0xEE, 0x33, 0x33})) << x;
        EXPECT_EQ(file.Position(), file.Length() - 1);
    }
}

// --- images read in place from shared bytes, decoded at the first use of their pixels ---

namespace {

platform::SharedBytes Shared(const std::vector<uint8_t>& bytes) {
    return std::make_shared<const std::vector<uint8_t>>(bytes);
}

// Reads `bytes` from a plain file (decoded at once) and from shared bytes (decoded when first used).
struct BothReads {
    CDibPcx eager, deferred;
    bool eagerRead = false, deferredRead = false;
    uint64_t eagerEnd = 0, deferredEnd = 0;

    explicit BothReads(const std::vector<uint8_t>& bytes) {
        platform::MemoryFile file(bytes);
        eagerRead = eager.Read(file);
        eagerEnd = file.Position();
        platform::SharedMemoryFile shared(Shared(bytes));
        deferredRead = deferred.Read(shared);
        deferredEnd = shared.Position();
    }
};

// Rows 1 and 2 encoded as row 0, rows 3 and 4 each on their own; `tail` follows the image.
std::vector<uint8_t> RepeatedRows(const std::vector<uint8_t>& tail) {
    std::vector<uint8_t> data;
    for (int row = 0; row < 3; ++row) data.insert(data.end(), {0xC3, 0xD0, 0xC3, 0x20, 1, 0xC2, 2});
    for (int row = 3; row < 5; ++row) data.insert(data.end(), {0xC3, uint8_t(row), 0xC3, 5, 0xC3, 6});
    data.insert(data.end(), tail.begin(), tail.end());
    return PcxFile(3, 5, 3, 3, data);
}

}  // namespace

TEST(PcxDeferred, TheFirstUseOfThePixelsGivesWhatAnEagerReadGives) {
    std::vector<std::vector<uint8_t>> files;
    for (int32_t width : {1, 3, 5, 7, 64, 65}) {
        CDibPcx runs = Runs(width, 5);
        files.push_back(Written(runs));
    }
    files.push_back(PcxFile(5, 1, 3, 6, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}));
    files.push_back(PcxFile(4, 1, 3, 2, {1, 2, 3, 4, 5, 6}));                        // shorter lines
    files.push_back(PcxFile(2, 1, 3, 2, {0xC0, 77, 1, 2, 0xC2, 3, 4, 0xC0, 9, 5}));  // empty runs first
    files.push_back(RepeatedRows({0x7E}));
    for (const std::vector<uint8_t>& bytes : files) {
        SCOPED_TRACE(testing::Message() << bytes.size() << " bytes");
        BothReads read(bytes);
        ASSERT_TRUE(read.eagerRead);
        ASSERT_TRUE(read.deferredRead);
        EXPECT_EQ(read.deferredEnd, read.eagerEnd) << "what follows the image is read from its place";
        EXPECT_TRUE(read.deferred.PixelsDeferred());
        // The header is there at once, the same as the eager one's.
        EXPECT_EQ(std::memcmp(read.deferred.GetHeader(), read.eager.GetHeader(), sizeof(BITMAPINFOHEADER)),
                  0);
        EXPECT_EQ(read.deferred.GetStorageWidth(), read.eager.GetStorageWidth());
        EXPECT_TRUE(read.deferred.PixelsDeferred()) << "the size alone decodes nothing";
        EXPECT_TRUE(SamePixels(read.deferred, read.eager));
        EXPECT_FALSE(read.deferred.PixelsDeferred());
        // Row padding is written too: the whole block is the eager one.
        const size_t size = static_cast<size_t>(read.eager.GetStorageWidth()) * read.eager.GetHeight();
        EXPECT_EQ(
            std::memcmp(std::as_const(read.deferred).GetBits(), std::as_const(read.eager).GetBits(), size),
            0);
    }
}

TEST(PcxDeferred, TopRowsMadeInStepsAreThoseOfTheWholeImage) {
    CDibPcx runs = Runs(65, 9);
    const std::vector<uint8_t> bytes = Written(runs);
    const size_t rowBytes = static_cast<size_t>(runs.GetStorageWidth());
    // Steps that go down the sheet, ask again for rows already made, or stop short of the last row.
    for (const std::vector<int32_t>& steps :
         std::vector<std::vector<int32_t>>{{1}, {3, 6}, {1, 2, 3, 4, 5, 6, 7, 8}, {5, 2, 5, 8}, {8, 0, -1}}) {
        SCOPED_TRACE(testing::Message() << "first step " << steps.front() << " of " << steps.size());
        BothReads read(bytes);
        ASSERT_TRUE(read.deferredRead);
        int32_t made = 0;
        for (int32_t rows : steps) {
            read.deferred.DecodeTopRows(rows);
            made = std::max(made, rows);
            EXPECT_EQ(read.deferred.TopRowsMade(), made);
            EXPECT_TRUE(read.deferred.PixelsDeferred());
            // Reading a row that is made decodes nothing more.
            for (int32_t y = 0; y < made; ++y)
                EXPECT_EQ(std::memcmp(std::as_const(read.deferred).GetPixelAddress(0, y),
                                      std::as_const(read.eager).GetPixelAddress(0, y), rowBytes),
                          0)
                    << "row " << y;
            EXPECT_EQ(read.deferred.TopRowsMade(), made);
        }
        EXPECT_EQ(Written(read.deferred), bytes) << "making rows changes nothing in the image";
        // The rest comes at the first use of the whole, padding included.
        const size_t size = rowBytes * read.eager.GetHeight();
        ASSERT_NE(std::as_const(read.deferred).GetBits(), nullptr);
        EXPECT_FALSE(read.deferred.PixelsDeferred());
        EXPECT_EQ(read.deferred.TopRowsMade(), 9);
        EXPECT_EQ(
            std::memcmp(std::as_const(read.deferred).GetBits(), std::as_const(read.eager).GetBits(), size),
            0);
    }
    // Rows coded as the row above them, within a step and across steps.
    for (int32_t first : {1, 2, 4}) {
        BothReads repeated(RepeatedRows({}));
        ASSERT_TRUE(repeated.deferredRead);
        repeated.deferred.DecodeTopRows(first);
        EXPECT_TRUE(SamePixels(repeated.deferred, repeated.eager)) << first;
    }
    // A copy of a block reads only the rows down to the block's; a change makes the rest first.
    BothReads read(bytes);
    CDIB target;
    ASSERT_TRUE(target.Create(65, 9, 3));
    read.deferred.CopyBits(&target, 0, 0, 65, 4, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(read.deferred.TopRowsMade(), 4);
    EXPECT_EQ(
        std::memcmp(target.GetPixelAddress(0, 3), std::as_const(read.eager).GetPixelAddress(0, 3), rowBytes),
        0);
    read.deferred.GetPixelAddress(64, 1)[0] ^= 0xFF;
    read.eager.GetPixelAddress(64, 1)[0] ^= 0xFF;
    EXPECT_EQ(Written(read.deferred), Written(read.eager));
}

TEST(PcxDeferred, AnUntouchedImageIsWrittenAsItWasReadWithoutDecoding) {
    const std::vector<uint8_t> bytes = RepeatedRows({});
    BothReads read(bytes);
    ASSERT_TRUE(read.deferredRead);
    EXPECT_EQ(Written(read.deferred), bytes);
    EXPECT_TRUE(read.deferred.PixelsDeferred());
    // Reading the pixels changes nothing either.
    EXPECT_EQ(GetPixel(read.deferred, 0, 0), (Rgb{0xD0, 0x20, 1}));
    EXPECT_EQ(Written(read.deferred), bytes);
}

TEST(PcxDeferred, AChangeDecodesTheReadStreamFirst) {
    CDibPcx runs = Runs(9, 4);
    const std::vector<uint8_t> bytes = Written(runs);
    // A changed pixel: encoded again from the decoded pixels, as the eagerly read image is.
    BothReads pixel(bytes);
    pixel.eager.GetPixelAddress(8, 3)[1] = 0x44;
    pixel.deferred.GetPixelAddress(8, 3)[1] = 0x44;
    EXPECT_EQ(Written(pixel.deferred), Written(pixel.eager));
    // A change that hands out no pixel (a 24-bit image has no colour table) still decodes first: the
    // write that finds the read stream stale lets go of it, and must find the pixels made.
    BothReads table(bytes);
    EXPECT_EQ(table.deferred.GetColorTable(), nullptr);
    EXPECT_FALSE(table.deferred.PixelsDeferred());
    const std::vector<uint8_t> again = Written(table.deferred);
    platform::MemoryFile file(again);
    CDibPcx back;
    ASSERT_TRUE(back.Read(file));
    EXPECT_TRUE(SamePixels(back, table.eager));
}

TEST(PcxDeferred, BrokenStreamsAreRefusedAtReadAsBefore) {
    std::vector<std::vector<uint8_t>> broken = {
        PcxFile(2, 1, 3, 2, {1, 2, 3, 4, 5}),                          // short data
        PcxFile(2, 1, 3, 2, {0xC3, 9, 1, 2, 3, 4}),                    // a run past the line
        PcxFile(2, 1, 3, 2, {1, 2, 3, 4, 5, 0xC1}),                    // run without its value at the end
        PcxFile(2, 2, 3, 2, {1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 0xC3, 6}),  // the last row's last line
        PcxFile(4000, 4000, 3, 4000, {0xFF, 0}),                       // lines that cannot be there
    };
    // After repeated rows: a repeat cut short, and a bad row after the repeats.
    std::vector<uint8_t> cut = RepeatedRows({});
    cut.resize(128 + 7 * 2 + 3);
    broken.push_back(cut);
    std::vector<uint8_t> badLast = RepeatedRows({});
    badLast[badLast.size() - 2] = 0xC4;
    broken.push_back(badLast);
    for (const std::vector<uint8_t>& bytes : broken) {
        SCOPED_TRACE(testing::Message() << bytes.size() << " bytes");
        BothReads read(bytes);
        EXPECT_FALSE(read.eagerRead);
        EXPECT_FALSE(read.deferredRead);
        EXPECT_FALSE(read.deferred.HasImage());
    }
}

TEST(PcxDeferred, RepeatedRowsEndWithTheImage) {
    // Four rows of one colour, then two more rows' worth of the same bytes: what follows an image may
    // encode like its rows, and is not taken for more of them.
    std::vector<uint8_t> data;
    for (int row = 0; row < 6; ++row) data.insert(data.end(), {0xC3, 9, 0xC3, 8, 0xC3, 7});
    const std::vector<uint8_t> bytes = PcxFile(3, 4, 3, 3, data);
    BothReads read(bytes);
    ASSERT_TRUE(read.deferredRead);
    EXPECT_EQ(read.deferredEnd, bytes.size() - 12);
    EXPECT_EQ(read.eagerEnd, read.deferredEnd);
    EXPECT_TRUE(SamePixels(read.deferred, read.eager));
}

// Plain bytes are copied eight at a time while no run header lies among them: stretches of every length
// between headers, at every place within a group of eight and across the end of a line, come back as
// they were, read at once and read in place.
TEST(PcxRead, StretchesOfPlainBytesBetweenRunHeadersComeBackWhole) {
    for (int32_t width : {1, 7, 8, 9, 15, 16, 17, 31, 64, 100}) {
        SCOPED_TRACE(testing::Message() << "width " << width);
        CDibPcx pcx;
        pcx.Create(width, 24, 3);
        for (int32_t y = 0; y < 24; ++y)
            for (int32_t x = 0; x < width; ++x) {
                uint8_t* p = pcx.GetPixelAddress(x, y);
                for (int channel = 0; channel < 3; ++channel) {
                    // A bright byte (written as a run header and its value) every `gap` bytes, the rest
                    // plain bytes that differ from their neighbours.
                    const int gap = 1 + (y + 3 * channel) % 21;
                    p[channel] = (x + channel) % gap == gap - 1
                                     ? static_cast<uint8_t>(0xC0 + (x + y) % 0x40)
                                     : static_cast<uint8_t>((x * 7 + y + channel) % 0xC0);
                }
            }
        BothReads read(Written(pcx));
        ASSERT_TRUE(read.eagerRead);
        ASSERT_TRUE(read.deferredRead);
        EXPECT_TRUE(SamePixels(read.eager, pcx));
        EXPECT_TRUE(SamePixels(read.deferred, pcx));
        EXPECT_EQ(read.deferredEnd, read.eagerEnd);
    }
}
