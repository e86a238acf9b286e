#include "imaging/Dib.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "archive/Archive.h"
#include "imaging/DibJpeg.h"
#include "imaging/DibPcx.h"
#include "imaging/FileEndings.h"
#include "imaging/TransparentRows.h"
#include "platform/ChangeMark.h"
#include "platform/DibStride.h"
#include "platform/FileDialog.h"
#include "platform/HelperThread.h"
#include "platform/LittleEndian.h"
#include "platform/MessageBox.h"
#include "platform/Processor.h"

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#endif

IMPLEMENT_SERIAL(CDIB, CObject, 0)

namespace {

constexpr uint16_t kBitmapType = 0x4D42;  // "BM"
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kCoreHeaderSize = 12;

using platform::DibStride;
using platform::LoadLe16;
using platform::LoadLe32;

std::vector<uint8_t> HeaderBlock(const BITMAPINFOHEADER& header, size_t colours) {
    std::vector<uint8_t> block(kInfoHeaderSize + 4 * colours, 0);
    std::memcpy(block.data(), &header, kInfoHeaderSize);
    return block;
}

// Clears the bytes of a row after its pixels: a block taken for new rows may hold an older image's bytes.
void ZeroPadding(uint8_t* row, int64_t pixelBytes, int64_t stride) {
    if (stride > pixelBytes) std::memset(row + pixelBytes, 0, static_cast<size_t>(stride - pixelBytes));
}

// Reads exactly n bytes or reports that the file ended first.
bool ReadAll(platform::File& file, void* buffer, size_t n) {
    return file.Read(buffer, n) == n;
}

// A BMP header of either form widened to the 40-byte one. Leaves the file after the header.
bool ReadInfoHeader(platform::File& file, uint64_t start, BITMAPINFOHEADER& header, bool& os2) {
    uint8_t raw[kInfoHeaderSize] = {};
    size_t got = file.Read(raw, sizeof raw);
    if (got < 4) return false;
    uint32_t size = LoadLe32(raw);
    if (size == kInfoHeaderSize && got == kInfoHeaderSize) {
        std::memcpy(&header, raw, kInfoHeaderSize);
        os2 = false;
        return true;
    }
    if (size != kCoreHeaderSize || got < kCoreHeaderSize) return false;
    file.Seek(start + kFileHeaderSize + kCoreHeaderSize);
    header = BITMAPINFOHEADER{};
    header.biWidth = LoadLe16(raw + 4);
    header.biHeight = LoadLe16(raw + 6);
    header.biPlanes = LoadLe16(raw + 8);
    header.biBitCount = LoadLe16(raw + 10);
    os2 = true;
    return true;
}

// The colour table of an 8-bit file: `count` entries (quads, or triplets in the OS/2 form); the
// entries a shorter table leaves out stay black.
bool ReadColorTable(platform::File& file, uint8_t* table, uint32_t count, bool os2) {
    size_t entrySize = os2 ? 3 : 4;
    std::vector<uint8_t> raw(count * entrySize);
    if (!ReadAll(file, raw.data(), raw.size())) return false;
    for (uint32_t i = 0; i < count; ++i) {
        std::memcpy(table + 4 * i, raw.data() + entrySize * i, 3);
        table[4 * i + 3] = os2 ? 0 : raw[entrySize * i + 3];
    }
    return true;
}

// The file header states how many bytes of pixels follow the colour table (size minus offset). Some
// writers pad the pixel block; a file that states more than the rows need is consumed to its stated
// end, so that whatever follows an image embedded in a stream is read from where its writer put it.
void SkipStatedSurplus(platform::File& file, uint32_t fileSize, uint32_t offset, uint64_t rowBytes) {
    if (fileSize <= offset || fileSize - offset <= rowBytes) return;
    file.Seek(file.Position() + std::min<uint64_t>(fileSize - offset - rowBytes, file.Remaining()));
}

}  // namespace

bool ImageSizeAcceptable(int64_t width, int64_t height, int bitCount) {
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return false;
    if (bitCount != 8 && bitCount != 24 && bitCount != 32) return false;
    return static_cast<uint64_t>(DibStride(width, bitCount) * height) <= kMaxImageBytes;
}

// The program's one sequence of marks, so that a mark never stands for two different states of pixels,
// and a sprite's mark compares with the marks of its other stored members.
void CDIB::MarkChanged() {
    if (pixelsDeferred_) DecodeDeferred();
    changeMark_ = platform::NewChangeMark();
}

void RegisterImagingClasses() {
    ClassRegistry& registry = ClassRegistry::Instance();
    registry.Register(RUNTIME_CLASS(CDIB));
    registry.Register(RUNTIME_CLASS(CDibPcx));
    registry.Register(RUNTIME_CLASS(CDibJpeg));
}

CDIB::CDIB() {
    // Black, as Create makes it; most images made this way are read or created again at once (every
    // sprite of a title), so the black pixels are only made if they are ever used.
    BITMAPINFOHEADER header;
    header.biWidth = 16;
    header.biHeight = 16;
    DeferPixels(HeaderBlock(header, 0));
    deferredBlack_ = true;
}

