#include "platform/Scheduler.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

TEST(SchedulerTest, RunsCallsOnTheEventLoopOnlyWhileTheirHandlesLive) {
    Scheduler& scheduler = Scheduler::main();
    const MonotonicTime start = scheduler.now();
    std::vector<int> ran;
    auto dropped = scheduler.after(Seconds(0.001), [&] { ran.push_back(1); });
    std::unique_ptr<ScheduledCall> first, second;
    first = scheduler.after(Seconds(0.02), [&] {
        ran.push_back(2);
        first.reset();  // a call may drop its own handle
        second = scheduler.after(Seconds(-1), [&] { ran.push_back(3); });
    });
    EXPECT_TRUE(ran.empty());
    dropped.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ran.size() == 2; }, 10'000));
    EXPECT_EQ(ran, (std::vector<int>{2, 3}));
    EXPECT_GE(scheduler.now() - start, Seconds(0.02));
}
