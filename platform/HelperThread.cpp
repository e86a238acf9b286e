#include "platform/HelperThread.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <system_error>
#include <thread>

namespace platform {

// The helper thread and the tasks waiting for it.
class HelperQueue {
  public:
    ~HelperQueue() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        waiting_.notify_one();
        if (thread_.joinable()) thread_.join();
    }

    // False when no thread could be started: the caller runs the task itself.
    // The helper is woken after the lock is let go of: woken while it is held, it would find the lock
    // taken and have to be woken a second time.
    bool Add(const std::shared_ptr<HelperTask>& task) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!Started()) return false;
            tasks_.push_back(task);
            queued_.store(true);
        }
        waiting_.notify_one();
        return true;
    }

    void LookOut() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!Started()) return;
            lookOutUntil_.store(Clock::now() + kLookOut);
        }
        waiting_.notify_one();
    }

  private:
    using Clock = std::chrono::steady_clock;
    // How long the helper looks out for work it was told of: time enough for a title's file to be read up
    // to its background. Waking a sleeping thread takes tens of microseconds, which the look-out hides.
    static constexpr std::chrono::microseconds kLookOut{1500};

    bool Started() {
        if (stopping_) return false;
        if (thread_.joinable()) return true;
        try {
            thread_ = std::thread([this] { Serve(); });
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    void Serve() {
        for (;;) {
            // Told that work is coming, the helper looks for it without sleeping for a moment.
            while (!queued_.load() && Clock::now() < lookOutUntil_.load()) std::this_thread::yield();
            std::shared_ptr<HelperTask> task;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                waiting_.wait(lock, [this] {
                    return stopping_ || !tasks_.empty() || Clock::now() < lookOutUntil_.load();
                });
                if (tasks_.empty()) {
                    // The tasks handed over before the end still run: someone may be waiting for them.
                    if (stopping_) return;
                    continue;  // looking out
                }
                task = std::move(tasks_.front());
                tasks_.pop_front();
                queued_.store(!tasks_.empty());
                // The work it was told of has come: no more looking out after it.
                lookOutUntil_.store(Clock::time_point{});
            }
            task->RunHere();
        }
    }

    std::mutex mutex_;
    std::condition_variable waiting_;
    std::deque<std::shared_ptr<HelperTask>> tasks_;
    std::thread thread_;
    bool stopping_ = false;
    std::atomic<bool> queued_{false};
    std::atomic<Clock::time_point> lookOutUntil_{Clock::time_point{}};
};

namespace {

HelperQueue& Queue() {
    static HelperQueue queue;
    return queue;
}

}  // namespace

bool HelperTask::Parallel() {
    static const bool parallel = std::thread::hardware_concurrency() > 1;
    return parallel;
}

void HelperTask::Prepare() {
    if (Parallel()) Queue().LookOut();
}

std::shared_ptr<HelperTask> HelperTask::Run(std::function<void()> work) {
    auto task = std::make_shared<HelperTask>(std::move(work));
    if (!Parallel() || !Queue().Add(task)) task->RunHere();
    return task;
}

namespace {

// The task the helper is running, for the work to tell of its progress.
thread_local HelperTask* running = nullptr;

// A moment's pause in a loop that waits for another thread, without giving up the processor.
inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

}  // namespace

void HelperTask::RunHere() {
    HelperTask* outer = running;
    running = this;
    work_();
    running = outer;
    work_ = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_.store(true);
    }
    finished_.notify_all();
}

void HelperTask::NearlyDone() {
    HelperTask* task = running;
    if (!task) return;
    {
        std::lock_guard<std::mutex> lock(task->mutex_);
        if (task->nearlyDone_) return;
        task->nearlyDone_ = true;
    }
    task->finished_.notify_all();
}

void HelperTask::Wait() {
    if (done_.load()) return;
    bool nearly = false;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [this] { return done_.load() || nearlyDone_; });
        nearly = !done_.load();
    }
    if (!nearly) return;
    // Woken a little before the end: the waiter is up again by the time the work ends, and looks for the
    // end without sleeping once more, for a while at most.
    const auto until = std::chrono::steady_clock::now() + kLastStretch;
    while (!done_.load() && std::chrono::steady_clock::now() < until) Pause();
    if (done_.load()) return;
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [this] { return done_.load(); });
}

bool HelperTask::Done() {
    return done_.load();
}

}  // namespace platform
