// A playback on the main thread: the picture of its position while it
// stands, its pictures played to the end, its sound on a sound server of the
// test's own, heard with the pictures, and a server that goes away and
// comes back while it plays; files that are hard on the sound (a very high
// rate of bytes, six channels at full level, ten channels of no layout,
// seeks as fast as a drag makes them) and a file cut short.
#include "platform/media/MoviePlayback.h"
#include "platform/media/PlayableVideo.h"
#include "platform/sound/SoundCapture.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"
#include "tests/support/TempDir.h"

#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <mutex>

using namespace tavero;
using namespace tavero::media;

namespace {

constexpr int waitMs = 20'000;
const QSize size(320, 240);

bool shows(const MoviePlayback& playback, const QImage& picture) {
    return playback.picture().size() == picture.size() &&
           test::psnr(playback.picture(), picture.convertToFormat(QImage::Format_RGB32)) > 35;
}

QString toneOf(double length) {
    return QStringLiteral("sine=frequency=1000:sample_rate=48000:duration=%1").arg(length);
}

// A movie black and silent until `flash` seconds, then white with a 1 kHz
// tone, until `length`.
void makeFlashAndBeep(const QString& path, double flash, double length) {
    const QString colour = QStringLiteral("color=c=%1:s=160x120:r=30:d=%2");
    const QString both = QStringLiteral("[0][1]overlay=enable='gte(t,%1)'[v];[2]volume=volume=0:enable='lt(t,%1)'[a]");
    test::runFfmpeg(QStringList{"-f", "lavfi", "-i", colour.arg(QStringLiteral("black")).arg(length)} +
                    QStringList{"-f", "lavfi", "-i", colour.arg(QStringLiteral("white")).arg(length)} +
                    QStringList{"-f", "lavfi", "-i", toneOf(length), "-filter_complex", both.arg(flash)} +
                    QStringList{"-map", "[v]", "-map", "[a]", "-c:v", "libx264", "-pix_fmt", "yuv420p"} +
                    QStringList{"-c:a", "aac", "-ac", "2", path});
}

// A 1 kHz tone at 0.75 of full scale in each of six channels (5.1): mixed
// down to two as the channels' levels say (the centre and the back at 0.7),
// each side would reach 1.8 times full scale.
void makeLoudSurround(const QString& path, double length) {
    const QString pictures = QStringLiteral("testsrc2=size=160x120:rate=30:duration=%1").arg(length);
    const QString everywhere = QStringLiteral("[1]volume=6,pan=5.1|FL=c0|FR=c0|FC=c0|LFE=c0|BL=c0|BR=c0[a]");
    test::runFfmpeg(QStringList{"-f", "lavfi", "-i", pictures, "-f", "lavfi", "-i", toneOf(length)} +
                    QStringList{"-filter_complex", everywhere, "-map", "0", "-map", "[a]"} +
                    QStringList{"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac", path});
}

// What the computer plays, as the output's monitor records it: when the
// first and the last loud samples were played, on the steady clock; how long
// the sound between them lasts and the silences in it (the longest, and all
// of them together), the loudest sample and how many samples reached full
// scale. Lengths are counted in the monitor's samples, which follow one
// another as the output played them: the steady clock's stamps of chunks
// that a busy machine hands over late jitter by more than a silence.
struct Heard {
    std::mutex lock;
    size_t samples = 0;
    std::optional<MonotonicTime> first;
    std::optional<MonotonicTime> last;
    double recorded = 0;
    std::optional<double> firstPlayed;
    std::optional<double> lastPlayed;
    double longestSilence = 0;
    double silences = 0;
    float loudest = 0;
    size_t fullScale = 0;

