#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "archive/Archive.h"
#include "engine/AnimView.h"
#include "model/FichaDoc.h"
#include "platform/DeviceContext.h"
#include "platform/HelperThread.h"
#include "platform/Media.h"
#include "platform/MessageBox.h"
#include "platform/Sound.h"
#include "tests/model/DocTestSupport.h"
#include "tests/support/HeldHelper.h"
#include "tests/support/Pixels.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/Streams.h"

namespace {

using namespace doc_test;
using namespace test_support;
using platform::MessageAnswer;

// Every document test runs with the doubles of the document fixture.
class FichaDocTest : public DocumentTest {
  protected:
    // A 64 x 48 JPEG background of a blue gradient.
    static void SetGradientBackground(CFichaDoc& doc) {
        auto background = std::make_unique<CDibJpeg>();
        Gradient(*background, 64, 48, 200);
        doc.SetBackground(std::move(background));
    }
    // Writes `doc` to a title file in the scratch folder and returns its path.
    std::string SaveTitle(CFichaDoc& doc, const std::string& name) {
        return SaveDocument(doc, folder.Path(name));
    }
};

const Bytes kEmptyTitle = {
    0x00, 0x00, 0x00, 0x00,                          // leading word
    0x00, 0x00, 0x00,                                // identifier, description, music
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // loop, stop previous
    0x00, 0x00, 0x00, 0x00,                          // no background
    0x00, 0x00,                                      // no sprites
    0x00,                                            // work directory
    0x00,                                            // caption field
    0x01, 0x00,                                      // one card
    0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00, 'C', 'F', 'i', 'c', 'h', 'a', 0x03, 0x00, 0x00, 0x00,  // version
                                                                                               // 3
    0x00, 0x00, 0x00, 0x00, 0x00,  // video leading word, file name
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00,        // x, y, loop, automatic, close
    0x00, 0x00, 0x00,        // sprites on close, activation, deactivation
    0x00, 0x00, 0x00, 0x00,  // no texts, no pictures
};

TEST_F(FichaDocTest, TheSeventyThreeByteTitleIsWrittenAndReadByteForByte) {
    ASSERT_EQ(kEmptyTitle.size(), 73u);
    CFichaDoc doc(Variant::player);
    doc.GetCards().Add(std::make_unique<CFicha>());
    EXPECT_EQ(StoreDocument(doc), kEmptyTitle);

    CFichaDoc loaded(Variant::player);
    platform::MemoryFile file(kEmptyTitle, "EMPTY.FCA");
    ASSERT_TRUE(loaded.Load(file));
    EXPECT_EQ(loaded.GetCards().GetSize(), 1u);
    EXPECT_EQ(loaded.GetCurrentCard(), 0);
    EXPECT_EQ(loaded.GetBackground(), nullptr);
    EXPECT_EQ(StoreDocument(loaded), kEmptyTitle);
}

TEST_F(FichaDocTest, LeadingWordAndOddFlagsStoreBackAsLoaded) {
    Bytes bytes = kEmptyTitle;
    bytes[0] = 0x2A;  // leading word 42
    bytes[7] = 0x02;  // loop music stored as 2 by some older writer
    CFichaDoc doc(Variant::player);
    platform::MemoryFile file(bytes, "ODD.FCA");
    ASSERT_TRUE(doc.Load(file));
    EXPECT_EQ(doc.leadingWord, 42u);
    EXPECT_EQ(StoreDocument(doc), bytes);
}

TEST_F(FichaDocTest, BackgroundAndSpritesRoundTripAndTheValueAfterTheImageIsRead) {
    CFichaDoc doc(Variant::player);
    SetGradientBackground(doc);
    doc.GetSpriteList().Insert(MakeSprite(3, 5, 6, 10, 8, 6, 3));
    doc.GetSpriteList().Insert(MakeSprite(4, 7, 8, 60));
    doc.workDirectory = "C:\\MEDIA";
    doc.GetCards().Add(std::make_unique<CFicha>());
    Bytes first = StoreDocument(doc);

    CFichaDoc loaded(Variant::player);
    platform::MemoryFile file(first, "T.FCA");
    ASSERT_TRUE(loaded.Load(file));
    ASSERT_NE(loaded.GetBackground(), nullptr);
    EXPECT_EQ(loaded.GetBackground()->GetWidth(), 64);
    ASSERT_TRUE(loaded.GetBackgroundRange().has_value());
    EXPECT_EQ(loaded.GetBackgroundRange()->begin, 19u);  // rows 1 to 7: 4 + 3 + 4 + 4 + 4 bytes
    EXPECT_EQ(Numbers(loaded), (std::vector<int32_t>{3, 4}));
    auto* phased = dynamic_cast<CPhasedSprite*>(loaded.GetSpriteList().GetAt(0));
    ASSERT_NE(phased, nullptr);
    EXPECT_EQ(phased->GetNumFrames(), 3);
    EXPECT_EQ(loaded.workDirectory, "C:\\MEDIA");
    EXPECT_EQ(StoreDocument(loaded), first) << "an unchanged JPEG goes back as the bytes it was read from";
}

// Every pixel of the sprite drawn alone on a scene of `width` x `height`.
std::vector<uint32_t> Drawn(CSprite& sprite, int32_t width, int32_t height) {
    CDIB scene;
    scene.Create(width, height, 3);
    sprite.Render(&scene, std::nullopt);
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) pixels.push_back(PixelAt(scene, x, y));
    return pixels;
}

