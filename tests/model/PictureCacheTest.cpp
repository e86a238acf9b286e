#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "imaging/Dib.h"
#include "model/PictureCache.h"
#include "platform/MessageBox.h"
#include "tests/support/ScratchFolder.h"

namespace {

// A picture file of one colour, written as a BMP.
void WritePicture(const std::string& path, int32_t width, uint8_t shade) {
    CDIB picture;
    ASSERT_TRUE(picture.Create(width, 6, 3));
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < width; ++x) picture.GetPixelAddress(x, y)[1] = shade;
    ASSERT_TRUE(picture.Save(path));
}

uint8_t Shade(const CDIB& picture) {
    return picture.GetPixelAddress(1, 1)[1];
}

// A file written now is looked at again only after its stamp has settled.
void LetSettle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(260));
}

class PictureCacheTest : public testing::Test {
  protected:
    test_support::ScratchFolder folder;
    platform::RecordingMessageBox box;
    platform::ScopedMessageBox guard{box};
    PictureCache cache;
};

}  // namespace

// A picture loaded again while its file is as it was comes from the cache; a file that changed since,
// or had only just changed when it was loaded, is read again.
TEST_F(PictureCacheTest, KeptWhileTheFileIsAsItWasAndReadAgainWhenItChanges) {
    const std::string path = folder.Path("FOTO.BMP");
    WritePicture(path, 9, 40);
    // Just written: loaded, but not kept.
    CDIB first;
    ASSERT_TRUE(cache.Load(path, first));
    EXPECT_EQ(Shade(first), 40);
    EXPECT_EQ(cache.Count(), 0u);

    LetSettle();
    CDIB second, third;
    ASSERT_TRUE(cache.Load(path, second));
    EXPECT_EQ(cache.Count(), 1u);
    ASSERT_TRUE(cache.Load(path, third));
    EXPECT_EQ(cache.Count(), 1u);
    EXPECT_EQ(third.GetWidth(), 9);
    EXPECT_EQ(Shade(third), 40);

    // The same size, another picture: the changed stamp tells.
    WritePicture(path, 9, 200);
    CDIB changed;
    ASSERT_TRUE(cache.Load(path, changed));
    EXPECT_EQ(Shade(changed), 200);
    // Gone: the load fails as a load of a missing file does, and the picture is left as it was.
    std::filesystem::remove(path);
    EXPECT_FALSE(cache.Load(path, changed));
    EXPECT_EQ(Shade(changed), 200);
    EXPECT_EQ(box.shown.size(), 1u);
}

// The most recently used pictures are kept, up to the bound on their number.
TEST_F(PictureCacheTest, TheLeastRecentlyUsedMakeRoom) {
    const size_t files = PictureCache::kMostPictures + 2;
    for (size_t i = 0; i < files; ++i) WritePicture(folder.Path("F" + std::to_string(i) + ".BMP"), 3, 7);
    LetSettle();
    CDIB picture;
    for (size_t i = 0; i < files; ++i)
        ASSERT_TRUE(cache.Load(folder.Path("F" + std::to_string(i) + ".BMP"), picture));
    EXPECT_EQ(cache.Count(), PictureCache::kMostPictures);
    // The newest is among those kept, and comes back whole.
    ASSERT_TRUE(cache.Load(folder.Path("F" + std::to_string(files - 1) + ".BMP"), picture));
    EXPECT_EQ(cache.Count(), PictureCache::kMostPictures);
    EXPECT_EQ(picture.GetWidth(), 3);
    EXPECT_EQ(Shade(picture), 7);
}
