#include <gtest/gtest.h>

#include <algorithm>

#include "player/Actions.h"
#include "tests/player/PlayerTestSupport.h"

namespace {

using namespace player_test;

bool Has(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// A title of `cards` cards whose only sprite (number 1, at 10,10 .. 30,20) has the click action given.
std::unique_ptr<CFichaDoc> OneButton(int cards, int32_t action, std::array<std::string, 4> args = {}) {
    TitleBuilder b;
    b.Clicking(1, 10, 10, action, args);
    b.Cards(cards);
    return b.Take();
}

void SaveCards(const std::string& path, int cards) {
    TitleBuilder b;
    b.Cards(cards);
    b.Save(path);
}

TEST(PlayerArguments, AtoiReadsLikeTheCLibrary) {
    EXPECT_EQ(CPlayerActions::Atoi("3"), 3);
    EXPECT_EQ(CPlayerActions::Atoi("  -12x"), -12);
    EXPECT_EQ(CPlayerActions::Atoi("+7"), 7);
    EXPECT_EQ(CPlayerActions::Atoi("abc"), 0);
    EXPECT_EQ(CPlayerActions::Atoi(""), 0);
    EXPECT_EQ(CPlayerActions::Atoi("99999999999999999999"), INT32_MAX);
}

TEST(PlayerArguments, VideoTitlesAreNumberedByCard) {
    EXPECT_EQ(CPlayerActions::VideoTitleName("intro", 3), "intro03.fca");
    EXPECT_EQ(CPlayerActions::VideoTitleName("intro", 12), "intro12.fca");
    EXPECT_EQ(CPlayerActions::VideoTitleName("clip", 1), "clip01.fca");
    EXPECT_EQ(CPlayerActions::VideoTitleName("clip", 10), "clip10.fca");
}

struct OpenCardCase {
    std::string arg2;
    int newCards;
    int expected;
};

class OpenCardStart : public testing::TestWithParam<OpenCardCase> {};

TEST_P(OpenCardStart, StartsTheNewTitleAtTheCardAsked) {
    PlayerFixture f;
    SaveCards(f.folder.Path("next.fca"), GetParam().newCards);
    f.Show(OneButton(4, 1, {"next", GetParam().arg2}));
    f.Click(15, 15);
    ASSERT_EQ(f.host.docs.size(), 1u);
    EXPECT_EQ(f.Current().GetCurrentCard(), GetParam().expected);
    // Credits first, then the open, then the whole card redrawn.
    std::vector<std::string> expected{"credits", "open next.fca", "redraw"};
    EXPECT_EQ(f.host.calls, expected);
    EXPECT_EQ(f.trace.events.back(), "card next.fca " + std::to_string(GetParam().expected) + "/" +
                                         std::to_string(GetParam().newCards));
}

INSTANTIATE_TEST_SUITE_P(Arguments, OpenCardStart,
                         testing::Values(OpenCardCase{"*", 5, 3},  // cards of the title left - 1
                                         OpenCardCase{"*", 2, 0},  // that index is not in the new one
                                         OpenCardCase{"3", 5, 2},  // 1-based
                                         OpenCardCase{"", 5, 0}, OpenCardCase{"9", 5, 0}));

TEST(PlayerActions, AFailedOpenEntersTheCurrentTitleAgain) {
    PlayerFixture f;
    f.Show(OneButton(2, 1, {"missing", ""}));
    f.Click(15, 15);
    EXPECT_EQ(&f.Current(), f.doc.get());
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"credits", "open missing.fca", "redraw"}));
    EXPECT_FALSE(f.messages.shown.empty());
}

TEST(PlayerActions, NextCardInsideTheTitleThenIntoTheNextTitle) {
    PlayerFixture f;
    SaveCards(f.folder.Path("more.fca"), 3);
    f.Show(OneButton(2, 2, {"more"}));
    f.Click(15, 15);
    EXPECT_EQ(f.Current().GetCurrentCard(), 1);
    // The same title: no open, no invalidation.
    EXPECT_TRUE(f.host.calls.empty());
    f.state.SetStartCard(1);
    f.Click(15, 15);
    ASSERT_EQ(f.host.docs.size(), 1u);
    EXPECT_EQ(f.Current().GetCurrentCard(), 1);  // the start card keeps its value
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"open more.fca", "redraw"}));
}

