#include "platform/ShortSounds.h"
#include "platform/SoundCapture.h"
#include "tests/support/SoundServer.h"

#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <mutex>

using namespace tavero;

namespace {

class ShortSoundsTest : public testing::Test {
protected:
    void SetUp() override {
        if (!server.running()) GTEST_SKIP() << "no PulseAudio server could be started";
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

TEST_F(ShortSoundsTest, ArePlayedOnTheComputersSoundOutput) {
    const auto monitor = openSoundCapture(
        {SoundInput::system},
        [this](const SoundChunk& chunk) {
            std::lock_guard guard(lock);
            for (int frame = 0; frame < chunk.frames; ++frame) heard.push_back(chunk.samples[frame * chunk.channels]);
        },
        [](const QString&) {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return heardSoFar() > 4800; }, 10'000));
    ShortSounds sounds;
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
