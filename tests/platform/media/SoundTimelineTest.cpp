#include "platform/media/SoundRecorder.h"
#include "platform/media/SoundTimeline.h"
#include "tests/support/ScriptedSound.h"
#include "tests/support/Tones.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <numbers>
#include <thread>

using namespace tavero;
using namespace tavero::media;
using namespace std::chrono_literals;

namespace {

constexpr int rate = SoundTimeline::rate;

// Stereo samples counting up from `first` (both channels alike), so that
// every sample tells where it came from.
std::vector<float> ramp(int frames, int first) {
    std::vector<float> samples;
    for (int frame = 0; frame < frames; ++frame) samples.insert(samples.end(), 2, float(first + frame) / 1e6f);
    return samples;
}

std::vector<float> sine(int frames, int channels, int sampleRate, double frequency, double amplitude, qint64 first = 0) {
    std::vector<float> samples;
    for (int frame = 0; frame < frames; ++frame) {
        const double t = double(first + frame) / sampleRate;
        samples.insert(samples.end(), size_t(channels), float(amplitude * std::sin(2 * std::numbers::pi * frequency * t)));
    }
    return samples;
}

std::vector<float> leftChannel(const std::vector<float>& stereo) {
    std::vector<float> left;
    for (size_t i = 0; i < stereo.size(); i += 2) left.push_back(stereo[i]);
    return left;
}

std::vector<float> readAll(SoundTimeline& timeline, qint64 from, int frames) {
    std::vector<float> out(size_t(frames) * 2);
    timeline.read(from, frames, out.data());
    return leftChannel(out);
}

// A 5.1 output's monitor: each side takes its front, half its centre and
// half its back, which past full scale would clip.
TEST(SoundTimelineTest, SixChannelsAreMixedDownWithoutClipping) {
    SoundTimeline timeline;
    timeline.add(sine(9600, 6, rate, 1000, 0.8).data(), 9600, 6, rate, 0);
    const std::vector<float> left = readAll(timeline, 0, int(timeline.end()));
    const auto [quietest, loudest] = std::minmax_element(left.begin(), left.end());
    EXPECT_NEAR(std::max(-*quietest, *loudest), 0.8, 0.02);
}

TEST(SoundTimelineTest, PlacesSoundByItsStampsFromTimeZero) {
    SoundTimeline timeline;
    // Captured 0.1 s before time zero: its first 4800 samples are dropped.
    timeline.add(ramp(9600, 0).data(), 9600, 2, rate, -0.1);
    // Then a gap of 0.2 s, filled with silence.
    timeline.add(ramp(4800, 100000).data(), 4800, 2, rate, 0.3);
    // All but the few samples that the resampler holds back until more come.
    ASSERT_NEAR(double(timeline.end()), 0.4 * rate, 32);
    const std::vector<float> placed = readAll(timeline, 0, int(timeline.end()));
    EXPECT_FLOAT_EQ(placed[0], 4800 / 1e6f);
    EXPECT_FLOAT_EQ(placed[4799], 9599 / 1e6f);
    EXPECT_EQ(placed[4800], 0.0f);
    EXPECT_EQ(placed[14399], 0.0f);
    EXPECT_FLOAT_EQ(placed[14400], 100000 / 1e6f);
    // What was read is forgotten; reading past the end gives silence.
    std::vector<float> out(200);
    EXPECT_EQ(timeline.read(0, 100, out.data()), 0);
}

TEST(SoundTimelineTest, ConvertsRateAndChannelsAndFollowsADriftingSoundCard) {
    // A mono card at 44.1 kHz whose clock runs 0.5 % fast against ours: its
    // 10 s of samples are stamped over 9.95 s.
    SoundTimeline timeline;
    const int chunk = 441;
    const int chunks = 1000;
    for (int index = 0; index < chunks; ++index) {
        const std::vector<float> samples = sine(chunk, 1, 44100, 1000, 0.5, qint64(index) * chunk);
        timeline.add(samples.data(), chunk, 1, 44100, index * 0.00995);
    }
    // Squeezed to its stamps: the last chunk ends where its stamp says.
    EXPECT_NEAR(double(timeline.end()) / rate, 9.95 + 0.00995, 0.02);
    // Still the tone (0.5 % higher after squeezing, so measured over a span
    // short enough not to tell).
    const std::vector<float> last = readAll(timeline, timeline.end() - rate / 50, rate / 50);
    EXPECT_GT(test::toneAmplitude(last, rate, 1000), 0.4);
}

TEST(SoundTimelineTest, StretchesSoundAtOurOwnRateWithoutLosingItsPlace) {
    // A stereo card at 48 kHz whose clock runs 0.5 % fast: nothing needs
    // converting until the stamps call for stretching, which must carry on
    // from where the sound is, not from time zero.
    SoundTimeline timeline;
    const int chunk = 480;
    for (int index = 0; index < 2000; ++index) {
        const std::vector<float> samples = sine(chunk, 2, rate, 1000, 0.5, qint64(index) * chunk);
        timeline.add(samples.data(), chunk, 2, rate, index * 0.00995);
        ASSERT_NEAR(double(timeline.end()) / rate, (index + 1) * 0.00995, 0.12) << "chunk " << index;
    }
    const std::vector<float> last = readAll(timeline, timeline.end() - rate / 50, rate / 50);
    EXPECT_GT(test::toneAmplitude(last, rate, 1000), 0.4);

    // One chunk late by 20 ms after a long run in step.
    SoundTimeline steady;
    for (int index = 0; index < 3000; ++index)
        steady.add(ramp(chunk, 0).data(), chunk, 2, rate, index * 0.01 + (index == 2999 ? 0.02 : 0));
    EXPECT_NEAR(double(steady.end()) / rate, 30.0, 0.05);
}

// What a recorder writes, per track.
struct Tracks {
    std::mutex lock;
    std::condition_variable changed;
    std::map<int, std::vector<float>> samples;

