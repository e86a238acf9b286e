#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QPaintEvent>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "imaging/DibJpeg.h"
#include "model/Actions.h"
#include "platform/MessageBox.h"
#include "platform/Sound.h"
#include "player/CardPicture.h"
#include "player/Keys.h"
#include "player/Lumeo.h"
#include "player/VolumeMemory.h"
#include "tests/player/PlayerTestSupport.h"
#include "tools/TitleFiles.h"
#include "ui/CardComposition.h"
#include "ui/Services.h"

namespace {

using namespace player_test;

// The Qt application of the test program, made once before the first test that needs one.
class KeyboardQtEnvironment : public testing::Environment {
  public:
    void SetUp() override {
        if (!QCoreApplication::instance()) app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[13] = "player_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] testing::Environment* const kKeyboardQtEnvironment =
    testing::AddGlobalTestEnvironment(new KeyboardQtEnvironment);

// A background whose pixel (x, y) has red x, green y: no two neighbours alike, and never amber.
std::unique_ptr<CDibJpeg> GradientBackground() {
    auto background = std::make_unique<CDibJpeg>();
    background->Create(640, 480, 3);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            uint8_t* p = background->GetPixelAddress(x, y);
            p[0] = 60;
            p[1] = static_cast<uint8_t>(y / 2);
            p[2] = static_cast<uint8_t>(x / 3);
        }
    return background;
}

// The title most tests play, card 0 of two:
//   1  plane 1  (10, 10)   Sprite - Show 20, moving onto it shows 21, text "Mostrar"
//   2  plane 2  (100, 10)  Cards - Next card, no text; card 1 hides it
//   3  plane 3  (200, 10)  no click action
//   4  plane 4  (300, 10)  Sprite - Hide 4 (itself), text "Ocultar"
//   6  plane 6  (400, 10)  Cards - Previous card into other.fca
//   15 plane 8  (240, 400) Sound - Mute Off;  14 there too, Sound - Mute on
//   12 plane 0  the volume knob, 20 wide, on the bar 13 (plane 9) of 120 at (100, 400)
//   20, 21 hidden, no actions
void BuildKeysTitle(TitleBuilder& b) {
    b.Doc().SetBackground(GradientBackground());
    CPhasedSprite& show = b.Clicking(1, 10, 10, kActionShowSprites, {"20"}, 40, 20);
    show.SetPlane(1);
    show.SetMoveAction(kMoveActionShowSprites);
    show.SetMoveArgument(0, "21");
    show.SetText("Mostrar");
    b.Clicking(2, 100, 10, kActionNextCard, {}, 40, 20).SetPlane(2);
    b.Sprite(3, 200, 10, 40, 20, 1, 3);
    CPhasedSprite& hide = b.Clicking(4, 300, 10, kActionHideSprites, {"4"}, 40, 20);
    hide.SetPlane(4);
    hide.SetText("Ocultar");
    b.Clicking(6, 400, 10, kActionPreviousCard, {"other"}, 40, 20).SetPlane(6);
    b.Clicking(15, 240, 400, kActionMuteOff, {}, 20, 20).SetPlane(8);
    b.Clicking(14, 240, 400, kActionMuteOn, {}, 20, 20).SetPlane(8);
    b.Clicking(12, 100, 398, kActionVolumeKnob, {}, 20, 14).SetPlane(0);
    b.Clicking(13, 100, 400, kActionVolumeBar, {}, 120, 10).SetPlane(9);
    b.Sprite(20, 10, 100).SetVisible(false);
    b.Sprite(21, 60, 100).SetVisible(false);
    b.Card();
    b.Card().deactivationList = "2";
}

// Lumeo's real frame and view widget on a title saved in a scratch folder, with recorded sound and trace.
class LumeoWindow {
  public:
    LumeoWindow() : box_(messages_) { platform::SetSound(&sound); }
    ~LumeoWindow() {
        app.reset();
        platform::SetSound(nullptr);
    }

    // Saves the title as `name` and plays it at `scale` in a window.
    bool Play(TitleBuilder& b, const std::string& name = "keys.fca", int scale = 1) {
        b.Save(folder.Path(name));
        PlayerOptions options;
        options.windowed = true;
        options.credits = false;
        options.scale = scale;
        // The player starts at the volume the last run kept; the last run is taken to have kept the
        // volume the test gave the sound output, rather than whatever an earlier test ended with.
        VolumeMemory().Save(sound.volume);
        app = std::make_unique<CPlayerApp>(options);
        app->View().SetTrace(&trace);
        app->SetPicturesFolder(folder.Path("pictures"));
        if (!app->Start(folder.Path(name))) return false;
        app->resize(640 * scale, 480 * scale);
        app->show();
        if (!QTest::qWaitForWindowExposed(app.get())) return false;
        Widget().setFocus();
        QCoreApplication::processEvents();
        return true;
    }

    ui::ViewWidget& Widget() { return app->ViewWidget(); }
    CKeyboardAccess& Focus() { return app->View().Keys().Focus(); }
    CInspector& Inspector() { return app->View().Keys().Inspector(); }
    CSprite* Number(int32_t n) { return app->Document()->GetSpriteList().FindByNumber(n); }
    int32_t FocusedNumber() {
        CSprite* s = Focus().Focused();
        return s ? s->GetNumber() : -1;
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&Widget(), key, modifiers);
    }
    // The trace from `from` on.
    std::vector<std::string> Events(size_t from = 0) {
        return {trace.events.begin() + static_cast<std::ptrdiff_t>(std::min(from, trace.events.size())),
                trace.events.end()};
    }
    QImage Shown() { return Widget().grab().toImage().convertToFormat(QImage::Format_RGB32); }