    SoundCapture::ChunkHandler handler() {
        return [this](const SoundChunk& chunk) {
            std::lock_guard guard(lock);
            samples += size_t(chunk.frames);
            for (int frame = 0; frame < chunk.frames; ++frame) {
                const float level = std::abs(chunk.samples[frame * chunk.channels]);
                loudest = std::max(loudest, level);
                if (level >= 0.999f) ++fullScale;
                if (level <= 0.05f) continue;
                const double played = recorded + double(frame) / chunk.rate;
                if (lastPlayed) noteSilence(played - *lastPlayed);
                lastPlayed = played;
                if (!firstPlayed) firstPlayed = played;
                last = chunk.captured +
                       std::chrono::duration_cast<std::chrono::steady_clock::duration>(Seconds(double(frame) / chunk.rate));
                if (!first) first = last;
            }
            recorded += double(chunk.frames) / chunk.rate;
        };
    }
    // Between two loud samples of a tone lie a few samples around its zero
    // crossings; anything longer is a silence.
    void noteSilence(double seconds) {
        longestSilence = std::max(longestSilence, seconds);
        if (seconds > 0.02) silences += seconds;
    }
    size_t heardSoFar() {
        std::lock_guard guard(lock);
        return samples;
    }
    double recordedSoFar() {
        std::lock_guard guard(lock);
        return recorded;
    }
    std::optional<MonotonicTime> firstLoud() {
        std::lock_guard guard(lock);
        return first;
    }
    std::optional<MonotonicTime> lastLoud() {
        std::lock_guard guard(lock);
        return last;
    }
};

double secondsFrom(MonotonicTime from, MonotonicTime to) { return std::chrono::duration<double>(to - from).count(); }

std::unique_ptr<SoundCapture> record(Heard& heard) {
    return openSoundCapture({SoundInput::system}, heard.handler(), [](const QString&) {});
}

bool white(const QImage& picture) { return !picture.isNull() && qGray(picture.pixel(picture.rect().center())) > 200; }

class MoviePlaybackTest : public testing::Test {
protected:
    test::TempDir dir;
    const QString movie = dir.file(QStringLiteral("讲解.mp4"));
};

TEST_F(MoviePlaybackTest, ShowsThePictureOfItsPositionAndPlaysToTheEndThenAgainFromTheStart) {
    test::NoSoundServer silence;
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(movie, {.duration = 2.0, .size = size, .audio = {test::systemTone}}));
    const QList<QImage> reference = test::decodePictures(movie);
    ASSERT_EQ(reference.size(), 60);
    MoviePlayback playback(movie, 500);
    int pictures = 0;
    QObject::connect(&playback, &MoviePlayback::pictureChanged, [&] { ++pictures; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return playback.playable() && !playback.picture().isNull(); }, waitMs));
    EXPECT_FALSE(playback.playing());
    EXPECT_EQ(playback.position(), 500);
    EXPECT_NEAR(double(playback.duration()), 2000, 30);
    EXPECT_TRUE(shows(playback, reference[15]));

    const int before = pictures;
    playback.seek(1234);
    EXPECT_EQ(playback.position(), 1234);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pictures > before; }, waitMs));
    EXPECT_TRUE(shows(playback, reference[37])) << "the picture showing at 1.234 s";

    playback.play();
    EXPECT_TRUE(playback.playing());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !playback.playing(); }, waitMs)) << "it stops at the end";
    EXPECT_EQ(playback.position(), playback.duration());
    EXPECT_TRUE(shows(playback, reference[59]));

    playback.play();
    EXPECT_LT(playback.position(), 100) << "from the start again";
    EXPECT_TRUE(QTest::qWaitFor([&] { return playback.position() > 300 && shows(playback, reference[9]); }, waitMs));
}

