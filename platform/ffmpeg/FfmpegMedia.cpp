#include "platform/ffmpeg/FfmpegMedia.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
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

struct ResamplerFreer {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFreer>;

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

// Opens an AVI file for reading through the file protocol only; the demuxer then knows its streams.
uint32_t OpenAvi(const std::string& path, FormatPtr& format, std::string& text) {
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
    format.reset(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0) return Failure(kMediaErrorInvalidFile, "", text);
    return kMediaOk;
}

// The sound stream of an open file worth decoding: one with a decoder, a sane rate and channel count.
int FindSoundStream(AVFormatContext* format, const AVCodec** decoder) {
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, decoder, 0);
    if (index < 0 || !*decoder) return -1;
    const AVCodecParameters* par = format->streams[index]->codecpar;
    if (par->sample_rate < kMinSoundRate || par->sample_rate > kMaxSoundRate) return -1;
    if (par->ch_layout.nb_channels < 1 || par->ch_layout.nb_channels > kMaxClipSoundChannels) return -1;
    return index;
}

// The sound track of a clip, with a demuxer of its own, so that reading and seeking the sound leave the
// picture's reading as it is. It converts to interleaved 16-bit stereo at the output's rate, a short
// slice at a time, so that however long a packet claims to be, the converted sound waiting here stays
// small.
class SoundTrack {
  public:
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return format_ != nullptr; }
    // Reads from `ms` on, converted to `rate`.
    bool Start(uint32_t ms, int rate);
    size_t Read(int16_t* out, size_t frames);

  private:
    bool SeekTrack(uint32_t ms);
    bool Reopen();
    bool Feed();
    bool NextFrame();
    bool Configure(const AVFrame* frame);
    void PlaceStart(const AVFrame* frame);
    bool Refill();
    void ConvertSlice();

    std::string path_;
    FormatPtr format_;
    CodecPtr codec_;
    PacketPtr packet_;
    FramePtr frame_;
    ResamplerPtr resampler_;
    int stream_ = -1;
    AVRational timeBase_{1, 1000};
    int64_t start_ = 0;
    int rate_ = 0;
    // The form of the sound the resampler was made for.
    int inRate_ = 0;
    int inFormat_ = -1;
    AVChannelLayout inLayout_{};
    bool frameValid_ = false;
    int frameOffset_ = 0;  // samples of the frame already converted
    bool draining_ = false;
    bool ended_ = false;
    bool placeStart_ = false;  // the next frame tells where the track stands after a seek
    uint32_t target_ = 0;
    uint64_t skip_ = 0;     // frames to drop before the position started at
    uint64_t silence_ = 0;  // frames of silence before the track's first sound
    std::vector<int16_t> converted_;
    size_t convertedAt_ = 0;  // in frames
};

bool SoundTrack::Open(const std::string& path) {
    Close();
    std::string ignored;
    if (OpenAvi(path, format_, ignored) != kMediaOk) {
        Close();
        return false;
    }
    const AVCodec* decoder = nullptr;
    const int index = FindSoundStream(format_.get(), &decoder);
    if (index < 0) {
        Close();
        return false;
    }
    for (unsigned i = 0; i < format_->nb_streams; ++i)
        if (int(i) != index) format_->streams[i]->discard = AVDISCARD_ALL;
    AVStream* stream = format_->streams[index];
    codec_.reset(avcodec_alloc_context3(decoder));
    packet_.reset(av_packet_alloc());
    frame_.reset(av_frame_alloc());
    if (!codec_ || !packet_ || !frame_ || avcodec_parameters_to_context(codec_.get(), stream->codecpar) < 0) {
        Close();
        return false;
    }
    codec_->thread_count = 1;
    if (avcodec_open2(codec_.get(), decoder, nullptr) < 0) {
        Close();
        return false;
    }
    path_ = path;
    stream_ = index;
    timeBase_ = stream->time_base.num > 0 && stream->time_base.den > 0 ? stream->time_base : kMilliseconds;
    start_ = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    return true;
}

void SoundTrack::Close() {
    resampler_.reset();
    frame_.reset();
    packet_.reset();
    codec_.reset();
    format_.reset();
    av_channel_layout_uninit(&inLayout_);
    inRate_ = 0;
    inFormat_ = -1;
    stream_ = -1;
    frameValid_ = draining_ = ended_ = placeStart_ = false;
    converted_.clear();
    convertedAt_ = 0;
}