CDIB::~CDIB() = default;

CDIB::CDIB(const CDIB& other) : CObject(other) {
    *this = other;
}

CDIB& CDIB::operator=(const CDIB& other) {
    if (this == &other) return *this;
    PixelBlock pixels;
    if (other.HasImage() && other.Bits()) {
        size_t size = static_cast<size_t>(other.GetStorageWidth()) * other.CDIB::GetHeight();
        pixels = PixelBlock::CopyOf(other.Bits(), size);
    }
    Replace(other.header_, std::move(pixels));
    if (!other.HasImage()) Clear();
    // The same pixels: the copy stands for the same state, so a stream kept with the copy still fits.
    changeMark_ = other.changeMark_;
    return *this;
}

void CDIB::Serialize(CArchive& ar) {
    ar.Flush();
    bool ok = ar.IsLoading() ? Read(ar.GetFile()) : Write(ar.GetFile());
    if (!ok) throw CArchiveException(CArchiveException::generic, ar.Path());
}

void CDIB::DeferPixels(std::vector<uint8_t> header) {
    Replace(std::move(header), PixelBlock());
    pixelsDeferred_ = true;
    deferredBlack_ = false;
}

bool CDIB::DecodeDeferredPixels(uint8_t*, size_t) const {
    return false;
}

bool CDIB::DecodeDeferredRows(uint8_t*, size_t, int32_t, int32_t) const {
    return false;
}

bool CDIB::TakeDeferredPixels(PixelBlock&) const {
    return false;
}

void CDIB::DropDeferred() const {
    pixelsDeferred_ = false;
    topRowsMade_ = 0;
    ownedBits_.reset();
    bits_ = nullptr;
}

void CDIB::DecodeTopRows(int32_t rows) const {
    if (!pixelsDeferred_ || rows <= topRowsMade_) return;
    if (deferredBlack_ || rows >= CDIB::GetHeight() || !DecodesRowsInSteps()) {
        DecodeDeferred();
        return;
    }
    if (MakeRowsAfterThoseMade(rows)) {
        topRowsMade_ = rows;
        return;
    }
    // As when the whole decoding fails: tried once, the image has no pixels.
    DropDeferred();
}

