#pragma once

#include <cstdint>
#include <string>

#include "archive/Object.h"

class CArchive;

// The parameter block that the player keeps from one title to the next: the background music now
// playing and the card at which the next title opens. It lives in memory only.
class CParms : public CObject {
    DECLARE_SERIAL(CParms)
  public:
    void Serialize(CArchive& ar) override;

    std::string text1;         // not read by the player
    std::string playingMusic;  // upper-case file name of the music now playing
    int32_t startCard = 0;     // card index at which the next title opens
    uint16_t shortValue = 0;   // not read by the player
};
