// Reads a card array, as a title file holds it, from arbitrary bytes: no input may crash, hang or make a
// huge allocation; format and file faults end the read with their exceptions.
#include <cstddef>
#include <cstdint>

#include "archive/Archive.h"
#include "model/Classes.h"
#include "model/Ficha.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = (RegisterTitleClasses(), true);
    (void)registered;
    platform::MemoryFile file(data, size);
    CArchive ar(file, CArchive::load);
    CArrayFichas cards;
    try {
        cards.Serialize(ar);
    } catch (const CArchiveException&) {
    } catch (const platform::FileException&) {
    }
    return 0;
}