TEST(PlayerActions, NextCardAtTheLastCardWithoutStemDoesNothing) {
    PlayerFixture f;
    f.Show(OneButton(1, 2));
    f.Click(15, 15);
    EXPECT_TRUE(f.host.calls.empty());
    EXPECT_EQ(f.Current().GetCurrentCard(), 0);
}

TEST(PlayerActions, PreviousCardOnTheFirstCardOpensTheTitleAtTheZeroBasedIndex) {
    PlayerFixture f;
    SaveCards(f.folder.Path("menu.fca"), 4);
    f.Show(OneButton(3, 3, {"menu", "2"}));
    f.Click(15, 15);
    ASSERT_EQ(f.host.docs.size(), 1u);
    EXPECT_EQ(f.Current().GetCurrentCard(), 2);
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"open menu.fca", "redraw"}));
}

TEST(PlayerActions, PreviousCardWithStarGoesToTheLastCard) {
    PlayerFixture f;
    SaveCards(f.folder.Path("menu.fca"), 4);
    f.Show(OneButton(3, 3, {"menu", "*"}));
    f.Click(15, 15);
    EXPECT_EQ(f.Current().GetCurrentCard(), 3);
}

TEST(PlayerActions, PreviousCardOutsideTheNewTitleStaysAtItsStart) {
    PlayerFixture f;
    SaveCards(f.folder.Path("menu.fca"), 2);
    f.Show(OneButton(3, 3, {"menu", "7"}));
    f.Click(15, 15);
    EXPECT_EQ(f.Current().GetCurrentCard(), 0);
}

TEST(PlayerActions, PreviousCardInsideTheTitle) {
    PlayerFixture f;
    auto doc = OneButton(3, 3, {"menu", "2"});
    doc->GoToCard(2);
    f.Show(std::move(doc));
    f.Click(15, 15);
    EXPECT_EQ(f.Current().GetCurrentCard(), 1);
    EXPECT_TRUE(f.host.calls.empty());
}

TEST(PlayerActions, PlayVideoOpensTheNumberedTitleAtTheSameCard) {
    PlayerFixture f;
    SaveCards(f.folder.Path("clip10.fca"), 12);
    SaveCards(f.folder.Path("clip01.fca"), 3);
    auto doc = OneButton(10, 16, {"clip"});
    doc->GoToCard(9);
    f.Show(std::move(doc));
    f.Click(15, 15);
    EXPECT_EQ(f.host.calls.front(), "open clip10.fca");
    EXPECT_EQ(f.Current().GetCurrentCard(), 9);

    PlayerFixture g;
    SaveCards(g.folder.Path("clip01.fca"), 3);
    g.Show(OneButton(10, 16, {"clip"}));
    g.Click(15, 15);
    EXPECT_EQ(g.host.calls.front(), "open clip01.fca");
    EXPECT_EQ(g.Current().GetCurrentCard(), 0);
}

TEST(PlayerActions, CardsListGoesToTheChosenCardOrStays) {
    PlayerFixture f;
    f.Show(OneButton(4, 4));
    f.host.cardsListAnswer = 2;
    f.Click(15, 15);
    EXPECT_EQ(f.Current().GetCurrentCard(), 2);
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"cards-list 0 of 4", "redraw"}));
    EXPECT_TRUE(f.view.Video().ReplayLoop());

    f.host.calls.clear();
    f.host.cardsListAnswer = -1;
    f.Click(15, 15);
    EXPECT_EQ(f.Current().GetCurrentCard(), 2);
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"cards-list 2 of 4"}));
    EXPECT_TRUE(Has(f.trace.events, "open cards-list"));
    EXPECT_TRUE(Has(f.trace.events, "close cards-list"));
}

