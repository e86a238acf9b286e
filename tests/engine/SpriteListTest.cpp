#include <gtest/gtest.h>

#include "archive/Archive.h"
#include "engine/PhasedSprite.h"
#include "engine/SpriteList.h"
#include "platform/File.h"
#include "tests/engine/EngineTestUtil.h"
#include "tests/support/Pixels.h"
#include "tests/support/Streams.h"

using namespace enginetest;
using namespace test_support;
using platform::Rect;

namespace {

class SpriteListTest : public ::testing::Test {
  protected:
    void SetUp() override { RegisterEngineClasses(); }

    CSprite* Add(int32_t plane, int32_t number = 0, int32_t x = 0, int32_t y = 0, int32_t size = 10) {
        auto sprite = MakeSprite(size, size, kRed, x, y, plane);
        sprite->SetNumber(number);
        CSprite* raw = sprite.get();
        EXPECT_TRUE(list_.Insert(std::move(sprite)));
        return raw;
    }
    std::vector<int32_t> Planes() const {
        std::vector<int32_t> planes;
        for (CSprite* s : list_) planes.push_back(s->GetPlane());
        return planes;
    }
    std::vector<CSprite*> Order() const {
        std::vector<CSprite*> order;
        for (CSprite* s : list_) order.push_back(s);
        return order;
    }

