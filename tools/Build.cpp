#include <cstdio>

#include "platform/FileNames.h"
#include "tools/Fcatool.h"
#include "tools/TitleFiles.h"

namespace fcatool {

// Builds a title file from a manifest and the image files beside it: the inverse of extract. The output
// is replaced only when the whole title was written.
int RunBuild(const Arguments& args) {
    std::string manifestPath, out;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size())
            out = args[++i];
        else if (manifestPath.empty() && !args[i].empty() && args[i][0] != '-')
            manifestPath = args[i];
        else
            return UsageError("build", "unexpected argument '" + args[i] + "'");
    }
    if (manifestPath.empty() || out.empty()) return UsageError("build", "expected MANIFEST -o TITLE");
    Bytes text;
    if (!ReadFile(manifestPath, text)) {
        std::fprintf(stderr, "fcatool build: cannot read %s\n", manifestPath.c_str());
        return kFailure;
    }
    json::Value manifest;
    std::string error;
    if (!json::Parse(std::string(text.begin(), text.end()), manifest, error)) {
        std::fprintf(stderr, "fcatool build: %s: %s\n", manifestPath.c_str(), error.c_str());
        return kFailure;
    }
    // Storing a title is the same in both programs; the document is the player's, as fcatool's others.
    CFichaDoc doc(Variant::player);
    if (!TitleFromJson(manifest, platform::FolderOfPath(manifestPath), doc, error)) {
        std::fprintf(stderr, "fcatool build: %s\n", error.c_str());
        return kFailure;
    }
    // The document's own save: a scratch file beside the title, renamed over it only on success, with
    // the system's messages on failure.
    return doc.OnSaveDocument(out) ? kSuccess : kFailure;
}

}  // namespace fcatool
