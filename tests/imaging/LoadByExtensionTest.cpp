#include <gtest/gtest.h>

#include <fstream>

#include "imaging/Dib.h"
#include "imaging/DibJpeg.h"
#include "imaging/DibPcx.h"
#include "imaging/ImageFiles.h"
#include "platform/Cursor.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "tests/imaging/ImageTestUtil.h"
#include "tests/support/Bytes.h"
#include "tests/support/Pixels.h"
#include "tests/support/ScratchFolder.h"

using namespace imaging_test;
using namespace test_support;

namespace {

// A 3 x 2 RGBA PNG written by libpng: the top-left pixel half-transparent red, the top-right fully
// transparent white, the rest opaque colours.
void WritePngWithAlpha(const std::string& path) {
    const uint8_t pixels[] = {255, 0,  0,  128, 255, 255, 255, 0,   0,  0,  255, 255,
                              10,  20, 30, 255, 40,  50,  60,  255, 70, 80, 90,  255};
    ASSERT_TRUE(WritePng(path, 3, 2, pixels, true));
}

// A 4 x 3 RGB TIFF written by libtiff, pixel (x, y) = (10x, 20y, 7).
void WriteTiff(const std::string& path) {
    uint8_t rgb[3 * 4 * 3];
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = rgb + 3 * (4 * y + x);
            p[0] = static_cast<uint8_t>(10 * x), p[1] = static_cast<uint8_t>(20 * y), p[2] = 7;
        }
    ASSERT_TRUE(imaging_test::WriteRgbTiff(path, 4, 3, rgb));
}

class LoadByExtension : public testing::Test {
  protected:
    void SetUp() override { platform::SetFileDialog(&dialog); }
    void TearDown() override {
        platform::SetFileDialog(nullptr);
        platform::SetCursorService(nullptr);
    }
    platform::ScriptedFileDialog dialog;
    platform::RecordingMessageBox boxes;
    platform::ScopedMessageBox guard{boxes};
    ScratchFolder scratch;
    std::string dir = scratch.Path();
};

}  // namespace