    CSpriteList list_;
    RecordingReceiver view_;
};

TEST_F(SpriteListTest, InsertKeepsPlaneOrderWithTheNewestInFrontOfItsEquals) {
    CSprite* first50 = Add(50);
    CSprite* s10 = Add(10);
    CSprite* second50 = Add(50);
    CSprite* s30 = Add(30);
    EXPECT_EQ(Order(), (std::vector<CSprite*>{s10, s30, second50, first50}));
    for (CSprite* s : list_) EXPECT_EQ(s->GetNotifyObject(), list_.GetChangeSink());
}

TEST_F(SpriteListTest, SetPlaneReinsertsBeforeTheFirstOfEqualOrGreaterPlane) {
    CSprite* a = Add(10);
    CSprite* e = Add(20);
    CSprite* c = Add(60);
    CSprite* b = Add(60);
    CSprite* d = Add(70);
    ASSERT_EQ(Order(), (std::vector<CSprite*>{a, e, b, c, d}));
    list_.SetView(&view_);
    a->SetPlane(60);
    EXPECT_EQ(Order(), (std::vector<CSprite*>{e, a, b, c, d}));
    ASSERT_EQ(view_.rects.size(), 1u);
    EXPECT_EQ(view_.rects[0], a->GetRect());
    d->SetPlane(1);
    EXPECT_EQ(Order().front(), d);
    list_.SetView(nullptr);
    e->SetPlane(99);  // no view attached: the order is still kept
    EXPECT_EQ(Order().back(), e);
    EXPECT_EQ(view_.rects.size(), 2u);
}

TEST_F(SpriteListTest, HitTestReturnsTheFrontSpriteOrTheOneBehindATransparentPixel) {
    auto back = MakeSprite(20, 20, kBlue, 0, 0, 40);
    auto front = MakeButton(20, 20, kRed, 5, 5, 20);
    CSprite* backRaw = back.get();
    CSprite* frontRaw = front.get();
    list_.Insert(std::move(back));
    list_.Insert(std::move(front));
    EXPECT_EQ(list_.HitTest(15, 15), frontRaw);  // red block of the front sprite
    EXPECT_EQ(list_.HitTest(7, 7), backRaw);     // white, see-through corner of the front sprite
    EXPECT_EQ(list_.HitTest(30, 30), nullptr);
}

TEST_F(SpriteListTest, RemoveReorderAndDuplicatesLeaveTheListConsistent) {
    CSprite* a = Add(10, 1);
    CSprite* b = Add(20, 2);
    CSprite outsider;
    EXPECT_EQ(list_.Remove(&outsider), nullptr);
    list_.Reorder(&outsider);
    EXPECT_EQ(Order(), (std::vector<CSprite*>{a, b}));

    // A second owner of a sprite the list holds: refused, and the list stays the only owner.
    EXPECT_FALSE(list_.Insert(std::unique_ptr<CSprite>(a)));
    EXPECT_FALSE(list_.Insert(nullptr));
    EXPECT_EQ(list_.GetCount(), 2u);

    std::unique_ptr<CSprite> taken = list_.Remove(a);
    ASSERT_EQ(taken.get(), a);
    EXPECT_EQ(taken->GetNotifyObject(), nullptr);
    EXPECT_EQ(Order(), (std::vector<CSprite*>{b}));
    list_.SetView(&view_);
    taken->SetPosition(50, 50);  // a removed sprite no longer reports to the list
    EXPECT_TRUE(view_.rects.empty());
    EXPECT_TRUE(list_.Insert(std::move(taken)));
    EXPECT_EQ(Order(), (std::vector<CSprite*>{a, b}));
    list_.DeleteAll();
    EXPECT_TRUE(list_.IsEmpty());
}

TEST_F(SpriteListTest, FindersWalkFromTheFront) {
    CSprite* back = Add(30, 5);
    CSprite* front = Add(10, 5);
    back->SetClickAction(9);
    EXPECT_EQ(list_.FindByNumber(5), front);
    EXPECT_EQ(list_.FindByNumber(6), nullptr);
    EXPECT_EQ(list_.FindByClickAction(9), back);
    front->SetClickAction(9);
    EXPECT_EQ(list_.FindByClickAction(9), front);
    EXPECT_EQ(list_.FindByClickAction(3), nullptr);
}

TEST_F(SpriteListTest, ParseNumberListCountsEveryPiece) {
    using V = std::vector<int32_t>;
    EXPECT_EQ(CSpriteList::ParseNumberList(""), V{});
    EXPECT_EQ(CSpriteList::ParseNumberList("12,3"), (V{12, 3}));
    EXPECT_EQ(CSpriteList::ParseNumberList("3,,7"), (V{3, 0, 7}));
    EXPECT_EQ(CSpriteList::ParseNumberList("3,"), (V{3, 0}));
    EXPECT_EQ(CSpriteList::ParseNumberList(" 7x"), (V{7}));
    EXPECT_EQ(CSpriteList::ParseNumberList("\t-4, +5 ,x9"), (V{-4, 5, 0}));
    EXPECT_EQ(CSpriteList::ParseNumberList("99999999999,-99999999999"), (V{INT32_MAX, INT32_MIN}));
    EXPECT_EQ(CSpriteList::ParseNumberList("1,2,3,4,5,6,7,8,9,10,11,12"), (V{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(CSpriteList::ParseNumberList(",,,,,,,,,,,,,,,,,,,,").size(), 10u);
}

TEST_F(SpriteListTest, NumberListsShowHideAbleAndDisableInOrder) {
    CSprite* s3 = Add(10, 3, 0, 0);
    CSprite* s12 = Add(20, 12, 100, 0);
    s3->SetVisible(false);
    s12->SetVisible(false);
    list_.SetView(&view_);
    list_.ShowSprites(CSpriteList::ParseNumberList("12,3"));
    EXPECT_TRUE(s3->IsVisible());
    EXPECT_TRUE(s12->IsVisible());
    // Each shown sprite marks its rectangle (twice, as a move onto itself), sprite 12 first.
    ASSERT_EQ(view_.rects.size(), 4u);
    EXPECT_EQ(view_.rects[0], s12->GetRect());
    EXPECT_EQ(view_.rects[2], s3->GetRect());

    list_.HideSprites(CSpriteList::ParseNumberList("12,99"));
    EXPECT_FALSE(s12->IsVisible());
    EXPECT_TRUE(s3->IsVisible());
    list_.HideSprites({});
    EXPECT_TRUE(s3->IsVisible());

    auto* phased = static_cast<CPhasedSprite*>(s3);
    ASSERT_TRUE(phased->SetNumFrames(1));
    list_.DisableSprites(CSpriteList::ParseNumberList("3"));
    EXPECT_TRUE(s3->IsDisabled());
    list_.AbleSprites(CSpriteList::ParseNumberList("3"));
    EXPECT_FALSE(s3->IsDisabled());

    auto plain = MakeSprite<CSprite>(4, 4, kRed);
    plain->SetNumber(8);
    CSprite* plainRaw = plain.get();
    list_.Insert(std::move(plain));
    list_.DisableSprites(CSpriteList::ParseNumberList("8"));
    EXPECT_TRUE(plainRaw->IsDisabled());
    list_.AbleSprites(CSpriteList::ParseNumberList("8"));
    EXPECT_FALSE(plainRaw->IsDisabled());
}

TEST_F(SpriteListTest, ChangeSinkForwardsEachCodeBit) {
    auto sprite = MakeSprite(10, 30, kRed, 0, 0);
    ASSERT_TRUE(sprite->SetNumFrames(3));
    CPhasedSprite* raw = sprite.get();
    list_.Insert(std::move(sprite));
    list_.SetView(&view_);
    raw->SetPosition(5, 6);
    raw->SetCurrentFrame(1);
    ASSERT_EQ(view_.rects.size(), 3u);
    EXPECT_EQ(view_.rects[0], (Rect{0, 0, 10, 10}));
    EXPECT_EQ(view_.rects[1], (Rect{5, 6, 15, 16}));
    EXPECT_EQ(view_.rects[2], (Rect{5, 6, 15, 16}));
    list_.GetChangeSink()->Change(raw, kSpriteMoved | kSpriteImageChanged, Rect{1, 1, 2, 2},
                                  Rect{3, 3, 4, 4});
    ASSERT_EQ(view_.rects.size(), 6u);
    EXPECT_EQ(view_.rects[5], (Rect{1, 1, 2, 2}));
}

TEST_F(SpriteListTest, AnimateAllTicksAnimatingPhasedSprites) {
    auto animated = MakeSprite(10, 30, kRed);
    ASSERT_TRUE(animated->SetNumFrames(3));
    animated->SetInterval(1);
    CPhasedSprite* raw = animated.get();
    list_.Insert(std::move(animated));
    Add(5);
    EXPECT_FALSE(list_.AnimateAll());
    raw->SetAnimated(true);
    EXPECT_TRUE(list_.AnimateAll());
    EXPECT_EQ(raw->GetCurrentFrame(), 1);
    EXPECT_TRUE(list_.AnimateAll());  // animating, though the frame waits for the next tick
    EXPECT_EQ(raw->GetCurrentFrame(), 1);
}

std::vector<uint8_t> StoreList(CSpriteList& list) {
    return Store([&](CArchive& ar) {
        list.Serialize(ar);
        ar.WriteLong(77);
    });
}

TEST_F(SpriteListTest, LoadingKeepsTheStoredOrderAndAttachesTheSprites) {
    CSprite* a = Add(10, 1);
    Add(20, 2);
    auto plain = MakeSprite<CSprite>(3, 3, kGreen, 0, 0, 30);
    plain->SetNumber(3);
    list_.Insert(std::move(plain));
    a->SetNotifyObject(nullptr);
    a->SetPlane(90);  // out of order in the stream
    std::vector<uint8_t> bytes = StoreList(list_);

    CSpriteList loaded;
    loaded.SetView(&view_);
    loaded.Insert(MakeSprite(2, 2, kBlue));  // the old content of the target list goes away
    platform::MemoryFile file(bytes);
    CArchive ar(file, CArchive::load);
    loaded.Serialize(ar);
    EXPECT_EQ(ar.ReadLong(), 77);
    ASSERT_EQ(loaded.GetCount(), 3u);
    EXPECT_EQ(loaded.GetAt(0)->GetPlane(), 90);
    EXPECT_EQ(loaded.GetAt(0)->GetNumber(), 1);
    EXPECT_EQ(loaded.GetAt(1)->GetNumber(), 2);
    EXPECT_EQ(loaded.GetAt(2)->GetRuntimeClass(), RUNTIME_CLASS(CSprite));
    EXPECT_EQ(loaded.GetAt(1)->GetRuntimeClass(), RUNTIME_CLASS(CPhasedSprite));
    for (CSprite* s : loaded) EXPECT_EQ(s->GetNotifyObject(), loaded.GetChangeSink());
    loaded.GetAt(1)->SetPosition(4, 4);
    EXPECT_EQ(view_.rects.size(), 2u);
}

// The editor's list makes every sprite it takes in, inserted or loaded, behave for the editor: a hidden
// sprite is still hit and drawn there, while the player's list passes through it.
TEST_F(SpriteListTest, TheListsVariantReachesEverySpriteItHolds) {
    CSprite* hidden = Add(10, 1, 0, 0, 10);
    hidden->SetVisible(false);
    EXPECT_EQ(list_.GetVariant(), Variant::player);
    EXPECT_EQ(list_.HitTest(5, 5), nullptr);
    std::vector<uint8_t> bytes = StoreList(list_);

    CSpriteList editor(Variant::editor);
    auto inserted = MakeSprite(10, 10, kRed, 20, 0);
    inserted->SetVisible(false);
    CSprite* insertedRaw = inserted.get();
    ASSERT_TRUE(editor.Insert(std::move(inserted)));
    EXPECT_EQ(insertedRaw->GetVariant(), Variant::editor);
    EXPECT_EQ(editor.HitTest(25, 5), insertedRaw);

    platform::MemoryFile file(bytes);
    CArchive ar(file, CArchive::load);
    editor.Serialize(ar);
    ASSERT_EQ(editor.GetCount(), 1u);
    EXPECT_EQ(editor.GetAt(0)->GetVariant(), Variant::editor);
    EXPECT_EQ(editor.HitTest(5, 5), editor.GetAt(0)) << "the loaded hidden sprite is hit in the editor";
    CDIB destination;
    ASSERT_TRUE(destination.Create(12, 12, 3));
    EXPECT_TRUE(editor.GetAt(0)->Render(&destination, std::nullopt));

    // Swapping exchanges the sprites only: each list keeps its variant and its receiver, and every sprite
    // reports to the list that now holds it.
    editor.SetView(&view_);
    CSprite* loaded = editor.GetAt(0);
    editor.SwapSprites(list_);
    EXPECT_EQ(list_.GetAt(0), loaded);
    EXPECT_EQ(loaded->GetVariant(), Variant::player);
    EXPECT_EQ(loaded->GetNotifyObject(), list_.GetChangeSink());
    EXPECT_EQ(editor.GetAt(0), hidden);
    EXPECT_EQ(hidden->GetVariant(), Variant::editor);
    EXPECT_EQ(hidden->GetNotifyObject(), editor.GetChangeSink());
    EXPECT_EQ(editor.GetView(), &view_);
    EXPECT_EQ(list_.GetView(), nullptr);
    hidden->SetPosition(1, 1);
    EXPECT_EQ(view_.rects.size(), 2u);
    loaded->SetPosition(1, 1);
    EXPECT_EQ(view_.rects.size(), 2u) << "the player's list has no receiver";

    editor.SetVariant(Variant::player);
    EXPECT_EQ(hidden->GetVariant(), Variant::player);
    EXPECT_EQ(editor.HitTest(5, 5), nullptr);
}

// Loads a list from a hand-made stream; true when it was refused as a format error.
bool RefusedAsFormatError(const std::vector<uint8_t>& bytes) {
    CSpriteList list;
    platform::MemoryFile file(bytes);
    CArchive ar(file, CArchive::load);
    try {
        list.Serialize(ar);
    } catch (const CArchiveException& e) {
        return e.cause == CArchiveException::badIndex || e.cause == CArchiveException::badClass;
    }
    return false;
}

TEST_F(SpriteListTest, StreamsThatWouldOwnASpriteTwiceOrNotAtAllAreRefused) {
    auto sprite = MakeSprite(3, 3, kRed);
    CSpriteList other;
    EXPECT_TRUE(RefusedAsFormatError(Store([&](CArchive& ar) {
        ar.WriteCount(2);
        ar.WriteObject(sprite.get());
        ar.WriteObject(sprite.get());  // a back reference to the same sprite
    })));
    EXPECT_TRUE(RefusedAsFormatError(Store([](CArchive& ar) {
        ar.WriteCount(1);
        ar.WriteObject(nullptr);
    })));
    EXPECT_TRUE(RefusedAsFormatError(Store([&](CArchive& ar) {
        ar.WriteCount(1);
        ar.WriteObject(&other);  // not a sprite
    })));
}

}  // namespace
