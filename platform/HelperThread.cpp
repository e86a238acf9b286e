#include "platform/HelperThread.h"

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
    bool Add(const std::shared_ptr<HelperTask>& task) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return false;
        if (!thread_.joinable()) {
            try {
                thread_ = std::thread([this] { Serve(); });
            } catch (const std::system_error&) {
                return false;
            }
        }
        tasks_.push_back(task);
        waiting_.notify_one();
        return true;
    }

  private:
    void Serve() {
        for (;;) {
            std::shared_ptr<HelperTask> task;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                waiting_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
                // The tasks handed over before the end still run: someone may be waiting for them.
                if (tasks_.empty()) return;
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task->RunHere();
        }
    }

    std::mutex mutex_;
    std::condition_variable waiting_;
    std::deque<std::shared_ptr<HelperTask>> tasks_;
    std::thread thread_;
    bool stopping_ = false;
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

std::shared_ptr<HelperTask> HelperTask::Run(std::function<void()> work) {
    auto task = std::make_shared<HelperTask>(std::move(work));
    if (!Parallel() || !Queue().Add(task)) task->RunHere();
    return task;
}

void HelperTask::RunHere() {
    work_();
    work_ = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
    }
    finished_.notify_all();
}

void HelperTask::Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [this] { return done_; });
}

bool HelperTask::Done() {
    std::lock_guard<std::mutex> lock(mutex_);
    return done_;
}

}  // namespace platform
