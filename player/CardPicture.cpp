#include "player/CardPicture.h"

#include <QFile>
#include <QPainter>

#include "imaging/Dib.h"
#include "platform/qt/QtDeviceContext.h"
#include "player/Lumeo.h"

namespace {

// Past this many pictures of one card, the folder counts as full.
constexpr int kMostPicturesOfACard = 9999;

}  // namespace

QImage CardPicture(CFichaView& view) {
    const CDIB* buffer = view.GetBuffer();
    const bool shown = buffer && buffer->HasImage();
    const platform::Rect card{0, 0, shown ? buffer->GetWidth() : 640, shown ? buffer->GetHeight() : 480};
    // Drawn as the view widget draws an area, buffer first and the card's overlay over it, only at the
    // card's own size and without the decorations.
    QImage image(card.Width(), card.Height(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    platform::QtDeviceContext dc(painter);
    if (shown) dc.StretchDib(buffer->View(), card, card);
    view.PaintCard(dc, card);
    return image;
}

std::string CardPictureName(const std::string& stem, int card, int counter) {
    return stem + "-card" + std::to_string(card) + "-" + std::to_string(counter) + ".png";
}

std::optional<std::string> WriteCardPicture(const QImage& image, const std::string& folder,
                                            const std::string& stem, int card) {
    if (folder.empty()) return std::nullopt;
    for (int counter = 1; counter <= kMostPicturesOfACard; ++counter) {
        const std::string path = folder + "/" + CardPictureName(stem, card, counter);
        QFile file(QString::fromStdString(path));
        if (file.exists()) continue;
        // NewOnly: a file that appeared since the look above is not replaced either.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.exists()) continue;
            return std::nullopt;
        }
        if (image.save(&file, "PNG")) return path;
        file.remove();
        return std::nullopt;
    }
    return std::nullopt;
}
