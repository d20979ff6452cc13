#include "platform/media/LivePartRecorder.h"
#include "platform/media/MediaError.h"
#include "platform/media/PlayableVideo.h"
#include "tests/support/Disks.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/ScriptedFeed.h"
#include "tests/support/ScriptedSound.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/Tones.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fcntl.h>
#include <limits>
#include <numbers>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace tavero;
using namespace tavero::media;
using namespace std::chrono_literals;

namespace {

const QSize size(320, 240);

double secondsBetween(MonotonicTime from, MonotonicTime to) { return Seconds(to - from).count(); }

// What the recorder's callbacks reported.
struct Reports {
    std::mutex lock;
    std::condition_variable changed;
    int started = 0;
    QStringList failures;

    LivePartRecorder::Started onStarted() {
        return [this] {
            std::lock_guard guard(lock);
            ++started;
        };
    }
    LivePartRecorder::Failed onFailed() {
        return [this](const QString& description) {
            std::lock_guard guard(lock);
            failures << description;
            changed.notify_all();
        };
    }
    bool waitForFailure() {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, 20s, [&] { return !failures.isEmpty(); });
    }
    QStringList failed() {
        std::lock_guard guard(lock);
        return failures;
    }
};

// Sound delivered as a capture would: 20 ms chunks at 48 kHz stereo stamped
// from `start` on, each once its time has passed; a tone of 1000 Hz from
// `beep` on for 0.2 s, silence elsewhere.
class SoundPlayer {
public:
    SoundPlayer(const test::ScriptedSound& sound, MonotonicTime start, MonotonicTime beep)
        : thread_([this, &sound, start, beep] { play(sound, start, beep); }) {}
    ~SoundPlayer() { stop(); }

    void stop() {
        stopping_ = true;
        if (thread_.joinable()) thread_.join();
    }

private:
    void play(const test::ScriptedSound& sound, MonotonicTime start, MonotonicTime beep) {
        constexpr int chunk = 960;
        for (qint64 index = 0; !stopping_; ++index) {
            const MonotonicTime stamp =
                start + std::chrono::round<std::chrono::steady_clock::duration>(Seconds(index * 0.02));
            std::this_thread::sleep_until(stamp + 20ms);
            std::vector<float> samples(size_t(chunk) * 2, 0.0f);
            for (int frame = 0; frame < chunk; ++frame) {
                const double sinceBeep = secondsBetween(beep, stamp) + frame / 48000.0;
                if (sinceBeep >= 0 && sinceBeep < 0.2)
                    samples[size_t(frame) * 2] = samples[size_t(frame) * 2 + 1] =
                        float(0.5 * std::sin(2 * std::numbers::pi * 1000 * sinceBeep));
            }
            sound.deliver(SoundInput::system, samples, stamp);
        }
    }

    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

class LivePartRecorderTest : public testing::Test {
protected:
    std::unique_ptr<LivePartRecorder> record(test::ScriptedFeed& script, const LivePartFormat& format = {size, {}, {}},
                                             const SoundRecorder::Open& openSound = openSoundCapture) {
        return std::make_unique<LivePartRecorder>(path, script.feed(), format, reports.onStarted(), reports.onFailed(),
                                                  openSound);
    }

    // As record(), with the recorder's progress read at each of the
    // script's grabs (from the first one after it was made).
    std::unique_ptr<LivePartRecorder> recordWatched(test::ScriptedFeed& script) {
        script.watchProgress([this] {
            const LivePartRecorder* recorder = watched;
            return recorder ? recorder->elapsed() : std::numeric_limits<double>::quiet_NaN();
        });
        auto recorder = record(script);
        watched = recorder.get();
        return recorder;
    }

    // Finishes a recorder made by recordWatched().
    LivePartReport finish(std::unique_ptr<LivePartRecorder>& recorder) {
        const LivePartReport report = recorder->finish();
        watched = nullptr;
        recorder.reset();
        return report;
    }

