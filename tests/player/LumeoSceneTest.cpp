// A single-scene file (".anm") opened by the program itself, as `lumeo scene.anm` opens it, and played
// with real mouse events on the program's window: the reduced behaviour of scenes, and the title a scene
// opens shown as a title.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "archive/Archive.h"
#include "model/AnimDoc.h"
#include "platform/File.h"
#include "platform/Shell.h"
#include "player/Lumeo.h"
#include "tests/player/PlayerTestSupport.h"

namespace {

using namespace player_test;

// The player program on a scratch folder, with the sound and the message box recorded.
struct ProgramFixture {
    ProgramFixture() : box(messages) {
        platform::SetSound(&sound);
        char here[4096];
        if (::getcwd(here, sizeof here)) startFolder = here;
    }
    ~ProgramFixture() {
        app.reset();
        platform::SetSound(nullptr);
    }

    // Opens `name` of the scratch folder in the program, without the credits, at scale 1.
    bool Start(const std::string& name) {
        PlayerOptions options;
        options.credits = false;
        options.scale = 1;
        options.windowed = true;
        app = std::make_unique<CPlayerApp>(options);
        app->View().SetTrace(&trace);
        app->resize(640, 480);
        return app->Start(folder.Path(name));
    }
    // Mouse events as the window system gives them, at a point of the card.
    void Send(QEvent::Type type, platform::Point card, Qt::MouseButton button = Qt::NoButton) {
        const QRectF place =
            app->ViewWidget().Layout().ClientToWidgetF({card.x, card.y, card.x + 1, card.y + 1});
        const QPointF at = place.center();
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        QMouseEvent event(type, at, app->ViewWidget().mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(&app->ViewWidget(), &event);
    }
    void Move(platform::Point card) { Send(QEvent::MouseMove, card); }
    void Click(platform::Point card) {
        Send(QEvent::MouseButtonPress, card, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, card, Qt::LeftButton);
    }
    CSprite* Number(int32_t n) { return app->Document()->GetSpriteList().FindByNumber(n); }
    bool Traced(const std::string& event) const {
        return std::find(trace.events.begin(), trace.events.end(), event) != trace.events.end();
    }

    ScratchFolder folder;
    std::string startFolder;
    platform::RecordingSound sound;
    platform::RecordingMessageBox messages;
    platform::ScopedMessageBox box;
    RecordingTrace trace;
    std::unique_ptr<CPlayerApp> app;
};

// A 320 x 240 scene with music: sprite 4 opens "tour" (at the card before its own number), sprite 6 rings
// a bell, sprite 8 is a link (nothing in a scene), sprite 9 ends the program; sprite 4 has three frames.
void SaveScene(const std::string& path) {
    RegisterTitleClasses();
    CAnimDoc scene(Variant::player);
    scene.OnNewDocument();
    scene.backgroundMusic = "musica.wav";
    auto add = [&](int32_t number, int32_t x, int32_t action, const std::string& argument, int frames = 1) {
        auto sprite = MakeSprite(number, x, 10, 20, 10, frames);
        sprite->SetClickAction(action);
        sprite->SetClickArgument(0, argument);
        scene.GetSpriteList().Insert(std::move(sprite));
    };
    add(4, 10, 1, "tour", 3);
    add(6, 50, 11, "campana.wav");
    add(8, 90, 32, "http://example.org/");
    add(9, 130, 31, "");
    platform::MemoryFile file;
    {
        CArchive ar(file, CArchive::store);
        scene.Serialize(ar);
        ar.Close();
    }
    platform::DiskFile out;
    out.Open(path, platform::DiskFile::Mode::write);
    out.Write(file.Bytes().data(), file.Bytes().size());
}

// A title of `cards` cards on a 640 x 480 background, whose card 3 shows sprite 20 (hidden elsewhere).
void SaveTour(const std::string& path, int cards) {
    TitleBuilder b;
    auto background = std::make_unique<CDibJpeg>();
    background->Create(640, 480, 3);
    background->Fill(0x804020);
    b.Doc().SetBackground(std::move(background));
    CPhasedSprite& shown = b.Sprite(20, 300, 300);
    shown.Fill(0x00C0FF);
    shown.SetVisible(false);
    for (int i = 0; i < cards; ++i) b.Card().activationList = i == 3 ? "20" : "";
    b.Save(path);
}

TEST(LumeoScene, TheProgramPlaysASceneWithItsReducedActions) {
    ProgramFixture f;
    SaveScene(f.folder.Path("INICIO.ANM"));
    ASSERT_TRUE(f.Start("INICIO.ANM")) << (f.messages.shown.empty() ? "" : f.messages.shown[0].text);
    ASSERT_TRUE(f.app->View().IsSceneMode());
    EXPECT_EQ(f.app->View().GetBuffer()->GetWidth(), 320);
    // The scene's music follows the rule of every title, and is traced as such.
    ASSERT_EQ(f.sound.plays.size(), 1u);
    EXPECT_TRUE(f.Traced("sound MUSICA.WAV"));
    // The folder of the scene became the current one.
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(f.folder.Path()));

