#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/FileNames.h"
#include "tests/support/ScratchFolder.h"

using namespace platform;
using test_support::ScratchFolder;

namespace {
std::string Canonical(const std::optional<std::string>& p) {
    return p ? std::filesystem::weakly_canonical(*p).string() : std::string("<nothing>");
}
std::string Canonical(const std::string& p) {
    return std::filesystem::weakly_canonical(p).string();
}
}  // namespace

TEST(FileNames, RelativeNamesMatchEachComponentWithoutRegardToCase) {
    ScratchFolder dir;
    const std::string photo = dir.Write("Fotos/Playa/Foto1.bmp");
    EXPECT_EQ(Canonical(ResolveWindowsPath("FOTOS\\PLAYA\\FOTO1.BMP", dir.Path())), Canonical(photo));
    EXPECT_EQ(Canonical(ResolveWindowsPath("fotos/playa/foto1.bmp", dir.Path())), Canonical(photo));
    EXPECT_EQ(Canonical(ResolveWindowsPath(".\\Fotos\\\\Playa\\Foto1.bmp", dir.Path())), Canonical(photo));
    EXPECT_EQ(Canonical(ResolveWindowsPath("Fotos\\Otra\\..\\Playa\\foto1.BMP", dir.Path() + "/")),
              std::string("<nothing>"));  // "Otra" does not exist
    dir.MakeDir("Fotos/Otra");
    EXPECT_EQ(Canonical(ResolveWindowsPath("Fotos\\Otra\\..\\Playa\\foto1.BMP", dir.Path())),
              Canonical(photo));
    EXPECT_FALSE(ResolveWindowsPath("FOTOS\\PLAYA\\FOTO2.BMP", dir.Path()));
}

TEST(FileNames, AccentedNamesMatchThroughTheCodePage) {
    ScratchFolder dir;
    const std::string song = dir.Write(
        "Canci\xC3\xB3n/Ma\xC3\xB1"
        "ana.wav");  // Canción/Mañana.wav
    // Stored in Windows-1252 and in capitals: CANCIÓN\MAÑANA.WAV
    EXPECT_EQ(Canonical(ResolveWindowsPath("CANCI\xD3N\\MA\xD1"
                                           "ANA.WAV",
                                           dir.Path())),
              Canonical(song));
    EXPECT_EQ(Canonical(ResolveWindowsPath("canci\xF3n\\ma\xF1"
                                           "ana.wav",
                                           dir.Path())),
              Canonical(song));
    EXPECT_FALSE(ResolveWindowsPath("CANCION\\MANANA.WAV", dir.Path()));
}

TEST(FileNames, TheExactSpellingWinsAndAnotherCaseVariantIsTriedWhenItLeadsNowhere) {
    ScratchFolder dir;
    const std::string upper = dir.Write("DATA/a.bmp");
    const std::string lower = dir.Write("data/b.bmp");
    EXPECT_EQ(Canonical(ResolveWindowsPath("data\\A.BMP", dir.Path())), Canonical(upper));
    EXPECT_EQ(Canonical(ResolveWindowsPath("DATA\\B.BMP", dir.Path())), Canonical(lower));
    const std::string exact = dir.Write("DATA/c.bmp");
    dir.Write("data/c.bmp");
    EXPECT_EQ(Canonical(ResolveWindowsPath("DATA\\c.bmp", dir.Path())), Canonical(exact));
}

TEST(FileNames, OldCdPathsAreFoundUnderTheBaseByDroppingLeadingFolders) {
    ScratchFolder dir;
    const std::string flat = dir.Write("FOTO.BMP");
    const std::string nested = dir.Write("demo/otra.bmp");
    EXPECT_EQ(Canonical(ResolveWindowsPath("D:\\TITLES\\DEMO\\FOTO.BMP", dir.Path())), Canonical(flat));
    EXPECT_EQ(Canonical(ResolveWindowsPath("D:\\TITLES\\DEMO\\OTRA.BMP", dir.Path())), Canonical(nested));
    EXPECT_EQ(Canonical(ResolveWindowsPath("\\DEMO\\OTRA.BMP", dir.Path())), Canonical(nested));
    EXPECT_FALSE(ResolveWindowsPath("D:\\TITLES\\DEMO\\NADA.BMP", dir.Path()));
    // A relative name is taken as it stands: its folders are not dropped.
    EXPECT_FALSE(ResolveWindowsPath("TITLES\\FOTO.BMP", dir.Path()));
}

TEST(FileNames, AbsolutePathsOfThisMachineResolveAsTheyStand) {
    ScratchFolder dir;
    const std::string file = dir.Write("Sub/Clip.avi");
    EXPECT_EQ(Canonical(ResolveWindowsPath(file, "/nonexistent")), Canonical(file));
    std::string shouted = dir.Path() + "/SUB/CLIP.AVI";
    EXPECT_EQ(Canonical(ResolveWindowsPath(shouted, "/nonexistent")), Canonical(file));
    EXPECT_EQ(Canonical(ResolveWindowsPath("C:" + dir.Path() + "\\sub\\clip.avi", "")), Canonical(file));
}

