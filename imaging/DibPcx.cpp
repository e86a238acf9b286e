#include "imaging/DibPcx.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <span>
#include <type_traits>
#include <utility>

#include "imaging/ImageFiles.h"
#include "platform/DibStride.h"
#include "platform/LittleEndian.h"
#include "platform/MessageBox.h"
#include "platform/Processor.h"

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#endif

IMPLEMENT_SERIAL(CDibPcx, CDIB, 0)

namespace {

constexpr size_t kPcxHeaderSize = 128;
constexpr size_t kInputBufferSize = 4096;
// The room a decoded line leaves after its end for the fixed-size fills of SpanInput::DecodeLine: the
// longest run.
constexpr size_t kLineSlack = 64;
constexpr uint8_t kManufacturer = 10;
constexpr size_t kPaletteSize = 768;
const char* const kNoMemory = "Memoria insuficiente para descomprimir PCX.";

// The header's coordinates and lengths are signed 16-bit values.
int16_t Signed16(const uint8_t* p) {
    return static_cast<int16_t>(platform::LoadLe16(p));
}
void Put16(uint8_t* p, int32_t v) {
    platform::StoreLe16(p, static_cast<uint16_t>(v));
}

// The encoded bytes of a PCX image, taken from the file 4096 at a time and counted, so that the file
// can be left exactly after the last byte used.
class PcxInput {
  public:
    explicit PcxInput(platform::File& file) : file_(file) {}

    uint64_t Consumed() const { return consumed_; }

    // Decodes one plane line of exactly `length` bytes. A run that would pass the end of the line, or
    // the end of the data, makes the line (and the image) bad.
    bool DecodeLine(uint8_t* line, size_t length) {
        size_t produced = 0;
        while (produced < length) {
            // While a run header is sure to find its value byte in the buffer, the buffer is walked
            // directly; the last byte of a buffer goes the careful way.
            size_t pos = pos_;
            const size_t stop = len_ > 0 ? len_ - 1 : 0;
            while (produced < length && pos < stop) {
                const uint8_t byte = buffer_[pos++];
                if (byte < 0xC0) {
                    line[produced++] = byte;
                    continue;
                }
                const size_t count = byte & 0x3F;
                if (count > length - produced) return false;
                std::memset(line + produced, buffer_[pos++], count);
                produced += count;
            }
            consumed_ += pos - pos_;
            pos_ = pos;
            if (produced < length && !DecodeOne(line, produced, length)) return false;
        }
        return true;
    }

  private:
    bool Next(uint8_t& byte) {
        if (pos_ == len_) {
            len_ = file_.Read(buffer_, sizeof buffer_);
            pos_ = 0;
            if (len_ == 0) return false;
        }
        byte = buffer_[pos_++];
        ++consumed_;
        return true;
    }

    // One literal or one run, taking its bytes across a refill of the buffer.
    bool DecodeOne(uint8_t* line, size_t& produced, size_t length) {
        uint8_t byte;
        if (!Next(byte)) return false;
        if (byte < 0xC0) {
            line[produced++] = byte;
            return true;
        }
        const size_t count = byte & 0x3F;
        if (!Next(byte) || count > length - produced) return false;
        std::memset(line + produced, byte, count);
        produced += count;
        return true;
    }

    platform::File& file_;
    uint8_t buffer_[kInputBufferSize];
    size_t pos_ = 0, len_ = 0;
    uint64_t consumed_ = 0;
};

// The encoded bytes of a PCX image lying whole in memory (a title read whole, an undo snapshot).
class SpanInput {
  public:
    SpanInput(const uint8_t* begin, const uint8_t* end) : p_(begin), end_(end) {}

    const uint8_t* Position() const { return p_; }

    // Passes over the next bytes when they are `earlier` again.
    bool Repeats(std::span<const uint8_t> earlier) {
        if (static_cast<size_t>(end_ - p_) < earlier.size() ||
            std::memcmp(p_, earlier.data(), earlier.size()) != 0)
            return false;
        p_ += earlier.size();
        return true;
    }