bool CDIB::MakeRowsAfterThoseMade(int32_t to) const {
    try {
        const size_t stride = static_cast<size_t>(GetStorageWidth());
        if (topRowsMade_ == 0) ownedBits_ = PixelBlock::Uninitialized(stride * CDIB::GetHeight());
        return DecodeDeferredRows(ownedBits_.data(), stride, topRowsMade_, to);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

const uint8_t* CDIB::BitsWithTopRows(int32_t rows) const {
    if (pixelsDeferred_) DecodeTopRows(rows);
    return pixelsDeferred_ ? ownedBits_.data() : bits_;
}

void CDIB::DecodeDeferred() const {
    // One try: pixels that cannot be made now would not be made by trying again at every access.
    pixelsDeferred_ = false;
    if (topRowsMade_ > 0) {
        // The rows below those made already.
        const bool made = MakeRowsAfterThoseMade(CDIB::GetHeight());
        topRowsMade_ = 0;
        if (made)
            bits_ = ownedBits_.data();
        else
            DropDeferred();
        return;
    }
    if (PixelBlock made; !deferredBlack_ && TakeDeferredPixels(made)) {
        if (!made.empty()) {
            ownedBits_ = std::move(made);
            bits_ = ownedBits_.data();
        }
        return;
    }
    try {
        const size_t stride = static_cast<size_t>(GetStorageWidth());
        const size_t size = stride * static_cast<size_t>(CDIB::GetHeight());
        PixelBlock pixels = deferredBlack_ ? PixelBlock::Zeroed(size) : PixelBlock::Uninitialized(size);
        if (!deferredBlack_ && !DecodeDeferredPixels(pixels.data(), stride)) return;
        ownedBits_ = std::move(pixels);
        bits_ = ownedBits_.data();
    } catch (const std::bad_alloc&) {
    }
}

void CDIB::Replace(std::vector<uint8_t> header, PixelBlock pixels) {
    pixelsDeferred_ = false;
    topRowsMade_ = 0;
    header_ = std::move(header);
    ownedBits_ = std::move(pixels);
    bits_ = ownedBits_.data();
    ownsBits_ = true;
    MarkChanged();
}

void CDIB::Clear() {
    pixelsDeferred_ = false;
    topRowsMade_ = 0;
    header_.clear();
    ownedBits_.reset();
    bits_ = nullptr;
    ownsBits_ = false;
    MarkChanged();
}

platform::Rect CDIB::GetRect() const {
    return {0, 0, CDIB::GetWidth(), CDIB::GetHeight()};
}

int CDIB::GetNumColors(const BITMAPINFOHEADER& header) {
    int bitCount = header.biBitCount;
    // An OS/2 core header keeps its bit count where the 40-byte header keeps the high half of its height.
    if (header.biSize == kCoreHeaderSize) bitCount = LoadLe16(reinterpret_cast<const uint8_t*>(&header) + 10);
    int colours = bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
    if (header.biSize == kInfoHeaderSize && header.biClrUsed != 0)
        colours = static_cast<int>(header.biClrUsed);
    return colours;
}

int CDIB::GetNumColors() const {
    return HasImage() ? GetNumColors(*GetHeader()) : 0;
}

const uint8_t* CDIB::GetColorTable() const {
    return header_.size() > kInfoHeaderSize ? header_.data() + kInfoHeaderSize : nullptr;
}
uint8_t* CDIB::GetColorTable() {
    MarkChanged();
    return header_.size() > kInfoHeaderSize ? header_.data() + kInfoHeaderSize : nullptr;
}

platform::DibView CDIB::View() const {
    if (!HasImage()) return {};
    return {CDIB::GetWidth(), CDIB::GetHeight(), GetBitCount(), GetStorageWidth(), Bits(), GetColorTable()};
}

bool CDIB::CreateBlackOnFirstUse(int32_t width, int32_t height) {
    Clear();
    if (!ImageSizeAcceptable(width, height, 24)) return false;
    BITMAPINFOHEADER header;
    header.biWidth = width;
    header.biHeight = height;
    try {
        DeferPixels(HeaderBlock(header, 0));
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
    deferredBlack_ = true;
    return true;
}

void CDIB::TakeBlockForOverwrite() {
    // Padding would be left as it was found, so only rows without it are taken so.
    if (!pixelsDeferred_ || !deferredBlack_ ||
        static_cast<size_t>(GetStorageWidth()) != static_cast<size_t>(CDIB::GetWidth()) * 3)
        return;
    try {
        PixelBlock block =
            PixelBlock::Uninitialized(static_cast<size_t>(GetStorageWidth()) * CDIB::GetHeight());
        pixelsDeferred_ = false;
        ownedBits_ = std::move(block);
        bits_ = ownedBits_.data();
    } catch (const std::bad_alloc&) {
    }
}

bool CDIB::Create(int32_t width, int32_t height, int bytesPerPixel) {
    if (!Allocate(width, height, bytesPerPixel)) return false;
    std::memset(bits_, 0, ownedBits_.size());
    return true;
}

bool CDIB::Allocate(int32_t width, int32_t height, int bytesPerPixel) {
    Clear();
    int bitCount = bytesPerPixel == 1 ? 8 : 24;
    if (!ImageSizeAcceptable(width, height, bitCount)) return false;
    BITMAPINFOHEADER header;
    header.biWidth = width;
    header.biHeight = height;
    header.biBitCount = static_cast<uint16_t>(bitCount);
    try {
        std::vector<uint8_t> block = HeaderBlock(header, bitCount == 8 ? 256 : 0);
        for (int i = 0; bitCount == 8 && i < 256; ++i)
            std::memset(block.data() + kInfoHeaderSize + 4 * i, i, 3);
        Replace(std::move(block), PixelBlock::Uninitialized(DibStride(width, bitCount) * height));
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
    return true;
}

uint8_t* CDIB::GetPixelAddress(int32_t x, int32_t y) {
    MarkChanged();
    return const_cast<uint8_t*>(static_cast<const CDIB*>(this)->GetPixelAddress(x, y));
}

const uint8_t* CDIB::GetPixelAddress(int32_t x, int32_t y) const {
    if (!HasImage() || x < 0 || y < 0 || x >= CDIB::GetWidth() || y >= CDIB::GetHeight()) return nullptr;
    // Reading a row needs only the rows down to it.
    const uint8_t* const bits = BitsWithTopRows(y + 1);
    if (!bits) return nullptr;
    return bits + static_cast<size_t>(x) * (GetBitCount() / 8) +
           static_cast<size_t>(CDIB::GetHeight() - y - 1) * GetStorageWidth();
}

void CDIB::AttachBits(const BITMAPINFOHEADER* header, uint8_t* bits) {
    size_t size = kInfoHeaderSize + 4 * static_cast<size_t>(std::max(0, GetNumColors(*header)));
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(header);
    pixelsDeferred_ = false;
    topRowsMade_ = 0;
    header_.assign(raw, raw + size);
    ownedBits_.reset();
    bits_ = bits;
    ownsBits_ = false;
    MarkChanged();
}

bool CDIB::CopyPacked(const BITMAPINFOHEADER* header, const uint8_t* rows) {
    if (!header || !rows || header->biSize != kInfoHeaderSize) return false;
    if (!ImageSizeAcceptable(header->biWidth, header->biHeight, header->biBitCount)) return false;
    int colours = GetNumColors(*header);
    if (colours < 0 || colours > 256) return false;
    try {
        const uint8_t* raw = reinterpret_cast<const uint8_t*>(header);
        std::vector<uint8_t> block(raw, raw + kInfoHeaderSize + 4 * colours);
        size_t size = DibStride(header->biWidth, header->biBitCount) * header->biHeight;
        Replace(std::move(block), PixelBlock::CopyOf(rows, size));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CDIB::ConvertTo24() {
    const uint8_t* const source = Bits();
    if (!HasImage() || !source) return false;
    if (GetBitCount() == 24) return true;
    if (GetBitCount() != 8) return false;
    const int32_t width = CDIB::GetWidth(), height = CDIB::GetHeight();
    const int64_t stride8 = GetStorageWidth(), stride24 = DibStride(width, 24);
    // A table shorter than 256 entries leaves the missing colours black.
    uint8_t table[256 * 4] = {};
    size_t tableBytes = std::min<size_t>(header_.size() - kInfoHeaderSize, sizeof table);
    std::memcpy(table, header_.data() + kInfoHeaderSize, tableBytes);
    try {
        PixelBlock pixels = PixelBlock::Uninitialized(stride24 * height);
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* in = source + y * stride8;
            uint8_t* out = pixels.data() + y * stride24;
            for (int32_t x = 0; x < width; ++x) std::memcpy(out + 3 * x, table + 4 * in[x], 3);
            ZeroPadding(out, 3 * width, stride24);
        }
        BITMAPINFOHEADER header = *GetHeader();
        header.biBitCount = 24;
        header.biSizeImage = static_cast<uint32_t>(pixels.size());
        header.biClrUsed = 0;
        Replace(HeaderBlock(header, 0), std::move(pixels));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

namespace {

// The source positions of nearest-neighbour resampling: each step advances by the quotient of
// (old - new) / new plus one, and the remainders gather into one more pixel whenever they add up to
// a whole. Floor division keeps the same walk for enlarging, where the numerator is negative.
std::vector<int32_t> SourcePositions(int32_t oldSize, int32_t newSize) {
    int64_t diff = static_cast<int64_t>(oldSize) - newSize;
    int64_t q = diff / newSize, r = diff % newSize;
    if (r < 0) {
        r += newSize;
        q -= 1;
    }
    std::vector<int32_t> positions(newSize);
    int64_t pos = 0, error = 0;
    for (int32_t i = 0; i < newSize; ++i) {
        positions[i] = static_cast<int32_t>(std::min<int64_t>(pos, oldSize - 1));
        pos += 1 + q;
        error += r;
        if (error >= newSize) {
            pos += 1;
            error -= newSize;
        }
    }
    return positions;
}

// Results from this size on are written past the caches.
constexpr size_t kStreamedBytes = 16u << 20;

#if defined(__x86_64__) || defined(__i386__)

// Halving a 24-bit row, the pixels at even source columns, with byte shuffles (see CanShuffleBytes).

// Sixteen destination pixels, 48 bytes, from the 93 source bytes at `in`: each 16 bytes of the result
// gather from two overlapping 16-byte pieces of the source.
__attribute__((target("ssse3"))) inline void HalveSixteen(const uint8_t* in, __m128i out[3]) {
    static constexpr int kPieces[3][2] = {{0, 15}, {31, 46}, {62, 77}};
    const __m128i first[3] = {_mm_setr_epi8(0, 1, 2, 6, 7, 8, 12, 13, 14, -1, -1, -1, -1, -1, -1, -1),
                              _mm_setr_epi8(0, 1, 5, 6, 7, 11, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1),
                              _mm_setr_epi8(0, 4, 5, 6, 10, 11, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1)};
    const __m128i second[3] = {_mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, 3, 4, 5, 9, 10, 11, 15),
                               _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, 2, 3, 4, 8, 9, 10, 14, 15),
                               _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, 1, 2, 3, 7, 8, 9, 13, 14, 15)};
    for (int k = 0; k < 3; ++k) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + kPieces[k][0]));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + kPieces[k][1]));
        out[k] = _mm_or_si128(_mm_shuffle_epi8(a, first[k]), _mm_shuffle_epi8(b, second[k]));
    }
}

