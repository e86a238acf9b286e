#include "fuzz/FuzzSupport.h"
#include "imaging/DibJpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QuietMessages();
    platform::MemoryFile file(data, size);
    CDibJpeg jpeg;
    if (jpeg.Read(file)) {
        platform::MemoryFile out;  // written back unchanged, byte for byte
        jpeg.Write(out);
    }
    return 0;
}
