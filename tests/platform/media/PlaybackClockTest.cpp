#include "platform/media/PlaybackClock.h"

#include <gtest/gtest.h>

using namespace tavero::media;
using namespace std::chrono_literals;

namespace {

const PlaybackClock::Time start = std::chrono::steady_clock::now();

TEST(PlaybackClock, RunsOnTheSteadyClockWithoutSoundAndStandsWhereItWasStopped) {
    PlaybackClock clock(2.0);
    EXPECT_DOUBLE_EQ(clock.position(start + 5s), 2.0) << "made standing";
    clock.run(start, false);
    EXPECT_DOUBLE_EQ(clock.position(start + 1500ms), 3.5);
    clock.stop(start + 2s);
    EXPECT_DOUBLE_EQ(clock.position(start + 9s), 4.0);
    clock.follow(7.0, start + 9s);
    EXPECT_DOUBLE_EQ(clock.position(start + 10s), 4.0) << "a paused sound sets nothing";
}

// The pictures wait for their sound as it starts, keep to it while it is
// heard, and go on without it, from where they stand, when it is gone.
TEST(PlaybackClock, WaitsForItsSoundFollowsItAndRunsOnWhenItIsGone) {
    PlaybackClock clock(1.0);
    clock.run(start, true);
    EXPECT_DOUBLE_EQ(clock.position(start + 300ms), 1.0);
    clock.follow(1.0, start + 300ms);
    EXPECT_DOUBLE_EQ(clock.position(start + 400ms), 1.1) << "heard from 300 ms on";
    clock.follow(1.5, start + 850ms);
    EXPECT_DOUBLE_EQ(clock.position(start + 950ms), 1.6) << "the sound's pace, not the steady clock's";
    clock.runFree(start + 1s);
    EXPECT_DOUBLE_EQ(clock.position(start + 3s), 3.65) << "no jump where the sound went";

    clock.moveTo(5.0, start + 3s, true);
    EXPECT_DOUBLE_EQ(clock.position(start + 3s + PlaybackClock::soundWait), 5.0) << "a seek waits for its sound";
    EXPECT_DOUBLE_EQ(clock.position(start + 3s + PlaybackClock::soundWait + 250ms), 5.25)
        << "but no longer than soundWait";
    clock.moveTo(8.0, start + 4s, true);
    clock.runFree(start + 4100ms);
    EXPECT_DOUBLE_EQ(clock.position(start + 4200ms), 8.1) << "sound that will not come is not waited for";
}

}  // namespace