    ScratchFolder folder;
    platform::RecordingSound sound;
    RecordingTrace trace;
    ui::TextMeasuring measuring;
    std::unique_ptr<CPlayerApp> app;

  private:
    platform::RecordingMessageBox messages_;
    platform::ScopedMessageBox box_;
};

// Gathers the areas the widget paints. A grab paints the whole widget anew, so it cannot tell whether an
// area that changed was asked to be painted again; these regions can.
class PaintRecorder : public QObject {
  public:
    explicit PaintRecorder(QWidget& widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    // Whether everything of the card rectangle `r` (at scale 1) was painted since the last Clear.
    bool Covers(const platform::Rect& r) const {
        const QRect area(r.left, r.top, r.Width(), r.Height());
        return QRegion(area).subtracted(painted).isEmpty();
    }
    void Clear() { painted = QRegion(); }
    QRegion painted;
};

// Lets the paints that the last input asked for happen.
void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

bool Has(const std::vector<std::string>& events, const std::string& event) {
    return std::find(events.begin(), events.end(), event) != events.end();
}

// ---------------------------------------------------------------- which sprites react

TEST(KeyboardReacting, TheCodesThatDoSomethingOnAClick) {
    std::set<int32_t> card, scene;
    for (int32_t code = -1; code <= kClickActionCount; ++code) {
        if (CKeyboardAccess::ClickDoesSomething(code, false)) card.insert(code);
        if (CKeyboardAccess::ClickDoesSomething(code, true)) scene.insert(code);
    }
    // Not 0, the tracks 10, 13 and 22, the buttons 19 to 21 without behaviour, the knobs 9, 12 and 23.
    EXPECT_EQ(card, (std::set<int32_t>{1,  2,  3,  4,  5,  6,  7,  8,  11, 14, 15, 16,
                                       17, 18, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33}));
    EXPECT_EQ(scene, (std::set<int32_t>{1, 11, 14, 15, 28, 29, 30, 31}));
}

// ---------------------------------------------------------------- focus

TEST(KeyboardFocus, TabGoesFromTheFrontMostToTheRearMostAndWraps) {
    LumeoWindow w;
    TitleBuilder b;
    BuildKeysTitle(b);
    ASSERT_TRUE(w.Play(b));
    std::vector<int32_t> order;
    for (CSprite* s : w.Focus().ReactingSprites()) order.push_back(s->GetNumber());
    // Planes 1, 2, 4, 6, 8; the knob, the bar, the sprite without action and the hidden ones are skipped.
    EXPECT_EQ(order, (std::vector<int32_t>{1, 2, 4, 6, 15}));
    std::vector<int32_t> visited;
    for (int i = 0; i < 6; ++i) {
        w.Key(Qt::Key_Tab);
        visited.push_back(w.FocusedNumber());
    }
    EXPECT_EQ(visited, (std::vector<int32_t>{1, 2, 4, 6, 15, 1}));
    visited.clear();
    for (int i = 0; i < 3; ++i) {
        w.Key(Qt::Key_Tab, Qt::ShiftModifier);
        visited.push_back(w.FocusedNumber());
    }
    EXPECT_EQ(visited, (std::vector<int32_t>{15, 6, 4}));
    // Tab stays in the card view: Qt's own focus chain does not take it away.
    EXPECT_TRUE(w.Widget().hasFocus());
}

TEST(KeyboardFocus, ShiftTabFromNothingStartsAtTheRearMost) {
    LumeoWindow w;
    TitleBuilder b;
    BuildKeysTitle(b);
    ASSERT_TRUE(w.Play(b));
    QTest::keyClick(&w.Widget(), Qt::Key_Backtab);
    EXPECT_EQ(w.FocusedNumber(), 15);
}

TEST(KeyboardFocus, MovingTheFocusRunsTheMoveActionsAsThePointerWould) {
    LumeoWindow w;
    TitleBuilder b;
    BuildKeysTitle(b);
    ASSERT_TRUE(w.Play(b));
    const size_t start = w.trace.events.size();
    w.Key(Qt::Key_Tab);
    EXPECT_TRUE(w.Number(21)->IsVisible()) << "sprite 1's move action shows 21";
    w.Key(Qt::Key_Tab);
    EXPECT_FALSE(w.Number(21)->IsVisible()) << "leaving sprite 1 hides it again";
    EXPECT_EQ(w.Events(start), (std::vector<std::string>{"enter 1 3", "leave 1 3", "enter 2 0"}));
    EXPECT_EQ(w.app->View().Hovered(), w.Number(2));
    // Escape drops the focus, and the hover goes as when the pointer leaves for empty space.
    w.Key(Qt::Key_Escape);
    EXPECT_EQ(w.Focus().Focused(), nullptr);
    EXPECT_EQ(w.Events(start).back(), "leave 2 0");
}

TEST(KeyboardFocus, EnterAndSpaceClickTheFocusedSpriteThroughTheClickPath) {
    LumeoWindow w;
    TitleBuilder b;
    BuildKeysTitle(b);
    ASSERT_TRUE(w.Play(b));
    w.Key(Qt::Key_Return);  // nothing focused: nothing happens
    EXPECT_FALSE(Has(w.trace.events, "click 1 24 20"));
    w.Key(Qt::Key_Tab);
    ASSERT_FALSE(w.Number(20)->IsVisible());
    w.Key(Qt::Key_Return);
    EXPECT_TRUE(w.Number(20)->IsVisible());
    EXPECT_TRUE(Has(w.trace.events, "click 1 24 20"));
    EXPECT_EQ(w.FocusedNumber(), 1) << "a sprite that still reacts keeps the focus";
    // The click's prelude forgets the hover: the next move of the focus enters again, as after a
    // mouse click.
    EXPECT_EQ(w.app->View().Hovered(), nullptr);
    w.Number(20)->SetVisible(false);
    const size_t before = w.trace.events.size();
    w.Key(Qt::Key_Space);
    EXPECT_TRUE(w.Number(20)->IsVisible());
    EXPECT_EQ(w.Events(before), (std::vector<std::string>{"click 1 24 20"}));
}

TEST(KeyboardFocus, ASpriteHiddenByAnActionOrByTheNextCardLosesTheFocus) {
    LumeoWindow w;
    TitleBuilder b;
    BuildKeysTitle(b);
    ASSERT_TRUE(w.Play(b));
    for (int i = 0; i < 3; ++i) w.Key(Qt::Key_Tab);
    ASSERT_EQ(w.FocusedNumber(), 4);
    EXPECT_EQ(w.Widget().accessibleName(), "Ocultar");
    w.Key(Qt::Key_Enter);  // sprite 4 hides itself
    EXPECT_FALSE(w.Number(4)->IsVisible());
    EXPECT_EQ(w.Focus().Focused(), nullptr);
    EXPECT_EQ(w.Widget().accessibleName(), "Lumeo");
    // Tab goes on from the front again, without the hidden sprite.
    w.Key(Qt::Key_Tab);
    w.Key(Qt::Key_Tab);
    ASSERT_EQ(w.FocusedNumber(), 2);
    w.Key(Qt::Key_Return);  // next card, whose deactivation list hides sprite 2
    EXPECT_EQ(w.app->View().GetDocument()->GetCurrentCard(), 1);
    EXPECT_EQ(w.Focus().Focused(), nullptr);
    std::vector<int32_t> order;
    for (CSprite* s : w.Focus().ReactingSprites()) order.push_back(s->GetNumber());
    EXPECT_EQ(order, (std::vector<int32_t>{1, 6, 15}));
}

TEST(KeyboardFocus, AnotherTitleDropsTheFocusAndOffersItsOwnSprites) {
    LumeoWindow w;
    TitleBuilder other;
    other.Doc().SetBackground(GradientBackground());
    other.Clicking(7, 400, 10, kActionNextCard, {}, 40, 20).SetText("Otra");
    other.Card();
    other.Save(w.folder.Path("other.fca"));
    TitleBuilder b;
    BuildKeysTitle(b);
    ASSERT_TRUE(w.Play(b));
    for (int i = 0; i < 4; ++i) w.Key(Qt::Key_Tab);
    ASSERT_EQ(w.FocusedNumber(), 6);
    w.Key(Qt::Key_Return);  // previous card on the first card: opens other.fca
    ASSERT_TRUE(Has(w.trace.events, "card other.fca 0/1"));
    EXPECT_EQ(w.Focus().Focused(), nullptr);
    EXPECT_EQ(w.Widget().accessibleName(), "Lumeo");
    w.Key(Qt::Key_Tab);
    EXPECT_EQ(w.FocusedNumber(), 7);
    EXPECT_EQ(w.Widget().accessibleName(), "Otra");
}

TEST(KeyboardFocus, TheAccessibleNameIsTheSpritesTextOrElseItsActionsLabel) {
    LumeoWindow w;
    TitleBuilder b;
    BuildKeysTitle(b);
    b.Doc().GetSpriteList().FindByNumber(1)->SetText(
        "Espa\xF1"
        "a");
    ASSERT_TRUE(w.Play(b));
    EXPECT_EQ(w.Widget().accessibleName(), "Lumeo");
    w.Key(Qt::Key_Tab);
    EXPECT_EQ(w.Widget().accessibleName(), QString::fromUtf8("España"));
    w.Key(Qt::Key_Tab);
    EXPECT_EQ(w.Widget().accessibleName(), "Cards - Next card");
    EXPECT_EQ(w.Focus().FocusName(), "Cards - Next card");
    // What assistive technology reads through Qt's accessibility interface of the card view.
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&w.Widget());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Cards - Next card");
}

TEST(KeyboardFocus, InASceneOnlyItsOwnCodesReactAndTheFocusShowsTheSecondFrame) {
    PlayerFixture f;
    RegisterTitleClasses();
    CAnimDoc scene(Variant::player);
    scene.GetSpriteList().Insert(MakeSprite(1, 10, 10, 20, 10, 3));
    scene.GetSpriteList().FindByNumber(1)->SetClickAction(kActionShowMenu);
    scene.GetSpriteList().Insert(MakeSprite(2, 50, 10, 20, 10, 3));
    scene.GetSpriteList().FindByNumber(2)->SetClickAction(kActionLinkToUrl);  // nothing in a scene
    scene.GetSpriteList().Insert(MakeSprite(3, 90, 10, 20, 10, 3));
    scene.GetSpriteList().FindByNumber(3)->SetClickAction(kActionPlaySound);
    f.view.SetDocument(&scene);
    ASSERT_TRUE(f.view.IsSceneMode());
    CCardKeys keys(f.view);
    auto frame = [&](int32_t n) {
        return static_cast<CPhasedSprite*>(scene.GetSpriteList().FindByNumber(n))->GetCurrentFrame();
    };
    keys.Run(PlayerCommand::focusNext, false);
    const int32_t first = keys.Focus().Focused()->GetNumber();
    keys.Run(PlayerCommand::focusNext, false);
    const int32_t second = keys.Focus().Focused()->GetNumber();
    EXPECT_EQ((std::set<int32_t>{first, second}), (std::set<int32_t>{1, 3}));
    EXPECT_EQ(frame(second), 1) << "the scene's hover";
    EXPECT_EQ(frame(first), 0) << "left again";
    keys.Run(PlayerCommand::focusNext, false);
    EXPECT_EQ(keys.Focus().Focused()->GetNumber(), first) << "sprite 2 is skipped, the focus wraps";
    f.view.SetDocument(nullptr);
}

// ---------------------------------------------------------------- drawing

// The widget pixel at card pixel (x, y) at the window's scale.
QRgb At(const QImage& shown, int scale, int x, int y) {
    return shown.pixel(x * scale + scale / 2, y * scale + scale / 2) & 0xFFFFFF;
}

constexpr QRgb kAmber = 0xFFD800;    // kRingColour as Qt gives it
constexpr QRgb kSkyBlue = 0x00C8FF;  // kOutlineColour

TEST(KeyboardDrawing, TheRingIsDrawnOverTheCardScaledWithItAndNeverIntoTheBuffer) {
    LumeoWindow w;
    TitleBuilder b;
    BuildKeysTitle(b);
    ASSERT_TRUE(w.Play(b, "keys.fca", 2));
    const QImage before = w.Shown();
    EXPECT_NE(At(before, 2, 100, 10), kAmber);
    w.Key(Qt::Key_Tab);
    w.Key(Qt::Key_Tab);  // sprite 2 at (100, 10), 40 x 20
    const QImage shown = w.Shown();
    // Two card pixels of amber inside the sprite's edge, each a 2 x 2 square of the window, then black.
    for (int d : {0, 1}) {
        EXPECT_EQ(At(shown, 2, 100 + d, 20), kAmber) << d;
        EXPECT_EQ(At(shown, 2, 139 - d, 20), kAmber) << d;
        EXPECT_EQ(At(shown, 2, 120, 10 + d), kAmber) << d;
        EXPECT_EQ(At(shown, 2, 120, 29 - d), kAmber) << d;
    }
    EXPECT_EQ(shown.pixel(200, 40) & 0xFFFFFF, kAmber)
        << "the window pixel (200, 40) is card pixel (100, 20)";
    EXPECT_EQ(shown.pixel(203, 40) & 0xFFFFFF, kAmber);
    EXPECT_EQ(At(shown, 2, 102, 20), 0u) << "the ring's black inner edge";
    EXPECT_EQ(At(shown, 2, 98, 20), At(before, 2, 98, 20)) << "nothing outside the sprite";
    // The buffer under the ring is the sprite's own black.
    const uint8_t* p = w.app->View().GetBuffer()->GetPixelAddress(100, 20);
    EXPECT_EQ(p[0] | p[1] | p[2], 0);
    // The ring moves with the focus and leaves nothing behind.
    w.Key(Qt::Key_Tab);
    const QImage after = w.Shown();
    EXPECT_EQ(At(after, 2, 100, 20), At(before, 2, 100, 20));
    EXPECT_EQ(At(after, 2, 300, 20), kAmber);
}

TEST(KeyboardDrawing, HoldingAltOutlinesEverySpriteThatReacts) {
    LumeoWindow w;
    TitleBuilder b;
    BuildKeysTitle(b);
    ASSERT_TRUE(w.Play(b));
    QTest::keyPress(&w.Widget(), Qt::Key_Alt);
    EXPECT_TRUE(w.Focus().Outlines());
    QImage shown = w.Shown();
    for (int32_t n : {1, 2, 4, 6, 15}) {
        const platform::Rect r = w.Number(n)->GetRect();
        EXPECT_EQ(At(shown, 1, r.left, r.top + 5), kSkyBlue) << n;
        EXPECT_EQ(At(shown, 1, r.right - 1, r.top + 5), kSkyBlue) << n;
    }
    EXPECT_NE(At(shown, 1, 200, 15), kSkyBlue) << "sprite 3 has no click action";
    EXPECT_NE(At(shown, 1, 100, 403), kSkyBlue) << "the volume knob is dragged, not clicked";
    Settle();
    PaintRecorder paints(w.Widget());
    QTest::keyRelease(&w.Widget(), Qt::Key_Alt);
    EXPECT_FALSE(w.Focus().Outlines());
    Settle();
    for (int32_t n : {1, 2, 4, 6, 15}) EXPECT_TRUE(paints.Covers(w.Number(n)->GetRect())) << n;
    // The focus ring too asks for its old and new places to be painted.
    w.Key(Qt::Key_Tab);
    Settle();
    paints.Clear();
    w.Key(Qt::Key_Tab);
    Settle();
    EXPECT_TRUE(paints.Covers(w.Number(1)->GetRect()));
    EXPECT_TRUE(paints.Covers(w.Number(2)->GetRect()));
    shown = w.Shown();
    EXPECT_NE(At(shown, 1, 10, 15), kSkyBlue);
    EXPECT_NE(At(shown, 1, 240, 405), kSkyBlue);
    // Alt released in another window is never heard: losing the focus ends the outlines.
    QTest::keyPress(&w.Widget(), Qt::Key_Alt);
    ASSERT_TRUE(w.Focus().Outlines());
    w.app->View().FocusLost();
    EXPECT_FALSE(w.Focus().Outlines());
}

// ---------------------------------------------------------------- volume

TEST(VolumeKeys, PlusAndMinusMoveTheVolumeInStepsClampedAndTheKnobFollows) {
    LumeoWindow w;
    w.sound.volume = 0x80008000u;  // 32768 on both channels
    TitleBuilder b;
    BuildKeysTitle(b);
    ASSERT_TRUE(w.Play(b));
    CSprite* knob = w.Number(12);
    EXPECT_EQ(knob->GetX(), 100 + 100 * 32768 / 65535);
    const size_t start = w.trace.events.size();
    w.Key(Qt::Key_Plus);
    EXPECT_EQ(w.sound.volume, 36864u * 65537u);
    EXPECT_EQ(knob->GetX(), 100 + 100 * 36864 / 65535);
    w.Key(Qt::Key_Minus);
    w.Key(Qt::Key_Minus);
    EXPECT_EQ(w.sound.volume, 28672u * 65537u);
    EXPECT_EQ(w.Events(start),
              (std::vector<std::string>{"volume 36864 36864", "volume 32768 32768", "volume 28672 28672"}));
    for (int i = 0; i < 20; ++i) w.Key(Qt::Key_Equal);  // '=' is '+' without Shift
    EXPECT_EQ(w.sound.volume, 0xFFFFFFFFu);
    EXPECT_EQ(knob->GetX(), 200) << "the right end of the bar";
    const size_t atTop = w.trace.events.size();
    w.Key(Qt::Key_Plus);
    EXPECT_EQ(w.trace.events.size(), atTop) << "no change, no event";
    for (int i = 0; i < 20; ++i) w.Key(Qt::Key_Minus);
    EXPECT_EQ(w.sound.volume, 0u);
    EXPECT_EQ(knob->GetX(), 100);
    EXPECT_EQ(w.trace.events.back(), "volume 0 0");
}

TEST(VolumeKeys, MTogglesMuteAsTheMuteSpritesDoAndTheVolumeKeysWaitWhileMuted) {
    LumeoWindow w;
    w.sound.volume = 0x40003000u;  // the two channels differ
    TitleBuilder b;
    BuildKeysTitle(b);
    ASSERT_TRUE(w.Play(b));
    ASSERT_TRUE(w.Number(15)->IsVisible());
    ASSERT_FALSE(w.Number(14)->IsVisible());
    const size_t start = w.trace.events.size();
    w.Key(Qt::Key_M);
    EXPECT_TRUE(w.app->RunStateOf().Muted());
    EXPECT_EQ(w.sound.volume, 0u);
    EXPECT_FALSE(w.Number(15)->IsVisible());
    EXPECT_TRUE(w.Number(14)->IsVisible());
    EXPECT_TRUE(w.Number(12)->IsDisabled());
    w.Key(Qt::Key_Plus);
    EXPECT_EQ(w.sound.volume, 0u) << "the knob is disabled while muted, and so are its keys";
    w.Key(Qt::Key_M);
    EXPECT_FALSE(w.app->RunStateOf().Muted());
    EXPECT_EQ(w.sound.volume, 0x40003000u) << "both channels come back as they were";
    EXPECT_TRUE(w.Number(15)->IsVisible());
    EXPECT_FALSE(w.Number(14)->IsVisible());
    EXPECT_FALSE(w.Number(12)->IsDisabled());
    EXPECT_EQ(w.Events(start), (std::vector<std::string>{"volume 0 0 muted", "volume 12288 16384"}));
}

TEST(VolumeKeys, WithoutASoundDeviceTheKeysDoNothing) {
    LumeoWindow w;
    w.sound.devices = 0;
    w.sound.volume = 0x80008000u;
    TitleBuilder b;
    BuildKeysTitle(b);
    ASSERT_TRUE(w.Play(b));
    w.Key(Qt::Key_Plus);
    w.Key(Qt::Key_M);
    EXPECT_EQ(w.sound.volume, 0x80008000u);
    EXPECT_FALSE(w.app->RunStateOf().Muted());
}

// ---------------------------------------------------------------- F12

// A title for pictures: a background, a transparent sprite over an opaque one, texts.
void BuildPictureTitle(TitleBuilder& b) {
    b.Doc().SetBackground(GradientBackground());
    CPhasedSprite& front = b.Clicking(1, 50, 40, kActionNextCard, {}, 60, 30);
    front.SetPlane(1);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x) {
            uint8_t* p = front.GetPixelAddress(x, y);
            const bool hole = (x / 10 + y / 10) % 2 == 0;
            p[0] = hole ? 255 : 20;
            p[1] = hole ? 255 : 200;
            p[2] = hole ? 255 : 40;
        }
    front.ComputeTransparentColour();
    front.SetTransparent(true);
    b.Clicking(2, 80, 50, kActionNextCard, {}, 100, 50).SetPlane(5);
    CFicha& card = b.Card();
    auto text = MakeText("t", "Una ficha con texto que se parte en varias l\xEDneas.", {300, 200, 420, 300});
    text->colour = 0x000000FF;
    text->height = 18;
    card.texts.Add(std::move(text));
    b.Card();
}