    // As PcxInput::DecodeLine, for a line with kLineSlack bytes of room after it.
    bool DecodeLine(uint8_t* line, size_t length) {
        size_t produced = 0;
        // While the input holds a whole token for sure, every token writes as much as the longest run
        // does, which the room after the line takes: a fixed-size fill, made without a call or a branch
        // on its length. A run that passes the line's end is found once the line is done.
        const uint8_t* p = p_;
        while (produced < length && end_ - p >= 2) {
            const uint8_t byte = p[0];
            const bool run = byte >= 0xC0;
            std::memset(line + produced, run ? p[1] : byte, kLineSlack);
            produced += run ? (byte & 0x3F) : 1;
            p += run ? 2 : 1;
        }
        p_ = p;
        if (produced > length) return false;
        while (produced < length) {
            if (p_ == end_) return false;
            const uint8_t byte = *p_++;
            if (byte < 0xC0) {
                line[produced++] = byte;
                continue;
            }
            const size_t count = byte & 0x3F;
            if (p_ == end_ || count > length - produced) return false;
            std::memset(line + produced, *p_++, count);
            produced += count;
        }
        return true;
    }

    // Walks `lines` lines of `length` bytes without producing them, failing where decoding would fail:
    // what tells a bad stream, and where the image ends, without decoding it.
    bool SkipLines(uint64_t lines, size_t length) {
        // Each token's length depends on its first byte. Branching on it lets the processor run ahead on
        // its guess of the next token instead of waiting for every byte; a run that passes the line's end
        // overshoots it, which the end of the line tells.
        const uint8_t* p = p_;
        for (; lines > 0; --lines) {
            size_t produced = 0;
            do {
                if (end_ - p < 2 && (p == end_ || *p >= 0xC0)) return false;
                const uint8_t byte = *p;
                if (byte < 0xC0) {
                    ++produced;
                    ++p;
                } else {
                    produced += byte & 0x3F;
                    p += 2;
                }
            } while (produced < length);
            if (produced != length) return false;
        }
        p_ = p;
        return true;
    }

    // Passes over at most `most` repeats of the `period` bytes before the position, whole repeats only;
    // returns how many there were.
    uint64_t SkipRepeats(size_t period, uint64_t most) {
        if (period == 0 || most == 0) return 0;
        const size_t limit = static_cast<size_t>(std::min<uint64_t>(end_ - p_, most * period));
        const uint8_t* earlier = p_ - period;
        size_t same = 0;
        for (; same + 8 <= limit; same += 8) {
            uint64_t now, before;
            std::memcpy(&now, p_ + same, 8);
            std::memcpy(&before, earlier + same, 8);
            // On a little-endian machine the lowest differing bit belongs to the first differing byte.
            if (const uint64_t differs = now ^ before) {
                same += static_cast<size_t>(std::countr_zero(differs)) / 8;
                break;
            }
        }
        if (same + 8 > limit)
            while (same < limit && p_[same] == earlier[same]) ++same;
        const uint64_t repeats = same / period;
        p_ += repeats * period;
        return repeats;
    }

    // The first byte of the line that starts here, which SkipLines has found good (and not empty).
    uint8_t FirstByte() const {
        for (const uint8_t* p = p_;; p += 2) {
            if (*p < 0xC0) return *p;
            if ((*p & 0x3F) != 0) return p[1];
        }
    }

