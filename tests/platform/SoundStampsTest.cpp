#include "platform/SoundStamps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace tavero;

namespace {

constexpr int rate = 44100;
constexpr int chunkFrames = 882;

std::chrono::steady_clock::duration after(double seconds) {
    return std::chrono::round<std::chrono::steady_clock::duration>(Seconds(seconds));
}

double between(MonotonicTime from, MonotonicTime to) { return Seconds(to - from).count(); }

// Places `count` chunks of 20 ms whose true capture times run at `speed`
// (a sound card's clock against ours) from `zero` on, measured with up to
// `jitter` seconds either way (and `spike` added to one chunk in 50). Checks
// that the placed stamps rise and returns how far the last one lies from its
// true time.
double placeChunks(SoundStamps& stamps, MonotonicTime zero, int count, double speed, double jitter,
                   double spike = 0, std::uint32_t seed = 7) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> noise(-jitter, jitter);
    std::optional<MonotonicTime> previous;
    double truth = 0;
    double lastError = 0;
    for (int chunk = 0; chunk < count; ++chunk) {
        truth = chunk * (double(chunkFrames) / rate) / speed;
        const double measured = truth + noise(random) + (chunk % 50 == 25 ? spike : 0);
        const MonotonicTime placed = stamps.place(zero + after(measured), chunkFrames, rate);
        if (previous) {
            EXPECT_GT(placed, *previous) << "chunk " << chunk;
        }
        if (::testing::Test::HasFailure()) return 1e9;
        previous = placed;
        lastError = between(zero + after(truth), placed);
    }
    return lastError;
}

TEST(SoundStampsTest, ChunksFollowOneAnotherThroughJitterAndSpikes) {
    const MonotonicTime zero = std::chrono::steady_clock::now();
    // Measured stamps jitter by 3 ms, and every second one is 30 ms early
    // (more than a chunk's length) or 15 ms late (taken for a gap).
    for (const double spike : {-0.030, 0.015}) {
        SCOPED_TRACE(spike);
        SoundStamps stamps;
        EXPECT_NEAR(placeChunks(stamps, zero, 3000, 1.0, 0.003, spike), 0, 0.008);
    }
    // Steady stamps are placed end to end, exactly.
    SoundStamps stamps;
    const MonotonicTime first = stamps.place(zero, chunkFrames, rate);
    const MonotonicTime second = stamps.place(zero + after(0.0212), chunkFrames, rate);
    EXPECT_EQ(second - first, after(0.02));
    EXPECT_EQ(stamps.place(zero + after(0.0385), chunkFrames, rate) - first, after(0.04));
}

TEST(SoundStampsTest, ARealGapIsKeptAndASoundCardsDriftIsFollowed) {
    const MonotonicTime zero = std::chrono::steady_clock::now();
    SoundStamps stamps;
    stamps.place(zero, chunkFrames, rate);
    // 0.2 s of sound lost: once the chunk after it confirms the gap, it is
    // placed where it was measured.
    EXPECT_EQ(stamps.place(zero + after(0.22), chunkFrames, rate), zero + after(0.02));
    EXPECT_EQ(stamps.place(zero + after(0.24), chunkFrames, rate), zero + after(0.24));

    // Ten minutes of a card 0.2 % fast or slow against our clock, jittering:
    // the stamps stay with the true times instead of drifting 1.2 s away.
    for (const double speed : {1.002, 0.998}) {
        SCOPED_TRACE(speed);
        SoundStamps drifting;
        EXPECT_NEAR(placeChunks(drifting, zero, 30000, speed, 0.003), 0, 0.010);
    }
}

TEST(SoundStampsTest, ANewRateCountsOnFromWhereTheSoundEnded) {
    const MonotonicTime zero = std::chrono::steady_clock::now();
    SoundStamps stamps;
    stamps.place(zero, chunkFrames, rate);
    EXPECT_EQ(stamps.place(zero + after(0.021), 960, 48000), zero + after(0.02));
    EXPECT_EQ(stamps.place(zero + after(0.039), 960, 48000), zero + after(0.04));
}

}  // namespace
