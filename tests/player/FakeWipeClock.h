#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "player/Wipes.h"

namespace player_test {

// A wipe clock that never sleeps: waiting moves it straight to the deadline, after `onWait` (when set)
// has had a look at the window. Drawing can be made slow by advancing `now` from the painter.
class FakeWipeClock : public WipeClock {
  public:
    explicit FakeWipeClock(uint64_t start = 0) : now(start) {}
    uint64_t NowMs() override { return now; }
    void WaitUntil(uint64_t deadline) override {
        deadlines.push_back(deadline);
        if (onWait) onWait();
        if (deadline > now) {
            waited += deadline - now;
            now = deadline;
        }
    }

    uint64_t now;
    uint64_t waited = 0;  // the time all waits together moved the clock on
    std::vector<uint64_t> deadlines;
    std::function<void()> onWait;
};

}  // namespace player_test
