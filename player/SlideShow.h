#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Sprite.h"
#include "imaging/DibJpeg.h"
#include "platform/Geometry.h"

// What the player's action "Other - Slide Show" shows: every JPEG file of a folder whose name begins
// with a prefix, in name order, one every six seconds over a fixed background, optionally with a sound.
// This file holds the show's plain logic; CSlideShowDlg (player/SlideShowDlg.h) is the window around it.

constexpr int32_t kSlideShowWidth = 640;
constexpr int32_t kSlideShowHeight = 480;
constexpr int kSlidePeriodMs = 6000;

// The listing pattern in the Windows form the show was written for: directory + "\" + prefix + "*.jpg",
// or prefix + "*.jpg" without a directory. The prefix begins the file names; it is not a folder.
std::string SlidePattern(const std::string& directory, const std::string& prefix);

// True when `name` matches `pattern` as a Windows listing matched it: "*" stands for any run of
// characters, "?" for any one, and letters match without regard to case. Both are Windows-1252 bytes.
bool MatchesWindowsPattern(std::string_view name, std::string_view pattern);

// Orders names as the show's sorted list did: case-insensitively, and for names equal in that sense by
// their bytes, so that the order never depends on the order of the folder.
bool SlideNameLess(const std::string& a, const std::string& b);

struct SlideListing {
    // The real folder the names are in; empty for the current directory.
    std::string folder;
    // The names (of this file system, UTF-8) of the ordinary files that match, without folder, sorted.
    std::vector<std::string> names;
};

// Lists the slides of `directory` (a Windows folder name in Windows-1252, resolved against
// `baseDirectory`, the current directory when that is empty) whose names match prefix + "*.jpg". An
// empty directory lists `baseDirectory` itself. A folder that does not exist lists nothing.
SlideListing ListSlides(const std::string& directory, const std::string& prefix,
                        const std::string& baseDirectory = {});

// The path a slide is loaded from: folder + "/" + name, or the bare name without a folder.
std::string SlidePath(const std::string& folder, const std::string& name);

// Rebuilds `composition` from the background with the picture centred on top. Both images are copied
// clipped to the composition, so a slide larger than the composition shows its middle and a background
// smaller than it leaves the rest black. A picture without image (a slide that failed to load) adds
// nothing.
void ComposeSlide(CDIB& background, CDIB& picture, CDIB& composition);

// The top-left corner of a window of width x height centred on a screen, each coordinate taken as 0
// when the screen is too small.
platform::Point CentredWindowOrigin(int32_t screenWidth, int32_t screenHeight, int32_t width, int32_t height);

// The running show without its window: the four action arguments, the images, the list of names and
// the position in it, the current effect, and the sound.
class CSlideShow {
  public:
    // `args` are the sprite's action arguments: background file, name prefix, directory, sound file.
    // Relative names resolve against `baseDirectory` (the current directory when empty).
    explicit CSlideShow(const CSprite::Arguments& args, std::string baseDirectory = {});
    ~CSlideShow();
    CSlideShow(const CSlideShow&) = delete;
    CSlideShow& operator=(const CSlideShow&) = delete;

    // Loads the background (black when there is none or it cannot be loaded), makes the composition,
    // starts the sound, lists the slides and composes the first. False when there is no slide at all:
    // the show must then end at once (the caller runs Stop).
    bool Start();
    // The timer's step: false when every slide has been shown (the show must end); otherwise composes
    // the next slide and moves on to the next effect.
    bool Advance();
    // Stops the sound (when the show named one) and frees the images. A second call does nothing.
    void Stop();

    // True while the first slide is showing: it is drawn in one piece, every later one by a wipe.
    bool ShowingFirstSlide() const { return nextIndex_ == 1; }
    int EffectIndex() const { return effectIndex_; }
    int NextIndex() const { return nextIndex_; }
    int FileCount() const { return static_cast<int>(listing_.names.size()); }
    const SlideListing& Listing() const { return listing_; }
    // The background with the current slide; null before Start and after Stop.
    const CDIB* Composition() const { return composition_.get(); }

  private:
    // The path of the name at the next index, which then moves on.
    std::string TakeNextPath();
    void ComposePath(const std::string& path);
    void LoadBackground();
    void StartSound();
    // A stored name resolved on this file system, or the name as it stands when nothing matches (the
    // open then fails as it did when the file was missing).
    std::string RealPath(const std::string& storedName) const;

    std::string backgroundFile_;
    std::string namePrefix_;
    std::string directory_;
    std::string soundFile_;
    std::string baseDirectory_;
    std::unique_ptr<CDibJpeg> picture_;
    std::unique_ptr<CDibJpeg> background_;
    std::unique_ptr<CDibJpeg> composition_;
    SlideListing listing_;
    int nextIndex_ = 0;
    int effectIndex_ = 0;
    bool soundStarted_ = false;
};
