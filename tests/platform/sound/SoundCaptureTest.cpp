#include "platform/ShotError.h"
#include "platform/sound/SoundCapture.h"
#include "platform/sound/SoundSources.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"
#include "tests/support/Tones.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <mutex>

using namespace tavero;
using namespace std::chrono_literals;

namespace {

// Collects what a capture delivers, one channel of each input.
struct Received {
    std::mutex lock;
    std::condition_variable changed;
    std::map<SoundInput, std::vector<float>> sound;
    std::map<SoundInput, int> rate;
    // No chunk was stamped as captured after it arrived (ended later than
    // the handler ran); whether stamps rise is SoundStampsTest's.
    std::map<SoundInput, bool> stampsPossible;
    // When the last chunk's last sample was captured.
    std::map<SoundInput, MonotonicTime> lastEnd;
    QStringList failures;

    SoundCapture::ChunkHandler chunkHandler() {
        return [this](const SoundChunk& chunk) {
            std::lock_guard guard(lock);
            std::vector<float>& samples = sound[chunk.input];
            for (int frame = 0; frame < chunk.frames; ++frame) samples.push_back(chunk.samples[frame * chunk.channels]);
            rate[chunk.input] = chunk.rate;
            const auto length = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                Seconds(double(chunk.frames) / chunk.rate));
            if (!stampsPossible.contains(chunk.input)) stampsPossible[chunk.input] = true;
            if (chunk.captured + length > std::chrono::steady_clock::now() + 10ms) stampsPossible[chunk.input] = false;
            lastEnd[chunk.input] = chunk.captured + length;
            changed.notify_all();
        };
    }
    SoundCapture::FailureHandler failureHandler() {
        return [this](const QString& description) {
            std::lock_guard guard(lock);
            failures.append(description);
            changed.notify_all();
        };
    }

    // Waits until `input` has delivered `seconds` of sound; false after 20 s.
    bool waitForSeconds(SoundInput input, double seconds) {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, 20s, [&] {
            return rate[input] > 0 && double(sound[input].size()) >= seconds * rate[input];
        });
    }
    bool waitForFailure() {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, 20s, [&] { return !failures.isEmpty(); });
    }
};

QString openingRefusal(const QList<SoundInput>& inputs) {
    Received received;
    try {
        openSoundCapture(inputs, received.chunkHandler(), received.failureHandler());
    } catch (const ShotError& error) {
        return error.message();
    }
    return QStringLiteral("opened");
}

class SoundCaptureTest : public testing::Test {
protected:
    void SetUp() override {
        if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    }
    test::SoundServer server{440};
};

TEST_F(SoundCaptureTest, CapturesWhatTheComputerPlaysAndTheMicrophoneStampedOnOurClock) {
    ASSERT_TRUE(server.playTone(660));
    Received received;
    const MonotonicTime opened = std::chrono::steady_clock::now();
    auto capture = openSoundCapture({SoundInput::system, SoundInput::microphone}, received.chunkHandler(),
                                    received.failureHandler());
    ASSERT_TRUE(received.waitForSeconds(SoundInput::system, 0.5));
    ASSERT_TRUE(received.waitForSeconds(SoundInput::microphone, 0.5));
    capture.reset();

    std::lock_guard guard(received.lock);
    EXPECT_TRUE(received.failures.isEmpty());
    const std::vector<float>& system = received.sound[SoundInput::system];
    const std::vector<float>& microphone = received.sound[SoundInput::microphone];
    EXPECT_GT(test::toneAmplitude(system, received.rate[SoundInput::system], 660), 0.05);
    EXPECT_LT(test::toneAmplitude(system, received.rate[SoundInput::system], 440), 0.01);
    EXPECT_GT(test::toneAmplitude(microphone, received.rate[SoundInput::microphone], 440), 0.05);
    EXPECT_LT(test::toneAmplitude(microphone, received.rate[SoundInput::microphone], 660), 0.01);
    for (SoundInput input : {SoundInput::system, SoundInput::microphone}) {
        EXPECT_TRUE(received.stampsPossible[input]);
        // Stamped near when they were captured, not at some other origin. A
        // source can hand over a backlog of seconds at once, so only the end
        // of what came is sure to lie after the opening.
        EXPECT_GT(received.lastEnd[input], opened);
        EXPECT_LT(received.lastEnd[input], std::chrono::steady_clock::now() + 1s);
    }
}

