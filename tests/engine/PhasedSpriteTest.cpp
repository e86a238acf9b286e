#include <gtest/gtest.h>

#include "archive/Archive.h"
#include "engine/PhasedSprite.h"
#include "engine/SpriteList.h"
#include "platform/File.h"
#include "platform/MessageBox.h"
#include "tests/engine/EngineTestUtil.h"
#include "tests/support/Pixels.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/Streams.h"

using namespace enginetest;
using namespace test_support;
using platform::Rect;

namespace {

class PhasedSpriteTest : public ::testing::Test {
  protected:
    void SetUp() override { RegisterEngineClasses(); }
};

// A 30 x 90 sheet of three 30 x 30 frames: red, green, blue from the top, with a white top-left pixel.
std::unique_ptr<CPhasedSprite> ThreeFrameSheet(int32_t x = 0, int32_t y = 0) {
    auto sprite = MakeSprite(30, 90, kRed, x, y);
    FillRect(*sprite, 0, 30, 30, 60, kGreen);
    FillRect(*sprite, 0, 60, 30, 90, kBlue);
    SetPixel(*sprite, 0, 0, kWhite);
    sprite->ComputeTransparentColour();
    EXPECT_TRUE(sprite->SetNumFrames(3));
    return sprite;
}

TEST_F(PhasedSpriteTest, CellsDivideTheSheetAndRenderTheCurrentFrame) {
    auto sprite = ThreeFrameSheet(5, 5);
    EXPECT_EQ(sprite->GetWidth(), 30);
    EXPECT_EQ(sprite->GetHeight(), 30);
    EXPECT_EQ(sprite->GetRect(), (Rect{5, 5, 35, 35}));
    EXPECT_TRUE(sprite->SetCurrentFrame(2));

    CDIB destination;
    ASSERT_TRUE(destination.Create(40, 40, 3));
    EXPECT_TRUE(sprite->Render(&destination, std::nullopt));
    EXPECT_EQ(PixelAt(destination, 5, 5), kBlue);
    EXPECT_EQ(PixelAt(destination, 34, 34), kBlue);
    EXPECT_EQ(PixelAt(destination, 35, 35), kBlack);  // one cell only

    EXPECT_TRUE(sprite->SetNumFrames(4));
    EXPECT_EQ(sprite->GetHeight(), 22);  // the last 2 rows are never shown
    EXPECT_EQ(sprite->GetCurrentFrame(), 0);
    EXPECT_FALSE(sprite->SetNumFrames(100));
    EXPECT_FALSE(sprite->SetNumFrames(0));
    EXPECT_FALSE(sprite->SetNumFrames(-3));
    EXPECT_EQ(sprite->GetNumFrames(), 4);
    EXPECT_EQ(sprite->GetHeight(), 22);

    EXPECT_TRUE(sprite->SetNumColumns(2));
    EXPECT_EQ(sprite->GetWidth(), 15);
    EXPECT_FALSE(sprite->SetNumColumns(31));
    EXPECT_TRUE(sprite->SetCurrentColumn(1));
    EXPECT_FALSE(sprite->SetCurrentColumn(2));
}

TEST_F(PhasedSpriteTest, ColumnsAndFramesPickTheCell) {
    auto sprite = MakeSprite(20, 20, kRed, 0, 0);
    FillRect(*sprite, 10, 0, 20, 10, kGreen);
    FillRect(*sprite, 0, 10, 10, 20, kBlue);
    FillRect(*sprite, 10, 10, 20, 20, kWhite);
    ASSERT_TRUE(sprite->SetNumFrames(2));
    ASSERT_TRUE(sprite->SetNumColumns(2));
    ASSERT_TRUE(sprite->SetCurrentFrame(1));
    ASSERT_TRUE(sprite->SetCurrentColumn(1));
    CDIB destination;
    ASSERT_TRUE(destination.Create(10, 10, 3));
    sprite->Render(&destination, std::nullopt);
    EXPECT_EQ(PixelAt(destination, 0, 0), kWhite);
    EXPECT_EQ(PixelAt(destination, 9, 9), kWhite);
    ASSERT_TRUE(sprite->SetCurrentColumn(0));
    sprite->Render(&destination, std::nullopt);
    EXPECT_EQ(PixelAt(destination, 9, 9), kBlue);
}

TEST_F(PhasedSpriteTest, SetCurrentFrameNoticesOnlyRealChanges) {
    auto sprite = ThreeFrameSheet(1, 2);
    RecordingSink sink;
    sprite->SetNotifyObject(&sink);
    EXPECT_FALSE(sprite->SetCurrentFrame(0));  // already shown
    EXPECT_FALSE(sprite->SetCurrentFrame(3));
    EXPECT_FALSE(sprite->SetCurrentFrame(-1));
    EXPECT_TRUE(sink.notices.empty());
    EXPECT_TRUE(sprite->SetCurrentFrame(1));
    ASSERT_EQ(sink.notices.size(), 1u);
    EXPECT_EQ(sink.notices[0].code, kSpriteImageChanged);
    EXPECT_EQ(sink.notices[0].r1, (Rect{1, 2, 31, 32}));
    EXPECT_EQ(sprite->GetCurrentFrame(), 1);
}

TEST_F(PhasedSpriteTest, HitTestLooksAtTheShownCell) {
    auto sprite = ThreeFrameSheet(0, 0);
    FillRect(*sprite, 0, 30, 30, 60, kWhite);  // frame 1 entirely see-through
    sprite->SetTransparent(true);
    EXPECT_TRUE(sprite->HitTest(10, 10));
    EXPECT_FALSE(sprite->HitTest(10, 40));  // outside the cell
    sprite->SetCurrentFrame(1);
    EXPECT_FALSE(sprite->HitTest(10, 10));
    sprite->SetCurrentFrame(2);
    EXPECT_TRUE(sprite->HitTest(10, 10));
    sprite->Disable();
    EXPECT_FALSE(sprite->HitTest(10, 10));  // the player never hits a disabled sprite
    sprite->SetVariant(Variant::editor);
    EXPECT_TRUE(sprite->HitTest(10, 10));
    sprite->SetVariant(Variant::player);
    sprite->Enable();
    EXPECT_EQ(sprite->GetCurrentFrame(), 0);
    EXPECT_FALSE(sprite->IsDisabled());
    EXPECT_TRUE(sprite->HitTest(10, 10));
}

TEST_F(PhasedSpriteTest, DisableShowsFrameTwoWhenThereIsOne) {
    auto sprite = ThreeFrameSheet();
    sprite->Disable();
    EXPECT_EQ(sprite->GetCurrentFrame(), 2);
    EXPECT_TRUE(sprite->IsDisabled());
    auto single = MakeSprite(4, 4, kRed);
    single->Disable();
    EXPECT_EQ(single->GetCurrentFrame(), 0);
    EXPECT_TRUE(single->IsDisabled());
}

std::vector<int32_t> Ticks(CPhasedSprite& sprite, int n, std::vector<bool>* advanced = nullptr) {
    std::vector<int32_t> frames;
    for (int i = 0; i < n; ++i) {
        bool a = sprite.AnimationTick();
        if (advanced) advanced->push_back(a);
        frames.push_back(sprite.GetCurrentFrame());
    }
    return frames;
}

TEST_F(PhasedSpriteTest, AnimationCyclesAtThePowerOfTwoInterval) {
    auto sprite = ThreeFrameSheet();
    sprite->SetAnimated(true);
    EXPECT_EQ(Ticks(*sprite, 4), (std::vector<int32_t>{1, 2, 0, 1}));

    auto slow = ThreeFrameSheet();
    slow->SetInterval(2);
    std::vector<bool> advanced;
    // The first tick after a load advances at once; then every 4 ticks.
    EXPECT_EQ(Ticks(*slow, 9, &advanced), (std::vector<int32_t>{1, 1, 1, 1, 2, 2, 2, 2, 0}));
    EXPECT_EQ(advanced, (std::vector<bool>{true, false, false, false, true, false, false, false, true}));

    auto hostile = ThreeFrameSheet();
    hostile->SetInterval(1000);  // held to a finite countdown, no undefined shift
    EXPECT_TRUE(hostile->AnimationTick());
    EXPECT_FALSE(hostile->AnimationTick());
}

TEST_F(PhasedSpriteTest, StopAnimationResetsUnlessAlwaysAnimated) {
    auto sprite = ThreeFrameSheet();
    sprite->SetAnimated(true);
    Ticks(*sprite, 2);
    sprite->SetDisabled(true);
    sprite->StopAnimation();
    EXPECT_FALSE(sprite->IsAnimated());
    EXPECT_EQ(sprite->GetCurrentFrame(), 0);
    EXPECT_FALSE(sprite->IsDisabled());
    sprite->SetAnimated(true);
    EXPECT_EQ(Ticks(*sprite, 1), (std::vector<int32_t>{1}));  // the counter restarted

    auto always = ThreeFrameSheet();
    always->SetAnimated(true);
    always->SetAlwaysAnimated(true);
    Ticks(*always, 2);
    always->StopAnimation();
    EXPECT_TRUE(always->IsAnimated());
    EXPECT_EQ(always->GetCurrentFrame(), 2);
    EXPECT_EQ(Ticks(*always, 1), (std::vector<int32_t>{0}));
}

// The sprite as an element of a stream, followed by a value that must still be read correctly.
std::vector<uint8_t> StoreFollowed(const CObject& object) {
    return Store([&](CArchive& ar) {
        ar.WriteObject(&object);
        ar.WriteLong(-99);
    });
}

std::unique_ptr<CPhasedSprite> Load(const std::vector<uint8_t>& bytes) {
    platform::MemoryFile file(bytes);
    CArchive ar(file, CArchive::load);
    auto sprite = ar.ReadOwned<CPhasedSprite>();
    EXPECT_EQ(ar.ReadLong(), -99);
    return sprite;
}

TEST_F(PhasedSpriteTest, StoredFormKeepsTheWholeSheetAndTheSevenValues) {
    auto sprite = ThreeFrameSheet(3, 4);
    ASSERT_TRUE(sprite->SetNumColumns(2));
    sprite->SetCurrentFrame(2);
    sprite->SetCurrentColumn(1);
    sprite->SetAnimated(true);
    sprite->SetAlwaysAnimated(true);
    sprite->SetInterval(5);
    std::vector<uint8_t> bytes = StoreFollowed(*sprite);
    // The seven values close the object, just before the trailer.
    const uint8_t* tail = bytes.data() + bytes.size() - 4 - 28;
    auto value = [&](int i) { return int32_t(tail[4 * i]) | int32_t(tail[4 * i + 1]) << 8; };
    EXPECT_EQ(value(0), 3);
    EXPECT_EQ(value(1), 2);
    EXPECT_EQ(value(2), 2);
    EXPECT_EQ(value(3), 1);
    EXPECT_EQ(value(4), 1);
    EXPECT_EQ(value(5), 1);
    EXPECT_EQ(value(6), 5);

    auto loaded = Load(bytes);
    EXPECT_EQ(loaded->CDIB::GetWidth(), 30);  // the whole sheet travelled
    EXPECT_EQ(loaded->CDIB::GetHeight(), 90);
    EXPECT_EQ(PixelAt(*loaded, 29, 89), kBlue);
    EXPECT_EQ(PixelAt(*loaded, 29, 31), kGreen);
    EXPECT_EQ(loaded->GetNumFrames(), 3);
    EXPECT_EQ(loaded->GetNumColumns(), 2);
    EXPECT_EQ(loaded->GetCurrentFrame(), 2);
    EXPECT_EQ(loaded->GetCurrentColumn(), 1);
    EXPECT_EQ(loaded->GetRect(), (Rect{3, 4, 18, 34}));
    EXPECT_TRUE(loaded->IsAnimated());
    EXPECT_TRUE(loaded->IsAlwaysAnimated());
    EXPECT_EQ(loaded->GetInterval(), 5);
    EXPECT_EQ(loaded->GetTransparentColour(), kWhite);
    EXPECT_EQ(StoreFollowed(*loaded), bytes);
}

void PatchLong(std::vector<uint8_t>& bytes, size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}

TEST_F(PhasedSpriteTest, LoadingDropsValuesTheSettersRefuse) {
    auto sprite = ThreeFrameSheet();
    std::vector<uint8_t> bytes = StoreFollowed(*sprite);
    const size_t values = bytes.size() - 4 - 28;
    PatchLong(bytes, values + 0, 100);  // 90 / 100 = 0: refused, one frame stays
    PatchLong(bytes, values + 4, 3);    // 10-pixel columns: accepted
    PatchLong(bytes, values + 8, 1);    // frame 1 of a one-frame sheet: refused
    PatchLong(bytes, values + 12, 2);   // column 2 of 3: accepted
    PatchLong(bytes, values + 16, 7);   // any non-zero flag is true
    PatchLong(bytes, values + 24, -4);  // the interval is kept as read
    auto loaded = Load(bytes);
    EXPECT_EQ(loaded->GetNumFrames(), 1);
    EXPECT_EQ(loaded->GetHeight(), 90);
    EXPECT_EQ(loaded->GetNumColumns(), 3);
    EXPECT_EQ(loaded->GetWidth(), 10);
    EXPECT_EQ(loaded->GetCurrentFrame(), 0);
    EXPECT_EQ(loaded->GetCurrentColumn(), 2);
    EXPECT_TRUE(loaded->IsAnimated());
    EXPECT_EQ(loaded->GetInterval(), -4);
    EXPECT_TRUE(loaded->AnimationTick());  // a negative interval still counts down sanely
}

TEST_F(PhasedSpriteTest, ReadResetsToOneFrameButChangeBitmapKeepsTheFrameCount) {
    ScratchFolder dir;
    auto image = MakeSprite<CSprite>(10, 60, kGreen);
    SetPixel(*image, 0, 0, kRed);
    const std::string path = dir.Path("new.pcx");
    {
        platform::DiskFile file;
        ASSERT_EQ(file.Open(path, platform::DiskFile::Mode::write), platform::FileError::none);
        ASSERT_TRUE(image->CDibPcx::Write(file));
    }

    for (Variant variant : {Variant::player, Variant::editor}) {
        auto sprite = ThreeFrameSheet(7, 8);
        sprite->SetVariant(variant);
        sprite->SetAnimated(true);
        sprite->SetInterval(3);
        sprite->SetCurrentFrame(1);
        RecordingSink sink;
        sprite->SetNotifyObject(&sink);
        ASSERT_TRUE(sprite->ChangeBitmap(path));
        EXPECT_EQ(sprite->GetNumFrames(), 3);
        EXPECT_EQ(sprite->GetRect(), (Rect{7, 8, 17, 28}));
        EXPECT_EQ(sprite->GetCurrentFrame(), 0);
        EXPECT_TRUE(sprite->IsAnimated());
        EXPECT_EQ(sprite->GetInterval(), 3);
        EXPECT_EQ(sprite->GetTransparentColour(), kRed);
        ASSERT_FALSE(sink.notices.empty());
        EXPECT_EQ(sink.notices.back().code, kSpriteMoved);

        // A plain load starts the sheet over.
        ASSERT_TRUE(sprite->Load(path));
        EXPECT_EQ(sprite->GetNumFrames(), 1);
        EXPECT_EQ(sprite->GetHeight(), 60);
        EXPECT_FALSE(sprite->IsAnimated());
    }
}

TEST_F(PhasedSpriteTest, AFailedChangeBitmapKeepsTheOldSheet) {
    ScratchFolder dir;
    // A PCX header that promises rows the file does not hold: the reader fails part-way.
    std::vector<uint8_t> bytes(128, 0);
    bytes[0] = 10;
    bytes[1] = 5;
    bytes[2] = 1;
    bytes[3] = 8;
    bytes[8] = 99;   // right edge: 100 pixels
    bytes[10] = 99;  // bottom edge: 100 rows
    bytes[65] = 3;
    bytes[66] = 100;
    const std::string path = dir.Write("broken.pcx", bytes);
    platform::RecordingMessageBox box;
    platform::ScopedMessageBox scoped(box);
    for (Variant variant : {Variant::player, Variant::editor}) {
        auto sprite = ThreeFrameSheet(7, 8);
        sprite->SetVariant(variant);
        ASSERT_TRUE(sprite->SetCurrentFrame(1));
        EXPECT_FALSE(sprite->ChangeBitmap(path));
        ASSERT_TRUE(sprite->HasImage()) << "the sprite still has its sheet";
        EXPECT_EQ(sprite->CDIB::GetHeight(), 90);
        EXPECT_EQ(sprite->GetNumFrames(), 3);
        EXPECT_EQ(sprite->GetCurrentFrame(), 1);
        EXPECT_EQ(sprite->GetRect(), (Rect{7, 8, 37, 38}));
        EXPECT_EQ(PixelAt(*sprite, 5, 45), kGreen);
        // And it can still be stored.
        platform::MemoryFile file;
        EXPECT_TRUE(sprite->Write(file));
    }
    EXPECT_EQ(box.shown.size(), 2u);
}

}  // namespace
