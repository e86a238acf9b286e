// An undo snapshot of a large title (500 cards with texts and pictures, 300 three-frame sprites, a
// 640 x 480 background) as the editor takes one before a change, against copying the snapshot's bytes.
// Pictures whose pixels did not change are stored as the bytes they were read from, so a snapshot is
// little more than a copy. Both are measured in the same run; the ratio is printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/LargeTitle.h"
#include "bench/RatioReporter.h"
#include "engine/PhasedSprite.h"
#include "model/Classes.h"
#include "model/FichaDoc.h"
#include "platform/MessageBox.h"

namespace {

constexpr int kCards = 500;
constexpr int kSprites = 300;

// The large title, written once to a file, as the editor opens it.
std::string TitlePath() {
    static const std::string path = [] {
        RegisterTitleClasses();
        CFichaDoc doc(Variant::editor);
        bench::FillLargeTitle(doc, kCards, kSprites, false);
        return bench::StoreInTemporaryFolder(doc, "lumeo-bench-undo.fca");
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
