#include "editor/CardPreview.h"

#include <cstdio>

#include "editor/CommandIds.h"
#include "model/FichaDoc.h"
#include "ui/ViewWidget.h"

CCardPreview::CCardPreview(CFichaDoc& doc, QWidget* parent) : doc_(doc) {
    widget_ = new ui::ViewWidget(parent);
    widget_->SetCentred(false);
    widget_->SetIntegerScale(1);
    widget_->setMouseTracking(true);
    SetScene(&doc_);
    doc_.SetDirtyView(this);
    if (CDIB* background = doc_.GetBackground()) NewBackground(*background);
    widget_->SetView(this, this);
    widget_->ViewChanged();
}

CCardPreview::~CCardPreview() {
    // The widget normally goes first (the child window deletes it); this covers a preview dropped alone.
    if (widget_ && widget_->View() == this) widget_->SetView(nullptr, nullptr);
    SetScene(nullptr);
}

void CCardPreview::PaintOverlay(platform::DeviceContext& dc, const platform::Rect& area) {
    if (CFicha* card = doc_.GetCurrentCardPtr())
        for (size_t i = 0; i < card->texts.GetSize(); ++i) card->TextAt(i)->Draw(dc, 0, 0);
}

void CCardPreview::MouseMove(const ui::MouseEvent& event) {
    pointer_ = event.point;
}

void CCardPreview::Refresh() {
    OnUpdate();
    if (widget_) widget_->ViewChanged();
}

std::string CCardPreview::CardPaneText() const {
    if (doc_.GetCurrentCard() < 0) return std::string();
    char text[64];
    std::snprintf(text, sizeof text, "Ficha: %d de %d", doc_.GetCurrentCard() + 1,
                  static_cast<int>(doc_.GetCards().GetSize()));
    return text;
}

std::string CCardPreview::PositionPaneText() const {
    char text[64];
    std::snprintf(text, sizeof text, "Pos X: %d, Pos Y: %d", pointer_.x, pointer_.y);
    return text;
}

bool CCardPreview::CommandState(int id, State& state) {
    switch (id) {
        case cmd::kAddCard:
            state.enabled = true;
            return true;
        case cmd::kFirstCard:
        case cmd::kPreviousCard:
            state.enabled = doc_.CanGoPrevious();
            return true;
        case cmd::kNextCard:
        case cmd::kLastCard:
            state.enabled = doc_.CanGoNext();
            return true;
        default:
            return false;
    }
}

bool CCardPreview::RunCommand(int id) {
    switch (id) {
        case cmd::kAddCard:
            doc_.TakeUndoSnapshot();
            doc_.GetCards().Add(std::make_unique<CFicha>());
            doc_.LastCard();
            doc_.SetModifiedFlag();
            break;
        case cmd::kFirstCard:
            doc_.FirstCard();
            break;
        case cmd::kPreviousCard:
            doc_.PreviousCard();
            break;
        case cmd::kNextCard:
            doc_.NextCard();
            break;
        case cmd::kLastCard:
            doc_.LastCard();
            break;
        default:
            return false;
    }
    Refresh();
    return true;
}