TEST_F(FichaDocTest, SpritesOfATitleReadWholeWaitForTheirFirstUseAndSaveAsRead) {
    CFichaDoc doc(Variant::player);
    SetGradientBackground(doc);
    doc.GetSpriteList().Insert(MakeSprite(3, 5, 6, 10, 5, 3, 3));  // odd widths
    doc.GetSpriteList().Insert(MakeSprite(4, 7, 8, 60, 7, 1));
    doc.GetSpriteList().GetAt(0)->SetTransparent(true);
    // Hidden: sprites that show on the first card may be decoded while the background is.
    for (CSprite* s : doc.GetSpriteList()) s->SetVisible(false);
    doc.GetCards().Add(std::make_unique<CFicha>());
    const Bytes stored = StoreDocument(doc);

    CFichaDoc eager(Variant::player), inPlace(Variant::player);
    platform::MemoryFile file(stored, "T.FCA");
    ASSERT_TRUE(eager.Load(file));
    platform::SharedMemoryFile shared(std::make_shared<const Bytes>(stored), "T.FCA");
    ASSERT_TRUE(inPlace.Load(shared));
    for (CSprite* s : inPlace.GetSpriteList()) EXPECT_TRUE(s->PixelsDeferred());
    EXPECT_EQ(StoreDocument(inPlace), stored) << "saved untouched, the title is written as it was read";
    for (CSprite* s : inPlace.GetSpriteList())
        EXPECT_TRUE(s->PixelsDeferred()) << "without decoding a sprite";
    for (size_t i = 0; i < 2; ++i) {
        CSprite& a = *eager.GetSpriteList().GetAt(i);
        CSprite& b = *inPlace.GetSpriteList().GetAt(i);
        EXPECT_EQ(b.GetTransparentColour(), a.GetTransparentColour());
        EXPECT_EQ(Drawn(b, 24, 20), Drawn(a, 24, 20)) << "sprite " << i;
    }
    EXPECT_EQ(StoreDocument(inPlace), stored) << "decoded and unchanged, still written as read";

    // The editor's open takes its first undo snapshot, as a save writes the title, and decodes nothing.
    const std::string path = SaveTitle(doc, "LAZY.FCA");
    CFichaDoc editor(Variant::editor);
    ASSERT_TRUE(editor.OnOpenDocument(path));
    for (CSprite* s : editor.GetSpriteList()) EXPECT_TRUE(s->PixelsDeferred());
    EXPECT_EQ(*editor.TitleBytes(), stored);
}

// While the helper decodes the background, the open decodes the sprites that the first card shows: the
// visible ones and those its list shows, not those it hides nor the hidden ones.
TEST_F(FichaDocTest, TheSpritesTheFirstCardShowsAreDecodedWhileTheBackgroundIs) {
    CFichaDoc doc(Variant::player);
    SetGradientBackground(doc);
    for (int32_t number : {3, 4, 5, 6})
        doc.GetSpriteList().Insert(MakeSprite(number, 5, 6, 10 * number, 5, 3, 3));
    doc.GetSpriteList().FindByNumber(4)->SetVisible(false);
    doc.GetSpriteList().FindByNumber(6)->SetVisible(false);
    auto card = std::make_unique<CFicha>();
    card->activationList = "4";
    card->deactivationList = "5";
    doc.GetCards().Add(std::move(card));
    const Bytes stored = StoreDocument(doc);

    // The helper is held, so the background is still being decoded when the rest has been read.
    HeldHelper held;
    CFichaDoc loaded(Variant::player);
    platform::SharedMemoryFile shared(std::make_shared<const Bytes>(stored), "T.FCA");
    ASSERT_TRUE(loaded.Load(shared));
    held.Join();
    if (!platform::HelperTask::Parallel()) GTEST_SKIP() << "one processor: nothing is decoded meanwhile";
    // Of a shown sheet only the frame it shows: the frames below it wait for their first use.
    for (int32_t number : {3, 4})
        EXPECT_EQ(loaded.GetSpriteList().FindByNumber(number)->TopRowsMade(), 3) << number;
    for (int32_t number : {5, 6})
        EXPECT_EQ(loaded.GetSpriteList().FindByNumber(number)->TopRowsMade(), 0) << number;
    EXPECT_EQ(StoreDocument(loaded), stored);
    // Shown later, a frame below finds its pixels; the frames made first keep theirs.
    auto* sheet = dynamic_cast<CPhasedSprite*>(loaded.GetSpriteList().FindByNumber(3));
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(sheet->SetCurrentFrame(2));
    EXPECT_EQ(Drawn(*sheet, 20, 20)[7 * 20 + 7], SpriteColour(3, 2));
    EXPECT_FALSE(sheet->PixelsDeferred());
    ASSERT_TRUE(sheet->SetCurrentFrame(0));
    EXPECT_EQ(Drawn(*sheet, 20, 20)[7 * 20 + 7], SpriteColour(3, 0));
    EXPECT_EQ(StoreDocument(loaded), stored);
}

TEST_F(FichaDocTest, ABrokenSpriteRefusesTheTitleWhenItOpens) {
    CFichaDoc doc(Variant::player);
    doc.GetSpriteList().Insert(MakeSprite(3, 5, 6, 10, 5, 3, 3));  // every line one run of 5
    doc.GetCards().Add(std::make_unique<CFicha>());
    Bytes broken = StoreDocument(doc);
    // Rows 1 to 7 without a background, the sprite count, the class of the first sprite, its PCX header.
    const size_t pcx = 19 + 2 + 6 + 13;
    ASSERT_EQ(broken[pcx], 10);
    // The last line of the last row runs past its end: only reading the whole stream finds it.
    const size_t lastRun = pcx + 128 + (9 * 3 - 1) * 2;
    ASSERT_EQ(broken[lastRun], 0xC5);
    broken[lastRun] = 0xC6;
    const std::string path = folder.Path("BROKEN.FCA");
    WriteFileBytes(path, broken);

    // What a load through a plain file, which decodes every sprite as it reads it, says about it.
    std::string message;
    CFichaDoc eager(Variant::player);
    platform::MemoryFile file(broken, path);
    EXPECT_FALSE(eager.Load(file, &message));
    ASSERT_FALSE(message.empty());
    for (Variant variant : {Variant::player, Variant::editor}) {
        CFichaDoc opened(variant);
        box.shown.clear();
        EXPECT_FALSE(opened.OnOpenDocument(path));
        ASSERT_EQ(box.shown.size(), 1u);
        EXPECT_EQ(box.shown[0].text, message);
        EXPECT_TRUE(opened.GetSpriteList().IsEmpty());
    }
}