    test::TempDir dir;
    QString path = dir.file(QStringLiteral("片段_001.mp4"));
    Reports reports;
    std::atomic<const LivePartRecorder*> watched{nullptr};
};

// What became of a script's grabs in a part's file: the grab (from 0) that
// each picture shows, read from the picture itself.
struct Written {
    QList<qsizetype> grabs;
    QList<double> times;
    QList<QImage> pictures;
};

// Checks that the file holds exactly what `report` says was written, each
// picture a grab of its own at that grab's time, and that every other grab
// was dropped, counted, while the encoder was behind: when it was grabbed,
// the last picture queued before it had not been written yet. A recorder
// that drops pictures the encoder had time for fails here, however it
// counts them.
Written expectEveryGrabWrittenOrHonestlyDropped(const QString& path, const test::ScriptedFeed& script,
                                                const LivePartReport& report) {
    Written written;
    written.times = test::pictureTimes(path);
    written.pictures = test::decodeLuma(path);
    EXPECT_EQ(written.times.size(), report.pictures) << "the file holds what the report says was written";
    EXPECT_EQ(written.pictures.size(), written.times.size());
    const std::vector<MonotonicTime> grabs = script.grabTimes();
    const std::vector<double> progress = script.progressAtGrabs();
    EXPECT_EQ(report.pictures + report.dropped, qint64(grabs.size())) << "every grab is written or dropped";
    if (grabs.empty()) return written;
    // The file time of each grab written.
    QList<double> writtenAt;
    for (qsizetype index = 0; index < written.pictures.size(); ++index) {
        const qsizetype grab = test::ScriptedFeed::grabNumberOf(written.pictures[index]) - 1;
        EXPECT_TRUE(grab >= 0 && size_t(grab) < grabs.size()) << "picture " << index << " shows no grab";
        if (grab < 0 || size_t(grab) >= grabs.size()) continue;
        EXPECT_TRUE(written.grabs.isEmpty() || grab > written.grabs.last()) << "picture " << index << " repeats";
        // At its grab's time on the part's clock, which starts at the first
        // picture (a grab that waits its turn on a busy machine is placed
        // between its start and its end).
        const double time = written.times.value(index);
        EXPECT_NEAR(time, secondsBetween(grabs.front(), grabs[size_t(grab)]), 0.05) << "picture " << index;
        written.grabs << grab;
        writtenAt << time;
    }
    EXPECT_EQ(written.grabs.value(0, -1), 0) << "the part starts with its first grab";
    qsizetype dropped = 0;
    for (qsizetype grab = 0, next = 0; size_t(grab) < grabs.size(); ++grab) {
        if (next < written.grabs.size() && written.grabs[next] == grab) {
            ++next;
            continue;
        }
        ++dropped;
        const double seen = size_t(grab) < progress.size() ? progress[size_t(grab)] : std::nan("");
        if (next == 0 || std::isnan(seen)) continue;
        EXPECT_LT(seen, writtenAt[next - 1] + 1.0 / 30 - 0.00005)
            << "grab " << grab << " was dropped while the encoder had written all before it";
    }
    EXPECT_EQ(dropped, report.dropped) << "the report counts each grab missing from the file";
    return written;
}

// Whether a picture of the file shows the script's moving bar (white across
// its middle row somewhere): what changes once the script is changing.
bool showsTheBar(const QImage& luma) {
    const uchar* row = luma.constScanLine(luma.height() / 2);
    return std::any_of(row, row + luma.width(), [](uchar value) { return value >= 128; });
}

// Seconds of `path` that play; 0 while none do.
double playableSeconds(const QString& path) {
    try {
        return measurePlayableVideo(path).duration;
    } catch (const MediaError&) {
        return 0;
    }
}

// Differences between consecutive times.
QList<double> steps(const QList<double>& times) {
    QList<double> differences;
    for (qsizetype index = 1; index < times.size(); ++index) differences << times[index] - times[index - 1];
    return differences;
}

TEST_F(LivePartRecorderTest, ChangingPicturesComeThirtyASecondWithTheirOwnTimes) {
    test::ScriptedFeed script(size);
    script.setChanging(true);
    auto recorder = recordWatched(script);
    std::this_thread::sleep_for(2s);
    const LivePartReport report = finish(recorder);

    // Taken about 30 a second; written perhaps fewer, where a starved
    // encoder fell behind, but none dropped that it had time for.
    EXPECT_GE(script.grabTimes().size(), 30u);
    const QList<double> times = expectEveryGrabWrittenOrHonestlyDropped(path, script, report).times;
    ASSERT_FALSE(times.isEmpty());
    // Never more than 30 in a second (each at its own grab's time, so a
    // late grab can come a little closer to the next); on a busy machine
    // perhaps fewer.
    for (qsizetype first = 0; first < times.size(); ++first) {
        const auto inSecond = std::count_if(times.begin() + first, times.end(),
                                            [&](double time) { return time < times[first] + 1.0; });
        EXPECT_LE(inSecond, 31) << "from " << times[first];
    }
    for (const double step : steps(times)) EXPECT_GT(step, 0.0);
    // The part lasts until finish() is called, which a busy machine may do late.
    EXPECT_LE(times.size(), 30 * report.seconds + 2);
    EXPECT_NEAR(report.seconds, times.last() + 1.0 / 30, 0.002);
    EXPECT_NEAR(measurePlayableVideo(path).duration, report.seconds, 0.05);
    EXPECT_EQ(reports.started, 1);
    EXPECT_TRUE(reports.failed().isEmpty());
    // A keyframe every second of picture time.
    EXPECT_GE(test::pictureTimes(path, true).size(), 2);
}

TEST_F(LivePartRecorderTest, AStillPictureIsTakenEverySecondAndThePartPlaysUntilItsEnd) {
    test::ScriptedFeed script(size, Qt::darkBlue);
    auto recorder = record(script);
    ASSERT_TRUE(script.waitForGrabs(3));
    // What a program killed now would leave: whole seconds that play.
    std::this_thread::sleep_for(200ms);
    QFile::copy(path, dir.file(QStringLiteral("killed.mp4")));
    EXPECT_GE(measurePlayableVideo(dir.file(QStringLiteral("killed.mp4"))).duration, 1.0);
    ASSERT_TRUE(script.waitForGrabs(4));
    std::this_thread::sleep_for(500ms);
    const MonotonicTime stopped = std::chrono::steady_clock::now();
    const LivePartReport report = recorder->finish();
    recorder.reset();

    // A picture a second, and one more when the part was finished.
    const QList<double> times = test::pictureTimes(path);
    ASSERT_EQ(times.size(), 5);
    const QList<double> keyframes = times.first(4);
    // A second from slot to slot (a grab may take longer one time than the next).
    for (const double step : steps(keyframes)) {
        EXPECT_GE(step, 0.95);
        EXPECT_LE(step, 1.3);
    }
    EXPECT_EQ(test::pictureTimes(path, true), keyframes);
    EXPECT_NEAR(times.last(), secondsBetween(script.grabTimes().front(), stopped), 0.1);
    EXPECT_NEAR(measurePlayableVideo(path).duration, times.last() + 1.0 / 30, 0.05);
    EXPECT_EQ(report.pictures, times.size());
}

TEST_F(LivePartRecorderTest, AChangeAfterAStillSpellIsTakenAtOnceAndThenAtFullRate) {
    test::ScriptedFeed script(size);
    auto recorder = recordWatched(script);
    ASSERT_TRUE(script.waitForGrabs(1));
    std::this_thread::sleep_for(1500ms);
    const MonotonicTime moving = std::chrono::steady_clock::now();
    script.setChanging(true);
    std::this_thread::sleep_for(1s);
    const LivePartReport report = finish(recorder);

    const Written written = expectEveryGrabWrittenOrHonestlyDropped(path, script, report);
    // The first changed picture is in the file, taken not at the next whole
    // second but right away (after a still spell nothing waits for the
    // encoder, so not even a starved one drops it).
    const auto changed = std::find_if(written.pictures.begin(), written.pictures.end(), showsTheBar);
    ASSERT_NE(changed, written.pictures.end()) << "the change shows in the file";
    const qsizetype first = changed - written.pictures.begin();
    ASSERT_LT(first, written.times.size());
    const std::vector<MonotonicTime> grabs = script.grabTimes();
    EXPECT_GE(written.times[first], secondsBetween(grabs.front(), moving) - 0.05);
    EXPECT_LT(written.times[first], secondsBetween(grabs.front(), moving) + 0.1);
    // Then taken about 30 a second (written perhaps fewer, where a starved
    // encoder fell behind: each such drop is checked above).
    EXPECT_GE(std::count_if(grabs.begin(), grabs.end(), [&](MonotonicTime grab) { return grab >= moving; }), 20);
}

TEST_F(LivePartRecorderTest, AStuckEncoderDropsTheNewestPicturesAndTheQueueStaysSmall) {
    // The part is written into a pipe that nobody reads for a while, as to a
    // disk that hangs: the encoder blocks once the pipe is full.
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const int reader = open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_GT(fcntl(reader, F_SETPIPE_SZ, 4096), 0);
    test::ScriptedFeed script(size);
    script.setChanging(true);
    auto recorder = record(script);
    std::this_thread::sleep_for(3s);
    QByteArray file;
    std::atomic<bool> reading{true};
    std::thread drain([&] {
        char buffer[65536];
        for (;;) {
            const ssize_t got = read(reader, buffer, sizeof buffer);
            if (got > 0) file.append(buffer, got);
            else if (got == 0 && !reading) return;
            else std::this_thread::sleep_for(5ms);
        }
    });
    const LivePartReport report = recorder->finish();
    recorder.reset();
    reading = false;
    drain.join();
    close(reader);

    EXPECT_GT(report.dropped, 0);
    EXPECT_EQ(report.pictures + report.dropped, qint64(script.grabTimes().size()));
    // Each picture is converted and let go as it is grabbed: however far the
    // encoder falls behind, no screen buffer waits for it.
    EXPECT_EQ(script.mostAlive(), 1);
    EXPECT_TRUE(reports.failed().isEmpty());
    const QString copy = dir.file(QStringLiteral("copy.mp4"));
    QFile written(copy);
    ASSERT_TRUE(written.open(QIODevice::WriteOnly));
    written.write(file);
    written.close();
    EXPECT_EQ(test::pictureTimes(copy).size(), report.pictures);
}

TEST_F(LivePartRecorderTest, FailuresEndThePartOnceAndNeverAfterFinish) {
    test::ScriptedFeed script(size);
    test::ScriptedSound sound;
    script.setChanging(true);
    auto recorder = record(script, {size, {{SoundInput::system, SoundInput::microphone}}, {}}, sound.opener());
    ASSERT_TRUE(script.waitForGrabs(10));
    // The sound server goes, then the window: one report, of the first.
    sound.failed(QStringLiteral("声音服务已断开"));
    script.lose(QStringLiteral("窗口已关闭"));
    ASSERT_TRUE(reports.waitForFailure());
    const LivePartReport report = recorder->finish();
    recorder.reset();
    EXPECT_EQ(reports.failed(), QStringList{QStringLiteral("声音服务已断开")});
    EXPECT_GE(report.pictures, 10);
    EXPECT_NEAR(measurePlayableVideo(path).duration, report.seconds, 0.05);

    // A lost feed alone says what was lost, and what was recorded stays; a
    // failure once finishing began is not reported.
    test::ScriptedFeed window(size);
    test::ScriptedSound quiet;
    Reports lost;
    {
        LivePartRecorder second(dir.file(QStringLiteral("片段_002.mp4")), window.feed(),
                                {size, {{SoundInput::system}}, {}}, lost.onStarted(), lost.onFailed(), quiet.opener());
        ASSERT_TRUE(window.waitForGrabs(1));
        window.lose(QStringLiteral("窗口已关闭"));
        ASSERT_TRUE(lost.waitForFailure());
        EXPECT_EQ(second.finish().pictures, 1);
        quiet.failed(QStringLiteral("声音服务已断开"));
    }
    EXPECT_EQ(lost.failed(), QStringList{QStringLiteral("窗口已关闭")});
    EXPECT_EQ(lost.started, 1);
}

// Once a second of the part plays from the disk, however long a busy
// machine took to write it, the disk fills to its last byte.
TEST_F(LivePartRecorderTest, AFullDiskEndsThePartWithWhatReachedIt) {
    test::SmallDisk disk(1 << 20);
    if (!disk.mounted()) TAVERO_SKIP_UNLESS_REQUIRED("no right to mount a small file system");
    test::ScriptedFeed script(size);
    script.setChanging(true);
    const QString part = disk.path() + QStringLiteral("/片段_001.mp4");
    double reached = 0;
    {
        LivePartRecorder recorder(part, script.feed(), {size, {}, {}}, reports.onStarted(), reports.onFailed());
        const MonotonicTime deadline = std::chrono::steady_clock::now() + 20s;
        while ((reached = playableSeconds(part)) < 1.0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(20ms);
        ASSERT_GE(reached, 1.0);
        ASSERT_TRUE(disk.fill());
        ASSERT_TRUE(reports.waitForFailure());
        EXPECT_THROW(recorder.finish(), MediaError);
    }
    EXPECT_EQ(reports.failed(), QStringList{QStringLiteral("无法写入录屏文件")});
    EXPECT_GE(measurePlayableVideo(part).duration, reached);
}

TEST_F(LivePartRecorderTest, WithoutFinishThePartPlaysToItsLastWholeSecond) {
    test::ScriptedFeed script(size);
    script.setChanging(true);
    auto recorder = record(script);
    std::this_thread::sleep_for(2500ms);
    recorder.reset();
    const PlayableVideo video = measurePlayableVideo(path);
    EXPECT_GE(video.duration, 1.0);
    EXPECT_LE(video.duration, 2.6);
}

TEST_F(LivePartRecorderTest, AFlashAndABeepAtOneInstantMeetInTheFile) {
    test::ScriptedFeed script(size);
    test::ScriptedSound sound;
    const MonotonicTime start = std::chrono::steady_clock::now();
    const MonotonicTime flash = start + 1500ms;
    script.showAt(flash, Qt::white);
    auto recorder = record(script, {size, {{SoundInput::system}}, {}}, sound.opener());
    SoundPlayer player(sound, start, flash);
    std::this_thread::sleep_until(flash + 1500ms);
    const LivePartReport report = recorder->finish();
    player.stop();
    recorder.reset();

    const QList<double> times = test::pictureTimes(path);
    const QList<QImage> pictures = test::decodePictures(path);
    ASSERT_EQ(times.size(), pictures.size());
    qsizetype white = 0;
    while (white < pictures.size() && qGray(pictures[white].pixel(160, 120)) < 128) ++white;
    ASSERT_LT(white, pictures.size());
    const std::vector<float> samples = test::decodeSound(path);
    size_t onset = 0;
    while (onset < samples.size() && std::fabs(samples[onset]) < 0.1f) ++onset;
    ASSERT_LT(onset, samples.size());
    // The beep sits where it was played, and the first white picture where
    // it was grabbed (at the flash, or later where the grab waited its turn
    // on a busy machine): both on the part's one clock, from its first grab.
    const std::vector<MonotonicTime> grabs = script.grabTimes();
    const auto whiteGrab = std::find_if(grabs.begin(), grabs.end(), [&](MonotonicTime grab) { return grab >= flash; });
    ASSERT_NE(whiteGrab, grabs.end());
    EXPECT_NEAR(double(onset) / 48000, secondsBetween(grabs.front(), flash), 0.040);
    EXPECT_NEAR(times[white], secondsBetween(grabs.front(), *whiteGrab), 0.040);
    // The sound lasts as long as the pictures.
    EXPECT_NEAR(double(samples.size()) / 48000, report.seconds, 0.05);
}

// Pictures that come at their own pace, each stamped with the time it was
// handed over, as a camera's; nothing to grab in between.
class StampedFeed final : public PictureFeed {
public:
    QSize size() const override { return ::size; }
    bool waitForChange(MonotonicTime deadline) override {
        std::unique_lock guard(lock_);
        changed_.wait_until(guard, deadline, [&] { return waiting_ || woken_; });
        woken_ = false;
        return waiting_.has_value();
    }
    void wake() override {
        {
            std::lock_guard guard(lock_);
            woken_ = true;
        }
        changed_.notify_all();
    }
    QImage grab() override {
        std::unique_lock guard(lock_);
        if (!waiting_) return {};
        stamp_ = *waiting_;
        waiting_.reset();
        guard.unlock();
        changed_.notify_all();
        QImage picture(::size, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        return picture;
    }
    std::optional<MonotonicTime> capturedAt() const override { return stamp_; }

    // Hands over a picture once the one before has been taken, however long
    // a busy machine keeps the recorder from taking it.
    void deliver(MonotonicTime stamp) {
        {
            std::unique_lock guard(lock_);
            changed_.wait(guard, [&] { return !waiting_; });
            waiting_ = stamp;
        }
        changed_.notify_all();
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::optional<MonotonicTime> waiting_;
    bool woken_ = false;
    std::optional<MonotonicTime> stamp_;
};

TEST_F(LivePartRecorderTest, PicturesStampedByTheirSourceKeepTheirTimesFromTheFirstOneWritten) {
    auto owned = std::make_unique<StampedFeed>();
    StampedFeed& feed = *owned;
    test::ScriptedSound sound;
    const MonotonicTime start = std::chrono::steady_clock::now();
    // The source delivers nothing for half a second: the part begins with
    // its first picture, and so does its sound.
    const MonotonicTime first = start + 500ms;
    const MonotonicTime beep = first + 250ms;
    LivePartRecorder recorder(path, std::move(owned), {size, {{SoundInput::system}}, {}}, reports.onStarted(),
                              reports.onFailed(), sound.opener());
    SoundPlayer player(sound, start, beep);
    for (const auto offset : {0ms, 100ms, 250ms, 500ms}) {
        std::this_thread::sleep_until(first + offset);
        feed.deliver(first + offset);
    }
    std::this_thread::sleep_for(200ms);
    const LivePartReport report = recorder.finish();
    player.stop();

    EXPECT_EQ(report.pictures, 4) << "one picture for each delivered, none in between";
    const QList<double> times = test::pictureTimes(path);
    ASSERT_EQ(times.size(), 4);
    EXPECT_DOUBLE_EQ(times[0], 0);
    // The muxer moves every picture after the first by the sound encoder's
    // priming (1024 samples, 21 ms) where the part has sound.
    EXPECT_NEAR(times[1], 0.1, 0.025);
    EXPECT_NEAR(times[2] - times[1], 0.15, 0.002);
    EXPECT_NEAR(times[3] - times[1], 0.4, 0.002);
    const std::vector<float> samples = test::decodeSound(path);
    size_t onset = 0;
    while (onset < samples.size() && std::fabs(samples[onset]) < 0.1f) ++onset;
    ASSERT_LT(onset, samples.size());
    EXPECT_NEAR(double(onset) / 48000, 0.25, 0.040);
}

TEST_F(LivePartRecorderTest, MixesWhatTheComputerPlaysWithTheMicrophone) {
    test::SoundServer server(440);
    if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    ASSERT_TRUE(server.playTone(660));
    test::ScriptedFeed script(size);
    auto recorder = record(script, {size, {{SoundInput::system, SoundInput::microphone}}, {}});
    ASSERT_TRUE(script.waitForGrabs(5));
    const LivePartReport report = recorder->finish();
    recorder.reset();

    EXPECT_EQ(test::soundTrackTags(path).size(), 1);
    const std::vector<float> samples = test::decodeSound(path);
    EXPECT_NEAR(double(samples.size()) / 48000, report.seconds, 0.05);
    // Both tones (at 0.4 each) all through the part. One amplitude over the
    // whole part would depend on the tones' phase, which the small steps of
    // the sound's stamps on a busy machine move. The part lasts only a few
    // tenths of a second, so one window at its edge is a large share.
    EXPECT_GT(test::toneCoverage(samples, 48000, 440, 0.05), 0.75);
    EXPECT_GT(test::toneCoverage(samples, 48000, 660, 0.05), 0.75);
    // The server hands the first sound of a stream over late (here about two
    // seconds); it is still placed where it was captured.
    const std::vector<float> first(samples.begin() + 4800, samples.begin() + 48000);
    EXPECT_GT(test::toneAmplitude(first, 48000, 440), 0.03);
    EXPECT_TRUE(reports.failed().isEmpty());
}

}  // namespace
