#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace platform {

// Work handed to the program's helper thread, so that the thread that asked can go on with other work
// and wait for the result only where it needs it. The helper runs one task after another, in the order
// they were handed over; it starts with the first task and is joined when the program ends. On a machine
// with a single processor, or when a thread cannot be had, the work runs at once on the caller's thread.
class HelperTask {
  public:
    // Hands `work` over. The work must not throw, must not touch what its caller may change before Wait
    // returns, and must not wait for work of its own handed over here: there is one helper.
    static std::shared_ptr<HelperTask> Run(std::function<void()> work);
    // Returns once the work has run.
    void Wait();
    // Called by running work a little before its end, for as long as it takes a sleeping thread to wake:
    // a thread waiting for it wakes now and looks for the end without sleeping. Elsewhere it does nothing.
    static void NearlyDone();
    bool Done();

    // Whether work is handed to another thread at all on this machine.
    static bool Parallel();
    // Tells the helper that work is coming soon: it wakes now and looks out for it for a moment, so that
    // the work starts at once when it is handed over instead of after the thread has woken.
    static void Prepare();

    explicit HelperTask(std::function<void()> work) : work_(std::move(work)) {}

  private:
    friend class HelperQueue;
    void RunHere();

    // How long a waiter woken by NearlyDone looks for the end before it sleeps again.
    static constexpr std::chrono::microseconds kLastStretch{2000};

    std::function<void()> work_;
    std::mutex mutex_;
    std::condition_variable finished_;
    std::atomic<bool> done_{false};
    bool nearlyDone_ = false;
};

}  // namespace platform
