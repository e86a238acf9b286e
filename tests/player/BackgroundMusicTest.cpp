// The background music of the titles the player enters: what starts, keeps or stops it, and that the
// trace tells it as it tells every other sound.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/player/PlayerTestSupport.h"

namespace {

using namespace player_test;

// The recording trace, telling looping sounds apart.
class MusicTrace : public RecordingTrace {
  public:
    void Sound(const std::string& file, bool loop) override {
        events.push_back("sound " + file + (loop ? " loop" : ""));
    }
};

struct MusicFixture : PlayerFixture {
    MusicFixture() { view.SetTrace(&musicTrace); }
    // The view lets go of the title it shows before the titles go.
    ~MusicFixture() {
        view.SetDocument(nullptr);
        host.docs.clear();
    }

    // A title of one card with its music and a "next card" button at (10, 10) that opens `next`.
    void Save(const std::string& name, const std::string& music, bool loop, bool stopPrevious,
              const std::string& next) {
        TitleBuilder b;
        b.Clicking(1, 10, 10, 2, {next});
        b.Card();
        b.Doc().backgroundMusic = music;
        b.Doc().loopMusic = loop ? 1 : 0;
        b.Doc().stopPreviousMusic = stopPrevious ? 1 : 0;
        b.Save(folder.Path(name));
    }
    // The sound events of the trace since the last call.
    std::vector<std::string> NewSoundEvents() {
        std::vector<std::string> found;
        for (size_t i = seen; i < musicTrace.events.size(); ++i)
            if (musicTrace.events[i].rfind("sound", 0) == 0) found.push_back(musicTrace.events[i]);
        seen = musicTrace.events.size();
        return found;
    }

    MusicTrace musicTrace;
    size_t seen = 0;
};

using Events = std::vector<std::string>;

TEST(PlayerMusic, EnteringTitlesStartsKeepsReplacesAndStopsTheMusicAndTracesEachChange) {
    MusicFixture f;
    f.Save("uno.fca", "Musica.wav", true, false, "dos");
    f.Save("dos.fca", "MUSICA.WAV", false, false, "tres");  // the same music in other letters
    f.Save("tres.fca", "otra.wav", false, false, "cuatro");
    f.Save("cuatro.fca", "", false, false, "cinco");  // no music, the music goes on
    f.Save("cinco.fca", "", false, true, "");         // no music, the music stops
    TitleBuilder start;
    start.Clicking(1, 10, 10, 2, {"uno"});
    start.Card();
    f.Show(start.Take());
    f.NewSoundEvents();

    f.Click(15, 15);
    EXPECT_EQ(f.NewSoundEvents(), (Events{"sound MUSICA.WAV loop"}));
    ASSERT_EQ(f.sound.plays.size(), 1u);
    EXPECT_TRUE(f.sound.plays[0].loop);
    // The music is reported when the title opens, before its card is entered.
    const auto& events = f.musicTrace.events;
    auto music = std::find(events.begin(), events.end(), "sound MUSICA.WAV loop");
    auto card = std::find(events.begin(), events.end(), "card uno.fca 0/1");
    ASSERT_NE(card, events.end());
    EXPECT_LT(music, card);

    f.Click(15, 15);
    EXPECT_EQ(f.NewSoundEvents(), Events{});
    EXPECT_EQ(f.sound.plays.size(), 1u);

    f.Click(15, 15);
    EXPECT_EQ(f.NewSoundEvents(), (Events{"sound OTRA.WAV"}));
    EXPECT_EQ(f.sound.plays.size(), 2u);

    f.Click(15, 15);
    EXPECT_EQ(f.NewSoundEvents(), Events{});
    EXPECT_EQ(f.sound.stops, 0);

    f.Click(15, 15);
    EXPECT_EQ(f.NewSoundEvents(), (Events{"sound-stop"}));
    EXPECT_EQ(f.sound.stops, 1);
    EXPECT_EQ(f.state.PlayingMusic(), "");
}

TEST(PlayerMusic, AnActionSoundReplacesTheMusicButTheSameMusicIsNotStartedAgain) {
    MusicFixture f;
    f.Save("uno.fca", "musica.wav", true, false, "dos");
    f.Save("dos.fca", "musica.wav", true, false, "");
    TitleBuilder start;
    start.Clicking(1, 10, 10, 2, {"uno"});
    start.Clicking(2, 50, 10, 11, {"campana.wav"});
    start.Card();
    f.Show(start.Take());
    f.Click(15, 15);
    EXPECT_EQ(f.NewSoundEvents(), (Events{"sound MUSICA.WAV loop"}));
    // The titles opened here have only the "next card" button; the bell is rung on the title itself.
    f.host.docs.back()->GetSpriteList().Insert(MakeSprite(2, 50, 10));
    f.Number(2)->SetClickAction(11);
    f.Number(2)->SetClickArgument(0, "campana.wav");
    f.Click(55, 15);
    EXPECT_EQ(f.NewSoundEvents(), (Events{"sound campana.wav"}));
    f.Click(15, 15);
    EXPECT_EQ(f.NewSoundEvents(), Events{});
    EXPECT_EQ(f.sound.plays.size(), 2u);
}

TEST(PlayerMusic, WithoutAWaveDeviceTheMusicIsNeitherStartedNorStoppedNorTraced) {
    MusicFixture f;
    f.sound.devices = 0;
    f.Save("uno.fca", "musica.wav", true, false, "dos");
    f.Save("dos.fca", "", false, true, "");
    TitleBuilder start;
    start.Clicking(1, 10, 10, 2, {"uno"});
    start.Card();
    f.Show(start.Take());
    f.Click(15, 15);
    f.Click(15, 15);
    EXPECT_EQ(f.NewSoundEvents(), Events{});
    EXPECT_TRUE(f.sound.plays.empty());
    EXPECT_EQ(f.sound.stops, 0);
}

}  // namespace