// The tone starts with the white picture: the monitor of the output records
// it within about a picture's time of the picture's showing. Then the server
// is killed and started again, as a crash or an upgrade does, while the
// video plays on; no control is touched. Last, the video is left, and its
// sound stops at once.
TEST_F(MoviePlaybackTest, ItsSoundIsHeardWithItsPicturesAndComesBackWithARestartedServer) {
    test::SoundServer server;
    if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    ASSERT_NO_FATAL_FAILURE(makeFlashAndBeep(movie, 1.0, 12.0));
    Heard heard;
    std::unique_ptr<SoundCapture> monitor = record(heard);
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.heardSoFar() > 4800; }, waitMs));

    auto playback = std::make_unique<MoviePlayback>(movie);
    std::optional<MonotonicTime> flash;
    QObject::connect(playback.get(), &MoviePlayback::pictureChanged, [&] {
        if (!flash && white(playback->picture())) flash = std::chrono::steady_clock::now();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return playback->playable(); }, waitMs));
    playback->play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return flash && heard.firstLoud(); }, waitMs)) << "the tone reaches the output";
    const double apart = secondsFrom(*flash, *heard.firstLoud());
    EXPECT_LT(std::abs(apart), 0.045) << "the tone is heard " << apart << " s after its picture";

    monitor.reset();
    server.kill();
    const qint64 killedAt = playback->position();
    EXPECT_TRUE(QTest::qWaitFor([&] { return playback->position() > killedAt + 1500; }, waitMs))
        << "the pictures run on without a server";
    EXPECT_TRUE(playback->playing());

    ASSERT_TRUE(server.restart());
    Heard again;
    monitor = record(again);
    ASSERT_TRUE(QTest::qWaitFor([&] { return again.firstLoud().has_value(); }, waitMs))
        << "the sound comes back while it plays";
    EXPECT_TRUE(playback->playing());

    const MonotonicTime left = std::chrono::steady_clock::now();
    playback.reset();
    const size_t before = again.heardSoFar();
    ASSERT_TRUE(QTest::qWaitFor([&] { return again.heardSoFar() > before + 24'000; }, waitMs));
    EXPECT_LT(secondsFrom(left, *again.lastLoud()), 0.1) << "the sound stops as the video is left";
}

// Played from the start to the end, the tone is heard all along, and the
// pictures end with it: the clock kept to the sound.
TEST_F(MoviePlaybackTest, TheSoundOfAVeryHeavyFilePlaysAllAlong) {
    test::SoundServer server;
    if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    const QString heavy = dir.file(QStringLiteral("raw.mov"));
    ASSERT_NO_FATAL_FAILURE(test::makeHeavyVideo(heavy, 5.0));
    Heard heard;
    const std::unique_ptr<SoundCapture> monitor = record(heard);
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.heardSoFar() > 4800; }, waitMs));

    MoviePlayback playback(heavy);
    playback.setPictureBounds(QSize(320, 180));
    ASSERT_TRUE(QTest::qWaitFor([&] { return playback.playable(); }, waitMs));
    // Where the monitor's samples stood when the player's clock reached the
    // end: reckoned from its position and the samples, read together at its
    // last look before the end, so that a main thread that comes late to
    // the end does not move it.
    double clockEnded = 0;
    QObject::connect(&playback, &MoviePlayback::changed, [&] {
        const qint64 position = playback.position();
        if (!playback.playing() || position >= playback.duration()) return;
        std::lock_guard guard(heard.lock);
        clockEnded = heard.recorded + double(playback.duration() - position) / 1000;
    });
    playback.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !playback.playing(); }, 4 * waitMs)) << "it plays to the end";
    // Sound played after that end would be in a second later.
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.recordedSoFar() > clockEnded + 1.0; }, waitMs));
    std::lock_guard guard(heard.lock);
    ASSERT_TRUE(heard.firstPlayed && heard.lastPlayed);
    // A machine busy with other work may starve the sound output for a
    // moment, and sound that comes too late is left out; what must hold is
    // that the tone is heard along its whole length (a sound that stopped for
    // good was heard 1.5 s of 5), never stops for long, and that the
    // pictures do not run on without it.
    EXPECT_NEAR(*heard.lastPlayed - *heard.firstPlayed - heard.silences, 5.0, 0.5)
        << "the tone is heard as long as it lasts";
    EXPECT_LT(heard.longestSilence, 1.0) << "it never stops for long";
    EXPECT_NEAR(*heard.lastPlayed, clockEnded, 0.5) << "the pictures end with the sound";
}

TEST_F(MoviePlaybackTest, SixChannelsAtFullLevelAreMixedDownWithoutClipping) {
    test::SoundServer server;
    if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    ASSERT_NO_FATAL_FAILURE(makeLoudSurround(movie, 3.0));
    Heard heard;
    const std::unique_ptr<SoundCapture> monitor = record(heard);
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.heardSoFar() > 4800; }, waitMs));

    MoviePlayback playback(movie);
    ASSERT_TRUE(QTest::qWaitFor([&] { return playback.playable(); }, waitMs));
    playback.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !playback.playing(); }, waitMs));
    const auto quietSince = [&] { return secondsFrom(*heard.lastLoud(), std::chrono::steady_clock::now()); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.lastLoud() && quietSince() > 0.3; }, waitMs));
    std::lock_guard guard(heard.lock);
    EXPECT_EQ(heard.fullScale, 0u);
    EXPECT_GT(heard.loudest, 0.6f) << "the tone is as loud as each channel";
}

// Sound players take in ways of their own is heard at its level: channels
// that name no places, mixed down alike from all of them (ten of a tone at
// half of full scale, which played silent), and a tone at 768 kHz, faster
// than a sound output takes (it played silent, with nothing said).
TEST_F(MoviePlaybackTest, SoundOfUnnamedChannelsOrAStudioRateIsHeard) {
    test::SoundServer server;
    if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    const QString tenChannels = dir.file(QStringLiteral("十声道.mov"));
    ASSERT_NO_FATAL_FAILURE(test::makeUnnamedChannels(tenChannels, 10, 2.0));
    const QString studio = dir.file(QStringLiteral("768k.mov"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(studio, {.duration = 2.0, .size = size, .audio = {test::systemTone},
                                                     .sampleRate = 768000, .soundCodec = QStringLiteral("pcm_s24le"),
                                                     .container = QStringLiteral("mov")}));
    // FFmpeg's sine source plays at an eighth of full scale, which its
    // command line spreads to two channels 3 dB down.
    for (const auto& [file, level] : {std::pair{tenChannels, 0.5f}, std::pair{studio, 0.125f * float(M_SQRT1_2)}}) {
        SCOPED_TRACE(file.toStdString());
        Heard heard;
        const std::unique_ptr<SoundCapture> monitor = record(heard);
        ASSERT_TRUE(QTest::qWaitFor([&] { return heard.heardSoFar() > 4800; }, waitMs));

        MoviePlayback playback(file);
        ASSERT_TRUE(QTest::qWaitFor([&] { return playback.playable(); }, waitMs));
        playback.play();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !playback.playing(); }, waitMs));
        EXPECT_TRUE(QTest::qWaitFor([&] { return heard.lastLoud().has_value(); }, waitMs)) << "the tone is not heard";
        std::lock_guard guard(heard.lock);
        EXPECT_NEAR(heard.loudest, level, 0.2f * level);
    }
}