    auto* opener = dynamic_cast<CPhasedSprite*>(f.Number(4));
    ASSERT_NE(opener, nullptr);
    f.Move({15, 15});
    EXPECT_EQ(opener->GetCurrentFrame(), 1);  // no move actions in a scene: the second frame
    f.Move({200, 200});
    EXPECT_EQ(opener->GetCurrentFrame(), 0);

    f.Click({55, 15});
    ASSERT_EQ(f.sound.plays.size(), 2u);
    EXPECT_EQ(f.sound.plays[1].path, "campana.wav");
    f.Click({95, 15});  // links do nothing in a scene
    EXPECT_FALSE(f.Traced("shell http://example.org/ 1"));
    EXPECT_FALSE(f.Traced("shell http://example.org/ 0"));
    // End ends at once, without the credits.
    f.Click({135, 15});
    EXPECT_TRUE(f.Traced("exit"));
    EXPECT_FALSE(f.Traced("open credits"));
    EXPECT_FALSE(f.app->isVisible());
    f.app.reset();
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(f.startFolder));
}

TEST(LumeoScene, ATitleOpenedFromASceneIsEnteredAsATitle) {
    ProgramFixture f;
    SaveScene(f.folder.Path("INICIO.ANM"));
    SaveTour(f.folder.Path("tour.fca"), 5);
    ASSERT_TRUE(f.Start("INICIO.ANM"));
    f.Click({15, 15});
    // Sprite 4 opens the title at card 4 - 1: the title replaces the scene in the same view.
    ASSERT_FALSE(f.app->View().IsSceneMode());
    ASSERT_NE(f.app->View().GetDocument(), nullptr);
    EXPECT_EQ(f.app->View().GetDocument()->GetCurrentCard(), 3);
    EXPECT_TRUE(f.Traced("card tour.fca 3/5"));
    // The card was applied (its activation list shows sprite 20) and composed at the title's size.
    ASSERT_NE(f.Number(20), nullptr);
    EXPECT_TRUE(f.Number(20)->IsVisible());
    EXPECT_EQ(f.app->View().GetBuffer()->GetWidth(), 640);
    EXPECT_EQ(f.app->ViewWidget().ViewSize().cx, 640);
    const uint8_t* pixel = f.app->View().GetBuffer()->GetPixelAddress(305, 305);
    const uint8_t* sprite = f.Number(20)->GetPixelAddress(5, 5);
    EXPECT_TRUE(std::equal(pixel, pixel + 3, sprite));
    // The title's cards run on with the full interpreter.
    f.Move({310, 305});
    f.Move({200, 200});
    EXPECT_TRUE(f.Traced("enter 20 0"));
    EXPECT_TRUE(f.Traced("leave 20 0"));
}

TEST(LumeoProgram, ALinkAndTheEndAreEachTracedOnce) {
    ProgramFixture f;
    platform::RecordingShell shell;
    platform::SetShell(&shell);
    TitleBuilder b;
    b.Clicking(1, 10, 10, 32, {"http://example.org/"});
    b.Clicking(2, 50, 10, 31);
    b.Card();
    b.Save(f.folder.Path("links.fca"));
    ASSERT_TRUE(f.Start("links.fca"));
    f.Click({15, 15});
    EXPECT_EQ(shell.opened, std::vector<std::string>{"http://example.org/"});
    // The end shows the credits first; they are closed as a person closes them.
    QTimer::singleShot(0, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    f.Click({55, 15});
    EXPECT_EQ(std::count(f.trace.events.begin(), f.trace.events.end(), "shell http://example.org/ 1"), 1);
    EXPECT_EQ(std::count(f.trace.events.begin(), f.trace.events.end(), "exit"), 1);
    EXPECT_EQ(std::count(f.trace.events.begin(), f.trace.events.end(), "open credits"), 1);
    f.app->close();
    EXPECT_EQ(std::count(f.trace.events.begin(), f.trace.events.end(), "exit"), 1);
    platform::SetShell(nullptr);
}

}  // namespace