  private:
    const uint8_t* p_;
    const uint8_t* end_;
};

struct PcxShape {
    int32_t width, height, lineLength, planes;
};

// The geometry every PCX header states in the same fields, whatever its colour depth.
PcxShape ShapeOf(const uint8_t* header) {
    return {Signed16(header + 8) - Signed16(header + 4) + 1, Signed16(header + 10) - Signed16(header + 6) + 1,
            Signed16(header + 66), header[65]};
}

enum class HeaderVerdict { bad, tooLarge, good };

// A header is bad when it cannot describe an image at all; a well-formed one whose image would exceed
// the memory limits is told apart, because that is reported like a failed allocation.
HeaderVerdict ParseHeader(const uint8_t* header, PcxShape& shape) {
    if (header[0] != kManufacturer) return HeaderVerdict::bad;
    shape = ShapeOf(header);
    if (shape.width <= 0 || shape.height <= 0 || shape.lineLength <= 0) return HeaderVerdict::bad;
    if (shape.planes != 1 && shape.planes != 3) return HeaderVerdict::bad;
    return ImageSizeAcceptable(shape.width, shape.height, 8 * shape.planes) ? HeaderVerdict::good
                                                                            : HeaderVerdict::tooLarge;
}

// Every encoded byte yields at most 63 pixel bytes, so an image whose lines could not fit in the rest
// of the file is refused before its pixel block is allocated.
bool FitsInFile(const PcxShape& shape, uint64_t remaining) {
    uint64_t perLine = (static_cast<uint64_t>(shape.lineLength) + 62) / 63;
    return perLine * shape.planes * static_cast<uint64_t>(shape.height) <= remaining;
}

// The number of bytes equal to `value` from `p` on, at most `n`, compared a word at a time.
size_t RunLength(const uint8_t* p, size_t n, uint8_t value) {
    const uint64_t repeated = 0x0101010101010101ull * value;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t word;
        std::memcpy(&word, p + i, 8);
        // On a little-endian machine the lowest differing bit belongs to the first differing byte.
        if (const uint64_t differs = word ^ repeated)
            return i + static_cast<size_t>(std::countr_zero(differs)) / 8;
    }
    while (i < n && p[i] == value) ++i;
    return i;
}

// Writes the encoded form of one plane line of n bytes at `out` and returns the end of what it wrote
// (at most 2n bytes): runs of up to 63 equal bytes, never crossing the line. A run of L equal bytes
// becomes L / 63 runs of 63 and one of the rest; a run of one below 0xC0 is the plain byte.
uint8_t* EncodeLine(const uint8_t* line, size_t n, uint8_t* out) {
    size_t i = 0;
    while (i < n) {
        const uint8_t value = line[i];
        // Most bytes of a picture's gradients differ from the next one: they need no run scan.
        if (i + 1 == n || line[i + 1] != value) {
            if (value >= 0xC0) *out++ = 0xC0 | 1;
            *out++ = value;
            ++i;
            continue;
        }
        size_t length = RunLength(line + i, n - i, value);
        i += length;
        for (; length >= 63; length -= 63) {
            *out++ = 0xC0 | 63;
            *out++ = value;
        }
        if (length == 1 && value < 0xC0) {
            *out++ = value;
        } else if (length != 0) {
            *out++ = static_cast<uint8_t>(0xC0 | length);
            *out++ = value;
        }
    }
    return out;
}

// The red, green and blue lines of a row as its blue, green, red pixels.
void InterleavePlain(const uint8_t* red, const uint8_t* green, const uint8_t* blue, uint8_t* row,
                     size_t count) {
    for (size_t x = 0; x < count; ++x) {
        row[3 * x] = blue[x];
        row[3 * x + 1] = green[x];
        row[3 * x + 2] = red[x];
    }
}

#if defined(__x86_64__) || defined(__i386__)