QImage ComposedByFcatool(const std::string& path, int card) {
    CFichaDoc doc(Variant::player);
    std::string message;
    EXPECT_TRUE(fcatool::LoadTitle(path, doc, false, nullptr, message)) << message;
    EXPECT_TRUE(doc.GoToCard(card));
    return ui::ComposeCard(doc);
}

TEST(CardPictureKey, F12WritesTheCardAsFcatoolRendersItBesideTheTitleWithoutOverwriting) {
    LumeoWindow w;
    TitleBuilder b;
    BuildPictureTitle(b);
    ASSERT_TRUE(w.Play(b, "pics.fca", 2));
    // The ring, the outlines and the inspector are on, and none of them is in the picture.
    w.Key(Qt::Key_Tab);
    QTest::keyPress(&w.Widget(), Qt::Key_Alt);
    w.Key(Qt::Key_F2);
    QTest::mouseMove(&w.Widget(), QPoint(120, 100));
    QCoreApplication::processEvents();
    ASSERT_TRUE(w.Inspector().IsOn());
    ASSERT_NE(w.Focus().Focused(), nullptr);
    w.Key(Qt::Key_F12);
    QTest::keyRelease(&w.Widget(), Qt::Key_Alt);
    const std::string first = w.folder.Path("pics-card0-1.png");
    ASSERT_TRUE(std::filesystem::exists(first));
    const QImage expected = ComposedByFcatool(w.folder.Path("pics.fca"), 0);
    const QImage written = QImage(QString::fromStdString(first)).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(written.size(), QSize(640, 480)) << "the card's own size, not the window's";
    EXPECT_EQ(written, expected);
    // The text is really there: red pixels inside its rectangle.
    int red = 0;
    for (int y = 200; y < 300; ++y)
        for (int x = 300; x < 420; ++x) red += (written.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
    EXPECT_GT(red, 20);
    // A second picture of the same card takes the next name, the first stays as it was.
    const auto firstTime = std::filesystem::last_write_time(first);
    w.Key(Qt::Key_F12);
    EXPECT_TRUE(std::filesystem::exists(w.folder.Path("pics-card0-2.png")));
    EXPECT_EQ(std::filesystem::last_write_time(first), firstTime);
    // On the next card the number follows the card.
    w.app->View().Keys().Focus().Drop();
    w.Key(Qt::Key_Tab);
    w.Key(Qt::Key_Return);
    ASSERT_EQ(w.app->View().GetDocument()->GetCurrentCard(), 1);
    w.Key(Qt::Key_F12);
    const std::string second = w.folder.Path("pics-card1-1.png");
    ASSERT_TRUE(std::filesystem::exists(second));
    EXPECT_EQ(QImage(QString::fromStdString(second)).convertToFormat(QImage::Format_RGB32),
              ComposedByFcatool(w.folder.Path("pics.fca"), 1));
    EXPECT_TRUE(Has(w.trace.events, "screenshot pics-card0-1.png"));
    EXPECT_TRUE(Has(w.trace.events, "screenshot pics-card1-1.png"));
}

// The view takes a new title's background without composing it, since every way of showing a title
// composes its whole card next: a title opened by a click shows its first card, lists applied, as fcatool
// renders it, and so does going back to the title it came from.
TEST(CardPictureKey, ATitleOpenedByAClickShowsItsFirstCardAsFcatoolRendersIt) {
    LumeoWindow w;
    TitleBuilder other;
    BuildPictureTitle(other);
    other.Doc().GetCards().GetAt(0)->deactivationList = "2";
    other.Doc().GetSpriteList().FindByNumber(1)->SetClickArguments({"first"});
    other.Save(w.folder.Path("second.fca"));
    TitleBuilder b;
    auto plain = std::make_unique<CDibJpeg>();
    plain->Create(640, 480, 3);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) plain->GetPixelAddress(x, y)[0] = 200;
    b.Doc().SetBackground(std::move(plain));
    b.Clicking(9, 300, 200, kActionNextCard, {"second"}, 40, 20);
    b.Card().texts.Add(MakeText("t", "Primera", {10, 10, 200, 60}));
    ASSERT_TRUE(w.Play(b, "first.fca"));
    auto click = [&](int32_t x, int32_t y) {
        w.app->View().OnLeftButtonDown({x, y});
        w.app->View().OnLeftButtonUp();
    };
    click(310, 205);
    ASSERT_EQ(w.trace.events.back(), "card second.fca 0/2");
    EXPECT_FALSE(w.Number(2)->IsVisible()) << "the card's list applied";
    EXPECT_EQ(CardPicture(w.app->View()), ComposedByFcatool(w.folder.Path("second.fca"), 0));

    // Through its last card, back to the first title.
    click(65, 45);  // on the sprite, not in one of its holes
    click(65, 45);  // on the sprite, not in one of its holes
    ASSERT_EQ(w.trace.events.back(), "card first.fca 0/1");
    EXPECT_EQ(CardPicture(w.app->View()), ComposedByFcatool(w.folder.Path("first.fca"), 0));
}