TEST(PlayerActions, ShowListsOfNumbers) {
    struct Case {
        std::string list;
        int shown;
    };
    for (const Case& c : {Case{"2,3,4,5,6,7,8,9,10,11", 10}, Case{"2", 1}, Case{"", 0}}) {
        PlayerFixture f;
        TitleBuilder b;
        b.Clicking(1, 10, 10, 24, {c.list});
        for (int n = 2; n <= 12; ++n) b.Sprite(n, 100 + n * 30, 100).SetVisible(false);
        b.Card();
        f.Show(b.Take());
        f.Click(15, 15);
        int visible = 0;
        for (int n = 2; n <= 12; ++n) visible += f.Number(n)->IsVisible();
        EXPECT_EQ(visible, c.shown) << c.list;
    }
}

TEST(PlayerActions, HideAbleAndDisableLists) {
    PlayerFixture f;
    TitleBuilder b;
    b.Clicking(1, 10, 10, 25, {"3"});
    b.Clicking(2, 40, 10, 27, {"4"});
    b.Sprite(3, 100, 100);
    CPhasedSprite& four = b.Sprite(4, 200, 100, 20, 10, 3);
    b.Clicking(5, 70, 10, 26, {"4"});
    b.Card();
    f.Show(b.Take());
    f.Click(15, 15);
    EXPECT_FALSE(f.Number(3)->IsVisible());
    f.Click(45, 15);
    EXPECT_TRUE(four.IsDisabled());
    f.Click(75, 15);
    EXPECT_FALSE(four.IsDisabled());
    EXPECT_EQ(four.GetCurrentFrame(), 0);
}

TEST(PlayerActions, MenuShowsTheConsecutiveSpritesAndAClickOnNothingClosesIt) {
    PlayerFixture f;
    TitleBuilder b;
    b.Clicking(7, 10, 10, 29);
    for (int n : {8, 9, 11}) b.Sprite(n, 100 + n * 30, 100).SetVisible(false);
    b.Card();
    f.Show(b.Take());
    f.Click(15, 15);
    EXPECT_EQ(f.view.OpenMenu(), 7);
    EXPECT_TRUE(f.Number(8)->IsVisible());
    EXPECT_TRUE(f.Number(9)->IsVisible());
    EXPECT_FALSE(f.Number(11)->IsVisible());
    f.Click(600, 400);
    EXPECT_EQ(f.view.OpenMenu(), 0);
    EXPECT_FALSE(f.Number(8)->IsVisible());
    EXPECT_FALSE(f.Number(9)->IsVisible());
    // Menu 7 has no sound.
    EXPECT_TRUE(f.sound.plays.empty());
    EXPECT_EQ(f.sound.stops, 0);
}

TEST(PlayerActions, Menu500PlaysTheSoundOf501AndClosingStopsIt) {
    PlayerFixture f;
    TitleBuilder b;
    b.Clicking(500, 10, 10, 29);
    b.Clicking(501, 100, 100, 0, {"menu.wav"}).SetVisible(false);
    b.Card();
    f.Show(b.Take());
    f.Click(15, 15);
    ASSERT_EQ(f.sound.plays.size(), 1u);
    EXPECT_FALSE(f.sound.plays[0].loop);
    EXPECT_NE(f.sound.plays[0].path.find("menu.wav"), std::string::npos);
    EXPECT_TRUE(f.Number(501)->IsVisible());
    f.Click(600, 400);
    EXPECT_EQ(f.sound.stops, 1);
    EXPECT_FALSE(f.Number(501)->IsVisible());
    EXPECT_TRUE(Has(f.trace.events, "sound menu.wav"));
    EXPECT_TRUE(Has(f.trace.events, "sound-stop"));
}

