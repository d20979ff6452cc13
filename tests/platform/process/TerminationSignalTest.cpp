#include "platform/process/TerminationSignal.h"

#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

using namespace tavero;

TEST(TerminationSignalTest, SigtermBecomesOneCallOnTheEventLoopAndThenEndsTheProcessAgain) {
    int heard = 0;
    {
        const TerminationSignal termination([&heard] { ++heard; });
        ::raise(SIGTERM);
        ::raise(SIGTERM);
        EXPECT_EQ(heard, 0) << "nothing is done inside the handler";
        EXPECT_TRUE(QTest::qWaitFor([&] { return heard > 0; }, 2000));
        QTest::qWait(50);
        EXPECT_EQ(heard, 1) << "two signals before the loop ran are one wake-up";
        EXPECT_THROW(TerminationSignal([] {}), std::logic_error) << "one at a time";
    }
    struct sigaction now {};
    ::sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}
