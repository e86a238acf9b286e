#include "fuzz/FuzzSupport.h"
#include "imaging/Dib.h"
#include "imaging/ImageFiles.h"

// Both BMP readers: the one for images inside titles and the one that loading by extension uses for
// BMP files of every kind.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QuietMessages();
    platform::MemoryFile file(data, size);
    CDIB dib;
    if (dib.Read(file)) dib.ResizePercent(50);
    platform::MemoryFile again(data, size);
    CDIB any;
    if (ReadBmpImage(again, any)) any.ResizePercent(50);
    return 0;
}
