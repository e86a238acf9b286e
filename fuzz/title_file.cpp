// Opens whole title files from arbitrary bytes, as the player opens them: no input may crash, hang or
// make a huge allocation; a file that is not a title ends with the document empty.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "model/Classes.h"
#include "model/FichaDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = (RegisterTitleClasses(), true);
    (void)registered;
    QuietMessages();
    platform::MemoryFile file(data, size, "FUZZ.FCA");
    CFichaDoc doc(Variant::player);
    if (!doc.Load(file) && (doc.GetCards().GetSize() != 0 || !doc.GetSpriteList().IsEmpty()))
        __builtin_trap();
    return 0;
}
