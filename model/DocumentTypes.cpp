#include "model/DocumentTypes.h"

const char* DocumentTypeString(Variant variant, bool sceneOnly) {
    if (variant == Variant::editor)
        return "Fabrio\nFabrio\nFabrio\nFabrio Files (*.fca)\n.FCA\nFabrio.Document\nFabrio Document";
    if (sceneOnly) return "Orvanta\n\nLumeo\nQuelta Files (*.anm)\n.ANM\nQuelta.Document\nLumeo Document";
    return "Orvanta\n\nLumeo\nQuelta Files (*.fca)\n.FCA\nQuelta.Document\nLumeo Document";
}

DocumentType ParseDocumentType(const std::string& resource) {
    DocumentType type;
    std::string* fields[] = {&type.windowTitle, &type.documentName,   &type.fileNewName,     &type.filterName,
                             &type.extension,   &type.registryTypeId, &type.registryTypeName};
    size_t start = 0;
    for (std::string* field : fields) {
        if (start > resource.size()) break;
        size_t end = resource.find('\n', start);
        if (end == std::string::npos) end = resource.size();
        *field = resource.substr(start, end - start);
        start = end + 1;
    }
    return type;
}
