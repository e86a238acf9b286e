#pragma once

#include <optional>
#include <string>

#include "engine/Sprite.h"

// A sprite whose bitmap is a sheet of equal cells: frames stacked downwards, optionally several columns
// side by side. One cell is shown at a time. Frame 0 is the resting look, frame 1 the look under the
// pointer in the player, frame 2 the disabled look; an animated sprite cycles through all frames.
class CPhasedSprite : public CSprite {
    DECLARE_SERIAL(CPhasedSprite)
    DECLARE_RECYCLED(CPhasedSprite)
  public:
    static constexpr int kMaxInterval = 6;  // the editor's choices, 1/4 second to 5 seconds

    CPhasedSprite();

    void Serialize(CArchive& ar) override;

    // The cell size: the sprite's rectangle is one cell large.
    int32_t GetWidth() const override { return cellWidth_; }
    int32_t GetHeight() const override { return cellHeight_; }
    bool Render(CDIB* destination, const std::optional<platform::Rect>& clip) override;
    void DecodeShownPixels() const override { DecodeTopRows(CellOriginY() + cellHeight_); }
    bool HitTest(int32_t px, int32_t py) const override;
    // Also resets the sheet to one cell and stops the animation settings (not "always animated"): every
    // new bitmap starts as a single-frame sprite.
    void ComputeTransparentColour() override;

    virtual int32_t GetNumFrames() const { return frames_; }
    virtual int32_t GetNumColumns() const { return columns_; }
    virtual int32_t GetCurrentFrame() const { return currentFrame_; }
    virtual int32_t GetCurrentColumn() const { return currentColumn_; }
    // Fail, changing nothing, when the count is not positive or the cells would be empty.
    virtual bool SetNumFrames(int32_t n);
    virtual bool SetNumColumns(int32_t n);
    // Fail, changing nothing, outside the sheet or for the cell already shown; otherwise an "image
    // changed" notice follows.
    virtual bool SetCurrentFrame(int32_t n);
    virtual bool SetCurrentColumn(int32_t n);
    // Shows frame 2 (when the sheet has one) and marks the sprite disabled.
    virtual void Disable();
    // Shows frame 0 and clears the disabled mark.
    virtual void Enable();
    // Loads a new sheet keeping the frame count (see the .cpp file); empty path: ask with the dialog.
    virtual bool ChangeBitmap(const std::string& path);

    bool IsAnimated() const { return animated_; }
    void SetAnimated(bool on) {
        animated_ = on;
        MarkStoredChanged();
    }
    bool IsAlwaysAnimated() const { return alwaysAnimated_; }
    void SetAlwaysAnimated(bool on) {
        alwaysAnimated_ = on;
        MarkStoredChanged();
    }
    int32_t GetInterval() const { return interval_; }
    void SetInterval(int32_t interval) {
        interval_ = interval;
        MarkStoredChanged();
    }
    int32_t GetCellWidth() const { return cellWidth_; }
    int32_t GetCellHeight() const { return cellHeight_; }

    // One tick of the player's animation timer; true when the countdown ran out and the next frame was
    // shown.
    bool AnimationTick();
    // Back to frame 0, not animating and enabled, unless the sprite is always animated.
    void StopAnimation();

  private:
    void ResetSheet();
    int32_t CellOriginX() const { return currentColumn_ * cellWidth_; }
    int32_t CellOriginY() const { return currentFrame_ * cellHeight_; }

    int32_t frames_ = 1;
    int32_t columns_ = 1;
    int32_t currentFrame_ = 0;
    int32_t currentColumn_ = 0;
    int32_t cellHeight_ = 0;
    int32_t cellWidth_ = 0;
    bool animated_ = false;
    bool alwaysAnimated_ = false;
    int32_t interval_ = 0;
    int32_t countdown_ = 1;
    int32_t animationCounter_ = 0;
};
