#include "fuzz/FuzzSupport.h"
#include "imaging/DibPcx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QuietMessages();
    platform::MemoryFile file(data, size);
    CDibPcx pcx;
    if (pcx.Read(file) && pcx.GetBitCount() == 24) {
        platform::MemoryFile out;
        pcx.Write(out);
    }
    return 0;
}
