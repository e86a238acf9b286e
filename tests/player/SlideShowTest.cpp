#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/Dib.h"
#include "imaging/DibJpeg.h"
#include "platform/Cursor.h"
#include "platform/MessageBox.h"
#include "platform/Sound.h"
#include "player/SlideShow.h"
#include "player/SlideShowDlg.h"
#include "tests/player/FakeWipeClock.h"
#include "tests/support/Pixels.h"
#include "tests/support/QtApp.h"
#include "tests/support/ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

using namespace test_support;
using player_test::FakeWipeClock;

// --- local helpers ---

// Slides are JPEG files; quality 100 keeps a flat colour within this much of what was written.
constexpr int kJpegSlack = 4;

CDIB Solid(int32_t width, int32_t height, uint32_t colour) {
    CDIB dib;
    dib.Create(width, height, 3);
    dib.Fill(ColorRef(colour));
    return dib;
}

// A one-colour JPEG.
void WriteJpeg(const std::string& path, int32_t width, int32_t height, uint32_t colour) {
    CDibJpeg jpeg;
    jpeg.Create(width, height, 3);
    jpeg.Fill(ColorRef(colour));
    ASSERT_TRUE(jpeg.Save(path)) << path;
}

void WriteBmp(const std::string& path, int32_t width, int32_t height, uint32_t colour) {
    CDIB bmp = Solid(width, height, colour);
    ASSERT_TRUE(bmp.Save(path)) << path;
}

// True when a pixel as Qt gives it (0xAARRGGBB) is near enough to the colour to be the JPEG slide's.
bool NearRgb(QRgb pixel, uint32_t rrggbb) {
    return Near(pixel & 0xFFFFFF, rrggbb, kJpegSlack);
}

CSprite::Arguments Args(std::string background, std::string prefix, std::string directory,
                        std::string sound) {
    return {std::move(background), std::move(prefix), std::move(directory), std::move(sound)};
}

// Installs the recording sound, cursor and message box for one test, restoring the silent ones after.
class Doubles {
  public:
    Doubles() : messages_(messageBox) {
        platform::SetSound(&sound);
        platform::SetCursorService(&cursor);
    }
    ~Doubles() {
        platform::SetSound(nullptr);
        platform::SetCursorService(nullptr);
    }
    platform::RecordingSound sound;
    platform::RecordingCursor cursor;
    platform::RecordingMessageBox messageBox;

  private:
    platform::ScopedMessageBox messages_;
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
    int paints = 0;
};

void Send(QWidget& widget, QEvent* event) {
    QCoreApplication::sendEvent(&widget, event);
}

void ClickAt(QWidget& widget, Qt::MouseButton button) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(10, 10), button, button,
                      Qt::NoModifier);
    Send(widget, &press);
}

void Key(QWidget& widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    Send(widget, &press);
}

int CountPixels(const QImage& image, const std::function<bool(QRgb)>& accept) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (accept(row[x])) ++count;
    }
    return count;
}

// Waiting for the event loop gives up after a minute, so that a show that never plays its wipe fails
// instead of hanging; a slow (sanitizer) build stays well inside it.
bool WithinPatience(const QElapsedTimer& since) {
    return since.elapsed() < 60000;
}

}  // namespace

// --- listing ---

TEST(SlideListing, PatternJoinsDirectoryAndPrefixWithoutASeparatorBeforeTheStar) {
    EXPECT_EQ(SlidePattern("C:\\fotos", "a"), "C:\\fotos\\a*.jpg");
    EXPECT_EQ(SlidePattern("", "a"), "a*.jpg");
    EXPECT_EQ(SlidePattern("", ""), "*.jpg");
}

