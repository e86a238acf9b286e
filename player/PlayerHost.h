#pragma once

#include <array>
#include <cstdint>
#include <string>

class CArrayFichas;

// The pointer shapes the card view asks for: the program's hand over a sprite, the arrow elsewhere.
enum class PlayerCursor { sprite, normal };

// Everything the player's card view and its actions need from the program around them: the window, the
// dialogs, the shell and the frame that owns the document. The Qt program implements it; tests record it.
class PlayerHost {
  public:
    virtual ~PlayerHost() = default;

    // Opens the title file `name` (as the title names it, relative to the folder of the title being left)
    // as the document of the view. On success the host hands the new document to the view
    // (CPlayerCardView::SetDocument) before it returns; a title that does not open leaves the current
    // document where it is and returns false.
    virtual bool OpenTitle(const std::string& name) = 0;
    // The scene of a ".anm" file is closed after a title was opened from it.
    virtual void CloseScene() {}
    // Modal dialogs: each returns when the user closed it.
    virtual void ShowCredits() = 0;
    // The cards list on `cards` with `current` preselected: the chosen index, or -1 when cancelled.
    virtual int RunCardsList(const CArrayFichas& cards, int current) = 0;
    virtual void ShowPicture(const std::string& file, const std::string& sound) = 0;
    virtual void RunSlideShow(const std::array<std::string, 4>& arguments) = 0;
    // Opens a web address or a "mailto:" link with the desktop's handler; true when it was handed over.
    virtual bool ShellOpen(const std::string& target) = 0;
    // Ends the program (the document is closed, then the frame).
    virtual void EndProgram() = 0;
    // Invalidates the whole view and repaints it at once (the view's OnDraw runs).
    virtual void RedrawView() = 0;
    virtual void CaptureMouse(bool capture) = 0;
    virtual void SetCursor(PlayerCursor cursor) = 0;
};

// What the player does, as it happens, for whoever wants to watch (the program prints it as JSON lines
// when asked). Every method does nothing by default.
class PlayerTrace {
  public:
    virtual ~PlayerTrace() = default;
    virtual void Click(int32_t sprite, int32_t action, const std::array<std::string, 4>& arguments) {}
    virtual void Enter(int32_t sprite, int32_t action, const std::string& argument) {}
    virtual void Leave(int32_t sprite, int32_t action, const std::string& argument) {}
    virtual void Sound(const std::string& file, bool loop) {}
    virtual void SoundStop() {}
    virtual void Volume(uint16_t left, uint16_t right, bool muted) {}
    // `state` is "playing", "paused", "at-end" or "closed".
    virtual void VideoState(const std::string& file, const std::string& state) {}
    virtual void Dialog(const std::string& name, bool open) {}
    virtual void Shell(const std::string& target, bool opened) {}
    virtual void CardEntered(const std::string& title, int card, int count) {}
    virtual void Exit() {}
    // A picture of the card was asked for: `file` is where it went (a path of this file system, UTF-8),
    // empty when it could not be written anywhere.
    virtual void Screenshot(const std::string& file) {}
};
