#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "tools/Fcatool.h"
#include "tools/TitleFiles.h"
#include "ui/CardComposition.h"

namespace fcatool {

int RunRender(const Arguments& args) {
    std::string title, out, cardText;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--card" && i + 1 < args.size())
            cardText = args[++i];
        else if (args[i] == "-o" && i + 1 < args.size())
            out = args[++i];
        else if (title.empty() && !args[i].empty() && args[i][0] != '-')
            title = args[i];
        else
            return UsageError("render", "unexpected argument '" + args[i] + "'");
    }
    if (title.empty() || out.empty() || cardText.empty())
        return UsageError("render", "expected TITLE --card N -o OUT.png");
    char* end = nullptr;
    long card = std::strtol(cardText.c_str(), &end, 10);
    if (*end != '\0' || card < 0 || card > INT32_MAX)
        return UsageError("render", "the card number must be 0 or more");

    EnsureTextDrawing();
    CFichaDoc doc(Variant::player);
    std::string message;
    if (!LoadTitle(title, doc, false, nullptr, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return kFailure;
    }
    if (!doc.GoToCard(static_cast<int>(card))) {
        std::fprintf(stderr, "fcatool render: the title has no card %ld (it has %zu)\n", card,
                     doc.GetCards().GetSize());
        return kFailure;
    }
    QImage image = ui::ComposeCard(doc);
    if (image.isNull() || !image.save(QString::fromStdString(out), "PNG")) {
        std::fprintf(stderr, "fcatool render: cannot write %s\n", out.c_str());
        return kFailure;
    }
    return kSuccess;
}

}  // namespace fcatool