TEST(PlayerActions, MuteOffThenOnRestoresTheVolumeOfBothChannels) {
    PlayerFixture f;
    TitleBuilder b;
    b.Sprite(13, 100, 300, 120, 10).SetClickAction(13);
    b.Sprite(12, 100, 300, 20, 10, 1, -1).SetClickAction(12);
    b.Clicking(15, 10, 10, 15);
    b.Clicking(14, 10, 10, 14).SetVisible(false);
    b.Card();
    f.sound.volume = 0x1234ABCDu;
    f.Show(b.Take());
    f.Click(15, 15);  // mute off: sound goes muted
    EXPECT_EQ(f.sound.volume, 0u);
    EXPECT_TRUE(f.state.Muted());
    EXPECT_EQ(f.state.SavedVolume(), 0x1234ABCDu);
    EXPECT_FALSE(f.Number(15)->IsVisible());
    EXPECT_TRUE(f.Number(14)->IsVisible());
    EXPECT_TRUE(f.Number(12)->IsDisabled());
    f.Click(15, 15);  // mute on: the sprite shown while muted
    EXPECT_EQ(f.sound.volume, 0x1234ABCDu);
    EXPECT_FALSE(f.state.Muted());
    EXPECT_TRUE(f.Number(15)->IsVisible());
    EXPECT_FALSE(f.Number(14)->IsVisible());
    EXPECT_FALSE(f.Number(12)->IsDisabled());
    EXPECT_TRUE(Has(f.trace.events, "volume 0 0 muted"));
    EXPECT_TRUE(Has(f.trace.events, "volume 43981 4660"));
}

TEST(PlayerActions, VolumeWidgetPlacesTheKnobForTheVolume) {
    PlayerFixture f;
    TitleBuilder b;
    b.Sprite(13, 100, 300, 120, 10).SetClickAction(13);
    b.Sprite(12, 0, 300, 20, 10, 1, -1).SetClickAction(12);
    b.Card();
    f.sound.volume = 0xFFFF8000u;  // left channel half way
    f.Show(b.Take());
    // 100 of travel * 0x8000 / 65535 = 50, unsigned.
    EXPECT_EQ(f.Number(12)->GetX(), 150);
    EXPECT_TRUE(f.Number(12)->IsVisible());

    // Muted: the saved volume places it, and it cannot be grabbed.
    f.state.SetMuted(true);
    f.state.SetSavedVolume(0xFFFF);
    f.view.Actions().InitVolumeWidget();
    EXPECT_EQ(f.Number(12)->GetX(), 200);
    EXPECT_TRUE(f.Number(12)->IsDisabled());
}

TEST(PlayerActions, WithoutWaveDeviceTheVolumeWidgetIsHiddenAndSoundsAreNotPlayed) {
    PlayerFixture f;
    f.sound.devices = 0;
    TitleBuilder b;
    b.Sprite(13, 100, 300, 120, 10).SetClickAction(13);
    b.Sprite(12, 0, 300, 20, 10, 1, -1).SetClickAction(12);
    b.Clicking(15, 400, 10, 15);
    b.Clicking(1, 10, 10, 11, {"click.wav"});
    b.Card();
    f.Show(b.Take());
    EXPECT_FALSE(f.Number(13)->IsVisible());
    EXPECT_FALSE(f.Number(12)->IsVisible());
    EXPECT_FALSE(f.Number(15)->IsVisible());
    f.Click(15, 15);
    EXPECT_TRUE(f.sound.plays.empty());
}

TEST(PlayerActions, ShellTargetsAndTheirAnswer) {
    PlayerFixture f;
    TitleBuilder b;
    b.Clicking(1, 10, 10, 32, {"http://example.org/"});
    b.Clicking(2, 40, 10, 33, {"ana@example.org"});
    b.Card();
    f.Show(b.Take());
    f.Click(15, 15);
    f.host.shellAnswer = false;  // the shell refuses what it will not open
    f.Click(45, 15);
    EXPECT_EQ(f.host.calls,
              (std::vector<std::string>{"shell http://example.org/", "shell mailto:ana@example.org"}));
    EXPECT_TRUE(Has(f.trace.events, "shell http://example.org/ 1"));
    EXPECT_TRUE(Has(f.trace.events, "shell mailto:ana@example.org 0"));
}

TEST(PlayerActions, EndShowsTheCreditsThenEnds) {
    PlayerFixture f;
    f.Show(OneButton(1, 31));
    f.Click(15, 15);
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"credits", "end"}));
    EXPECT_EQ(f.trace.events.back(), "exit");
}

