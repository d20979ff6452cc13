#include "camera/NoCameraFeed.h"
#include "camera/WebcamRecordingSegment.h"
#include "platform/media/MediaTracks.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace tavero;

namespace {

const RecordingEffects plainLook{false, false, 1.65, 0.06, 24};

CameraFraming customFraming(qint64 width, qint64 height) {
    CameraFraming framing;
    framing.aspect = CameraAspect::custom;
    framing.customWidth = width;
    framing.customHeight = height;
    return framing;
}

QImage solid(QColor colour) {
    QImage image(640, 360, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A segment with its reports collected.
struct Part {
    std::unique_ptr<WebcamRecordingSegment> segment;
    std::optional<Result<RecordedVideo>> result;
    int started = 0;

    Part(WebcamFeed& feed, CameraFraming framing, bool microphone, WebcamRecordingServices services = {})
        : segment(std::make_unique<WebcamRecordingSegment>(feed, std::nullopt, plainLook, microphone, framing,
                                                           std::move(services))) {
        segment->onStarted = [this] { ++started; };
        segment->onFinished = [this](Result<RecordedVideo> finished) { result = std::move(finished); };
    }

    bool finish(int milliseconds = 30'000) {
        return QTest::qWaitFor([&] { return result.has_value(); }, milliseconds);
    }
};

// `count` camera pictures stamped 1/30 s apart, each with 1/30 s of a 440 Hz
// tone. Each is offered once the one before is written, at most 30 a second:
// neither the gate nor a busy encoder drops any, however loaded the machine.
bool pump(WebcamFeed& feed, const WebcamRecordingSegment& segment, int count) {
    std::vector<float> tone(1600);
    for (size_t n = 0; n < tone.size(); ++n) tone[n] = float(0.2 * std::sin(2 * std::numbers::pi * 440 * n / 48000.0));
    const QImage picture = solid(Qt::red);
    const MonotonicTime start = std::chrono::steady_clock::now();
    for (int step = 0; step < count; ++step) {
        const MonotonicTime stamp = start + std::chrono::duration_cast<MonotonicTime::duration>(Seconds(step / 30.0));
        const double written = segment.elapsed();
        feed.accept(picture, stamp);
        feed.accept(SoundChunk{SoundInput::microphone, tone.data(), 1600, 1, 48000, stamp});
        QTest::qWait(33);
        if (!QTest::qWaitFor([&] { return segment.elapsed() > written; }, 20'000)) return false;
    }
    return true;
}

}  // namespace

TEST(WebcamRecordingSegmentTest, ACameraOnlyPartHasTheFramingsSizeOneFramePerCameraPictureAndItsMicTrack) {
    test::TempDir folder;
    const QString path = folder.path() + "/part.mp4";
    NoCameraFeed feed;
    Part part(feed, customFraming(1001, 1441), true);
    part.segment->start(path);
    EXPECT_EQ(part.segment->videoSize(), QSize(1000, 1440));
    ASSERT_TRUE(pump(feed, *part.segment, 30)) << "a picture was not written";
    EXPECT_EQ(part.started, 1);
    part.segment->stop();
    ASSERT_TRUE(part.finish());
    ASSERT_TRUE(part.result->ok()) << part.result->error().message().toStdString();
    EXPECT_FALSE(part.result->value().interruption);

    const QList<double> times = test::pictureTimes(path);
    EXPECT_EQ(part.segment->cameraPicturesOffered(), 30);
    EXPECT_EQ(part.segment->cameraPicturesDropped(), 0);
    ASSERT_EQ(times.size(), 30) << "one frame for every camera picture";
    // Each at its camera picture's time (the muxer moves all but the first
    // by the sound encoder's priming).
    for (qsizetype i = 2; i < times.size(); ++i) EXPECT_NEAR(times[i] - times[i - 1], 1.0 / 30, 0.002);
    EXPECT_NEAR(part.result->value().duration, times.last() + 1.0 / 30, 0.02);

    const QList<media::MediaTrack> tracks = media::readTracks(path);
    ASSERT_EQ(tracks.size(), 2);
    EXPECT_EQ(tracks[0].coding.width, 1000);
    EXPECT_EQ(tracks[0].coding.height, 1440);
    EXPECT_EQ(test::soundTrackTags(path), QStringList{QStringLiteral("mic")});
}

TEST(WebcamRecordingSegmentTest, AnInvalidFramingIsRefusedBeforeAnyFileIsMade) {
    test::TempDir folder;
    NoCameraFeed feed;
    Part part(feed, customFraming(0, 1440), false);
    try {
        part.segment->start(folder.path() + "/part.mp4");
        FAIL() << "the start was not refused";
    } catch (const ShotError& error) {
        EXPECT_EQ(error.message(), *customFraming(0, 1440).validationIssue());
    }
    EXPECT_FALSE(QFile::exists(folder.path() + "/part.mp4"));
}

TEST(WebcamRecordingSegmentTest, AStopBeforeAnyPictureFailsWithItsReasonAndLeavesNoFile) {
    test::TempDir folder;
    NoCameraFeed feed;
    for (const std::optional<QString>& reason : {std::optional<QString>(), std::optional<QString>(QStringLiteral("原因"))}) {
        const QString path = folder.path() + (reason ? "/reason.mp4" : "/plain.mp4");
        Part part(feed, CameraFraming{}, false);
        part.segment->start(path);
        part.segment->stop(reason);
        part.segment->stop(QStringLiteral("later"));
        ASSERT_TRUE(part.finish());
        ASSERT_FALSE(part.result->ok());
        EXPECT_EQ(part.result->error().message(), reason.value_or(WebcamRecordingSegment::noPicture()));
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_EQ(part.started, 0);
    }
}

TEST(WebcamRecordingSegmentTest, ACameraThatFallsSilentEndsThePartKeepingWhatWasWritten) {
    test::TempDir folder;
    NoCameraFeed feed;
    Part part(feed, CameraFraming{}, false);
    part.segment->start(folder.path() + "/part.mp4");
    ASSERT_TRUE(pump(feed, *part.segment, 15)) << "a picture was not written";
    ASSERT_TRUE(part.finish(20'000)) << "the watchdog did not end the part";
    ASSERT_TRUE(part.result->ok()) << part.result->error().message().toStdString();
    EXPECT_EQ(part.result->value().interruption, WebcamRecordingSegment::cameraSilent());
    EXPECT_NEAR(part.result->value().duration, 0.5, 0.15);
}

TEST(WebcamRecordingSegmentTest, AStartThatFailsOnceTheFileExistsUndoesEverything) {
    test::TempDir folder;
    const QString path = folder.path() + "/part.mp4";
    NoCameraFeed feed;
    WebcamRecordingServices services;
    services.open = [](const QString& file, std::unique_ptr<PictureFeed>, const media::LivePartFormat&,
                       ScreenCapture::Started, ScreenCapture::Failed,
                       const media::SoundRecorder::Open&) -> std::unique_ptr<ScreenCapture> {
        QFile made(file);
        made.open(QIODevice::WriteOnly);
        made.write("partial");
        throw ShotError(QStringLiteral("无法创建录屏文件，请确认保存位置可以写入。"));
    };
    Part part(feed, CameraFraming{}, false, services);
    EXPECT_THROW(part.segment->start(path), ShotError);
    EXPECT_FALSE(QFile::exists(path));
    feed.accept(solid(Qt::red), std::chrono::steady_clock::now());
    EXPECT_EQ(part.segment->cameraPicturesOffered(), 0) << "the feed is not observed";
    QTest::qWait(100);
    EXPECT_FALSE(part.result) << "a refused start reports nothing";
}
