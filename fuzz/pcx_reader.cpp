#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "imaging/DibPcx.h"
#include "imaging/ImageFiles.h"

namespace {

// Reads the bytes as a title's sprite is read, held whole in memory (the pixels put off and then made from
// the top in two steps), and checks it against the plain read: taken or refused alike, the file left at the
// same place, the same rows after each step and the same pixels in the end.
void CheckHeldInMemory(const uint8_t* data, size_t size, const CDibPcx& plain, bool read, uint64_t plainEnd) {
    const auto bytes = std::make_shared<const std::vector<uint8_t>>(data, data + size);
    platform::SharedMemoryFile file(bytes);
    CDibPcx held;
    const bool heldRead = held.Read(file);
    if (read != heldRead) __builtin_trap();
    if (!read || plain.GetBitCount() != 24) return;
    if (file.Position() != plainEnd || plain.GetWidth() != held.GetWidth() ||
        plain.GetHeight() != held.GetHeight())
        __builtin_trap();
    const int32_t height = plain.GetHeight();
    const size_t row = static_cast<size_t>(plain.GetStorageWidth());
    for (const int32_t rows : {height / 3, (2 * height) / 3}) {
        held.DecodeTopRows(rows);
        for (int32_t y = 0; y < rows; ++y) {
            const uint8_t* a = plain.GetPixelAddress(0, y);
            const uint8_t* b = std::as_const(held).GetPixelAddress(0, y);
            if (!a || !b || !std::equal(a, a + row, b)) __builtin_trap();
        }
    }
    const uint8_t* a = plain.GetBits();
    const uint8_t* b = std::as_const(held).GetBits();
    if (!a || !b || !std::equal(a, a + row * static_cast<size_t>(height), b)) __builtin_trap();
}

}  // namespace

// The sprite codec, written back when it reads, also as a title's sprite is read; and the reader of every
// PCX kind that loading by extension uses.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QuietMessages();
    platform::MemoryFile file(data, size);
    CDibPcx pcx;
    const bool read = pcx.Read(file);
    CheckHeldInMemory(data, size, pcx, read, file.Position());
    if (read && pcx.GetBitCount() == 24) {
        platform::MemoryFile out;
        pcx.Write(out);
    }
    platform::MemoryFile again(data, size);
    CDIB any;
    ReadPcxImage(again, any);
    return 0;
}