TEST(SlideListing, PatternMatchesAsAWindowsListingDid) {
    EXPECT_TRUE(MatchesWindowsPattern("a1.JPG", "a*.jpg"));
    EXPECT_TRUE(MatchesWindowsPattern("A1.jpg", "a*.jpg"));
    EXPECT_TRUE(MatchesWindowsPattern("a.jpg", "a*.jpg"));  // the star may stand for nothing
    EXPECT_TRUE(MatchesWindowsPattern("a.b.c.jpg", "*.jpg"));
    EXPECT_FALSE(MatchesWindowsPattern("b1.jpg", "a*.jpg"));
    EXPECT_FALSE(MatchesWindowsPattern("a1.jpeg", "a*.jpg"));
    EXPECT_FALSE(MatchesWindowsPattern("a1.jpg.bak", "a*.jpg"));
    EXPECT_FALSE(MatchesWindowsPattern("jpg", "*.jpg"));
    EXPECT_TRUE(MatchesWindowsPattern("ab1.jpg", "a?1*.jpg"));
    EXPECT_FALSE(MatchesWindowsPattern("a1.jpg", "a?1*.jpg"));
    // Accented letters of the code page match in either case as well.
    EXPECT_TRUE(MatchesWindowsPattern("\xC1rbol.jpg", "\xE1*.jpg"));
}

TEST(SlideListing, OrdinaryMatchingFilesSortedWithoutRegardToCase) {
    ScratchFolder dir;
    for (const char* name : {"b.jpg", "A.JPG", "a_2.jpg", "Cc.Jpg", "a.jpg", "aB.jpg", "c.png", "a.jpg.bak"})
        dir.Write(name);
    dir.MakeDir("d.jpg");  // a folder is not a slide
    SlideListing listing = ListSlides("", "", dir.Path());
    EXPECT_EQ(listing.folder, dir.Path());
    // Case-insensitive order, with '_' before the letters as the system's comparison had it; names equal
    // but for case keep a fixed order.
    EXPECT_EQ(listing.names,
              (std::vector<std::string>{"A.JPG", "a.jpg", "a_2.jpg", "aB.jpg", "b.jpg", "Cc.Jpg"}));
}

TEST(SlideListing, PrefixBeginsTheNamesAndTheFolderIsAWindowsName) {
    ScratchFolder dir;
    for (const char* name : {"fotos/foto1.jpg", "fotos/Foto2.JPG", "fotos/otra.jpg", "fotos/sub/foto3.jpg"})
        dir.Write(name);
    dir.Write("foto9.jpg");  // outside the folder
    // A CD path: drive and folder resolve against the base directory, without regard to case.
    SlideListing listing = ListSlides("C:\\FOTOS", "foto", dir.Path());
    EXPECT_EQ(listing.folder, dir.Path() + "/fotos");
    EXPECT_EQ(listing.names, (std::vector<std::string>{"foto1.jpg", "Foto2.JPG"}));
    EXPECT_EQ(ListSlides("Fotos\\Sub", "", dir.Path()).names, (std::vector<std::string>{"foto3.jpg"}));
    // A prefix is no folder: "sub\" begins no file name.
    EXPECT_TRUE(ListSlides("fotos", "sub\\", dir.Path()).names.empty());

    SlideListing missing = ListSlides("C:\\nada", "", dir.Path());
    EXPECT_TRUE(missing.names.empty());
}

TEST(SlideListing, SlidePathsAreFolderAndNameOrTheBareName) {
    EXPECT_EQ(SlidePath("", "a1.jpg"), "a1.jpg");
    EXPECT_EQ(SlidePath("/media/fotos", "a1.jpg"), "/media/fotos/a1.jpg");
    EXPECT_EQ(SlidePath("/", "a1.jpg"), "/a1.jpg");
}

TEST(SlideListing, WithoutADirectoryTheCurrentOneIsListedAndPathsAreBareNames) {
    Doubles doubles;
    ScratchFolder dir;
    WriteJpeg(dir.PathFor("uno.jpg"), 16, 16, kGreen);
    const fs::path previous = fs::current_path();
    fs::current_path(dir.Path());
    SlideListing listing = ListSlides("", "", "");
    EXPECT_EQ(listing.folder, "");
    EXPECT_EQ(listing.names, (std::vector<std::string>{"uno.jpg"}));
    // The bare name loads from the current directory.
    CSlideShow show(Args("", "", "", ""));
    EXPECT_TRUE(show.Start());
    fs::current_path(previous);
    EXPECT_TRUE(Near(PixelAt(*show.Composition(), 320, 240), kGreen, kJpegSlack));
    EXPECT_TRUE(doubles.messageBox.shown.empty());
}