// Makes the first pixels of a halved row, sixteen at a time, and returns how many; the caller makes the
// rest. With `streaming` the row is written past the caches in aligned pieces, as a copy of that size
// is: a result too large for the caches would otherwise be read in before it is written over.
__attribute__((target("ssse3"))) size_t HalveRow24Shuffling(const uint8_t* in, uint8_t* out, size_t count,
                                                            size_t inBytes, bool streaming) {
    size_t i = 0;
    if (streaming)
        for (; i < count && (reinterpret_cast<uintptr_t>(out + 3 * i) & 15) != 0; ++i)
            std::memcpy(out + 3 * i, in + 6 * i, 3);
    __m128i v[3];
    for (; i + 16 <= count && 6 * i + 93 <= inBytes; i += 16) {
        // The source is read at twice the pace of the result: asked for a little ahead.
        _mm_prefetch(reinterpret_cast<const char*>(in + 6 * i + 3072), _MM_HINT_T0);
        HalveSixteen(in + 6 * i, v);
        __m128i* target = reinterpret_cast<__m128i*>(out + 3 * i);
        if (streaming) {
            _mm_stream_si128(target, v[0]);
            _mm_stream_si128(target + 1, v[1]);
            _mm_stream_si128(target + 2, v[2]);
        } else {
            _mm_storeu_si128(target, v[0]);
            _mm_storeu_si128(target + 1, v[1]);
            _mm_storeu_si128(target + 2, v[2]);
        }
    }
    if (streaming) _mm_sfence();
    return i;
}

#endif

