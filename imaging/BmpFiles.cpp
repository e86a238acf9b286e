#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/ImageFiles.h"
#include "platform/DibStride.h"
#include "platform/LittleEndian.h"

// Loading by extension takes BMP files from anywhere, not only those the programs write: 1, 4, 8, 16,
// 24 and 32 bits, run-length 4 and 8, bit fields, top-down rows, and the header versions that Windows
// and OS/2 have used. Everything is decoded into 24-bit rows.

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

using platform::LoadLe16;
using platform::LoadLe32;

struct Bgr {
    uint8_t b = 0, g = 0, r = 0;
};

// One colour mask of a 16- or 32-bit image: where the channel lies and how to widen it to 8 bits.
struct Mask {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Mask(uint32_t m = 0) : mask(m) {
        if (!m) return;
        while (!(m & 1)) m >>= 1, ++shift;
        max = m;
    }
    uint8_t Apply(uint32_t pixel) const {
        if (!max) return 0;
        return static_cast<uint8_t>((static_cast<uint64_t>((pixel & mask) >> shift) * 255 + max / 2) / max);
    }
};

struct BmpLayout {
    int32_t width = 0, height = 0;
    bool topDown = false;
    int bits = 0;
    uint32_t compression = kRgb;
    std::array<Bgr, 256> palette{};
    Mask red, green, blue;
    uint64_t pixelStart = 0;
};