// --- composition ---

TEST(SlideComposition, ASmallSlideIsCentredOverTheBackground) {
    CDIB background = Solid(640, 480, kBlue);
    CDIB picture = Solid(320, 240, kRed);
    CDIB composition = Solid(640, 480, 0);
    ComposeSlide(background, picture, composition);
    EXPECT_EQ(PixelAt(composition, 160, 120), kRed);
    EXPECT_EQ(PixelAt(composition, 479, 359), kRed);
    EXPECT_EQ(PixelAt(composition, 159, 120), kBlue);
    EXPECT_EQ(PixelAt(composition, 160, 119), kBlue);
    EXPECT_EQ(PixelAt(composition, 480, 359), kBlue);
    EXPECT_EQ(PixelAt(composition, 479, 360), kBlue);
    EXPECT_EQ(PixelAt(composition, 0, 0), kBlue);
    EXPECT_EQ(PixelAt(composition, 639, 479), kBlue);

    // An odd difference rounds toward zero: a 321 x 241 slide starts at (159, 119).
    CDIB odd = Solid(321, 241, kGreen);
    ComposeSlide(background, odd, composition);
    EXPECT_EQ(PixelAt(composition, 159, 119), kGreen);
    EXPECT_EQ(PixelAt(composition, 158, 119), kBlue);
    EXPECT_EQ(PixelAt(composition, 479, 359), kGreen);
    EXPECT_EQ(PixelAt(composition, 480, 360), kBlue);
}

TEST(SlideComposition, AFullSizeSlideCoversTheBackgroundExactly) {
    CDIB background = Solid(640, 480, kBlue);
    CDIB picture = Solid(640, 480, kRed);
    CDIB composition = Solid(640, 480, 0);
    ComposeSlide(background, picture, composition);
    for (auto [x, y] : {std::pair{0, 0}, {639, 0}, {0, 479}, {639, 479}, {320, 240}})
        EXPECT_EQ(PixelAt(composition, x, y), kRed) << x << "," << y;
}

TEST(SlideComposition, AnOversizeSlideShowsItsMiddleClippedToTheComposition) {
    CDIB background = Solid(640, 480, kBlue);
    CDIB picture;
    picture.Create(700, 500, 3);
    for (int32_t y = 0; y < 500; ++y)
        for (int32_t x = 0; x < 700; ++x) SetPixel(picture, x, y, uint8_t(x >> 8), uint8_t(y), uint8_t(x));
    CDIB composition = Solid(640, 480, kWhite);
    ComposeSlide(background, picture, composition);
    // The offsets are (-30, -10): the composition shows the slide from (30, 10) to (669, 489).
    EXPECT_EQ(PixelAt(composition, 0, 0), PixelAt(picture, 30, 10));
    EXPECT_EQ(PixelAt(composition, 639, 0), PixelAt(picture, 669, 10));
    EXPECT_EQ(PixelAt(composition, 0, 479), PixelAt(picture, 30, 489));
    EXPECT_EQ(PixelAt(composition, 639, 479), PixelAt(picture, 669, 489));
    EXPECT_EQ(PixelAt(composition, 320, 240), PixelAt(picture, 350, 250));
}

