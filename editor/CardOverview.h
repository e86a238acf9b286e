#pragma once

#include <QDockWidget>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class CFichaDoc;
class CSprite;
class QScrollArea;
class CCardStrip;

// The card overview: a dockable row of small pictures of the cards, each drawn as the player shows the
// card on entering it, the current card framed. A click goes to a card; dragging a card and letting it go
// between two others asks to move it there.
//
// The pictures stay cheap: each is kept under a key made of the card's stored bytes and the scene's
// (background and sprites), so after a change only the cards whose key changed are drawn again, one at a
// time when the event loop is idle, and a moved card keeps its picture.
class CCardOverview : public QDockWidget {
    Q_OBJECT
  public:
    static constexpr int kThumbnailWidth = 128;
    static constexpr int kThumbnailHeight = 96;

    explicit CCardOverview(QWidget* parent = nullptr);
    ~CCardOverview() override;

    // Shows the cards of `doc` (null: none) as they stand now; call again after every change.
    void ShowDocument(CFichaDoc* doc);
    CFichaDoc* Document() const { return doc_; }

    int CardCount() const { return static_cast<int>(keys_.size()); }
    int CurrentCard() const { return current_; }
    // The picture of card `index`, drawn now when it is not up to date; null outside the stack.
    QImage Thumbnail(int index);
    // Whether card `index` waits to be drawn again.
    bool IsStale(int index) const;
    // How many pictures were drawn since the overview was made.
    int DrawCount() const { return draws_; }

    // Where card `index` lies in the strip's own coordinates, and the strip (tests press on it).
    QRect CellRect(int index) const;
    QWidget& Strip() const;

  signals:
    void cardClicked(int index);
    void cardMoved(int from, int to);

  private:
    friend class CCardStrip;
    using Key = uint64_t;

    void DrawNextStale();
    QImage Draw(int index);

    CFichaDoc* doc_ = nullptr;
    std::unique_ptr<CFichaDoc> copy_;  // the player's view of the title the keys were taken from
    std::vector<std::pair<CSprite*, bool>> loadedVisibility_;
    std::vector<Key> keys_;
    std::map<Key, QImage> pictures_;
    int current_ = -1;
    int draws_ = 0;
    QScrollArea* scroll_ = nullptr;
    CCardStrip* strip_ = nullptr;
    QTimer idle_;
};
