#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/HelperThread.h"

namespace test_support {

// Keeps the program's helper thread busy from construction for `hold`, so that work handed to it meanwhile
// waits behind it; a thread of its own lets it go. Destroyed (or Join), it has let go and the hold is over.
class HeldHelper {
  public:
    explicit HeldHelper(std::chrono::milliseconds hold = std::chrono::milliseconds(20))
        : task_(platform::HelperTask::Run([this] {
              while (platform::HelperTask::Parallel() && !released_.load()) std::this_thread::yield();
          })),
          releaser_([this, hold] {
              std::this_thread::sleep_for(hold);
              released_ = true;
          }) {}
    ~HeldHelper() { Join(); }
    HeldHelper(const HeldHelper&) = delete;
    HeldHelper& operator=(const HeldHelper&) = delete;

    void Join() {
        if (releaser_.joinable()) releaser_.join();
        task_->Wait();
    }
    bool Released() const { return released_.load(); }

  private:
    std::atomic<bool> released_{false};
    std::shared_ptr<platform::HelperTask> task_;
    std::thread releaser_;
};

}  // namespace test_support
