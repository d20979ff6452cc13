#include "platform/sound/SoundStamps.h"

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

// Long after any of the chunks below was captured.
MonotonicTime muchLater(MonotonicTime zero) { return zero + after(3600); }

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
        // Each arrives 30 ms after its last sample was captured.
        const MonotonicTime arrived = zero + after(truth + double(chunkFrames) / rate + 0.030);
        const MonotonicTime placed = stamps.place(zero + after(measured), chunkFrames, rate, arrived);
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
    const MonotonicTime first = stamps.place(zero, chunkFrames, rate, muchLater(zero));
    const MonotonicTime second = stamps.place(zero + after(0.0212), chunkFrames, rate, muchLater(zero));
    EXPECT_EQ(second - first, after(0.02));
    EXPECT_EQ(stamps.place(zero + after(0.0385), chunkFrames, rate, muchLater(zero)) - first, after(0.04));
}

TEST(SoundStampsTest, ARealGapIsKeptAndASoundCardsDriftIsFollowed) {
    const MonotonicTime zero = std::chrono::steady_clock::now();
    SoundStamps stamps;
    stamps.place(zero, chunkFrames, rate, muchLater(zero));
    // 0.2 s of sound lost: once the chunk after it confirms the gap, it is
    // placed where it was measured.
    EXPECT_EQ(stamps.place(zero + after(0.22), chunkFrames, rate, muchLater(zero)), zero + after(0.02));
    EXPECT_EQ(stamps.place(zero + after(0.24), chunkFrames, rate, muchLater(zero)), zero + after(0.24));

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
    stamps.place(zero, chunkFrames, rate, muchLater(zero));
    EXPECT_EQ(stamps.place(zero + after(0.021), 960, 48000, muchLater(zero)), zero + after(0.02));
    EXPECT_EQ(stamps.place(zero + after(0.039), 960, 48000, muchLater(zero)), zero + after(0.04));
}

// The first chunk of a microphone's backlog of 2 s, handed over at once, was
// measured while the server's latency did not count the backlog yet; the
// next chunks were measured right. Arrived together, they cannot have been
// captured after they arrived: the stamps step back to the measured ones
// instead of running 1.9 s late for the rest of the take.
TEST(SoundStampsTest, ABacklogMeasuredLateIsPlacedWhereItWasCaptured) {
    const MonotonicTime arrived = std::chrono::steady_clock::now();
    const auto at = [&](double seconds) { return arrived + after(seconds); };
    constexpr int backlogRate = 44100;
    constexpr int tenth = 4410;
    constexpr int block = 15435;
    SoundStamps stamps;
    EXPECT_EQ(stamps.place(at(-0.1), tenth, backlogRate, arrived), at(-0.1));
    EXPECT_EQ(stamps.place(at(-0.35), block, backlogRate, arrived), at(-0.35));
    EXPECT_EQ(stamps.place(at(-1.55), block, backlogRate, arrived), at(-1.55));
    EXPECT_EQ(stamps.place(at(-1.2), block, backlogRate, arrived), at(-1.2));
    // The rest follows on from there.
    EXPECT_EQ(stamps.place(at(-0.85), block, backlogRate, arrived), at(-0.85));

    // A negative latency measured past the arrival: it ends as it arrived.
    SoundStamps ahead;
    EXPECT_EQ(ahead.place(at(0.5), tenth, backlogRate, arrived), at(-0.1));
}

}  // namespace