TEST(CardPictureKey, TheNoteSaysWhereThePictureWentAndGoesAwayByItself) {
    LumeoWindow w;
    TitleBuilder b;
    BuildPictureTitle(b);
    ASSERT_TRUE(w.Play(b, "pics.fca"));
    QLabel& note = w.app->PictureNote();
    EXPECT_FALSE(note.isVisible());
    w.app->SetNoteDuration(100);
    w.Key(Qt::Key_F12);
    EXPECT_TRUE(note.isVisible());
    EXPECT_TRUE(note.text().contains("pics-card0-1.png")) << note.text().toStdString();
    EXPECT_TRUE(note.text().startsWith("Imagen guardada en"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no box stops the title";
    QTRY_VERIFY_WITH_TIMEOUT(!note.isVisible(), 3000);
    EXPECT_FALSE(note.isVisible());
}

TEST(CardPictureKey, AFolderThatTakesNoFileSendsThePictureToThePicturesFolder) {
    LumeoWindow w;
    TitleBuilder b;
    BuildPictureTitle(b);
    ASSERT_TRUE(w.Play(b, "pics.fca"));
    // The title's folder goes away under the running title: nothing can be written there any more.
    const std::string pictures = w.folder.Path() + "-pictures";
    w.app->SetPicturesFolder(pictures);
    std::filesystem::remove_all(w.folder.Path());
    w.Key(Qt::Key_F12);
    EXPECT_TRUE(std::filesystem::exists(pictures + "/pics-card0-1.png"));
    EXPECT_TRUE(Has(w.trace.events, "screenshot pics-card0-1.png"));
    // Nowhere at all (the pictures folder would lie under a file): said on the card and in the trace.
    w.app->SetPicturesFolder(pictures + "/pics-card0-1.png/under-a-file");
    w.Key(Qt::Key_F12);
    EXPECT_TRUE(w.app->PictureNote().text().startsWith("No se pudo guardar"));
    EXPECT_EQ(w.trace.events.back(), "screenshot ");
    std::filesystem::remove_all(pictures);
}

TEST(CardPictureKey, WriteCardPictureNeverReplacesAFile) {
    ScratchFolder folder;
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    {
        std::ofstream taken(folder.Path("t-card2-1.png"));
        taken << "keep";
    }
    EXPECT_EQ(WriteCardPicture(image, folder.Path(), "t", 2), folder.Path("t-card2-2.png"));
    EXPECT_EQ(WriteCardPicture(image, folder.Path(), "t", 2), folder.Path("t-card2-3.png"));
    std::ifstream kept(folder.Path("t-card2-1.png"));
    std::string content;
    kept >> content;
    EXPECT_EQ(content, "keep");
    EXPECT_EQ(QImage(QString::fromStdString(folder.Path("t-card2-3.png"))).pixel(1, 1),
              QColor(Qt::red).rgb());
    EXPECT_FALSE(WriteCardPicture(image, folder.Path("t-card2-1.png"), "t", 2)) << "a file is no folder";
    EXPECT_FALSE(WriteCardPicture(image, "", "t", 2));
}

// ---------------------------------------------------------------- inspector

TEST(InspectorKey, F2ShowsTheSpriteUnderThePointerBesideItUntilF2Again) {
    LumeoWindow w;
    TitleBuilder b;
    BuildKeysTitle(b);
    b.Doc().GetSpriteList().FindByNumber(6)->SetMoveAction(kMoveActionPlaySound);
    b.Doc().GetSpriteList().FindByNumber(6)->SetMoveArgument(0, "sonidos\\paso.wav");
    b.Doc().GetSpriteList().FindByNumber(6)->SetClickArgument(1, "2");
    ASSERT_TRUE(w.Play(b));
    QTest::mouseMove(&w.Widget(), QPoint(410, 15));
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.Inspector().IsOn()) << "off by default";
    EXPECT_TRUE(w.Inspector().Box().IsEmpty());
    const QImage before = w.Shown();
    w.Key(Qt::Key_F2);
    EXPECT_EQ(w.Inspector().Lines(), (std::vector<std::string>{
                                         "x 410, y 15",
                                         "Sprite 6   plane 6   frame 0",
                                         "Click: Cards - Previous card (\"other\", \"2\")",
                                         "Move: Sound - Play a sound (\"sonidos\\paso.wav\")",
                                     }));
    platform::Rect box = w.Inspector().Box();
    EXPECT_EQ(box.top, 15 + 18) << "below the pointer";
    EXPECT_FALSE(box.Contains(410, 15)) << "beside the pointer, never under it";
    EXPECT_TRUE(box.left >= 424 || box.right <= 406) << box.left << " " << box.right;
    EXPECT_GE(box.left, 0);
    EXPECT_LE(box.right, 640);
    QImage shown = w.Shown();
    EXPECT_EQ(At(shown, 1, box.left + 1, box.top + 1), 0x181830u) << "the box is drawn over the card";
    // It follows the pointer, and where it was is painted again.
    Settle();
    PaintRecorder paints(w.Widget());
    QTest::mouseMove(&w.Widget(), QPoint(30, 450));
    Settle();
    EXPECT_TRUE(paints.Covers(box)) << "the old box";
    EXPECT_TRUE(paints.Covers(w.Inspector().Box())) << "the new box";
    EXPECT_EQ(w.Inspector().Lines()[1], "No sprite");
    const platform::Rect moved = w.Inspector().Box();
    EXPECT_LE(moved.bottom, 480) << "turned above the pointer at the foot of the card";
    EXPECT_LT(moved.bottom, 450);
    shown = w.Shown();
    EXPECT_EQ(At(shown, 1, box.left + 1, box.top + 1), At(before, 1, box.left + 1, box.top + 1));
    QTest::mouseMove(&w.Widget(), QPoint(20, 15));
    QCoreApplication::processEvents();
    EXPECT_EQ(w.Inspector().Lines()[2], "Click: Sprite - Show (\"20\")");
    EXPECT_EQ(w.Inspector().Lines()[3], "Move: Sprite - Show (\"21\")");
    const platform::Rect last = w.Inspector().Box();
    ASSERT_FALSE(last.IsEmpty());
    ASSERT_EQ(At(w.Shown(), 1, last.left + 1, last.bottom - 2), 0x181830u);
    Settle();
    paints.Clear();
    w.Key(Qt::Key_F2);
    Settle();
    EXPECT_TRUE(paints.Covers(last));
    EXPECT_TRUE(w.Inspector().Box().IsEmpty());
    EXPECT_EQ(At(w.Shown(), 1, last.left + 1, last.bottom - 2),
              At(before, 1, last.left + 1, last.bottom - 2));
}

TEST(InspectorKey, DescribeNamesCodesOutsideTheListsByNumber) {
    auto s = MakeSprite(9, 0, 0, 10, 10, 3, 4);
    s->SetClickAction(57);
    s->SetMoveAction(0);
    s->SetCurrentFrame(2);
    EXPECT_EQ(CInspector::Describe(s.get(), {1, 2}),
              (std::vector<std::string>{"x 1, y 2", "Sprite 9   plane 4   frame 2",
                                        "Click: 57 (no such action)", "Move: None"}));
}

// ---------------------------------------------------------------- the key table and --help

TEST(PlayerKeyTable, EveryKeyThePlayerHandlesIsInTheHelpAndNothingElseIsTaken) {
    const std::string help = PlayerHelpText();
    for (const PlayerKeyBinding& row : kPlayerKeys) {
        EXPECT_NE(help.find(row.keys), std::string::npos) << row.keys;
        EXPECT_NE(help.find(row.what), std::string::npos) << row.keys;
        for (const KeyChord& chord : row.chords) {
            if (chord.key == 0) continue;
            ui::KeyEvent event;
            event.key = chord.key;
            event.alt = chord.alt;
            event.control = chord.control;
            event.shift = chord.shift == ShiftRule::on;
            EXPECT_EQ(MatchPlayerKey(event), row.command) << row.keys;
        }
    }
    for (const char* key : {"F11", "Alt+Enter", "F12", "F2", "Tab", "Shift+Tab", "Escape", "+", "-", "M"})
        EXPECT_NE(help.find(key), std::string::npos) << key;
    // Keys outside the table are not taken by the card view: they go on to the frame.
    LumeoWindow w;
    TitleBuilder b;
    BuildKeysTitle(b);
    ASSERT_TRUE(w.Play(b));
    std::vector<int> others = {Qt::Key_F1, Qt::Key_F3,   Qt::Key_F10,    Qt::Key_0,
                               Qt::Key_9,  Qt::Key_Left, Qt::Key_Delete, Qt::Key_Home};
    for (int k = Qt::Key_A; k <= Qt::Key_Z; ++k)
        if (k != Qt::Key_M) others.push_back(k);
    for (int k : others) {
        ui::KeyEvent event;
        event.key = k;
        EXPECT_FALSE(MatchPlayerKey(event)) << k;
        EXPECT_FALSE(w.app->View().KeyPress(event)) << k;
    }
    // Ctrl changes a key into another one; Tab with Shift is not Tab.
    ui::KeyEvent ctrlM;
    ctrlM.key = Qt::Key_M;
    ctrlM.control = true;
    EXPECT_FALSE(MatchPlayerKey(ctrlM));
    ui::KeyEvent shiftTab;
    shiftTab.key = Qt::Key_Tab;
    shiftTab.shift = true;
    EXPECT_EQ(MatchPlayerKey(shiftTab), PlayerCommand::focusPrevious);
    ui::KeyEvent altEnter;
    altEnter.key = Qt::Key_Return;
    altEnter.alt = true;
    EXPECT_EQ(MatchPlayerKey(altEnter), PlayerCommand::fullScreen);
}

TEST(PlayerKeyTable, TheFrameTakesFullScreenFromTheSameTable) {
    LumeoWindow w;
    TitleBuilder b;
    BuildKeysTitle(b);
    ASSERT_TRUE(w.Play(b));
    ASSERT_FALSE(w.app->isFullScreen());
    w.Key(Qt::Key_F11);
    EXPECT_TRUE(w.app->windowState() & Qt::WindowFullScreen);
    w.Key(Qt::Key_Tab);
    ASSERT_EQ(w.FocusedNumber(), 1);
    w.Key(Qt::Key_Return, Qt::AltModifier);
    EXPECT_FALSE(w.app->windowState() & Qt::WindowFullScreen);
    EXPECT_FALSE(w.Number(20)->IsVisible()) << "Alt+Enter is not Enter: sprite 1 was not clicked";
}

}  // namespace
