#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>

#include "editor/CommandTarget.h"
#include "editor/EditingSeams.h"
#include "engine/AnimView.h"
#include "ui/ViewClient.h"

#include "ui/ViewWidget.h"

class CFichaDoc;

// What a child window shows until the editing card view takes its place: the document's current card
// (background, sprites and texts) through a CAnimView on a ui::ViewWidget, read-only. It answers the
// status bar's questions and, so that a title can already be built card by card and saved, runs the card
// stack's Add card and the four navigation commands; every other command is left to the frame, which
// shows it disabled. The editor's card view and its editing commands replace all of this in the factory
// of the child windows.
class CCardPreview : public CAnimView, public ui::ViewClient, public CardEditing, public CommandTarget {
  public:
    CCardPreview(CFichaDoc& doc, QWidget* parent);
    ~CCardPreview() override;

    ui::ViewWidget* Widget() const { return widget_; }
    CFichaDoc& Document() const { return doc_; }

    // ui::ViewClient
    void PaintOverlay(platform::DeviceContext& dc, const platform::Rect& area) override;
    void MouseMove(const ui::MouseEvent& event) override;

    // CardEditing: nothing can be selected here.
    CTexto* CurrentText() const override { return nullptr; }
    void SetCurrentText(CTexto*) override {}
    CSprite* CurrentSprite() const override { return nullptr; }
    void SetCurrentSprite(CSprite*) override {}
    void DeselectAll() override {}
    void Refresh() override;
    std::string CardPaneText() const override;
    std::string PositionPaneText() const override;

    // CommandTarget
    bool CommandState(int id, State& state) override;
    bool RunCommand(int id) override;

  private:
    CFichaDoc& doc_;
    // Owned by the child window, which deletes it first; the preview may outlive it.
    QPointer<ui::ViewWidget> widget_;
    platform::Point pointer_;
};
