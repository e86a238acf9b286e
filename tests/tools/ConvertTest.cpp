#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/Dib.h"
#include "imaging/DibPcx.h"
#include "platform/MessageBox.h"
#include "tests/imaging/ImageTestUtil.h"
#include "tests/support/Pixels.h"
#include "tests/support/ScratchFolder.h"
#include "tools/Fcatool.h"

namespace {

using namespace test_support;

int Fcatool(std::vector<std::string> words) {
    words.insert(words.begin(), "fcatool");
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    int status = fcatool::Main(static_cast<int>(argv.size()), argv.data());
    platform::SetMessageBox(nullptr);
    return status;
}

// Pixel (x, y) of the test pictures: red = 30x, green = 40y, blue = 99.
void ExpectPattern(const CDIB& dib, int width, int height) {
    ASSERT_EQ(dib.GetWidth(), width);
    ASSERT_EQ(dib.GetHeight(), height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(GetPixel(dib, x, y), (Rgb{uint8_t(30 * x), uint8_t(40 * y), 99})) << x << "," << y;
}

CDIB Pattern(int width, int height) {
    CDIB dib;
    dib.Create(width, height, 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetPixel(dib, x, y, uint8_t(30 * x), uint8_t(40 * y), 99);
    return dib;
}

CDIB Loaded(const std::string& path) {
    platform::RecordingMessageBox boxes;
    platform::ScopedMessageBox guard(boxes);
    CDIB dib;
    EXPECT_TRUE(dib.LoadByExtension(path)) << path;
    return dib;
}

}  // namespace

TEST(FcatoolConvert, BmpToPcxToBmpKeepsEveryPixel) {
    ScratchFolder scratch;
    std::string dir = scratch.Path();
    ASSERT_TRUE(Pattern(5, 3).Save(dir + "/in.bmp"));
    EXPECT_EQ(Fcatool({"convert", dir + "/in.bmp", dir + "/mid.pcx"}), 0);
    EXPECT_EQ(Fcatool({"convert", dir + "/mid.pcx", dir + "/out.BMP"}), 0);
    ExpectPattern(Loaded(dir + "/out.BMP"), 5, 3);
    CDibPcx pcx;
    platform::DiskFile file;
    ASSERT_EQ(file.Open(dir + "/mid.pcx", platform::DiskFile::Mode::read), platform::FileError::none);
    ASSERT_TRUE(pcx.Read(file));
    ExpectPattern(pcx, 5, 3);
    EXPECT_FALSE(std::filesystem::exists(dir + "/mid.pcx.fcatool-tmp"));
}

TEST(FcatoolConvert, PngAndTiffLoadWithTheirPixels) {
    ScratchFolder scratch;
    std::string dir = scratch.Path();
    uint8_t rgb[4 * 2 * 3];
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = rgb + 3 * (4 * y + x);
            p[0] = static_cast<uint8_t>(30 * x), p[1] = static_cast<uint8_t>(40 * y), p[2] = 99;
        }
    ASSERT_TRUE(imaging_test::WritePng(dir + "/in.png", 4, 2, rgb));
    ASSERT_TRUE(imaging_test::WriteRgbTiff(dir + "/in.tif", 4, 2, rgb));

    EXPECT_EQ(Fcatool({"convert", dir + "/in.png", dir + "/a.bmp"}), 0);
    ExpectPattern(Loaded(dir + "/a.bmp"), 4, 2);
    EXPECT_EQ(Fcatool({"convert", dir + "/in.tif", dir + "/b.pcx"}), 0);
    ExpectPattern(Loaded(dir + "/b.pcx"), 4, 2);
    EXPECT_EQ(Fcatool({"convert", dir + "/b.pcx", dir + "/c.png"}), 0);
    ExpectPattern(Loaded(dir + "/c.png"), 4, 2);
    EXPECT_EQ(Fcatool({"convert", dir + "/c.png", dir + "/d.jpg"}), 0);
    CDIB jpeg = Loaded(dir + "/d.jpg");
    EXPECT_EQ(jpeg.GetWidth(), 4);
    EXPECT_NEAR(GetPixel(jpeg, 3, 1).r, 90, 12);
}

TEST(FcatoolConvert, FailureExitsOneWithTheMessageAndNoOutput) {
    ScratchFolder scratch;
    std::string dir = scratch.Path();
    scratch.Write("bad.pcx", Text("not a pcx at all"));
    testing::internal::CaptureStderr();
    int status = Fcatool({"convert", dir + "/bad.pcx", dir + "/out.bmp"});
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("Error al cargar Imagen"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir + "/out.bmp"));

    ASSERT_TRUE(Pattern(2, 2).Save(dir + "/in.bmp"));
    testing::internal::CaptureStderr();
    status = Fcatool({"convert", dir + "/in.bmp", dir + "/missing-dir/out.bmp"});
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.find("Failed to open file"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir + "/missing-dir"));
}

TEST(FcatoolConvert, WrongCommandLinesExitTwo) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(Fcatool({"convert", "only-one.bmp"}), 2);
    EXPECT_EQ(Fcatool({"convert", "a.bmp", "b.gif"}), 2);
    EXPECT_EQ(Fcatool({"no-such-subcommand"}), 2);
    EXPECT_EQ(Fcatool({}), 2);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("usage: fcatool convert IN OUT"), std::string::npos);
    testing::internal::CaptureStdout();
    EXPECT_EQ(Fcatool({"--help"}), 0);
    EXPECT_EQ(Fcatool({"convert", "--help"}), 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("convert"), std::string::npos);
    EXPECT_NE(out.find("usage: fcatool convert IN OUT"), std::string::npos);
}
