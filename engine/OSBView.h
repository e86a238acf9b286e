#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "engine/SpriteList.h"
#include "imaging/Dib.h"
#include "platform/DeviceContext.h"
#include "platform/Geometry.h"

// The base of every view that shows a scene. The scene is composed into an off-screen back buffer, and
// only the rectangles that changed (the dirty list) are composed again and copied to the presentation
// surface. Composing is the derived view's Render; this class owns the buffer, the dirty list and the copy.
//
// On this true-colour platform the buffer is always a plain 24-bit DIB of the background's size. For an
// 8-bit background the view keeps the background's colour table as its palette, so that images can be
// remapped to it as they were on palette displays.
class COSBView : public DirtyRectReceiver {
  public:
    COSBView() = default;
    ~COSBView() override;
    COSBView(const COSBView&) = delete;
    COSBView& operator=(const COSBView&) = delete;

    // Builds the palette and a black buffer of the background's size. Fails, leaving no buffer, when the
    // background has no image or the buffer cannot be made.
    bool CreateBuffer(const CDIB& background);

    // --- drawing hooks ---
    // The card views of the two programs build on these. The presentation widget calls OnInitialUpdate
    // once when the view first shows its document, OnDraw for every area it must paint, and may call
    // DrawOverBuffer itself when it copies the buffer on its own.
    //
    // Composes the scene into the buffer, limited to `r` when given; nothing here (the animation view
    // composes background and sprites).
    virtual void Render(const std::optional<platform::Rect>& r);
    // Copies `r` (or the whole surface) of the buffer to the surface, limited to the surface's clip box
    // and to the buffer, at 1:1, then calls DrawOverBuffer with the same area. Nothing without a surface.
    virtual void DrawBuffer(const std::optional<platform::Rect>& r);
    // Draws over the area `r` (none: the whole surface) right after the buffer was copied there, on the
    // surface itself: what a view draws here lies over the scene without being part of the buffer (the
    // card texts, the editor's selection frames). Nothing here.
    virtual void DrawOverBuffer(platform::DeviceContext& surface, const std::optional<platform::Rect>& r);
    // The framework's update notice: composes the whole scene and shows it.
    virtual void OnUpdate();
    // The framework's paint of the area `r` (none: everything): shows it from the buffer as it stands.
    virtual void OnDraw(const std::optional<platform::Rect>& r);
    // The first showing of the view with its document; nothing here.
    virtual void OnInitialUpdate();

    // Adds a rectangle at the head of the dirty list. When it intersects the head rectangle the head grows
    // to the union instead; older entries are never merged, so overlapping entries may remain.
    void AddDirty(const platform::Rect& r) override;
    // Composes every dirty rectangle, then copies each to the surface, emptying the list. All composing
    // is finished before the first copy, so no half-composed state is ever shown.
    void RenderAndDrawDirtyList();
    void EmptyDirtyList() { dirty_.clear(); }
    // Head (newest) first.
    const std::deque<platform::Rect>& GetDirtyList() const { return dirty_; }

    // The surface the buffer is shown on (the window's device context); null shows nothing. Not owned.
    void SetSurface(platform::DeviceContext* surface) { surface_ = surface; }
    platform::DeviceContext* GetSurface() const { return surface_; }
    // The scroll position of a scrolling view: the buffer point shown at the surface's top-left.
    void SetScrollPosition(const platform::Point& p) { scroll_ = p; }
    const platform::Point& GetScrollPosition() const { return scroll_; }

    CDIB* GetBuffer() const { return buffer_.get(); }
    // The palette made from an 8-bit background's colour table; null for a true-colour background.
    const std::vector<PaletteEntry>* GetPalette() const { return palette_ ? &*palette_ : nullptr; }

  protected:
    std::unique_ptr<CDIB> buffer_;

  private:
    // The copy part of DrawBuffer.
    void CopyBufferToSurface(const std::optional<platform::Rect>& r);

    std::optional<std::vector<PaletteEntry>> palette_;
    std::deque<platform::Rect> dirty_;
    platform::DeviceContext* surface_ = nullptr;
    platform::Point scroll_;
};
