#include "imaging/DibJpeg.h"

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <utility>

// jpeglib.h expects size_t and FILE to be declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "imaging/JpegParts.h"
#include "platform/DibStride.h"
#include "platform/HelperThread.h"
#include "platform/MessageBox.h"

IMPLEMENT_SERIAL(CDibJpeg, CDIB, 0)

namespace {

// The file is read and written in pieces of this size. Whatever the source reads beyond the stream is
// given back by seeking when the stream ends, so the size shows nowhere but in the number of reads.
constexpr size_t kBufferSize = 64 * 1024;
const char* const kCaption = "Error JPEG";
const char* const kNoMemory = "Memoria insuficiente para descomprimir JPEG.";
// A progressive stream may repeat scans without end; no real image needs more than this.
constexpr int kMaxScans = 1000;

// The library's error manager, with its messages shown in a box and its fatal errors returning to
// the adapter's recovery point.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf recovery;
    bool quiet;
};

void OutputMessage(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (!err->quiet)
        platform::Messages().Show(text, kCaption, platform::MessageIcon::none, platform::MessageButtons::ok);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->recovery, 1);
}

void InstallErrorManager(ErrorManager& err, bool quiet) {
    jpeg_std_error(&err.pub);
    err.pub.output_message = OutputMessage;
    err.pub.error_exit = ErrorExit;
    err.quiet = quiet;
}

// --- the data source on a platform file ---

struct Source {
    jpeg_source_mgr pub;
    platform::File* file;
    JOCTET* buffer;
    uint64_t startPosition;
    uint64_t totalRead;
    bool startOfFile;
    bool insertedEnd;  // the stream ended early and an end-of-image marker was supplied
};

void InitSource(j_decompress_ptr cinfo) {
    reinterpret_cast<Source*>(cinfo->src)->startOfFile = true;
}

// Reads from the file without letting a C++ exception cross the library's C frames.
size_t ReadSome(j_decompress_ptr cinfo, Source& src) {
    size_t got = 0;
    bool failed = false;
    try {
        got = src.file->Read(src.buffer, kBufferSize);
    } catch (...) {
        failed = true;
    }
    if (failed) ERREXIT(cinfo, JERR_FILE_READ);
    return got;
}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
    Source& src = *reinterpret_cast<Source*>(cinfo->src);
    size_t got = ReadSome(cinfo, src);
    src.totalRead += got;
    if (got == 0) {
        if (src.startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src.buffer[0] = 0xFF;
        src.buffer[1] = JPEG_EOI;
        got = 2;
        src.insertedEnd = true;
    }
    src.pub.next_input_byte = src.buffer;
    src.pub.bytes_in_buffer = got;
    src.startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
    Source& src = *reinterpret_cast<Source*>(cinfo->src);
    if (count <= 0) return;
    while (static_cast<size_t>(count) > src.pub.bytes_in_buffer) {
        count -= static_cast<long>(src.pub.bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    src.pub.next_input_byte += count;
    src.pub.bytes_in_buffer -= count;
}

// Leaves the file exactly after the last byte the library used; whatever was read ahead goes back.
void TermSource(j_decompress_ptr cinfo) {
    Source& src = *reinterpret_cast<Source*>(cinfo->src);
    uint64_t used = src.totalRead - src.pub.bytes_in_buffer;
    if (src.insertedEnd) used = src.totalRead;
    bool failed = false;
    try {
        src.file->Seek(src.startPosition + used);
    } catch (...) {
        failed = true;
    }
    if (failed) ERREXIT(cinfo, JERR_FILE_READ);
}

void AttachSource(j_decompress_ptr cinfo, platform::File& file) {
    auto* src = static_cast<Source*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(Source)));
    cinfo->src = &src->pub;
    src->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kBufferSize));
    src->pub.init_source = InitSource;
    src->pub.fill_input_buffer = FillInputBuffer;
    src->pub.skip_input_data = SkipInputData;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = TermSource;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    src->file = &file;
    src->startPosition = file.Position();
    src->totalRead = 0;
    src->startOfFile = true;
    src->insertedEnd = false;
}

