#include <gtest/gtest.h>

#include <algorithm>

#include "platform/DeviceContext.h"
#include "tests/player/PlayerTestSupport.h"

namespace {

using namespace player_test;

// Sprites A (1) and B (2) side by side, touching, each with move action 3 showing 20 and 21.
std::unique_ptr<CFichaDoc> TwoHovers(TitleBuilder& b) {
    CPhasedSprite& a = b.Sprite(1, 10, 10, 20, 10);
    a.SetMoveAction(3);
    a.SetMoveArgument(0, "20");
    CPhasedSprite& bb = b.Sprite(2, 29, 10, 20, 10);
    bb.SetMoveAction(3);
    bb.SetMoveArgument(0, "21");
    b.Sprite(20, 300, 300).SetVisible(false);
    b.Sprite(21, 340, 300).SetVisible(false);
    b.Card();
    return b.Take();
}

TEST(PlayerHover, MovingStraightFromOneSpriteOntoAnotherLeavesThenEnters) {
    PlayerFixture f;
    TitleBuilder b;
    f.Show(TwoHovers(b));
    f.view.OnMouseMove({15, 15});
    EXPECT_TRUE(f.Number(20)->IsVisible());
    f.view.OnMouseMove({16, 15});  // within A: nothing again
    f.view.OnMouseMove({40, 15});
    EXPECT_FALSE(f.Number(20)->IsVisible());
    EXPECT_TRUE(f.Number(21)->IsVisible());
    f.view.OnMouseMove({400, 200});
    EXPECT_FALSE(f.Number(21)->IsVisible());
    EXPECT_EQ(f.trace.events,
              (std::vector<std::string>{"card  0/1", "enter 1 3", "leave 1 3", "enter 2 3", "leave 2 3"}));
    EXPECT_EQ(f.host.cursors, (std::vector<PlayerCursor>{PlayerCursor::sprite, PlayerCursor::sprite,
                                                         PlayerCursor::sprite, PlayerCursor::normal}));
    // Over empty space with nothing hovered the cursor is left alone.
    f.view.OnMouseMove({401, 200});
    EXPECT_EQ(f.host.cursors.size(), 4u);
}

TEST(PlayerHover, HiddenAndDisabledSpritesNeverReact) {
    PlayerFixture f;
    TitleBuilder b;
    b.Clicking(9, 10, 10, 25, {"1"}, 20, 10);  // under A: hides nothing we look at
    auto doc = TwoHovers(b);
    f.Show(std::move(doc));
    f.Number(1)->SetVisible(false);
    static_cast<CPhasedSprite*>(f.Number(2))->Disable();
    f.view.OnMouseMove({15, 15});
    f.view.OnMouseMove({40, 15});
    EXPECT_FALSE(f.Number(20)->IsVisible());
    EXPECT_FALSE(f.Number(21)->IsVisible());
    // The click on hidden A falls through to the sprite below it.
    f.Click(15, 15);
    EXPECT_TRUE(std::find(f.trace.events.begin(), f.trace.events.end(), "click 9 25 1") !=
                f.trace.events.end());
}

TEST(PlayerHover, ChangePlaneAndAnimateMoveActions) {
    PlayerFixture f;
    TitleBuilder b;
    CPhasedSprite& frames = b.Sprite(1, 10, 10, 20, 10, 4);
    frames.SetMoveAction(1);
    frames.SetMoveArgument(0, "2");
    CPhasedSprite& trigger = b.Sprite(2, 100, 10);
    trigger.SetMoveAction(2);
    trigger.SetMoveArgument(0, "3");
    CPhasedSprite& target = b.Sprite(3, 200, 10, 20, 10, 4);
    b.Card();
    f.Show(b.Take());
    f.view.OnMouseMove({15, 15});
    EXPECT_EQ(frames.GetCurrentFrame(), 2);
    f.view.OnMouseMove({105, 15});
    EXPECT_EQ(frames.GetCurrentFrame(), 0);
    EXPECT_TRUE(target.IsAnimated());
    f.view.OnTimer();
    f.view.OnTimer();
    const int32_t shown = target.GetCurrentFrame();
    EXPECT_NE(shown, 0);
    f.view.OnMouseMove({400, 400});
    EXPECT_FALSE(target.IsAnimated());
    EXPECT_EQ(target.GetCurrentFrame(), shown);  // the frame shown stays
}

TEST(PlayerHover, SoundMoveActionPlaysOnEnterAndStopsOnLeave) {
    PlayerFixture f;
    TitleBuilder b;
    CPhasedSprite& s = b.Sprite(1, 10, 10);
    s.SetMoveAction(5);
    s.SetMoveArgument(0, "C:\\SONIDOS\\HOLA.WAV");
    b.Card();
    f.Show(b.Take());
    f.view.OnMouseMove({15, 15});
    ASSERT_EQ(f.sound.plays.size(), 1u);
    EXPECT_FALSE(f.sound.plays[0].loop);
    f.view.OnMouseMove({300, 300});
    EXPECT_EQ(f.sound.stops, 1);
}

// A volume bar at x 100 of width 120 and a knob of width 20: travel 100.
struct VolumeFixture : PlayerFixture {
    VolumeFixture() {
        TitleBuilder b;
        b.Sprite(13, 100, 300, 120, 10).SetClickAction(13);
        b.Sprite(12, 100, 300, 20, 10, 1, -1).SetClickAction(12);
        b.Card();
        sound.volume = 0;
        Show(b.Take());
    }
};

TEST(PlayerKnobs, VolumeKnobDragToBothEnds) {
    VolumeFixture f;
    f.Click(105, 305);  // grab 5 pixels into the knob
    EXPECT_TRUE(f.view.IsCaptured());
    f.view.OnMouseMove({205, 305});  // right end: x' = 200
    EXPECT_EQ(f.sound.volume, 65500u * 65537u);
    EXPECT_EQ(f.sound.volume & 0xFFFF, 65500u);
    EXPECT_EQ(f.sound.volume >> 16, 65500u);
    EXPECT_EQ(f.Number(12)->GetX(), 200);
    f.view.OnMouseMove({260, 320});  // past the end: held where it is
    EXPECT_EQ(f.Number(12)->GetX(), 200);
    EXPECT_EQ(f.sound.volume & 0xFFFF, 65500u);
    f.view.OnMouseMove({105, 0});  // left end, anywhere vertically
    EXPECT_EQ(f.sound.volume, 0u);
    EXPECT_EQ(f.Number(12)->GetX(), 100);
    EXPECT_EQ(f.Number(12)->GetY(), 300);
    f.view.OnLeftButtonUp();
    EXPECT_FALSE(f.view.IsCaptured());
    f.view.OnMouseMove({205, 305});
    EXPECT_EQ(f.sound.volume, 0u);
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"capture", "release"}));
}

