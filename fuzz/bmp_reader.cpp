#include "fuzz/FuzzSupport.h"
#include "imaging/Dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QuietMessages();
    platform::MemoryFile file(data, size);
    CDIB dib;
    if (dib.Read(file)) dib.ResizePercent(50);
    return 0;
}
