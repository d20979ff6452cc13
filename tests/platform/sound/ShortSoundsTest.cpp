#include "platform/sound/ShortSounds.h"
#include "platform/sound/SoundCapture.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

using namespace tavero;

namespace {

class ShortSoundsTest : public testing::Test {
protected:
    void SetUp() override {
        if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    }

    // The loudest sample the computer played since `start` samples were heard.
    float peakSince(size_t start) {
        std::lock_guard guard(lock);
        float peak = 0;
        for (size_t index = start; index < heard.size(); ++index) peak = std::max(peak, std::abs(heard[index]));
        return peak;
    }
    size_t heardSoFar() {
        std::lock_guard guard(lock);
        return heard.size();
    }

    test::SoundServer server;
    std::mutex lock;
    std::vector<float> heard;
};

}  // namespace

// Qt's sound output connects to a sound server once per process, so every
// play against this test's server happens in this one test.
TEST_F(ShortSoundsTest, ArePlayedOnTheComputersSoundOutput) {
    ShortSounds sounds;
    // First another program records the computer's sound (parec, as a screen
    // recorder would) from an output that still mixes ahead in a long block
    // (an idle null output's are 2 s): the pop waits in its stream until the
    // output takes it, and is played whole rather than dropped with a stream
    // closed too early.
    QProcess recorder;
    recorder.start(QStringLiteral("parec"), {QStringLiteral("--latency-msec=20"), QStringLiteral("--device=test_sink.monitor"),
                                             QStringLiteral("--format=float32le"), QStringLiteral("--channels=1"),
                                             QStringLiteral("--raw")});
    ASSERT_TRUE(recorder.waitForStarted());
    const auto recording = [] {
        QProcess pactl;
        pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("source-outputs")});
        return pactl.waitForFinished() && !pactl.readAllStandardOutput().trimmed().isEmpty();
    };
    ASSERT_TRUE(QTest::qWaitFor(recording, 10'000)) << "parec records";
    QByteArray recorded;
    const auto loudestRecorded = [&] {
        recorded += recorder.readAllStandardOutput();
        float peak = 0;
        for (qsizetype at = 0; at + qsizetype(sizeof(float)) <= recorded.size(); at += qsizetype(sizeof(float))) {
            float sample = 0;
            std::memcpy(&sample, recorded.constData() + at, sizeof sample);
            peak = std::max(peak, std::abs(sample));
        }
        return peak;
    };
    sounds.play(QStringLiteral("Pop"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return loudestRecorded() > 0.1f; }, 10'000)) << "Pop was recorded by parec";
    recorder.kill();
    recorder.waitForFinished();

    const auto monitor = openSoundCapture(
        {SoundInput::system},
        [this](const SoundChunk& chunk) {
            std::lock_guard guard(lock);
            for (int frame = 0; frame < chunk.frames; ++frame) heard.push_back(chunk.samples[frame * chunk.channels]);
        },
        [](const QString&) {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return heardSoFar() > 4800; }, 10'000));
    for (const char* name : {"Pop", "Tink"}) {
        const size_t before = heardSoFar();
        sounds.play(QString::fromLatin1(name));
        EXPECT_TRUE(QTest::qWaitFor([&] { return peakSince(before) > 0.1f; }, 10'000)) << name << " was heard";
        QTest::qWait(300);
    }
}

TEST_F(ShortSoundsTest, AreSkippedSilentlyWithoutASoundServer) {
    server.kill();
    test::NoSoundServer none;
    ShortSounds sounds;
    sounds.play(QStringLiteral("Pop"));
}