TEST(PlayerKnobs, MutedVolumeKnobCannotBeDragged) {
    VolumeFixture f;
    f.state.SetMuted(true);
    f.view.Actions().InitVolumeWidget();
    f.Click(105, 305);
    EXPECT_FALSE(f.view.IsCaptured());
}

TEST(PlayerKnobs, ZeroTravelLeavesKnobAndVolume) {
    PlayerFixture f;
    TitleBuilder b;
    b.Sprite(13, 100, 300, 20, 10).SetClickAction(13);
    b.Sprite(12, 100, 300, 20, 10, 1, -1).SetClickAction(12);
    b.Card();
    f.sound.volume = 1234;
    f.Show(b.Take());
    f.Click(105, 305);
    f.view.OnMouseMove({105, 305});
    EXPECT_EQ(f.sound.volume, 1234u);
}

TEST(PlayerKnobs, TextKnobToTheBottomShowsTheLastReachableLine) {
    PlayerFixture f;
    TitleBuilder b;
    CPhasedSprite& bar = b.Sprite(2, 300, 100, 10, 150);
    bar.SetClickAction(10);
    bar.SetClickArgument(0, "story");
    CPhasedSprite& knob = b.Sprite(3, 300, 100, 10, 10, 1, -1);
    knob.SetClickAction(9);
    knob.SetClickArgument(0, "story");
    // Nine one-word lines in a rectangle of two.
    b.Card().AddText(MakeText("story", "aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii", {100, 100, 161, 130}));
    f.Show(b.Take());
    CTexto* text = f.Current().GetCurrentCardPtr()->TextAt(0);
    ASSERT_EQ(text->CountBreaks(), 8);
    ASSERT_TRUE(knob.IsVisible());
    f.Click(305, 104);                 // grab y 4
    f.view.OnMouseMove({0, 240 + 4});  // y' = bar y + bar height - knob height
    EXPECT_EQ(knob.GetY(), 240);
    EXPECT_EQ(knob.GetX(), 300);
    EXPECT_EQ(text->GetScroll(), (150 - 10) * 8 / 150);
    f.view.OnMouseMove({0, 241 + 4});  // one past: held
    EXPECT_EQ(knob.GetY(), 240);
    f.view.OnMouseMove({0, 100 + 4});
    EXPECT_EQ(text->GetScroll(), 0);
}

