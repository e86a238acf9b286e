#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "imaging/DibJpeg.h"

// Reads a stream at once, and again with its decoding left to the helper thread as a title's background
// is read: both take or refuse it alike, leave the file at the same place, and give the same pixels and
// the same bytes written back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QuietMessages();
    const auto bytes = std::make_shared<const std::vector<uint8_t>>(data, data + size);
    platform::SharedMemoryFile plainFile(bytes), aheadFile(bytes);
    CDibJpeg plain, ahead;
    plain.SetQuiet(true);
    ahead.SetQuiet(true);
    const bool read = plain.Read(plainFile);
    bool aheadRead = ahead.ReadAhead(aheadFile);
    const uint64_t aheadEnd = aheadFile.Position();
    const CDibJpeg::Outcome outcome = aheadRead ? ahead.FinishReading() : CDibJpeg::Outcome::failed;
    // A stream whose decoder ends it elsewhere than its markers said is read again by the caller.
    if (outcome == CDibJpeg::Outcome::misplaced) return 0;
    aheadRead = outcome == CDibJpeg::Outcome::read;
    if (read != aheadRead) __builtin_trap();
    if (!read) return 0;
    if (aheadEnd != plainFile.Position() || plain.GetWidth() != ahead.GetWidth() ||
        plain.GetHeight() != ahead.GetHeight())
        __builtin_trap();
    const size_t pixels =
        static_cast<size_t>(plain.GetStorageWidth()) * static_cast<size_t>(plain.GetHeight());
    const uint8_t* a = std::as_const(plain).GetBits();
    const uint8_t* b = std::as_const(ahead).GetBits();
    if (!a || !b || !std::equal(a, a + pixels, b)) __builtin_trap();
    platform::MemoryFile out, aheadOut;  // written back unchanged, byte for byte
    plain.Write(out);
    ahead.Write(aheadOut);
    if (out.Bytes() != aheadOut.Bytes()) __builtin_trap();
    return 0;
}
