#pragma once

#include <exception>
#include <initializer_list>
#include <string>
#include <vector>

#include "archive/Archive.h"
#include "model/ArchiveErrors.h"
#include "model/Classes.h"

namespace model_test {

using Bytes = std::vector<uint8_t>;

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

inline Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes Dword(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

// The bytes of `object`'s embedded Serialize in a fresh archive.
inline Bytes StoreEmbedded(CObject& object) {
    platform::MemoryFile file;
    CArchive ar(file, CArchive::store);
    object.Serialize(ar);
    ar.Close();
    return file.Bytes();
}

// Loads `object` from the bytes; returns "" on success, else the message opening a title would show.
// The whole stream must be consumed.
inline std::string LoadEmbedded(CObject& object, const Bytes& bytes) {
    platform::MemoryFile file(bytes, "TITULO.FCA");
    CArchive ar(file, CArchive::load);
    try {
        object.Serialize(ar);
        if (ar.BytesRemaining() != 0) return "bytes left over";
    } catch (...) {
        return MessageForException(std::current_exception(), DocumentOperation::open);
    }
    return "";
}

inline const std::string kBadFormat = "Formato de archivo no esperado.";

}  // namespace model_test
