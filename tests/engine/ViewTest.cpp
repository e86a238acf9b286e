#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine/AnimView.h"
#include "engine/OSBView.h"
#include "tests/engine/EngineTestUtil.h"
#include "tests/support/Pixels.h"

using namespace enginetest;
using namespace test_support;
using platform::Rect;

namespace {

// Records the order of composing and copying.
class TracingView : public COSBView {
  public:
    void Render(const std::optional<Rect>& r) override { calls.push_back("render " + Describe(r)); }
    void DrawBuffer(const std::optional<Rect>& r) override {
        calls.push_back("draw " + Describe(r));
        COSBView::DrawBuffer(r);
    }
    static std::string Describe(const std::optional<Rect>& r) {
        if (!r) return "all";
        return std::to_string(r->left) + "," + std::to_string(r->top) + "," + std::to_string(r->right) + "," +
               std::to_string(r->bottom);
    }
    std::vector<std::string> calls;
};

TEST(OSBViewTest, AddDirtyMergesOnlyWithTheHead) {
    COSBView view;
    view.AddDirty({0, 0, 10, 10});
    view.AddDirty({5, 5, 20, 20});
    ASSERT_EQ(view.GetDirtyList().size(), 1u);
    EXPECT_EQ(view.GetDirtyList()[0], (Rect{0, 0, 20, 20}));

    view.EmptyDirtyList();
    view.AddDirty({0, 0, 10, 10});
    view.AddDirty({50, 50, 60, 60});
    view.AddDirty({5, 5, 8, 8});
    ASSERT_EQ(view.GetDirtyList().size(), 3u);
    EXPECT_EQ(view.GetDirtyList()[0], (Rect{5, 5, 8, 8}));
    EXPECT_EQ(view.GetDirtyList()[2], (Rect{0, 0, 10, 10}));

    view.EmptyDirtyList();
    view.AddDirty({0, 0, 10, 10});
    view.AddDirty({10, 0, 20, 10});  // touching is not intersecting
    EXPECT_EQ(view.GetDirtyList().size(), 2u);
}

TEST(OSBViewTest, RenderAndDrawComposesEverythingBeforeTheFirstCopy) {
    TracingView view;
    view.RenderAndDrawDirtyList();
    EXPECT_TRUE(view.calls.empty());
    view.AddDirty({0, 0, 1, 1});
    view.AddDirty({5, 5, 6, 6});
    view.RenderAndDrawDirtyList();
    EXPECT_EQ(view.calls,
              (std::vector<std::string>{"render 5,5,6,6", "render 0,0,1,1", "draw 5,5,6,6", "draw 0,0,1,1"}));
    EXPECT_TRUE(view.GetDirtyList().empty());
}

TEST(OSBViewTest, DrawBufferBlitsTheRectInsideClipBoxAndBuffer) {
    COSBView view;
    CDIB background;
    ASSERT_TRUE(background.Create(320, 240, 3));
    view.DrawBuffer(std::nullopt);  // no buffer, no surface: nothing
    ASSERT_TRUE(view.CreateBuffer(background));
    EXPECT_EQ(view.GetBuffer()->GetWidth(), 320);
    EXPECT_EQ(view.GetBuffer()->GetBitCount(), 24);
    EXPECT_EQ(view.GetPalette(), nullptr);
    view.DrawBuffer(std::nullopt);  // no surface yet

    platform::FakeDeviceContext surface;
    view.SetSurface(&surface);
    view.DrawBuffer(Rect{300, 200, 400, 300});
    view.DrawBuffer(std::nullopt);
    surface.clip = {10, 20, 100, 120};
    view.DrawBuffer(Rect{0, 0, 50, 50});
    view.DrawBuffer(Rect{400, 300, 500, 400});  // outside the buffer: nothing
    ASSERT_EQ(surface.dibs.size(), 3u);
    EXPECT_EQ(surface.dibs[0].destination, (Rect{300, 200, 320, 240}));
    EXPECT_EQ(surface.dibs[0].source, (Rect{300, 200, 320, 240}));
    EXPECT_EQ(surface.dibs[0].width, 320);
    EXPECT_EQ(surface.dibs[1].destination, (Rect{0, 0, 320, 240}));
    EXPECT_EQ(surface.dibs[2].destination, (Rect{10, 20, 50, 50}));

    view.SetScrollPosition({5, 7});
    surface.clip = {0, 0, 640, 480};
    view.DrawBuffer(std::nullopt);
    ASSERT_EQ(surface.dibs.size(), 4u);
    EXPECT_EQ(surface.dibs[3].destination, (Rect{0, 0, 315, 233}));
    EXPECT_EQ(surface.dibs[3].source, (Rect{5, 7, 320, 240}));

    CDIB empty;
    empty.Clear();
    EXPECT_FALSE(view.CreateBuffer(empty));
    EXPECT_EQ(view.GetBuffer(), nullptr);
    view.DrawBuffer(std::nullopt);
    EXPECT_EQ(surface.dibs.size(), 4u);
}

class Scene : public AnimScene {
  public:
    CDIB* Background() override { return background.get(); }
    CSpriteList& Sprites() override { return sprites; }
    std::unique_ptr<CDIB> background;
    CSpriteList sprites;
};

class AnimViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        scene_.background = std::make_unique<CDIB>();
        ASSERT_TRUE(scene_.background->Create(40, 30, 3));
        FillRect(*scene_.background, 0, 0, 40, 30, kBlue);
        view_.SetScene(&scene_);
        scene_.sprites.SetView(&view_);
        view_.SetSurface(&surface_);
    }
    CSprite* Add(std::unique_ptr<CSprite> sprite) {
        CSprite* raw = sprite.get();
        scene_.sprites.Insert(std::move(sprite));
        return raw;
    }
    uint32_t At(int32_t x, int32_t y) const { return PixelAt(*view_.GetBuffer(), x, y); }

    Scene scene_;
    CAnimView view_;
    platform::FakeDeviceContext surface_;
};