// Sixteen pixels at a time with byte shuffles (see CanShuffleBytes): each 16 bytes of the row gather
// from the three lines.
__attribute__((target("ssse3"))) void InterleaveShuffling(const uint8_t* red, const uint8_t* green,
                                                          const uint8_t* blue, uint8_t* row, size_t count) {
    // For output byte q of a group of 48: channel q % 3 (blue, green, red) of pixel q / 3.
    static const auto masks = [] {
        struct Masks {
            alignas(16) int8_t of[3][3][16];  // [output piece][channel][byte]
        } m{};
        for (int piece = 0; piece < 3; ++piece)
            for (int channel = 0; channel < 3; ++channel)
                for (int b = 0; b < 16; ++b) {
                    const int q = 16 * piece + b;
                    m.of[piece][channel][b] = static_cast<int8_t>(q % 3 == channel ? q / 3 : -1);
                }
        return m;
    }();
    size_t x = 0;
    for (; x + 16 <= count; x += 16) {
        const __m128i channels[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(blue + x)),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(green + x)),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(red + x))};
        for (int piece = 0; piece < 3; ++piece) {
            __m128i out = _mm_setzero_si128();
            for (int channel = 0; channel < 3; ++channel)
                out = _mm_or_si128(
                    out, _mm_shuffle_epi8(channels[channel], _mm_load_si128(reinterpret_cast<const __m128i*>(
                                                                 masks.of[piece][channel]))));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 3 * x + 16 * piece), out);
        }
    }
    InterleavePlain(red + x, green + x, blue + x, row + 3 * x, count - x);
}

void Interleave(const uint8_t* red, const uint8_t* green, const uint8_t* blue, uint8_t* row, size_t count) {
    if (platform::CanShuffleBytes())
        InterleaveShuffling(red, green, blue, row, count);
    else
        InterleavePlain(red, green, blue, row, count);
}

#else

void Interleave(const uint8_t* red, const uint8_t* green, const uint8_t* blue, uint8_t* row, size_t count) {
    InterleavePlain(red, green, blue, row, count);
}

#endif

// Decodes rows `from` to `to` - 1 (counted from the top, the input standing at row `from`) of an image of
// `shape` into the bottom-up pixel block `bits`, writing every byte of those rows, padding included.
template <class Input>
bool DecodeRows(Input& input, const PcxShape& shape, uint8_t* bits, size_t stride, int32_t from, int32_t to) {
    const size_t lineLength = static_cast<size_t>(shape.lineLength);
    // Line bytes beyond the width are dropped; pixels beyond a shorter line stay black.
    const size_t copied = std::min<size_t>(shape.width, lineLength);
    const size_t pixelBytes = copied * (shape.planes == 1 ? 1 : 3);
    std::vector<uint8_t> line(lineLength * shape.planes + kLineSlack);
    // The bytes the row before was coded in, when they lie in memory: a row coded in the same bytes is the
    // same row (the see-through stretches of a sprite sheet), copied instead of decoded.
    std::span<const uint8_t> before;
    for (int32_t r = from; r < to; ++r) {
        uint8_t* row = bits + static_cast<size_t>(shape.height - r - 1) * stride;
        constexpr bool inMemory = std::is_same_v<Input, SpanInput>;
        const uint8_t* start = nullptr;
        if constexpr (inMemory) {
            start = input.Position();
            if (!before.empty() && input.Repeats(before)) {
                std::memcpy(row, row + stride, stride);
                continue;
            }
        }
        for (int p = 0; p < shape.planes; ++p)
            if (!input.DecodeLine(line.data() + p * lineLength, lineLength)) return false;
        if constexpr (inMemory) before = {start, input.Position()};
        if (shape.planes == 1) {
            std::memcpy(row, line.data(), copied);
        } else {
            const uint8_t *red = line.data(), *green = red + lineLength, *blue = green + lineLength;
            Interleave(red, green, blue, row, copied);
        }
        std::memset(row + pixelBytes, 0, stride - pixelBytes);
    }
    return true;
}

}  // namespace

