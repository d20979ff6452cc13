// A screen feed of one of two monitors (Xorg's dummy driver) while xrandr
// turns that monitor off.
#include "platform/desktop/ScreenFeed.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/support/RealInput.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// Waits and grabs as a recording does until the feed is lost; its
// description, none when it lasts `limit`.
std::optional<QString> lostWithin(PictureFeed& feed, std::chrono::milliseconds limit) {
    const Clock::time_point giveUp = Clock::now() + limit;
    try {
        while (Clock::now() < giveUp)
            if (feed.waitForChange(Clock::now() + 100ms)) feed.grab();
    } catch (const PictureFeed::Lost& lost) {
        return lost.description();
    }
    return std::nullopt;
}

TEST(X11ScreenFeedDisplaysTest, AFeedOfAMonitorTurnedOffIsLostAndTheOtherMonitorsGoesOn) {
    X11ScreenSource screen;
    const QList<DisplayInfo> displays = screen.displays();
    if (displays.size() < 2) GTEST_SKIP() << "needs two monitors";
    const DisplayInfo& kept = displays[0];
    const DisplayInfo& removed = displays[1];
    const std::unique_ptr<PictureFeed> gone = openScreenFeed(ScreenScope{removed.pixelFrame, std::nullopt, true, {}});
    const std::unique_ptr<PictureFeed> staying = openScreenFeed(ScreenScope{kept.pixelFrame, std::nullopt, true, {}});
    EXPECT_EQ(gone->grab().size(), removed.pixelFrame.size());
    staying->grab();

    ASSERT_TRUE(test::outputOf(QStringLiteral("xrandr"), {QStringLiteral("--output"), removed.name, QStringLiteral("--off")}));
    EXPECT_EQ(lostWithin(*gone, 10s), QStringLiteral("显示器已断开"));
    EXPECT_EQ(lostWithin(*staying, 1s), std::nullopt);
    EXPECT_EQ(staying->grab().size(), kept.pixelFrame.size());
}

}  // namespace