bool SoundTrack::Start(uint32_t ms, int rate) {
    if (!format_ || rate < kMinSoundRate || rate > kMaxSoundRate) return false;
    // A new resampler for every start: the old one still holds the sound from before the seek.
    resampler_.reset();
    av_channel_layout_uninit(&inLayout_);
    inRate_ = 0;
    inFormat_ = -1;
    rate_ = rate;
    converted_.clear();
    convertedAt_ = 0;
    frameValid_ = draining_ = ended_ = false;
    skip_ = silence_ = 0;
    if (!SeekTrack(ms) && !Reopen()) return false;
    target_ = ms;
    placeStart_ = true;
    return true;
}

bool SoundTrack::SeekTrack(uint32_t ms) {
    const int64_t offset = av_rescale_q_rnd(ms, kMilliseconds, timeBase_, AV_ROUND_DOWN);
    int64_t target = 0;
    if (__builtin_add_overflow(start_, offset, &target)) target = start_;
    if (av_seek_frame(format_.get(), stream_, target, AVSEEK_FLAG_BACKWARD) < 0) return false;
    avcodec_flush_buffers(codec_.get());
    return true;
}

// A track that cannot seek is read again from the top; what lies before the position is dropped.
bool SoundTrack::Reopen() {
    const std::string path = path_;
    const int rate = rate_;
    if (!Open(path)) return false;
    rate_ = rate;
    return true;
}

// Gives the decoder the next packet of the sound stream, or at the end of the file the order to drain. A
// damaged packet is refused by the decoder and passed over.
bool SoundTrack::Feed() {
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

// Decodes the next frame the resampler can take; frames of a form refused are passed over.
bool SoundTrack::NextFrame() {
    frameValid_ = false;
    for (;;) {
        const int r = avcodec_receive_frame(codec_.get(), frame_.get());
        if (r >= 0) {
            if (frame_->nb_samples <= 0 || !Configure(frame_.get())) continue;
            if (placeStart_) PlaceStart(frame_.get());
            frameValid_ = true;
            frameOffset_ = 0;
            return true;
        }
        if (r != AVERROR(EAGAIN) || !Feed()) return false;
    }
}

// Makes the resampler for the frame's form unless the one there fits. Mono plays at full strength on both
// sides, as the platform played it, not 3 dB down.
bool SoundTrack::Configure(const AVFrame* frame) {
    const int channels = frame->ch_layout.nb_channels;
    if (frame->sample_rate < kMinSoundRate || frame->sample_rate > kMaxSoundRate || channels < 1 ||
        channels > kMaxClipSoundChannels)
        return false;
    if (resampler_ && frame->sample_rate == inRate_ && frame->format == inFormat_ &&
        av_channel_layout_compare(&frame->ch_layout, &inLayout_) == 0)
        return true;
    resampler_.reset();
    av_channel_layout_uninit(&inLayout_);
    AVChannelLayout layout{};
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&layout, channels);
    else if (av_channel_layout_copy(&layout, &frame->ch_layout) < 0)
        return false;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* raw = nullptr;
    const bool made = swr_alloc_set_opts2(&raw, &stereo, AV_SAMPLE_FMT_S16, rate_, &layout,
                                          AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr) >= 0;
    av_channel_layout_uninit(&layout);
    const double bothSides[2] = {1.0, 1.0};
    if (!made || (channels == 1 && swr_set_matrix(raw, bothSides, 1) < 0) || swr_init(raw) < 0) {
        swr_free(&raw);
        return false;
    }
    resampler_.reset(raw);
    inRate_ = frame->sample_rate;
    inFormat_ = frame->format;
    av_channel_layout_copy(&inLayout_, &frame->ch_layout);
    return true;
}

// The first frame after a start says where the reading landed: before the position (a seek lands on a
// packet at or before it), the sound up to the position is dropped; after it, silence stands in for what
// is missing.
void SoundTrack::PlaceStart(const AVFrame* frame) {
    placeStart_ = false;
    int64_t pts = frame->pts != AV_NOPTS_VALUE ? frame->pts : frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) return;
    int64_t relative = 0;
    if (__builtin_sub_overflow(pts, start_, &relative)) return;
    const int64_t at = av_rescale_q(relative, timeBase_, AVRational{1, rate_});
    const int64_t wanted = int64_t(target_) * rate_ / 1000;
    if (at < wanted)
        skip_ = uint64_t(wanted - std::max<int64_t>(at, 0));
    else
        silence_ = uint64_t(at - wanted);
}

