#pragma once

#include <string>

#include "engine/Variant.h"

// What each program registers about its documents: the window title, the document's name, the name of a
// new document, the filter of the file dialogs, the extension and the names the system keeps for the type.
struct DocumentType {
    std::string windowTitle;
    std::string documentName;
    std::string fileNewName;
    std::string filterName;
    std::string extension;
    std::string registryTypeId;
    std::string registryTypeName;
};

// The resource string of a document type: the seven fields above, separated by "\n".
const char* DocumentTypeString(Variant variant, bool sceneOnly);
// The fields of such a string; missing trailing fields are empty.
DocumentType ParseDocumentType(const std::string& resource);
// Titles (".FCA") in both programs; scenes without cards (".ANM") in the player only.
inline DocumentType DocumentTypeFor(Variant variant, bool sceneOnly = false) {
    return ParseDocumentType(DocumentTypeString(variant, sceneOnly));
}
