// Imaging speed, each figure beside a reference measured in the same run: PCX decoding and encoding
// against memcpy of the same bytes, JPEG decoding through the adapter against the library's own plain
// decode to memory, and CopyBits (opaque and transparent) against memcpy of the same rows.
#include <benchmark/benchmark.h>

#include <jpeglib.h>

#include <cstring>
#include <vector>

#include "imaging/DibJpeg.h"
#include "imaging/DibPcx.h"

namespace {

// A 640 x 480 picture with flat areas and gradients, like a title's artwork.
CDIB Picture() {
    CDIB dib;
    dib.Create(640, 480, 3);
    for (int32_t y = 0; y < 480; ++y)
        for (int32_t x = 0; x < 640; ++x) {
            uint8_t* p = dib.GetPixelAddress(x, y);
            bool flat = ((x / 64) + (y / 48)) % 2 == 0;
            p[0] = flat ? 200 : static_cast<uint8_t>(x);
            p[1] = flat ? 30 : static_cast<uint8_t>(y);
            p[2] = flat ? 90 : static_cast<uint8_t>(x ^ y);
        }
    return dib;
}

std::vector<uint8_t> PcxBytes() {
    CDibPcx pcx;
    static_cast<CDIB&>(pcx) = Picture();
    platform::MemoryFile file;
    pcx.Write(file);
    return file.Bytes();
}

std::vector<uint8_t> JpegBytes() {
    CDibJpeg jpeg;
    static_cast<CDIB&>(jpeg) = Picture();
    platform::MemoryFile file;
    jpeg.Write(file);
    return file.Bytes();
}

size_t PixelBytes() {
    return 480u * 1920u;
}

void MemcpyOf(benchmark::State& state, size_t size) {
    std::vector<uint8_t> from(size, 1), to(size);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), size);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void BM_PcxDecode(benchmark::State& state) {
    std::vector<uint8_t> bytes = PcxBytes();
    for (auto _ : state) {
        platform::MemoryFile file(bytes);
        CDibPcx pcx;
        benchmark::DoNotOptimize(pcx.Read(file));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PixelBytes()));
}
void BM_PcxDecode_Reference_Memcpy(benchmark::State& state) {
    MemcpyOf(state, PixelBytes());
}

void BM_PcxEncode(benchmark::State& state) {
    CDibPcx pcx;
    static_cast<CDIB&>(pcx) = Picture();
    for (auto _ : state) {
        platform::MemoryFile file;
        benchmark::DoNotOptimize(pcx.Write(file));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PixelBytes()));
}

void BM_JpegDecode(benchmark::State& state) {
    std::vector<uint8_t> bytes = JpegBytes();
    for (auto _ : state) {
        platform::MemoryFile file(bytes);
        CDibJpeg jpeg;
        benchmark::DoNotOptimize(jpeg.Read(file));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PixelBytes()));
}

// What djpeg does: the library's memory source and plain scanline reads, no DIB.
void BM_JpegDecode_Reference_Library(benchmark::State& state) {
    std::vector<uint8_t> bytes = JpegBytes();
    std::vector<uint8_t> out(PixelBytes());
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = out.data() + cinfo.output_scanline * 1920u;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PixelBytes()));
}

void CopyBitsWith(benchmark::State& state, uint32_t transparent) {
    CDIB source = Picture(), destination;
    destination.Create(640, 480, 3);
    for (auto _ : state) {
        source.CopyBits(&destination, 0, 0, 640, 480, 0, 0, transparent);
        benchmark::DoNotOptimize(destination.GetBits());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * 640 * 480));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PixelBytes()));
}
void BM_CopyBitsOpaque(benchmark::State& state) {
    CopyBitsWith(state, 0xFFFFFFFF);
}
void BM_CopyBitsTransparent(benchmark::State& state) {
    CopyBitsWith(state, 0x5A1EC8);
}
void BM_CopyBits_Reference_Memcpy(benchmark::State& state) {
    MemcpyOf(state, PixelBytes());
}

}  // namespace

BENCHMARK(BM_PcxDecode);
BENCHMARK(BM_PcxDecode_Reference_Memcpy);
BENCHMARK(BM_PcxEncode);
BENCHMARK(BM_JpegDecode);
BENCHMARK(BM_JpegDecode_Reference_Library);
BENCHMARK(BM_CopyBitsOpaque);
BENCHMARK(BM_CopyBitsTransparent);
BENCHMARK(BM_CopyBits_Reference_Memcpy);
BENCHMARK_MAIN();
