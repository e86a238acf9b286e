#include "ui/CardComposition.h"

#include "engine/AnimView.h"
#include "model/FichaDoc.h"
#include "platform/qt/QtDeviceContext.h"

namespace ui {

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

}  // namespace ui
