#pragma once

#include <optional>

#include "engine/OSBView.h"
#include "engine/SpriteList.h"
#include "imaging/Dib.h"

class CAnimView;

// What the animation view composes: the document's background and its sprite list. The card document
// implements it.
class AnimScene {
  public:
    virtual ~AnimScene() = default;
    // The background image, or null when the document has none.
    virtual CDIB* Background() = 0;
    virtual CSpriteList& Sprites() = 0;

  protected:
    friend class CAnimView;
    // A view begins to show this scene (CAnimView::SetScene). A scene that keeps its views (the document)
    // notes it here; nothing by default.
    virtual void ViewAttached(CAnimView& view) {}
    // A view stops showing this scene: it turns to another scene or none, or it is being destroyed, so
    // only its address may be used. It no longer receives the sprite list's dirty rectangles. A scene
    // that keeps its views forgets it here; nothing by default.
    virtual void ViewDetached(CAnimView& view) {}
};

// The view that composes a scene: the background copied opaque, then the sprites from the back of the
// list to the front, so that the sprite a click hits is the one drawn on top. The card views of both
// programs derive from it and add their own pointer handling.
//
// The view knows the scene it shows and the scene (through ViewAttached and ViewDetached) knows the view,
// so neither ever points at the other after one of them is gone. Showing a scene does not make the view
// the receiver of the sprite list's dirty rectangles: the owner states that (CSpriteList::SetView, or
// CAnimDoc::SetDirtyView for a document), and a view that stops showing the scene stops receiving them.
class CAnimView : public COSBView {
  public:
    CAnimView() = default;
    // Stops showing the scene (see SetScene).
    ~CAnimView() override;

    // Shows `scene`; null shows none. The scene the view showed before is told, and when the view was the
    // receiver of that scene's dirty rectangles, the scene's list has no receiver any more.
    void SetScene(AnimScene* scene);
    AnimScene* GetScene() const { return scene_; }

    // Composes the area `r` (everything when none) into the buffer. Sprites never reach outside the
    // background; without a background they are held to the buffer and `r`, over black.
    void Render(const std::optional<platform::Rect>& r) override;
    // Rebuilds the buffer for a new background (remapping an 8-bit one to the view's palette), then
    // composes and shows the whole scene. The player's card view also fits its frame to the screen here.
    virtual bool NewBackground(CDIB& background);

  protected:
    // What NewBackground does before composing: the buffer rebuilt for `background` and an 8-bit
    // background remapped to the view's palette; the buffer is left black.
    bool TakeBackground(CDIB& background);

  private:
    AnimScene* scene_ = nullptr;
};