TEST(PlayerActions, PictureAndSlideShowGetTheArguments) {
    PlayerFixture f;
    TitleBuilder b;
    b.Clicking(1, 10, 10, 30, {"foto.jpg", "foto.wav"});
    b.Clicking(2, 40, 10, 28, {"a", "b", "c", "d"});
    b.Card();
    f.Show(b.Take());
    f.Click(15, 15);
    f.Click(45, 15);
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"picture foto.jpg foto.wav", "slide-show a|b|c|d"}));
}

TEST(PlayerActions, ClickWithoutActionStopsTheAnimationAndReArmsEnter) {
    PlayerFixture f;
    TitleBuilder b;
    CPhasedSprite& s = b.Sprite(1, 10, 10, 20, 10, 3);
    s.SetMoveAction(3);
    s.SetMoveArgument(0, "2");
    b.Sprite(2, 200, 200).SetVisible(false);
    b.Card();
    f.Show(b.Take());
    f.view.OnMouseMove({15, 15});
    s.SetAnimated(true);
    s.SetCurrentFrame(2);
    f.Click(15, 15);
    EXPECT_FALSE(s.IsAnimated());
    EXPECT_EQ(s.GetCurrentFrame(), 0);
    EXPECT_EQ(f.view.Hovered(), nullptr);
    f.view.OnMouseMove({16, 15});
    EXPECT_EQ(std::count(f.trace.events.begin(), f.trace.events.end(), "enter 1 3"), 2);
    EXPECT_EQ(std::count(f.trace.events.begin(), f.trace.events.end(), "leave 1 3"), 0);
    EXPECT_TRUE(Has(f.trace.events, "click 1 0 "));
}

TEST(PlayerActions, TracksAndUnknownCodesDoNothing) {
    for (int32_t code : {10, 13, 19, 20, 21, 22, 34, -3}) {
        PlayerFixture f;
        f.Show(OneButton(2, code, {"x", "y"}));
        f.Click(15, 15);
        EXPECT_TRUE(f.host.calls.empty()) << code;
        EXPECT_EQ(f.Current().GetCurrentCard(), 0) << code;
    }
}

TEST(PlayerActions, LineDownScrollsTheTextAndPlacesItsKnob) {
    PlayerFixture f;
    TitleBuilder b;
    b.Clicking(1, 10, 10, 6, {"story"});
    b.Sprite(2, 300, 100, 10, 150).SetClickAction(10);
    b.Doc().GetSpriteList().FindByNumber(2)->SetClickArgument(0, "story");
    b.Sprite(3, 300, 100, 10, 10, 1, -1).SetClickAction(9);
    b.Doc().GetSpriteList().FindByNumber(3)->SetClickArgument(0, "story");
    // One word of 40 units a line in a 60-wide, 30-high rectangle: 5 lines, 2 visible.
    b.Card().AddText(MakeText("story", "aaaa bbbb cccc dddd eeee", {100, 100, 161, 130}));
    f.Show(b.Take());
    CTexto* text = f.Current().GetCurrentCardPtr()->TextAt(0);
    ASSERT_EQ(text->CountBreaks(), 4);
    f.Click(15, 15);
    EXPECT_EQ(text->GetScroll(), 1);
    // bar y + first line x bar height / line count = 100 + 150 / 4
    EXPECT_EQ(f.Number(3)->GetY(), 137);
    EXPECT_EQ(f.Number(3)->GetX(), 300);

    // An identifier in other letters names no text.
    f.Number(1)->SetClickArgument(0, "STORY");
    f.Click(15, 15);
    EXPECT_EQ(text->GetScroll(), 1);
}

