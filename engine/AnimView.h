#pragma once

#include <optional>

#include "engine/OSBView.h"
#include "engine/SpriteList.h"
#include "imaging/Dib.h"

// What the animation view composes: the document's background and its sprite list. The card document
// implements it.
class AnimScene {
  public:
    virtual ~AnimScene() = default;
    // The background image, or null when the document has none.
    virtual CDIB* Background() = 0;
    virtual CSpriteList& Sprites() = 0;
};

// The view that composes a scene: the background copied opaque, then the sprites from the back of the
// list to the front, so that the sprite a click hits is the one drawn on top. The card views of both
// programs derive from it and add their own pointer handling.
class CAnimView : public COSBView {
  public:
    CAnimView() = default;
    // Detaches from the scene's sprite list when this view is still its receiver.
    ~CAnimView() override;

    // Shows `scene` and becomes the receiver of its sprite list's dirty rectangles; null detaches. The
    // scene must outlive the view or be replaced (or detached) before it is destroyed.
    void SetScene(AnimScene* scene);
    AnimScene* GetScene() const { return scene_; }

    // Composes the area `r` (everything when none) into the buffer. Sprites never reach outside the
    // background; without a background they are held to the buffer and `r`, over black.
    void Render(const std::optional<platform::Rect>& r) override;
    // Rebuilds the buffer for a new background and shows the whole scene.
    bool NewBackground(CDIB& background);

  private:
    void Detach();

    AnimScene* scene_ = nullptr;
};
