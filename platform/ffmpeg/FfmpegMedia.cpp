#include "platform/ffmpeg/FfmpegMedia.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include "platform/DibStride.h"

namespace platform {

namespace {

struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecCloser {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScalerFreer {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFreer>;

constexpr AVRational kMilliseconds{1, 1000};
// Clip times stay far below the wrap of the 32-bit millisecond positions.
constexpr int64_t kMaxClipMs = 0x7FFFFFFF;

uint32_t Failure(uint32_t code, const std::string& detail, std::string& text) {
    MediaErrorString(code, text);
    if (!detail.empty()) text += " " + detail;
    return code;
}

uint32_t ClampMs(int64_t ms) {
    return uint32_t(std::clamp<int64_t>(ms, 0, kMaxClipMs));
}

class FfmpegSource : public MediaSource {
  public:
    FfmpegSource() { av_log_set_level(AV_LOG_QUIET); }
    ~FfmpegSource() override { Close(); }

    uint32_t Open(const std::string& path, std::string& text) override;
    void Close() override;
    Size FrameSize() const override { return size_; }
    uint32_t Length() const override { return length_; }
    uint32_t SeekTo(uint32_t ms, std::string& text) override;
    bool DecodeUntil(uint32_t ms) override;
    DibView Picture() const override { return {size_.cx, size_.cy, 24, stride_, bits_.data(), nullptr}; }

  private:
    uint32_t OpenInput(const std::string& path, std::string& text);
    uint32_t OpenDecoder(std::string& text);
    uint32_t AllocatePicture(std::string& text);
    uint32_t ClipLength() const;
    bool Reopen();
    bool SeekKeyFrame(uint32_t ms);
    bool DecodeNext(AVFrame* frame);
    bool Feed();
    uint32_t FrameMs(const AVFrame* frame) const;
    bool DecodeForward(uint32_t ms);
    void Convert();

    std::string path_;
    FormatPtr format_;
    CodecPtr codec_;
    PacketPtr packet_;
    FramePtr shown_;
    FramePtr pending_;
    ScalerPtr scaler_;
    bool pendingValid_ = false;
    bool draining_ = false;
    int stream_ = -1;
    AVRational timeBase_{1, 1000};
    int64_t start_ = 0;
    Size size_;
    uint32_t length_ = 0;
    uint32_t firstMs_ = 0;  // the time of the first picture
    int32_t stride_ = 0;
    std::vector<uint8_t> bits_;
};

uint32_t FfmpegSource::Open(const std::string& path, std::string& text) {
    Close();
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return Failure(kMediaErrorFileNotFound, "", text);
    if (!S_ISREG(st.st_mode)) return Failure(kMediaErrorInvalidFile, "", text);
    path_ = path;
    uint32_t code = OpenInput(path, text);
    if (code == kMediaOk) code = OpenDecoder(text);
    if (code == kMediaOk) code = AllocatePicture(text);
    if (code == kMediaOk && !DecodeNext(shown_.get()))
        code = Failure(kMediaErrorInvalidFile, "No contiene ninguna imagen que se pueda descodificar.", text);
    if (code != kMediaOk) {
        Close();
        return code;
    }
    firstMs_ = FrameMs(shown_.get());
    DecodeForward(0);
    Convert();
    return kMediaOk;
}

uint32_t FfmpegSource::OpenInput(const std::string& path, std::string& text) {
    const AVInputFormat* avi = av_find_input_format("avi");
    if (!avi) return Failure(kMediaErrorCannotLoadDriver, "", text);
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) return Failure(kMediaErrorOutOfMemory, "", text);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    // The "file:" prefix keeps a name with a colon from being taken for another protocol.
    const std::string url = "file:" + path;
    const int r = avformat_open_input(&raw, url.c_str(), avi, &options);
    av_dict_free(&options);
    if (r < 0) return Failure(kMediaErrorInvalidFile, "", text);
    format_.reset(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0) return Failure(kMediaErrorInvalidFile, "", text);
    return kMediaOk;
}

uint32_t FfmpegSource::OpenDecoder(std::string& text) {
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(format_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (index == AVERROR_STREAM_NOT_FOUND)
        return Failure(kMediaErrorInvalidFile, "El archivo no contiene vídeo.", text);
    if (index < 0 || !decoder)
        return Failure(kMediaErrorInvalidFile, "No hay descompresor para el formato de vídeo del archivo.",
                       text);
    AVStream* stream = format_->streams[index];
    const AVCodecParameters* par = stream->codecpar;
    if (par->width <= 0 || par->height <= 0 || par->width > kMaxMediaSide || par->height > kMaxMediaSide)
        return Failure(kMediaErrorInvalidFile, "El tamaño de imagen del vídeo no es válido.", text);
    // Sound and other streams are dropped by the demuxer instead of being read and thrown away here.
    for (unsigned i = 0; i < format_->nb_streams; ++i)
        if (int(i) != index) format_->streams[i]->discard = AVDISCARD_ALL;
    codec_.reset(avcodec_alloc_context3(decoder));
    if (!codec_) return Failure(kMediaErrorOutOfMemory, "", text);
    if (avcodec_parameters_to_context(codec_.get(), par) < 0)
        return Failure(kMediaErrorInvalidFile, "", text);
    // One thread: the whole program runs on its user-interface thread.
    codec_->thread_count = 1;
    codec_->max_pixels = int64_t(kMaxMediaFrameBytes / 4);
    if (avcodec_open2(codec_.get(), decoder, nullptr) < 0)
        return Failure(kMediaErrorInvalidFile, "No se puede abrir el descompresor de vídeo.", text);
    stream_ = index;
    if (stream->time_base.num > 0 && stream->time_base.den > 0) timeBase_ = stream->time_base;
    start_ = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    size_ = {par->width, par->height};
    length_ = ClipLength();
    return kMediaOk;
}

uint32_t FfmpegSource::AllocatePicture(std::string& text) {
    const uint64_t stride = uint64_t(DibStride(size_.cx, 24));
    if (stride * uint64_t(size_.cy) > kMaxMediaFrameBytes)
        return Failure(kMediaErrorInvalidFile, "El tamaño de imagen del vídeo no es válido.", text);
    stride_ = int32_t(stride);
    bits_.assign(size_t(stride) * size_t(size_.cy), 0);
    packet_.reset(av_packet_alloc());
    shown_.reset(av_frame_alloc());
    pending_.reset(av_frame_alloc());
    if (!packet_ || !shown_ || !pending_) return Failure(kMediaErrorOutOfMemory, "", text);
    return kMediaOk;
}

uint32_t FfmpegSource::ClipLength() const {
    const AVStream* stream = format_->streams[stream_];
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        return ClampMs(av_rescale_q(stream->duration, timeBase_, kMilliseconds));
    if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0)
        return ClampMs(av_rescale_q(format_->duration, AVRational{1, AV_TIME_BASE}, kMilliseconds));
    return 0;
}

void FfmpegSource::Close() {
    scaler_.reset();
    pending_.reset();
    shown_.reset();
    packet_.reset();
    codec_.reset();
    format_.reset();
    bits_.clear();
    pendingValid_ = draining_ = false;
    stream_ = -1;
    timeBase_ = kMilliseconds;
    start_ = 0;
    size_ = {};
    length_ = 0;
    stride_ = 0;
}

// Gives the decoder the next packet of the video stream, or at the end of the file the order to drain.
// A damaged packet is passed over: the decoder refuses it and the next one may decode.
bool FfmpegSource::Feed() {
    if (draining_) return false;
    for (;;) {
        if (av_read_frame(format_.get(), packet_.get()) < 0) {
            draining_ = true;
            avcodec_send_packet(codec_.get(), nullptr);
            return true;
        }
        const bool ours = packet_->stream_index == stream_;
        if (ours) avcodec_send_packet(codec_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (ours) return true;
    }
}

bool FfmpegSource::DecodeNext(AVFrame* frame) {
    for (;;) {
        const int r = avcodec_receive_frame(codec_.get(), frame);
        if (r >= 0) return true;
        if (r != AVERROR(EAGAIN) || !Feed()) return false;
    }
}

uint32_t FfmpegSource::FrameMs(const AVFrame* frame) const {
    int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) pts = frame->pts;
    if (pts == AV_NOPTS_VALUE) return 0;
    int64_t relative = 0;
    if (__builtin_sub_overflow(pts, start_, &relative)) return pts < 0 ? 0 : uint32_t(kMaxClipMs);
    return ClampMs(av_rescale_q(relative, timeBase_, kMilliseconds));
}

// Moves the shown frame forward to the last one due at `ms`; the first frame not yet due waits in
// `pending_`, so nothing is decoded twice.
bool FfmpegSource::DecodeForward(uint32_t ms) {
    bool changed = false;
    for (;;) {
        if (!pendingValid_) {
            if (!DecodeNext(pending_.get())) break;
            pendingValid_ = true;
        }
        if (FrameMs(pending_.get()) > ms) break;
        std::swap(shown_, pending_);
        pendingValid_ = false;
        changed = true;
    }
    return changed;
}

bool FfmpegSource::DecodeUntil(uint32_t ms) {
    if (!format_) return false;
    const bool changed = DecodeForward(ms);
    if (changed) Convert();
    return changed;
}

// The demuxer lands on the key frame at or before the target; the frames from there to the target are
// decoded and dropped, so that the picture is the one that shows at the target and not the key frame's.
uint32_t FfmpegSource::SeekTo(uint32_t ms, std::string& text) {
    if (!format_) return Failure(kMediaErrorDeviceNotReady, "", text);
    if (!SeekKeyFrame(ms) && !(Reopen() && DecodeNext(shown_.get())))
        return Failure(kMediaErrorDeviceNotReady, "No se puede situar el vídeo en esa posición.", text);
    DecodeForward(ms);
    Convert();
    return kMediaOk;
}

// Lets the demuxer seek the key frame at or before `ms` and decodes it. Without an index the demuxer may
// fail, land past the data or after the target; then this answers false.
bool FfmpegSource::SeekKeyFrame(uint32_t ms) {
    // Rounded down: the key frame sought must not lie after the target.
    const int64_t offset = av_rescale_q_rnd(ms, kMilliseconds, timeBase_, AV_ROUND_DOWN);
    int64_t target = 0;
    if (__builtin_add_overflow(start_, offset, &target)) target = start_;
    if (av_seek_frame(format_.get(), stream_, target, AVSEEK_FLAG_BACKWARD) < 0) return false;
    avcodec_flush_buffers(codec_.get());
    pendingValid_ = draining_ = false;
    return DecodeNext(shown_.get()) && (FrameMs(shown_.get()) <= ms || ms < firstMs_);
}

// A clip without an index (a cut file) cannot seek; it starts again from the top of the file instead and
// decodes forward. The clip keeps the size and length it was opened with, whatever the file says now, so
// the picture buffer always fits.
bool FfmpegSource::Reopen() {
    const Size size = size_;
    const uint32_t length = length_;
    scaler_.reset();
    codec_.reset();
    format_.reset();
    std::string ignored;
    const bool reopened = OpenInput(path_, ignored) == kMediaOk && OpenDecoder(ignored) == kMediaOk;
    pendingValid_ = draining_ = false;
    size_ = size;
    length_ = length;
    if (!reopened) {
        codec_.reset();
        format_.reset();
    }
    return reopened;
}

// Converts the shown frame into the 24-bit bottom-up picture, at the clip's size whatever size the frame
// came in (a stream may lie about it).
void FfmpegSource::Convert() {
    const AVFrame* f = shown_.get();
    if (f->width <= 0 || f->height <= 0 || f->width > kMaxMediaSide || f->height > kMaxMediaSide) return;
    scaler_.reset(sws_getCachedContext(scaler_.release(), f->width, f->height, AVPixelFormat(f->format),
                                       size_.cx, size_.cy, AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr,
                                       nullptr));
    if (!scaler_) return;
    uint8_t* const destination[4] = {bits_.data() + size_t(size_.cy - 1) * size_t(stride_), nullptr, nullptr,
                                     nullptr};
    const int strides[4] = {-stride_, 0, 0, 0};
    sws_scale(scaler_.get(), f->data, f->linesize, 0, f->height, destination, strides);
}

}  // namespace

FfmpegMedia::FfmpegMedia() {
    av_log_set_level(AV_LOG_QUIET);
}

std::unique_ptr<MediaClip> FfmpegMedia::CreateClip() {
    return std::make_unique<PlaybackClip>(CreateFfmpegSource());
}

std::unique_ptr<MediaSource> CreateFfmpegSource() {
    return std::make_unique<FfmpegSource>();
}

}  // namespace platform
