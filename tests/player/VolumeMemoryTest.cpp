// The player's volume kept between runs: the settings it is kept in, and the program reading it at start
// and keeping it at exit, with a mute undone first.
#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include "imaging/DibJpeg.h"
#include "player/Lumeo.h"
#include "player/VolumeMemory.h"
#include "tests/player/PlayerTestSupport.h"

namespace {

using namespace player_test;

TEST(VolumeMemory, KeepsTheWordAndRefusesWhatIsNoVolume) {
    ScratchFolder folder;
    const QString path = QString::fromStdString(folder.Path("lumeo.conf"));
    EXPECT_EQ(VolumeMemory(path).Load(), std::nullopt);
    VolumeMemory(path).Save(0x4000C000u);
    EXPECT_EQ(VolumeMemory(path).Load(), 0x4000C000u);
    VolumeMemory(path).Save(0xFFFFFFFFu);
    EXPECT_EQ(VolumeMemory(path).Load(), 0xFFFFFFFFu);
    VolumeMemory(path).Save(0);
    EXPECT_EQ(VolumeMemory(path).Load(), 0u);
    for (const char* bad : {"loud", "-1", "4294967296", "12abc", ""}) {
        QSettings(path, QSettings::IniFormat).setValue(VolumeMemory::kKey, bad);
        EXPECT_EQ(VolumeMemory(path).Load(), std::nullopt) << bad;
    }
}

// The program's own settings, in the toolkit's test folder that the test programs use.
struct ProgramVolume {
    ProgramVolume() {
        platform::SetSound(&sound);
        QFile::remove(VolumeMemory().FileName());
    }
    ~ProgramVolume() {
        QFile::remove(VolumeMemory().FileName());
        platform::SetSound(nullptr);
    }
    platform::RecordingSound sound;
};

TEST(VolumeMemory, TheProgramsSettingsAreItsOwnAndNeverTheUsersInTests) {
    ASSERT_TRUE(QStandardPaths::isTestModeEnabled());
    const QString file = VolumeMemory().FileName();
    EXPECT_TRUE(file.contains("qttest")) << file.toStdString();
    EXPECT_TRUE(file.contains("Orvanta")) << file.toStdString();
    EXPECT_TRUE(file.contains("Lumeo")) << file.toStdString();
#if defined(Q_OS_LINUX)
    // The very file the toolkit keeps the program's settings in here, read and written the same way.
    EXPECT_EQ(file, QSettings(VolumeMemory::kOrganisation, VolumeMemory::kApplication).fileName());
    QFile::remove(file);
    QSettings(VolumeMemory::kOrganisation, VolumeMemory::kApplication).setValue(VolumeMemory::kKey, "1234");
    EXPECT_EQ(VolumeMemory().Load(), 1234u);
    VolumeMemory().Save(77);
    EXPECT_EQ(QSettings(VolumeMemory::kOrganisation, VolumeMemory::kApplication).value(VolumeMemory::kKey),
              "77");
#else
    VolumeMemory().Save(77);
#endif
    // Keeping the volume that is kept already leaves the file alone (a rewrite would drop the comment).
    {
        QFile edited(file);
        ASSERT_TRUE(edited.open(QIODevice::WriteOnly | QIODevice::Truncate));
        edited.write("; kept by hand\n[sound]\nvolume=77\n");
    }
    VolumeMemory().Save(77);
    QFile kept(file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kept.readAll().startsWith("; kept by hand"));
    VolumeMemory().Save(78);
    EXPECT_EQ(VolumeMemory().Load(), 78u);
    QFile::remove(file);
}

// A title with music, and with a background whose decoding the open waits for when `background` is set.
std::string TitleWithMusic(test_support::ScratchFolder& folder, const std::string& name, bool background) {
    TitleBuilder b;
    b.Card();
    b.Doc().backgroundMusic = "musica.wav";
    if (background) {
        auto picture = std::make_unique<CDibJpeg>();
        picture->Create(640, 480, 3);
        for (int y = 0; y < 480; ++y) {
            uint8_t* row = picture->GetPixelAddress(0, y);
            for (int i = 0; i < 3 * 640; ++i) row[i] = static_cast<uint8_t>(i * 977 + y * 131);
        }
        b.Doc().SetBackground(std::move(picture));
    }
    b.Save(folder.Path(name));
    return folder.Path(name);
}

TEST(VolumeMemory, TheProgramStartsAtTheVolumeItEndedWith) {
    ProgramVolume v;
    test_support::ScratchFolder folder;
    PlayerOptions options;
    options.credits = false;
    {
        CPlayerApp app(options);
        EXPECT_EQ(v.sound.volume, 0xFFFFFFFFu);  // nothing kept yet: the output's own
        v.sound.SetVolume(0x20004000u);
    }
    EXPECT_EQ(VolumeMemory().Load(), 0x20004000u);
    // The kept volume is the output's before the first title's music starts, whether the open waited for a
    // background (and took it meanwhile) or not.
    for (const bool background : {true, false}) {
        v.sound.volume = 0xFFFFFFFFu;
        v.sound.plays.clear();
        CPlayerApp app(options);
        ASSERT_TRUE(app.Start(TitleWithMusic(folder, background ? "fondo.fca" : "plano.fca", background)));
        ASSERT_EQ(v.sound.plays.size(), 1u);
        EXPECT_EQ(v.sound.plays[0].volume, 0x20004000u) << background;
        EXPECT_EQ(v.sound.volume, 0x20004000u);
        // A run that changes nothing keeps what it found.
    }
    EXPECT_EQ(VolumeMemory().Load(), 0x20004000u);
    // A title that fails to open still leaves the kept volume in place, and a run that never opened one
    // keeps it as it was.
    v.sound.volume = 0xFFFFFFFFu;
    {
        platform::RecordingMessageBox quiet;
        platform::ScopedMessageBox scoped(quiet);
        CPlayerApp app(options);
        EXPECT_FALSE(app.Start(folder.Path("missing.fca")));
        EXPECT_EQ(v.sound.volume, 0x20004000u);
    }
    { CPlayerApp app(options); }
    EXPECT_EQ(VolumeMemory().Load(), 0x20004000u);
}

TEST(VolumeMemory, AMuteIsUndoneBeforeTheVolumeIsKept) {
    ProgramVolume v;
    PlayerOptions options;
    options.credits = false;
    {
        CPlayerApp app(options);
        // Muted as "Sound - Mute Off" mutes: the volume before the mute saved, the output silent.
        app.RunStateOf().SetMuted(true);
        app.RunStateOf().SetSavedVolume(0x30003000u);
        v.sound.SetVolume(0);
    }
    EXPECT_EQ(v.sound.volume, 0x30003000u);
    EXPECT_EQ(VolumeMemory().Load(), 0x30003000u);
}

}  // namespace
