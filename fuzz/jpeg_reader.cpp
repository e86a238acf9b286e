#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "imaging/DibJpeg.h"

namespace {

// Reads the stream with its decoding left to the helper thread, the calling thread taking a share of the
// rows when `share` is set, and checks it against the plain read: taken or refused alike, the file left at
// the same place, the same pixels and the same bytes written back.
void CheckAgainstPlain(const std::shared_ptr<const std::vector<uint8_t>>& bytes, CDibJpeg& plain, bool read,
                       uint64_t plainEnd, bool share) {
    platform::SharedMemoryFile aheadFile(bytes);
    CDibJpeg ahead;
    ahead.SetQuiet(true);
    bool aheadRead = ahead.ReadAhead(aheadFile);
    const uint64_t aheadEnd = aheadFile.Position();
    if (aheadRead && share) ahead.ShareDecoding();
    const CDibJpeg::Outcome outcome = aheadRead ? ahead.FinishReading() : CDibJpeg::Outcome::failed;
    // A stream whose decoder ends it elsewhere than its markers said is read again by the caller.
    if (outcome == CDibJpeg::Outcome::misplaced) return;
    aheadRead = outcome == CDibJpeg::Outcome::read;
    if (read != aheadRead) __builtin_trap();
    if (!read) return;
    if (aheadEnd != plainEnd || plain.GetWidth() != ahead.GetWidth() ||
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
}

}  // namespace

// Reads a stream at once, then twice more as a title's background is read: decoded by the helper thread
// alone, and shared between it and the thread that waits for it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QuietMessages();
    const auto bytes = std::make_shared<const std::vector<uint8_t>>(data, data + size);
    platform::SharedMemoryFile plainFile(bytes);
    CDibJpeg plain;
    plain.SetQuiet(true);
    const bool read = plain.Read(plainFile);
    for (const bool share : {false, true}) CheckAgainstPlain(bytes, plain, read, plainFile.Position(), share);
    return 0;
}