TEST(PlayerCard, ActivationAndDeactivationListsAndWidgetVisibility) {
    PlayerFixture f;
    TitleBuilder b;
    b.Sprite(5, 10, 10).SetVisible(false);
    b.Sprite(6, 40, 10).SetVisible(false);
    b.Sprite(7, 70, 10);
    CPhasedSprite& scroll = b.Sprite(8, 100, 10);
    scroll.SetClickAction(6);
    scroll.SetClickArgument(0, "short");
    b.Sprite(9, 130, 10).SetClickAction(17);
    CFicha& card = b.Card();
    card.activationList = "5,6";
    card.deactivationList = "5,7";
    card.AddText(MakeText("short", "fits", {0, 0, 100, 100}));
    f.Show(b.Take());
    EXPECT_FALSE(f.Number(5)->IsVisible());  // in both lists: ends hidden
    EXPECT_TRUE(f.Number(6)->IsVisible());
    EXPECT_FALSE(f.Number(7)->IsVisible());
    EXPECT_FALSE(f.Number(8)->IsVisible());  // its text fits
    EXPECT_FALSE(f.Number(9)->IsVisible());  // no video on the card
}

TEST(PlayerCard, CtrlRightClickShowsTheCredits) {
    PlayerFixture f;
    TitleBuilder b;
    b.Card();
    f.Show(b.Take());
    f.view.OnRightButtonDown(false);
    EXPECT_TRUE(f.host.calls.empty());
    f.view.OnRightButtonDown(true);
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"credits"}));
}

TEST(PlayerCard, DrawBufferDrawsTheTextsThatMeetTheRectangle) {
    PlayerFixture f;
    TitleBuilder b;
    CFicha& card = b.Card();
    card.AddText(MakeText("a", "left", {0, 0, 100, 50}));
    card.AddText(MakeText("b", "right", {300, 200, 200, 100}));  // stored upside down
    f.Show(b.Take());
    EXPECT_EQ(f.view.TextsToDraw(std::nullopt).size(), 2u);
    std::vector<CTexto*> some = f.view.TextsToDraw(platform::Rect{250, 150, 260, 160});
    ASSERT_EQ(some.size(), 1u);
    EXPECT_EQ(some[0]->identifier, "b");
    EXPECT_TRUE(f.view.TextsToDraw(platform::Rect{100, 0, 150, 50}).empty());  // right edge outside

    platform::FakeDeviceContext dc;
    f.view.SetSurface(&dc);
    f.view.DrawBuffer(platform::Rect{10, 10, 20, 20});
    ASSERT_FALSE(dc.lines.empty());
    EXPECT_EQ(dc.lines[0].text, "left");
    f.view.SetSurface(nullptr);
}

TEST(PlayerCard, SameTitleCardChangeShowsTheNewCardsTexts) {
    PlayerFixture f;
    TitleBuilder b;
    b.Clicking(1, 400, 400, 2);
    b.Card().AddText(MakeText("a", "first", {0, 0, 100, 50}));
    b.Card().AddText(MakeText("b", "second", {0, 0, 100, 50}));
    f.Show(b.Take());
    platform::FakeDeviceContext dc;
    f.view.SetSurface(&dc);
    f.Click(405, 405);
    f.view.SetSurface(nullptr);
    ASSERT_FALSE(dc.lines.empty());
    EXPECT_EQ(dc.lines.back().text, "second");
}

}  // namespace