// A computer whose default input only repeats what it plays, as many have
// without a microphone of their own: a second input is the microphone, and
// once that is unplugged there is none.
TEST_F(SoundCaptureTest, RecordsTheFirstRealInputWhenTheDefaultIsAMonitorAndRefusesWhenOnlyMonitorsAreLeft) {
    ASSERT_TRUE(server.playTone(660));
    ASSERT_TRUE(server.makeMonitorTheDefaultInput());
    const SoundSources offered = findSoundSources();
    EXPECT_TRUE(offered.server);
    EXPECT_EQ(offered.microphone, QStringLiteral("Sine source at 440 Hz")) << "named as the server describes it";
    {
        Received received;
        auto capture = openSoundCapture({SoundInput::microphone}, received.chunkHandler(), received.failureHandler());
        ASSERT_TRUE(received.waitForSeconds(SoundInput::microphone, 0.3));
        std::lock_guard guard(received.lock);
        const std::vector<float>& heard = received.sound[SoundInput::microphone];
        EXPECT_GT(test::toneAmplitude(heard, received.rate[SoundInput::microphone], 440), 0.05) << "the sine source";
        EXPECT_LT(test::toneAmplitude(heard, received.rate[SoundInput::microphone], 660), 0.01) << "not the monitor";
    }

    ASSERT_TRUE(server.unplugMicrophone());
    EXPECT_EQ(findSoundSources(), (SoundSources{true, std::nullopt}));
    EXPECT_EQ(openingRefusal({SoundInput::microphone}), QStringLiteral("没有找到麦克风。"));
    EXPECT_EQ(openingRefusal({SoundInput::system}), QStringLiteral("opened"));

    test::NoSoundServer noServer;
    EXPECT_EQ(findSoundSources(), SoundSources{});
    EXPECT_EQ(openingRefusal({SoundInput::system}), QStringLiteral("无法连接声音服务，请确认系统声音可用后重试。"));
}

// The server moves the stream of an unplugged input to what is left, here
// the monitor: the microphone is gone, and the monitor's sound does not pass
// for it.
TEST_F(SoundCaptureTest, ReportsAnUnpluggedMicrophoneOnce) {
    ASSERT_TRUE(server.playTone(660));
    Received received;
    auto capture = openSoundCapture({SoundInput::microphone}, received.chunkHandler(), received.failureHandler());
    ASSERT_TRUE(received.waitForSeconds(SoundInput::microphone, 0.2));
    ASSERT_TRUE(server.unplugMicrophone());
    ASSERT_TRUE(received.waitForFailure());
    capture.reset();
    std::lock_guard guard(received.lock);
    EXPECT_EQ(received.failures, QStringList{QStringLiteral("麦克风已断开")});
    const std::vector<float>& heard = received.sound[SoundInput::microphone];
    EXPECT_LT(test::toneAmplitude(heard, received.rate[SoundInput::microphone], 660), 0.01);
}

TEST(MicrophoneChoiceTest, TheDefaultInputUnlessItRepeatsAnOutputThenTheFirstRealOne) {
    const SoundSource monitor{"out.monitor", QStringLiteral("Monitor of Out"), true};
    const SoundSource headset{"headset", QStringLiteral("Headset"), false};
    const SoundSource webcam{"webcam", QStringLiteral("Webcam"), false};
    const auto chosen = [](const QByteArray& preferred, const QList<SoundSource>& sources) {
        const std::optional<SoundSource> source = chooseMicrophone(preferred, sources);
        return source ? source->name : QByteArray("none");
    };
    EXPECT_EQ(chosen("webcam", {monitor, headset, webcam}), "webcam");
    EXPECT_EQ(chosen("out.monitor", {monitor, headset, webcam}), "headset");
    EXPECT_EQ(chosen("unplugged", {monitor, webcam}), "webcam");
    EXPECT_EQ(chosen("", {monitor, webcam}), "webcam");
    EXPECT_EQ(chosen("out.monitor", {monitor}), "none");
    EXPECT_EQ(chosen("out.monitor", {}), "none");
}

TEST_F(SoundCaptureTest, ReportsOnceWhenTheServerGoesAway) {
    Received received;
    auto capture = openSoundCapture({SoundInput::system, SoundInput::microphone}, received.chunkHandler(),
                                    received.failureHandler());
    ASSERT_TRUE(received.waitForSeconds(SoundInput::microphone, 0.1));
    server.kill();
    ASSERT_TRUE(received.waitForFailure());
    capture.reset();
    std::lock_guard guard(received.lock);
    EXPECT_EQ(received.failures, QStringList{QStringLiteral("声音服务已断开")});
}

}  // namespace
