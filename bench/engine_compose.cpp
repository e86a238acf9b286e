// Composing the whole 640 x 480 scene (opaque background, then 50 transparent sprites from back to
// front) against memcpy of one 640 x 480 24-bit frame, measured in the same run; the ratio is printed
// at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "engine/AnimView.h"
#include "engine/PhasedSprite.h"

namespace {

constexpr int kSprites = 50;
constexpr size_t kFrameBytes = 480u * 1920u;

void Paint(CDIB& dib, uint8_t seed) {
    for (int32_t y = 0; y < dib.GetHeight(); ++y)
        for (int32_t x = 0; x < dib.GetWidth(); ++x) {
            uint8_t* p = dib.GetPixelAddress(x, y);
            p[0] = static_cast<uint8_t>(x + seed);
            p[1] = static_cast<uint8_t>(y * 3);
            p[2] = static_cast<uint8_t>(x ^ y);
        }
}

// A scene like a title's card: a full background and buttons of 64 x 48 with a transparent border, some of
// them three-frame sheets, spread over several planes.
class BenchScene : public AnimScene {
  public:
    BenchScene() {
        background.Create(640, 480, 3);
        Paint(background, 0);
        for (int i = 0; i < kSprites; ++i) sprites.Insert(MakeSprite(i));
    }
    CDIB* Background() override { return &background; }
    CSpriteList& Sprites() override { return sprites; }

    CDIB background;
    CSpriteList sprites;

  private:
    static std::unique_ptr<CSprite> MakeSprite(int i) {
        const bool sheet = i % 3 == 0;
        auto sprite = std::make_unique<CPhasedSprite>();
        sprite->Create(64, sheet ? 144 : 48, 3);
        Paint(*sprite, static_cast<uint8_t>(i * 7));
        for (int32_t y = 0; y < sprite->GetHeight(); ++y)
            for (int32_t x = 0; x < 64; ++x)
                if (x < 6 || x >= 58 || y % 48 < 6 || y % 48 >= 42)
                    std::memset(sprite->GetPixelAddress(x, y), 0xFF, 3);
        sprite->ComputeTransparentColour();
        if (sheet) sprite->SetNumFrames(3);
        sprite->SetTransparent(true);
        sprite->SetPosition((i * 83) % 600 - 10, (i * 47) % 450 - 5);
        sprite->SetPlane(10 + i % 5 * 10);
        return sprite;
    }
};

void BM_ComposeScene(benchmark::State& state) {
    BenchScene scene;
    CAnimView view;
    view.SetScene(&scene);
    view.CreateBuffer(scene.background);
    for (auto _ : state) {
        view.Render(std::nullopt);
        benchmark::DoNotOptimize(view.GetBuffer()->GetBits());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFrameBytes));
}

void BM_ComposeScene_Reference_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> from(kFrameBytes, 1), to(kFrameBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kFrameBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFrameBytes));
}

}  // namespace

BENCHMARK(BM_ComposeScene);
BENCHMARK(BM_ComposeScene_Reference_Memcpy);

int main(int argc, char** argv) {
    return RunWithRatios(argc, argv, [](const RatioReporter& reporter) {
        char label[128];
        std::snprintf(label, sizeof label,
                      "compose of 640x480 with %d transparent sprites / memcpy of one frame", kSprites);
        // Composing runs on the calling thread alone: the ratio is taken on processor time.
        reporter.PrintRatio(label, "BM_ComposeScene", "BM_ComposeScene_Reference_Memcpy",
                            RatioReporter::Clock::processor);
    });
}
