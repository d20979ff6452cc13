#include "document/ImageLoopPool.h"

#include "document/SpreadLoop.h"

#include <QThread>
#include <QThreadPool>

#include <opencv2/core.hpp>
#include <opencv2/core/parallel/parallel_backend.hpp>

#include <algorithm>
#include <memory>

namespace tavero {

namespace {

class OwnPool final : public cv::parallel::ParallelForAPI {
public:
    explicit OwnPool(std::chrono::milliseconds idleLimit) {
        pool_.setObjectName(QStringLiteral("tavero.image"));
        pool_.setExpiryTimeout(int(idleLimit.count()));
        setNumThreads(QThread::idealThreadCount());
    }

    void parallel_for(int tasks, FN_parallel_for_body_cb_t body, void* data) override {
        const auto startHelper = [this](std::function<void()> helper) { pool_.start(std::move(helper)); };
        runSpread(tasks, threads_, startHelper, [body, data](int task) { body(task, task + 1, data); });
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
