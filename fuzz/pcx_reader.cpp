#include "fuzz/FuzzSupport.h"
#include "imaging/DibPcx.h"
#include "imaging/ImageFiles.h"

// The sprite codec, written back when it reads, and the reader of every PCX kind that loading by
// extension uses.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QuietMessages();
    platform::MemoryFile file(data, size);
    CDibPcx pcx;
    if (pcx.Read(file) && pcx.GetBitCount() == 24) {
        platform::MemoryFile out;
        pcx.Write(out);
    }
    platform::MemoryFile again(data, size);
    CDIB any;
    ReadPcxImage(again, any);
    return 0;
}
