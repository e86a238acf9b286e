#include <cstdio>

#include "model/FichaDoc.h"
#include "model/TitleCheck.h"
#include "tools/Fcatool.h"
#include "tools/TitleFiles.h"

namespace fcatool {

// The walk itself lives with the model, so that the editor's check panel lists the very same findings.
int RunCheck(const Arguments& args) {
    if (args.size() != 1) return UsageError("check", "expected one title file");
    CFichaDoc doc(Variant::player);
    std::string message;
    if (!LoadTitle(args[0], doc, false, nullptr, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return kFailure;
    }
    const std::vector<TitleFinding> findings = CheckTitle(doc);
    for (const TitleFinding& finding : findings) std::printf("%s\n", finding.line.c_str());
    return findings.empty() ? kSuccess : kFailure;
}

}  // namespace fcatool
