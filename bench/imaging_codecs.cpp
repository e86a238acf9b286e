// Imaging speed, each figure beside a reference measured in the same run: PCX decoding and encoding
// against FFmpeg's own PCX decoder and encoder on the same picture, JPEG decoding through the adapter
// against the library's own plain decode to memory, CopyBits (opaque and transparent) against memcpy of
// the same rows, and Resize to half of the largest image the readers take against memcpy of its result.
#include <benchmark/benchmark.h>

#include <jpeglib.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/RatioReporter.h"
#include "imaging/DibJpeg.h"
#include "imaging/DibPcx.h"
#include "platform/DibStride.h"

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
// The colour of the picture's flat areas, which the transparent copy skips: half of every row.
constexpr uint32_t kFlatColour = 0x5A1EC8;

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

// --- PCX, ours and FFmpeg's ---

void BM_PcxDecode(benchmark::State& state) {
    platform::MemoryFile file(PcxBytes());
    for (auto _ : state) {
        file.Seek(0);
        CDibPcx pcx;
        benchmark::DoNotOptimize(pcx.Read(file));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PixelBytes()));
}

// An FFmpeg codec context opened for PCX, single-threaded like our codec.
struct FfmpegPcx {
    explicit FfmpegPcx(bool encoder) {
        const AVCodec* codec =
            encoder ? avcodec_find_encoder(AV_CODEC_ID_PCX) : avcodec_find_decoder(AV_CODEC_ID_PCX);
        context = codec ? avcodec_alloc_context3(codec) : nullptr;
        if (!context) return;
        context->thread_count = 1;
        if (encoder) {
            context->width = 640;
            context->height = 480;
            context->pix_fmt = AV_PIX_FMT_RGB24;
            context->time_base = {1, 25};
        }
        if (avcodec_open2(context, codec, nullptr) < 0) avcodec_free_context(&context);
    }
    ~FfmpegPcx() { avcodec_free_context(&context); }
    AVCodecContext* context = nullptr;
};

void BM_PcxDecode_Reference_Ffmpeg(benchmark::State& state) {
    FfmpegPcx pcx(false);
    std::vector<uint8_t> bytes = PcxBytes();
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    if (!pcx.context || av_new_packet(packet, static_cast<int>(bytes.size())) < 0) {
        state.SkipWithError("FFmpeg has no PCX decoder");
        return;
    }
    std::memcpy(packet->data, bytes.data(), bytes.size());
    for (auto _ : state) {
        if (avcodec_send_packet(pcx.context, packet) < 0 || avcodec_receive_frame(pcx.context, frame) < 0) {
            state.SkipWithError("FFmpeg's PCX decoder failed");
            break;
        }
        benchmark::DoNotOptimize(frame->data[0]);
        av_frame_unref(frame);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PixelBytes()));
}

void BM_PcxEncode(benchmark::State& state) {
    CDibPcx pcx;
    static_cast<CDIB&>(pcx) = Picture();
    // One file written over and over, as FFmpeg's encoder fills a packet of the size it needs: the
    // encoder is measured, not the growing of a new file.
    platform::MemoryFile file;
    for (auto _ : state) {
        file.Seek(0);
        benchmark::DoNotOptimize(pcx.Write(file));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PixelBytes()));
}

void BM_PcxEncode_Reference_Ffmpeg(benchmark::State& state) {
    FfmpegPcx pcx(true);
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    frame->format = AV_PIX_FMT_RGB24;
    frame->width = 640;
    frame->height = 480;
    if (!pcx.context || av_frame_get_buffer(frame, 0) < 0) {
        state.SkipWithError("FFmpeg has no PCX encoder");
        return;
    }
    // The same picture, top row first in red, green, blue as FFmpeg keeps RGB24.
    const CDIB picture = Picture();
    for (int32_t y = 0; y < 480; ++y)
        for (int32_t x = 0; x < 640; ++x) {
            const uint8_t* p = picture.GetPixelAddress(x, y);
            uint8_t* q = frame->data[0] + y * frame->linesize[0] + 3 * x;
            q[0] = p[2], q[1] = p[1], q[2] = p[0];
        }
    for (auto _ : state) {
        if (avcodec_send_frame(pcx.context, frame) < 0 || avcodec_receive_packet(pcx.context, packet) < 0) {
            state.SkipWithError("FFmpeg's PCX encoder failed");
            break;
        }
        benchmark::DoNotOptimize(packet->data);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    av_frame_free(&frame);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PixelBytes()));
}

// --- JPEG ---

