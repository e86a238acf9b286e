// The player's volume kept between runs: the settings it is kept in, and the program reading it at start
// and keeping it at exit, with a mute undone first.
#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

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
}

TEST(VolumeMemory, TheProgramStartsAtTheVolumeItEndedWith) {
    ProgramVolume v;
    PlayerOptions options;
    options.credits = false;
    {
        CPlayerApp app(options);
        EXPECT_EQ(v.sound.volume, 0xFFFFFFFFu);  // nothing kept yet: the output's own
        v.sound.SetVolume(0x20004000u);
    }
    EXPECT_EQ(VolumeMemory().Load(), 0x20004000u);
    v.sound.volume = 0xFFFFFFFFu;
    CPlayerApp app(options);
    EXPECT_EQ(v.sound.volume, 0x20004000u);
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