bool CDibPcx::Read(platform::File& file) {
    Clear();
    kept_.Forget();
    try {
        const uint64_t begin = file.Position();
        uint8_t header[kPcxHeaderSize];
        PcxShape shape;
        if (file.Read(header, sizeof header) != sizeof header) return false;
        HeaderVerdict verdict = ParseHeader(header, shape);
        if (verdict == HeaderVerdict::tooLarge) platform::ShowMessage(kNoMemory);
        if (verdict != HeaderVerdict::good || !FitsInFile(shape, file.Remaining())) return false;
        if (shape.planes == 3)
            if (const platform::SharedBytes shared = file.Shared())
                return ReadDeferred(file, begin, shape.width, shape.height, shape.lineLength, *shared);
        PcxInput input(file);
        const uint64_t start = file.Position();
        if (!Allocate(shape.width, shape.height, shape.planes == 1 ? 1 : 3)) {
            platform::ShowMessage(kNoMemory);
            return false;
        }
        const size_t stride = static_cast<size_t>(GetStorageWidth());
        if (!DecodeRows(input, shape, GetBits(), stride, 0, shape.height)) {
            Clear();
            return false;
        }
        reinterpret_cast<BITMAPINFOHEADER*>(header_.data())->biSizeImage =
            static_cast<uint32_t>(stride * shape.height);
        file.Seek(start + input.Consumed() + (shape.planes == 1 ? 1 : 0));
        if (shape.planes == 3) {
            kept_.KeepRead(file, begin, *this);
            return true;
        }
        // One plane: the palette follows its marker byte. Without it the image keeps the grey ramp
        // of a new 8-bit image and stays 8-bit.
        uint8_t palette[kPaletteSize];
        if (file.Read(palette, sizeof palette) != sizeof palette) return true;
        uint8_t* table = GetColorTable();
        for (int i = 0; i < 256; ++i) {
            table[4 * i] = palette[3 * i + 2];
            table[4 * i + 1] = palette[3 * i + 1];
            table[4 * i + 2] = palette[3 * i];
            table[4 * i + 3] = 0;
        }
        if (!ConvertTo24()) {
            platform::ShowMessage(kNoMemory);
            Clear();
            return false;
        }
        kept_.KeepRead(file, begin, *this);
        return true;
    } catch (const platform::FileException&) {
        Clear();
        return false;
    } catch (const std::bad_alloc&) {
        Clear();
        platform::ShowMessage(kNoMemory);
        return false;
    }
}

bool CDibPcx::ReadDeferred(platform::File& file, uint64_t begin, int32_t width, int32_t height,
                           int32_t lineLength, const std::vector<uint8_t>& bytes) {
    const uint64_t start = file.Position();
    if (start > bytes.size()) return false;
    SpanInput input(bytes.data() + start, bytes.data() + bytes.size());
    const size_t length = static_cast<size_t>(lineLength);
    // The whole stream is walked now, so that a title with a broken sprite is refused when it is opened,
    // as it always was; only the pixels wait. The top-left pixel is taken on the way: it gives the
    // sprite's transparent colour.
    uint8_t topLeft[3];  // red, green, blue: the first line of each plane
    const uint8_t* row = input.Position();
    for (uint8_t& first : topLeft) {
        const SpanInput line = input;
        if (!input.SkipLines(1, length)) return false;
        first = line.FirstByte();
    }
    // Rows encoded exactly as the row before them are as good as it: an area of one colour (a sprite's
    // transparent surroundings) is passed over a word at a time instead of a run at a time.
    for (uint64_t rowsLeft = static_cast<uint64_t>(height) - 1;;) {
        rowsLeft -= input.SkipRepeats(static_cast<size_t>(input.Position() - row), rowsLeft);
        if (rowsLeft == 0) break;
        row = input.Position();
        if (!input.SkipLines(3, length)) return false;
        --rowsLeft;
    }
    BITMAPINFOHEADER header;
    header.biWidth = width;
    header.biHeight = height;
    header.biSizeImage = static_cast<uint32_t>(platform::DibStride(width, 24) * height);
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&header);
    DeferPixels(std::vector<uint8_t>(raw, raw + sizeof header));
    deferredTopLeft_ =
        static_cast<uint32_t>(topLeft[0]) << 16 | static_cast<uint32_t>(topLeft[1]) << 8 | topLeft[2];
    file.Seek(static_cast<uint64_t>(input.Position() - bytes.data()));
    kept_.KeepRead(file, begin, *this);
    return true;
}

bool CDibPcx::DecodeDeferredPixels(uint8_t* bits, size_t stride) const {
    return DecodeDeferredRows(bits, stride, 0, CDIB::GetHeight());
}

