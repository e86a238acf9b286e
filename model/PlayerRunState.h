#pragma once

#include <cstdint>
#include <string>

#include "model/Parms.h"

// What the player keeps for the whole run, across the titles it opens: the parameter block and the
// volume state of the mute actions.
class CPlayerRunState {
  public:
    int32_t StartCard() const { return parms_.startCard; }
    void SetStartCard(int32_t card) { parms_.startCard = card; }
    const std::string& PlayingMusic() const { return parms_.playingMusic; }
    void SetPlayingMusic(std::string name) { parms_.playingMusic = std::move(name); }
    // Wave-out volume saved when sound was muted: left channel in the low 16 bits, right in the high.
    uint32_t SavedVolume() const { return savedVolume_; }
    void SetSavedVolume(uint32_t volume) { savedVolume_ = volume; }
    bool Muted() const { return muted_; }
    void SetMuted(bool muted) { muted_ = muted; }

    const CParms& Parms() const { return parms_; }

  private:
    CParms parms_;
    uint32_t savedVolume_ = 0;
    bool muted_ = false;
};