bool HeaderSizeKnown(uint32_t size) {
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool FormatKnown(const BmpLayout& b) {
    switch (b.compression) {
        case kRgb:
            return b.bits == 1 || b.bits == 4 || b.bits == 8 || b.bits == 16 || b.bits == 24 || b.bits == 32;
        case kRle8:
            return b.bits == 8 && !b.topDown;
        case kRle4:
            return b.bits == 4 && !b.topDown;
        case kBitFields:
            return b.bits == 16 || b.bits == 32;
    }
    return false;
}

void DefaultMasks(BmpLayout& b) {
    if (b.bits == 16) b.red = Mask(0x7C00), b.green = Mask(0x03E0), b.blue = Mask(0x001F);
    if (b.bits == 32) b.red = Mask(0xFF0000), b.green = Mask(0xFF00), b.blue = Mask(0xFF);
}

// Reads the headers, the masks and the colour table; leaves `b.pixelStart` where the rows begin.
bool ReadLayout(platform::File& file, BmpLayout& b) {
    const uint64_t start = file.Position();
    uint8_t fh[kFileHeaderSize];
    uint8_t ih[124] = {};
    if (file.Read(fh, sizeof fh) != sizeof fh || LoadLe16(fh) != 0x4D42) return false;
    if (file.Read(ih, 4) != 4) return false;
    const uint32_t size = LoadLe32(ih);
    if (!HeaderSizeKnown(size) || file.Read(ih + 4, size - 4) != size - 4) return false;
    const bool core = size == 12;
    int64_t height = core ? LoadLe16(ih + 6) : static_cast<int32_t>(LoadLe32(ih + 8));
    b.width = core ? LoadLe16(ih + 4) : static_cast<int32_t>(LoadLe32(ih + 4));
    b.bits = core ? LoadLe16(ih + 10) : LoadLe16(ih + 14);
    b.compression = core ? kRgb : LoadLe32(ih + 16);
    b.topDown = height < 0;
    height = height < 0 ? -height : height;
    if (!ImageSizeAcceptable(b.width, height, 24) || !FormatKnown(b)) return false;
    b.height = static_cast<int32_t>(height);
    DefaultMasks(b);
    if (b.compression == kBitFields) {
        uint8_t masks[12];
        const uint8_t* m = ih + 40;
        if (size == 40) {
            if (file.Read(masks, sizeof masks) != sizeof masks) return false;
            m = masks;
        }
        b.red = Mask(LoadLe32(m)), b.green = Mask(LoadLe32(m + 4)), b.blue = Mask(LoadLe32(m + 8));
    }
    if (b.bits <= 8) {
        const uint32_t used = core ? 0 : LoadLe32(ih + 32);
        const uint32_t entries = std::min<uint32_t>(used ? used : 1u << b.bits, 256);
        const size_t entrySize = core ? 3 : 4;
        std::vector<uint8_t> table(entries * entrySize);
        if (file.Read(table.data(), table.size()) != table.size()) return false;
        for (uint32_t i = 0; i < entries; ++i) std::memcpy(&b.palette[i], &table[i * entrySize], 3);
    }
    // The offset of the rows is trusted when it lies after the headers; some writers leave it 0.
    const uint32_t offset = LoadLe32(fh + 10);
    b.pixelStart = offset >= kFileHeaderSize + size ? start + offset : file.Position();
    return true;
}

void ConvertRow(const BmpLayout& b, const uint8_t* in, uint8_t* out) {
    for (int32_t x = 0; x < b.width; ++x, out += 3) {
        Bgr c;
        if (b.bits <= 8) {
            const int perByte = 8 / b.bits;
            const int shift = 8 - b.bits * (x % perByte + 1);
            c = b.palette[(in[x / perByte] >> shift) & ((1 << b.bits) - 1)];
        } else if (b.bits == 24) {
            c = {in[3 * x], in[3 * x + 1], in[3 * x + 2]};
        } else {
            const uint32_t px = b.bits == 16 ? LoadLe16(in + 2 * x) : LoadLe32(in + 4 * x);
            c = {b.blue.Apply(px), b.green.Apply(px), b.red.Apply(px)};
        }
        out[0] = c.b, out[1] = c.g, out[2] = c.r;
    }
}

bool DecodeRows(platform::File& file, const BmpLayout& b, CDIB& result) {
    const uint64_t stride = static_cast<uint64_t>(platform::DibStride(b.width, b.bits));
    file.Seek(b.pixelStart);
    if (file.Remaining() < stride * b.height) return false;
    std::vector<uint8_t> row(stride);
    for (int32_t r = 0; r < b.height; ++r) {
        if (file.Read(row.data(), stride) != stride) return false;
        ConvertRow(b, row.data(), result.GetPixelAddress(0, b.topDown ? r : b.height - 1 - r));
    }
    return true;
}

// Run-length data: runs of one index (RLE8) or of two alternating indices (RLE4), literal stretches
// padded to whole words, and the escapes for end of line, end of image and a jump. Pixels the data
// leaves out stay black; runs beyond the image are dropped.
class RleDecoder {
  public:
    RleDecoder(const BmpLayout& b, CDIB& result) : b_(b), result_(result) {}

    void Run(const std::vector<uint8_t>& data) {
        size_t i = 0;
        while (i + 1 < data.size() && y_ < b_.height) {
            const uint8_t count = data[i], value = data[i + 1];
            i += 2;
            if (count) {
                for (int n = 0; n < count; ++n) Put(b_.bits == 8 ? value : Nibble(value, n));
            } else if (value == 0) {
                x_ = 0, ++y_;
            } else if (value == 1) {
                return;
            } else if (value == 2) {
                if (i + 1 >= data.size()) return;
                x_ += data[i], y_ += data[i + 1];
                i += 2;
            } else {
                const size_t bytes = b_.bits == 8 ? value : (value + 1) / 2;
                if (i + bytes > data.size()) return;
                for (int n = 0; n < value; ++n) Put(b_.bits == 8 ? data[i + n] : Nibble(data[i + n / 2], n));
                i += (bytes + 1) & ~size_t{1};
            }
        }
    }

  private:
    static uint8_t Nibble(uint8_t pair, int n) { return n % 2 ? pair & 0x0F : pair >> 4; }
    void Put(uint8_t index) {
        if (x_ < b_.width && y_ < b_.height) {
            uint8_t* out = result_.GetPixelAddress(static_cast<int32_t>(x_), b_.height - 1 - y_);
            const Bgr& c = b_.palette[index];
            out[0] = c.b, out[1] = c.g, out[2] = c.r;
        }
        ++x_;
    }

    const BmpLayout& b_;
    CDIB& result_;
    int64_t x_ = 0;
    int32_t y_ = 0;
};

bool DecodeRunLength(platform::File& file, const BmpLayout& b, CDIB& result) {
    file.Seek(b.pixelStart);
    // No encoder needs more than two bytes a pixel and an end-of-line escape a row; the rest of a file
    // longer than that is not image data.
    const uint64_t limit = 2 * (static_cast<uint64_t>(b.width) + 2) * b.height + 2;
    std::vector<uint8_t> data(std::min(file.Remaining(), limit));
    if (data.empty() || file.Read(data.data(), data.size()) != data.size()) return false;
    RleDecoder(b, result).Run(data);
    return true;
}

}  // namespace

bool ReadBmpImage(platform::File& file, CDIB& dib) {
    try {
        BmpLayout layout;
        if (!ReadLayout(file, layout)) return false;
        CDIB result;
        if (!result.Create(layout.width, layout.height, 3)) return false;
        const bool rle = layout.compression == kRle8 || layout.compression == kRle4;
        if (!(rle ? DecodeRunLength(file, layout, result) : DecodeRows(file, layout, result))) return false;
        return dib.CopyPacked(result.GetHeader(), result.GetBits());
    } catch (const platform::FileException&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
