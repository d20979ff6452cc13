#include "document/ImageLoopPool.h"

#include <QThread>
#include <QThreadPool>

#include <opencv2/core.hpp>
#include <opencv2/core/parallel/parallel_backend.hpp>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace tavero {

namespace {

// One parallel loop: its tasks are taken in turn by whoever works on it.
// Helpers that start after every task was taken touch nothing of the
// caller's but this object, which they share.
class Loop {
public:
    using Body = cv::parallel::ParallelForAPI::FN_parallel_for_body_cb_t;

    Loop(int tasks, Body body, void* data) : tasks_(tasks), body_(body), data_(data) {}

    void work() {
        for (int task = next_++; task < tasks_; task = next_++) {
            body_(task, task + 1, data_);
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
    const Body body_;
    void* const data_;
    std::atomic<int> next_{0};
    std::mutex lock_;
    std::condition_variable done_;
    int finished_ = 0;
};

class OwnPool final : public cv::parallel::ParallelForAPI {
public:
    explicit OwnPool(std::chrono::milliseconds idleLimit) {
        pool_.setObjectName(QStringLiteral("tavero.image"));
        pool_.setExpiryTimeout(int(idleLimit.count()));
        setNumThreads(QThread::idealThreadCount());
    }

    void parallel_for(int tasks, FN_parallel_for_body_cb_t body, void* data) override {
        if (tasks <= 0) return;
        const auto loop = std::make_shared<Loop>(tasks, body, data);
        for (int helper = std::min(tasks, threads_) - 1; helper > 0; --helper)
            pool_.start([loop] { loop->work(); });
        loop->work();
        loop->waitUntilDone();
    }

    // OpenCV asks only to name a thread in its traces.
    int getThreadNum() const override { return 0; }
    int getNumThreads() const override { return threads_; }
    int setNumThreads(int threads) override {
        const int before = threads_;
        threads_ = std::max(1, threads);
        pool_.setMaxThreadCount(std::max(1, threads_ - 1));
        return before;
    }
    const char* getName() const override { return "tavero"; }

private:
    QThreadPool pool_;
    int threads_ = 1;
};

}  // namespace

void runImageLoopsOnOwnPool(std::chrono::milliseconds idleLimit) {
    cv::parallel::setParallelForBackend(std::make_shared<OwnPool>(idleLimit));
}

}  // namespace tavero
