// OpenCV's parallel loops on the program's own pool: every stripe runs once,
// on the caller and the pool's named threads, and those threads end once
// idle, where OpenCV's own (TBB's) stayed for the life of the process.
#include "document/ImageLoopPool.h"
#include "tests/support/ThreadNames.h"

#include <QTest>
#include <QThread>

#include <opencv2/core.hpp>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using namespace tavero;

namespace {

const QString poolThread = QStringLiteral("tavero.image");

TEST(ImageLoopPool, RunsEveryStripeOnceOnItsOwnThreadsWhichEndOnceIdle) {
    runImageLoopsOnOwnPool(std::chrono::milliseconds(200));
    const bool several = QThread::idealThreadCount() > 1;
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<int> runs(1000, 0);
    std::mutex lock;
    std::condition_variable joined;
    std::set<std::thread::id> threads;
    QStringList helpers;
    cv::parallel_for_(
        cv::Range(0, int(runs.size())),
        [&](const cv::Range& range) {
            for (int index = range.start; index < range.end; ++index) ++runs[size_t(index)];
            std::unique_lock guard(lock);
            threads.insert(std::this_thread::get_id());
            if (std::this_thread::get_id() != caller) helpers << test::nameOfThisThread();
            joined.notify_all();
            // The first stripe waits for another thread to take one.
            if (range.start == 0 && several)
                joined.wait_for(guard, std::chrono::seconds(10), [&] { return threads.size() > 1; });
        },
        double(runs.size()));
    for (size_t index = 0; index < runs.size(); ++index) ASSERT_EQ(runs[index], 1) << index;
    if (several) {
        EXPECT_GT(threads.size(), 1u);
        // Another pool's threads would carry another name (OpenCV's own
        // inherit the caller's).
        ASSERT_FALSE(helpers.isEmpty());
        EXPECT_EQ(helpers.count(poolThread), helpers.size()) << helpers.join(QLatin1Char(' ')).toStdString();
    }
    const auto poolThreads = [] { return test::threadNames().count(poolThread); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return poolThreads() == 0; }, 10'000)) << poolThreads() << " threads stay";
}

TEST(ImageLoopPool, ALoopInsideALoopRunsWhole) {
    runImageLoopsOnOwnPool();
    std::vector<int> runs(64 * 64, 0);
    cv::parallel_for_(cv::Range(0, 64), [&](const cv::Range& rows) {
        for (int row = rows.start; row < rows.end; ++row)
            cv::parallel_for_(cv::Range(0, 64), [&](const cv::Range& columns) {
                for (int column = columns.start; column < columns.end; ++column) ++runs[size_t(row * 64 + column)];
            });
    });
    for (size_t index = 0; index < runs.size(); ++index) ASSERT_EQ(runs[index], 1) << index;
}

}  // namespace
