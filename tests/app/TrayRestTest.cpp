// The program gives back what its work left once it has rested in the tray
// long enough: once per rest, and not at all for a rest cut short.
#include "app/TrayRest.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

constexpr std::chrono::milliseconds settle{100};

class TrayRestTest : public testing::Test {
protected:
    void setResting(bool now) {
        resting = now;
        rest.update();
    }

    bool resting = false;
    int given = 0;
    TrayRest rest{[this] { return resting; }, [this] { ++given; }, settle};
};

TEST_F(TrayRestTest, ARestLongEnoughGivesBackOnce) {
    setResting(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return given == 1; }, 5000));
    // Changes that keep the program at rest start nothing new.
    setResting(true);
    setResting(true);
    QTest::qWait(int(3 * settle.count()));
    EXPECT_EQ(given, 1);

    setResting(false);
    setResting(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return given == 2; }, 5000)) << "the next rest gives back again";
}

TEST_F(TrayRestTest, ARestCutShortGivesNothingBack) {
    setResting(true);
    setResting(false);
    QTest::qWait(int(3 * settle.count()));
    EXPECT_EQ(given, 0);
}

}  // namespace