// The background of a title read whole is decoded on the helper thread while the rest is read; a
// background the decoder refuses refuses the title as before, whether or not what follows is sound.
TEST_F(FichaDocTest, ABackgroundTheDecoderRefusesRefusesTheTitle) {
    CFichaDoc doc(Variant::player);
    SetGradientBackground(doc);
    doc.GetSpriteList().Insert(MakeSprite(3, 5, 6, 10, 5, 3, 3));
    doc.GetCards().Add(std::make_unique<CFicha>());
    const Bytes stored = StoreDocument(doc);
    Bytes broken = stored;
    size_t frame = 19;
    while (frame + 4 < broken.size() && !(broken[frame] == 0xFF && broken[frame + 1] == 0xC0)) ++frame;
    ASSERT_LT(frame + 4, broken.size());
    broken[frame + 4] = 13;  // a sample precision only the decoder refuses; the markers still end right
    Bytes brokenAndCut(broken.begin(), broken.end() - 30);

    for (const Bytes& bytes : {broken, brokenAndCut}) {
        std::string plainMessage, message;
        CFichaDoc plain(Variant::player), ahead(Variant::player);
        platform::MemoryFile file(bytes, "T.FCA");
        EXPECT_FALSE(plain.Load(file, &plainMessage));
        platform::SharedMemoryFile shared(std::make_shared<const Bytes>(bytes), "T.FCA");
        EXPECT_FALSE(ahead.Load(shared, &message));
        EXPECT_EQ(message, plainMessage);
        EXPECT_EQ(ahead.GetBackground(), nullptr);
        EXPECT_TRUE(ahead.GetSpriteList().IsEmpty());
    }
    // Sound, the same title opens read whole as read piece by piece.
    CFichaDoc plain(Variant::player), ahead(Variant::player);
    platform::MemoryFile file(stored, "T.FCA");
    ASSERT_TRUE(plain.Load(file));
    platform::SharedMemoryFile shared(std::make_shared<const Bytes>(stored), "T.FCA");
    ASSERT_TRUE(ahead.Load(shared));
    EXPECT_EQ(PixelAt(*ahead.GetBackground(), 40, 30), PixelAt(*plain.GetBackground(), 40, 30));
    EXPECT_EQ(StoreDocument(ahead), stored);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(FichaDocTest, AFileWithoutCardsOpensWithNoCardShown) {
    Bytes bytes(kEmptyTitle.begin(), kEmptyTitle.begin() + 23);
    bytes.push_back(0x00);
    bytes.push_back(0x00);  // count 0
    std::string path = folder.Path("NOCARDS.FCA");
    WriteFileBytes(path, bytes);
    for (Variant variant : {Variant::player, Variant::editor}) {
        CFichaDoc doc(variant);
        ASSERT_TRUE(doc.OnOpenDocument(path));
        EXPECT_EQ(doc.GetCards().GetSize(), 0u);
        EXPECT_EQ(doc.GetCurrentCardPtr(), nullptr);
        for (int i : {-1, 0, 1}) EXPECT_EQ(doc.CardAt(i), nullptr);
        EXPECT_FALSE(doc.GoToCard(0));
        EXPECT_FALSE(doc.NextCardPlayer());
        doc.OnCloseDocument();
    }
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(FichaDocTest, NewDocumentsOfBothPrograms) {
    {
        CFichaDoc doc(Variant::editor);
        ASSERT_TRUE(doc.OnNewDocument());
        ASSERT_NE(doc.GetBackground(), nullptr);
        EXPECT_EQ(doc.GetBackground()->GetWidth(), 640);
        EXPECT_EQ(doc.GetBackground()->GetHeight(), 480);
        EXPECT_EQ(doc.GetBackground()->GetPixelAddress(320, 240)[1], 0) << "black";
        EXPECT_EQ(doc.GetCards().GetSize(), 1u);
        EXPECT_EQ(doc.GetCurrentCard(), 0);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_TRUE(doc.GetUndoHistory().IsActive()) << "New starts the undo history";
        EXPECT_FALSE(doc.CanUndo());
        doc.OnCloseDocument();
        EXPECT_FALSE(doc.GetUndoHistory().IsActive()) << "closing forgets the snapshots";
    }
    {
        CFichaDoc doc(Variant::player);
        ASSERT_TRUE(doc.OnNewDocument());
        EXPECT_EQ(doc.GetBackground()->GetWidth(), 320);
        EXPECT_EQ(doc.GetBackground()->GetHeight(), 240);
        EXPECT_EQ(doc.GetCards().GetSize(), 0u);
        EXPECT_EQ(doc.GetCurrentCard(), -1);
        EXPECT_FALSE(doc.HasVideo());
        EXPECT_FALSE(doc.GetUndoHistory().IsActive());
        EXPECT_NE(doc.GetMciAvi(), nullptr);
    }
}

TEST_F(FichaDocTest, SetBackgroundAsksBeforeDeletingTheSprites) {
    struct Case {
        Variant variant;
        MessageAnswer answer;
        const char* question;
        size_t spritesLeft;
    };
    for (const Case& c :
         {Case{Variant::editor, MessageAnswer::yes, "Do you want to delete the sprite list ?", 0},
          Case{Variant::editor, MessageAnswer::no, "Do you want to delete the sprite list ?", 2},
          Case{Variant::player, MessageAnswer::yes, "\xC2\xBF Desea borrar la lista de Sprites ?", 0},
          Case{Variant::player, MessageAnswer::no, "\xC2\xBF Desea borrar la lista de Sprites ?", 2}}) {
        box.shown.clear();
        CFichaDoc doc(c.variant);
        doc.SetBackground(std::make_unique<CDibJpeg>());
        EXPECT_TRUE(box.shown.empty()) << "no question without sprites";
        doc.GetSpriteList().Insert(MakeSprite(1, 0, 0, 50));
        doc.GetSpriteList().Insert(MakeSprite(2, 0, 0, 50));
        doc.SetModifiedFlag(false);
        box.answers.push_back(c.answer);
        auto background = std::make_unique<CDibJpeg>();
        CDibJpeg* raw = background.get();
        doc.SetBackground(std::move(background));
        ASSERT_EQ(box.shown.size(), 1u);
        EXPECT_EQ(box.shown[0].text, c.question);
        EXPECT_EQ(box.shown[0].buttons, platform::MessageButtons::yesNo);
        EXPECT_EQ(doc.GetSpriteList().GetCount(), c.spritesLeft);
        EXPECT_EQ(doc.GetBackground(), raw);
        EXPECT_TRUE(doc.IsModified());
    }
}

// A title whose card 0 has two pictures (the first with an empty name) and a video, and whose card 1
// has one picture; the media files lie beside the title.
class CardWithMediaTest : public FichaDocTest {
  protected:
    void SetUp() override {
        FichaDocTest::SetUp();
        WriteBmp(folder.Path("pic.bmp"), 20, 10, 7);
        WriteBmp(folder.Path("Other.BMP"), 11, 9, 9);
        WriteFileBytes(folder.Path("clip.avi"), Bytes{'R', 'I', 'F', 'F'});
        media.script.frameSize = {32, 24};
        CFichaDoc doc(Variant::player);
        auto background = std::make_unique<CDibJpeg>();
        background->Create(100, 80, 3);
        doc.SetBackground(std::move(background));
        doc.GetSpriteList().Insert(MakeSprite(1, 0, 0, 50));
        auto card = std::make_unique<CFicha>();
        card->video.file = "CLIP.AVI";
        card->video.x = 3;
        card->video.y = 4;
        auto empty = std::make_unique<CFoto>();
        card->AddPicture(std::move(empty));
        auto pic = std::make_unique<CFoto>();
        pic->fileName = "C:\\TITLE\\PIC.BMP";
        pic->x = 40;
        pic->y = 30;
        pic->reduction = 50;
        card->AddPicture(std::move(pic));
        doc.GetCards().Add(std::move(card));
        auto second = std::make_unique<CFicha>();
        auto other = std::make_unique<CFoto>();
        other->fileName = "other.bmp";
        second->AddPicture(std::move(other));
        doc.GetCards().Add(std::move(second));
        path = SaveTitle(doc, "MEDIA.FCA");
        stored = ReadFileBytes(path);
    }
    std::string path;
    Bytes stored;
};

TEST_F(CardWithMediaTest, ThePlayerNumbersPictureProxiesMinusKAndHasNoVideoProxy) {
    CFichaDoc doc(Variant::player);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_TRUE(doc.HasVideo());
    EXPECT_EQ(Numbers(doc), (std::vector<int32_t>{-2, 1})) << "picture 2 is -2; picture 1 has no name";
    CSprite* proxy = doc.GetSpriteList().FindByNumber(-2);
    EXPECT_EQ(proxy->GetWidth(), 10);
    EXPECT_EQ(proxy->GetHeight(), 5);
    EXPECT_EQ(proxy->GetX(), 40);
    EXPECT_EQ(proxy->GetText(), "C:\\TITLE\\PIC.BMP");
    EXPECT_FALSE(proxy->IsTransparent());

    ASSERT_TRUE(doc.NextCardPlayer());
    EXPECT_FALSE(doc.HasVideo());
    EXPECT_EQ(Numbers(doc), (std::vector<int32_t>{-1, 1}));
    EXPECT_FALSE(doc.NextCardPlayer()) << "no card after the last";
    EXPECT_FALSE(doc.GoToCard(2));
    EXPECT_EQ(doc.GetCurrentCard(), 1);
    EXPECT_TRUE(box.shown.empty());
}

TEST_F(CardWithMediaTest, TheEditorNumbersTheVideoMinusOneAndPicturesMinusKPlusOne) {
    CFichaDoc doc(Variant::editor);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(Numbers(doc), (std::vector<int32_t>{-3, -1, 1}));
    CSprite* video = doc.GetSpriteList().FindByNumber(-1);
    EXPECT_EQ(video->GetWidth(), 32);
    EXPECT_EQ(video->GetHeight(), 24);
    EXPECT_EQ(video->GetX(), 3);
    EXPECT_EQ(video->GetText(), "CLIP.AVI");

    doc.NextCard();
    EXPECT_EQ(doc.GetCurrentCard(), 1);
    EXPECT_EQ(Numbers(doc), (std::vector<int32_t>{-2, 1})) << "card 1 has no video";
    EXPECT_FALSE(doc.CanGoNext());
    doc.FirstCard();
    EXPECT_EQ(Numbers(doc), (std::vector<int32_t>{-3, -1, 1}));
    doc.OnCloseDocument();
}

TEST_F(CardWithMediaTest, AMissingVideoInTheEditorIsReportedByTheDeviceAndGetsNoProxy) {
    std::filesystem::remove(folder.Path("clip.avi"));
    media.script.openError = platform::kMediaErrorFileNotFound;
    media.script.openErrorText = "No se encuentra el archivo.";
    CFichaDoc doc(Variant::editor);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.GetSpriteList().FindByNumber(-1), nullptr);
    ASSERT_EQ(box.shown.size(), 1u) << "the device's own box names the missing clip";
    EXPECT_EQ(box.shown[0].caption,
              "V\xC3\xAD"
              "deo AVI");
    EXPECT_EQ(box.shown[0].text, "No se encuentra el archivo.");
    ASSERT_FALSE(media.calls.empty());
    EXPECT_EQ(media.calls[0], "Open CLIP.AVI none") << "the name as the title stores it, without a parent";
    doc.OnCloseDocument();
}

TEST_F(CardWithMediaTest, StoringWritesNoProxyAndLeavesTheProxiesInPlace) {
    for (Variant variant : {Variant::editor, Variant::player}) {
        CFichaDoc doc(variant);
        ASSERT_TRUE(doc.OnOpenDocument(path));
        std::vector<int32_t> before = Numbers(doc);
        ASSERT_GT(before.size(), 1u);
        EXPECT_EQ(StoreDocument(doc), stored) << "the stored title holds only the ordinary sprite";
        EXPECT_EQ(Numbers(doc), before);
        for (CSprite* s : doc.GetSpriteList())
            EXPECT_EQ(s->GetNotifyObject(), doc.GetSpriteList().GetChangeSink());
        doc.OnCloseDocument();
    }
}

TEST_F(CardWithMediaTest, UndoRightAfterOpenRestoresTheOpenedStateTwice) {
    CFichaDoc doc(Variant::editor);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    std::vector<int32_t> opened = Numbers(doc);
    doc.GetCards().Add(std::make_unique<CFicha>());
    doc.GetSpriteList().DeleteAll();
    doc.identifier = "changed";
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.GetCards().GetSize(), 2u);
    EXPECT_EQ(doc.identifier, "");
    EXPECT_EQ(doc.GetCurrentCard(), 0);
    EXPECT_EQ(Numbers(doc), opened) << "the first card is shown again, proxies included";
    EXPECT_EQ(StoreDocument(doc), stored);
    doc.GetCards().Add(std::make_unique<CFicha>());
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.GetCards().GetSize(), 2u);
    EXPECT_EQ(StoreDocument(doc), stored);
    doc.OnCloseDocument();
}