TEST_F(AnimViewTest, ComposesBackgroundThenSpritesBackToFront) {
    Add(MakeSprite(10, 10, kGreen, 0, 0, 60));
    Add(MakeButton(8, 8, kRed, 4, 4, 10));  // white border see-through, red middle in front
    ASSERT_TRUE(view_.NewBackground(*scene_.background));
    ASSERT_EQ(surface_.dibs.size(), 1u);
    EXPECT_EQ(surface_.dibs[0].destination, (Rect{0, 0, 40, 30}));
    EXPECT_EQ(At(1, 1), kGreen);
    EXPECT_EQ(At(5, 5), kGreen);  // the front sprite's transparent border shows the one behind
    EXPECT_EQ(At(7, 7), kRed);
    EXPECT_EQ(At(11, 11), kBlue);  // the front sprite's border over the background
    EXPECT_EQ(At(20, 20), kBlue);
}

TEST_F(AnimViewTest, MovingASpriteRedrawsOldAndNewPlaces) {
    CSprite* sprite = Add(MakeSprite(5, 5, kRed, 0, 0));
    ASSERT_TRUE(view_.NewBackground(*scene_.background));
    EXPECT_EQ(At(2, 2), kRed);
    sprite->SetPosition(20, 20);
    EXPECT_EQ(view_.GetDirtyList().size(), 2u);
    view_.RenderAndDrawDirtyList();
    EXPECT_EQ(At(2, 2), kBlue);  // no trace left behind
    EXPECT_EQ(At(22, 22), kRed);
    ASSERT_EQ(surface_.dibs.size(), 3u);
    EXPECT_EQ(surface_.dibs[1].destination, (Rect{20, 20, 25, 25}));
    EXPECT_EQ(surface_.dibs[2].destination, (Rect{0, 0, 5, 5}));
}

TEST_F(AnimViewTest, RenderOfARectangleTouchesNothingOutsideIt) {
    Add(MakeSprite(20, 20, kRed, 0, 0));
    ASSERT_TRUE(view_.CreateBuffer(*scene_.background));
    view_.Render(Rect{5, 5, 10, 10});
    EXPECT_EQ(At(5, 5), kRed);
    EXPECT_EQ(At(9, 9), kRed);
    EXPECT_EQ(At(4, 4), kBlack);  // the buffer starts black and was not composed there
    EXPECT_EQ(At(10, 10), kBlack);
    EXPECT_TRUE(surface_.dibs.empty());  // composing does not show
}

