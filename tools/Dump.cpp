#include <cstdio>

#include "tools/Fcatool.h"
#include "tools/TitleFiles.h"

namespace fcatool {

int RunDump(const Arguments& args) {
    if (args.size() != 1) return UsageError("dump", "expected one title file");
    CFichaDoc doc(Variant::player);
    std::string message;
    if (!LoadTitle(args[0], doc, false, nullptr, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return kFailure;
    }
    std::fputs(json::Write(TitleToJson(doc, false)).c_str(), stdout);
    return kSuccess;
}

}  // namespace fcatool
