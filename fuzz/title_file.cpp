// Opens whole title files from arbitrary bytes, as the player opens them: no input may crash, hang or
// make a huge allocation; a file that is not a title ends with the document empty.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
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
    // Both ways take or refuse a title alike, and store a taken one as the same bytes, although the
    // second decodes the background on the helper thread while it reads the rest.
    std::optional<bool> firstLoaded;
    std::optional<std::vector<uint8_t>> firstStored;
    for (platform::File* input :
         {static_cast<platform::File*>(&file), static_cast<platform::File*>(&shared)}) {
        CFichaDoc doc(Variant::player);
        const bool loaded = doc.Load(*input);
        if (firstLoaded && *firstLoaded != loaded) __builtin_trap();
        firstLoaded = loaded;
        if (!loaded) {
            if (doc.GetCards().GetSize() != 0 || !doc.GetSpriteList().IsEmpty()) __builtin_trap();
            continue;
        }
        // Sprites read in place are decoded only now, drawn as the player draws them, and a stream the
        // open accepted always decodes; then the title is stored again.
        CDIB scene;
        scene.Create(64, 48, 3);
        for (CSprite* sprite : doc.GetSpriteList()) {
            sprite->Render(&scene, std::nullopt);
            if (sprite->HasImage() && !std::as_const(*sprite).GetBits()) __builtin_trap();
        }
        platform::MemoryFile stored;
        try {
            doc.Store(stored);
        } catch (...) {
            // An image the writer cannot write (an 8-bit sprite) fails the store, as it does in a save.
            stored.Bytes().clear();
        }
        if (firstStored && *firstStored != stored.Bytes()) __builtin_trap();
        firstStored = stored.Bytes();
    }
    return 0;
}
