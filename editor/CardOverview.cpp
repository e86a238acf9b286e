#include "editor/CardOverview.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <cstdlib>
#include <functional>

#include "archive/Archive.h"
#include "editor/PlayerCopy.h"
#include "model/FichaDoc.h"
#include "platform/File.h"
#include "ui/CardComposition.h"

namespace {

constexpr int kMargin = 4;
constexpr int kCaptionHeight = 16;
constexpr int kCellWidth = CCardOverview::kThumbnailWidth + 2 * kMargin;
constexpr int kCellHeight = CCardOverview::kThumbnailHeight + kCaptionHeight + 2 * kMargin;

// The bytes `object` stores by its own Serialize; empty when it cannot be stored.
std::vector<uint8_t> StoredBytes(CObject& object) {
    platform::MemoryFile file;
    try {
        CArchive ar(file, CArchive::store);
        object.Serialize(ar);
        ar.Close();
    } catch (...) {
        return {};
    }
    return file.Bytes();
}

// What every card shows beside its own elements: the background's pixels and the stored sprites.
uint64_t SceneKey(CFichaDoc& copy) {
    std::vector<uint8_t> sprites = StoredBytes(copy.GetSpriteList());
    uint64_t hash = HashBytes(sprites.data(), sprites.size());
    if (CDIB* background = copy.GetBackground()) {
        const size_t size = size_t(background->GetStorageWidth()) * size_t(std::abs(background->GetHeight()));
        const int32_t shape[2] = {background->GetWidth(), background->GetHeight()};
        hash = HashBytes(reinterpret_cast<const uint8_t*>(shape), sizeof shape, hash);
        if (background->GetBits()) hash = HashBytes(background->GetBits(), size, hash);
    }
    return hash;
}

}  // namespace

// The painted row of cells inside the overview's scroll area; it turns presses, drags and releases into
// the overview's clicks and moves.
class CCardStrip : public QWidget {
  public:
    explicit CCardStrip(CCardOverview& overview) : QWidget(nullptr), overview_(overview) {
        setMouseTracking(false);
    }

    // The cell under `x`, or -1 past the last card.
    int CellAt(const QPoint& p) const {
        const int index = p.x() / kCellWidth;
        return p.x() >= 0 && index < overview_.CardCount() && p.y() >= 0 && p.y() < kCellHeight ? index : -1;
    }
    // The gap a drop at `x` goes into: 0 before the first card ... count after the last.
    int GapAt(int x) const { return std::clamp((x + kCellWidth / 2) / kCellWidth, 0, overview_.CardCount()); }

    void Resized() {
        setFixedSize(std::max(1, overview_.CardCount()) * kCellWidth, kCellHeight);
        update();
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().window());
        for (int i = 0; i < overview_.CardCount(); ++i) {
            const QRect cell = overview_.CellRect(i);
            if (!cell.intersects(event->rect())) continue;
            const QRect picture(cell.left() + kMargin, cell.top() + kMargin, CCardOverview::kThumbnailWidth,
                                CCardOverview::kThumbnailHeight);
            auto found = overview_.pictures_.find(overview_.keys_[size_t(i)]);
            if (found != overview_.pictures_.end())
                painter.drawImage(picture.topLeft(), found->second);
            else
                painter.fillRect(picture, Qt::lightGray);  // drawn when the loop is idle
            if (i == overview_.current_) {
                painter.setPen(QPen(palette().highlight(), 3));
                painter.drawRect(picture.adjusted(-2, -2, 1, 1));
            }
            painter.setPen(palette().windowText().color());
            painter.drawText(QRect(cell.left(), picture.bottom() + 1, kCellWidth, kCaptionHeight),
                             Qt::AlignCenter, QStringLiteral("%1").arg(i + 1));
        }
        if (dragging_) {
            const int x = GapAt(dropX_) * kCellWidth;
            painter.fillRect(QRect(x - 2, 0, 3, kCellHeight), palette().highlight());
        }
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        pressed_ = CellAt(event->position().toPoint());
        pressPoint_ = event->position().toPoint();
        dragging_ = false;
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (pressed_ < 0 || !(event->buttons() & Qt::LeftButton)) return;
        const QPoint p = event->position().toPoint();
        if (!dragging_ && (p - pressPoint_).manhattanLength() < QApplication::startDragDistance()) return;
        dragging_ = true;
        dropX_ = p.x();
        update();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || pressed_ < 0) return;
        const int from = pressed_;
        pressed_ = -1;
        if (!dragging_) {
            if (CellAt(event->position().toPoint()) == from) emit overview_.cardClicked(from);
            return;
        }
        dragging_ = false;
        update();
        // Letting the card go in the gap before or after itself leaves the stack as it is.
        const int gap = GapAt(event->position().toPoint().x());
        const int to = gap > from ? gap - 1 : gap;
        if (to != from) emit overview_.cardMoved(from, to);
    }

  private:
    CCardOverview& overview_;
    int pressed_ = -1;
    QPoint pressPoint_;
    bool dragging_ = false;
    int dropX_ = 0;
};

