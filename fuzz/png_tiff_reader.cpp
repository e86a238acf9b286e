#include <unistd.h>

#include <cstdio>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "imaging/Dib.h"

// Loading by extension reads files by name, so each input goes through a scratch file; TIFF byte-order
// marks select the TIFF decoder, anything else the PNG one.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QuietMessages();
    bool tiff = size > 0 && (data[0] == 'I' || data[0] == 'M');
    std::string path = "/tmp/lumeo-fuzz-" + std::to_string(getpid()) + (tiff ? ".tif" : ".png");
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
        CDIB dib;
        dib.LoadByExtension(path);
        std::remove(path.c_str());
    }
    return 0;
}