TEST(SlideComposition, ASmallBackgroundLeavesTheRestBlack) {
    CDIB background = Solid(100, 50, kGreen);
    CDIB picture = Solid(10, 10, kRed);
    picture.Clear();                             // a slide that failed to load holds no image
    CDIB composition = Solid(640, 480, kWhite);  // what the last slide left
    ComposeSlide(background, picture, composition);
    EXPECT_EQ(PixelAt(composition, 0, 0), kGreen);
    EXPECT_EQ(PixelAt(composition, 99, 49), kGreen);
    EXPECT_EQ(PixelAt(composition, 100, 0), 0u);
    EXPECT_EQ(PixelAt(composition, 0, 50), 0u);
    EXPECT_EQ(PixelAt(composition, 320, 240), 0u);
    EXPECT_EQ(PixelAt(composition, 639, 479), 0u);
}

TEST(SlideComposition, TheWindowIsCentredOnTheScreenOrAtTheCornerWhenTheScreenIsSmaller) {
    EXPECT_EQ(CentredWindowOrigin(1024, 768, 640, 480), (platform::Point{192, 144}));
    EXPECT_EQ(CentredWindowOrigin(1023, 767, 640, 480), (platform::Point{191, 143}));
    EXPECT_EQ(CentredWindowOrigin(640, 480, 640, 480), (platform::Point{0, 0}));
    EXPECT_EQ(CentredWindowOrigin(600, 400, 640, 480), (platform::Point{0, 0}));
    EXPECT_EQ(CentredWindowOrigin(639, 1000, 640, 480), (platform::Point{0, 260}));
}

// --- the show without its window ---

TEST(SlideShowRun, StartLoadsTheBackgroundAndTheFirstSlideThenEachTickTheNext) {
    Doubles doubles;
    ScratchFolder dir;
    WriteBmp(dir.PathFor("img/fondo.bmp"), 640, 480, kBlue);
    WriteJpeg(dir.PathFor("slides/s1.jpg"), 320, 240, kRed);
    WriteJpeg(dir.PathFor("slides/s2.jpg"), 320, 240, kGreen);
    WriteJpeg(dir.PathFor("slides/S3.JPG"), 640, 480, kWhite);
    CSlideShow show(Args("IMG\\FONDO.BMP", "s", "Slides", ""), dir.Path());
    ASSERT_TRUE(show.Start());
    EXPECT_EQ(show.FileCount(), 3);
    EXPECT_EQ(show.NextIndex(), 1);
    EXPECT_TRUE(show.ShowingFirstSlide());
    EXPECT_EQ(show.EffectIndex(), 0);
    const CDIB* composition = show.Composition();
    ASSERT_NE(composition, nullptr);
    EXPECT_EQ(composition->GetWidth(), 640);
    EXPECT_EQ(composition->GetHeight(), 480);
    EXPECT_EQ(composition->GetBitCount(), 24);
    EXPECT_TRUE(Near(PixelAt(*composition, 320, 240), kRed, kJpegSlack));
    EXPECT_EQ(PixelAt(*composition, 10, 10), kBlue);  // the background, read from the BMP exactly

    ASSERT_TRUE(show.Advance());
    EXPECT_FALSE(show.ShowingFirstSlide());
    EXPECT_EQ(show.EffectIndex(), 1);
    EXPECT_TRUE(Near(PixelAt(*show.Composition(), 320, 240), kGreen, kJpegSlack));
    EXPECT_EQ(PixelAt(*show.Composition(), 10, 10), kBlue);
    ASSERT_TRUE(show.Advance());
    EXPECT_EQ(show.EffectIndex(), 2);
    EXPECT_TRUE(Near(PixelAt(*show.Composition(), 10, 10), kWhite, kJpegSlack));
    // The list is exhausted: the show ends and nothing past it is read.
    EXPECT_FALSE(show.Advance());
    EXPECT_EQ(show.NextIndex(), 3);
    EXPECT_TRUE(doubles.messageBox.shown.empty());
    // Listing and each composition showed the wait cursor and took it away again.
    EXPECT_GE(doubles.cursor.calls.size(), 8u);
    EXPECT_EQ(doubles.cursor.depth, 0);
}

