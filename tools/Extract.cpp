#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/Fcatool.h"
#include "tools/TitleFiles.h"

namespace fcatool {

namespace {

bool WriteInto(const std::string& folder, const std::string& name, const Bytes& bytes) {
    const std::string path = folder + "/" + name;
    if (WriteFile(path, bytes)) return true;
    std::fprintf(stderr, "fcatool extract: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

// Takes a title apart into a manifest and its embedded images, copied as the very bytes that lie in the
// title, so that build can put the same file together again.
int RunExtract(const Arguments& args) {
    if (args.size() != 2) return UsageError("extract", "expected a title file and a folder");
    CFichaDoc doc(Variant::player);
    Bytes file;
    std::string message;
    if (!LoadTitle(args[0], doc, true, &file, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return kFailure;
    }
    const std::string& folder = args[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (const auto& range = doc.GetBackgroundRange()) {
        Bytes jpeg(file.begin() + static_cast<std::ptrdiff_t>(range->begin),
                   file.begin() + static_cast<std::ptrdiff_t>(range->end));
        if (!WriteInto(folder, kBackgroundFileName, jpeg)) return kFailure;
    }
    size_t index = 0;
    for (CSprite* sprite : doc.GetSpriteList()) {
        const Bytes* raw = RawImageOf(sprite);
        if (!raw || !WriteInto(folder, SpriteFileName(index++), *raw)) return kFailure;
    }
    std::string manifest = json::Write(TitleToJson(doc, true));
    if (!WriteInto(folder, "manifest.json", Bytes(manifest.begin(), manifest.end()))) return kFailure;
    return kSuccess;
}

}  // namespace fcatool
