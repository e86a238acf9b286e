#pragma once

#include <string>

#include "archive/Archive.h"
#include "platform/File.h"
#include "tests/support/Bytes.h"
#include "tests/support/ScratchFolder.h"

// Object streams and whole documents made in memory.
namespace test_support {

// The bytes that `write` puts into a fresh storing archive, flushed.
template <class Write>
Bytes Store(Write write) {
    platform::MemoryFile file;
    CArchive ar(file, CArchive::store);
    write(ar);
    ar.Close();
    return file.Bytes();
}

// The bytes of `object`'s embedded Serialize (no class tag) in a fresh archive.
inline Bytes StoreEmbedded(CObject& object) {
    return Store([&](CArchive& ar) { object.Serialize(ar); });
}

// The bytes of a whole document file (a title or a scene), as its Store writes them.
template <class Document>
Bytes StoreDocument(Document& doc) {
    platform::MemoryFile file;
    doc.Store(file);
    return file.Bytes();
}

// Writes the document's file to `path` and returns the path.
template <class Document>
std::string SaveDocument(Document& doc, const std::string& path) {
    WriteFileBytes(path, StoreDocument(doc));
    return path;
}

}  // namespace test_support