TEST(PlayerSceneActions, OpenACardFromASceneStartsAtTheSpriteNumber) {
    PlayerFixture f;
    SaveCards(f.folder.Path("tour.fca"), 5);
    RegisterTitleClasses();
    CAnimDoc scene(Variant::player);
    scene.GetSpriteList().Insert(MakeSprite(4, 10, 10));
    scene.GetSpriteList().FindByNumber(4)->SetClickAction(1);
    scene.GetSpriteList().FindByNumber(4)->SetClickArgument(0, "tour");
    scene.GetSpriteList().Insert(MakeSprite(6, 50, 10));
    scene.GetSpriteList().FindByNumber(6)->SetClickAction(32);
    scene.GetSpriteList().FindByNumber(6)->SetClickArgument(0, "http://example.org/");
    f.view.SetDocument(&scene);
    ASSERT_TRUE(f.view.IsSceneMode());
    f.Click(55, 15);  // links do nothing in a scene
    EXPECT_TRUE(f.host.calls.empty());
    f.Click(15, 15);
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"open tour.fca", "close-scene"}));
    EXPECT_EQ(f.Current().GetCurrentCard(), 3);
}

TEST(PlayerSceneActions, HoverShowsTheSecondFrameAndEndEndsAtOnce) {
    PlayerFixture f;
    RegisterTitleClasses();
    CAnimDoc scene(Variant::player);
    auto a = MakeSprite(1, 10, 10, 20, 10, 3);
    CPhasedSprite& sa = *a;
    sa.SetMoveAction(3);
    scene.GetSpriteList().Insert(std::move(a));
    scene.GetSpriteList().Insert(MakeSprite(2, 50, 10));
    scene.GetSpriteList().FindByNumber(2)->SetClickAction(31);
    f.view.SetDocument(&scene);
    f.view.OnMouseMove({15, 15});
    EXPECT_EQ(sa.GetCurrentFrame(), 1);
    EXPECT_TRUE(f.trace.events.empty());  // no move actions in a scene
    f.view.OnMouseMove({300, 300});
    EXPECT_EQ(sa.GetCurrentFrame(), 0);
    f.Click(55, 15);
    EXPECT_EQ(f.host.calls, (std::vector<std::string>{"end"}));
    f.view.SetDocument(nullptr);  // the scene goes before the view
}

TEST(PlayerActions, SoundNamesResolveBesideTheTitle) {
    PlayerFixture f;
    f.folder.Write("hola.wav", test_support::Text("RIFF"));
    // Windows names in other letters find the file as the Windows file system did.
    auto doc = OneButton(1, 11, {"HOLA.WAV"});
    doc->SetBaseDirectory(f.folder.Path());
    f.Show(std::move(doc));
    f.Click(15, 15);
    ASSERT_EQ(f.sound.plays.size(), 1u);
    EXPECT_EQ(f.sound.plays[0].path, f.folder.Path("hola.wav"));
    EXPECT_FALSE(f.sound.plays[0].loop);
}

TEST(PlayerSceneActions, VolumeKnobAndMenusWorkInAScene) {
    PlayerFixture f;
    RegisterTitleClasses();
    CAnimDoc scene(Variant::player);
    scene.GetSpriteList().Insert(MakeSprite(13, 100, 300, 120, 10));
    scene.GetSpriteList().FindByNumber(13)->SetClickAction(13);
    scene.GetSpriteList().Insert(MakeSprite(12, 100, 300, 20, 10, 1, -1));
    scene.GetSpriteList().FindByNumber(12)->SetClickAction(12);
    scene.GetSpriteList().Insert(MakeSprite(40, 10, 10));
    scene.GetSpriteList().FindByNumber(40)->SetClickAction(29);
    scene.GetSpriteList().Insert(MakeSprite(41, 10, 100));
    scene.GetSpriteList().FindByNumber(41)->SetVisible(false);
    f.view.SetDocument(&scene);
    f.Click(105, 305);
    f.view.OnMouseMove({155, 305});
    EXPECT_EQ(f.sound.volume, 655u * 50u * 65537u);
    EXPECT_EQ(scene.GetSpriteList().FindByNumber(12)->GetX(), 150);
    f.view.OnLeftButtonUp();
    f.Click(15, 15);
    EXPECT_TRUE(scene.GetSpriteList().FindByNumber(41)->IsVisible());
    f.Click(300, 200);
    EXPECT_FALSE(scene.GetSpriteList().FindByNumber(41)->IsVisible());
    f.view.SetDocument(nullptr);
}

}  // namespace