TEST_F(CardWithMediaTest, ADamagedSnapshotLeavesTheDocumentAsItIs) {
    CFichaDoc doc(Variant::editor);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.identifier = "kept";
    doc.GetUndoHistory().Push("Broken", UndoHistory::FromBytes(Bytes{0x00, 0x00}), 0, true);
    EXPECT_FALSE(doc.Undo());
    EXPECT_EQ(doc.identifier, "kept");
    EXPECT_EQ(doc.GetCards().GetSize(), 2u);
    EXPECT_EQ(doc.GetUndoHistory().UndoCount(), 1u) << "the history did not move either";
    doc.OnCloseDocument();
}

// Undo brings back the snapshot's content, and the modified flag follows the save point: undoing back to
// the state that was opened or saved clears it, undoing or redoing to any other state sets it (the one
// level of old left the flag as it was). The views keep showing the document.
TEST_F(CardWithMediaTest, UndoFollowsTheSavePointAndKeepsTheViews) {
    CFichaDoc doc(Variant::editor);
    CAnimView view;
    doc.SetDirtyView(&view);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    ASSERT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.Undo()) << "nothing changed since the title was opened";
    EXPECT_FALSE(doc.IsModified());

    doc.TakeUndoSnapshot("Add card");
    doc.GetCards().Add(std::make_unique<CFicha>());
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.GetCards().GetSize(), 2u);
    EXPECT_FALSE(doc.IsModified()) << "back at the state that was opened";
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.GetCards().GetSize(), 3u);
    EXPECT_TRUE(doc.IsModified());

    ASSERT_TRUE(doc.OnSaveDocument(folder.Path("SAVED.FCA")));
    ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(doc.IsModified()) << "the state before the save is not the saved one";
    ASSERT_TRUE(doc.Redo());
    EXPECT_FALSE(doc.IsModified()) << "redoing back to the save point";

    doc.TakeUndoSnapshot("Load background");
    doc.SetBackground(std::make_unique<CDibJpeg>());  // marks the document modified
    ASSERT_TRUE(doc.Undo());
    EXPECT_FALSE(doc.IsModified());
    ASSERT_NE(doc.GetBackground(), nullptr);
    EXPECT_EQ(doc.GetBackground()->GetWidth(), 100);
    ASSERT_NE(view.GetBuffer(), nullptr);
    EXPECT_EQ(view.GetBuffer()->GetWidth(), 100) << "the view was handed the background of the snapshot";
    EXPECT_EQ(doc.GetViews(), std::vector<CAnimView*>{&view});
    EXPECT_EQ(doc.GetDirtyView(), &view);
    doc.OnCloseDocument();
}