TEST_F(AnimViewTest, SpritesNeverReachOutsideTheBackground) {
    CDIB big;
    ASSERT_TRUE(big.Create(60, 50, 3));
    ASSERT_TRUE(view_.CreateBuffer(big));  // the buffer is larger than the scene's background
    Add(MakeSprite(20, 20, kRed, 30, 20));
    Add(MakeSprite(10, 10, kGreen, -5, -5));
    view_.Render(std::nullopt);
    EXPECT_EQ(At(39, 29), kRed);
    EXPECT_EQ(At(40, 25), kBlack);
    EXPECT_EQ(At(35, 30), kBlack);
    EXPECT_EQ(At(0, 0), kGreen);
    EXPECT_EQ(At(4, 4), kGreen);
    EXPECT_EQ(At(5, 5), kBlue);
}

TEST_F(AnimViewTest, ASceneWithoutBackgroundIsClippedToBufferAndRectangle) {
    CDIB size;
    ASSERT_TRUE(size.Create(20, 20, 3));
    ASSERT_TRUE(view_.CreateBuffer(size));
    scene_.background.reset();
    Add(MakeSprite(30, 30, kRed, -5, -5));
    view_.Render(Rect{0, 0, 10, 10});
    EXPECT_EQ(At(0, 0), kRed);
    EXPECT_EQ(At(9, 9), kRed);
    EXPECT_EQ(At(10, 10), kBlack);
    view_.Render(std::nullopt);
    EXPECT_EQ(At(19, 19), kRed);
    scene_.sprites.GetAt(0)->SetPosition(100, 100);
    view_.RenderAndDrawDirtyList();
    EXPECT_EQ(At(19, 19), kBlack);  // the area the sprite left is cleared
}

TEST_F(AnimViewTest, AnEightBitBackgroundComposesThroughItsColourTable) {
    CDIB indexed;
    ASSERT_TRUE(indexed.Create(4, 4, 1));  // grey ramp: index i is (i, i, i)
    indexed.GetPixelAddress(1, 1)[0] = 200;
    ASSERT_TRUE(view_.NewBackground(indexed));
    ASSERT_NE(view_.GetPalette(), nullptr);
    EXPECT_EQ(view_.GetPalette()->size(), 256u);
    scene_.background = std::make_unique<CDIB>(indexed);
    view_.Render(std::nullopt);
    EXPECT_EQ(view_.GetBuffer()->GetBitCount(), 24);
    EXPECT_EQ(At(1, 1), 0xC8C8C8u);
    EXPECT_EQ(At(0, 0), 0u);
}

namespace {

// The scene composed plainly, one pixel at a time: the background's pixel, then each sprite from the
// back of the list to the front whose shown cell covers the pixel with a colour other than its
// transparent one.
uint32_t ComposedPixel(const CDIB& background, const CSpriteList& sprites, int32_t x, int32_t y) {
    uint32_t colour = PixelAt(background, x, y);
    for (size_t i = sprites.GetCount(); i-- > 0;) {
        const auto* sprite = static_cast<const CPhasedSprite*>(sprites.GetAt(i));
        if (!sprite->GetRect().Contains(x, y)) continue;
        const uint32_t pixel =
            PixelAt(*sprite, x - sprite->GetX() + sprite->GetCurrentColumn() * sprite->GetCellWidth(),
                    y - sprite->GetY() + sprite->GetCurrentFrame() * sprite->GetCellHeight());
        if (!sprite->IsTransparent() || pixel != sprite->GetTransparentColour()) colour = pixel;
    }
    return colour;
}

}  // namespace