CCardOverview::CCardOverview(QWidget* parent) : QDockWidget(QStringLiteral("Cards"), parent) {
    setObjectName(QStringLiteral("cardOverview"));
    scroll_ = new QScrollArea(this);
    strip_ = new CCardStrip(*this);
    scroll_->setWidget(strip_);
    scroll_->setWidgetResizable(false);
    scroll_->setMinimumHeight(kCellHeight + 24);
    setWidget(scroll_);
    idle_.setSingleShot(true);
    idle_.setInterval(0);
    connect(&idle_, &QTimer::timeout, this, &CCardOverview::DrawNextStale);
    strip_->Resized();
}

CCardOverview::~CCardOverview() = default;

QWidget& CCardOverview::Strip() const {
    return *strip_;
}

QRect CCardOverview::CellRect(int index) const {
    return QRect(index * kCellWidth, 0, kCellWidth, kCellHeight);
}

void CCardOverview::ShowDocument(CFichaDoc* doc) {
    doc_ = doc;
    copy_ = doc ? PlayerCopyOf(*doc) : nullptr;
    keys_.clear();
    loadedVisibility_.clear();
    current_ = doc ? doc->GetCurrentCard() : -1;
    if (copy_) {
        for (CSprite* s : copy_->GetSpriteList()) loadedVisibility_.emplace_back(s, s->IsVisible());
        const uint64_t scene = SceneKey(*copy_);
        for (CFicha* card : copy_->GetCards()) {
            std::vector<uint8_t> bytes = StoredBytes(*card);
            keys_.push_back(HashBytes(bytes.data(), bytes.size(), scene));
        }
    }
    // Pictures of cards that are no longer there go; the others stay under their keys.
    for (auto it = pictures_.begin(); it != pictures_.end();)
        it = std::find(keys_.begin(), keys_.end(), it->first) == keys_.end() ? pictures_.erase(it)
                                                                             : std::next(it);
    strip_->Resized();
    if (!isHidden()) idle_.start();
}

bool CCardOverview::IsStale(int index) const {
    return index >= 0 && index < CardCount() && !pictures_.count(keys_[size_t(index)]);
}

QImage CCardOverview::Thumbnail(int index) {
    if (index < 0 || index >= CardCount()) return QImage();
    auto found = pictures_.find(keys_[size_t(index)]);
    if (found != pictures_.end()) return found->second;
    return Draw(index);
}

QImage CCardOverview::Draw(int index) {
    // Every card is entered from the title as it was read, as fcatool render shows it, so that no card's
    // picture depends on which card was drawn before it.
    for (auto& [sprite, visible] : loadedVisibility_) sprite->SetVisible(visible);
    if (!copy_ || !copy_->GoToCard(index)) return QImage();
    QImage card = ui::ComposeCard(*copy_);
    QImage picture =
        card.scaled(kThumbnailWidth, kThumbnailHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    ++draws_;
    pictures_[keys_[size_t(index)]] = picture;
    strip_->update(CellRect(index));
    return picture;
}

void CCardOverview::DrawNextStale() {
    // One picture per idle moment, the visible ones first, so that the editor never waits for the row.
    const QRect shown(-strip_->pos(), scroll_->viewport()->size());
    int next = -1;
    for (int i = 0; i < CardCount() && next < 0; ++i)
        if (IsStale(i) && CellRect(i).intersects(shown)) next = i;
    for (int i = 0; i < CardCount() && next < 0; ++i)
        if (IsStale(i)) next = i;
    if (next < 0) return;
    Draw(next);
    idle_.start();
}
