// An undo snapshot of a large title (500 cards with texts and pictures, 300 three-frame sprites, a
// 640 x 480 background) as the editor takes one before a change, against copying the snapshot's bytes.
// Pictures whose pixels did not change are stored as the bytes they were read from, so a snapshot is
// little more than a copy. Both are measured in the same run; the ratio is printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "engine/PhasedSprite.h"
#include "model/Classes.h"
#include "model/FichaDoc.h"
#include "platform/MessageBox.h"

namespace {

constexpr int kCards = 500;
constexpr int kSprites = 300;

void Paint(CDIB& dib, int seed) {
    for (int32_t y = 0; y < dib.GetHeight(); ++y)
        for (int32_t x = 0; x < dib.GetWidth(); ++x) {
            uint8_t* p = dib.GetPixelAddress(x, y);
            p[0] = static_cast<uint8_t>(x + seed);
            p[1] = static_cast<uint8_t>((y / 4) * 3);
            p[2] = static_cast<uint8_t>((x / 8) ^ (y / 8));
        }
}

// The large title, written once to a file, as the editor opens it.
std::string TitlePath() {
    static const std::string path = [] {
        RegisterTitleClasses();
        CFichaDoc doc(Variant::editor);
        auto background = std::make_unique<CDibJpeg>();
        background->Create(640, 480, 3);
        Paint(*background, 0);
        doc.SetBackground(std::move(background));
        for (int i = 0; i < kSprites; ++i) {
            auto sprite = std::make_unique<CPhasedSprite>();
            sprite->Create(48, 108, 3);
            Paint(*sprite, i);
            sprite->ComputeTransparentColour();
            sprite->SetNumFrames(3);
            sprite->SetPosition(i * 37 % 600, i * 53 % 440);
            sprite->SetPlane(10 + i % 7 * 10);
            sprite->SetNumber(i);
            doc.GetSpriteList().Insert(std::move(sprite));
        }
        for (int i = 0; i < kCards; ++i) {
            auto card = std::make_unique<CFicha>();
            for (int t = 0; t < 3; ++t) {
                auto text = std::make_unique<CTexto>();
                text->identifier = "t" + std::to_string(t);
                text->text = "Texto de la ficha " + std::to_string(i) + "\r\ncon dos p\xE1rrafos.";
                card->AddText(std::move(text));
            }
            auto picture = std::make_unique<CFoto>();
            picture->fileName = "FOTOS\\F" + std::to_string(i) + ".JPG";
            card->AddPicture(std::move(picture));
            doc.GetCards().Add(std::move(card));
        }
        std::string p = (std::filesystem::temp_directory_path() / "lumeo-bench-undo.fca").string();
        platform::DiskFile file;
        file.Open(p, platform::DiskFile::Mode::write);
        doc.Store(file);
        file.Close();
        return p;
    }();
    return path;
}

void BM_UndoSnapshot(benchmark::State& state) {
    platform::RecordingMessageBox quiet;
    platform::ScopedMessageBox scoped(quiet);
    CFichaDoc doc(Variant::editor);
    if (!doc.OnOpenDocument(TitlePath())) state.SkipWithError("the title did not open");
    state.counters["sprites"] = static_cast<double>(doc.GetSpriteList().GetCount());
    CSprite* moved = doc.GetSpriteList().GetAt(0);
    int step = 0;
    for (auto _ : state) {
        // Each step follows a small change, as the drags and edits of an author do.
        moved->SetPosition(++step % 600, 10);
        doc.TakeUndoSnapshot("Move");
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * std::filesystem::file_size(TitlePath())));
    doc.OnCloseDocument();
}

void BM_UndoSnapshot_Reference_CopyTheBytes(benchmark::State& state) {
    platform::RecordingMessageBox quiet;
    platform::ScopedMessageBox scoped(quiet);
    CFichaDoc doc(Variant::editor);
    if (!doc.OnOpenDocument(TitlePath())) state.SkipWithError("the title did not open");
    platform::MemoryFile snapshot;
    doc.Store(snapshot);
    for (auto _ : state) {
        std::vector<uint8_t> copy(snapshot.Bytes());
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * snapshot.Bytes().size()));
    doc.OnCloseDocument();
}

}  // namespace

BENCHMARK(BM_UndoSnapshot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoSnapshot_Reference_CopyTheBytes)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    int status = RunWithRatios(argc, argv, [](const RatioReporter& reporter) {
        char label[128];
        std::snprintf(label, sizeof label,
                      "undo snapshot of %d cards and %d sprites / copy of the same bytes", kCards, kSprites);
        reporter.PrintRatio(label, "BM_UndoSnapshot", "BM_UndoSnapshot_Reference_CopyTheBytes");
    });
    std::filesystem::remove(TitlePath());
    return status;
}