TEST_F(AnimViewTest, ComposingGivesThePlainPixelByPixelSceneAtEveryEdge) {
    // Sprites of odd widths, transparent borders and holes, partly outside every edge of the background,
    // one of them showing the middle frame of a sheet; then rectangles of the scene composed again over
    // a buffer full of something else.
    FillRect(*scene_.background, 0, 0, 40, 30, 0x203040);
    for (int32_t x = 0; x < 40; ++x) SetPixel(*scene_.background, x, x % 30, 0x102030 * (x % 7));
    const int32_t widths[] = {1, 2, 3, 5, 17, 33, 20};
    const int32_t places[][2] = {{-2, 3}, {39, 10}, {10, -3}, {6, 28}, {-8, -6}, {30, 20}, {12, 5}};
    for (int i = 0; i < 7; ++i) {
        auto sprite =
            MakeButton(widths[i], 9, 0x0000FF * (i + 1) + 0x400000, places[i][0], places[i][1], 10 * (i % 3));
        SetPixel(*sprite, widths[i] / 2, 4, kWhite);  // a hole in the middle too
        Add(std::move(sprite));
    }
    auto sheet = MakeSprite(18, 27, kWhite, 15, 12, 5);
    FillRect(*sheet, 3, 9, 15, 18, kGreen);  // the middle frame
    FillRect(*sheet, 0, 0, 18, 9, kRed);
    sheet->SetNumFrames(3);
    sheet->SetCurrentFrame(1);
    sheet->SetTransparent(true);
    Add(std::move(sheet));
    ASSERT_TRUE(view_.CreateBuffer(*scene_.background));
    auto expectPlainScene = [&](const Rect& area) {
        for (int32_t y = area.top; y < area.bottom; ++y)
            for (int32_t x = area.left; x < area.right; ++x)
                ASSERT_EQ(At(x, y), ComposedPixel(*scene_.background, scene_.sprites, x, y)) << x << "," << y;
    };
    view_.Render(std::nullopt);
    expectPlainScene({0, 0, 40, 30});
    for (const Rect& dirty :
         {Rect{0, 0, 1, 1}, Rect{-5, 7, 3, 19}, Rect{13, 11, 34, 22}, Rect{37, 25, 50, 40}}) {
        SCOPED_TRACE(testing::Message()
                     << dirty.left << "," << dirty.top << "," << dirty.right << "," << dirty.bottom);
        FillRect(*view_.GetBuffer(), 0, 0, 40, 30, 0x777777);
        view_.Render(dirty);
        const Rect inside = dirty.Intersect({0, 0, 40, 30});
        expectPlainScene(inside);
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 40; ++x)
                if (!inside.Contains(x, y)) {
                    ASSERT_EQ(At(x, y), 0x777777u) << "outside at " << x << "," << y;
                }
    }
}

// A scene that notes which views attach and detach, as the document keeps its views.
class WatchingScene : public Scene {
  public:
    std::vector<std::string> events;

  protected:
    void ViewAttached(CAnimView& view) override { events.push_back("attached " + Name(view)); }
    void ViewDetached(CAnimView& view) override { events.push_back("detached " + Name(view)); }

  private:
    std::string Name(const CAnimView& view) const { return names.count(&view) ? names.at(&view) : "?"; }

  public:
    std::map<const CAnimView*, std::string> names;
};

