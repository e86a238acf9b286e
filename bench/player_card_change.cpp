// A change of card in a large title (500 cards, each with three texts and a picture, 60 sprites of which
// each card shows some and hides others), made as a click on the title's "next card" and "previous card"
// buttons makes it: the card's lists applied, its picture loaded as a sprite, the whole scene composed
// again and the window painted with the new card's texts. Against composing that same scene and painting
// it with its texts alone. Both are measured in the same run; the ratio is printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "bench/LargeTitle.h"
#include "bench/PlayerBenchSupport.h"
#include "bench/RatioReporter.h"
#include "engine/PhasedSprite.h"
#include "model/Classes.h"
#include "model/FichaDoc.h"
#include "model/Foto.h"
#include "model/Texto.h"
#include "platform/File.h"
#include "platform/MessageBox.h"

namespace {

using namespace player_bench;

constexpr int kCards = 500;
constexpr int kSprites = 60;
constexpr int kPictures = 10;
constexpr int kNext = 1000;
constexpr int kPrevious = 1001;

std::unique_ptr<CPhasedSprite> Button(int32_t number, int32_t x, int32_t action) {
    auto sprite = std::make_unique<CPhasedSprite>();
    sprite->Create(40, 30, 3);
    bench::Paint(*sprite, number);
    sprite->ComputeTransparentColour();
    sprite->SetPosition(x, 440);
    sprite->SetNumber(number);
    sprite->SetClickAction(action);
    return sprite;
}

// The title, written once into a scratch folder with its pictures beside it.
const std::string& TitlePath() {
    static const std::string path = [] {
        RegisterTitleClasses();
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / "lumeo-bench-cards";
        std::filesystem::create_directories(folder / "fotos");
        for (int i = 0; i < kPictures; ++i) {
            CDibJpeg picture;
            picture.Create(160, 120, 3);
            bench::Paint(picture, i * 20);
            platform::DiskFile out;
            out.Open((folder / "fotos" / ("f" + std::to_string(i) + ".jpg")).string(),
                     platform::DiskFile::Mode::write);
            picture.Write(out);
        }
        CFichaDoc doc(Variant::player);
        auto background = std::make_unique<CDibJpeg>();
        background->Create(640, 480, 3);
        bench::Paint(*background, 0);
        doc.SetBackground(std::move(background));
        for (int i = 0; i < kSprites; ++i) {
            auto sprite = std::make_unique<CPhasedSprite>();
            sprite->Create(48, 108, 3);
            bench::Paint(*sprite, i);
            sprite->ComputeTransparentColour();
            sprite->SetTransparent(true);
            sprite->SetNumFrames(3);
            sprite->SetPosition(i * 37 % 600, i * 53 % 400);
            sprite->SetPlane(10 + i % 7 * 10);
            sprite->SetNumber(i + 1);
            doc.GetSpriteList().Insert(std::move(sprite));
        }
        doc.GetSpriteList().Insert(Button(kNext, 580, 2));
        doc.GetSpriteList().Insert(Button(kPrevious, 20, 3));
        for (int i = 0; i < kCards; ++i) {
            auto card = std::make_unique<CFicha>();
            for (int t = 0; t < 3; ++t) {
                auto text = std::make_unique<CTexto>();
                text->identifier = "t" + std::to_string(t);
                text->text = "Texto " + std::to_string(t) + " de la ficha " + std::to_string(i) +
                             "\r\ncon dos p\xE1rrafos, el segundo algo m\xE1s largo que el primero.";
                text->rect = {40 + t * 190, 300, 220 + t * 190, 420};
                card->AddText(std::move(text));
            }
            auto picture = std::make_unique<CFoto>();
            picture->fileName = "FOTOS\\F" + std::to_string(i % kPictures) + ".JPG";
            picture->x = 240;
            picture->y = 100;
            card->AddPicture(std::move(picture));
            card->activationList =
                std::to_string(i % kSprites + 1) + "," + std::to_string((i + 7) % kSprites + 1);
            card->deactivationList = std::to_string((i + 3) % kSprites + 1);
            doc.GetCards().Add(std::move(card));
        }
        const std::string file = (folder / "grande.fca").string();
        platform::DiskFile out;
        out.Open(file, platform::DiskFile::Mode::write);
        doc.Store(out);
        return file;
    }();
    return path;
}

// The player on the large title, showing its first card.
struct OpenPlayer {
    OpenPlayer() : player(MakePlayer()), image(640, 480, QImage::Format_RGB32) {
        opened = player->Start(TitlePath());
    }
    std::unique_ptr<CPlayerApp> player;
    QImage image;
    bool opened = false;
};

void BM_CardChange(benchmark::State& state) {
    platform::RecordingMessageBox quiet;
    platform::ScopedMessageBox scoped(quiet);
    OpenPlayer open;
    if (!open.opened) {
        state.SkipWithError("the title did not open");
        return;
    }
    CFichaDoc* doc = open.player->View().GetDocument();
    CSpriteList& list = doc->GetSpriteList();
    const platform::Point next{list.FindByNumber(kNext)->GetX() + 5, 445};
    const platform::Point previous{list.FindByNumber(kPrevious)->GetX() + 5, 445};
    bool forward = true;
    for (auto _ : state) {
        // Back and forth through the cards, so that every change is one inside the title.
        if (doc->GetCurrentCard() == kCards - 1) forward = false;
        if (doc->GetCurrentCard() == 0) forward = true;
        open.player->View().OnLeftButtonDown(forward ? next : previous);
        open.player->View().OnLeftButtonUp();
        PaintCard(*open.player, open.image);
        benchmark::DoNotOptimize(open.image.constBits());
    }
    if (!quiet.shown.empty()) state.SkipWithError(quiet.shown[0].text.c_str());
}

void BM_CardChange_Reference_ComposeAndDrawTexts(benchmark::State& state) {
    platform::RecordingMessageBox quiet;
    platform::ScopedMessageBox scoped(quiet);
    OpenPlayer open;
    if (!open.opened) {
        state.SkipWithError("the title did not open");
        return;
    }
    for (auto _ : state) {
        open.player->View().Render(std::nullopt);
        PaintCard(*open.player, open.image);
        benchmark::DoNotOptimize(open.image.constBits());
    }
}

}  // namespace

BENCHMARK(BM_CardChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CardChange_Reference_ComposeAndDrawTexts)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    Program program(argc, argv);
    int status = RunWithRatios(argc, argv, [](const RatioReporter& reporter) {
        reporter.PrintRatio("card change / compose and draw texts", "BM_CardChange",
                            "BM_CardChange_Reference_ComposeAndDrawTexts");
    });
    std::filesystem::remove_all(std::filesystem::path(TitlePath()).parent_path());
    return status;
}
