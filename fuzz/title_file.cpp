// Opens whole title files from arbitrary bytes, as the player opens them: no input may crash, hang or
// make a huge allocation; a file that is not a title ends with the document empty.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "model/Classes.h"
#include "model/FichaDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = (RegisterTitleClasses(), true);
    (void)registered;
    QuietMessages();
    // Through the archive's buffer, and in place from shared bytes as a title read whole is opened.
    platform::MemoryFile file(data, size, "FUZZ.FCA");
    platform::SharedMemoryFile shared(std::make_shared<const std::vector<uint8_t>>(data, data + size),
                                      "FUZZ.FCA");
    for (platform::File* input :
         {static_cast<platform::File*>(&file), static_cast<platform::File*>(&shared)}) {
        CFichaDoc doc(Variant::player);
        if (!doc.Load(*input) && (doc.GetCards().GetSize() != 0 || !doc.GetSpriteList().IsEmpty()))
            __builtin_trap();
    }
    return 0;
}