    SoundRecorder::Write writer() {
        return [this](int track, const float* data, int frames) {
            std::lock_guard guard(lock);
            samples[track].insert(samples[track].end(), data, data + size_t(frames) * 2);
            changed.notify_all();
        };
    }
};

// Delivers `seconds` of a tone in 20 ms chunks stamped from `zero` on,
// starting `from` seconds into it.
void deliverTone(test::ScriptedSound& capture, SoundInput input, double frequency, MonotonicTime zero, double seconds,
                 double from = 0) {
    const int chunk = rate / 50;
    for (int index = int(from * 50); index < int((from + seconds) * 50); ++index)
        capture.deliver(input, sine(chunk, 2, rate, frequency, 0.5, qint64(index) * chunk),
                        zero + std::chrono::duration_cast<std::chrono::steady_clock::duration>(Seconds(index * 0.02)));
}

TEST(SoundRecorderTest, MixesTwoInputsIntoOneTrackOrKeepsThemApart) {
    const MonotonicTime zero = std::chrono::steady_clock::now();
    for (const bool mixed : {true, false}) {
        SCOPED_TRACE(mixed ? "one mixed track" : "two tracks");
        test::ScriptedSound capture;
        Tracks written;
        const SoundRecorder::Tracks layout = mixed ? SoundRecorder::Tracks{{SoundInput::system, SoundInput::microphone}}
                                                   : SoundRecorder::Tracks{{SoundInput::system}, {SoundInput::microphone}};
        SoundRecorder recorder(layout, written.writer(), [](const QString&) {}, capture.opener());
        EXPECT_EQ(capture.inputs, (QList<SoundInput>{SoundInput::system, SoundInput::microphone}));
        // Sound from before time zero is dropped, not shifted.
        deliverTone(capture, SoundInput::system, 3000, zero - 1s, 0.5);
        recorder.setOrigin(zero);
        deliverTone(capture, SoundInput::system, 440, zero, 1.0);
        deliverTone(capture, SoundInput::microphone, 1000, zero, 1.0);
        recorder.finish(1.0);

        std::lock_guard guard(written.lock);
        ASSERT_EQ(written.samples.size(), mixed ? 1u : 2u);
        for (const auto& [track, samples] : written.samples) EXPECT_EQ(samples.size(), size_t(2 * rate));
        const std::vector<float> first = leftChannel(written.samples[0]);
        EXPECT_NEAR(test::toneAmplitude(first, rate, 440), mixed ? 0.4 : 0.5, 0.03);
        EXPECT_NEAR(test::toneAmplitude(first, rate, 1000), mixed ? 0.4 : 0.0, 0.03);
        EXPECT_LT(test::toneAmplitude(first, rate, 3000), 0.01);
        if (!mixed) {
            EXPECT_NEAR(test::toneAmplitude(leftChannel(written.samples[1]), rate, 1000), 0.5, 0.03);
        }
    }
}

TEST(SoundRecorderTest, KeepsPaceWithTheClockWhenAnInputFallsSilent) {
    test::ScriptedSound capture;
    Tracks written;
    SoundRecorder recorder({{SoundInput::system, SoundInput::microphone}}, written.writer(), [](const QString&) {},
                           capture.opener());
    // Time zero lies 1.5 s back, and the microphone never delivers: the
    // track is still written as the clock passes, with the microphone silent.
    const MonotonicTime zero = std::chrono::steady_clock::now() - 1500ms;
    deliverTone(capture, SoundInput::system, 440, zero, 1.0);
    recorder.setOrigin(zero);
    std::unique_lock guard(written.lock);
    ASSERT_TRUE(written.changed.wait_for(guard, 20s, [&] { return written.samples[0].size() >= size_t(2 * rate); }));
    std::vector<float> first = leftChannel(written.samples[0]);
    first.resize(rate);
    EXPECT_NEAR(test::toneAmplitude(first, rate, 440), 0.4, 0.03);
}

TEST(SoundRecorderTest, WaitsForSoundThatComesLate) {
    // A sound server may hand the first seconds of a stream over at once,
    // stamped when they were captured: they are placed, not taken as silence.
    test::ScriptedSound capture;
    Tracks written;
    SoundRecorder recorder({{SoundInput::system}}, written.writer(), [](const QString&) {}, capture.opener());
    const MonotonicTime zero = std::chrono::steady_clock::now();
    recorder.setOrigin(zero);
    std::this_thread::sleep_for(1500ms);
    deliverTone(capture, SoundInput::system, 440, zero, 1.5);
    std::vector<float> first;
    {
        std::unique_lock guard(written.lock);
        ASSERT_TRUE(written.changed.wait_for(
            guard, 20s, [&] { return written.samples[0].size() >= size_t(2.8 * rate); }));
        first = leftChannel(written.samples[0]);
    }
    first.resize(size_t(1.4 * rate));
    EXPECT_NEAR(test::toneAmplitude(first, rate, 440), 0.5, 0.03);
    recorder.finish(1.5);
}

TEST(SoundRecorderTest, SoundCapturedJustBeforeTheEndIsKeptWhenItComesAfterTheEndWasAsked) {
    // The microphone's sound comes a while after it was captured (seconds
    // at the stream's start): what it captured just before the part ended
    // arrives once the part is finishing.
    test::ScriptedSound capture;
    Tracks written;
    SoundRecorder recorder({{SoundInput::system, SoundInput::microphone}}, written.writer(), [](const QString&) {},
                           capture.opener());
    const MonotonicTime zero = std::chrono::steady_clock::now() - 3s;
    recorder.setOrigin(zero);
    deliverTone(capture, SoundInput::system, 440, zero, 1.0);
    deliverTone(capture, SoundInput::microphone, 1000, zero, 0.8);
    std::thread late([&] {
        std::this_thread::sleep_for(100ms);
        deliverTone(capture, SoundInput::microphone, 1000, zero, 0.2, 0.8);
    });
    recorder.finish(1.0);
    late.join();

    std::lock_guard guard(written.lock);
    ASSERT_EQ(written.samples[0].size(), size_t(2 * rate));
    const std::vector<float> left = leftChannel(written.samples[0]);
    const std::vector<float> last(left.begin() + qint64(0.82 * rate), left.begin() + qint64(0.98 * rate));
    EXPECT_NEAR(test::toneAmplitude(last, rate, 1000), 0.4, 0.03) << "the microphone up to the end";
    EXPECT_NEAR(test::toneAmplitude(last, rate, 440), 0.4, 0.03);
}

TEST(SoundRecorderTest, KeepsOnlyTheNewestSoundWhileItsThreadIsStuck) {
    // The first write hangs until released, as on a stalled disk.
    std::mutex lock;
    std::condition_variable changed;
    bool stuck = false;
    bool released = false;
    std::vector<float> track;
    const SoundRecorder::Write write = [&](int, const float* data, int frames) {
        std::unique_lock guard(lock);
        if (!released) {
            stuck = true;
            changed.notify_all();
            changed.wait(guard, [&] { return released; });
        }
        track.insert(track.end(), data, data + size_t(frames) * 2);
    };
    test::ScriptedSound capture;
    SoundRecorder recorder({{SoundInput::system, SoundInput::microphone}}, write, [](const QString&) {},
                           capture.opener());
    const MonotonicTime zero = std::chrono::steady_clock::now();
    recorder.setOrigin(zero);
    deliverTone(capture, SoundInput::system, 440, zero, 0.1);
    deliverTone(capture, SoundInput::microphone, 1000, zero, 0.1);
    {
        std::unique_lock guard(lock);
        ASSERT_TRUE(changed.wait_for(guard, 20s, [&] { return stuck; }));
    }
    // Ten more seconds of each input arrive meanwhile: the deliveries never
    // wait, and four seconds of each are kept (with what of the first tenth
    // of a second the thread had not taken yet).
    deliverTone(capture, SoundInput::system, 440, zero, 10.0, 0.1);
    deliverTone(capture, SoundInput::microphone, 1000, zero, 10.0, 0.1);
    EXPECT_GE(recorder.droppedSeconds(), 12.0 - 1e-6);
    EXPECT_LE(recorder.droppedSeconds(), 12.2);
    {
        std::lock_guard guard(lock);
        released = true;
    }
    changed.notify_all();
    recorder.finish(10.1);

    std::lock_guard guard(lock);
    ASSERT_EQ(track.size(), size_t(10.1 * rate) * 2);
    const std::vector<float> left = leftChannel(track);
    const auto span = [&](double from, double to) {
        return std::vector<float>(left.begin() + qint64(from * rate), left.begin() + qint64(to * rate));
    };
    // Silence where sound was dropped, the newest four seconds where they belong.
    EXPECT_LT(test::toneAmplitude(span(1.0, 6.0), rate, 440), 0.01);
    EXPECT_NEAR(test::toneAmplitude(span(6.2, 10.0), rate, 440), 0.4, 0.03);
    EXPECT_NEAR(test::toneAmplitude(span(6.2, 10.0), rate, 1000), 0.4, 0.03);
}

TEST(SoundRecorderTest, LimiterLeavesQuietSoundAloneAndBendsPeaksBelowFullScale) {
    EXPECT_EQ(softLimit(0.5f), 0.5f);
    EXPECT_EQ(softLimit(-0.3f), -0.3f);
    float previous = softLimit(0.6f);
    for (float sample = 0.61f; sample <= 1.6f; sample += 0.01f) {
        const float limited = softLimit(sample);
        EXPECT_GT(limited, previous);
        EXPECT_LT(limited, 1.0f);
        EXPECT_EQ(softLimit(-sample), -limited);
        previous = limited;
    }
}

}  // namespace
