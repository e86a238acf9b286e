// The player's start on the demo title, as `lumeo --no-credits` starts: the title opened (its folder made
// current, its music started), the first card applied and composed, its video started, and the window
// painted once with the card's texts. Against the least a start must do: reading the title's bytes and
// decoding its background. Both are measured in the same run; the ratio is printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "bench/PlayerBenchSupport.h"
#include "bench/RatioReporter.h"
#include "model/FichaDoc.h"
#include "platform/File.h"

namespace {

using namespace player_bench;

const std::string& DemoPath() {
    static const std::string path = std::string(LUMEO_EXAMPLES_DIR) + "/demo.fca";
    return path;
}

// Where the background's JFIF stream lies in the demo title.
CAnimDoc::ByteRange BackgroundRange() {
    static const CAnimDoc::ByteRange range = [] {
        CFichaDoc doc(Variant::player);
        platform::MemoryFile memory(ReadFileBytes(DemoPath()), DemoPath());
        doc.Load(memory);
        return doc.GetBackgroundRange().value_or(CAnimDoc::ByteRange{});
    }();
    return range;
}

void BM_PlayerStart(benchmark::State& state) {
    if (!std::filesystem::exists(DemoPath())) {
        state.SkipWithError("the demo title is not built");
        return;
    }
    QImage image(640, 480, QImage::Format_RGB32);
    for (auto _ : state) {
        std::unique_ptr<CPlayerApp> player = MakePlayer();
        if (!player->Start(DemoPath())) {
            state.SkipWithError("the demo title did not open");
            break;
        }
        PaintCard(*player, image);
        benchmark::DoNotOptimize(image.constBits());
        // Ending the program is not part of its start.
        state.PauseTiming();
        if (player->View().TextsToDraw(std::nullopt).empty())
            state.SkipWithError("the first card has no texts");
        player.reset();
        state.ResumeTiming();
    }
}

void BM_PlayerStart_Reference_ReadAndDecodeBackground(benchmark::State& state) {
    if (!std::filesystem::exists(DemoPath())) {
        state.SkipWithError("the demo title is not built");
        return;
    }
    const CAnimDoc::ByteRange range = BackgroundRange();
    for (auto _ : state) {
        platform::MemoryFile memory(ReadFileBytes(DemoPath()), DemoPath());
        memory.Seek(range.begin);
        CDibJpeg background;
        background.Read(memory);
        benchmark::DoNotOptimize(background.GetBits());
    }
}

}  // namespace

BENCHMARK(BM_PlayerStart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayerStart_Reference_ReadAndDecodeBackground)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    Program program(argc, argv);
    return RunWithRatios(argc, argv, [](const RatioReporter& reporter) {
        reporter.PrintRatio("player start / read and decode background", "BM_PlayerStart",
                            "BM_PlayerStart_Reference_ReadAndDecodeBackground");
    });
}
