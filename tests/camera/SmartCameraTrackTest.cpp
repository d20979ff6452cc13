#include "camera/SmartCameraTrack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tavero;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

RecordingEffects zoomingTo(double zoom, bool autoZoom = true) { return {autoZoom, true, zoom, 0.06, 24}; }

double share(double step, double tau) { return 1 - std::exp(-step / tau); }

// The pointer working inside the target: moving a little every 1/30 s.
QList<CursorSample> working(double from, double until, double x = 0.7, double y = 0.3) {
    QList<CursorSample> samples;
    for (int frame = 0; from + frame / 30.0 <= until; ++frame)
        samples.append({from + frame / 30.0, x + 0.01 * (frame % 2), y, true, false});
    return samples;
}

}  // namespace

TEST(SmartCameraTrackTest, WithoutSamplesTheCameraShowsTheWholeFrame) {
    const SmartCameraTrack track({}, RecordingEffects{});
    ASSERT_EQ(track.poses().size(), 1);
    EXPECT_EQ(track.poses().first(), CameraPose{});
    EXPECT_EQ(track.at(12.5), CameraPose{}) << "a lone pose keeps its own time";
}

TEST(SmartCameraTrackTest, ZoomsInOnlyAfterTheFirstMomentAndWithinTheClamp) {
    const auto firstZoom = [](double time, const RecordingEffects& effects) {
        return SmartCameraTrack({{time, 0.5, 0.5, true, true}}, effects).poses().at(1).zoom;
    };
    EXPECT_EQ(firstZoom(0.5, zoomingTo(1.65)), 1) << "not before 0.8 s";
    EXPECT_EQ(firstZoom(0.8, zoomingTo(1.65)), 1) << "nor at 0.8 s";
    EXPECT_DOUBLE_EQ(firstZoom(1.0, zoomingTo(1.65)), 1 + 0.65 * share(0.2, 0.32));
    EXPECT_DOUBLE_EQ(firstZoom(1.0, zoomingTo(3.0)), firstZoom(1.0, zoomingTo(2.5)));
    EXPECT_DOUBLE_EQ(firstZoom(1.0, zoomingTo(infinity)), firstZoom(1.0, zoomingTo(2.5)));
    for (double useless : {0.5, notANumber}) EXPECT_EQ(firstZoom(1.0, zoomingTo(useless)), 1);

    const SmartCameraTrack off(working(0, 5), zoomingTo(2.2, false));
    for (const CameraPose& pose : off.poses()) EXPECT_EQ(pose.zoom, 1) << "auto zoom off";
}

TEST(SmartCameraTrackTest, ZoomsBackOutWhenThePointerRestsOrLeaves) {
    QList<CursorSample> samples = working(0, 3);
    const double lastActivity = samples.last().time;
    const CursorSample resting = samples.last();
    for (double time = 3 + 1 / 30.0; time < 7; time += 1 / 30.0) samples.append({time, resting.x, resting.y, true, false});
    const SmartCameraTrack track(samples, zoomingTo(2));
    for (qsizetype index = 2; index < track.poses().size(); ++index) {
        const CameraPose& before = track.poses()[index - 1];
        const CameraPose& pose = track.poses()[index];
        const bool held = pose.time > 0.8 && pose.time - lastActivity < 2.2;
        const double tau = held ? 0.32 : 0.55;
        const double target = held ? 2 : 1;
        ASSERT_NEAR(pose.zoom, before.zoom + (target - before.zoom) * share(pose.time - before.time, tau), 1e-12)
            << pose.time;
    }
    EXPECT_GT(track.at(lastActivity + 2.1).zoom, 1.9);
    EXPECT_LT(track.poses().last().zoom, 1.2);

    const QList<CursorSample> inside = working(0, 3);
    const CameraPose zoomed = SmartCameraTrack(inside, zoomingTo(2)).poses().last();
    const CursorSample left{inside.last().time + 0.1, 1.5, -0.2, false, true};
    const CameraPose outside = SmartCameraTrack(inside + QList{left}, zoomingTo(2)).poses().last();
    EXPECT_NEAR(outside.zoom, zoomed.zoom + (1 - zoomed.zoom) * share(0.1, 0.55), 1e-12) << "activity was recent";
    EXPECT_EQ(outside.focusX, zoomed.focusX);
    EXPECT_EQ(outside.focusY, zoomed.focusY);
}

TEST(SmartCameraTrackTest, SamplesOutsideTheTargetNeverMoveTheFocusNorCountAsWork) {
    QList<CursorSample> samples;
    for (int frame = 0; frame < 90; ++frame) samples.append({frame / 30.0, 0.1 * (frame % 7), 1.2, false, true});
    const SmartCameraTrack track(samples, zoomingTo(2));
    for (const CameraPose& pose : track.poses()) {
        EXPECT_EQ(pose.zoom, 1);
        EXPECT_EQ(pose.focusX, 0.5);
        EXPECT_EQ(pose.focusY, 0.5);
    }
}

