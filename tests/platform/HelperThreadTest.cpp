#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/HelperThread.h"

// Tasks run one after another in the order they were handed over, each exactly once, and Wait returns
// only once its task has run, whatever the helper was doing when it was asked.
TEST(HelperThread, TasksRunInOrderAndWaitReturnsAfterTheirWork) {
    std::vector<int> order;  // written by the tasks alone, read after waiting for the last
    std::atomic<bool> release{false};
    std::vector<std::shared_ptr<platform::HelperTask>> tasks;
    // The first task holds the helper until the others are queued behind it.
    tasks.push_back(platform::HelperTask::Run([&] {
        while (platform::HelperTask::Parallel() && !release.load()) std::this_thread::yield();
        order.push_back(0);
    }));
    for (int i = 1; i < 50; ++i)
        tasks.push_back(platform::HelperTask::Run([&order, i] { order.push_back(i); }));
    if (platform::HelperTask::Parallel()) {
        EXPECT_FALSE(tasks.back()->Done());
    }
    release = true;
    tasks.back()->Wait();
    for (const auto& task : tasks) EXPECT_TRUE(task->Done());
    ASSERT_EQ(order.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(order[i], i);

    // A task waited for from several threads at once releases them all.
    std::atomic<int> ran{0}, woken{0};
    auto slow = platform::HelperTask::Run([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ++ran;
    });
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            slow->Wait();
            if (ran.load() == 1) ++woken;
        });
    for (std::thread& t : waiters) t.join();
    EXPECT_EQ(woken.load(), 3);
}

// Told that work is coming, the helper looks out for it for a moment; work that comes in that moment, or
// long after it when the helper sleeps again, runs all the same.
TEST(HelperThread, WorkRunsWhetherTheHelperLooksOutForItOrSleeps) {
    for (int wait : {0, 3, 10}) {
        platform::HelperTask::Prepare();
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        std::atomic<int> ran{0};
        auto task = platform::HelperTask::Run([&] { ++ran; });
        task->Wait();
        EXPECT_EQ(ran.load(), 1) << "after " << wait << " ms";
    }
}

// Work that tells it is nearly done wakes its waiter early; the waiter still returns only once the work
// has ended, whether the end comes at once or long after the waiter stopped looking for it. Told
// anywhere but in running work, it does nothing.
TEST(HelperThread, AWaiterWokenBeforeTheEndStillWaitsForTheEnd) {
    platform::HelperTask::NearlyDone();
    for (int tail : {0, 1, 30}) {
        std::atomic<bool> ended{false};
        auto task = platform::HelperTask::Run([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            platform::HelperTask::NearlyDone();
            platform::HelperTask::NearlyDone();
            std::this_thread::sleep_for(std::chrono::milliseconds(tail));
            ended = true;
        });
        task->Wait();
        EXPECT_TRUE(ended.load()) << "ended " << tail << " ms after it said it was nearly done";
        EXPECT_TRUE(task->Done());
    }
}