void BM_JpegDecode(benchmark::State& state) {
    platform::MemoryFile file(JpegBytes());
    for (auto _ : state) {
        file.Seek(0);
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

// --- CopyBits ---

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
    CopyBitsWith(state, kFlatColour);
}
void BM_CopyBits_Reference_Memcpy(benchmark::State& state) {
    MemcpyOf(state, PixelBytes());
}

// --- Resize to half of the largest image a reader takes in one piece ---

constexpr int32_t kLargeWidth = 16383, kLargeHeight = 5376;
constexpr int32_t kHalfWidth = kLargeWidth / 2, kHalfHeight = kLargeHeight / 2;

size_t HalfBytes() {
    return static_cast<size_t>(platform::DibStride(kHalfWidth, 24)) * kHalfHeight;
}

// Made once for the whole run: it takes seconds to fill.
const CDIB& LargePicture() {
    static const CDIB picture = [] {
        CDIB dib;
        dib.Create(kLargeWidth, kLargeHeight, 3);
        for (int32_t y = 0; y < kLargeHeight; ++y) {
            uint8_t* p = dib.GetPixelAddress(0, y);
            for (int32_t x = 0; x < kLargeWidth; ++x, p += 3) {
                p[0] = static_cast<uint8_t>(x);
                p[1] = static_cast<uint8_t>(y);
                p[2] = static_cast<uint8_t>(x ^ y);
            }
        }
        return dib;
    }();
    return picture;
}

void BM_ResizeToHalf(benchmark::State& state) {
    const CDIB& picture = LargePicture();
    CDIB dib;
    for (auto _ : state) {
        // The image shows the large picture's rows without owning them, so every Resize starts from it.
        dib.AttachBits(picture.GetHeader(), const_cast<uint8_t*>(picture.GetBits()));
        benchmark::DoNotOptimize(dib.Resize(kHalfWidth, kHalfHeight));
        benchmark::DoNotOptimize(dib.GetBits());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * HalfBytes()));
}

void BM_ResizeToHalf_Reference_Memcpy(benchmark::State& state) {
    MemcpyOf(state, HalfBytes());
}

}  // namespace

BENCHMARK(BM_PcxDecode);
BENCHMARK(BM_PcxDecode_Reference_Ffmpeg);
BENCHMARK(BM_PcxEncode);
BENCHMARK(BM_PcxEncode_Reference_Ffmpeg);
BENCHMARK(BM_JpegDecode);
BENCHMARK(BM_JpegDecode_Reference_Library);
BENCHMARK(BM_CopyBitsOpaque);
BENCHMARK(BM_CopyBitsTransparent);
BENCHMARK(BM_CopyBits_Reference_Memcpy);
BENCHMARK(BM_ResizeToHalf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResizeToHalf_Reference_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    // Every benchmark here but Resize runs on the calling thread (FFmpeg's coder is asked for one
    // thread), so their ratios are taken on processor time. Resize makes a result this large on two
    // threads: its ratio is taken on the clock.
    constexpr auto kProcessor = RatioReporter::Clock::processor;
    return RunWithRatios(argc, argv, [&](const RatioReporter& reporter) {
        // Throughputs are the inverse of times: ours over FFmpeg's is FFmpeg's time over ours.
        reporter.PrintRatio("PCX decode throughput / FFmpeg PCX decode throughput",
                            "BM_PcxDecode_Reference_Ffmpeg", "BM_PcxDecode", kProcessor);
        reporter.PrintRatio("PCX encode throughput / FFmpeg PCX encode throughput",
                            "BM_PcxEncode_Reference_Ffmpeg", "BM_PcxEncode", kProcessor);
        reporter.PrintRatio(
            "JPEG decode of 640x480 into the DIB / libjpeg-turbo plain decode of the same stream",
            "BM_JpegDecode", "BM_JpegDecode_Reference_Library", kProcessor);
        reporter.PrintRatio("transparent CopyBits of a 640x480 frame / memcpy of the same bytes",
                            "BM_CopyBitsTransparent", "BM_CopyBits_Reference_Memcpy", kProcessor);
        reporter.PrintRatio("opaque CopyBits of a 640x480 frame / memcpy of the same bytes",
                            "BM_CopyBitsOpaque", "BM_CopyBits_Reference_Memcpy", kProcessor);
        char label[128];
        std::snprintf(label, sizeof label, "Resize to half of %dx%d / memcpy of the output", kLargeWidth,
                      kLargeHeight);
        reporter.PrintRatio(label, "BM_ResizeToHalf/real_time", "BM_ResizeToHalf_Reference_Memcpy/real_time",
                            RatioReporter::Clock::wall);
    });
}
