#include "camera/LivePose.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tavero;

namespace {

const QRectF bounds(100, 50, 1000, 500);
RecordingEffects zoomingTo(double zoom) { return {true, true, zoom, 0.06, 24}; }

// A pointer circling inside the bounds, so it keeps moving.
QPointF busyPointer(double time) {
    return {600 + 200 * std::cos(time * 3), 300 + 100 * std::sin(time * 3)};
}

}  // namespace

TEST(LivePoseTest, APointerOutsideTheAreaLeavesTheWholeFrame) {
    LivePose pose(bounds, zoomingTo(2));
    for (double time = 0; time < 4; time += 1.0 / 30) pose.advance(time, QPointF(5000, 5000), true);
    EXPECT_DOUBLE_EQ(pose.pose().zoom, 1);
    EXPECT_DOUBLE_EQ(pose.pose().x, 0.5);
    EXPECT_DOUBLE_EQ(pose.pose().focusY, 0.5);
}

TEST(LivePoseTest, ABusyPointerZoomsInAfterAMomentAndOutAfterRest) {
    LivePose pose(bounds, zoomingTo(1.65));
    double time = 0;
    for (; time <= 0.8; time += 1.0 / 30) pose.advance(time, busyPointer(time), false);
    EXPECT_DOUBLE_EQ(pose.pose().zoom, 1) << "no zoom before 0.8 s";
    for (; time < 3; time += 1.0 / 30) pose.advance(time, busyPointer(time), false);
    EXPECT_GT(pose.pose().zoom, 1.5);
    EXPECT_LE(pose.pose().zoom, 1.65);
    const QPointF rest = busyPointer(time);
    for (const double end = time + 6; time < end; time += 1.0 / 30) pose.advance(time, rest, false);
    EXPECT_LT(pose.pose().zoom, 1.01) << "back out after 2.2 s of rest";
}

TEST(LivePoseTest, TheZoomIsClampedAndTheViewStaysInsideTheFrame) {
    for (const double asked : {2.0, 9.0, std::numeric_limits<double>::quiet_NaN()}) {
        LivePose pose(bounds, zoomingTo(asked));
        // Busy in the top-left corner of the area.
        for (double time = 0; time < 6; time += 1.0 / 30)
            pose.advance(time, QPointF(101 + std::fmod(time * 90, 20), 51), false);
        const CameraPose& now = pose.pose();
        const double expected = std::isnan(asked) ? 1 : std::min(asked, 2.5);
        EXPECT_NEAR(now.zoom, expected, 0.01) << asked;
        const double half = 0.5 / now.zoom;
        EXPECT_GE(now.x, half - 1e-12);
        EXPECT_GE(now.y, half - 1e-12);
        EXPECT_LE(now.x, 1 - half + 1e-12);
    }
}

TEST(LivePoseTest, AnEmptyAreaFollowsNothing) {
    LivePose pose(QRectF(100, 100, 0, 0), zoomingTo(2));
    for (double time = 0; time < 3; time += 1.0 / 30) pose.advance(time, QPointF(100, 100), true);
    EXPECT_DOUBLE_EQ(pose.pose().focusX, 0.5);
    EXPECT_DOUBLE_EQ(pose.pose().zoom, 1);
    EXPECT_FALSE(std::isnan(pose.pose().x));
}
