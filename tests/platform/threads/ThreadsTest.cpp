#include "platform/threads/Background.h"
#include "platform/threads/SerialQueue.h"
#include "platform/threads/ThreadName.h"
#include "tests/support/ThreadNames.h"

#include <QCoreApplication>
#include <QThread>
#include <QtTest>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

using namespace tavero;
using tavero::test::nameOfThisThread;

TEST(SerialQueue, RunsTasksOneAtATimeInOrder) {
    SerialQueue queue(QStringLiteral("tavero.test"));
    std::mutex lock;
    std::vector<int> order;
    std::atomic<int> running{0};
    std::atomic<bool> overlapped{false};
    for (int i = 0; i < 100; ++i) {
        queue.async([&, i] {
            if (running.fetch_add(1) != 0) overlapped = true;
            {
                std::lock_guard guard(lock);
                order.push_back(i);
            }
            running.fetch_sub(1);
        });
    }
    queue.waitUntilIdle();
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(order[size_t(i)], i);
    EXPECT_FALSE(overlapped);
}

TEST(SerialQueue, GoesOnAfterATaskThrows) {
    SerialQueue queue(QStringLiteral("tavero.test"));
    std::atomic<bool> ranAfter{false};
    queue.async([] { throw std::runtime_error("boom"); });
    queue.async([&] { ranAfter = true; });
    queue.waitUntilIdle();
    EXPECT_TRUE(ranAfter);
}

TEST(RunThenDeliver, DeliversValuesAndShotErrorsOnTheMainThreadAndReplacesOtherExceptions) {
    QObject context;
    std::optional<Result<int>> value;
    std::optional<Result<int>> shot;
    std::optional<Result<int>> other;
    QThread* deliveredOn = nullptr;
    runThenDeliver(&context, [] { return 42; },
                   [&](Result<int> result) {
                       value = std::move(result);
                       deliveredOn = QThread::currentThread();
                   },
                   QStringLiteral("回退"));
    runThenDeliver(&context, []() -> int { throw ShotError(QStringLiteral("图片编码失败。")); },
                   [&](Result<int> result) { shot = std::move(result); }, QStringLiteral("回退"));
    runThenDeliver(&context, []() -> int { throw std::bad_alloc(); },
                   [&](Result<int> result) { other = std::move(result); }, QStringLiteral("回退"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return value && shot && other; }, 5000));
    ASSERT_TRUE(value->ok());
    EXPECT_EQ(value->value(), 42);
    EXPECT_EQ(deliveredOn, QCoreApplication::instance()->thread());
    EXPECT_EQ(shot->error().message(), QStringLiteral("图片编码失败。"));
    EXPECT_EQ(other->error().message(), QStringLiteral("回退"));
}

TEST(RunThenDeliver, DropsTheResultWhenTheContextIsGone) {
    std::atomic<bool> started{false};
    std::atomic<bool> release{false};
    bool delivered = false;
    {
        QObject context;
        runThenDeliver(&context,
                       [&] {
                           started = true;
                           while (!release) QThread::msleep(1);
                           return 1;
                       },
                       [&](Result<int>) { delivered = true; }, QString());
        while (!started) QThread::msleep(1);
    }
    release = true;
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_FALSE(delivered);
}

TEST(ThreadName, NamesTheThreadCuttingWhatTheSystemCannotKeepAndLendsItToThreadsStartedMeanwhile) {
    QString named, cut, lent, given;
    std::thread([&] {
        nameThisThread("tavero-grab");
        named = nameOfThisThread();
        nameThisThread("tavero-a-name-too-long-for-it");
        cut = nameOfThisThread();
        nameThisThread("tavero-encode");
        {
            const ThreadNameForNewThreads workers("tavero-x264");
            std::thread([&] { lent = nameOfThisThread(); }).join();
        }
        given = nameOfThisThread();
    }).join();
    EXPECT_EQ(named, "tavero-grab");
    EXPECT_EQ(cut, "tavero-a-name-t");
    EXPECT_EQ(lent, "tavero-x264");
    EXPECT_EQ(given, "tavero-encode") << "the thread has its own name back";
}

TEST(ThreadName, BackgroundWorkRunsOnThreadsNamedForIt) {
    std::promise<QString> name;
    runInBackground([&] { name.set_value(nameOfThisThread()); });
    EXPECT_EQ(name.get_future().get(), "tavero-work");
}