TEST(FileNames, FilesAndFoldersAreResolvedOnlyAsWhatTheyAre) {
    ScratchFolder dir;
    const std::string folder = dir.MakeDir("Slides/Vacaciones");
    const std::string file = dir.Write("Slides/nota.txt");
    EXPECT_EQ(Canonical(ResolveWindowsDirectory("SLIDES\\VACACIONES\\", dir.Path())), Canonical(folder));
    EXPECT_EQ(Canonical(ResolveWindowsDirectory("E:\\CD\\SLIDES\\VACACIONES", dir.Path())),
              Canonical(folder));
    EXPECT_FALSE(ResolveWindowsPath("SLIDES\\VACACIONES", dir.Path()));
    EXPECT_FALSE(ResolveWindowsDirectory("SLIDES\\NOTA.TXT", dir.Path()));
    EXPECT_EQ(Canonical(ResolveWindowsPath("slides\\NOTA.TXT", dir.Path())), Canonical(file));
    // A file cannot stand for a folder in the middle of a path.
    EXPECT_FALSE(ResolveWindowsPath("SLIDES\\NOTA.TXT\\X", dir.Path()));
}

TEST(FileNames, LinksAreFollowedToWhatTheyPointAt) {
    // A listing tells files from folders without looking, but a link only by following it.
    ScratchFolder dir;
    const std::string folder = dir.MakeDir("real/Fotos");
    const std::string photo = dir.Write("real/Fotos/uno.bmp");
    namespace fs = std::filesystem;
    fs::create_directory_symlink(dir.Path() + "/real/Fotos", dir.Path() + "/Enlace");
    fs::create_symlink(dir.Path() + "/real/Fotos/uno.bmp", dir.Path() + "/Foto.bmp");
    fs::create_symlink(dir.Path() + "/nowhere", dir.Path() + "/Roto.bmp");
    EXPECT_EQ(Canonical(ResolveWindowsPath("ENLACE\\UNO.BMP", dir.Path())), Canonical(photo));
    EXPECT_EQ(Canonical(ResolveWindowsDirectory("enlace", dir.Path())), Canonical(folder));
    EXPECT_EQ(Canonical(ResolveWindowsPath("FOTO.BMP", dir.Path())), Canonical(photo));
    EXPECT_FALSE(ResolveWindowsDirectory("FOTO.BMP", dir.Path()));
    EXPECT_FALSE(ResolveWindowsPath("ENLACE", dir.Path()));
    EXPECT_FALSE(ResolveWindowsPath("ROTO.BMP", dir.Path()));
}

TEST(FileNames, EmptyDegenerateAndHostileNamesResolveToNothing) {
    ScratchFolder dir;
    dir.Write("a.bmp");
    EXPECT_FALSE(ResolveWindowsPath("", dir.Path()));
    EXPECT_FALSE(ResolveWindowsPath("C:", dir.Path()));
    EXPECT_FALSE(ResolveWindowsPath("C:\\", dir.Path()));
    EXPECT_FALSE(ResolveWindowsPath("\\\\", dir.Path()));
    EXPECT_FALSE(ResolveWindowsDirectory(".", dir.Path()));
    EXPECT_FALSE(ResolveWindowsPath(std::string("a.bmp\0.txt", 10), dir.Path()));
    std::string deep;
    for (int i = 0; i < 3000; ++i) deep += "x\\";
    EXPECT_FALSE(ResolveWindowsPath(deep + "a.bmp", dir.Path()));
    // Within the length bound, two thousand folders that exist nowhere are dropped one try at a time.
    EXPECT_TRUE(ResolveWindowsPath("C:\\" + deep.substr(0, 4000) + "a.bmp", dir.Path()));
    EXPECT_FALSE(ResolveWindowsPath("C:\\" + deep.substr(0, 4000) + "b.bmp", dir.Path()));
    EXPECT_FALSE(ResolveWindowsPath("a.bmp", dir.Path() + "/missing"));
}

TEST(FileNames, AnEmptyBaseMeansTheCurrentDirectory) {
    ScratchFolder dir;
    const std::string file = dir.Write("Local.WAV");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    auto found = ResolveWindowsPath("LOCAL.wav", "");
    std::filesystem::current_path(previous);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, "Local.WAV");
}

// A folder that has not changed for a while is listed once and its listing used again; every change to
// it (a file added, renamed or removed, even with the folder's modification time put back) is still seen
// by the next resolution, whatever the listing kept.
TEST(FileNames, AFolderKeptListedStillShowsEveryChangeMadeToIt) {
    ScratchFolder dir;
    const std::string folder = dir.MakeDir("Fotos");
    const std::string first = dir.Write("Fotos/Uno.bmp");
    const auto modified = std::filesystem::last_write_time(folder);
    auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); };
    settle();
    EXPECT_EQ(Canonical(ResolveWindowsPath("FOTOS\\UNO.BMP", dir.Path())), Canonical(first));
    EXPECT_EQ(Canonical(ResolveWindowsPath("fotos\\uno.bmp", dir.Path())), Canonical(first)) << "kept";

    const std::string second = dir.Write("Fotos/Dos.bmp");
    std::filesystem::last_write_time(folder, modified);
    EXPECT_EQ(Canonical(ResolveWindowsPath("FOTOS\\DOS.BMP", dir.Path())), Canonical(second)) << "added";

    settle();
    EXPECT_EQ(Canonical(ResolveWindowsPath("FOTOS\\DOS.BMP", dir.Path())), Canonical(second));
    std::filesystem::rename(second, folder + "/Tres.bmp");
    EXPECT_FALSE(ResolveWindowsPath("FOTOS\\DOS.BMP", dir.Path())) << "renamed away";
    EXPECT_EQ(Canonical(ResolveWindowsPath("FOTOS\\TRES.BMP", dir.Path())), Canonical(folder + "/Tres.bmp"));

    settle();
    EXPECT_TRUE(ResolveWindowsPath("FOTOS\\TRES.BMP", dir.Path()));
    std::filesystem::remove(folder + "/Tres.bmp");
    EXPECT_FALSE(ResolveWindowsPath("FOTOS\\TRES.BMP", dir.Path())) << "removed";
}