// Converts the next slice of the current frame, decoding a frame when it is used up; at the end of the
// track, what the resampler still holds. False when nothing more comes.
bool SoundTrack::Refill() {
    converted_.clear();
    convertedAt_ = 0;
    if (ended_) return false;
    if (!frameValid_ || frameOffset_ >= frame_->nb_samples) {
        if (!NextFrame()) {
            ended_ = true;
            if (!resampler_) return false;
            const int room = swr_get_out_samples(resampler_.get(), 0);
            if (room <= 0) return false;
            converted_.resize(size_t(room) * 2);
            uint8_t* out[1] = {reinterpret_cast<uint8_t*>(converted_.data())};
            const int n = swr_convert(resampler_.get(), out, room, nullptr, 0);
            converted_.resize(size_t(std::max(n, 0)) * 2);
            return n > 0;
        }
    }
    ConvertSlice();
    return true;
}

void SoundTrack::ConvertSlice() {
    constexpr int kSliceSamples = 1024;
    const AVFrame* f = frame_.get();
    const int slice = std::min(kSliceSamples, f->nb_samples - frameOffset_);
    const auto format = AVSampleFormat(f->format);
    const int bytes = av_get_bytes_per_sample(format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int channels = f->ch_layout.nb_channels;
    const uint8_t* in[kMaxClipSoundChannels] = {};
    for (int c = 0; c < (planar ? channels : 1); ++c)
        in[c] = f->extended_data[c] + size_t(frameOffset_) * size_t(bytes) * size_t(planar ? 1 : channels);
    frameOffset_ += slice;
    const int room = swr_get_out_samples(resampler_.get(), slice);
    if (room <= 0) return;
    converted_.resize(size_t(room) * 2);
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(converted_.data())};
    const int n = swr_convert(resampler_.get(), out, room, in, slice);
    converted_.resize(size_t(std::max(n, 0)) * 2);
}

size_t SoundTrack::Read(int16_t* out, size_t frames) {
    if (!format_ || !rate_) return 0;
    size_t n = 0;
    while (n < frames) {
        if (silence_ > 0) {
            const size_t k = size_t(std::min<uint64_t>(silence_, frames - n));
            std::fill(out + 2 * n, out + 2 * (n + k), int16_t{0});
            silence_ -= k;
            n += k;
            continue;
        }
        const size_t ready = converted_.size() / 2 - convertedAt_;
        if (ready == 0) {
            if (!Refill()) break;
            continue;
        }
        if (skip_ > 0) {
            const size_t k = size_t(std::min<uint64_t>(skip_, ready));
            skip_ -= k;
            convertedAt_ += k;
            continue;
        }
        const size_t k = std::min(ready, frames - n);
        std::copy_n(converted_.data() + 2 * convertedAt_, 2 * k, out + 2 * n);
        convertedAt_ += k;
        n += k;
    }
    return n;
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
    bool HasSound() const override { return hasSound_; }
    bool StartSound(uint32_t ms, int rate) override;
    size_t ReadSound(int16_t* out, size_t frames) override {
        return hasSound_ ? sound_.Read(out, frames) : 0;
    }

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
    // The sound track is opened when it first plays, so that a clip played without a sound device costs
    // nothing more than one look at its streams.
    bool hasSound_ = false;
    SoundTrack sound_;
};

uint32_t FfmpegSource::Open(const std::string& path, std::string& text) {
    Close();
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return Failure(kMediaErrorFileNotFound, "", text);
    if (!S_ISREG(st.st_mode)) return Failure(kMediaErrorInvalidFile, "", text);
    path_ = path;
    uint32_t code = OpenInput(path, text);
    if (code == kMediaOk) {
        const AVCodec* decoder = nullptr;
        hasSound_ = FindSoundStream(format_.get(), &decoder) >= 0;
        code = OpenDecoder(text);
    }
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
    return OpenAvi(path, format_, text);
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

bool FfmpegSource::StartSound(uint32_t ms, int rate) {
    if (!hasSound_) return false;
    if (!sound_.IsOpen() && !sound_.Open(path_)) hasSound_ = false;
    return hasSound_ && sound_.Start(ms, rate);
}

void FfmpegSource::Close() {
    sound_.Close();
    hasSound_ = false;
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

FfmpegMedia::FfmpegMedia(Sound* output) : output_(output) {
    av_log_set_level(AV_LOG_QUIET);
}

std::unique_ptr<MediaClip> FfmpegMedia::CreateClip() {
    return std::make_unique<PlaybackClip>(CreateFfmpegSource(), nullptr, output_);
}

std::unique_ptr<MediaSource> CreateFfmpegSource() {
    return std::make_unique<FfmpegSource>();
}

}  // namespace platform