TEST(AnimViewLifetime, ShowingASceneDoesNotMakeTheViewItsReceiverAndLeavingItEndsBoth) {
    WatchingScene scene;
    {
        CAnimView view;
        scene.names[&view] = "view";
        view.SetScene(&scene);
        EXPECT_EQ(view.GetScene(), &scene);
        EXPECT_EQ(scene.sprites.GetView(), nullptr) << "the owner states the receiver";
        scene.sprites.SetView(&view);
        CAnimView other;
        scene.names[&other] = "other";
        other.SetScene(&scene);
        EXPECT_EQ(scene.sprites.GetView(), &view) << "a second view does not take the rectangles";
        other.SetScene(&scene);  // the same scene again: nothing
        EXPECT_EQ(scene.events, (std::vector<std::string>{"attached view", "attached other"}));
    }
    // Destroyed in reverse order: the receiver went last, and took itself away from the list.
    EXPECT_EQ(scene.events, (std::vector<std::string>{"attached view", "attached other", "detached other",
                                                      "detached view"}));
    EXPECT_EQ(scene.sprites.GetView(), nullptr);
    auto sprite = MakeSprite(3, 3, kRed);
    CSprite* raw = sprite.get();
    scene.sprites.Insert(std::move(sprite));
    raw->SetPosition(1, 1);  // no view: nothing to reach

    // The views above are gone; a new one may be given the address of either, so it gets its own name.
    scene.names.clear();
    CAnimView view;
    scene.names[&view] = "third";
    view.Render(std::nullopt);  // no scene, no buffer: nothing
    view.SetScene(&scene);
    view.Render(std::nullopt);
    EXPECT_EQ(view.GetBuffer(), nullptr);

    // Turning to another scene detaches from the first one, receiver included.
    scene.sprites.SetView(&view);
    Scene second;
    view.SetScene(&second);
    EXPECT_EQ(scene.sprites.GetView(), nullptr);
    EXPECT_EQ(second.sprites.GetView(), nullptr);
    EXPECT_EQ(scene.events.back(), "detached third");
    view.SetScene(nullptr);
    EXPECT_EQ(view.GetScene(), nullptr);
}

// A card view as the programs build it: it draws over the copied buffer and counts the hooks it gets.
class HookedView : public CountingView {
  public:
    void DrawOverBuffer(platform::DeviceContext& surface, const std::optional<Rect>& r) override {
        over.push_back({r, static_cast<int>(static_cast<platform::FakeDeviceContext&>(surface).dibs.size())});
    }
    struct Over {
        std::optional<Rect> area;
        int copiesBefore;  // how many copies the surface had seen when the drawing over began
    };
    std::vector<Over> over;
};

TEST(AnimViewHooks, DrawingOverFollowsEveryCopyAndTheHooksAreTheDerivedViews) {
    Scene scene;
    scene.background = std::make_unique<CDIB>();
    ASSERT_TRUE(scene.background->Create(20, 10, 3));
    HookedView view;
    COSBView& base = view;
    view.SetScene(&scene);
    view.DrawBuffer(std::nullopt);
    EXPECT_TRUE(view.over.empty()) << "no surface: nothing is drawn at all";

    platform::FakeDeviceContext surface;
    view.SetSurface(&surface);
    CAnimView& anim = view;
    ASSERT_TRUE(anim.NewBackground(*scene.background));
    EXPECT_EQ(view.backgrounds, 1);
    ASSERT_EQ(view.over.size(), 1u);
    EXPECT_EQ(view.over[0].area, std::nullopt);
    EXPECT_EQ(view.over[0].copiesBefore, 1) << "drawn over after the copy";

    base.OnUpdate();
    EXPECT_EQ(view.updates, 1);
    EXPECT_EQ(view.over.size(), 2u);

    scene.sprites.SetView(&view);
    scene.sprites.Insert(MakeSprite(4, 4, kRed, 2, 2));
    scene.sprites.GetAt(0)->SetPosition(10, 2);
    view.RenderAndDrawDirtyList();
    ASSERT_EQ(view.over.size(), 4u);
    EXPECT_EQ(view.over[2].area, (Rect{10, 2, 14, 6}));
    EXPECT_EQ(view.over[3].area, (Rect{2, 2, 6, 6}));
    EXPECT_EQ(view.over[3].copiesBefore, 4);

    base.OnDraw(Rect{0, 0, 5, 5});  // a paint shows the buffer as it stands
    EXPECT_EQ(surface.dibs.size(), 5u);
    EXPECT_EQ(surface.dibs.back().destination, (Rect{0, 0, 5, 5}));
    EXPECT_EQ(view.over.back().area, (Rect{0, 0, 5, 5}));
    EXPECT_EQ(view.updates, 1) << "painting composes nothing";

    // Outside the buffer nothing is copied, but what lies over the buffer is still drawn.
    view.DrawBuffer(Rect{100, 100, 110, 110});
    EXPECT_EQ(surface.dibs.size(), 5u);
    EXPECT_EQ(view.over.back().area, (Rect{100, 100, 110, 110}));
}

}  // namespace