void LimitScans(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) ERREXIT(cinfo, JERR_BAD_PROGRESSION);
}

// --- the data destination on a platform file ---

struct Destination {
    jpeg_destination_mgr pub;
    platform::File* file;
    JOCTET* buffer;
};

void WriteOut(j_compress_ptr cinfo, const JOCTET* data, size_t n, bool flush) {
    Destination& dest = *reinterpret_cast<Destination*>(cinfo->dest);
    bool failed = false;
    try {
        if (n) dest.file->Write(data, n);
        if (flush) dest.file->Flush();
    } catch (...) {
        failed = true;
    }
    if (failed) ERREXIT(cinfo, JERR_FILE_WRITE);
}

void InitDestination(j_compress_ptr cinfo) {
    Destination& dest = *reinterpret_cast<Destination*>(cinfo->dest);
    dest.buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kBufferSize));
    dest.pub.next_output_byte = dest.buffer;
    dest.pub.free_in_buffer = kBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    Destination& dest = *reinterpret_cast<Destination*>(cinfo->dest);
    WriteOut(cinfo, dest.buffer, kBufferSize, false);
    dest.pub.next_output_byte = dest.buffer;
    dest.pub.free_in_buffer = kBufferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    Destination& dest = *reinterpret_cast<Destination*>(cinfo->dest);
    WriteOut(cinfo, dest.buffer, kBufferSize - dest.pub.free_in_buffer, true);
}

void AttachDestination(j_compress_ptr cinfo, platform::File& file) {
    auto* dest = static_cast<Destination*>((*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo),
                                                                      JPOOL_PERMANENT, sizeof(Destination)));
    cinfo->dest = &dest->pub;
    dest->pub.init_destination = InitDestination;
    dest->pub.empty_output_buffer = EmptyOutputBuffer;
    dest->pub.term_destination = TermDestination;
    dest->file = &file;
    dest->buffer = nullptr;
}

// --- decoding and encoding ---
// The library returns from errors by longjmp, which skips destructors: the functions that set the
// recovery point keep all their state in the structures below, owned by their callers.

// Where a decoding on the helper thread and the thread waiting for it meet when they share the image's
// rows: the helper makes the rows before `limit`, and tells which row it is about to make in `next`. Both
// are read and written in one total order, so that of a limit set and a row begun, each thread sees the
// other's (see CDibJpeg::ShareDecoding).
struct RowGate {
    std::atomic<uint32_t> next{0};
    std::atomic<uint32_t> limit{UINT32_MAX};
};

struct DecodeState {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    PixelBlock pixels;  // given ready when its size is known beforehand, else made by the decoding
    int32_t width = 0, height = 0;
    bool noMemory = false;
    bool insertedEnd = false;
    uint32_t rowsMade = 0;  // fewer than the height when the gate stopped the decoding
    long warnings = 0;      // what the library put up with (a damaged stream, mostly)
    RowGate* gate = nullptr;
};

void ExpandGrey(const JSAMPLE* in, uint8_t* out, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x, out += 3) out[0] = out[1] = out[2] = in[x];
}

