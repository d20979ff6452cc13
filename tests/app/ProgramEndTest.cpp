#include "app/ProgramEnd.h"

#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <gtest/gtest.h>

using namespace tavero;
using namespace std::chrono_literals;

namespace {

TEST(ProgramEnd, ReturnsTheStatusOnceTheWorkersAreDone) {
    QThreadPool::globalInstance()->start([] { QThread::msleep(50); });
    EXPECT_EQ(endOnceWorkersStop(3, 60s), 3);
}

// A worker blocked for good (a FIFO read before it was refused) kept a quit
// program running without end.
TEST(ProgramEndDeathTest, AWorkerThatNeverReturnsDoesNotKeepAQuitProgramAlive) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static QSemaphore never;
            QThreadPool::globalInstance()->start([] { never.acquire(); });
            endOnceWorkersStop(5, 100ms);
        },
        testing::ExitedWithCode(5), "");
}

}  // namespace