TEST(SlideShowRun, EffectsRunOneToFiveThenZeroForTheLaterSlides) {
    Doubles doubles;
    ScratchFolder dir;
    for (int i = 0; i < 9; ++i) WriteJpeg(dir.PathFor("p" + std::to_string(i) + ".jpg"), 8, 8, kRed);
    CSlideShow show(Args("", "", "", ""), dir.Path());
    ASSERT_TRUE(show.Start());
    std::vector<int> effects;
    while (show.Advance()) effects.push_back(show.EffectIndex());
    EXPECT_EQ(effects, (std::vector<int>{1, 2, 3, 4, 5, 0, 1, 2}));
}

TEST(SlideShowRun, AMissingOrEmptyBackgroundIsBlack) {
    Doubles doubles;
    ScratchFolder dir;
    WriteJpeg(dir.PathFor("a.jpg"), 8, 8, kRed);
    {
        CSlideShow show(Args("", "", "", ""), dir.Path());
        ASSERT_TRUE(show.Start());
        EXPECT_EQ(PixelAt(*show.Composition(), 0, 0), 0u);
        EXPECT_TRUE(doubles.messageBox.shown.empty());
    }
    {
        CSlideShow show(Args("no\\hay.jpg", "", "", ""), dir.Path());
        ASSERT_TRUE(show.Start());
        EXPECT_EQ(PixelAt(*show.Composition(), 0, 0), 0u);
        EXPECT_EQ(PixelAt(*show.Composition(), 639, 479), 0u);
        // The failed load says so, as loading a picture always did.
        ASSERT_EQ(doubles.messageBox.shown.size(), 1u);
        EXPECT_EQ(doubles.messageBox.shown[0].text, "Failed to open file");
    }
}

TEST(SlideShowRun, TheSoundPlaysOnceFromItsResolvedNameAndStopsOnce) {
    Doubles doubles;
    ScratchFolder dir;
    WriteJpeg(dir.PathFor("a.jpg"), 8, 8, kRed);
    dir.Write("snd/musica.wav");
    CSlideShow show(Args("", "", "", "C:\\SND\\MUSICA.WAV"), dir.Path());
    ASSERT_TRUE(show.Start());
    ASSERT_EQ(doubles.sound.plays.size(), 1u);
    EXPECT_EQ(doubles.sound.plays[0].path, dir.Path() + "/snd/musica.wav");
    EXPECT_FALSE(doubles.sound.plays[0].loop);
    show.Stop();
    EXPECT_EQ(doubles.sound.stops, 1);
    EXPECT_EQ(show.Composition(), nullptr);
    show.Stop();
    EXPECT_EQ(doubles.sound.stops, 1);
    EXPECT_FALSE(show.Advance());
}

TEST(SlideShowRun, WithoutASoundNothingIsPlayedOrStopped) {
    Doubles doubles;
    ScratchFolder dir;
    WriteJpeg(dir.PathFor("a.jpg"), 8, 8, kRed);
    {
        CSlideShow show(Args("", "", "", ""), dir.Path());
        ASSERT_TRUE(show.Start());
        show.Stop();
    }
    EXPECT_TRUE(doubles.sound.plays.empty());
    EXPECT_EQ(doubles.sound.stops, 0);
}

TEST(SlideShowRun, ASoundThatIsNotFoundIsStillAskedForByItsName) {
    Doubles doubles;
    ScratchFolder dir;
    WriteJpeg(dir.PathFor("a.jpg"), 8, 8, kRed);
    CSlideShow show(Args("", "", "", "m\xFAsica.wav"), dir.Path());
    ASSERT_TRUE(show.Start());
    ASSERT_EQ(doubles.sound.plays.size(), 1u);
    EXPECT_EQ(doubles.sound.plays[0].path, "m\xC3\xBAsica.wav");
}

TEST(SlideShowRun, NoSlideAtAllEndsAtOnce) {
    Doubles doubles;
    ScratchFolder dir;
    dir.Write("a.png");
    CSlideShow show(Args("", "", "", "x.wav"), dir.Path());
    EXPECT_FALSE(show.Start());
    EXPECT_EQ(show.FileCount(), 0);
    EXPECT_FALSE(show.Advance());
    show.Stop();
    EXPECT_EQ(doubles.sound.stops, 1);
}

