#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "archive/Archive.h"
#include "engine/Sprite.h"
#include "engine/SpriteList.h"
#include "platform/File.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "tests/engine/EngineTestUtil.h"
#include "tests/support/Pixels.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/Streams.h"

using namespace enginetest;
using namespace test_support;
using platform::Rect;

namespace {

class SpriteTest : public ::testing::Test {
  protected:
    void SetUp() override { RegisterEngineClasses(); }
};

TEST_F(SpriteTest, TransparentPixelsNeitherDrawNorHitUnlessTheRectIsSensible) {
    auto sprite = MakeButton(8, 8, kRed, 10, 10);
    EXPECT_EQ(sprite->GetTransparentColour(), kWhite);
    EXPECT_TRUE(sprite->HitTest(14, 14));   // red block
    EXPECT_FALSE(sprite->HitTest(11, 11));  // white border, see-through
    sprite->SetSensibleRect(true);
    EXPECT_TRUE(sprite->HitTest(11, 11));
    sprite->SetSensibleRect(false);
    sprite->SetTransparent(false);
    EXPECT_TRUE(sprite->HitTest(11, 11));

    sprite->SetTransparent(true);
    CDIB destination;
    ASSERT_TRUE(destination.Create(30, 30, 3));
    FillRect(destination, 0, 0, 30, 30, kBlue);
    EXPECT_TRUE(sprite->Render(&destination, std::nullopt));
    EXPECT_EQ(PixelAt(destination, 10, 10), kBlue);  // white skipped
    EXPECT_EQ(PixelAt(destination, 17, 17), kBlue);
    EXPECT_EQ(PixelAt(destination, 14, 14), kRed);
    EXPECT_EQ(PixelAt(destination, 9, 14), kBlue);  // outside the sprite
}

TEST_F(SpriteTest, LeftColumnAndTopRowNeverHitButTheLastInsideDo) {
    auto sprite = MakeSprite(4, 4, kRed, 10, 20);
    EXPECT_FALSE(sprite->HitTest(10, 21));
    EXPECT_FALSE(sprite->HitTest(11, 20));
    EXPECT_TRUE(sprite->HitTest(11, 21));
    EXPECT_TRUE(sprite->HitTest(13, 23));  // x + width - 1, y + height - 1
    EXPECT_FALSE(sprite->HitTest(14, 23));
    EXPECT_FALSE(sprite->HitTest(13, 24));
}

TEST_F(SpriteTest, HiddenOrDisabledSpritesAreSkippedByThePlayerOnly) {
    auto sprite = MakeSprite(4, 4, kRed, 0, 0);
    EXPECT_EQ(sprite->GetVariant(), Variant::player) << "a sprite in no list behaves as the player's";
    CDIB destination;
    ASSERT_TRUE(destination.Create(8, 8, 3));
    sprite->SetVisible(false);
    EXPECT_FALSE(sprite->HitTest(2, 2));
    EXPECT_FALSE(sprite->Render(&destination, std::nullopt));
    EXPECT_EQ(PixelAt(destination, 2, 2), kBlack);
    sprite->SetVisible(true);
    sprite->SetDisabled(true);
    EXPECT_FALSE(sprite->HitTest(2, 2));

    sprite->SetVariant(Variant::editor);
    sprite->SetVisible(false);
    EXPECT_TRUE(sprite->HitTest(2, 2));
    EXPECT_TRUE(sprite->Render(&destination, std::nullopt));
    EXPECT_EQ(PixelAt(destination, 2, 2), kRed);
}

TEST_F(SpriteTest, RenderKeepsInsideClipAndDestination) {
    auto sprite = MakeSprite(10, 10, kRed, -5, 3);
    CDIB destination;
    ASSERT_TRUE(destination.Create(8, 8, 3));
    EXPECT_TRUE(sprite->Render(&destination, Rect{0, 0, 3, 8}));
    EXPECT_EQ(PixelAt(destination, 2, 3), kRed);
    EXPECT_EQ(PixelAt(destination, 3, 3), kBlack);  // right of the clip
    EXPECT_EQ(PixelAt(destination, 2, 2), kBlack);  // above the sprite
    EXPECT_FALSE(sprite->Render(&destination, Rect{6, 0, 8, 2}));
    sprite->SetPosition(100, 100);
    EXPECT_FALSE(sprite->Render(&destination, std::nullopt));
}

// Drawing a sprite only reads it: its change mark stays, so a stored title still writes it as the bytes
// it was read from, while the image drawn on takes a new mark. An 8-bit sprite drawn on a 24-bit buffer
// goes through the colour table and keeps its mark too.
TEST_F(SpriteTest, DrawingLeavesTheSpritesChangeMarkAndMovesTheBuffers) {
    auto sprite = MakeSprite(4, 4, kRed, 1, 1);
    auto grey = std::make_unique<CPhasedSprite>();
    ASSERT_TRUE(grey->Create(3, 3, 1));
    grey->SetPosition(2, 2);
    CDIB destination;
    ASSERT_TRUE(destination.Create(8, 8, 3));
    const uint64_t spriteMark = sprite->ChangeMark(), greyMark = grey->ChangeMark();
    uint64_t destinationMark = destination.ChangeMark();
    for (CSprite* drawn : {static_cast<CSprite*>(sprite.get()), static_cast<CSprite*>(grey.get())}) {
        for (bool transparent : {true, false}) {
            drawn->SetTransparent(transparent);
            EXPECT_TRUE(drawn->Render(&destination, std::nullopt));
            EXPECT_NE(destination.ChangeMark(), destinationMark);
            destinationMark = destination.ChangeMark();
        }
    }
    EXPECT_EQ(PixelAt(destination, 1, 1), kRed);
    EXPECT_EQ(sprite->ChangeMark(), spriteMark);
    EXPECT_EQ(grey->ChangeMark(), greyMark);
}

TEST_F(SpriteTest, NoticesCarryTheRightRectangles) {
    auto sprite = MakeSprite(4, 6, kRed, 1, 2);
    RecordingSink sink;
    sprite->SetNotifyObject(&sink);
    sprite->SetPlane(50);  // the current plane: nothing
    EXPECT_TRUE(sink.notices.empty());
    sprite->SetPlane(7);
    ASSERT_EQ(sink.notices.size(), 1u);
    EXPECT_EQ(sink.notices[0].code, kSpritePlaneChanged);
    EXPECT_EQ(sink.notices[0].r1, (Rect{1, 2, 5, 8}));

    sprite->SetPosition(10, 20);
    ASSERT_EQ(sink.notices.size(), 2u);
    EXPECT_EQ(sink.notices[1].code, kSpriteMoved);
    EXPECT_EQ(sink.notices[1].r1, (Rect{1, 2, 5, 8}));
    EXPECT_EQ(sink.notices[1].r2, (Rect{10, 20, 14, 26}));

    sprite->SetVisible(false);  // the player redraws the area
    ASSERT_EQ(sink.notices.size(), 3u);
    EXPECT_EQ(sink.notices[2].code, kSpriteMoved);
    EXPECT_EQ(sink.notices[2].r1, (Rect{10, 20, 14, 26}));
    EXPECT_EQ(sink.notices[2].r2, (Rect{10, 20, 14, 26}));

    sprite->SetVariant(Variant::editor);
    sprite->SetVisible(true);
    EXPECT_EQ(sink.notices.size(), 3u);
    EXPECT_TRUE(sprite->IsVisible());
}

TEST_F(SpriteTest, TransparentColourComesFromTheTopLeftPixel) {
    auto sprite = MakeSprite<CSprite>(3, 3, kRed);
    SetPixel(*sprite, 0, 0, 0x102030);
    sprite->ComputeTransparentColour();
    EXPECT_EQ(sprite->GetTransparentColour(), 0x102030u);

    CSprite indexed;
    ASSERT_TRUE(indexed.Create(3, 3, 1));
    indexed.GetPixelAddress(0, 0)[0] = 5;
    indexed.GetPixelAddress(1, 0)[0] = 9;
    indexed.ComputeTransparentColour();
    EXPECT_EQ(indexed.GetTransparentColour(), 0x01000005u);
    indexed.SetTransparent(true);
    EXPECT_FALSE(indexed.HitTest(0, 0));
}

TEST_F(SpriteTest, ASpriteReadInPlaceFindsItsTransparentColourWithoutDecoding) {
    auto sprite = MakeSprite<CSprite>(5, 3, kRed);
    // Every channel at or above 0xC0, which the coder writes as runs of one.
    SetPixel(*sprite, 0, 0, 0xD0E1C0);
    SetPixel(*sprite, 1, 1, 0xD0E1C0);
    platform::MemoryFile written;
    ASSERT_TRUE(sprite->Write(written));
    std::vector<uint8_t> bytes = written.Bytes();
    // An empty run may stand before the first pixel of a line.
    bytes.insert(bytes.begin() + 128, {0xC0, 0x77});

    CSprite eager, inPlace;
    platform::MemoryFile file(bytes);
    ASSERT_TRUE(eager.Read(file));
    platform::SharedMemoryFile shared(std::make_shared<const std::vector<uint8_t>>(bytes));
    ASSERT_TRUE(inPlace.Read(shared));
    EXPECT_TRUE(inPlace.PixelsDeferred());
    EXPECT_EQ(eager.GetTransparentColour(), 0xD0E1C0u);
    EXPECT_EQ(inPlace.GetTransparentColour(), 0xD0E1C0u);
    EXPECT_TRUE(inPlace.PixelsDeferred());

    // Hitting and drawing decode it, and find what the eagerly read sprite has.
    for (CSprite* s : {&eager, &inPlace}) s->SetTransparent(true);
    EXPECT_FALSE(inPlace.HitTest(1, 1));
    EXPECT_TRUE(inPlace.HitTest(2, 1));
    EXPECT_EQ(inPlace.TopRowsMade(), 2) << "a hit needs the rows down to its own";
    EXPECT_TRUE(inPlace.PixelsDeferred());
    CDIB drawnEager, drawnInPlace;
    for (CDIB* d : {&drawnEager, &drawnInPlace}) {
        ASSERT_TRUE(d->Create(6, 4, 3));
        d->Fill(0xFF0000);  // blue
    }
    eager.Render(&drawnEager, std::nullopt);
    inPlace.Render(&drawnInPlace, std::nullopt);
    EXPECT_FALSE(inPlace.PixelsDeferred()) << "the rows below the hit are made after it";
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(PixelAt(drawnInPlace, x, y), PixelAt(drawnEager, x, y));
    EXPECT_EQ(PixelAt(drawnInPlace, 1, 1), kBlue) << "the transparent pixel left the background";
}

TEST_F(SpriteTest, HugePositionsDoNotOverflowTheRectangle) {
    auto sprite = MakeSprite<CSprite>(4, 4, kRed);
    sprite->SetPosition(INT32_MAX - 1, INT32_MAX - 1);
    Rect r = sprite->GetRect();
    EXPECT_EQ(r.right, INT32_MAX);
    EXPECT_FALSE(sprite->HitTest(INT32_MAX - 1, INT32_MAX - 1));
    CDIB destination;
    EXPECT_FALSE(sprite->Render(&destination, std::nullopt));
}

// The fields of a sprite, all set to something other than their defaults.
std::unique_ptr<CSprite> FullSprite() {
    auto sprite = MakeSprite<CSprite>(5, 3, kGreen, -7, 12, 33);
    SetPixel(*sprite, 0, 0, kWhite);
    SetPixel(*sprite, 4, 2, kRed);
    sprite->ComputeTransparentColour();
    sprite->SetText("Bot\xf3n");
    sprite->SetNumber(42);
    sprite->SetTransparent(true);
    sprite->SetSensibleRect(true);
    sprite->SetVisible(false);
    sprite->SetDisabled(true);
    sprite->SetClickAction(2);
    sprite->SetClickArguments({"a1", "", "a3", "a4"});
    sprite->SetMoveAction(17);
    sprite->SetMoveArgument(3, "m4");
    sprite->SetSelected(true);
    return sprite;
}

std::vector<uint8_t> StoreObjects(const std::vector<const CObject*>& objects, int32_t trailer) {
    return Store([&](CArchive& ar) {
        for (const CObject* object : objects) ar.WriteObject(object);
        ar.WriteLong(trailer);
    });
}

// Bytes of the sprite's bitmap as a PCX file.
size_t PcxSize(CSprite& sprite) {
    platform::MemoryFile file;
    EXPECT_TRUE(sprite.CDibPcx::Write(file));
    return file.Bytes().size();
}

TEST_F(SpriteTest, StoredFormRoundTripsEveryFieldAndTheValueAfterIt) {
    auto sprite = FullSprite();
    auto second = MakeSprite<CSprite>(2, 2, kBlue, 1, 1, 9);
    std::vector<uint8_t> bytes = StoreObjects({sprite.get(), second.get()}, 0x12345678);

    platform::MemoryFile file(bytes);
    CArchive ar(file, CArchive::load);
    auto loaded = ar.ReadOwned<CSprite>();
    auto loadedSecond = ar.ReadOwned<CSprite>();
    EXPECT_EQ(ar.ReadLong(), 0x12345678);
    ASSERT_EQ(loaded->GetRuntimeClass(), RUNTIME_CLASS(CSprite));
    EXPECT_EQ(loaded->GetRect(), (Rect{-7, 12, -2, 15}));
    EXPECT_EQ(loaded->GetPlane(), 33);
    EXPECT_EQ(loaded->GetText(), "Bot\xf3n");
    EXPECT_EQ(loaded->GetNumber(), 42);
    EXPECT_TRUE(loaded->IsTransparent());
    EXPECT_TRUE(loaded->HasSensibleRect());
    EXPECT_FALSE(loaded->IsVisible());
    EXPECT_TRUE(loaded->IsDisabled());
    EXPECT_FALSE(loaded->IsSelected());  // never stored
    EXPECT_EQ(loaded->GetClickAction(), 2);
    EXPECT_EQ(loaded->GetClickArguments(), sprite->GetClickArguments());
    EXPECT_EQ(loaded->GetMoveAction(), 17);
    EXPECT_EQ(loaded->GetMoveArgument(3), "m4");
    EXPECT_EQ(loaded->GetMoveArgument(0), "");
    EXPECT_EQ(loaded->GetTransparentColour(), kWhite);  // recomputed from the loaded bitmap
    EXPECT_EQ(loaded->GetBitCount(), 24);
    EXPECT_EQ(PixelAt(*loaded, 4, 2), kRed);
    EXPECT_EQ(PixelAt(*loaded, 2, 1), kGreen);
    EXPECT_EQ(loadedSecond->GetPlane(), 9);
    EXPECT_EQ(PixelAt(*loadedSecond, 1, 1), kBlue);
}

TEST_F(SpriteTest, ReservedWordIsKeptAsLoaded) {
    auto sprite = FullSprite();
    std::vector<uint8_t> bytes = StoreObjects({sprite.get()}, 0);
    // New-class tag, schema, name length and "CSprite", then the PCX image, then the reserved word.
    const size_t reservedAt = 2 + 2 + 2 + 7 + PcxSize(*sprite);
    ASSERT_LT(reservedAt + 4, bytes.size());
    ASSERT_EQ(bytes[reservedAt], 0);
    ASSERT_EQ(bytes[reservedAt + 4], static_cast<uint8_t>(-7));  // x follows
    bytes[reservedAt] = 7;

    platform::MemoryFile file(bytes);
    CArchive ar(file, CArchive::load);
    auto loaded = ar.ReadOwned<CSprite>();
    EXPECT_EQ(loaded->GetReserved(), 7);
    EXPECT_EQ(loaded->GetX(), -7);
    EXPECT_EQ(StoreObjects({loaded.get()}, 0), bytes);  // stored back exactly
}

TEST_F(SpriteTest, TruncatedStoredSpriteFailsAsAFormatErrorOrEndOfFile) {
    auto sprite = FullSprite();
    std::vector<uint8_t> bytes = StoreObjects({sprite.get()}, 0);
    for (size_t cut : {size_t{10}, size_t{20}, size_t{100}, bytes.size() - 8}) {
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + cut);
        platform::MemoryFile file(part);
        CArchive ar(file, CArchive::load);
        bool failed = false;
        try {
            ar.ReadOwned<CSprite>();
        } catch (const CArchiveException&) {
            failed = true;
        } catch (const platform::FileException&) {
            failed = true;
        }
        EXPECT_TRUE(failed) << "cut at " << cut;
    }
}