TEST_F(FichaDocTest, ScrollWidgetsAndCardListsAreAppliedOnEntering) {
    CFichaDoc doc(Variant::player);
    auto knob = MakeSprite(7, 0, 0, 50);
    knob->SetClickAction(9);
    knob->SetClickArgument(0, "story");
    doc.GetSpriteList().Insert(std::move(knob));
    auto play = MakeSprite(8, 0, 0, 50);
    play->SetClickAction(17);
    doc.GetSpriteList().Insert(std::move(play));
    doc.GetSpriteList().Insert(MakeSprite(5, 0, 0, 50));
    auto card = std::make_unique<CFicha>();
    auto text = std::make_unique<CTexto>();
    text->identifier = "story";
    text->text = "short";
    card->AddText(std::move(text));
    card->activationList = "5";
    card->deactivationList = "5";
    doc.GetCards().Add(std::move(card));
    ASSERT_TRUE(doc.GoToCard(0));
    EXPECT_TRUE(doc.ApplyCurrentCardToSprites());
    EXPECT_FALSE(doc.GetSpriteList().FindByNumber(7)->IsVisible()) << "the text fits: no scroll knob";
    EXPECT_FALSE(doc.GetSpriteList().FindByNumber(8)->IsVisible()) << "no video on the card";
    EXPECT_FALSE(doc.GetSpriteList().FindByNumber(5)->IsVisible()) << "in both lists: ends hidden";
}

TEST_F(FichaDocTest, PlayerNavigationResetsTextScroll) {
    CFichaDoc doc(Variant::player);
    for (int i = 0; i < 3; ++i) {
        auto card = std::make_unique<CFicha>();
        card->AddText(std::make_unique<CTexto>());
        doc.GetCards().Add(std::move(card));
    }
    doc.CardAt(2)->TextAt(0)->SetScroll(4);
    EXPECT_TRUE(doc.LastCardPlayer());
    EXPECT_EQ(doc.GetCurrentCard(), 2);
    EXPECT_EQ(doc.CardAt(2)->TextAt(0)->GetScroll(), 0);
    EXPECT_TRUE(doc.PreviousCardPlayer());
    EXPECT_TRUE(doc.PreviousCardPlayer());
    EXPECT_FALSE(doc.PreviousCardPlayer());
    EXPECT_EQ(doc.GetCurrentCard(), 0);
    EXPECT_FALSE(doc.GoToCard(-1));
    EXPECT_EQ(doc.GetCurrentCard(), 0);
}

TEST_F(FichaDocTest, OpeningTheStartCardOfTheRunState) {
    CFichaDoc source(Variant::player);
    for (int i = 0; i < 3; ++i) source.GetCards().Add(std::make_unique<CFicha>());
    std::string path = SaveTitle(source, "THREE.FCA");
    runState.SetStartCard(2);
    CFichaDoc doc(Variant::player);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.GetCurrentCard(), 2);
    runState.SetStartCard(3);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.GetCurrentCard(), 0) << "an index outside the title starts at the first card";
}

// ---------------------------------------------------------------- background music

class MusicTest : public FichaDocTest {
  protected:
    std::string TitleWithMusic(const std::string& name, const std::string& music, bool loop, bool stop) {
        CFichaDoc doc(Variant::player);
        doc.backgroundMusic = music;
        doc.loopMusic = loop;
        doc.stopPreviousMusic = stop;
        doc.GetCards().Add(std::make_unique<CFicha>());
        return SaveTitle(doc, name);
    }
};

