// Opening a large title (500 cards with texts and pictures, 300 three-frame sprites, a 640 x 480
// background) as the player opens it, against the least any open must do: reading the file's bytes and
// decoding its background. Both are measured in the same run; the ratio is printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/LargeTitle.h"
#include "bench/RatioReporter.h"
#include "engine/PhasedSprite.h"
#include "model/Classes.h"
#include "model/FichaDoc.h"
#include "platform/MessageBox.h"

namespace {

// The whole file, read the plain way: the reference a title's open is measured against.
std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::vector<uint8_t> bytes(std::filesystem::file_size(path));
    std::FILE* f = std::fopen(path.c_str(), "rb");
    size_t got = f ? std::fread(bytes.data(), 1, bytes.size(), f) : 0;
    if (f) std::fclose(f);
    bytes.resize(got);
    return bytes;
}

constexpr int kCards = 500;
constexpr int kSprites = 300;

struct BenchTitle {
    std::string path;
    uint64_t backgroundBegin = 0, backgroundEnd = 0;
};

const BenchTitle& Title() {
    static BenchTitle title = [] {
        RegisterTitleClasses();
        CFichaDoc doc(Variant::player);
        bench::FillLargeTitle(doc, kCards, kSprites, true);
        BenchTitle t;
        t.path = bench::StoreInTemporaryFolder(doc, "lumeo-bench-large.fca");
        CFichaDoc loaded(Variant::player);
        platform::MemoryFile memory(ReadFileBytes(t.path), t.path);
        loaded.Load(memory);
        t.backgroundBegin = loaded.GetBackgroundRange()->begin;
        t.backgroundEnd = loaded.GetBackgroundRange()->end;
        return t;
    }();
    return title;
}

void BM_OpenLargeTitle(benchmark::State& state) {
    const BenchTitle& title = Title();
    platform::RecordingMessageBox quiet;
    platform::ScopedMessageBox scoped(quiet);
    for (auto _ : state) {
        CFichaDoc doc(Variant::player);
        if (!doc.OnOpenDocument(title.path)) state.SkipWithError("the title did not open");
        benchmark::DoNotOptimize(doc.GetCards().GetSize());
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * std::filesystem::file_size(title.path)));
}

void BM_OpenLargeTitle_Reference_ReadAndDecodeBackground(benchmark::State& state) {
    const BenchTitle& title = Title();
    for (auto _ : state) {
        platform::MemoryFile memory(ReadFileBytes(title.path), title.path);
        memory.Seek(title.backgroundBegin);
        CDibJpeg background;
        background.Read(memory);
        benchmark::DoNotOptimize(background.GetBits());
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * std::filesystem::file_size(title.path)));
}

}  // namespace

BENCHMARK(BM_OpenLargeTitle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenLargeTitle_Reference_ReadAndDecodeBackground)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    int status = RunWithRatios(argc, argv, [](const RatioReporter& reporter) {
        char label[128];
        std::snprintf(label, sizeof label,
                      "open of %d cards and %d sprites / read the file and decode its background", kCards,
                      kSprites);
        reporter.PrintRatio(label, "BM_OpenLargeTitle",
                            "BM_OpenLargeTitle_Reference_ReadAndDecodeBackground");
    });
    std::filesystem::remove(Title().path);
    return status;
}
