#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/AnimView.h"
#include "model/FichaDoc.h"
#include "platform/DeviceContext.h"
#include "platform/MessageBox.h"
#include "platform/Sound.h"
#include "tests/engine/EngineTestUtil.h"
#include "tests/model/DocTestSupport.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/Streams.h"

namespace {

using namespace doc_test;
using namespace test_support;

// A view on a surface of its own that counts what its document asks of it.
class CountingView : public enginetest::CountingView {
  public:
    CountingView() { SetSurface(&surface); }
    platform::FakeDeviceContext surface;
};

// Documents and their views: who is attached, who receives the sprite list's dirty rectangles, and that
// neither side points at the other once it is gone (the sanitizer build catches a pointer left behind).
class DocViewsTest : public testing::Test {
  protected:
    void SetUp() override {
        RegisterTitleClasses();
        platform::SetSound(&sound);
    }
    void TearDown() override { platform::SetSound(nullptr); }

    // A document of 40 x 30 with one sprite, sprite 1 at (2, 2).
    static void Fill(CAnimDoc& doc) {
        auto background = std::make_unique<CDibJpeg>();
        background->Create(40, 30, 3);
        doc.SetBackground(std::move(background));
        doc.GetSpriteList().Insert(MakeSprite(1, 2, 2, 50));
    }
    static CSprite& Sprite(CAnimDoc& doc) { return *doc.GetSpriteList().FindByNumber(1); }