TEST(SmartCameraTrackTest, SkipsUnusableSamplesAndClampsTheTimeStep) {
    const QList<CursorSample> samples{{1.0, 0.9, 0.5, true, false}, {0.5, 0.1, 0.1, true, false},
                                      {-0.1, 0.1, 0.1, true, false}, {notANumber, 0.1, 0.1, true, false},
                                      {2.0, infinity, 0.1, true, false}, {2.0, 0.1, notANumber, true, false},
                                      {11.0, 0.9, 0.5, true, false},  {11.0, 0.1, 0.5, true, false}};
    const SmartCameraTrack track(samples, zoomingTo(1.65, false));
    ASSERT_EQ(track.poses().size(), 4) << "backwards, negative and non-finite samples leave no pose";
    const double afterTenSeconds = 0.5 + 0.4 * share(0.2, 0.16);
    EXPECT_DOUBLE_EQ(track.poses()[1].focusX, afterTenSeconds) << "the first step is at most 0.2 s too";
    const double secondStep = afterTenSeconds + (0.9 - afterTenSeconds) * share(0.2, 0.16);
    EXPECT_DOUBLE_EQ(track.poses()[2].focusX, secondStep) << "10 s apart";
    EXPECT_DOUBLE_EQ(track.poses()[3].focusX, secondStep + (0.1 - secondStep) * share(0.001, 0.16)) << "same time";
    EXPECT_EQ(SmartCameraTrack({{-0.0, 0.5, 0.5, true, false}}, {}).poses().size(), 2) << "-0 is time 0";
}

TEST(SmartCameraTrackTest, KeepsTheViewportInsideTheFrameAtEveryZoom) {
    QList<CursorSample> corners;
    for (int frame = 0; frame < 600; ++frame) {
        const bool right = (frame / 90) % 2;
        corners.append({frame / 30.0, right ? 1.3 : -0.3 + 0.001 * (frame % 2), right ? -0.2 : 1.0, true, frame % 45 == 0});
    }
    const SmartCameraTrack track(corners, zoomingTo(2));
    EXPECT_GT(track.poses().last().zoom, 1.99);
    for (const CameraPose& pose : track.poses()) {
        const double half = 0.5 / pose.zoom - 1e-12;
        ASSERT_TRUE(pose.x >= half && pose.x <= 1 - half && pose.y >= half && pose.y <= 1 - half) << pose.time;
    }
    EXPECT_NEAR(track.poses().last().x, 0.25, 0.01) << "chasing the left edge at zoom 2";
}

TEST(SmartCameraTrackTest, InterpolatesBetweenPosesAndHoldsBeyondThem) {
    const SmartCameraTrack track({{1.0, 0.9, 0.9, true, true}, {1.5, 0.9, 0.9, true, false},
                                  {1.50005, 0.1, 0.1, true, false}},
                                 zoomingTo(2));
    const QList<CameraPose>& poses = track.poses();
    const CameraPose middle = track.at(1.25);
    EXPECT_EQ(middle.time, 1.25);
    EXPECT_DOUBLE_EQ(middle.zoom, (poses[1].zoom + poses[2].zoom) / 2);
    EXPECT_DOUBLE_EQ(middle.focusX, (poses[1].focusX + poses[2].focusX) / 2);
    EXPECT_DOUBLE_EQ(track.at(0.5).x, (poses[0].x + poses[1].x) / 2) << "from the first pose at time 0";

    const CameraPose late = track.at(99);
    EXPECT_EQ(late.time, 99);
    EXPECT_EQ(late.zoom, poses.last().zoom);
    EXPECT_EQ(track.at(-3).x, 0.5);
    EXPECT_NEAR(track.at(1.50004).focusX, poses[2].focusX + (poses[3].focusX - poses[2].focusX) * 0.4, 1e-9)
        << "a span under 0.0001 s counts as 0.0001 s";
    EXPECT_EQ(track.at(1.5002).focusX, poses[3].focusX);
}

TEST(SmartCameraTrackTest, TheViewportIsMeasuredFromTheBottomLeft) {
    const QSizeF frame(1920, 1080);
    EXPECT_EQ(SmartCameraTrack::viewport({0, 0.5, 0.5, 2, 0.5, 0.5}, frame), QRectF(480, 270, 960, 540));
    EXPECT_EQ(SmartCameraTrack::viewport({0, 0, 0, 2, 0, 0}, frame), QRectF(0, 540, 960, 540)) << "top-left";
    EXPECT_EQ(SmartCameraTrack::viewport({0, 1, 1, 2, 1, 1}, frame), QRectF(960, 0, 960, 540)) << "bottom-right";
    EXPECT_EQ(SmartCameraTrack::viewport({0, 0.3, 0.8, 0.5, 0, 0}, frame), QRectF(0, 0, 1920, 1080))
        << "never below zoom 1";
}