TEST(SlideShowRun, ASlideThatFailsToLoadLeavesTheBackground) {
    Doubles doubles;
    ScratchFolder dir;
    WriteBmp(dir.PathFor("fondo.bmp"), 640, 480, kBlue);
    WriteJpeg(dir.PathFor("a1.jpg"), 100, 100, kRed);
    dir.Write("a2.jpg");  // not a JPEG stream
    CSlideShow show(Args("fondo.bmp", "a", "", ""), dir.Path());
    ASSERT_TRUE(show.Start());
    EXPECT_TRUE(Near(PixelAt(*show.Composition(), 320, 240), kRed, kJpegSlack));
    ASSERT_TRUE(show.Advance());
    EXPECT_EQ(PixelAt(*show.Composition(), 320, 240), kBlue);
    EXPECT_FALSE(doubles.messageBox.shown.empty());
}

// --- the window ---

namespace {

constexpr int kTicksByHand = 10 * 60 * 1000;

// Three full-window slides of distinct colours over a black background.
struct ThreeSlides {
    ThreeSlides() {
        WriteJpeg(dir.PathFor("f/1.jpg"), 640, 480, kRed);
        WriteJpeg(dir.PathFor("f/2.jpg"), 640, 480, kBlue);
        WriteJpeg(dir.PathFor("f/3.jpg"), 640, 480, kGreen);
    }
    // Tests that step the show by hand give the timer a period it never reaches, so that a slow run is
    // not overtaken by a real tick.
    SlideShowOptions Options(FakeWipeClock* clock, int scale = 1, int periodMs = kTicksByHand) const {
        SlideShowOptions options;
        options.scale = scale;
        options.periodMs = periodMs;
        options.clock = clock;
        options.baseDirectory = dir.Path();
        return options;
    }
    ScratchFolder dir;
};

}  // namespace

TEST(SlideShowWindow, OpensFramelessCentredWithTheFirstSlideAndASixSecondTimer) {
    Doubles doubles;
    ThreeSlides slides;
    FakeWipeClock clock;
    SlideShowOptions options;  // the player's own period
    options.clock = &clock;
    options.baseDirectory = slides.dir.Path();
    CSlideShowDlg dialog(nullptr, Args("", "", "f", "s.wav"), options);
    ASSERT_TRUE(dialog.InitDialog());
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.size(), QSize(640, 480));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const platform::Point origin = CentredWindowOrigin(screen.width(), screen.height(), 640, 480);
    EXPECT_EQ(dialog.pos(), QPoint(screen.left() + origin.x, screen.top() + origin.y));
    EXPECT_TRUE(dialog.TimerRunning());
    EXPECT_TRUE(dialog.Timer().isActive());
    EXPECT_EQ(dialog.Timer().interval(), 6000);
    EXPECT_FALSE(dialog.Timer().isSingleShot());
    EXPECT_EQ(dialog.Screen().size(), QSize(640, 480));
    EXPECT_TRUE(NearRgb(dialog.Screen().pixel(320, 240), kRed));

    // The first slide is drawn in one piece: no wipe plays for it.
    dialog.show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(clock.deadlines.empty());
    EXPECT_TRUE(NearRgb(dialog.grab().toImage().pixel(600, 400), kRed));
}

