// Runs a fuzz target without libFuzzer, as an ordinary test: every seed of the corpus directory, then
// a few thousand deterministic mutations of them (byte flips, boundary values, truncations, repeated and
// inserted chunks), within a time budget so that sanitizer builds stay quick.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Input = std::vector<uint8_t>;

struct Random {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    uint64_t Next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }
};

void Mutate(Input& in, Random& rng) {
    static const uint8_t kBoundaries[] = {0x00, 0x01, 0x7F, 0x80, 0xC0, 0xFF};
    int steps = 1 + static_cast<int>(rng.Below(4));
    for (int i = 0; i < steps && !in.empty(); ++i) {
        size_t at = rng.Below(in.size());
        switch (rng.Below(6)) {
            case 0:
                in[at] ^= static_cast<uint8_t>(1u << rng.Below(8));
                break;
            case 1:
                in[at] = kBoundaries[rng.Below(sizeof kBoundaries)];
                break;
            case 2:
                in.resize(at);
                break;
            case 3: {
                size_t n = std::min<size_t>(1 + rng.Below(64), in.size() - at);
                Input chunk(in.begin() + at, in.begin() + at + n);
                in.insert(in.begin() + rng.Below(in.size()), chunk.begin(), chunk.end());
                break;
            }
            case 4:
                in.insert(in.begin() + at, static_cast<uint8_t>(rng.Next()));
                break;
            default:
                in.erase(in.begin() + at);
                break;
        }
    }
}

std::vector<Input> ReadSeeds(const char* directory) {
    std::vector<Input> seeds;
    // In the order of their names, so that every run mutates the same inputs the same way.
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        if (entry.is_regular_file()) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    for (const auto& path : paths) {
        std::ifstream f(path, std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    return seeds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR [MUTATIONS] [SECONDS]\n", argv[0]);
        return 2;
    }
    const long mutations = argc > 2 ? std::atol(argv[2]) : 3000;
    const double budget = argc > 3 ? std::atof(argv[3]) : 15.0;
    std::vector<Input> seeds = ReadSeeds(argv[1]);
    if (seeds.empty()) {
        std::fprintf(stderr, "no seeds in %s\n", argv[1]);
        return 1;
    }
    for (const Input& seed : seeds) LLVMFuzzerTestOneInput(seed.data(), seed.size());
    LLVMFuzzerTestOneInput(nullptr, 0);
    // Each seed in turn gets an equal share of the mutations and of the time still left, so that a seed
    // whose inputs are slow (a tiny file describing a huge image) cannot use up the others' time.
    Random rng;
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    long done = 0;
    for (size_t s = 0; s < seeds.size(); ++s) {
        const size_t left = seeds.size() - s;
        const long share = (mutations - done) / static_cast<long>(left);
        const double deadline = elapsed() + (budget - elapsed()) / static_cast<double>(left);
        for (long n = 0; n < share && elapsed() < deadline; ++n, ++done) {
            Input input = seeds[s];
            Mutate(input, rng);
            LLVMFuzzerTestOneInput(input.data(), input.size());
        }
    }
    std::printf("%zu seeds and %ld mutations ran\n", seeds.size(), done);
    return 0;
}