bool WriteImage(CSprite& image, const std::string& path, bool pcx) {
    platform::DiskFile file;
    if (file.Open(path, platform::DiskFile::Mode::write) != platform::FileError::none) return false;
    return pcx ? image.CDibPcx::Write(file) : image.CDIB::Write(file);
}

TEST_F(SpriteTest, EditorLoadPicksTheReaderByEndingAndRecomputesTheColour) {
    ScratchFolder dir;
    auto source = MakeSprite<CSprite>(6, 4, kGreen);
    SetPixel(*source, 0, 0, kBlue);
    ASSERT_TRUE(WriteImage(*source, dir.Path("a.pcx"), true));
    ASSERT_TRUE(WriteImage(*source, dir.Path("b.bmp"), false));
    ASSERT_TRUE(WriteImage(*source, dir.Path("c.PcX"), true));

    for (const char* name : {"a.pcx", "b.bmp", "c.PcX"}) {
        CSprite sprite;
        sprite.SetVariant(Variant::editor);
        ASSERT_TRUE(sprite.Load(dir.Path(name))) << name;
        EXPECT_EQ(sprite.GetWidth(), 6);
        EXPECT_EQ(sprite.GetTransparentColour(), kBlue) << name;
        EXPECT_EQ(PixelAt(sprite, 5, 3), kGreen);
    }

    platform::RecordingMessageBox box;
    platform::ScopedMessageBox scope(box);
    CSprite sprite;
    EXPECT_FALSE(sprite.LoadBitmapFile(dir.Path("missing.bmp")));
    EXPECT_FALSE(sprite.LoadBitmapFile(dir.Path("a.bmp.pcx")));
    // A PCX file named .bmp goes to the BMP reader, which refuses it.
    std::filesystem::copy_file(dir.Path("a.pcx"), dir.Path("d.bmp"));
    EXPECT_FALSE(sprite.LoadBitmapFile(dir.Path("d.bmp")));
    ASSERT_EQ(box.shown.size(), 3u);
    EXPECT_EQ(box.shown[0].text, "Failed to open file");
    EXPECT_EQ(box.shown[1].text, "Failed to open file");
    EXPECT_EQ(box.shown[2].text, "Failed to load file");

    platform::ScriptedFileDialog dialog;
    platform::SetFileDialog(&dialog);
    EXPECT_FALSE(sprite.LoadBitmapFile(""));  // cancelled
    platform::SetFileDialog(nullptr);
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].defaultExtension, "bmp");
    EXPECT_EQ(box.shown.size(), 3u);
}

}  // namespace