TEST_F(LoadByExtension, PngAlphaIsComposedOverBlack) {
    WritePngWithAlpha(dir + "/a.png");
    CDIB dib;
    ASSERT_TRUE(dib.LoadByExtension(dir + "/a.png"));
    EXPECT_EQ(dib.GetWidth(), 3);
    EXPECT_EQ(dib.GetBitCount(), 24);
    Rgb halfRed = GetPixel(dib, 0, 0);
    EXPECT_NEAR(halfRed.r, 128, 2);
    EXPECT_EQ(halfRed.g, 0);
    EXPECT_EQ(GetPixel(dib, 1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(GetPixel(dib, 2, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(GetPixel(dib, 1, 1), (Rgb{40, 50, 60}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(LoadByExtension, TiffInAnyCase) {
    WriteTiff(dir + "/b.TiF");
    CDIB dib;
    ASSERT_TRUE(dib.LoadByExtension(dir + "/b.TiF"));
    EXPECT_EQ(dib.GetWidth(), 4);
    EXPECT_EQ(dib.GetHeight(), 3);
    EXPECT_EQ(GetPixel(dib, 3, 0), (Rgb{30, 0, 7}));
    EXPECT_EQ(GetPixel(dib, 1, 2), (Rgb{10, 40, 7}));
}

TEST_F(LoadByExtension, OwnCodecsGivePackedTrueColour) {
    CDibPcx pcx;
    static_cast<CDIB&>(pcx) = CoordinateImage(5, 4);
    ASSERT_TRUE(pcx.Save(dir + "/c.pcx"));
    ASSERT_TRUE(CDIB(pcx).Save(dir + "/c.bmp"));
    CDibJpeg jpeg;
    static_cast<CDIB&>(jpeg) = CoordinateImage(5, 4);
    ASSERT_TRUE(jpeg.Save(dir + "/c.jpg"));
    for (const char* name : {"/c.pcx", "/c.bmp", "/c.jpg"}) {
        CDIB dib;
        ASSERT_TRUE(dib.LoadByExtension(dir + name)) << name;
        EXPECT_EQ(dib.GetHeader()->biSize, 40u);
        EXPECT_EQ(dib.GetBitCount(), 24);
        EXPECT_EQ(dib.GetNumColors(), 0);
        EXPECT_EQ(dib.GetWidth(), 5);
        if (std::string(name) != "/c.jpg") {
            EXPECT_TRUE(SamePixels(dib, pcx)) << name;
        }
    }
}

TEST_F(LoadByExtension, OnlyTheFourCharacterEndingsAreKnown) {
    CDibJpeg jpeg;
    ASSERT_TRUE(jpeg.Save(dir + "/d.jpeg"));
    CDIB dib = CoordinateImage(2, 2);
    CDIB before = dib;
    EXPECT_FALSE(dib.LoadByExtension(dir + "/d.jpeg"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Error al cargar Imagen");
    EXPECT_TRUE(SamePixels(dib, before));
    EXPECT_FALSE(dib.LoadByExtension(dir + "/missing.png"));
    std::ofstream(dir + "/junk.png") << "junk";
    EXPECT_FALSE(dib.LoadByExtension(dir + "/junk.png"));
    std::ofstream(dir + "/junk.tif") << "II*\0junk";
    EXPECT_FALSE(dib.LoadByExtension(dir + "/junk.tif"));
    std::ofstream(dir + "/junk.jpg") << "junk";
    EXPECT_FALSE(dib.LoadByExtension(dir + "/junk.jpg"));
    EXPECT_EQ(boxes.shown.size(), 5u);  // one "Error al cargar Imagen" each, no "Error JPEG"
    for (const auto& box : boxes.shown) EXPECT_EQ(box.text, "Error al cargar Imagen");
    EXPECT_TRUE(SamePixels(dib, before));
}

TEST_F(LoadByExtension, DialogFilterIsTheCallersProgramsWording) {
    CDIB dib;
    EXPECT_FALSE(dib.LoadByExtension(std::nullopt));
    EXPECT_FALSE(dib.LoadByExtension(std::nullopt, CDIB::DialogWording::editor));
    EXPECT_FALSE(dib.LoadByExtension(std::nullopt, CDIB::DialogWording::player));
    EXPECT_FALSE(dib.LoadByExtension("", CDIB::DialogWording::editor)) << "an empty path asks too";
    ASSERT_EQ(dialog.requests.size(), 4u);
    EXPECT_EQ(
        dialog.requests[0].filter,
        "Archivos de imagen|*.BMP;*.JPG;*.PCX;*.PNG;*.TIF|Archivos JPEG (*.JPG)|*.JPG|Archivos BMP "
        "(*.BMP)|*.BMP|Archivos PCX (*.PCX)|*.PCX|Archivos PNG (*.PNG)|*.PNG|Archivos TIFF (*.TIF)|*.TIF|"
        "Todos los archivos (*.*)|*.*||;");
    EXPECT_EQ(dialog.requests[1].filter,
              "Image files|*.BMP;*.JPG;*.PCX;*.PNG;*.TIF|JPEG files (*.JPG)|*.JPG|BMP files (*.BMP)|*.BMP|"
              "PCX files (*.PCX)|*.PCX|PNG files (*.PNG)|*.PNG|TIFF files (*.TIF)|*.TIF|All the files "
              "(*.*)|*.*||;");
    EXPECT_EQ(dialog.requests[2].filter, dialog.requests[0].filter);
    EXPECT_EQ(dialog.requests[3].filter, dialog.requests[1].filter);
    EXPECT_EQ(dialog.requests[0].defaultExtension, "jpg");
    EXPECT_TRUE(dialog.requests[0].fileMustExist);
    EXPECT_TRUE(boxes.shown.empty());  // cancelling is silent
}

namespace {
// Notes, for each box shown, whether the wait cursor was still up at that moment.
struct CursorWatchingBox : platform::MessageBox {
    explicit CursorWatchingBox(const platform::RecordingCursor& cursor) : cursor(cursor) {}
    platform::MessageAnswer Show(const std::string& text, const std::string&, platform::MessageIcon,
                                 platform::MessageButtons) override {
        texts.push_back(text);
        waitingDuringBox.push_back(cursor.Waiting());
        return platform::MessageAnswer::ok;
    }
    const platform::RecordingCursor& cursor;
    std::vector<std::string> texts;
    std::vector<bool> waitingDuringBox;
};
}  // namespace

TEST_F(LoadByExtension, WaitCursorIsShownWhileLoadingAndRemovedInEveryCase) {
    platform::RecordingCursor cursor;
    platform::SetCursorService(&cursor);
    CursorWatchingBox watcher(cursor);
    platform::ScopedMessageBox watching(watcher);
    CDibPcx pcx;
    static_cast<CDIB&>(pcx) = CoordinateImage(3, 2);
    ASSERT_TRUE(pcx.Save(dir + "/ok.pcx"));
    std::ofstream(dir + "/junk.bmp") << "junk";
    const std::vector<std::string> begunAndEnded = {"begin", "end"};
    CDIB dib;
    struct Case {
        std::string path;
        bool loads;
    };
    for (const Case& c : {Case{dir + "/ok.pcx", true}, Case{dir + "/missing.jpg", false},
                          Case{dir + "/junk.bmp", false}, Case{dir + "/ok.gif", false}}) {
        cursor.calls.clear();
        watcher.waitingDuringBox.clear();
        EXPECT_EQ(dib.LoadByExtension(c.path), c.loads) << c.path;
        EXPECT_EQ(cursor.calls, begunAndEnded) << c.path;
        EXPECT_FALSE(cursor.Waiting()) << c.path;
        // The failure is reported after the hourglass has gone.
        EXPECT_EQ(watcher.waitingDuringBox, std::vector<bool>(c.loads ? 0 : 1, false)) << c.path;
    }
    // Cancelling the dialog loads nothing, so there is nothing to wait for.
    cursor.calls.clear();
    EXPECT_FALSE(dib.LoadByExtension(std::nullopt));
    EXPECT_TRUE(cursor.calls.empty());
    EXPECT_EQ(watcher.texts, std::vector<std::string>(3, "Error al cargar Imagen"));
}

TEST(ImageFiles, PngWriterRoundTrip) {
    CDIB dib = CoordinateImage(7, 5);
    platform::MemoryFile file;
    ASSERT_TRUE(WritePngImage(dib, file));
    file.Seek(0);
    CDIB back;
    ASSERT_TRUE(ReadPngImage(file, back));
    EXPECT_TRUE(SamePixels(dib, back));
}

TEST(ImageFiles, HostileTiffAndPngFailCleanly) {
    // A TIFF header whose first directory lies beyond the file, and one claiming a huge image.
    CDIB dib;
    platform::MemoryFile farDirectory(std::vector<uint8_t>{'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x0F});
    EXPECT_FALSE(ReadTiffImage(farDirectory, dib));
    platform::MemoryFile empty;
    EXPECT_FALSE(ReadPngImage(empty, dib));
    // A PNG whose header claims 100000 x 100000 pixels.
    CDIB small = CoordinateImage(2, 2);
    platform::MemoryFile png;
    ASSERT_TRUE(WritePngImage(small, png));
    std::vector<uint8_t> bytes = png.Bytes();
    bytes[16] = 0, bytes[17] = 1, bytes[18] = 0x86, bytes[19] = 0xA0;  // width 100000 (CRC now wrong too)
    platform::MemoryFile lying(bytes);
    EXPECT_FALSE(ReadPngImage(lying, dib));
    EXPECT_EQ(dib.GetWidth(), 16);  // unchanged
}