    ScratchFolder folder;
    platform::RecordingMessageBox box;
    platform::ScopedMessageBox scopedBox{box};
    platform::RecordingSound sound;
};

TEST_F(DocViewsTest, AViewDestroyedBeforeItsDocumentTakesItselfOut) {
    CFichaDoc doc(Variant::player);
    Fill(doc);
    {
        CountingView view;
        doc.AddView(&view);
        doc.SetDirtyView(&view);
        EXPECT_EQ(view.GetScene(), &doc);
        EXPECT_EQ(view.backgrounds, 1) << "a view that attaches is handed the background";
        EXPECT_EQ(doc.GetSpriteList().GetView(), &view);
    }
    EXPECT_TRUE(doc.GetViews().empty());
    EXPECT_EQ(doc.GetDirtyView(), nullptr);
    EXPECT_EQ(doc.GetSpriteList().GetView(), nullptr);
    // Nothing of the document reaches the view that is gone.
    Sprite(doc).SetPosition(5, 5);
    doc.UpdateAllViews();
    auto background = std::make_unique<CDibJpeg>();
    background->Create(20, 20, 3);
    box.answers.push_back(platform::MessageAnswer::no);
    doc.SetBackground(std::move(background));
    EXPECT_EQ(doc.GetSpriteList().GetCount(), 1u);
}

TEST_F(DocViewsTest, ADocumentDestroyedBeforeItsViewsLeavesThemWithoutScene) {
    CountingView first, second;
    {
        CFichaDoc doc(Variant::editor);
        Fill(doc);
        doc.AddView(&first);
        doc.AddView(&second);
        doc.SetDirtyView(&second);
    }
    EXPECT_EQ(first.GetScene(), nullptr);
    EXPECT_EQ(second.GetScene(), nullptr);
    first.Render(std::nullopt);  // no scene: nothing, and no call into the document that is gone
    first.OnUpdate();
    // The views may show another document afterwards.
    CFichaDoc next(Variant::player);
    Fill(next);
    next.AddView(&second);
    EXPECT_EQ(next.GetViews(), std::vector<CAnimView*>{&second});
}

TEST_F(DocViewsTest, OnlyTheStatedViewReceivesTheDirtyRectangles) {
    CFichaDoc doc(Variant::player);
    Fill(doc);
    CountingView a, b;
    doc.AddView(&a);
    doc.AddView(&b);
    doc.AddView(&a);  // attached once only
    EXPECT_EQ(doc.GetViews(), (std::vector<CAnimView*>{&a, &b}));
    EXPECT_EQ(doc.GetDirtyView(), nullptr) << "attaching states no receiver, not even the first view";
    Sprite(doc).SetPosition(4, 4);
    EXPECT_TRUE(a.GetDirtyList().empty());
    EXPECT_TRUE(b.GetDirtyList().empty());

    doc.SetDirtyView(&b);
    Sprite(doc).SetPosition(20, 20);
    EXPECT_TRUE(a.GetDirtyList().empty());
    ASSERT_EQ(b.GetDirtyList().size(), 2u);
    EXPECT_EQ(b.GetDirtyList()[0], Sprite(doc).GetRect());
    b.RenderAndDrawDirtyList();

    // Both views are told of a new background and of every update.
    doc.UpdateAllViews();
    EXPECT_EQ(a.updates, 1);
    EXPECT_EQ(b.updates, 1);
    box.answers.push_back(platform::MessageAnswer::no);
    auto background = std::make_unique<CDibJpeg>();
    background->Create(50, 40, 3);
    doc.SetBackground(std::move(background));
    EXPECT_EQ(a.backgrounds, 2);
    EXPECT_EQ(b.backgrounds, 2);
    EXPECT_EQ(a.GetBuffer()->GetWidth(), 50);

    // The receiver goes away: no view receives the rectangles until another one is stated.
    doc.RemoveView(&b);
    EXPECT_EQ(b.GetScene(), nullptr);
    EXPECT_EQ(doc.GetDirtyView(), nullptr);
    Sprite(doc).SetPosition(1, 1);
    EXPECT_TRUE(a.GetDirtyList().empty());
    EXPECT_TRUE(b.GetDirtyList().empty());
    doc.SetDirtyView(&a);
    Sprite(doc).SetPosition(2, 1);
    EXPECT_EQ(a.GetDirtyList().size(), 1u);  // old and new rectangles overlap: one union
    doc.SetDirtyView(nullptr);
    Sprite(doc).SetPosition(3, 1);
    EXPECT_EQ(a.GetDirtyList().size(), 1u);

    // Stating a view that does not show the document attaches it first.
    CountingView c;
    doc.SetDirtyView(&c);
    EXPECT_EQ(c.GetScene(), &doc);
    EXPECT_EQ(doc.GetViews(), (std::vector<CAnimView*>{&a, &c}));
    EXPECT_EQ(c.backgrounds, 1);
}

TEST_F(DocViewsTest, OpeningATitleKeepsTheViewsAndTheReceiver) {
    std::string path = folder.Path("OTHER.FCA");
    {
        CFichaDoc source(Variant::player);
        auto background = std::make_unique<CDibJpeg>();
        background->Create(64, 48, 3);
        source.SetBackground(std::move(background));
        source.GetSpriteList().Insert(MakeSprite(9, 30, 30, 50));
        source.GetCards().Add(std::make_unique<CFicha>());
        SaveDocument(source, path);
    }
    for (Variant variant : {Variant::player, Variant::editor}) {
        CFichaDoc doc(variant);
        Fill(doc);
        CountingView view;
        doc.SetDirtyView(&view);
        ASSERT_TRUE(doc.OnOpenDocument(path));
        EXPECT_EQ(doc.GetViews(), std::vector<CAnimView*>{&view});
        EXPECT_EQ(doc.GetDirtyView(), &view);
        EXPECT_EQ(view.backgrounds, 2);
        EXPECT_EQ(view.GetBuffer()->GetWidth(), 64) << "the view composes the new title";
        CSprite* loaded = doc.GetSpriteList().FindByNumber(9);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(doc.GetSpriteList().FindByNumber(1), nullptr) << "the old sprites are gone";
        view.EmptyDirtyList();
        loaded->SetPosition(0, 0);
        EXPECT_EQ(view.GetDirtyList().size(), 2u);
        doc.OnCloseDocument();
    }
}

}  // namespace