bool CDibPcx::DecodeDeferredRows(uint8_t* bits, size_t stride, int32_t from, int32_t to) const {
    // The kept stream is the one the header was read from: every change of the image decodes it first.
    const std::span<const uint8_t> stream = kept_.Stream();
    PcxShape shape;
    if (stream.size() < kPcxHeaderSize || ParseHeader(stream.data(), shape) != HeaderVerdict::good ||
        shape.planes != 3 || shape.width != CDIB::GetWidth() || shape.height != CDIB::GetHeight())
        return false;
    // Rows after the first ones go on where the rows before them ended.
    const size_t begin = from == 0 ? kPcxHeaderSize : resumeAt_;
    if (from < 0 || to > shape.height || from > to || begin < kPcxHeaderSize || begin > stream.size())
        return false;
    SpanInput input(stream.data() + begin, stream.data() + stream.size());
    try {
        if (!DecodeRows(input, shape, bits, stride, from, to)) return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    resumeAt_ = static_cast<size_t>(input.Position() - stream.data());
    return true;
}

std::optional<uint32_t> CDibPcx::TopLeftBeforeDecoding() const {
    if (!PixelsDeferred()) return std::nullopt;
    return deferredTopLeft_;
}

bool CDibPcx::Write(platform::File& file) {
    if (!HasImage() || GetBitCount() != 24) return false;
    // An image written as read needs no pixels: one whose pixels were never decoded stays so.
    if (kept_.Matches(*this)) {
        // Written as read: storing a title, and every undo snapshot of it, encodes nothing again.
        try {
            kept_.WriteTo(file);
        } catch (const platform::FileException&) {
            return false;
        }
        return true;
    }
    if (!Bits()) return false;
    const int32_t width = CDIB::GetWidth(), height = CDIB::GetHeight();
    uint8_t header[kPcxHeaderSize] = {};
    header[0] = kManufacturer;
    header[1] = 5;
    header[2] = 1;
    header[3] = 8;
    Put16(header + 8, width - 1);
    Put16(header + 10, height - 1);
    header[65] = 3;
    Put16(header + 66, width);
    try {
        // The three plane lines of a row, and the encoded rows gathered into writes of about 64 KiB; an
        // encoded row takes at most twice its pixel bytes.
        const size_t n = static_cast<size_t>(width);
        std::vector<uint8_t> lines(3 * n);
        const size_t rowMost = 6 * n;
        std::vector<uint8_t> encoded(std::max<size_t>(rowMost, 64 * 1024));
        file.Write(header, sizeof header);
        const uint64_t start = file.Position();
        uint64_t written = 0;
        uint8_t* out = encoded.data();
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* row = std::as_const(*this).GetPixelAddress(0, y);
            uint8_t *red = lines.data(), *green = red + n, *blue = green + n;
            for (size_t x = 0; x < n; ++x) {
                blue[x] = row[3 * x];
                green[x] = row[3 * x + 1];
                red[x] = row[3 * x + 2];
            }
            if (static_cast<size_t>(encoded.data() + encoded.size() - out) < rowMost) {
                file.Write(encoded.data(), static_cast<size_t>(out - encoded.data()));
                written += static_cast<uint64_t>(out - encoded.data());
                out = encoded.data();
            }
            for (const uint8_t* plane : {red, green, blue}) out = EncodeLine(plane, n, out);
        }
        file.Write(encoded.data(), static_cast<size_t>(out - encoded.data()));
        written += static_cast<uint64_t>(out - encoded.data());
        file.Seek(start + written);
    } catch (const platform::FileException&) {
        return false;
    } catch (const std::bad_alloc&) {
        platform::ShowMessage(kNoMemory);
        return false;
    }
    return true;
}

bool CDibPcx::ReadAsPcx(CDIB& dib, platform::File& file) {
    return static_cast<CDibPcx&>(dib).CDibPcx::Read(file);
}