TEST_F(MusicTest, MusicDifferingOnlyInLetterCaseGoesOn) {
    WriteFileBytes(folder.Path("theme.wav"), Bytes{'R', 'I', 'F', 'F'});
    std::string a = TitleWithMusic("A.FCA", "theme.wav", true, false);
    std::string b = TitleWithMusic("B.FCA", "Theme.WAV", false, false);
    CFichaDoc doc(Variant::player);
    ASSERT_TRUE(doc.OnOpenDocument(a));
    ASSERT_EQ(sound.plays.size(), 1u);
    EXPECT_EQ(sound.plays[0].path, folder.Path("theme.wav")) << "resolved beside the title";
    EXPECT_TRUE(sound.plays[0].loop);
    EXPECT_EQ(runState.PlayingMusic(), "THEME.WAV");
    EXPECT_EQ(doc.backgroundMusic, "THEME.WAV");
    CFichaDoc next(Variant::player);
    ASSERT_TRUE(next.OnOpenDocument(b));
    EXPECT_EQ(sound.plays.size(), 1u) << "the same music is not started again";
    EXPECT_EQ(sound.stops, 0);
}

TEST_F(MusicTest, OtherMusicStartsAndStopPreviousSilences) {
    std::string a = TitleWithMusic("A.FCA", "one.wav", false, false);
    std::string b = TitleWithMusic("B.FCA", "two.wav", false, false);
    std::string quiet = TitleWithMusic("Q.FCA", "", false, false);
    std::string stop = TitleWithMusic("S.FCA", "", false, true);
    CFichaDoc doc(Variant::player);
    ASSERT_TRUE(doc.OnOpenDocument(a));
    ASSERT_TRUE(doc.OnOpenDocument(b));
    ASSERT_EQ(sound.plays.size(), 2u);
    EXPECT_FALSE(sound.plays[1].loop);
    ASSERT_TRUE(doc.OnOpenDocument(quiet));
    EXPECT_EQ(sound.stops, 0) << "without the flag the music goes on";
    EXPECT_EQ(runState.PlayingMusic(), "TWO.WAV");
    ASSERT_TRUE(doc.OnOpenDocument(stop));
    EXPECT_EQ(sound.stops, 1);
    EXPECT_EQ(runState.PlayingMusic(), "");
}

// While the open waits for the background, it finds the music it is about to start and has the sound
// output read it ahead; the music then starts from the name found, and the caller's own work is done in
// the same wait, once.
TEST_F(MusicTest, TheMusicIsFoundAndReadWhileTheBackgroundDecodes) {
    WriteFileBytes(folder.Path("Theme.wav"), Bytes{'R', 'I', 'F', 'F'});
    CFichaDoc source(Variant::player);
    SetGradientBackground(source);
    source.backgroundMusic = "THEME.WAV";
    source.GetCards().Add(std::make_unique<CFicha>());
    const std::string path = SaveTitle(source, "M.FCA");
    for (const bool playing : {false, true}) {
        runState.SetPlayingMusic(playing ? "theme.wav" : "");
        sound.prepared.clear();
        sound.plays.clear();
        HeldHelper held;
        CFichaDoc doc(Variant::player);
        int work = 0;
        bool decodingDuringWork = false;
        doc.SetWorkWhileLoading([&] {
            ++work;
            decodingDuringWork = !held.Released();
        });
        ASSERT_TRUE(doc.OnOpenDocument(path));
        held.Join();
        EXPECT_EQ(work, 1);
        if (!platform::HelperTask::Parallel()) continue;
        EXPECT_TRUE(decodingDuringWork);
        if (playing) {
            // The music named is the one playing: nothing to find, nothing to start.
            EXPECT_TRUE(sound.prepared.empty());
            EXPECT_TRUE(sound.plays.empty());
        } else {
            ASSERT_EQ(sound.prepared, std::vector<std::string>{folder.Path("Theme.wav")});
            ASSERT_EQ(sound.plays.size(), 1u);
            EXPECT_EQ(sound.plays[0].path, folder.Path("Theme.wav"));
        }
    }
}

TEST_F(MusicTest, NoWaveDeviceNoMusicAndTheEditorNeverPlays) {
    std::string a = TitleWithMusic("A.FCA", "one.wav", false, false);
    sound.devices = 0;
    CFichaDoc doc(Variant::player);
    ASSERT_TRUE(doc.OnOpenDocument(a));
    EXPECT_TRUE(sound.plays.empty());
    sound.devices = 1;
    CFichaDoc edited(Variant::editor);
    ASSERT_TRUE(edited.OnOpenDocument(a));
    EXPECT_TRUE(sound.plays.empty());
    edited.OnCloseDocument();
}

// ---------------------------------------------------------------- failures