// One destination row of nearest-neighbour resampling: `offsets` holds, for each of the `count`
// destination pixels, the byte offset of its source pixel within the source row `in`, never decreasing.
// A 24-bit pixel is moved as one 4-byte word whose fourth byte the next pixel overwrites; the words that
// would reach past the source row or the destination row are moved as three bytes. `halving` says that
// the offsets are those of every second pixel, from the first; `streaming` that the result is too large
// to be worth keeping in the caches.
void ResampleRow(const uint8_t* in, uint8_t* out, const uint32_t* offsets, size_t count, size_t wordSafe,
                 int bytesPerPixel, bool halving, size_t inBytes, bool streaming) {
    if (bytesPerPixel == 1) {
        for (size_t i = 0; i < count; ++i) out[i] = in[offsets[i]];
        return;
    }
    size_t i = 0;
#if defined(__x86_64__) || defined(__i386__)
    if (halving && platform::CanShuffleBytes()) i = HalveRow24Shuffling(in, out, count, inBytes, streaming);
#endif
    for (; i < wordSafe; ++i) {
        uint32_t word;
        std::memcpy(&word, in + offsets[i], 4);
        std::memcpy(out + 3 * i, &word, 4);
    }
    for (; i < count; ++i) std::memcpy(out + 3 * i, in + offsets[i], 3);
}

}  // namespace

