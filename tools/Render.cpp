#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "engine/AnimView.h"
#include "platform/qt/QtDeviceContext.h"
#include "tools/Fcatool.h"
#include "tools/Render.h"
#include "tools/TitleFiles.h"

namespace fcatool {

QImage ComposeCard(CFichaDoc& doc) {
    CAnimView view;
    view.SetScene(&doc);  // the document hands the view its background
    if (!doc.GetBackground()) {
        // A title without a background still shows its sprites over black, in the player's window size.
        CDIB black;
        black.Create(640, 480, 3);
        view.CreateBuffer(black);
    }
    doc.ApplyCurrentCardToSprites();
    view.Render(std::nullopt);
    QImage image = platform::DibViewToQImage(view.GetBuffer()->View()).convertToFormat(QImage::Format_RGB32);
    view.SetScene(nullptr);
    if (CFicha* card = doc.GetCurrentCardPtr()) {
        platform::QtDeviceContext dc(image);
        for (const auto& text : card->texts) text->Draw(dc);
    }
    return image;
}

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
    QImage image = ComposeCard(doc);
    if (image.isNull() || !image.save(QString::fromStdString(out), "PNG")) {
        std::fprintf(stderr, "fcatool render: cannot write %s\n", out.c_str());
        return kFailure;
    }
    return kSuccess;
}

}  // namespace fcatool
