#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class CFichaDoc;

// A player's document holding an editor document's title as it stands, unsaved changes included, read
// back from the bytes a save would write and bound to the title's path, so that its media names resolve
// beside the title. The editor's panels check, draw and map the title through it, as the player and
// fcatool would see it, without touching the editor's document or its views. Null when the title cannot
// be stored or read back.
std::unique_ptr<CFichaDoc> PlayerCopyOf(CFichaDoc& doc);

// A 64-bit FNV-1a hash of `size` bytes, continuing from `hash`: how the editor's aids tell whether a title
// or a card changed since they last looked, without keeping its bytes.
constexpr uint64_t kBytesHashStart = 14695981039346656037ull;
inline uint64_t HashBytes(const uint8_t* bytes, size_t size, uint64_t hash = kBytesHashStart) {
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}
