#pragma once

#include <QApplication>
#include <QImage>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "player/Lumeo.h"
#include "ui/Services.h"

// What the player's benchmarks share: the program's real services on the offscreen platform with silent
// audio, the player made as `lumeo --no-credits --scale 1` makes it, and the card drawn as its window
// paints it (the back buffer, then the card's texts over it).
namespace player_bench {

// The toolkit and the program's services for the whole run.
class Program {
  public:
    Program(int& argc, char** argv) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        // The player keeps its volume in its settings; the benchmark's runs leave the user's alone.
        QStandardPaths::setTestModeEnabled(true);
        app_ = std::make_unique<QApplication>(argc, argv);
        services_ = std::make_unique<ui::Services>();
    }
    ~Program() {
        services_.reset();
        app_.reset();
    }

  private:
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<ui::Services> services_;
};

inline PlayerOptions BenchOptions() {
    PlayerOptions options;
    options.credits = false;
    options.scale = 1;
    options.windowed = true;
    return options;
}

// A player frame of the card's size, not shown: its widget paints into `image` when asked.
inline std::unique_ptr<CPlayerApp> MakePlayer() {
    auto player = std::make_unique<CPlayerApp>(BenchOptions());
    player->resize(640, 480);
    return player;
}

// Paints the card as the window would: buffer, texts, the clip's picture.
inline void PaintCard(CPlayerApp& player, QImage& image) {
    player.ViewWidget().render(&image);
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::vector<uint8_t> bytes(std::filesystem::file_size(path));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    size_t got = f ? std::fread(bytes.data(), 1, bytes.size(), f) : 0;
    if (f) std::fclose(f);
    bytes.resize(got);
    return bytes;
}

}  // namespace player_bench