TEST(SlideShowWindow, EachLaterSlideIsWipedInStepByStepOnTheWindow) {
    Doubles doubles;
    ThreeSlides slides;
    FakeWipeClock clock;
    CSlideShowDlg dialog(nullptr, Args("", "", "f", ""), slides.Options(&clock));
    ASSERT_TRUE(dialog.InitDialog());
    dialog.show();
    QCoreApplication::processEvents();
    PaintCounter counter;
    dialog.installEventFilter(&counter);

    QElapsedTimer guard;
    guard.start();
    std::vector<int> uncovered;
    clock.onWait = [&] {
        uncovered.push_back(CountPixels(dialog.Screen(), [](QRgb p) { return NearRgb(p, kBlue); }));
    };
    dialog.OnTimer();  // the second slide, with the frame wipe
    EXPECT_EQ(dialog.SlideShow().EffectIndex(), 1);
    while (clock.deadlines.size() < 121 && WithinPatience(guard)) QCoreApplication::processEvents();
    ASSERT_EQ(clock.deadlines.size(), 121u);
    // Each step reached the window at once, and the new slide grew step by step until it was all there.
    EXPECT_GE(counter.paints, 121);
    for (size_t k = 1; k < uncovered.size(); ++k) EXPECT_GT(uncovered[k], uncovered[k - 1]) << "step " << k;
    EXPECT_EQ(uncovered.back(), 640 * 480);
    EXPECT_LT(uncovered.front(), 640 * 480 / 50);
    // Paced by deadline from one start: 10 ms a step.
    EXPECT_EQ(clock.deadlines.back() - clock.deadlines.front(), 120u * 10);

    clock.deadlines.clear();
    clock.onWait = nullptr;
    dialog.OnTimer();  // the third slide, with the diagonal bands
    EXPECT_EQ(dialog.SlideShow().EffectIndex(), 2);
    guard.restart();
    while (clock.deadlines.size() < 224 && WithinPatience(guard)) QCoreApplication::processEvents();
    EXPECT_EQ(clock.deadlines.size(), 224u);
    EXPECT_TRUE(NearRgb(dialog.Screen().pixel(0, 0), kGreen));
    EXPECT_TRUE(NearRgb(dialog.Screen().pixel(639, 479), kGreen));
    EXPECT_TRUE(NearRgb(dialog.grab().toImage().pixel(320, 240), kGreen));

    // Any later repaint plays the current wipe again.
    clock.deadlines.clear();
    dialog.update();
    guard.restart();
    while (clock.deadlines.size() < 224 && WithinPatience(guard)) QCoreApplication::processEvents();
    EXPECT_EQ(clock.deadlines.size(), 224u);
}

TEST(SlideShowWindow, AScaledWindowShowsEveryScreenPixelAsABlock) {
    Doubles doubles;
    ScratchFolder dir;
    WriteBmp(dir.PathFor("fondo.bmp"), 640, 480, kBlue);
    WriteJpeg(dir.PathFor("a.jpg"), 320, 240, kRed);
    SlideShowOptions options;
    options.scale = 2;
    options.baseDirectory = dir.Path();
    CSlideShowDlg dialog(nullptr, Args("fondo.bmp", "", "", ""), options);
    ASSERT_TRUE(dialog.InitDialog());
    EXPECT_EQ(dialog.size(), QSize(1280, 960));
    EXPECT_EQ(dialog.Screen().size(), QSize(640, 480));
    dialog.show();
    QCoreApplication::processEvents();
    const QImage shown = dialog.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(1280, 960));
    // The slide's edge at screen column 160 falls on window columns 320 and 321.
    EXPECT_TRUE(NearRgb(shown.pixel(319, 480), kBlue));
    EXPECT_TRUE(NearRgb(shown.pixel(320, 480), kRed));
    EXPECT_TRUE(NearRgb(shown.pixel(321, 481), kRed));
    EXPECT_TRUE(NearRgb(shown.pixel(958, 718), kRed));
    EXPECT_TRUE(NearRgb(shown.pixel(959, 719), kRed));
    EXPECT_TRUE(NearRgb(shown.pixel(960, 720), kBlue));
}