// A player's action may name a title that is missing or damaged. The title that is showing stays as it
// is, in both programs, and only the message tells of the failure.
TEST_F(FichaDocTest, AFailedOpenKeepsTheTitleThatIsShowing) {
    WriteBmp(folder.Path("pic.bmp"), 12, 10, 7);
    std::string good;
    {
        CFichaDoc source(Variant::player);
        auto background = std::make_unique<CDibJpeg>();
        Gradient(*background, 100, 80, 200);
        source.SetBackground(std::move(background));
        source.GetSpriteList().Insert(MakeSprite(1, 10, 10, 50));
        source.GetCards().Add(std::make_unique<CFicha>());
        auto card = std::make_unique<CFicha>();
        auto picture = std::make_unique<CFoto>();
        picture->fileName = "pic.bmp";
        picture->x = 60;
        picture->y = 50;
        card->AddPicture(std::move(picture));
        source.GetCards().Add(std::move(card));
        good = SaveTitle(source, "GOOD.FCA");
    }
    const std::string missing = folder.Path("MISSING.FCA");
    Bytes badSchema = kEmptyTitle;
    badSchema[27] = 0x02;  // CFicha with schema 2
    Bytes unknownClass = kEmptyTitle;
    unknownClass[31] = 'X';
    Bytes cut = ReadFileBytes(good);
    cut.resize(cut.size() / 2);  // the file ends half-way
    Bytes garbage(500);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 37 + 11);
    WriteFileBytes(folder.Path("SCHEMA.FCA"), badSchema);
    WriteFileBytes(folder.Path("CLASS.FCA"), unknownClass);
    WriteFileBytes(folder.Path("CUT.FCA"), cut);
    WriteFileBytes(folder.Path("GARBAGE.FCA"), garbage);

    for (Variant variant : {Variant::player, Variant::editor}) {
        // What a document that shows nothing says about the garbage: the message does not depend on the
        // title that is showing.
        std::string garbageMessage;
        {
            CFichaDoc fresh(variant);
            box.shown.clear();
            EXPECT_FALSE(fresh.OnOpenDocument(folder.Path("GARBAGE.FCA")));
            ASSERT_EQ(box.shown.size(), 1u);
            garbageMessage = box.shown[0].text;
        }
        CFichaDoc doc(variant);
        CAnimView view;
        platform::FakeDeviceContext surface;
        view.SetSurface(&surface);
        doc.SetDirtyView(&view);
        ASSERT_TRUE(doc.OnOpenDocument(good));
        if (variant == Variant::player)
            ASSERT_TRUE(doc.GoToCard(1));
        else
            doc.SelectCard(1);
        const std::vector<int32_t> numbers = Numbers(doc);
        ASSERT_EQ(numbers.size(), 2u) << "the sprite and the proxy of the card's picture";
        const CDibJpeg* background = doc.GetBackground();
        const CFicha* card = doc.GetCurrentCardPtr();
        CSprite* sprite = doc.GetSpriteList().FindByNumber(1);
        CSprite* proxy = doc.GetSpriteList().GetAt(doc.GetSpriteList().GetAt(0) == sprite ? 1 : 0);

        struct Failure {
            std::string path;
            std::string message;
        };
        const Failure failures[] = {
            {missing, "No se encontr\xC3\xB3 " + missing + "."},
            {folder.Path("SCHEMA.FCA"), "Formato de archivo no esperado."},
            {folder.Path("CLASS.FCA"), "Formato de archivo no esperado."},
            {folder.Path("CUT.FCA"), "Formato de archivo no esperado."},
            {folder.Path("GARBAGE.FCA"), garbageMessage},
        };
        for (const Failure& f : failures) {
            SCOPED_TRACE(f.path);
            box.shown.clear();
            EXPECT_FALSE(doc.OnOpenDocument(f.path));
            ASSERT_EQ(box.shown.size(), 1u);
            EXPECT_EQ(box.shown[0].text, f.message);
            EXPECT_EQ(box.shown[0].icon, platform::MessageIcon::exclamation);
            EXPECT_EQ(doc.GetCards().GetSize(), 2u);
            EXPECT_EQ(doc.GetCurrentCard(), 1);
            EXPECT_EQ(doc.GetCurrentCardPtr(), card);
            EXPECT_EQ(Numbers(doc), numbers);
            EXPECT_EQ(doc.GetSpriteList().FindByNumber(1), sprite);
            EXPECT_EQ(doc.GetBackground(), background);
            EXPECT_EQ(doc.GetPathName(), good);
            EXPECT_EQ(doc.GetTitle(), "GOOD.FCA");
            EXPECT_EQ(doc.GetViews(), std::vector<CAnimView*>{&view});
            EXPECT_EQ(doc.GetDirtyView(), &view);
            for (CSprite* s : doc.GetSpriteList())
                EXPECT_EQ(s->GetNotifyObject(), doc.GetSpriteList().GetChangeSink());

            // The view still composes the title: clear the places, compose, and look.
            CDIB& buffer = *view.GetBuffer();
            for (auto [x, y] : {std::pair{12, 12}, std::pair{62, 52}, std::pair{90, 5}})
                std::fill_n(buffer.GetPixelAddress(x, y), 3, uint8_t{0});
            view.OnUpdate();
            EXPECT_EQ(PixelAt(buffer, 12, 12), PixelAt(*sprite, 2, 2));
            EXPECT_EQ(PixelAt(buffer, 62, 52), PixelAt(*proxy, 2, 2));
            EXPECT_EQ(PixelAt(buffer, 90, 5), PixelAt(*background, 90, 5));
            view.EmptyDirtyList();
            sprite->SetPosition(10, 10);
            EXPECT_EQ(view.GetDirtyList().size(), 1u) << "the sprite still reports to the view";
            view.EmptyDirtyList();
        }
        doc.OnCloseDocument();
    }
}

// A sprite whose image cannot be written, as a full disk would make it.
class UnwritableSprite : public CPhasedSprite {
  public:
    bool Write(platform::File&) override { return false; }
};

TEST_F(FichaDocTest, AFailedSaveKeepsThePreviousFile) {
    CFichaDoc doc(Variant::editor);
    ASSERT_TRUE(doc.OnNewDocument());
    std::string path = folder.Path("KEEP.FCA");
    ASSERT_TRUE(doc.OnSaveDocument(path));
    Bytes good = ReadFileBytes(path);
    ASSERT_GT(good.size(), 73u);

    auto bad = std::make_unique<UnwritableSprite>();
    bad->Create(4, 4, 3);
    doc.GetSpriteList().Insert(std::move(bad));
    doc.SetModifiedFlag(true);
    EXPECT_FALSE(doc.OnSaveDocument(path));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Imposible guardar documento.");
    EXPECT_EQ(ReadFileBytes(path), good);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1)
        << "no scratch file is left behind";

    box.shown.clear();
    EXPECT_FALSE(doc.OnSaveDocument(folder.Path("NO/SUCH/DIR.FCA")));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_NE(box.shown[0].text.find("NO/SUCH/DIR.FCA"), std::string::npos);
    doc.OnCloseDocument();
}

// A sprite whose image meets a full disk half-way through the scratch file.
class DiskFullSprite : public CPhasedSprite {
  public:
    bool Write(platform::File& file) override {
        throw platform::FileException(platform::FileError::diskFull, file.Path());
    }
};

TEST_F(FichaDocTest, AFullDiskDuringSaveNamesTheTitleNotTheScratchFile) {
    CFichaDoc doc(Variant::editor);
    ASSERT_TRUE(doc.OnNewDocument());
    auto bad = std::make_unique<DiskFullSprite>();
    bad->Create(4, 4, 3);
    doc.GetSpriteList().Insert(std::move(bad));
    std::string path = folder.Path("FULL.FCA");
    EXPECT_FALSE(doc.OnSaveDocument(path));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Disco lleno al acceder a " + path + ".");
    EXPECT_FALSE(std::filesystem::exists(path));
    doc.OnCloseDocument();
}

// The snapshots live in memory: New, Open and the steps leave no scratch file named after the title in
// the temporary folder (the one level of old kept one there).
TEST_F(FichaDocTest, SnapshotsLeaveNoScratchFile) {
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    std::filesystem::remove(temp / "zz-undo-test.tmp");
    CFichaDoc doc(Variant::editor);
    doc.SetTitle("zz-undo-test.fca");
    ASSERT_TRUE(doc.OnNewDocument());
    doc.TakeUndoSnapshot("Add card");
    doc.GetCards().Add(std::make_unique<CFicha>());
    EXPECT_TRUE(doc.CanUndo());
    EXPECT_FALSE(std::filesystem::exists(temp / "zz-undo-test.tmp"));
    EXPECT_FALSE(std::filesystem::exists(temp / "zz-undo-test0.tmp"));
    doc.OnCloseDocument();
}

