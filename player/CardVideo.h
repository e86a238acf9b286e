#pragma once

#include <cstdint>
#include <string>

class CPlayerCardView;

// The card video of the player's card view: whether the document's device is open for the current
// card's clip, and where its play stands. The clip plays as a child of the view, which also receives its
// completion notices.
class CCardVideo {
  public:
    enum State : int { atEnd = 0, playing = 1, paused = 2, closed = 3 };

    explicit CCardVideo(CPlayerCardView& view) : view_(view) {}

    // Opens and plays the current card's clip when the card has one that starts by itself.
    void Start();
    // Stops and closes the clip when it is open.
    void Stop();
    // "Video - Play": plays from the first frame at the end, plays on when paused, opens a closed clip.
    void Play();
    // "Video - Stop": pauses a playing clip.
    void Pause();
    // Raises the video window over the card and draws its picture again.
    void Refresh();
    // The device's completion notice (an MCI_NOTIFY_ code).
    void OnNotify(uint32_t code);

    bool IsOpen() const { return open_; }
    State GetState() const { return state_; }
    bool ReplayLoop() const { return replayLoop_; }
    void SetReplayLoop(bool on) { replayLoop_ = on; }
    // Step R of entering a card: nothing open, nothing played yet.
    void Clear() {
        open_ = false;
        state_ = atEnd;
    }

    static const char* StateName(State state);

  private:
    void SetState(State state);

    CPlayerCardView& view_;
    bool open_ = false;
    State state_ = atEnd;
    bool replayLoop_ = true;
    std::string file_;  // the clip the states are of, for the trace
};
