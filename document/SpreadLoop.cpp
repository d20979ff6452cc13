#include "document/SpreadLoop.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace tavero {

namespace {

// One loop, shared by whoever works on it: helpers that start after every
// task was taken touch nothing but this object.
class Loop {
public:
    Loop(int tasks, std::function<void(int)> task) : tasks_(tasks), task_(std::move(task)) {}

    void work() {
        for (int task = next_++; task < tasks_; task = next_++) {
            task_(task);
            std::lock_guard guard(lock_);
            if (++finished_ == tasks_) done_.notify_all();
        }
    }

    void waitUntilDone() {
        std::unique_lock guard(lock_);
        done_.wait(guard, [this] { return finished_ == tasks_; });
    }

private:
    const int tasks_;
    const std::function<void(int)> task_;
    std::atomic<int> next_{0};
    std::mutex lock_;
    std::condition_variable done_;
    int finished_ = 0;
};

}  // namespace

void runSpread(int tasks, int threads, const std::function<void(std::function<void()>)>& startHelper,
               std::function<void(int)> task) {
    if (tasks <= 0) return;
    const auto loop = std::make_shared<Loop>(tasks, std::move(task));
    for (int helper = std::min(tasks, threads) - 1; helper > 0; --helper) startHelper([loop] { loop->work(); });
    loop->work();
    loop->waitUntilDone();
}

}  // namespace tavero