bool CDibPcx::Load(const std::string& path) {
    return LoadChoosingReader(
        path, OpenDialog("PCX files (*.PCX)|*.PCX|BMP files (*.BMP)|*.BMP|All files (*.*)|*.*||"), "PCX",
        ReadAsPcx);
}

bool CDibPcx::Save(const std::string& path) {
    return SaveWith(path, SaveDialog("PCX files (*.PCX)|*.PCX|All files (*.*)|*.*||"));
}

// --- the PCX files of older painting programs, for loading by extension ---

namespace {

// Monochrome and 16-colour PCX: 1 bit in 1 to 4 planes, or 2 or 4 bits in one plane. Pixel x takes
// its index from bit x of every plane (plane 0 the lowest bit), or from its packed bits; the colours
// come from the header's 16-entry palette, except that a monochrome image is black and white.
struct LowColourShape : PcxShape {
    int bits;
};

bool ParseLowColour(const uint8_t* header, LowColourShape& shape) {
    static_cast<PcxShape&>(shape) = ShapeOf(header);
    shape.bits = header[3];
    const bool packed = (shape.bits == 2 || shape.bits == 4) && shape.planes == 1;
    const bool planar = shape.bits == 1 && shape.planes >= 1 && shape.planes <= 4;
    return header[0] == kManufacturer && (packed || planar) && shape.lineLength > 0 &&
           ImageSizeAcceptable(shape.width, shape.height, 24);
}

uint8_t LowColourIndex(const LowColourShape& shape, const std::vector<uint8_t>& lines, int32_t x) {
    const int perByte = 8 / shape.bits;
    const size_t at = static_cast<size_t>(x / perByte);
    if (at >= static_cast<size_t>(shape.lineLength)) return 0;
    const int shift = 8 - shape.bits * (x % perByte + 1);
    uint8_t index = 0;
    for (int p = 0; p < shape.planes; ++p)
        index |= ((lines[p * shape.lineLength + at] >> shift) & ((1 << shape.bits) - 1)) << p;
    return index;
}

bool ReadLowColourPcx(platform::File& file, const uint8_t* header, CDIB& dib) {
    LowColourShape shape;
    if (!ParseLowColour(header, shape)) return false;
    if (!FitsInFile(shape, file.Remaining())) return false;
    uint8_t palette[16][3];
    std::memcpy(palette, header + 16, sizeof palette);
    if (shape.bits == 1 && shape.planes == 1) {
        std::memset(palette[0], 0, 3);
        std::memset(palette[1], 255, 3);
    }
    CDIB result;
    if (!result.Create(shape.width, shape.height, 3)) return false;
    std::vector<uint8_t> lines(static_cast<size_t>(shape.lineLength) * shape.planes);
    PcxInput input(file);
    for (int32_t y = 0; y < shape.height; ++y) {
        for (int p = 0; p < shape.planes; ++p)
            if (!input.DecodeLine(lines.data() + p * shape.lineLength, shape.lineLength)) return false;
        uint8_t* out = result.GetPixelAddress(0, y);
        for (int32_t x = 0; x < shape.width; ++x, out += 3) {
            const uint8_t* rgb = palette[LowColourIndex(shape, lines, x)];
            out[0] = rgb[2], out[1] = rgb[1], out[2] = rgb[0];
        }
    }
    return dib.CopyPacked(result.GetHeader(), result.GetBits());
}

}  // namespace

bool ReadPcxImage(platform::File& file, CDIB& dib) {
    try {
        const uint64_t start = file.Position();
        uint8_t header[kPcxHeaderSize];
        if (file.Read(header, sizeof header) != sizeof header) return false;
        if (header[3] != 8) return ReadLowColourPcx(file, header, dib);
        file.Seek(start);
        CDibPcx pcx;
        if (!pcx.Read(file) || !pcx.ConvertTo24()) return false;
        BITMAPINFOHEADER packed = *pcx.GetHeader();
        packed.biClrUsed = 0;
        return dib.CopyPacked(&packed, pcx.GetBits());
    } catch (const platform::FileException&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