// Moved to the very end, it plays again from the start, as it does played
// to the end.
TEST_F(MoviePlaybackTest, PlayAfterAMoveToTheEndPlaysFromTheStart) {
    test::NoSoundServer silence;
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(movie, {.duration = 1.0, .size = size}));
    MoviePlayback playback(movie);
    ASSERT_TRUE(QTest::qWaitFor([&] { return playback.playable(); }, waitMs));
    playback.seek(playback.duration());
    ASSERT_EQ(playback.position(), playback.duration());
    playback.play();
    EXPECT_TRUE(playback.playing());
    EXPECT_LT(playback.position(), 100) << "from the start again";
    EXPECT_TRUE(QTest::qWaitFor([&] { return playback.position() > 300; }, waitMs)) << "it plays";
}

// As when the position is dragged back and forth: a seek every few
// milliseconds, each starting the sound anew, so the server is asked for a
// stream while the last one is still being made.
TEST_F(MoviePlaybackTest, SeeksAsFastAsADragLeaveOneStreamThatPlays) {
    test::SoundServer server;
    if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(movie, {.duration = 8.0, .size = size, .audio = {test::systemTone}}));
    MoviePlayback playback(movie);
    ASSERT_TRUE(QTest::qWaitFor([&] { return playback.playable(); }, waitMs));
    playback.play();
    for (int seek = 0; seek < 400; ++seek) {
        playback.seek(seek % 2 ? 1000 + seek * 7 : 5000 - seek * 7);
        QTest::qWait(2);
    }
    // Streams let go while being made are on the server once it answered.
    QTest::qWait(1000);
    EXPECT_LE(server.playbackStreams(), 1);
    Heard heard;
    const std::unique_ptr<SoundCapture> monitor = record(heard);
    EXPECT_TRUE(QTest::qWaitFor([&] { return heard.firstLoud().has_value(); }, waitMs)) << "the sound plays on";
    EXPECT_EQ(server.playbackStreams(), 1);
}

// A plain MP4 with its index in front, cut short: its index promises four
// seconds, the file holds fewer.
TEST_F(MoviePlaybackTest, ACutShortFileLastsAndPlaysAsFarAsItHoldsPictures) {
    test::NoSoundServer silence;
    ASSERT_NO_FATAL_FAILURE(
        test::makeVideo(movie, {.duration = 4.0, .size = size, .audio = {test::systemTone}, .indexFirst = true}));
    ASSERT_NO_FATAL_FAILURE(test::truncateFile(movie, QFileInfo(movie).size() * 6 / 10));
    const PlayableVideo playable = measurePlayableVideo(movie);
    ASSERT_TRUE(playable.cutShort);
    const QList<QImage> reference = test::decodePictures(movie);
    const auto last = qsizetype(std::lround(playable.duration * 30)) - 1;
    ASSERT_LT(last + 1, reference.size()) << "the file holds pictures past the last whole second";

    MoviePlayback playback(movie);
    int pictures = 0;
    QObject::connect(&playback, &MoviePlayback::pictureChanged, [&] { ++pictures; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return playback.playable() && pictures > 0; }, waitMs));
    EXPECT_EQ(playback.duration(), std::llround(playable.duration * 1000));
    const int before = pictures;
    playback.seek(3900);
    EXPECT_EQ(playback.position(), playback.duration()) << "a seek past the end lands on it";
    ASSERT_TRUE(QTest::qWaitFor([&] { return pictures > before; }, waitMs));
    EXPECT_TRUE(shows(playback, reference[last]));

    playback.seek(playback.duration() - 400);
    playback.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !playback.playing(); }, waitMs)) << "it stops at the end";
    EXPECT_EQ(playback.position(), playback.duration());
    EXPECT_TRUE(shows(playback, reference[last]));
}

}  // namespace
