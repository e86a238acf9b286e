#pragma once

#include <exception>
#include <string>

#include "archive/Archive.h"
#include "model/ArchiveErrors.h"
#include "model/Classes.h"
#include "tests/support/Bytes.h"

// Reading the model's records back from hand-made streams, with the messages a title open shows.
namespace model_test {

// Loads `object` from the bytes; returns "" on success, else the message opening a title would show.
// The whole stream must be consumed.
inline std::string LoadEmbedded(CObject& object, const test_support::Bytes& bytes) {
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