// Allocates the pixel block; an image too large for memory or the limits is reported as such.
bool AllocatePixels(DecodeState& s, size_t size) {
    try {
        s.pixels = PixelBlock::Uninitialized(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool Decode(DecodeState& s, platform::File& file) {
    jpeg_decompress_struct* cinfo = &s.cinfo;
    cinfo->err = &s.err.pub;
    if (setjmp(s.err.recovery)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    jpeg_create_decompress(cinfo);
    jpeg_progress_mgr progress{};
    progress.progress_monitor = LimitScans;
    cinfo->progress = &progress;
    AttachSource(cinfo, file);
    jpeg_read_header(cinfo, TRUE);
    // Colour comes out in the DIB's own blue, green, red order, straight into its rows.
    if (cinfo->out_color_space != JCS_GRAYSCALE) cinfo->out_color_space = JCS_EXT_BGR;
    jpeg_calc_output_dimensions(cinfo);
    const int64_t stride = platform::DibStride(cinfo->output_width, 24);
    const size_t size = static_cast<size_t>(stride) * cinfo->output_height;
    if (!ImageSizeAcceptable(cinfo->output_width, cinfo->output_height, 24) ||
        (s.pixels.size() != size && !AllocatePixels(s, size))) {
        jpeg_destroy_decompress(cinfo);
        s.noMemory = true;
        return false;
    }
    jpeg_start_decompress(cinfo);
    JSAMPARRAY line = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                  cinfo->output_width * cinfo->output_components, 1);
    s.width = static_cast<int32_t>(cinfo->output_width);
    s.height = static_cast<int32_t>(cinfo->output_height);
    // Run on the helper, the decoding wakes whoever waits for it a twelfth of the rows before its end: the
    // image's end, or the row where a share of the rows begins.
    const JDIMENSION ahead = cinfo->output_height / 12;
    bool told = false;
    while (cinfo->output_scanline < cinfo->output_height) {
        JDIMENSION y = cinfo->output_scanline;
        uint32_t limit = UINT32_MAX;
        if (s.gate) {
            s.gate->next.store(y);
            limit = s.gate->limit.load();
            if (y >= limit) {
                // The rest is the waiting thread's: the decoding stops here, without reading further.
                s.rowsMade = y;
                s.warnings = cinfo->err->num_warnings;
                jpeg_abort_decompress(cinfo);
                jpeg_destroy_decompress(cinfo);
                return true;
            }
        }
        if (!told && y + ahead >= std::min<uint32_t>(limit, cinfo->output_height)) {
            platform::HelperTask::NearlyDone();
            told = true;
        }
        uint8_t* row = s.pixels.data() + (s.height - 1 - y) * stride;
        // The block may hold an older image's bytes: the padding after the pixels is cleared.
        std::memset(row + 3 * s.width, 0, static_cast<size_t>(stride - 3 * s.width));
        if (cinfo->output_components == 3) {
            jpeg_read_scanlines(cinfo, &row, 1);
            continue;
        }
        jpeg_read_scanlines(cinfo, line, 1);
        ExpandGrey(line[0], row, cinfo->output_width);
    }
    s.rowsMade = cinfo->output_height;
    if (s.gate) s.gate->next.store(cinfo->output_height);
    jpeg_finish_decompress(cinfo);
    s.warnings = cinfo->err->num_warnings;
    s.insertedEnd = reinterpret_cast<Source*>(cinfo->src)->insertedEnd;
    jpeg_destroy_decompress(cinfo);
    return true;
}

struct EncodeState {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    std::vector<JSAMPLE> line;
};

bool Encode(EncodeState& s, platform::File& file, const CDIB& dib) {
    jpeg_compress_struct* cinfo = &s.cinfo;
    cinfo->err = &s.err.pub;
    if (setjmp(s.err.recovery)) {
        jpeg_destroy_compress(cinfo);
        return false;
    }
    jpeg_create_compress(cinfo);
    AttachDestination(cinfo, file);
    cinfo->image_width = static_cast<JDIMENSION>(dib.GetWidth());
    cinfo->image_height = static_cast<JDIMENSION>(dib.GetHeight());
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, 100, TRUE);
    cinfo->dct_method = JDCT_ISLOW;
    // A restart marker at the start of every row of blocks: a reader may then decode the image in parts
    // at once (and a damaged byte spoils one row of blocks at most).
    cinfo->restart_in_rows = 1;
    jpeg_start_compress(cinfo, TRUE);
    JSAMPROW row = s.line.data();
    while (cinfo->next_scanline < cinfo->image_height) {
        const uint8_t* in = dib.GetPixelAddress(0, static_cast<int32_t>(cinfo->next_scanline));
        for (JDIMENSION x = 0; x < cinfo->image_width; ++x) {
            row[3 * x] = in[3 * x + 2];
            row[3 * x + 1] = in[3 * x + 1];
            row[3 * x + 2] = in[3 * x];
        }
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    jpeg_destroy_compress(cinfo);
    return true;
}

// What a stream's markers say of it without decoding it: where it ends (just after its end-of-image
// marker, counted from its start) and the size its frame header gives.
struct MarkerShape {
    size_t length = 0;
    uint32_t width = 0, height = 0;
};

bool IsFrameHeader(uint8_t code) {
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

// Walks the markers as the decoder meets them: segments with a length are passed over whole; between
// them, and inside the entropy-coded data of a scan, everything up to the next 0xFF that starts a marker
// is passed over (0xFF 0x00 is a coded 0xFF, 0xFF 0xFF is fill, restart markers carry nothing). Nothing
// when the stream does not plainly end: no end marker, a second start, a length past the bytes, or no
// frame size before the end.
std::optional<MarkerShape> WalkMarkers(const uint8_t* begin, const uint8_t* end) {
    if (end - begin < 2 || begin[0] != 0xFF || begin[1] != 0xD8) return std::nullopt;
    MarkerShape shape;
    const uint8_t* p = begin + 2;
    for (;;) {
        const void* found = std::memchr(p, 0xFF, static_cast<size_t>(end - p));
        if (!found) return std::nullopt;
        p = static_cast<const uint8_t*>(found) + 1;
        while (p < end && *p == 0xFF) ++p;
        if (p == end) return std::nullopt;
        const uint8_t code = *p++;
        if (code == 0x00 || (code >= 0xD0 && code <= 0xD7) || code == 0x01) continue;
        if (code == JPEG_EOI) {
            if (shape.width == 0) return std::nullopt;
            shape.length = static_cast<size_t>(p - begin);
            return shape;
        }
        if (code == 0xD8 || end - p < 2) return std::nullopt;
        const size_t length = static_cast<size_t>(p[0]) << 8 | p[1];
        if (length < 2 || static_cast<size_t>(end - p) < length) return std::nullopt;
        if (IsFrameHeader(code) && shape.width == 0) {
            if (length < 8) return std::nullopt;
            shape.height = static_cast<uint32_t>(p[3]) << 8 | p[4];
            shape.width = static_cast<uint32_t>(p[5]) << 8 | p[6];
            if (shape.width == 0 || shape.height == 0) return std::nullopt;
        }
        p += length;
    }
}

// The size the first frame header gives, read from the segments before it alone (WalkMarkers reads the
// whole stream): nothing when a scan or the end comes first, or the segments do not hold together.
std::optional<std::pair<uint32_t, uint32_t>> FrameSize(const uint8_t* begin, const uint8_t* end) {
    if (end - begin < 4 || begin[0] != 0xFF || begin[1] != 0xD8) return std::nullopt;
    const uint8_t* p = begin + 2;
    for (;;) {
        if (end - p < 2 || p[0] != 0xFF) return std::nullopt;
        while (end - p >= 2 && p[1] == 0xFF) ++p;  // fill before a marker
        if (end - p < 4) return std::nullopt;
        const uint8_t code = p[1];
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {
            p += 2;
            continue;
        }
        if (code == JPEG_EOI || code == 0xD8 || code == 0xDA) return std::nullopt;
        const size_t length = static_cast<size_t>(p[2]) << 8 | p[3];
        if (length < 2 || static_cast<size_t>(end - p - 2) < length) return std::nullopt;
        if (IsFrameHeader(code)) {
            if (length < 8) return std::nullopt;
            const uint32_t height = static_cast<uint32_t>(p[5]) << 8 | p[6];
            const uint32_t width = static_cast<uint32_t>(p[7]) << 8 | p[8];
            if (width == 0 || height == 0) return std::nullopt;
            return std::make_pair(width, height);
        }
        p += 2 + length;
    }
}

// The header of a 24-bit image of `size` pixel bytes.
std::vector<uint8_t> InfoHeader(int32_t width, int32_t height, size_t size) {
    BITMAPINFOHEADER header;
    header.biWidth = width;
    header.biHeight = height;
    header.biBitCount = 24;
    header.biSizeImage = static_cast<uint32_t>(size);
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&header);
    return std::vector<uint8_t>(raw, raw + sizeof header);
}

}  // namespace

bool CDibJpeg::Read(platform::File& file) {
    ahead_.state.reset();
    kept_.Forget();
    Clear();
    const uint64_t begin = file.Position();
    auto state = std::make_unique<DecodeState>();
    InstallErrorManager(state->err, quiet_);
    if (!Decode(*state, file)) {
        if (state->noMemory && !quiet_) platform::ShowMessage(kNoMemory);
        return false;
    }
    const size_t size = state->pixels.size();
    Replace(InfoHeader(state->width, state->height, size), std::move(state->pixels));
    // A stream that had to be completed is not worth keeping: written back, it would run into whatever
    // follows it.
    // Read from shared memory, the kept bytes are a piece of it; from a file, they are read back once.
    if (!state->insertedEnd) kept_.KeepRead(file, begin, *this);
    return true;
}

// A decoding on the helper thread. The task owns what it writes until it is done; the image reads it only
// after waiting for the task.
struct CDibJpeg::Ahead {
    platform::SharedBytes bytes;
    uint64_t begin = 0;
    uint64_t predictedEnd = 0;
    std::shared_ptr<platform::HelperTask> task;
    // Written by the task; the pixels go to the image at its first use of them.
    bool ok = false;
    bool insertedEnd = false;
    uint64_t end = 0;
    PixelBlock pixels;
    // The image's change mark when its pixels were left to the task.
    uint64_t mark = 0;
    // The rows of the pixel block, made before the task starts, and the gate the task decodes through.
    uint8_t* bits = nullptr;
    RowGate gate;
    uint32_t rowsMade = 0;
    long warnings = 0;
    // The waiting thread's share, when it took one (ShareDecoding): the rows from `sharedFrom` on.
    bool shared = false;
    bool sharedOk = false;
    uint32_t sharedFrom = 0;
    // Set once the task's outcome and the share's have been put together (Settle).
    bool settled = false;
};

namespace {

// Rows a part's decoder could have made in the time it takes to start it (reading its headers, copying
// its stream); and the fewest rows worth a part of their own.
constexpr uint32_t kPartStartRows = 8;
constexpr uint32_t kLeastShare = 48;

}  // namespace

bool CDibJpeg::ReadAhead(platform::File& file) {
    const platform::SharedBytes bytes = quiet_ ? file.Shared() : nullptr;
    const uint64_t begin = file.Position();
    if (!bytes || !platform::HelperTask::Parallel() || begin >= bytes->size()) return Read(file);
    const uint8_t* data = bytes->data();
    // The decoding starts as soon as the frame's size is known; the stream's end is looked for meanwhile.
    const std::optional<std::pair<uint32_t, uint32_t>> frame = FrameSize(data + begin, data + bytes->size());
    if (!frame || !ImageSizeAcceptable(frame->first, frame->second, 24)) return Read(file);
    const auto width = static_cast<int32_t>(frame->first), height = static_cast<int32_t>(frame->second);
    const size_t size = static_cast<size_t>(platform::DibStride(width, 24)) * height;
    // The pixel block is made here, so that the waiting thread may write its share of the rows into it.
    auto state = std::make_shared<DecodeState>();
    if (!AllocatePixels(*state, size)) return Read(file);
    kept_.Forget();
    Clear();
    auto ahead = std::make_shared<Ahead>();
    ahead->bytes = bytes;
    ahead->begin = begin;
    ahead->bits = state->pixels.data();
    DeferPixels(InfoHeader(width, height, size));
    ahead->mark = ChangeMark();
    ahead->task = platform::HelperTask::Run([ahead, state] {
        // The same decoding as Read's, on a file of its own over the same bytes, and silent: messages
        // are for the thread of the user interface.
        platform::SharedMemoryFile own(ahead->bytes);
        own.Seek(ahead->begin);
        InstallErrorManager(state->err, true);
        state->gate = &ahead->gate;
        ahead->ok = Decode(*state, own);
        ahead->insertedEnd = state->insertedEnd;
        ahead->end = own.Position();
        ahead->rowsMade = state->rowsMade;
        ahead->warnings = state->warnings;
        if (ahead->ok) ahead->pixels = std::move(state->pixels);
    });
    const std::optional<MarkerShape> shape = WalkMarkers(data + begin, data + bytes->size());
    if (!shape || shape->width != frame->first || shape->height != frame->second) {
        // A stream that does not plainly end where its markers say: the decoding is stopped and the
        // stream read the plain way.
        ahead->gate.limit.store(0);
        ahead->task->Wait();
        return Read(file);
    }
    ahead->predictedEnd = begin + shape->length;
    ahead_.state = ahead;
    file.Seek(ahead->predictedEnd);
    return true;
}

bool CDibJpeg::ShareDecoding() {
    const std::shared_ptr<Ahead> ahead = ahead_.state;
    if (!ahead || ahead->shared || ahead->task->Done()) return false;
    const uint8_t* stream = ahead->bytes->data() + ahead->begin;
    const std::optional<jpeg_parts::Plan> plan =
        jpeg_parts::PlanOf(stream, static_cast<size_t>(ahead->predictedEnd - ahead->begin));
    if (!plan || plan->width != static_cast<uint32_t>(CDIB::GetWidth()) ||
        plan->height != static_cast<uint32_t>(CDIB::GetHeight()))
        return false;
    const uint32_t height = plan->height, rowHeight = plan->blockRowHeight;
    const uint32_t next = ahead->gate.next.load();
    if (next >= height) return false;
    // Both end together when the helper's rows from here to the part equal the part's rows plus its start:
    // the part begins at the row of blocks nearest that, or the first one below it that a restart begins.
    const uint32_t even = next + (height - next + kPartStartRows) / 2;
    uint32_t blockRow = (even + rowHeight / 2) / rowHeight;
    if (blockRow * rowHeight <= next + 1) ++blockRow;
    while (blockRow * rowHeight < height && !plan->CanStartAt(blockRow)) ++blockRow;
    if (!plan->CanStartAt(blockRow) || height - blockRow * rowHeight < kLeastShare) return false;
    // The part's first row lacks the rows above it for its upsampling: the helper makes that row too.
    const uint32_t limit = blockRow * rowHeight + 1;
    ahead->gate.limit.store(limit);
    ahead->shared = true;
    const size_t stride = static_cast<size_t>(GetStorageWidth());
    if (ahead->gate.next.load() < limit) {
        // The helper has not begun the row: it stops there, and the rows from there on are made here.
        ahead->sharedFrom = limit;
    } else {
        // It had begun it already. It stops at the next row it looks at, or ends the image: the rest, if
        // any, is made here once it has stopped.
        ahead->task->Wait();
        ahead->sharedFrom = ahead->rowsMade;
        if (!ahead->ok || ahead->sharedFrom >= height) {
            ahead->sharedOk = ahead->ok;
            return true;
        }
    }
    ahead->sharedOk = jpeg_parts::DecodePart(stream, *plan, blockRow, ahead->sharedFrom, ahead->bits, stride);
    return true;
}

void CDibJpeg::Settle(Ahead& ahead) const {
    ahead.task->Wait();
    if (ahead.settled) return;
    ahead.settled = true;
    if (!ahead.shared) return;
    // Both parts are what one decoding makes only when neither met anything amiss; otherwise the image is
    // decoded once more, whole, as Read decodes it.
    if (ahead.ok && ahead.sharedOk && ahead.warnings == 0 && ahead.rowsMade >= ahead.sharedFrom) {
        ahead.end = ahead.predictedEnd;
        ahead.insertedEnd = false;
        return;
    }
    platform::SharedMemoryFile own(ahead.bytes);
    own.Seek(ahead.begin);
    auto state = std::make_unique<DecodeState>();
    InstallErrorManager(state->err, true);
    ahead.ok = Decode(*state, own);
    ahead.insertedEnd = state->insertedEnd;
    ahead.end = own.Position();
    ahead.pixels = ahead.ok ? std::move(state->pixels) : PixelBlock();
}

bool CDibJpeg::TakeDeferredPixels(PixelBlock& pixels) const {
    const std::shared_ptr<Ahead>& ahead = ahead_.state;
    if (!ahead) return false;
    Settle(*ahead);
    // The frame header and the decoder agree on the size unless the stream is one the decoder refuses.
    if (ahead->ok && ahead->pixels.size() ==
                         static_cast<size_t>(GetStorageWidth()) * static_cast<size_t>(CDIB::GetHeight()))
        pixels = std::move(ahead->pixels);
    return true;
}

bool CDibJpeg::StillDecoding() const {
    return ahead_.state && !ahead_.state->task->Done();
}

CDibJpeg::Outcome CDibJpeg::FinishReading() {
    if (!ahead_.state) return Outcome::read;
    const std::shared_ptr<Ahead> ahead = ahead_.state;
    Settle(*ahead);
    // An image replaced since its read is no longer the decoding's to finish.
    const bool mine = ChangeMark() == ahead->mark;
    // The pixels move in from the decoding, unless someone asked for them already.
    const bool placed = mine && Bits() != nullptr;
    ahead_.state.reset();
    // Only a quiet image reads ahead: a failure shows nothing here either.
    if (!ahead->ok) {
        if (mine) Clear();
        return Outcome::failed;
    }
    // A decoder that ended the stream elsewhere, or made another size than the frame header said, is
    // followed by reading again the plain way.
    if (ahead->end != ahead->predictedEnd || (mine && !placed)) return Outcome::misplaced;
    if (mine && !ahead->insertedEnd) kept_.Keep(ahead->bytes, ahead->begin, ahead->end - ahead->begin, *this);
    return Outcome::read;
}

bool CDibJpeg::Write(platform::File& file) {
    if (!HasImage() || !Bits() || GetBitCount() != 24) return false;
    if (kept_.Matches(*this)) {
        try {
            kept_.WriteTo(file);
            file.Flush();
        } catch (const platform::FileException&) {
            return false;
        }
        return true;
    }
    auto state = std::make_unique<EncodeState>();
    InstallErrorManager(state->err, quiet_);
    try {
        state->line.resize(3 * static_cast<size_t>(GetWidth()));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return Encode(*state, file, *this);
}

bool CDibJpeg::Load(const std::string& path) {
    return LoadChoosingReader(
        path, OpenDialog("JPEG files (*.JPG)|*.JPG|BMP files (*.BMP)|*.BMP|All files (*.*)|*.*||"), "JPG",
        [](CDIB& dib, platform::File& file) { return static_cast<CDibJpeg&>(dib).CDibJpeg::Read(file); });
}

bool CDibJpeg::Save(const std::string& path) {
    return SaveWith(path, SaveDialog("Jpeg files (*.JPG)|*.JPG|All files (*.*)|*.*||"));
}