bool CDIB::Resize(int32_t width, int32_t height) {
    const uint8_t* const source = Bits();
    if (!HasImage() || !source || (GetBitCount() != 8 && GetBitCount() != 24)) return false;
    if (!ImageSizeAcceptable(width, height, GetBitCount())) return false;
    const int bpp = GetBitCount() / 8;
    const int32_t oldHeight = CDIB::GetHeight();
    const size_t oldStride = static_cast<size_t>(GetStorageWidth());
    const size_t oldRowBytes = static_cast<size_t>(CDIB::GetWidth()) * bpp;
    const size_t newStride = static_cast<size_t>(DibStride(width, GetBitCount()));
    const size_t rowBytes = static_cast<size_t>(width) * bpp;
    try {
        // The source column of each destination column is the same in every row: worked out once.
        std::vector<uint32_t> offsets(width);
        std::vector<int32_t> columns = SourcePositions(CDIB::GetWidth(), width);
        for (int32_t x = 0; x < width; ++x) offsets[x] = static_cast<uint32_t>(columns[x]) * bpp;
        // Whole words may be moved while they stay inside the source row and leave the last pixel of
        // the destination row to the three-byte moves.
        size_t wordSafe = 0;
        while (wordSafe + 1 < offsets.size() && offsets[wordSafe] + 4 <= oldRowBytes) ++wordSafe;
        bool halving = bpp == 3;
        for (int32_t x = 0; halving && x < width; ++x) halving = offsets[x] == 6u * static_cast<uint32_t>(x);
        std::vector<int32_t> rows = SourcePositions(oldHeight, height);
        PixelBlock pixels = PixelBlock::Uninitialized(newStride * height);
        const bool streaming = pixels.size() >= kStreamedBytes;
        auto resampleRows = [&](int32_t first, int32_t last) {
            for (int32_t y = first; y < last; ++y) {
                uint8_t* out = pixels.data() + static_cast<size_t>(height - 1 - y) * newStride;
                // Enlarging repeats source rows; a repeat is the row just made, one stride above in
                // memory.
                if (y > first && rows[y] == rows[y - 1]) {
                    std::memcpy(out, out + newStride, newStride);
                    continue;
                }
                const uint8_t* in = source + static_cast<size_t>(oldHeight - 1 - rows[y]) * oldStride;
                ResampleRow(in, out, offsets.data(), offsets.size(), wordSafe, bpp, halving, oldRowBytes,
                            streaming);
                ZeroPadding(out, static_cast<int64_t>(rowBytes), static_cast<int64_t>(newStride));
            }
        };
        // A result this large is made in two halves at once, the lower rows by the helper thread: one
        // processor alone does not take all the memory's speed.
        if (streaming && height >= 2 && platform::HelperTask::Parallel()) {
            const int32_t half = height / 2;
            const std::shared_ptr<platform::HelperTask> lower =
                platform::HelperTask::Run([&] { resampleRows(half, height); });
            resampleRows(0, half);
            lower->Wait();
        } else {
            resampleRows(0, height);
        }
        std::vector<uint8_t> header = header_;
        BITMAPINFOHEADER* h = reinterpret_cast<BITMAPINFOHEADER*>(header.data());
        h->biWidth = width;
        h->biHeight = height;
        h->biSizeImage = static_cast<uint32_t>(pixels.size());
        Replace(std::move(header), std::move(pixels));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CDIB::ResizePercent(int percent) {
    int64_t w = CDIB::GetWidth(), h = CDIB::GetHeight();
    int64_t newWidth = w - percent * w / 100, newHeight = h - percent * h / 100;
    if (newWidth <= 0 || newHeight <= 0 || newWidth > kMaxImageSide || newHeight > kMaxImageSide)
        return false;
    return Resize(static_cast<int32_t>(newWidth), static_cast<int32_t>(newHeight));
}

bool CDIB::MapColorsToPalette(const std::vector<PaletteEntry>* palette) {
    if (!palette) return false;
    // The display is a true-colour one: the map is the identity, so only the colour table changes.
    // A 24-bit image has no table to change.
    if (!GetColorTable() || GetBitCount() != 8) return HasImage();
    // The header will count 256 colours, so a shorter table taken over with a header grows to that
    // size first: whoever copies the header by its count must find every entry there.
    if (header_.size() < kInfoHeaderSize + 1024) header_.resize(kInfoHeaderSize + 1024, 0);
    uint8_t* table = GetColorTable();
    size_t entries = std::min<size_t>(palette->size(), 256);
    for (size_t i = 0; i < entries; ++i) {
        table[4 * i] = (*palette)[i].blue;
        table[4 * i + 1] = (*palette)[i].green;
        table[4 * i + 2] = (*palette)[i].red;
    }
    reinterpret_cast<BITMAPINFOHEADER*>(header_.data())->biClrUsed = 256;
    return true;
}

namespace {

uint32_t FromBgr(const uint8_t* p) {
    return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
}

// True when the pixel blocks of two images have bytes in common (an image and itself, or two views of one
// block).
bool SharesBytes(const uint8_t* aBits, const CDIB& a, const uint8_t* bBits, const CDIB& b) {
    const auto end = [](const uint8_t* bits, const CDIB& d) {
        return reinterpret_cast<uintptr_t>(bits) +
               static_cast<uintptr_t>(d.GetStorageWidth()) * static_cast<uintptr_t>(d.CDIB::GetHeight());
    };
    return reinterpret_cast<uintptr_t>(aBits) < end(bBits, b) &&
           reinterpret_cast<uintptr_t>(bBits) < end(aBits, a);
}

// The transparent copy of one row where source and destination may share bytes (an image copied onto
// itself): pixel by pixel in order, each read before the pixels after it are written.
void CopyRowSkippingInOrder(uint8_t* out, const uint8_t* in, int32_t w, int bytesPerPixel,
                            uint32_t transparent) {
    for (int32_t x = 0; x < w; ++x, in += bytesPerPixel, out += bytesPerPixel) {
        const uint32_t value = bytesPerPixel == 1 ? in[0] : FromBgr(in);
        if (value == (bytesPerPixel == 1 ? (transparent & 0xFF) : transparent)) continue;
        std::memmove(out, in, bytesPerPixel);
    }
}

}  // namespace

bool ClipBlockSpan(int32_t& d, int32_t& s, int32_t& n, int32_t destinationSize, int32_t sourceSize) {
    const int64_t shift = std::max<int64_t>({0, -static_cast<int64_t>(d), -static_cast<int64_t>(s)});
    const int64_t dd = d + shift, ss = s + shift;
    const int64_t nn = std::min<int64_t>({n - shift, destinationSize - dd, sourceSize - ss});
    if (nn <= 0) return false;
    d = static_cast<int32_t>(dd);
    s = static_cast<int32_t>(ss);
    n = static_cast<int32_t>(nn);
    return true;
}

void CDIB::CopyBits(CDIB* destination, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx, int32_t sy,
                    uint32_t transparent) {
    if (!destination || w <= 0 || h <= 0 || !HasImage() || !destination->HasImage()) return;
    const int bitCount = GetBitCount();
    if (bitCount != destination->GetBitCount() || (bitCount != 8 && bitCount != 24)) return;
    if (!ClipBlockSpan(dx, sx, w, destination->CDIB::GetWidth(), CDIB::GetWidth())) return;
    if (!ClipBlockSpan(dy, sy, h, destination->CDIB::GetHeight(), CDIB::GetHeight())) return;
    // Only the source's rows down to the block's are needed: a sprite sheet whose pixels wait shows one
    // frame without decoding the frames below it.
    const uint8_t* const source = BitsWithTopRows(sy + h);
    if (!source) return;
    // A destination whose every pixel the copy replaces needs no black first.
    if (transparent == 0xFFFFFFFF && dx == 0 && dy == 0 && w == destination->CDIB::GetWidth() &&
        h == destination->CDIB::GetHeight() && destination != this)
        destination->TakeBlockForOverwrite();
    if (!destination->Bits()) return;
    const int bytesPerPixel = bitCount / 8;
    const size_t rowBytes = static_cast<size_t>(w) * bytesPerPixel;
    const size_t sourceStride = static_cast<size_t>(GetStorageWidth());
    const size_t destinationStride = static_cast<size_t>(destination->GetStorageWidth());
    // The bottom row of the block lies lowest in memory; each row above it is one stride higher.
    // The source is only read: its change mark stays.
    const uint8_t* in = std::as_const(*this).GetPixelAddress(sx, sy + h - 1);
    uint8_t* out = destination->GetPixelAddress(dx, dy + h - 1);
    const bool shared = SharesBytes(source, *this, std::as_const(*destination).GetBits(), *destination);
    if (transparent == 0xFFFFFFFF && !shared && rowBytes == sourceStride && rowBytes == destinationStride) {
        // Whole rows without padding lie one after the other in both images: the block is one piece.
        // (Within one image the rows go one by one, so that overlapping blocks come out as they always did.)
        std::memmove(out, in, rowBytes * h);
        return;
    }
    const TransparentRows skipping(transparent);
    for (int32_t row = 0; row < h; ++row, in += sourceStride, out += destinationStride) {
        if (transparent == 0xFFFFFFFF)
            std::memmove(out, in, rowBytes);
        else if (shared)
            CopyRowSkippingInOrder(out, in, w, bytesPerPixel, transparent);
        else if (bitCount == 24)
            skipping.Copy24(out, in, w);
        else
            skipping.Copy8(out, in, w);
    }
}

void CDIB::Fill(uint32_t colorref) {
    if (GetBitCount() != 24 || !Bits()) return;
    const uint8_t bgr[3] = {static_cast<uint8_t>(colorref >> 16), static_cast<uint8_t>(colorref >> 8),
                            static_cast<uint8_t>(colorref)};
    for (int32_t y = 0; y < CDIB::GetHeight(); ++y) {
        uint8_t* row = GetPixelAddress(0, y);
        for (int32_t x = 0; x < CDIB::GetWidth(); ++x) std::memcpy(row + 3 * x, bgr, 3);
    }
}

void CDIB::FillGradient(uint32_t topColorref, uint32_t bottomColorref) {
    if (GetBitCount() != 24 || !Bits()) return;
    const int32_t height = CDIB::GetHeight();
    uint8_t current[3], bottom[3];
    double step[3], threshold[3];
    for (int c = 0; c < 3; ++c) {  // red, green, blue
        current[c] = static_cast<uint8_t>(topColorref >> (8 * c));
        bottom[c] = static_cast<uint8_t>(bottomColorref >> (8 * c));
        int distance = std::abs(bottom[c] - current[c]);
        step[c] = distance ? static_cast<double>(height) / distance : 1e300;
        threshold[c] = step[c];
    }
    for (int32_t y = 0; y < height; ++y) {
        for (int c = 0; c < 3; ++c) {
            if (y <= threshold[c]) continue;
            current[c] = static_cast<uint8_t>(current[c] + (bottom[c] > current[c] ? 1 : -1));
            threshold[c] += step[c];
        }
        const uint8_t bgr[3] = {current[2], current[1], current[0]};
        uint8_t* row = GetPixelAddress(0, y);
        for (int32_t x = 0; x < CDIB::GetWidth(); ++x) std::memcpy(row + 3 * x, bgr, 3);
    }
}

void CDIB::Draw(platform::DeviceContext& dc, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!HasImage() || !Bits()) return;
    if (width == 0) width = CDIB::GetWidth();
    if (height == 0) height = CDIB::GetHeight();
    // Drawing never scales: the area and a source block of the same size from the image's origin,
    // which for rows stored bottom-up is the bottom-left corner. A smaller area therefore shows the
    // bottom-left part of the image, and in a larger one the image sits on the area's bottom edge.
    const int32_t shownWidth = std::min(width, CDIB::GetWidth());
    const int32_t shownHeight = std::min(height, CDIB::GetHeight());
    if (shownWidth <= 0 || shownHeight <= 0) return;
    const int64_t bottom = static_cast<int64_t>(y) + height;
    dc.StretchDib(
        View(), {x, static_cast<int32_t>(bottom - shownHeight), x + shownWidth, static_cast<int32_t>(bottom)},
        {0, CDIB::GetHeight() - shownHeight, shownWidth, CDIB::GetHeight()});
}

void CDIB::StretchDraw(platform::DeviceContext& dc, int32_t x, int32_t y, int32_t width, int32_t height) {
    // The device context scales colour-on-colour (nearest pixel), the mode the image is drawn in.
    if (!HasImage() || !Bits()) return;
    dc.StretchDib(View(), {x, y, x + width, y + height}, CDIB::GetRect());
}

// --- BMP files ---

bool CDIB::Read(platform::File& file) {
    try {
        const uint64_t start = file.Position();
        uint8_t fileHeader[kFileHeaderSize];
        if (!ReadAll(file, fileHeader, sizeof fileHeader) || LoadLe16(fileHeader) != kBitmapType)
            return false;
        BITMAPINFOHEADER header;
        bool os2 = false;
        if (!ReadInfoHeader(file, start, header, os2)) return false;
        int bitCount = header.biBitCount;
        if ((bitCount != 8 && bitCount != 24) || header.biCompression != 0) return false;
        if (!ImageSizeAcceptable(header.biWidth, header.biHeight, bitCount)) return false;
        uint32_t stored = bitCount == 8 ? (header.biClrUsed ? header.biClrUsed : 256) : header.biClrUsed;
        if (stored > 256) return false;
        std::vector<uint8_t> block = HeaderBlock(header, bitCount == 8 ? 256 : 0);
        if (bitCount == 8) {
            if (!ReadColorTable(file, block.data() + kInfoHeaderSize, stored, os2)) return false;
            reinterpret_cast<BITMAPINFOHEADER*>(block.data())->biClrUsed = 0;
        } else if (stored) {
            // A true-colour file may carry a table of colours for 8-bit displays; it is not needed.
            std::vector<uint8_t> skipped(4 * stored);
            if (!ReadAll(file, skipped.data(), skipped.size())) return false;
            reinterpret_cast<BITMAPINFOHEADER*>(block.data())->biClrUsed = 0;
        }
        // The pixel block is exactly what the rows need; it must be in the file before it is allocated.
        uint64_t size = static_cast<uint64_t>(DibStride(header.biWidth, bitCount)) * header.biHeight;
        if (file.Remaining() < size) return false;
        PixelBlock pixels = PixelBlock::Uninitialized(size);
        if (!ReadAll(file, pixels.data(), size)) return false;
        SkipStatedSurplus(file, LoadLe32(fileHeader + 2), LoadLe32(fileHeader + 10), size);
        Replace(std::move(block), std::move(pixels));
    } catch (const platform::FileException&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return GetBitCount() != 8 || ConvertTo24();
}

bool CDIB::Write(platform::File& file) {
    if (!HasImage() || !Bits() || (GetBitCount() != 8 && GetBitCount() != 24)) return false;
    const uint32_t tableSize = GetBitCount() == 8 ? 1024 : 0;
    const uint32_t pixelSize = static_cast<uint32_t>(GetStorageWidth()) * CDIB::GetHeight();
    uint8_t fileHeader[kFileHeaderSize] = {};
    platform::StoreLe16(fileHeader, kBitmapType);
    platform::StoreLe32(fileHeader + 2, pixelSize + 54 + tableSize);
    platform::StoreLe32(fileHeader + 10, 54 + tableSize);
    std::vector<uint8_t> block(kInfoHeaderSize + tableSize, 0);
    std::memcpy(block.data(), header_.data(), std::min(block.size(), header_.size()));
    // The file carries a full table for 8 bits and none for 24. A colour count that said otherwise
    // (a header taken over from elsewhere) would make readers take pixels for colours or colours for
    // pixels.
    BITMAPINFOHEADER* written = reinterpret_cast<BITMAPINFOHEADER*>(block.data());
    if (written->biClrUsed != 0) written->biClrUsed = tableSize ? 256 : 0;
    try {
        file.Write(fileHeader, sizeof fileHeader);
        file.Write(block.data(), block.size());
        file.Write(Bits(), pixelSize);
    } catch (const platform::FileException&) {
        return false;
    }
    return true;
}

// --- files chosen by name or by dialog ---

platform::FileDialogRequest CDIB::OpenDialog(const std::string& filter, const std::string& defaultExtension) {
    platform::FileDialogRequest request;
    request.filter = filter;
    request.defaultExtension = defaultExtension;
    request.fileMustExist = true;
    return request;
}

platform::FileDialogRequest CDIB::SaveDialog(const std::string& filter) {
    platform::FileDialogRequest request;
    request.save = true;
    request.filter = filter;
    request.overwritePrompt = true;
    return request;
}

std::optional<std::string> CDIB::AskPath(const std::string& path, const platform::FileDialogRequest& dialog) {
    if (!path.empty()) return path;
    return platform::FileDialogs().Ask(dialog);
}

bool CDIB::LoadChoosingReader(const std::string& path, const platform::FileDialogRequest& dialog,
                              std::string_view ending, FileReader reader) {
    // The reader follows the name the dialog gives back, so it is chosen only after asking.
    std::optional<std::string> chosen = AskPath(path, dialog);
    if (!chosen) return false;
    if (!ending.empty() && !EndsWithNoCase(*chosen, ending))
        reader = [](CDIB& dib, platform::File& file) { return dib.CDIB::Read(file); };
    platform::DiskFile file;
    if (file.Open(*chosen, platform::DiskFile::Mode::read) != platform::FileError::none) {
        platform::ShowMessage("Failed to open file");
        return false;
    }
    bool read = false;
    try {
        read = reader(*this, file);
    } catch (const platform::FileException&) {
        read = false;
    }
    if (!read) platform::ShowMessage("Failed to load file");
    return read;
}

bool CDIB::SaveWith(const std::string& path, const platform::FileDialogRequest& dialog) {
    std::optional<std::string> chosen = AskPath(path, dialog);
    if (!chosen) return false;
    platform::DiskFile file;
    if (file.Open(*chosen, platform::DiskFile::Mode::write) != platform::FileError::none) {
        platform::ShowMessage("Failed to open file");
        return false;
    }
    if (!Write(file)) {
        platform::ShowMessage("Failed to save file");
        return false;
    }
    return true;
}

bool CDIB::Load(const std::string& path) {
    const char* const filter =
        "Archivos JPEG (*.JPG)|*.JPG|Archivos BMP (*.BMP)|*.BMP|Archivos PCX (*.PCX)|*.PCX|"
        "Todos los archivos (*.*)|*.*||";
    return LoadChoosingReader(path, OpenDialog(filter), "",
                              [](CDIB& dib, platform::File& file) { return dib.Read(file); });
}

bool CDIB::Save(const std::string& path) {
    return SaveWith(path, SaveDialog("Image files (*.DIB, *.BMP)|*.DIB;*.BMP|All files (*.*)|*.*||"));
}