TEST_F(FichaDocTest, ASceneFileHoldsTheFirstNineRowsOnly) {
    CFichaDoc title(Variant::player);
    title.identifier = "scene";
    title.GetSpriteList().Insert(MakeSprite(2, 1, 1, 50));
    platform::MemoryFile file;
    {
        CArchive ar(file, CArchive::store);
        title.CAnimDoc::Serialize(ar);
        ar.Close();
    }
    std::string path = folder.Path("SCENE.ANM");
    WriteFileBytes(path, file.Bytes());
    CAnimDoc scene(Variant::player);
    ASSERT_TRUE(scene.OnOpenDocument(path));
    EXPECT_EQ(scene.identifier, "scene");
    EXPECT_EQ(scene.GetSpriteList().GetCount(), 1u);
    EXPECT_TRUE(box.shown.empty());
    CAnimDoc fresh(Variant::player);
    ASSERT_TRUE(fresh.OnNewDocument());
    EXPECT_EQ(fresh.GetBackground()->GetWidth(), 320);
}

}  // namespace

// A snapshot leaves the document as it was: storing clears the selection of texts, which the command
// that takes the snapshot (Delete, Cut) is about to work on.
TEST_F(FichaDocTest, AnUndoSnapshotKeepsTheSelectedTexts) {
    CFichaDoc doc(Variant::editor);
    ASSERT_TRUE(doc.OnNewDocument());
    auto text = std::make_unique<CTexto>("Texto", std::nullopt);
    CTexto* selected = text.get();
    doc.CardAt(0)->AddText(std::move(text));
    ASSERT_TRUE(selected->selected);
    doc.TakeUndoSnapshot("Delete");
    EXPECT_TRUE(selected->selected);
    EXPECT_EQ(doc.UndoText(), "Undo Delete");
    doc.OnCloseDocument();
}

// Storing takes the proxies out and puts each back where it was: a sprite of the same plane placed in front
// of a picture stays in front of it (taking a snapshot before every command would otherwise reorder them).
TEST_F(CardWithMediaTest, StoringKeepsTheDrawingOrderAmongEqualPlanes) {
    CFichaDoc doc(Variant::editor);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.GetSpriteList().Insert(MakeSprite(7, 0, 0, 50));
    std::vector<int32_t> before = Numbers(doc);
    ASSERT_EQ(before.front(), 7) << "the newest of equal planes lies in front";
    StoreDocument(doc);
    doc.TakeUndoSnapshot("Move");
    EXPECT_EQ(Numbers(doc), before);
    doc.OnCloseDocument();
}

// Unchanged images go into a snapshot as the bytes they were read from, changed ones encoded anew: after
// each edit the newest snapshot is byte for byte what a save writes, and loading it shows every edit.
TEST_F(FichaDocTest, EverySnapshotEqualsWhatASaveWritesAfterASeriesOfEdits) {
    std::string path;
    {
        CFichaDoc source(Variant::editor);
        ASSERT_TRUE(source.OnNewDocument());
        auto background = std::make_unique<CDibJpeg>();
        Gradient(*background, 64, 48, 0x40);
        source.SetBackground(std::move(background));
        source.GetSpriteList().Insert(MakeSprite(1, 10, 10, 20));
        source.GetSpriteList().Insert(MakeSprite(2, 30, 30, 30, 8, 6, 3));
        auto text = std::make_unique<CTexto>();
        text->text = "uno";
        source.CardAt(0)->AddText(std::move(text));
        path = SaveTitle(source, "EDITS.FCA");
        source.OnCloseDocument();
    }
    CFichaDoc doc(Variant::editor);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    const Bytes opened = ReadFileBytes(path);
    Bytes snapshot;
    auto snapshotEqualsSave = [&](const std::string& step) {
        doc.TakeUndoSnapshot(step);
        // Any other state makes the history hand out its newest step.
        snapshot = *doc.GetUndoHistory().UndoTarget(UndoHistory::FromBytes(Bytes{}))->Joined();
        const std::string saved = folder.Path(step + ".FCA");
        ASSERT_TRUE(doc.OnSaveDocument(saved));
        EXPECT_EQ(snapshot, ReadFileBytes(saved)) << step;
    };

    snapshotEqualsSave("nothing");
    EXPECT_EQ(snapshot, opened) << "an unchanged title stores as it was read";
    CSprite* painted = doc.GetSpriteList().FindByNumber(1);
    SetPixel(*painted, 3, 2, 0xAB1234);
    snapshotEqualsSave("pixel");
    EXPECT_NE(snapshot, opened);
    doc.GetSpriteList().FindByNumber(2)->SetPosition(33, 44);
    snapshotEqualsSave("move");
    doc.CardAt(0)->TextAt(0)->text = "otro";
    doc.CardAt(0)->TextAt(0)->MarkChanged();
    snapshotEqualsSave("text");
    doc.AppendCard(std::make_unique<CFicha>());
    snapshotEqualsSave("card");
    doc.GetBackground()->Fill(0x00FF00);
    snapshotEqualsSave("background");

    CFichaDoc loaded(Variant::editor);
    platform::MemoryFile file(snapshot, "undo");
    ASSERT_TRUE(loaded.Load(file));
    EXPECT_EQ(PixelAt(*loaded.GetSpriteList().FindByNumber(1), 3, 2), 0xAB1234u);
    EXPECT_EQ(PixelAt(*loaded.GetSpriteList().FindByNumber(1), 4, 2), SpriteColour(1, 0));
    EXPECT_EQ(loaded.GetSpriteList().FindByNumber(2)->GetRect().left, 33);
    EXPECT_EQ(loaded.GetSpriteList().FindByNumber(2)->GetRect().top, 44);
    EXPECT_EQ(loaded.CardAt(0)->TextAt(0)->text, "otro");
    EXPECT_EQ(loaded.GetCards().GetSize(), 2u);
    EXPECT_TRUE(Near(PixelAt(*loaded.GetBackground(), 5, 5), 0x00FF00, 4));
    doc.OnCloseDocument();
}