TEST(SlideShowWindow, ALeftClickEndsTheShowAndStopsTheSound) {
    Doubles doubles;
    ThreeSlides slides;
    FakeWipeClock clock;
    CSlideShowDlg dialog(nullptr, Args("", "", "f", "s.wav"), slides.Options(&clock));
    ASSERT_TRUE(dialog.InitDialog());
    dialog.show();
    ClickAt(dialog, Qt::RightButton);  // only the left button ends it
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(doubles.sound.stops, 0);
    ClickAt(dialog, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(doubles.sound.stops, 1);
    EXPECT_FALSE(dialog.TimerRunning());
    EXPECT_FALSE(dialog.Timer().isActive());
    EXPECT_EQ(dialog.SlideShow().Composition(), nullptr);
}

TEST(SlideShowWindow, EnterEscapeAndClosingEndItWithTheSoundStoppedOnce) {
    ThreeSlides slides;
    FakeWipeClock clock;
    struct Way {
        const char* name;
        std::function<void(CSlideShowDlg&)> end;
    };
    const std::vector<Way> ways = {
        {"Enter", [](CSlideShowDlg& d) { Key(d, Qt::Key_Return); }},
        {"keypad Enter", [](CSlideShowDlg& d) { Key(d, Qt::Key_Enter); }},
        {"Escape", [](CSlideShowDlg& d) { Key(d, Qt::Key_Escape); }},
        {"close", [](CSlideShowDlg& d) { d.close(); }},
    };
    for (const Way& way : ways) {
        Doubles doubles;
        CSlideShowDlg dialog(nullptr, Args("", "", "f", "s.wav"), slides.Options(&clock));
        ASSERT_TRUE(dialog.InitDialog());
        dialog.show();
        way.end(dialog);
        EXPECT_FALSE(dialog.isVisible()) << way.name;
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << way.name;
        EXPECT_EQ(doubles.sound.stops, 1) << way.name;
        EXPECT_FALSE(dialog.Timer().isActive()) << way.name;
    }
}

TEST(SlideShowWindow, TheTimerEndsTheShowAfterTheLastSlide) {
    Doubles doubles;
    ScratchFolder dir;
    WriteJpeg(dir.PathFor("solo.jpg"), 64, 64, kRed);
    FakeWipeClock clock;
    SlideShowOptions options;
    options.clock = &clock;
    options.periodMs = kTicksByHand;
    options.baseDirectory = dir.Path();
    CSlideShowDlg dialog(nullptr, Args("", "", "", "s.wav"), options);
    ASSERT_TRUE(dialog.InitDialog());
    dialog.show();
    dialog.OnTimer();  // one slide: the first tick ends the show
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(doubles.sound.stops, 1);
    EXPECT_TRUE(clock.deadlines.empty());
}

TEST(SlideShowWindow, AModalRunShowsEverySlideAndEndsByItself) {
    Doubles doubles;
    ThreeSlides slides;
    FakeWipeClock clock;
    // A period long enough for each wipe to begin before the next tick comes.
    CSlideShowDlg dialog(nullptr, Args("", "", "f", "s.wav"), slides.Options(&clock, 1, 500));
    // A show that does not end by itself is closed by this guard, and the checks below then fail.
    QTimer::singleShot(20000, &dialog, [&] { dialog.done(99); });
    int result = dialog.exec();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(dialog.isVisible());
    // Slide 2 came with the frames (121 steps) and slide 3 with the diagonal bands (224).
    EXPECT_EQ(clock.deadlines.size(), 121u + 224u);
    EXPECT_EQ(dialog.SlideShow().NextIndex(), 3);
    ASSERT_EQ(doubles.sound.plays.size(), 1u);
    EXPECT_EQ(doubles.sound.stops, 1);
}

TEST(SlideShowWindow, RunningAShowWithoutSlidesReturnsAtOnce) {
    Doubles doubles;
    ScratchFolder dir;
    dir.MakeDir("vacia");
    QElapsedTimer elapsed;
    elapsed.start();
    RunSlideShow(nullptr, Args("", "", dir.Path() + "/vacia", dir.Path() + "/s.wav"));
    EXPECT_LT(elapsed.elapsed(), 3000);
    EXPECT_EQ(doubles.sound.plays.size(), 1u);
    EXPECT_EQ(doubles.sound.stops, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
